#pragma once

#include "PictureFile.h"

#include <QString>

#include <cstddef>
#include <memory>

// Pixels in a shared mapping, unmapped when the last owner lets go.
class TMappedPixels {
public:
    TMappedPixels(void* Address, std::size_t Size) : FAddress(Address), FSize(Size) {}
    ~TMappedPixels();
    TMappedPixels(const TMappedPixels&) = delete;
    TMappedPixels& operator=(const TMappedPixels&) = delete;
    void* Address() const { return FAddress; }
    std::size_t Size() const { return FSize; }

private:
    void* FAddress;
    std::size_t FSize;
};

struct TDecodedPicture {
    FIBITMAP* Dib = nullptr; // owned by the caller; its pixels live in Pixels
    std::unique_ptr<TMappedPixels> Pixels;
    TPictureReport Report;
};

// AsStored: the picture as the library loads it. AsShown: as the view draws
// it, a bitmap it samples without a copy (transparency composited over the
// checkerboard, other pixel types converted); a picture that only the view
// and the extraction read needs nothing more, and no copy is kept beside it.
enum class TPictureForm { AsStored, AsShown };

// The decoder program's file name, and the seconds it may take, of CPU
// time and of the caller's waiting alike.
inline constexpr const char* DecoderProgramName = "quillon-decode";
constexpr int DecoderSeconds = 30;

// The caller's side of a decode in progress: Begin as the decoder starts,
// Waiting about every 50 ms while it works (false cancels it), End once it
// is over, whichever way.
class TDecodeWatch {
public:
    virtual ~TDecodeWatch() = default;
    virtual void Begin(const QString& FileName) = 0;
    virtual bool Waiting() = 0;
    virtual void End() = 0;
};

// Which program decodes, how long its answer may take, and who watches.
struct TDecoder {
    // Empty for the one installed with this program.
    QString Program;
    int Seconds = DecoderSeconds;
    TDecodeWatch* Watch = nullptr;
    // The renderer of drawings; empty for the one installed.
    QString RendererProgram = {};
};

// Decodes a picture in a decoder program of its own, started afresh and
// confined to decoding, so that a decoder that faults on a hostile file, or
// is made to try anything else, ends there rather than in this program; one
// that gives no answer in time is ended. The pixels come back through
// shared memory and are wrapped, not copied.
TDecodedPicture DecodePicture(const QString& FileName, int Flags, TPictureForm Form = TPictureForm::AsStored,
                              const TDecoder& Decoder = {});

// The program that makes a page of a drawing (PDF, SVG; EPS and PostScript
// through Ghostscript's ps2pdf first) a picture, confined as the decoder is.
inline constexpr const char* RendererProgramName = "quillon-render";
// The page's paths and text come after its picture, up to this size.
constexpr std::uint64_t TrailerLimit = std::uint64_t(256) << 20;
// Each page's square on the sheet of thumbnails.
constexpr int ThumbnailCell = 128;

// Which page of a drawing, from 1, and at how many dots an inch. Page 0
// asks for the sheet of every page's thumbnail, left to right.
struct TPageChoice {
    int Page = 1;
    double Dpi = 300;
};

// Whether FileName holds PostScript (EPS included), which is made a PDF
// before it is rendered.
bool IsPostScript(const QString& FileName);

// Renders a page of the drawing FileName as DecodePicture decodes a picture;
// Drawing receives the renderer's account of the page (see RendererChild.h),
// empty when there is none.
TDecodedPicture RenderPage(const QString& FileName, const TPageChoice& Choice, const TDecoder& Decoder,
                           QByteArray& Drawing);

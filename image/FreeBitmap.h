#pragma once

#include "PictureDecoder.h"
#include "platform/WinTypes.h"
#include "platform/ZoomedSource.h"

#include <FreeImage.h>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QPainter;

class TFreeObject {
public:
    virtual ~TFreeObject() = default;
    virtual bool IsValid() const { return false; }
};

// An image document: at most one FreeImage bitmap, owned. Failures are
// Boolean results; nothing here shows a message.
class TFreeBitmap : public TFreeObject {
public:
    explicit TFreeBitmap(int ImageType = FIT_BITMAP, int Width = 0, int Height = 0, int Bpp = 0);
    ~TFreeBitmap() override;
    TFreeBitmap(const TFreeBitmap&) = delete;
    TFreeBitmap& operator=(const TFreeBitmap&) = delete;

    bool IsValid() const override { return Dib != nullptr; }

    // A new blank image; 1, 4 and 8-bit standard bitmaps get a grey palette.
    bool SetSize(int ImageType, int Width, int Height, int Bpp,
                 unsigned RedMask = 0, unsigned GreenMask = 0, unsigned BlueMask = 0);
    // Format by content, then by file name, decoded apart from this process.
    // A path that is no readable regular file, or an unknown format, leaves
    // everything as it was; a decoding failure or a picture over the size
    // limit leaves the document empty. Report, when given, says which, and
    // whether a picture that loaded is damaged. Form says whether the image
    // is kept as stored or as the view shows it.
    bool Load(const QString& FileName, int Flags = 0, TPictureReport* Report = nullptr,
              TPictureForm Form = TPictureForm::AsStored, const TDecoder& Decoder = {});
    // A page of a drawing, rendered, as Load loads a picture; Drawing
    // receives the renderer's account of the page.
    bool LoadPage(const QString& FileName, const TPageChoice& Choice, QByteArray& Drawing,
                  TPictureReport* Report = nullptr, const TDecoder& Decoder = {});

    // Takes Source's image over without copying; Source is left empty.
    // Both documents change.
    void TakeImage(TFreeBitmap& Source);

    int GetWidth() const;
    int GetHeight() const;

    bool FlipHorizontal();
    bool FlipVertical();
    bool Invert();

    virtual void Change();
    std::function<void(TFreeObject* Sender)> OnChange;

    FIBITMAP* GetDib() const { return Dib; }
    // Rises whenever the pixels or the bitmap itself change, so that copies
    // made for display know they are stale.
    std::uint64_t Version() const { return FVersion; }

private:
    bool Take(TDecodedPicture Decoded, TPictureReport* Report);
    void ReleaseDib();
    // Runs an in-place library operation on a present image, then Change.
    bool Transform(BOOL (*Operation)(FIBITMAP*));

    FIBITMAP* Dib = nullptr;
    std::unique_ptr<TMappedPixels> FPixels; // where a decoded Dib's pixels live
    std::uint64_t FVersion = 0;
};

// The image document as the view draws it: stretched nearest-neighbour into a
// destination rectangle of a painter, only the part that is asked for.
class TFreeWinBitmap : public TFreeBitmap {
public:
    using TFreeBitmap::TFreeBitmap;
    ~TFreeWinBitmap() override;

    void Draw(QPainter& DC, const TRect& Rect);
    // Draws only the destination pixels inside Part; the image is still
    // mapped onto the whole of Rect.
    void Draw(QPainter& DC, const TRect& Rect, const TRect& Part);
    void DrawEx(QPainter& DC, const TRect& Rect, bool UseFileBkg, const RGBQUAD* AppBkColor,
                FIBITMAP* Bkg, const TRect& Part);

    // Draws the picture at a zoom factor: client pixel i shows source pixel
    // ZoomedSource(i, Zoom), the pixel that a click there stores, and pixels
    // past the picture's last one are left alone. Only the pixels inside
    // Part are drawn.
    void DrawZoomed(QPainter& DC, float Zoom, const TRect& Part);
    // The client pixels that DrawZoomed covers.
    QRect ZoomedRect(float Zoom) const;

    // The bitmap that drawing samples: the document itself when its pixels can
    // be read as they are, else a converted copy made once per change.
    FIBITMAP* DisplaySource(bool UseFileBkg = false, const RGBQUAD* AppBkColor = nullptr,
                            FIBITMAP* Bkg = nullptr);
    bool HasDisplayCopy() const { return DisplayDib != nullptr; }
    // Lets the display copy go; the next draw makes it again when needed.
    void ReleaseDisplayCopy();
    // Loads a picture as shown in place of this one, through a scratch
    // document: this picture stays unless the new one is usable, as the
    // report says. The display copy goes first, so that the peak holds only
    // the two pictures themselves. Decoded by Decoder.
    TPictureReport ReplaceWith(const QString& FileName);
    // The same for a page of a drawing.
    TPictureReport ReplaceWithPage(const QString& FileName, const TPageChoice& Choice, QByteArray& Drawing);
    TDecoder Decoder;

private:
    struct TDisplayKey {
        std::uint64_t Version = 0;
        bool UseFileBkg = false;
        std::optional<std::uint32_t> AppBkColor;
        FIBITMAP* Bkg = nullptr;
        friend bool operator==(const TDisplayKey&, const TDisplayKey&) = default;
    };

    // Draws the pixels of Dest inside Part (and the clip), each showing the
    // source column and row that Column and Row give for it.
    void DrawSampled(QPainter& DC, const QRect& Dest, const TRect& Part, const std::function<int(int)>& Column,
                     const std::function<int(int)>& Row, bool UseFileBkg, const RGBQUAD* AppBkColor, FIBITMAP* Bkg);

    FIBITMAP* DisplayDib = nullptr; // owned converted copy, or absent
    TDisplayKey FDisplayKey;
    QImage FBuffer; // the sampled part, reused between draws
};

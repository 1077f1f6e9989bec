#pragma once

#include "PictureFile.h"

#include <cstddef>
#include <sys/types.h>
#include <memory>

// Pixels in a shared mapping, unmapped when the last owner lets go. Decoder,
// when given, is the process that made them, reaped then: its exit tears
// down a picture's worth of memory, which need hold nothing up meanwhile,
// and no thread is left to wait for it.
class TMappedPixels {
public:
    TMappedPixels(void* Address, std::size_t Size, pid_t Decoder = -1)
        : FAddress(Address), FSize(Size), FDecoder(Decoder)
    {
    }
    ~TMappedPixels();
    TMappedPixels(const TMappedPixels&) = delete;
    TMappedPixels& operator=(const TMappedPixels&) = delete;
    void* Address() const { return FAddress; }
    std::size_t Size() const { return FSize; }

private:
    void* FAddress;
    std::size_t FSize;
    pid_t FDecoder;
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

// Decodes a picture in a short-lived child process, so that a decoder that
// faults on a hostile file ends the child rather than this program. The
// pixels come back through shared memory and are wrapped, not copied.
TDecodedPicture DecodePicture(const QString& FileName, int Flags, TPictureForm Form = TPictureForm::AsStored);

#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <vector>

// A colour as three 0..255 channels.
struct TRgb {
    int R = 0;
    int G = 0;
    int B = 0;
    friend bool operator==(const TRgb&, const TRgb&) = default;
};

// Reads a picture's colours for extraction, top row first. It reads a
// standard bitmap of 1, 4, 8, 24 or 32 bits, as a picture is drawn; it
// neither owns nor changes the bitmap, which must outlive it.
class TPixelSource {
public:
    // An empty source for a null bitmap or one of another kind.
    explicit TPixelSource(FIBITMAP* Dib);

    bool IsValid() const { return FBits != nullptr; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    // Row Y's bytes as the bitmap keeps them, and their bits a pixel.
    const BYTE* Line(int Y) const { return FBits + std::ptrdiff_t(FHeight - 1 - Y) * FPitch; }
    unsigned Bpp() const { return FBpp; }

    TRgb At(int X, int Y) const
    {
        const BYTE* line = Line(Y);
        switch (FBpp) {
        case 32:
            return {line[X * 4 + FI_RGBA_RED], line[X * 4 + FI_RGBA_GREEN], line[X * 4 + FI_RGBA_BLUE]};
        case 24:
            return {line[X * 3 + FI_RGBA_RED], line[X * 3 + FI_RGBA_GREEN], line[X * 3 + FI_RGBA_BLUE]};
        case 8:
            return FPalette[line[X]];
        case 4:
            return FPalette[(X & 1) ? (line[X >> 1] & 0x0F) : (line[X >> 1] >> 4)];
        default:
            return FPalette[(line[X >> 3] >> (7 - (X & 7))) & 1];
        }
    }

private:
    const BYTE* FBits = nullptr;
    std::ptrdiff_t FPitch = 0;
    int FWidth = 0;
    int FHeight = 0;
    unsigned FBpp = 0;
    std::vector<TRgb> FPalette;
};

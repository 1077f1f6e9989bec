#include "PixelSource.h"

TPixelSource::TPixelSource(FIBITMAP* Dib)
{
    if (!Dib || FreeImage_GetImageType(Dib) != FIT_BITMAP || !FreeImage_HasPixels(Dib))
        return;
    const unsigned bpp = FreeImage_GetBPP(Dib);
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return;
    if (bpp <= 8) {
        // Indices past the palette read as black, as they are drawn.
        FPalette.assign(std::size_t(1) << bpp, TRgb{});
        const RGBQUAD* palette = FreeImage_GetPalette(Dib);
        const unsigned colours = FreeImage_GetColorsUsed(Dib);
        for (unsigned i = 0; palette && i < colours && i < FPalette.size(); ++i)
            FPalette[i] = {palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue};
    }
    FBits = FreeImage_GetBits(Dib);
    FPitch = FreeImage_GetPitch(Dib);
    FWidth = int(FreeImage_GetWidth(Dib));
    FHeight = int(FreeImage_GetHeight(Dib));
    FBpp = bpp;
}

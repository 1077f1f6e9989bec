#include "DisplayForm.h"

#include <cstring>

bool IsSampledDirectly(FIBITMAP* Dib)
{
    if (FreeImage_GetImageType(Dib) != FIT_BITMAP)
        return false;
    switch (FreeImage_GetBPP(Dib)) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

namespace {

bool IsCmyk(FIBITMAP* dib)
{
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(dib);
    return profile && (profile->flags & FIICC_COLOR_IS_CMYK);
}

bool HasTranslucentPixel(FIBITMAP* dib)
{
    const unsigned width = FreeImage_GetWidth(dib);
    const unsigned height = FreeImage_GetHeight(dib);
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(dib, int(y));
        // Eight pixels a step, their alphas and-ed: the scan is bound by
        // memory, not by a branch a pixel.
        unsigned x = 0;
        for (; x + 8 <= width; x += 8) {
            BYTE all = 0xFF;
            for (unsigned i = 0; i < 8; ++i)
                all &= line[4 * (x + i) + FI_RGBA_ALPHA];
            if (all != 0xFF)
                return true;
        }
        for (; x < width; ++x)
            if (line[4 * x + FI_RGBA_ALPHA] != 0xFF)
                return true;
    }
    return false;
}

} // namespace

bool IsTransparent(FIBITMAP* Dib)
{
    if (!Dib)
        return false;
    if (FreeImage_GetImageType(Dib) == FIT_BITMAP && FreeImage_GetBPP(Dib) == 32)
        return !IsCmyk(Dib) && (!FreeImage_HasPixels(Dib) || HasTranslucentPixel(Dib));
    return FreeImage_IsTransparent(Dib);
}

namespace {

FIBITMAP* Converted(FIBITMAP* Dib, bool UseFileBkg, RGBQUAD* AppBkColor, FIBITMAP* Bkg)
{
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(Dib);
    FIBITMAP* converted = nullptr;
    if (type == FIT_BITMAP) {
        if (FreeImage_HasBackgroundColor(Dib) || IsTransparent(Dib))
            converted = FreeImage_Composite(Dib, UseFileBkg, AppBkColor, Bkg);
        if (!converted && !IsSampledDirectly(Dib))
            converted = FreeImage_ConvertTo24Bits(Dib);
        return converted;
    }
    if (type == FIT_COMPLEX) {
        if (FIBITMAP* channel = FreeImage_GetComplexChannel(Dib, FICC_MAG)) {
            converted = FreeImage_ConvertToStandardType(channel, TRUE);
            FreeImage_Unload(channel);
        }
        return converted;
    }
    converted = FreeImage_ConvertToStandardType(Dib, TRUE);
    // 48 and 64-bit RGB(A) and float RGB have no standard conversion of that
    // name; these give the nearest picture instead of none.
    if (!converted && (type == FIT_RGB16 || type == FIT_RGBA16))
        converted = FreeImage_ConvertTo24Bits(Dib);
    if (!converted && (type == FIT_RGBF || type == FIT_RGBAF))
        converted = FreeImage_ToneMapping(Dib, FITMO_DRAGO03);
    return converted;
}

} // namespace

FIBITMAP* ConvertForDisplay(FIBITMAP* Dib, bool UseFileBkg, RGBQUAD* AppBkColor, FIBITMAP* Bkg)
{
    FIBITMAP* converted = Converted(Dib, UseFileBkg, AppBkColor, Bkg);
    if (converted && !IsSampledDirectly(converted)) {
        FIBITMAP* standard = FreeImage_ConvertTo24Bits(converted);
        FreeImage_Unload(converted);
        converted = standard;
    }
    return converted;
}

namespace {

// The checkerboard's squares are 8 pixels: grey 192 where exactly one of the
// row's and the column's bit 3 is clear, else white.
inline unsigned CheckerGrey(bool rowClear, unsigned x)
{
    return (rowClear != ((x & 8) == 0)) ? 192 : 255;
}

inline void CompositePixel(const BYTE* in, BYTE* out, unsigned back)
{
    const unsigned alpha = in[FI_RGBA_ALPHA];
    if (alpha == 0xFF) {
        std::memcpy(out, in, 3);
    } else if (alpha == 0) {
        std::memset(out, int(back), 3);
    } else {
        const unsigned rest = 0xFF - alpha;
        for (int c = 0; c < 3; ++c)
            out[c] = BYTE((alpha * in[c] + rest * back) >> 8);
    }
}

} // namespace

void CompositeRow(const BYTE* In, unsigned Width, int Y, BYTE* Out)
{
    // A run of eight from a multiple of eight lies on one checkerboard
    // square, and most such runs are wholly clear or wholly opaque.
    const bool rowClear = (Y & 8) == 0;
    unsigned x = 0;
    for (; x + 8 <= Width; x += 8) {
        const BYTE* run = In + 4 * x;
        BYTE* out = Out + 3 * x;
        const unsigned back = CheckerGrey(rowClear, x);
        unsigned all = 0xFF, any = 0;
        for (unsigned i = 0; i < 8; ++i) {
            all &= run[4 * i + FI_RGBA_ALPHA];
            any |= run[4 * i + FI_RGBA_ALPHA];
        }
        if (any == 0) {
            std::memset(out, int(back), 24);
        } else if (all == 0xFF) {
            for (unsigned i = 0; i < 8; ++i)
                std::memcpy(out + 3 * i, run + 4 * i, 3);
        } else {
            for (unsigned i = 0; i < 8; ++i)
                CompositePixel(run + 4 * i, out + 3 * i, back);
        }
    }
    for (; x < Width; ++x)
        CompositePixel(In + 4 * x, Out + 3 * x, CheckerGrey(rowClear, x));
}

void CompositeRows(FIBITMAP* Dib, int First, int Last, BYTE* Out, unsigned Pitch)
{
    const unsigned width = FreeImage_GetWidth(Dib);
    for (int y = First; y < Last; ++y, Out += Pitch)
        CompositeRow(FreeImage_GetScanLine(Dib, y), width, y, Out);
}

void ConvertRgb16Row(const FIRGB16* In, unsigned Width, BYTE* Out)
{
    for (unsigned x = 0; x < Width; ++x, Out += 3) {
        Out[FI_RGBA_RED] = BYTE(In[x].red >> 8);
        Out[FI_RGBA_GREEN] = BYTE(In[x].green >> 8);
        Out[FI_RGBA_BLUE] = BYTE(In[x].blue >> 8);
    }
}

void ConvertRgb16Rows(FIBITMAP* Dib, int First, int Last, BYTE* Out, unsigned Pitch)
{
    const unsigned width = FreeImage_GetWidth(Dib);
    for (int y = First; y < Last; ++y, Out += Pitch)
        ConvertRgb16Row(reinterpret_cast<const FIRGB16*>(FreeImage_GetScanLine(Dib, y)), width, Out);
}

bool ShownRowByRow(FIBITMAP* Dib)
{
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(Dib);
    return (type == FIT_BITMAP && FreeImage_GetBPP(Dib) == 32) || type == FIT_RGB16;
}

void ShownRows(FIBITMAP* Dib, int First, int Last, BYTE* Out, unsigned Pitch)
{
    if (FreeImage_GetImageType(Dib) == FIT_RGB16)
        ConvertRgb16Rows(Dib, First, Last, Out, Pitch);
    else
        CompositeRows(Dib, First, Last, Out, Pitch);
}

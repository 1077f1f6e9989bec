// Stripped TIFF through libtiff: RGB of 8 or 16 bits a sample, grey and
// black and white, and palettes, the kinds scanners and plotting programs
// write; tiles, other layouts and compressions go through the library.
#include "DisplayForm.h"
#include "RowDecoders.h"

#include <tiffio.h>

#include <memory>
#include <unistd.h>
#include <vector>

namespace {

int Complained(TIFF*, void* heard, const char*, const char*, va_list)
{
    *static_cast<bool*>(heard) = true;
    return 1;
}

struct TTiff {
    TIFF* Tiff = nullptr;
    ~TTiff()
    {
        if (Tiff)
            TIFFClose(Tiff);
    }
};

enum class TShape {
    Direct,   // as they are: 1, 4 or 8-bit indices
    Swapped,  // 24-bit RGB made BGR
    Narrowed, // 48-bit RGB made 24-bit
};

template <typename T>
T Field(TIFF* tiff, ttag_t tag, T otherwise)
{
    T value = otherwise;
    TIFFGetFieldDefaulted(tiff, tag, &value);
    return value;
}

// What the library keeps of the file's resolution, in dots a metre: 300
// dots an inch when the file gives none, and inches when it gives no unit.
std::uint32_t DotsPerMeter(float resolution, std::uint16_t unit)
{
    if (unit == RESUNIT_CENTIMETER)
        return std::uint32_t(resolution * 100 + 0.5);
    return std::uint32_t(resolution / 0.0254 + 0.5);
}

bool Palette(TIFF* tiff, std::uint16_t photometric, unsigned bpp, TDecoderRecord& record)
{
    record.PaletteSize = 1u << bpp;
    if (photometric == PHOTOMETRIC_PALETTE) {
        std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue))
            return false;
        // Writers that put 8-bit values in the 16-bit map are read another
        // way; the library takes those.
        bool wide = false;
        for (unsigned i = 0; i < record.PaletteSize; ++i)
            wide = wide || red[i] > 255 || green[i] > 255 || blue[i] > 255;
        const auto narrowed = [](std::uint16_t v) { return BYTE(v * 255u / 65535u); };
        for (unsigned i = 0; i < record.PaletteSize; ++i)
            record.Palette[i] = {narrowed(blue[i]), narrowed(green[i]), narrowed(red[i]), 0};
        return wide;
    }
    for (unsigned i = 0; i < record.PaletteSize; ++i) {
        const unsigned step = photometric == PHOTOMETRIC_MINISWHITE ? record.PaletteSize - 1 - i : i;
        const BYTE grey = BYTE(step * 255 / (record.PaletteSize - 1));
        record.Palette[i] = {grey, grey, grey, 0};
    }
    return true;
}

} // namespace

bool DecodeTiffRows(int Picture, std::int64_t Limit, TSharedRows& Rows, TDecoderRecord& Record)
{
    bool heard = false;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, Complained, &heard);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Complained, &heard);
    const int own = dup(Picture);
    TTiff tiff;
    // "m": read, never map, the picture.
    tiff.Tiff = own >= 0 ? TIFFFdOpenExt(own, "picture", "rm", options) : nullptr;
    TIFFOpenOptionsFree(options);
    if (!tiff.Tiff) {
        if (own >= 0)
            ::close(own);
        return false;
    }
    TIFF* t = tiff.Tiff;
    const auto width = Field<std::uint32_t>(t, TIFFTAG_IMAGEWIDTH, 0);
    const auto height = Field<std::uint32_t>(t, TIFFTAG_IMAGELENGTH, 0);
    const auto samples = Field<std::uint16_t>(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    const auto depth = Field<std::uint16_t>(t, TIFFTAG_BITSPERSAMPLE, 1);
    const auto photometric = Field<std::uint16_t>(t, TIFFTAG_PHOTOMETRIC, 0xFFFF);
    const auto compression = Field<std::uint16_t>(t, TIFFTAG_COMPRESSION, 0);
    std::uint16_t extra = 0;
    std::uint16_t* extraKinds = nullptr;
    TIFFGetField(t, TIFFTAG_EXTRASAMPLES, &extra, &extraKinds);
    if (TIFFIsTiled(t) || Field<std::uint16_t>(t, TIFFTAG_PLANARCONFIG, 0) != PLANARCONFIG_CONTIG || extra ||
        Field<std::uint16_t>(t, TIFFTAG_ORIENTATION, 0) != ORIENTATION_TOPLEFT ||
        Field<std::uint16_t>(t, TIFFTAG_SAMPLEFORMAT, 0) != SAMPLEFORMAT_UINT || compression == COMPRESSION_OJPEG ||
        compression == COMPRESSION_JPEG || TIFFNumberOfDirectories(t) != 1)
        return false;
    TShape shape{};
    unsigned decodedBpp = 0;
    const bool rgb = photometric == PHOTOMETRIC_RGB && samples == 3 && (depth == 8 || depth == 16);
    const bool grey = (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE ||
                       photometric == PHOTOMETRIC_PALETTE) &&
                      samples == 1 && (depth == 1 || depth == 4 || depth == 8);
    if (rgb) {
        shape = depth == 8 ? TShape::Swapped : TShape::Narrowed;
        decodedBpp = depth == 8 ? 24 : 48;
    } else if (grey) {
        shape = TShape::Direct;
        decodedBpp = depth;
    } else {
        return false;
    }
    const std::int64_t decodedBytes = (std::int64_t(width) * decodedBpp + 31) / 32 * 4 * height;
    const unsigned bpp = shape == TShape::Direct ? decodedBpp : 24;
    if (heard || decodedBytes > Limit || !Rows.Lay(width, height, bpp))
        return false;
    const auto record = std::make_unique<TDecoderRecord>();
    DescribeRows(Rows, width, height, bpp, *record);
    if (bpp <= 8 && !Palette(t, photometric, bpp, *record))
        return false;
    float dotsX = 300, dotsY = 300;
    TIFFGetField(t, TIFFTAG_XRESOLUTION, &dotsX);
    TIFFGetField(t, TIFFTAG_YRESOLUTION, &dotsY);
    const auto unit = Field<std::uint16_t>(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    record->DotsX = DotsPerMeter(dotsX, unit);
    record->DotsY = DotsPerMeter(dotsY, unit);
    std::vector<BYTE> scratch(shape == TShape::Direct ? 0 : std::size_t(TIFFScanlineSize64(t)));
    std::vector<BYTE> row(Rows.Pitch(), 0);
    BYTE* out = row.data();
    for (std::uint32_t y = 0; y < height && !heard; ++y) {
        if (TIFFReadScanline(t, shape == TShape::Direct ? out : scratch.data(), y, 0) < 0)
            return false;
        if (shape == TShape::Narrowed) {
            ConvertRgb16Row(reinterpret_cast<const FIRGB16*>(scratch.data()), width, out);
        } else if (shape == TShape::Swapped) {
            for (std::uint32_t x = 0; x < width; ++x) {
                out[3 * x + FI_RGBA_RED] = scratch[3 * x];
                out[3 * x + FI_RGBA_GREEN] = scratch[3 * x + 1];
                out[3 * x + FI_RGBA_BLUE] = scratch[3 * x + 2];
            }
        }
        if (!Rows.Put(y, out))
            return false;
    }
    if (heard)
        return false;
    record->Limit = Limit;
    Record = *record;
    return true;
}

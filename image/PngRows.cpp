// PNG through libpng, set up as the library sets it up for loading.
#include "DisplayForm.h"
#include "RowDecoders.h"
#include "RowPipeline.h"

#include <png.h>

#include <csetjmp>
#include <memory>
#include <vector>

namespace {

struct TPng {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    bool Warned = false;
    ~TPng() { png_destroy_read_struct(&Png, &Info, nullptr); }
};

void Warned(png_structp png, png_const_charp)
{
    static_cast<TPng*>(png_get_error_ptr(png))->Warned = true;
}

void Failed(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// How the rows are made from what libpng gives.
enum class TShape {
    Direct,    // as they are: 24-bit BGR, or 1, 4 or 8-bit indices
    Composite, // 32-bit BGRA composited to 24-bit
    Narrowed,  // 48-bit RGB made 24-bit
};

// What the library makes of each colour type and depth; false for those
// it makes something else of (transparency tables, background colours,
// 16-bit grey, 64-bit) or that arrive in passes.
bool Configure(png_structp png, png_infop info, int flags, TShape& shape, unsigned& decodedBpp)
{
    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (png_get_valid(png, info, PNG_INFO_tRNS) || png_get_interlace_type(png, info) != PNG_INTERLACE_NONE)
        return false;
    const bool background = png_get_valid(png, info, PNG_INFO_bKGD);
    switch (type) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        if (depth == 16 || background)
            return false;
        if (depth == 2)
            type == PNG_COLOR_TYPE_GRAY ? png_set_expand_gray_1_2_4_to_8(png) : png_set_packing(png);
        shape = TShape::Direct;
        decodedBpp = depth == 2 ? 8 : unsigned(depth);
        break;
    case PNG_COLOR_TYPE_RGB:
        if (background)
            return false;
        shape = depth == 8 ? TShape::Direct : TShape::Narrowed;
        decodedBpp = depth == 8 ? 24 : 48;
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        if (depth != 8)
            return false;
        if (type == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_gray_to_rgb(png);
        shape = TShape::Composite;
        decodedBpp = 32;
        break;
    default:
        return false;
    }
    if (depth == 16)
        png_set_swap(png);
    // 48-bit samples stay in RGB order.
    if ((type == PNG_COLOR_TYPE_RGB || type == PNG_COLOR_TYPE_RGB_ALPHA) && depth == 8)
        png_set_bgr(png);
    double gamma = 0;
    if (png_get_valid(png, info, PNG_INFO_gAMA) && png_get_gAMA(png, info, &gamma) &&
        (flags & PNG_IGNOREGAMMA) != PNG_IGNOREGAMMA)
        png_set_gamma(png, 2.2, gamma);
    png_read_update_info(png, info);
    return true;
}

void DescribePalette(png_structp png, png_infop info, unsigned bpp, TDecoderRecord& record)
{
    // A grey ramp, where the file's palette leaves entries out too.
    record.PaletteSize = 1u << bpp;
    for (unsigned i = 0; i < record.PaletteSize; ++i) {
        const BYTE grey = BYTE(i * 255 / (record.PaletteSize - 1));
        record.Palette[i] = {grey, grey, grey, 0};
    }
    if (png_get_color_type(png, info) != PNG_COLOR_TYPE_PALETTE)
        return;
    png_colorp palette = nullptr;
    int entries = 0;
    png_get_PLTE(png, info, &palette, &entries);
    for (unsigned i = 0; i < std::min(unsigned(entries), record.PaletteSize); ++i)
        record.Palette[i] = {palette[i].blue, palette[i].green, palette[i].red, 0};
}

} // namespace

namespace {

// What a decode holds, kept whole where libpng's jump back to the start
// leaves it as it was.
struct TPngDecode {
    TPng Png;
    TDecoderRecord Record{};
    std::vector<BYTE> Row;
    std::unique_ptr<TRowPipeline> Pipeline;
    bool Done = false;
};

// Everything that libpng may jump out of.
void Decode(TPngDecode& d, std::FILE* picture, int flags, std::int64_t limit, TSharedRows& rows)
{
    png_structp png = d.Png.Png;
    png_infop info = d.Png.Info;
    png_init_io(png, picture);
    png_read_info(png, info);
    TShape shape{};
    unsigned decodedBpp = 0;
    if (!Configure(png, info, flags, shape, decodedBpp))
        return;
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const std::int64_t decodedBytes = (std::int64_t(width) * decodedBpp + 31) / 32 * 4 * height;
    const unsigned bpp = shape == TShape::Direct ? decodedBpp : 24;
    if (decodedBytes > limit || !rows.Lay(width, height, bpp))
        return;
    DescribeRows(rows, width, height, bpp, d.Record);
    if (bpp <= 8)
        DescribePalette(png, info, bpp, d.Record);
    png_uint_32 dotsX = 0, dotsY = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(png, info, &dotsX, &dotsY, &unit) && unit == PNG_RESOLUTION_METER) {
        d.Record.DotsX = dotsX;
        d.Record.DotsY = dotsY;
    }
    if (shape == TShape::Direct) {
        d.Row.assign(rows.Pitch(), 0);
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, d.Row.data(), nullptr);
            if (!rows.Put(y, d.Row.data()))
                return;
        }
    } else {
        const auto convert = [=](const BYTE* in, std::uint32_t fromTop, BYTE* out) {
            if (shape == TShape::Composite)
                CompositeRow(in, width, int(height - 1 - fromTop), out);
            else
                ConvertRgb16Row(reinterpret_cast<const FIRGB16*>(in), width, out);
        };
        d.Pipeline = std::make_unique<TRowPipeline>(rows, png_get_rowbytes(png, info), height, convert);
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, d.Pipeline->In(y), nullptr);
            d.Pipeline->Decoded(y);
        }
        if (!d.Pipeline->Finish())
            return;
    }
    png_read_end(png, info);
    d.Record.Limit = limit;
    d.Done = !d.Png.Warned;
}

} // namespace

bool DecodePngRows(std::FILE* Picture, int Flags, std::int64_t Limit, TSharedRows& Rows, TDecoderRecord& Record)
{
    const auto d = std::make_unique<TPngDecode>();
    d->Png.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d->Png, Failed, Warned);
    if (!d->Png.Png || !(d->Png.Info = png_create_info_struct(d->Png.Png)))
        return false;
    if (setjmp(png_jmpbuf(d->Png.Png)) == 0)
        Decode(*d, Picture, Flags, Limit, Rows);
    if (d->Done)
        Record = d->Record;
    return d->Done;
}

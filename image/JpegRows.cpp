// JPEG through libjpeg, decompressed as the library decompresses it when
// asked for nothing special: the fast integer transform without smoothed
// upsampling; CMYK made RGB as it makes it.
#include "RowDecoders.h"

#include <jpeglib.h>

#include <csetjmp>
#include <memory>
#include <vector>

namespace {

struct TJpegDecode {
    jpeg_decompress_struct Info{};
    jpeg_error_mgr Errors{};
    std::jmp_buf Jump{};
    bool Created = false;
    TDecoderRecord Record{};
    std::vector<JSAMPLE> Scratch;
    std::vector<BYTE> Row;
    bool Done = false;
    ~TJpegDecode()
    {
        if (Created)
            jpeg_destroy_decompress(&Info);
    }
};

void Failed(j_common_ptr info)
{
    std::longjmp(static_cast<TJpegDecode*>(info->client_data)->Jump, 1);
}

// Warnings are counted, never printed.
void Said(j_common_ptr) {}

// Everything that libjpeg may jump out of.
void Decode(TJpegDecode& d, std::FILE* picture, std::int64_t limit, TSharedRows& rows)
{
    jpeg_decompress_struct& info = d.Info;
    jpeg_create_decompress(&info);
    d.Created = true;
    jpeg_stdio_src(&info, picture);
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    if (!cmyk && !grey)
        info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const unsigned bpp = grey ? 8 : 24;
    const std::int64_t bytes = (std::int64_t(info.output_width) * bpp + 31) / 32 * 4 * info.output_height;
    if (info.output_components != (grey ? 1 : cmyk ? 4 : 3) || bytes > limit ||
        !rows.Lay(info.output_width, info.output_height, bpp))
        return;
    DescribeRows(rows, info.output_width, info.output_height, bpp, d.Record);
    if (grey) {
        d.Record.PaletteSize = 256;
        for (unsigned i = 0; i < 256; ++i)
            d.Record.Palette[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
    }
    if (info.density_unit == 1) {
        d.Record.DotsX = unsigned(float(info.X_density) / 0.0254 + 0.5);
        d.Record.DotsY = unsigned(float(info.Y_density) / 0.0254 + 0.5);
    } else if (info.density_unit == 2) {
        d.Record.DotsX = unsigned(info.X_density * 100);
        d.Record.DotsY = unsigned(info.Y_density * 100);
    }
    d.Row.assign(rows.Pitch(), 0);
    if (cmyk)
        d.Scratch.resize(std::size_t(info.output_width) * 4);
    while (info.output_scanline < info.output_height) {
        const JDIMENSION y = info.output_scanline;
        JSAMPROW row = cmyk ? d.Scratch.data() : d.Row.data();
        jpeg_read_scanlines(&info, &row, 1);
        if (cmyk) {
            // The ink's complement scaled by the black's.
            const JSAMPLE* in = d.Scratch.data();
            BYTE* out = d.Row.data();
            for (unsigned x = 0; x < info.output_width; ++x, in += 4, out += 3) {
                const unsigned k = in[3];
                out[FI_RGBA_RED] = BYTE(k * in[0] / 255);
                out[FI_RGBA_GREEN] = BYTE(k * in[1] / 255);
                out[FI_RGBA_BLUE] = BYTE(k * in[2] / 255);
            }
        }
        if (!rows.Put(y, d.Row.data()))
            return;
    }
    jpeg_finish_decompress(&info);
    d.Record.Limit = limit;
    d.Done = d.Errors.num_warnings == 0;
}

} // namespace

bool DecodeJpegRows(std::FILE* Picture, int Flags, std::int64_t Limit, TSharedRows& Rows, TDecoderRecord& Record)
{
    // Flags ask for scaled, greyscale, accurate or turned loads.
    if (Flags != 0)
        return false;
    const auto d = std::make_unique<TJpegDecode>();
    d->Info.err = jpeg_std_error(&d->Errors);
    d->Errors.error_exit = Failed;
    d->Errors.output_message = Said;
    d->Info.client_data = d.get();
    if (setjmp(d->Jump) == 0)
        Decode(*d, Picture, Limit, Rows);
    if (d->Done)
        Record = d->Record;
    return d->Done;
}

// Uncompressed bottom-up BMP of 1, 4, 8 or 24 bits: its rows are laid out
// as a bitmap's, so they are copied file to file into the shared memory.
#include "RowDecoders.h"

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::uint32_t Le32(const BYTE* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t Le16(const BYTE* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

bool ReadAt(int fd, void* to, std::size_t bytes, off_t at)
{
    auto* p = static_cast<BYTE*>(to);
    while (bytes > 0) {
        const ssize_t n = pread(fd, p, bytes, at);
        if (n <= 0)
            return false;
        p += n;
        at += n;
        bytes -= std::size_t(n);
    }
    return true;
}

} // namespace

bool DecodeBmpRows(int Picture, std::int64_t Limit, TSharedRows& Rows, TDecoderRecord& Record)
{
    // The file header, then the information header of 40, 108 or 124 bytes.
    BYTE head[14 + 40];
    struct stat info {};
    if (fstat(Picture, &info) != 0 || !ReadAt(Picture, head, sizeof head, 0))
        return false;
    const BYTE* core = head + 14;
    const std::uint32_t coreSize = Le32(core);
    const std::uint32_t offset = Le32(head + 10);
    const auto width = std::int32_t(Le32(core + 4));
    const auto height = std::int32_t(Le32(core + 8));
    const unsigned bpp = Le16(core + 14);
    const std::uint32_t colours = Le32(core + 32);
    if ((coreSize != 40 && coreSize != 108 && coreSize != 124) || Le16(core + 12) != 1 || Le32(core + 16) != 0 ||
        (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) || width <= 0 || height <= 0 ||
        (colours != 0 && colours != 1u << bpp))
        return false;
    const std::int64_t pitch = (std::int64_t(width) * bpp + 31) / 32 * 4;
    const std::int64_t bytes = pitch * height;
    // A file that ends early goes to the library, which says so.
    if (bytes > Limit || std::int64_t(offset) + bytes > std::int64_t(info.st_size) ||
        !Rows.Lay(std::uint32_t(width), std::uint32_t(height), bpp))
        return false;
    auto record = std::make_unique<TDecoderRecord>();
    DescribeRows(Rows, std::uint32_t(width), std::uint32_t(height), bpp, *record);
    if (bpp <= 8) {
        record->PaletteSize = 1u << bpp;
        if (!ReadAt(Picture, record->Palette, record->PaletteSize * sizeof(RGBQUAD), off_t(14 + coreSize)))
            return false;
    }
    record->DotsX = Le32(core + 24);
    record->DotsY = Le32(core + 28);
    if (!Rows.Fill(Picture, off_t(offset)))
        return false;
    record->Limit = Limit;
    Record = *record;
    return true;
}

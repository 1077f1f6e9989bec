#include "SharedRows.h"

#include "PictureFile.h"

#include <sys/mman.h>
#include <unistd.h>

namespace {

// The library's resolution of a picture that gives none: 72 dots an inch.
constexpr std::uint32_t DefaultDotsPerMeter = 2835;

} // namespace

TSharedRows::~TSharedRows()
{
    if (FBits)
        munmap(FBits, std::size_t(Bytes()));
}

bool TSharedRows::Lay(std::uint32_t Width, std::uint32_t Height, unsigned Bpp)
{
    const std::uint64_t pitch = (std::uint64_t(Width) * Bpp + 31) / 32 * 4;
    const std::uint64_t bytes = pitch * Height;
    if (Width == 0 || Height == 0 || pitch > UINT32_MAX || ftruncate(FMemory, off_t(bytes)) != 0)
        return false;
    void* bits = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, FMemory, 0);
    if (bits == MAP_FAILED)
        return false;
    // Faulted in at once rather than a page at a time as rows arrive.
    madvise(bits, bytes, MADV_POPULATE_WRITE);
    FBits = static_cast<BYTE*>(bits);
    FPitch = std::uint32_t(pitch);
    FHeight = Height;
    return true;
}

void TSharedRows::Discard()
{
    if (FBits)
        munmap(FBits, std::size_t(Bytes()));
    FBits = nullptr;
    FPitch = FHeight = 0;
}

void DescribeRows(const TSharedRows& Rows, std::uint32_t Width, std::uint32_t Height, unsigned Bpp,
                  TDecoderRecord& Record)
{
    Record.Status = std::int32_t(TPictureStatus::Decoded);
    Record.Width = Width;
    Record.Height = Height;
    Record.Bytes = Rows.Bytes();
    Record.Type = FIT_BITMAP;
    Record.Pitch = Rows.Pitch();
    Record.Bpp = Bpp;
    if (Bpp >= 24) {
        Record.RedMask = FI_RGBA_RED_MASK;
        Record.GreenMask = FI_RGBA_GREEN_MASK;
        Record.BlueMask = FI_RGBA_BLUE_MASK;
    }
    Record.DotsX = Record.DotsY = DefaultDotsPerMeter;
}

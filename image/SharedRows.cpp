#include "SharedRows.h"

#include "PictureFile.h"

#include <cerrno>
#include <sys/sendfile.h>
#include <unistd.h>

namespace {

// The library's resolution of a picture that gives none: 72 dots an inch.
constexpr std::uint32_t DefaultDotsPerMeter = 2835;

} // namespace

bool TSharedRows::Lay(std::uint32_t Width, std::uint32_t Height, unsigned Bpp)
{
    const std::uint64_t pitch = (std::uint64_t(Width) * Bpp + 31) / 32 * 4;
    if (Width == 0 || Height == 0 || pitch > UINT32_MAX || ftruncate(FMemory, off_t(pitch * Height)) != 0)
        return false;
    FPitch = std::uint32_t(pitch);
    FHeight = Height;
    return true;
}

bool WriteAt(int Fd, const BYTE* Data, std::size_t Bytes, off_t At)
{
    for (std::size_t done = 0; done < Bytes;) {
        const ssize_t n = pwrite(Fd, Data + done, Bytes - done, At + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

bool TSharedRows::Put(std::uint32_t FromTop, const BYTE* Row) const
{
    return WriteAt(FMemory, Row, FPitch, off_t(std::uint64_t(FPitch) * (FHeight - 1 - FromTop)));
}

bool TSharedRows::Fill(int From, off_t At) const
{
    off_t from = At;
    if (lseek(FMemory, 0, SEEK_SET) != 0)
        return false;
    for (auto left = std::uint64_t(Bytes()); left > 0;) {
        const ssize_t n = sendfile(FMemory, From, &from, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        left -= std::uint64_t(n);
    }
    return true;
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

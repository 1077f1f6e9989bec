#pragma once

#include "DecoderRecord.h"

#include <cstdint>
#include <sys/types.h>

// The shared memory file a decoder writes a picture's rows into, laid out
// as the library lays out a standard bitmap of Bpp bits: rows padded to
// four bytes, the bottom row first. Rows are written into the file, never
// through a mapping: the file's pages are made as they are written, which
// is much cheaper than faulting them into a mapping that must then be torn
// down.
class TSharedRows {
public:
    explicit TSharedRows(int Memory) : FMemory(Memory) {}

    // Sizes the file; false when there is no memory for it.
    bool Lay(std::uint32_t Width, std::uint32_t Height, unsigned Bpp);
    std::uint32_t Pitch() const { return FPitch; }
    std::int64_t Bytes() const { return std::int64_t(FPitch) * FHeight; }
    // Writes Pitch bytes from Row as the row FromTop rows below the top.
    bool Put(std::uint32_t FromTop, const BYTE* Row) const;
    // Copies every row at once from the file From, where they lie laid out
    // as here from the offset At.
    bool Fill(int From, off_t At) const;

private:
    int FMemory;
    std::uint32_t FPitch = 0;
    std::uint32_t FHeight = 0;
};

// Writes all of Bytes from Data into Fd from the offset At.
bool WriteAt(int Fd, const BYTE* Data, std::size_t Bytes, off_t At);

// Fills Record for a standard bitmap of Bpp bits laid out in Rows, with no
// palette, transparency or background, and the library's resolution when
// the file gives none.
void DescribeRows(const TSharedRows& Rows, std::uint32_t Width, std::uint32_t Height, unsigned Bpp,
                  TDecoderRecord& Record);

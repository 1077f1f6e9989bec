#pragma once

#include "DecoderRecord.h"

#include <cstdint>

// The shared memory file a decoder writes a picture's rows straight into,
// laid out as the library lays out a standard bitmap of Bpp bits: rows
// padded to four bytes, the bottom row first. Unmapped when done with; the
// file keeps the rows.
class TSharedRows {
public:
    explicit TSharedRows(int Memory) : FMemory(Memory) {}
    ~TSharedRows();
    TSharedRows(const TSharedRows&) = delete;
    TSharedRows& operator=(const TSharedRows&) = delete;

    // Sizes the file and maps it; false when there is no memory for it.
    bool Lay(std::uint32_t Width, std::uint32_t Height, unsigned Bpp);
    // The row FromTop rows below the picture's top.
    BYTE* Row(std::uint32_t FromTop) const { return FBits + std::uint64_t(FPitch) * (FHeight - 1 - FromTop); }
    std::uint32_t Pitch() const { return FPitch; }
    std::int64_t Bytes() const { return std::int64_t(FPitch) * FHeight; }
    // Lets go of what was written, for another decoder to lay the file
    // afresh.
    void Discard();

private:
    int FMemory;
    BYTE* FBits = nullptr;
    std::uint32_t FPitch = 0;
    std::uint32_t FHeight = 0;
};

// Fills Record for a standard bitmap of Bpp bits laid out in Rows, with no
// palette, transparency or background, and the library's resolution when
// the file gives none.
void DescribeRows(const TSharedRows& Rows, std::uint32_t Width, std::uint32_t Height, unsigned Bpp,
                  TDecoderRecord& Record);

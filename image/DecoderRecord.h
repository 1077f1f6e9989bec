#pragma once

#include <FreeImage.h>

#include <cstddef>
#include <cstdint>

// What the decoder program hands back through its result pipe besides the
// pixels, which it leaves in the shared memory file.
constexpr std::size_t MaxDecoderDetail = 2048;

struct TDecoderRecord {
    std::int32_t Status;
    std::int64_t Width, Height, Bytes, Limit;
    std::int32_t Type;
    std::uint32_t Pitch, Bpp, RedMask, GreenMask, BlueMask;
    std::uint32_t PaletteSize;
    RGBQUAD Palette[256];
    std::int32_t TransparencyCount;
    BYTE Transparency[256];
    std::int32_t Transparent;
    std::int32_t HasBackground;
    RGBQUAD Background;
    std::uint32_t DotsX, DotsY;
    std::uint32_t DetailLength;
    char Detail[MaxDecoderDetail];
};

// The descriptors the decoder program starts with: the picture (read only),
// the shared memory file for the pixels, and the write end of the result
// pipe. Nothing else is open in it.
constexpr int DecoderPictureFd = 3;
constexpr int DecoderMemoryFd = 4;
constexpr int DecoderResultFd = 5;

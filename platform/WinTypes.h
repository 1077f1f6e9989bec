#pragma once

#include <cstdint>

// Plain point and rectangle records. Right and Bottom are stored values, not
// Left + Width - 1 as with QRect.
struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Colour as 0x00BBGGRR: red in the lowest byte.
using TColor = std::int32_t;

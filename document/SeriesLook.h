#pragma once

#include "platform/WinTypes.h"

#include <cstdint>

enum TPointType : std::uint8_t {
    ptPlus,
    ptCross,
    ptAsterisk,
    ptCircle,
    ptSquare,
    ptDiamond,
    ptTriangle,
    ptInvertedTriangle,
    ptDiamondPlus,
    ptSquarePlus,
    ptSmallDot
};

enum TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// The point sizes Preferences offer.
constexpr int MinLookPointSize = 1;
constexpr int MaxLookPointSize = 10;

// How one series' points and line are drawn.
struct TSeriesLook {
    bool DrawPoints = true;
    TPointType PointType = ptPlus;
    int PointSize = 3;
    TColor PointColour = 0xFF0000;
    TColor PointFillColour = 0x000000;
    bool PointSolid = false;
    bool DrawLine = false;
    TColor LineColour = 0x000000;
    TPenStyle LineStyle = psSolid;
    friend bool operator==(const TSeriesLook&, const TSeriesLook&) = default;
};

#pragma once

#include "ExtractArea.h"
#include "MarkerExtraction.h"

#include <cmath>
#include <vector>

// Straight lines of a colour ruled across the whole plotting area (a
// frame's sides, grid lines, an axis), by the frame rows and columns they
// lie on: a row whose pixels of the colour cover half the area's breadth
// and reach within a twentieth of both its sides, and a column likewise.
// The tick marks standing on them go with them: short thin strokes that
// touch one across it. A curve of the frame's colour is followed without
// them.
class TRuledLines {
public:
    TRuledLines(const TBlobSearch& Search, const TExtractArea& Area, const TExtractArea::TBounds& Box);

    bool Empty() const { return FRows.empty() && FColumns.empty(); }
    // Whether a frame position lies on a ruled row or column, or a tick.
    bool Holds(const TPointF& Frame) const
    {
        if (Ruled(FRows, Frame.Y, 0.5) || Ruled(FColumns, Frame.X, 0.5))
            return true;
        if (FTicks.Blobs.empty())
            return false;
        const TPointF at = FArea.ToImage(Frame);
        return FTickIndex.At(int(std::lround(at.X)), int(std::lround(at.Y))) >= 0;
    }
    // Whether it lies within Within of one.
    bool Near(const TPointF& Frame, double Within) const
    {
        return Ruled(FRows, Frame.Y, Within) || Ruled(FColumns, Frame.X, Within);
    }
    // Search without the pixels on ruled lines and the ticks, its patches
    // made anew.
    TBlobSearch Without(const TBlobSearch& Search) const;

private:
    static bool Ruled(const std::vector<int>& Lines, double At, double Within);

    TExtractArea FArea;
    std::vector<int> FRows;
    std::vector<int> FColumns;
    TBlobSearch FTicks;
    TBlobIndex FTickIndex{FTicks};
};

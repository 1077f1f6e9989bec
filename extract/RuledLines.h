#pragma once

#include "ExtractArea.h"
#include "MarkerExtraction.h"

#include <vector>

// Straight lines of a colour ruled across the whole plotting area (a
// frame's sides, grid lines, an axis), by the frame rows and columns they
// lie on: a row whose pixels of the colour cover half the area's breadth
// and reach within a twentieth of both its sides, and a column likewise.
// A curve of the frame's colour is followed without them.
class TRuledLines {
public:
    TRuledLines(const TBlobSearch& Search, const TExtractArea& Area, const TExtractArea::TBounds& Box);

    bool Empty() const { return FRows.empty() && FColumns.empty(); }
    // Whether a frame position lies on a ruled row or column.
    bool Holds(const TPointF& Frame) const { return Ruled(FRows, Frame.Y, 0.5) || Ruled(FColumns, Frame.X, 0.5); }
    // Whether it lies within Within of one.
    bool Near(const TPointF& Frame, double Within) const
    {
        return Ruled(FRows, Frame.Y, Within) || Ruled(FColumns, Frame.X, Within);
    }
    // Search without the pixels on ruled lines, its patches made anew.
    TBlobSearch Without(const TBlobSearch& Search, const TExtractArea& Area) const;

private:
    static bool Ruled(const std::vector<int>& Lines, double At, double Within);

    std::vector<int> FRows;
    std::vector<int> FColumns;
};

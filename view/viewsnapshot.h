#pragma once

#include "platform/WinTypes.h"
#include "document/Series.h"
#include "document/viewmapping.h"

#include <QString>

#include <vector>

// What a user edits in the view, whole: the points in list order and the
// mapping. Undo keeps one before and one after each step; the strings are
// shared, so a copy of 10,000 points is cheap.
struct TViewSnapshot {
    using TPointState = TSeriesPoint;
    std::vector<TPointState> Points;
    TMapping Mapping;

    bool SameMapping(const TViewSnapshot& Other) const { return Mapping == Other.Mapping; }
    bool operator==(const TViewSnapshot& Other) const { return SameMapping(Other) && Points == Other.Points; }
};

// The state that shows Points under Mapping.
TViewSnapshot SnapshotOf(const TViewMapping& Mapping, std::vector<TSeriesPoint> Points);

// The name of the step from Before to After, for "Undo %1": "Add Point 4",
// "Delete Point 4", "Move Point 4", "Mapping", "Rotation"; Fallback when the
// change is none of those.
QString StepCaption(const TViewSnapshot& Before, const TViewSnapshot& After, const QString& Fallback);

#pragma once

#include "viewsnapshot.h"
#include "document/ListStretch.h"

#include <cstddef>
#include <vector>

class TQuillonView;

// A change of the view's points and mapping, kept as what it changed: the
// mapping before and after, and the stretch of the point list that differs
// between the points both share at its start and those they share at its
// end. A move of one point keeps that point twice, not the whole list; a
// sort keeps all of it. Undone and redone on the view as it stands after
// or before the change, with the view's own events.
class TViewChange {
public:
    TViewChange(const TViewSnapshot& Before, const TViewSnapshot& After);

    void Undo(TQuillonView& View) const { Apply(View, FBefore, FAfter.Points, FBefore.Points); }
    void Redo(TQuillonView& View) const { Apply(View, FAfter, FBefore.Points, FAfter.Points); }
    // How many points it keeps.
    std::size_t Kept() const { return FBefore.Points.size() + FAfter.Points.size(); }

private:
    // From the stretch Shown to the stretch Wanted, under Mapping.
    void Apply(TQuillonView& View, const TViewSnapshot& Mapping, const std::vector<TSeriesPoint>& Shown,
               const std::vector<TSeriesPoint>& Wanted) const;

    // The mappings, each with the differing stretch of its points.
    TViewSnapshot FBefore;
    TViewSnapshot FAfter;
    TListStretch FStretch;
};

#include "viewchange.h"

#include "quillonview.h"

#include <algorithm>

TViewChange::TViewChange(const TViewSnapshot& Before, const TViewSnapshot& After)
    : FBefore(Before)
    , FAfter(After)
    , FStretch(TListStretch::Between(Before.Points, After.Points))
{
    FBefore.Points = FStretch.Inside(Before.Points);
    FAfter.Points = FStretch.Inside(After.Points);
}

void TViewChange::Apply(TQuillonView& View, const TViewSnapshot& Mapping, const std::vector<TSeriesPoint>& Shown,
                        const std::vector<TSeriesPoint>& Wanted) const
{
    const bool sameMapping = static_cast<const TMapping&>(View) == Mapping.Mapping;
    const bool sameNames =
        Shown.size() == Wanted.size() &&
        std::equal(Shown.begin(), Shown.end(), Wanted.begin(),
                   [](const TSeriesPoint& s, const TSeriesPoint& w) { return s.Name == w.Name; });
    // Points moved: only they change, each with its own event.
    if (sameMapping && sameNames) {
        View.PutSites(int(FStretch.Start), Wanted);
        return;
    }
    // Points added at the end, or taken from it: as a click adds or a
    // delete takes them.
    if (sameMapping && FStretch.End == 0 && Shown.empty()) {
        View.AddNamedSites(Wanted);
        return;
    }
    if (sameMapping && FStretch.End == 0 && Wanted.empty()) {
        QStringList names;
        for (const TSeriesPoint& p : Shown)
            names << p.Name;
        View.DeleteSites(names);
        return;
    }
    // Anything else: the whole list made again, as it was.
    std::vector<TSeriesPoint> points = View.Snapshot().Points;
    FStretch.Splice(points, Wanted);
    View.Restore({std::move(points), Mapping.Mapping});
}

#include "viewchange.h"

#include "quillonview.h"

#include <algorithm>

TViewChange::TViewChange(const TViewSnapshot& Before, const TViewSnapshot& After)
    : FBefore(Before)
    , FAfter(After)
{
    const std::vector<TSeriesPoint>& b = Before.Points;
    const std::vector<TSeriesPoint>& a = After.Points;
    const std::size_t shorter = std::min(b.size(), a.size());
    while (FStart < shorter && b[FStart] == a[FStart])
        ++FStart;
    while (FEnd < shorter - FStart && b[b.size() - 1 - FEnd] == a[a.size() - 1 - FEnd])
        ++FEnd;
    // Fresh lists, so that the whole ones' room goes.
    FBefore.Points = std::vector<TSeriesPoint>(b.begin() + std::ptrdiff_t(FStart), b.end() - std::ptrdiff_t(FEnd));
    FAfter.Points = std::vector<TSeriesPoint>(a.begin() + std::ptrdiff_t(FStart), a.end() - std::ptrdiff_t(FEnd));
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
        View.PutSites(int(FStart), Wanted);
        return;
    }
    // Points added at the end, or taken from it: as a click adds or a
    // delete takes them.
    if (sameMapping && FEnd == 0 && Shown.empty()) {
        View.AddNamedSites(Wanted);
        return;
    }
    if (sameMapping && FEnd == 0 && Wanted.empty()) {
        QStringList names;
        for (const TSeriesPoint& p : Shown)
            names << p.Name;
        View.DeleteSites(names);
        return;
    }
    // Anything else: the whole list made again, as it was.
    TViewSnapshot whole = Mapping;
    const std::vector<TSeriesPoint> now = View.Snapshot().Points;
    whole.Points.assign(now.begin(), now.begin() + std::ptrdiff_t(FStart));
    whole.Points.insert(whole.Points.end(), Wanted.begin(), Wanted.end());
    whole.Points.insert(whole.Points.end(), now.end() - std::ptrdiff_t(FEnd), now.end());
    View.Restore(whole);
}

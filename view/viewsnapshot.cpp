#include "viewsnapshot.h"

namespace {

// The one name in Larger that Smaller lacks, when the two lists differ by
// exactly that point and are otherwise equal in order; "" otherwise.
QString OnlyExtra(const std::vector<TViewSnapshot::TPointState>& Larger,
                  const std::vector<TViewSnapshot::TPointState>& Smaller)
{
    if (Larger.size() != Smaller.size() + 1)
        return {};
    std::size_t i = 0;
    while (i < Smaller.size() && Larger[i] == Smaller[i])
        ++i;
    for (std::size_t j = i; j < Smaller.size(); ++j)
        if (!(Larger[j + 1] == Smaller[j]))
            return {};
    return Larger[i].Name;
}

} // namespace

QString StepCaption(const TViewSnapshot& Before, const TViewSnapshot& After, const QString& Fallback)
{
    const bool pointsSame = Before.Points == After.Points;
    if (pointsSame) {
        if (Before.SameMapping(After))
            return Fallback;
        TMapping turned = Before.Mapping;
        turned.Angle = After.Mapping.Angle;
        if (turned == After.Mapping)
            return QStringLiteral("Rotation");
        TMapping recalibrated = Before.Mapping;
        recalibrated.Calibration = After.Mapping.Calibration;
        recalibrated.XUnit = After.Mapping.XUnit;
        recalibrated.YUnit = After.Mapping.YUnit;
        return recalibrated == After.Mapping ? QStringLiteral("Calibration") : QStringLiteral("Mapping");
    }
    if (!Before.SameMapping(After))
        return Fallback;
    if (const QString added = OnlyExtra(After.Points, Before.Points); !added.isEmpty())
        return QStringLiteral("Add Point %1").arg(added);
    if (const QString deleted = OnlyExtra(Before.Points, After.Points); !deleted.isEmpty())
        return QStringLiteral("Delete Point %1").arg(deleted);
    if (Before.Points.size() != After.Points.size())
        return Fallback;
    QString moved;
    int count = 0;
    for (std::size_t i = 0; i < Before.Points.size(); ++i) {
        if (Before.Points[i].Name != After.Points[i].Name)
            return Fallback;
        if (!(Before.Points[i] == After.Points[i])) {
            moved = After.Points[i].Name;
            ++count;
        }
    }
    return count == 1 ? QStringLiteral("Move Point %1").arg(moved) : QStringLiteral("Move Points");
}

TViewSnapshot SnapshotOf(const TViewMapping& Mapping, std::vector<TSeriesPoint> Points)
{
    return {std::move(Points), Mapping};
}

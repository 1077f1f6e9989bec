#include "viewsnapshot.h"

#include <cmath>

namespace {

bool Same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

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

bool TViewSnapshot::SameMapping(const TViewSnapshot& Other) const
{
    return MappingRect == Other.MappingRect && Same(Angle, Other.Angle) && Same(XLeft, Other.XLeft) &&
           Same(YTop, Other.YTop) && Same(XRight, Other.XRight) && Same(YBottom, Other.YBottom) &&
           AxisXMap == Other.AxisXMap && AxisYMap == Other.AxisYMap;
}

QString StepCaption(const TViewSnapshot& Before, const TViewSnapshot& After, const QString& Fallback)
{
    const bool pointsSame = Before.Points == After.Points;
    if (pointsSame) {
        if (Before.SameMapping(After))
            return Fallback;
        TViewSnapshot turned = Before;
        turned.Angle = After.Angle;
        return turned.SameMapping(After) ? QStringLiteral("Rotation") : QStringLiteral("Mapping");
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
    TViewSnapshot s;
    s.Points = std::move(Points);
    s.MappingRect = Mapping.MappingRect;
    s.Angle = Mapping.Angle;
    s.XLeft = Mapping.XLeftValue;
    s.YTop = Mapping.YTopValue;
    s.XRight = Mapping.XRightValue;
    s.YBottom = Mapping.YBottomValue;
    s.AxisXMap = Mapping.AxisXMap;
    s.AxisYMap = Mapping.AxisYMap;
    return s;
}

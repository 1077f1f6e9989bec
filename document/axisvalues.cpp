#include "axisvalues.h"

#include <cmath>

namespace {

// A range whose width is not a finite number would make every value infinite.
QString RangeProblem(double from, double to, const QString& fromName, const QString& toName)
{
    if (!std::isfinite(from))
        return QStringLiteral("The %1 value must be a finite number.").arg(fromName);
    if (!std::isfinite(to))
        return QStringLiteral("The %1 value must be a finite number.").arg(toName);
    if (!std::isfinite(to - from))
        return QStringLiteral("The %1 and %2 values are too far apart.").arg(fromName, toName);
    return {};
}

} // namespace

QString AxisValuesProblem(double Left, double Right, double Bottom, double Top, bool LogX, bool LogY)
{
    if (Left == Right)
        return QStringLiteral("The left and right values cannot be the same.");
    if (LogX && Left <= 0)
        return QStringLiteral("The left value must be positive for a Log10 scale.");
    if (LogX && Right <= 0)
        return QStringLiteral("The right value must be positive for a Log10 scale.");
    if (const QString x = RangeProblem(Left, Right, QStringLiteral("left"), QStringLiteral("right"));
        !x.isEmpty())
        return x;
    if (Bottom == Top)
        return QStringLiteral("The bottom and top values cannot be the same.");
    if (LogY && Bottom <= 0)
        return QStringLiteral("The bottom value must be positive for a Log10 scale.");
    if (LogY && Top <= 0)
        return QStringLiteral("The top value must be positive for a Log10 scale.");
    if (const QString y = RangeProblem(Bottom, Top, QStringLiteral("bottom"), QStringLiteral("top"));
        !y.isEmpty())
        return y;
    return {};
}

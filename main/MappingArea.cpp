#include "MappingArea.h"

TExtractArea MappingArea(const TViewMapping& Mapping, int Width, int Height)
{
    if (!Mapping.MappingValid() && Mapping.Calibration.PointsInForce())
        return {{0, 0, Width - 1, Height - 1}, 0};
    return {Mapping.MappingRect, Mapping.Angle};
}

QString XLimitProblem(const TViewMapping& Mapping, double Value, const QString& Text, double& Limit)
{
    if (Mapping.Calibration.PointsInForce())
        return QStringLiteral("X limits need the plotting area's rectangle as the map: calibration points may skew "
                              "the X axis.");
    if (!Mapping.FrameX(Value, Limit))
        return QStringLiteral("\"%1\" is no value of the X axis.").arg(Text);
    return {};
}

#include "SeriesJson.h"

#include "JobDocument.h"
#include "datatext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

QJsonValue Number(double Value)
{
    return std::isfinite(Value) ? QJsonValue(Value) : QJsonValue(QJsonValue::Null);
}

QJsonValue AxisValue(const TViewMapping& Mapping, TAxis Axis, double Value)
{
    if (const std::optional<QString> date = DateValueText(Mapping, Axis, Value))
        return *date;
    return Number(Value);
}

QJsonArray Pair(const TViewMapping& Mapping, double X, double Y)
{
    return {AxisValue(Mapping, axX, X), AxisValue(Mapping, axY, Y)};
}

QJsonObject Calibration(const TViewMapping& M)
{
    static constexpr const char* kinds[] = {"rectangle", "points", "polar"};
    static constexpr const char* units[] = {"number", "date", "time"};
    QJsonObject out{{QStringLiteral("kind"), QLatin1String(kinds[M.Calibration.Kind])},
                    {QStringLiteral("x_axis"), M.AxisXMap == amLog10 ? QStringLiteral("log10") : QStringLiteral("linear")},
                    {QStringLiteral("y_axis"), M.AxisYMap == amLog10 ? QStringLiteral("log10") : QStringLiteral("linear")},
                    {QStringLiteral("x_unit"), QLatin1String(units[M.XUnit])},
                    {QStringLiteral("y_unit"), QLatin1String(units[M.YUnit])}};
    if (M.Calibration.PointsInForce()) {
        QJsonArray points;
        for (const TCalibrationPoint& p : M.Calibration.Points)
            points.append(QJsonObject{{QStringLiteral("pixel"), QJsonArray{p.Pixel.X, p.Pixel.Y}},
                                      {QStringLiteral("data"), Pair(M, p.X, p.Y)}});
        out.insert(QStringLiteral("points"), points);
        if (M.Calibration.Kind == ckPolar) {
            out.insert(QStringLiteral("radians"), M.Calibration.Radians);
            out.insert(QStringLiteral("clockwise"), M.Calibration.Clockwise);
        }
        return out;
    }
    const TRect& r = M.MappingRect;
    out.insert(QStringLiteral("rectangle"), QJsonObject{{QStringLiteral("left"), r.Left},
                                                        {QStringLiteral("top"), r.Top},
                                                        {QStringLiteral("right"), r.Right},
                                                        {QStringLiteral("bottom"), r.Bottom}});
    out.insert(QStringLiteral("x_values"), QJsonArray{AxisValue(M, axX, M.XLeftValue), AxisValue(M, axX, M.XRightValue)});
    out.insert(QStringLiteral("y_values"), QJsonArray{AxisValue(M, axY, M.YBottomValue), AxisValue(M, axY, M.YTopValue)});
    out.insert(QStringLiteral("angle"), M.Angle);
    return out;
}

} // namespace

QByteArray AllSeriesJson(const TJobDocument& Document)
{
    const TViewMapping& mapping = Document.Mapping();
    const QJsonObject calibration = Calibration(mapping);
    QJsonArray series;
    for (const TSeries& s : Document.Series) {
        QJsonArray points;
        for (const TSeriesPoint& p : s.Points) {
            const TDataPoint d = Document.DataOf(p);
            points.append(QJsonObject{{QStringLiteral("name"), p.Name},
                                      {QStringLiteral("pixel"), QJsonArray{p.X, p.Y}},
                                      {QStringLiteral("data"), Pair(mapping, d.X, d.Y)}});
        }
        series.append(QJsonObject{{QStringLiteral("name"), s.Name},
                                  {QStringLiteral("calibration"), calibration},
                                  {QStringLiteral("points"), points}});
    }
    return QJsonDocument(series).toJson(QJsonDocument::Compact);
}

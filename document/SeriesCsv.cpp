#include "SeriesCsv.h"

#include "JobDocument.h"
#include "FittedMap.h"
#include "datatext.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace {

void AppendNumber(QByteArray& out, double value)
{
    if (!std::isfinite(value))
        return;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr - buffer);
}

void AppendValue(QByteArray& out, const TViewMapping& mapping, TAxis axis, double value)
{
    if (const std::optional<QString> date = DateValueText(mapping, axis, value))
        out += date->toUtf8();
    else
        AppendNumber(out, value);
}

// How far a change of Step in an axis's t moves its value Value.
double Spread(TAxisMapping kind, double value, double step)
{
    return kind == amLog10 ? std::abs(value) * std::numbers::ln10 * step : step;
}

void AppendUncertainty(QByteArray& out, const TViewMapping& mapping, const TPointF& at, const TDataPoint& d,
                       const double (&rms)[2])
{
    for (const TAxis axis : {axX, axY}) {
        TAxisMapping kind = amLinear;
        double step = 0;
        const double value = axis == axX ? d.X : d.Y;
        out += ',';
        if (mapping.AxisStep(axis, kind, step, &at))
            AppendNumber(out, Spread(kind, value, step / 2));
    }
    if (mapping.Calibration.Kind != ckPoints)
        return;
    for (const TAxis axis : {axX, axY}) {
        TAxisMapping kind = amLinear;
        double step = 0;
        out += ',';
        if (mapping.AxisStep(axis, kind, step))
            AppendNumber(out, Spread(kind, axis == axX ? d.X : d.Y, rms[axis]));
    }
}

} // namespace

QByteArray CsvField(const QString& Text)
{
    QByteArray bytes = Text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\r') && !bytes.contains('\n'))
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

QByteArray AllSeriesCsv(const TJobDocument& Document, bool Uncertainty)
{
    const TViewMapping& mapping = Document.Mapping();
    QByteArray out = "series,point,x,y,pixel x,pixel y";
    double rms[2] = {0, 0};
    if (Uncertainty) {
        out += ",x half pixel,y half pixel";
        TFittedMap fitted;
        if (const TPointsMap* map = mapping.FittedMap(fitted) ? std::get_if<TPointsMap>(&fitted.Map) : nullptr) {
            out += ",x fit residual,y fit residual";
            rms[axX] = RmsResidual(mapping.Calibration.Points, *map, axX);
            rms[axY] = RmsResidual(mapping.Calibration.Points, *map, axY);
        }
    }
    out += "\r\n";
    for (const TSeries& series : Document.Series) {
        for (const TSeriesPoint& p : series.Points) {
            const TDataPoint d = Document.DataOf(p);
            out += CsvField(series.Name);
            out += ',';
            out += CsvField(p.Name);
            out += ',';
            AppendValue(out, mapping, axX, d.X);
            out += ',';
            AppendValue(out, mapping, axY, d.Y);
            out += ',';
            AppendNumber(out, p.X);
            out += ',';
            AppendNumber(out, p.Y);
            if (Uncertainty)
                AppendUncertainty(out, mapping, {p.X, p.Y}, d, rms);
            out += "\r\n";
        }
    }
    return out;
}

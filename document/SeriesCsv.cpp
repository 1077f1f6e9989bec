#include "SeriesCsv.h"

#include "JobDocument.h"

#include <charconv>
#include <cmath>

namespace {

void AppendField(QByteArray& out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n')) {
        QByteArray quoted = bytes;
        quoted.replace('"', "\"\"");
        out += '"' + quoted + '"';
    } else {
        out += bytes;
    }
}

void AppendNumber(QByteArray& out, double value)
{
    if (!std::isfinite(value))
        return;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr - buffer);
}

} // namespace

QByteArray AllSeriesCsv(const TJobDocument& Document)
{
    QByteArray out = "series,point,x,y,pixel x,pixel y\r\n";
    for (const TSeries& series : Document.Series) {
        for (const TSeriesPoint& p : series.Points) {
            const TDataPoint d = Document.DataOf(p);
            AppendField(out, series.Name);
            out += ',';
            AppendField(out, p.Name);
            out += ',';
            AppendNumber(out, d.X);
            out += ',';
            AppendNumber(out, d.Y);
            out += ',';
            AppendNumber(out, p.X);
            out += ',';
            AppendNumber(out, p.Y);
            out += "\r\n";
        }
    }
    return out;
}

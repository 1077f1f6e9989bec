#include "CalibrationCsv.h"

#include "FittedMap.h"
#include "platform/Conversions.h"
#include "platform/DateText.h"

#include <QStringList>

#include <cmath>
#include <optional>

namespace {

std::optional<double> Number(const QString& Text)
{
    const std::optional<double> v = TryStrToFloat(Text.trimmed(), QStringLiteral("."));
    return v && std::isfinite(*v) ? v : std::nullopt;
}

// One value cell; its unit must be the column's, which the first value sets.
bool ReadValue(const QString& Cell, const QString& Axis, std::optional<TAxisUnit>& Unit, double& Value, QString& Problem)
{
    const QString text = Cell.trimmed();
    if (text.isEmpty())
        return true;
    TAxisUnit unit = auNumber;
    std::optional<double> v = Number(text);
    if (!v) {
        v = ParseDateTime(text);
        unit = IsTimeOfDayText(text) ? auTime : auDate;
    }
    if (!v) {
        Problem = QStringLiteral("its %1 value %2 is neither a number nor an ISO 8601 date or time").arg(Axis, Excerpt(text));
        return false;
    }
    if (Unit && *Unit != unit) {
        Problem = QStringLiteral("its %1 value %2 is not of the kind of the %1 values before it").arg(Axis, Excerpt(text));
        return false;
    }
    Unit = unit;
    Value = *v;
    return true;
}

} // namespace

bool ReadCalibrationCsv(const QByteArray& Bytes, TMapping& Mapping, QString& Problem)
{
    TMapping m = Mapping;
    m.AxisXMap = m.AxisYMap = amLinear;
    m.Calibration = {ckPoints, {}};
    std::optional<TAxisUnit> xUnit, yUnit;
    bool header = false;
    const QStringList lines = QString::fromUtf8(Bytes).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const auto fail = [&](const QString& why) {
            Problem = QStringLiteral("line %1: %2").arg(i + 1).arg(why);
            return false;
        };
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'#')) {
            const QString directive = line.mid(1).trimmed().toLower();
            if (directive == QStringLiteral("log-x"))
                m.AxisXMap = amLog10;
            else if (directive == QStringLiteral("log-y"))
                m.AxisYMap = amLog10;
            else if (directive == QStringLiteral("polar"))
                m.Calibration.Kind = ckPolar;
            else if (directive == QStringLiteral("radians"))
                m.Calibration.Radians = true;
            else if (directive == QStringLiteral("clockwise"))
                m.Calibration.Clockwise = true;
            continue;
        }
        const QStringList cells = line.split(u',');
        if (!header) {
            if (line.compare(QStringLiteral("px,py,x,y"), Qt::CaseInsensitive) != 0)
                return fail(QStringLiteral("the header must be px,py,x,y"));
            header = true;
            continue;
        }
        if (cells.size() != 4)
            return fail(QStringLiteral("a point has four cells, px,py,x,y"));
        TCalibrationPoint p;
        const std::optional<double> px = Number(cells[0]), py = Number(cells[1]);
        if (!px || !py)
            return fail(QStringLiteral("its pixel position %1,%2 is not two numbers").arg(Excerpt(cells[0]), Excerpt(cells[1])));
        p.Pixel = {*px, *py};
        QString why;
        if (!ReadValue(cells[2], QStringLiteral("x"), xUnit, p.X, why) || !ReadValue(cells[3], QStringLiteral("y"), yUnit, p.Y, why))
            return fail(why);
        // A polar chart's centre, its first point, may give neither.
        if (!p.HasX() && !p.HasY() && (m.Calibration.Kind != ckPolar || !m.Calibration.Points.empty()))
            return fail(QStringLiteral("the point gives neither x nor y"));
        m.Calibration.Points.push_back(p);
    }
    if (!header) {
        Problem = QStringLiteral("it has no header px,py,x,y");
        return false;
    }
    m.XUnit = xUnit.value_or(auNumber);
    m.YUnit = yUnit.value_or(auNumber);
    TFittedMap map;
    if (!FitCalibration(m.Calibration, m.AxisXMap, m.AxisYMap, map, &Problem))
        return false;
    Mapping = m;
    return true;
}

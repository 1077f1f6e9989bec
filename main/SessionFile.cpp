#include "SessionFile.h"

#include "platform/Conversions.h"
#include "platform/DecimalSeparator.h"
#include "platform/FileError.h"
#include "platform/ProfileFile.h"

#include <cmath>
#include <limits>

namespace {

int ReadInteger(const TProfileFile& ini, const QString& section, const QString& key, int fallback)
{
    return TryStrToInt(ini.ReadString(section, key, QString())).value_or(fallback);
}

double ReadFloat(const TProfileFile& ini, const QString& section, const QString& key, double fallback)
{
    const QString text = ini.ReadString(section, key, QString());
    if (text.isEmpty())
        return fallback;
    return TryStrToFloatAnyLocale(text, DecimalSeparator()).value_or(fallback);
}

// A coordinate far outside any picture would overflow the mapping's
// arithmetic; such a file is refused as a whole.
int Coordinate(int value, const QString& what)
{
    if (value < -MaxSessionCoordinate || value > MaxSessionCoordinate)
        throw EConvertError(QStringLiteral("%1 = %2 lies outside -%3 to %3")
                                .arg(what)
                                .arg(value)
                                .arg(MaxSessionCoordinate));
    return value;
}

// A point entry "name=X,Y": X lies between the first "=" and the first
// comma of the entry text, Y after that comma.
TSession::TPointEntry ParsePoint(const QString& key, const QString& value)
{
    const QString entry = key + u'=' + value;
    const qsizetype p1 = entry.indexOf(u'=');
    const qsizetype p2 = entry.indexOf(u',');
    const QString x = p2 > p1 ? entry.mid(p1 + 1, p2 - p1 - 1) : QString();
    const QString y = p2 >= 0 ? entry.mid(p2 + 1) : entry;
    const QString where = QStringLiteral("point %1").arg(key);
    return {key, Coordinate(StrToInt(x), where + QStringLiteral(" X")),
            Coordinate(StrToInt(y), where + QStringLiteral(" Y"))};
}

TSession Parse(const TProfileFile& ini)
{
    TSession s;
    s.Path = ini.ReadString(QStringLiteral("image"), QStringLiteral("path"), QString());
    const QString rect = QStringLiteral("screenrect");
    s.Rect.Left = Coordinate(ReadInteger(ini, rect, QStringLiteral("x1"), 0), QStringLiteral("screenrect x1"));
    s.Rect.Top = Coordinate(ReadInteger(ini, rect, QStringLiteral("y1"), 0), QStringLiteral("screenrect y1"));
    s.Rect.Right = Coordinate(ReadInteger(ini, rect, QStringLiteral("x2"), 0), QStringLiteral("screenrect x2"));
    s.Rect.Bottom = Coordinate(ReadInteger(ini, rect, QStringLiteral("y2"), 0), QStringLiteral("screenrect y2"));
    s.XLeft = ReadFloat(ini, QStringLiteral("dimensions"), QStringLiteral("x1"), 0);
    s.XRight = ReadFloat(ini, QStringLiteral("dimensions"), QStringLiteral("x2"), 100);
    s.YBottom = ReadFloat(ini, QStringLiteral("dimensions"), QStringLiteral("y1"), 0);
    s.YTop = ReadFloat(ini, QStringLiteral("dimensions"), QStringLiteral("y2"), 100);
    s.AxisXMap = ReadInteger(ini, QStringLiteral("dimensions"), QStringLiteral("AxisXMap"), 0);
    s.AxisYMap = ReadInteger(ini, QStringLiteral("dimensions"), QStringLiteral("AxisYMap"), 0);
    // A repeated name reads its first entry's text, as a key look-up does.
    for (const auto& entry : ini.SectionEntries(SessionSeries))
        s.Points.push_back(ParsePoint(entry.first, ini.ReadString(SessionSeries, entry.first, QString())));
    const double angle = ReadFloat(ini, QStringLiteral("image"), QStringLiteral("angle"), 0);
    if (!std::isfinite(angle))
        throw EConvertError(QStringLiteral("the angle is not a finite number"));
    s.Angle = std::fmod(angle, 360.0);
    // A double beyond a float's range has no float value: such a zoom is as
    // bad as a negative one.
    const double zoom = ReadFloat(ini, QStringLiteral("image"), QStringLiteral("zoom"), 1);
    s.Zoom = zoom > 0 && zoom <= double(std::numeric_limits<float>::max()) ? float(zoom) : 1.0f;
    if (!ini.EndsWithLineEnd())
        s.Warnings.append(
            QStringLiteral("It looks truncated: its last line has no line end, so its last value may be wrong."));
    return s;
}

// Parse, with any refusal naming the file.
TSession Checked(const TProfileFile& ini, const QString& FileName)
{
    try {
        return Parse(ini);
    } catch (const EConvertError& e) {
        throw EConvertError(QStringLiteral("The session file %1 cannot be loaded: %2").arg(FileName, e.Message));
    }
}

} // namespace

TSession ParseSession(const QByteArray& Bytes, const QString& FileName)
{
    TProfileFile ini;
    ini.Parse(Bytes);
    return Checked(ini, FileName);
}

TSession ReadSession(const QString& FileName)
{
    TProfileFile ini;
    QString why;
    if (!ini.Load(FileName, &why))
        throw EFileError(QStringLiteral("Cannot open the session file %1: %2").arg(FileName, why));
    return Checked(ini, FileName);
}

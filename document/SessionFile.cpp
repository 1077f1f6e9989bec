#include "SessionFile.h"

#include "JobDocument.h"
#include "PixelText.h"
#include "platform/CoordinateText.h"

#include "platform/Conversions.h"
#include "platform/DecimalSeparator.h"
#include "platform/FileError.h"
#include "platform/ProfileFile.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <set>
#include <type_traits>
#include <variant>
#include <limits>

namespace {

// A value that is there but unusable gives way to the default, with a word.
QString Unusable(const QString& section, const QString& key, const QString& text, const QString& what,
                 const QString& used)
{
    return QStringLiteral("Its value [%1] %2=%3 is not %4, so %5 was used.").arg(section, key, Excerpt(text), what, used);
}

int ReadInteger(const TProfileFile& ini, const QString& section, const QString& key, int fallback,
                QStringList& warnings)
{
    const QString text = ini.ReadString(section, key, QString());
    if (text.isEmpty())
        return fallback;
    if (const std::optional<int> value = TryStrToInt(text))
        return *value;
    warnings.append(Unusable(section, key, text, QStringLiteral("a whole number"), QString::number(fallback)));
    return fallback;
}

double ReadFloat(const TProfileFile& ini, const QString& section, const QString& key, double fallback,
                 QStringList& warnings)
{
    const QString text = ini.ReadString(section, key, QString());
    if (text.isEmpty())
        return fallback;
    const std::optional<double> value = TryStrToFloatAnyLocale(text, DecimalSeparator());
    if (value && std::isfinite(*value))
        return *value;
    warnings.append(Unusable(section, key, text, QStringLiteral("a finite number"), QString::number(fallback)));
    return fallback;
}

// Whether a file holds any of a session's sections: a file of none is
// some other file given by mistake, not an empty session.
bool LooksLikeSession(const TProfileFile& ini)
{
    const QStringList names = ini.SectionNames();
    return std::any_of(names.begin(), names.end(), IsSessionSection);
}

// An integer, as ever, or a decimal number with "." as sessions write
// fractional positions; anything else raises the integer's error.
double CoordinateValue(const QString& text)
{
    if (const std::optional<int> whole = TryStrToInt(text))
        return *whole;
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+\\.[0-9]+$"));
    if (decimal.match(text).hasMatch())
        return ThousandthPixel(text.toDouble());
    return StrToInt(text);
}

// A coordinate far outside any picture would overflow the mapping's
// arithmetic; such a file is refused as a whole.
template <class TNumber>
bool InCoordinateRange(TNumber value)
{
    return value >= -MaxSessionCoordinate && value <= MaxSessionCoordinate;
}

template <class TNumber>
TNumber Coordinate(TNumber value, const QString& what)
{
    if (!InCoordinateRange(value))
        throw EConvertError(QStringLiteral("%1 = %2 lies outside -%3 to %3")
                                .arg(what, PixelText(value))
                                .arg(MaxSessionCoordinate));
    return value;
}

// A point entry "name=X,Y": X lies between the first "=" and the first
// comma of the entry text, Y after that comma.
TSeriesPoint ParsePoint(const QString& key, const QString& value)
{
    QString x, y;
    if (const qsizetype comma = value.indexOf(u','); comma >= 0 && !key.contains(u',')) {
        x = value.left(comma);
        y = value.mid(comma + 1);
    } else {
        const QString entry = key + u'=' + value;
        const qsizetype p1 = entry.indexOf(u'=');
        const qsizetype p2 = entry.indexOf(u',');
        x = p2 > p1 ? entry.mid(p1 + 1, p2 - p1 - 1) : QString();
        y = p2 >= 0 ? entry.mid(p2 + 1) : entry;
    }
    const double px = CoordinateValue(x);
    const double py = CoordinateValue(y);
    const bool exact = x.contains(u'.') || y.contains(u'.');
    if (InCoordinateRange(px) && InCoordinateRange(py))
        return {key, px, py, exact};
    const QString where = QStringLiteral("point %1").arg(key);
    return {key, Coordinate(px, where + QStringLiteral(" X")), Coordinate(py, where + QStringLiteral(" Y")), exact};
}

// An exact point on whole pixels keeps its mark as a decimal X ("12.0,7"),
// which readers that know no mark take as the same position.
QString PointText(const TSeriesPoint& P)
{
    QString x = PixelText(P.X);
    const QString y = PixelText(P.Y);
    if (P.Exact && !x.contains(u'.') && !y.contains(u'.'))
        x += QStringLiteral(".0");
    return x + u',' + y;
}

const QString SeriesInfo = QStringLiteral("series");
const QString CalibrationInfo = QStringLiteral("calibration");

// The names a session gives calibration kinds and axis units; a name not
// here was written by a newer Quillon, whose map this one would misread.
const std::pair<const char*, TCalibrationKind> KindNames[] = {{"rectangle", ckRectangle}, {"points", ckPoints},
                                                                {"polar", ckPolar}};
const std::pair<const char*, bool> AngleNames[] = {{"degrees", false}, {"radians", true}};
const std::pair<const char*, TAxisUnit> UnitNames[] = {{"number", auNumber}, {"date", auDate}, {"time", auTime}};

template <class TValue, std::size_t N>
TValue NamedValue(const std::pair<const char*, TValue> (&names)[N], const QString& key, const QString& text)
{
    for (const auto& [name, value] : names)
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return value;
    throw EConvertError(QStringLiteral("its [calibration] %1=%2 is not one this version of Quillon knows; a newer one "
                                       "wrote it")
                            .arg(key, Excerpt(text)));
}

template <class TValue, std::size_t N>
QString NameOf(const std::pair<const char*, TValue> (&names)[N], TValue value)
{
    for (const auto& [name, v] : names)
        if (v == value)
            return QLatin1String(name);
    return {};
}

// "px,py,x,y", a value left empty where the point does not give it.
TCalibrationPoint ParseCalibrationPoint(const QString& key, const QString& text)
{
    const QStringList cells = text.split(u',');
    if (cells.size() != 4)
        throw EConvertError(QStringLiteral("its calibration point %1=%2 is not px,py,x,y").arg(key, Excerpt(text)));
    TCalibrationPoint p;
    const QString where = QStringLiteral("calibration point %1").arg(key);
    p.Pixel = {Coordinate(CoordinateValue(cells[0]), where + QStringLiteral(" px")),
               Coordinate(CoordinateValue(cells[1]), where + QStringLiteral(" py"))};
    for (const auto& [cell, value] : {std::pair{cells[2], &p.X}, std::pair{cells[3], &p.Y}}) {
        if (cell.isEmpty())
            continue;
        const std::optional<double> v = TryStrToFloatAnyLocale(cell, DecimalSeparator());
        if (!v || !std::isfinite(*v))
            throw EConvertError(QStringLiteral("its calibration point %1=%2 holds no number").arg(key, Excerpt(text)));
        *value = *v;
    }
    return p;
}

void ParseCalibration(const TProfileFile& ini, TMapping& m)
{
    const auto read = [&](const char* key) { return ini.ReadString(CalibrationInfo, QLatin1String(key), QString()); };
    if (const QString kind = read("kind"); !kind.isEmpty())
        m.Calibration.Kind = NamedValue(KindNames, QStringLiteral("kind"), kind);
    if (const QString unit = read("XUnit"); !unit.isEmpty())
        m.XUnit = NamedValue(UnitNames, QStringLiteral("XUnit"), unit);
    if (const QString unit = read("YUnit"); !unit.isEmpty())
        m.YUnit = NamedValue(UnitNames, QStringLiteral("YUnit"), unit);
    if (const QString angle = read("AngleUnit"); !angle.isEmpty())
        m.Calibration.Radians = NamedValue(AngleNames, QStringLiteral("AngleUnit"), angle);
    m.Calibration.Clockwise = read("Clockwise") == QStringLiteral("1");
    for (const auto& [key, text] : ini.FirstEntries(CalibrationInfo)) {
        if (!key.startsWith(QStringLiteral("point"), Qt::CaseInsensitive))
            continue;
        m.Calibration.Points.push_back(ParseCalibrationPoint(key, text));
        // Only a polar chart's centre, the first point, may go without a
        // value; it is kept while another map is in force.
        if (const TCalibrationPoint& p = m.Calibration.Points.back();
            !p.HasX() && !p.HasY() && m.Calibration.Points.size() > 1)
            throw EConvertError(QStringLiteral("its calibration point %1=%2 gives no value").arg(key, Excerpt(text)));
    }
}

// One look field as the [series] section keeps it, N appended to the key.
// Reading keeps a number to Min..Max and an ordinal outside them gives the
// first.
struct TLookKey {
    const char* Key;
    std::variant<bool TSeriesLook::*, int TSeriesLook::*, TPointType TSeriesLook::*, TPenStyle TSeriesLook::*> Member;
    int Min = 0;
    int Max = 0;

    int Get(const TSeriesLook& look) const
    {
        return std::visit([&look](auto m) { return int(look.*m); }, Member);
    }
    void Set(TSeriesLook& look, int value) const
    {
        std::visit(
            [&](auto m) {
                using T = std::remove_reference_t<decltype(look.*m)>;
                if constexpr (std::is_same_v<T, bool>)
                    look.*m = value != 0;
                else if constexpr (std::is_enum_v<T>)
                    look.*m = value >= Min && value <= Max ? T(value) : T(Min);
                else
                    look.*m = Min < Max ? std::clamp(value, Min, Max) : value;
            },
            Member);
    }
};

const TLookKey LookKeys[] = {
    {"DrawPoints", &TSeriesLook::DrawPoints},
    {"PointType", &TSeriesLook::PointType, ptPlus, ptSmallDot},
    {"PointSize", &TSeriesLook::PointSize, MinLookPointSize, MaxLookPointSize},
    {"PointColour", &TSeriesLook::PointColour},
    {"PointFillColour", &TSeriesLook::PointFillColour},
    {"PointSolid", &TSeriesLook::PointSolid},
    {"DrawLine", &TSeriesLook::DrawLine},
    {"LineColour", &TSeriesLook::LineColour},
    {"LineStyle", &TSeriesLook::LineStyle, psSolid, psInsideFrame},
};

QString NumberedKey(const char* key, int n)
{
    return QLatin1String(key) + QString::number(n);
}

// The series numbers a file holds: 1 to its count, and every N with a
// section "series/seriesN"; series 1 alone when there is neither. A section
// that looks like a series but is numbered otherwise is named in Warnings.
std::vector<int> SeriesNumbers(const TProfileFile& ini, QStringList& Warnings)
{
    std::set<int> numbers;
    const QString count = ini.ReadString(SeriesInfo, QStringLiteral("count"), QString());
    if (!count.isEmpty()) {
        const std::optional<int> n = TryStrToInt(count);
        if (!n || *n < 1 || *n > MaxSessionSeries)
            throw EConvertError(
                QStringLiteral("series count = %1 lies outside 1 to %2").arg(Excerpt(count)).arg(MaxSessionSeries));
        for (int i = 1; i <= *n; ++i)
            numbers.insert(i);
    }
    const QString prefix = QStringLiteral("series/series");
    for (const QString& name : ini.SectionNames()) {
        if (!name.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        // Only the canonical spelling: "series01" would read as a second
        // series 1.
        const std::optional<int> n = TryStrToInt(name.mid(prefix.size()));
        if (n && *n >= 1 && SeriesSection(*n).compare(name, Qt::CaseInsensitive) == 0)
            numbers.insert(*n);
        else
            Warnings.append(
                QStringLiteral("Its section [%1] is not a series numbered from 1, so its points were not read.")
                    .arg(name));
    }
    if (numbers.size() > std::size_t(MaxSessionSeries))
        throw EConvertError(QStringLiteral("it holds more than %1 series").arg(MaxSessionSeries));
    if (numbers.empty())
        numbers.insert(1);
    return {numbers.begin(), numbers.end()};
}

TSeries ParseSeries(const TProfileFile& ini, int n, const TSeriesLook& defaultLook,
                    const std::vector<TSeries>& before, QStringList& warnings)
{
    TSeries series;
    series.Name = ini.ReadString(SeriesInfo, NumberedKey("name", n), QString());
    if (series.Name.isEmpty())
        series.Name = SeriesDefaultName(n);
    series.Look = defaultLook;
    // Series the file gives no colour are told apart as new ones are.
    series.Look.PointColour = DistinctColour(before, defaultLook.PointColour, &TSeriesLook::PointColour);
    series.Look.LineColour = DistinctColour(before, defaultLook.LineColour, &TSeriesLook::LineColour);
    for (const TLookKey& key : LookKeys)
        if (const auto v = TryStrToInt(ini.ReadString(SeriesInfo, NumberedKey(key.Key, n), QString())))
            key.Set(series.Look, *v);
    // A repeated name reads its first entry's text, as a key look-up does,
    // and only the first becomes a point.
    const std::vector<TProfileFile::TEntry> entries = ini.FirstEntries(SeriesSection(n));
    series.Points.reserve(entries.size());
    for (const auto& [name, text] : entries)
        series.Points.push_back(ParsePoint(name, text));
    for (const QString& line : ini.NamelessLines(SeriesSection(n)))
        warnings.append(QStringLiteral("A point of [%1] has no name, so its line %2 was not read.")
                            .arg(SeriesSection(n), Excerpt(line)));
    return series;
}

// A drawing's page is read whole or the session is refused: another page,
// or the page at another resolution, would put every point somewhere else.
void ParseDrawingPage(const TProfileFile& ini, TSession& s)
{
    const QString image = QStringLiteral("image");
    const QString page = ini.ReadString(image, QStringLiteral("page"), QString());
    const QString resolution = ini.ReadString(image, QStringLiteral("resolution"), QString());
    if (page.isEmpty() && resolution.isEmpty())
        return;
    bool pageRead = false, resolutionRead = false;
    s.Page = page.trimmed().toInt(&pageRead);
    s.Resolution = resolution.trimmed().toDouble(&resolutionRead);
    if (!pageRead || s.Page < 1 || s.Page > MaxDrawingPage)
        throw EConvertError(QStringLiteral("its [image] page=%1 is not a page number").arg(Excerpt(page)));
    if (!resolutionRead || !(s.Resolution >= MinDrawingResolution && s.Resolution <= MaxDrawingResolution))
        throw EConvertError(QStringLiteral("its [image] resolution=%1 is not %2 to %3 dots an inch")
                                .arg(Excerpt(resolution))
                                .arg(MinDrawingResolution)
                                .arg(MaxDrawingResolution));
}

TSession Parse(const TProfileFile& ini, const TSeriesLook& defaultLook)
{
    if (!LooksLikeSession(ini))
        throw EConvertError(QStringLiteral(
            "it is not a session: it holds none of the sections [image], [screenrect], [dimensions] and [series/series1]"));
    TSession s;
    QStringList& w = s.Warnings;
    s.Path = ini.ReadString(QStringLiteral("image"), QStringLiteral("path"), QString());
    const QString rect = QStringLiteral("screenrect");
    TRect& r = s.Mapping.MappingRect;
    r.Left = Coordinate(ReadInteger(ini, rect, QStringLiteral("x1"), 0, w), QStringLiteral("screenrect x1"));
    r.Top = Coordinate(ReadInteger(ini, rect, QStringLiteral("y1"), 0, w), QStringLiteral("screenrect y1"));
    r.Right = Coordinate(ReadInteger(ini, rect, QStringLiteral("x2"), 0, w), QStringLiteral("screenrect x2"));
    r.Bottom = Coordinate(ReadInteger(ini, rect, QStringLiteral("y2"), 0, w), QStringLiteral("screenrect y2"));
    if (ini.SectionNames().contains(rect, Qt::CaseInsensitive) && (r.Left == r.Right || r.Top == r.Bottom))
        w.append(QStringLiteral("Its plotting area [screenrect] x1=%1, x2=%2, y1=%3, y2=%4 has no %5, so its points "
                                "have no data values.")
                     .arg(r.Left)
                     .arg(r.Right)
                     .arg(r.Top)
                     .arg(r.Bottom)
                     .arg(r.Left == r.Right ? QStringLiteral("width") : QStringLiteral("height")));
    const QString dimensions = QStringLiteral("dimensions");
    s.Mapping.XLeftValue = ReadFloat(ini, dimensions, QStringLiteral("x1"), 0, w);
    s.Mapping.XRightValue = ReadFloat(ini, dimensions, QStringLiteral("x2"), 100, w);
    s.Mapping.YBottomValue = ReadFloat(ini, dimensions, QStringLiteral("y1"), 0, w);
    s.Mapping.YTopValue = ReadFloat(ini, dimensions, QStringLiteral("y2"), 100, w);
    s.AxisXMap = ReadInteger(ini, dimensions, QStringLiteral("AxisXMap"), 0, w);
    s.AxisYMap = ReadInteger(ini, dimensions, QStringLiteral("AxisYMap"), 0, w);
    const std::vector<int> numbers = SeriesNumbers(ini, w);
    const int current = ReadInteger(ini, SeriesInfo, QStringLiteral("current"), 1, w);
    for (const int n : numbers) {
        if (n == current)
            s.Current = int(s.Series.size());
        s.Series.push_back(ParseSeries(ini, n, defaultLook, s.Series, w));
    }
    ParseCalibration(ini, s.Mapping);
    const QString image = QStringLiteral("image");
    s.Mapping.Angle = std::fmod(ReadFloat(ini, image, QStringLiteral("angle"), 0, w), 360.0);
    // A double beyond a float's range has no float value: such a zoom is as
    // bad as a negative one.
    const double zoom = ReadFloat(ini, image, QStringLiteral("zoom"), 1, w);
    const bool zoomFits = zoom > 0 && zoom <= double(std::numeric_limits<float>::max());
    s.Zoom = zoomFits ? float(zoom) : 1.0f;
    if (!zoomFits)
        w.append(Unusable(image, QStringLiteral("zoom"), ini.ReadString(image, QStringLiteral("zoom"), QString()),
                          QStringLiteral("a zoom"), QStringLiteral("1")));
    ParseDrawingPage(ini, s);
    if (!ini.EndsWithLineEnd())
        s.Warnings.append(
            QStringLiteral("It looks truncated: its last line has no line end, so its last value may be wrong."));
    return s;
}

// Parse, with any refusal naming the file.
TSession Checked(const TProfileFile& ini, const QString& FileName, const TSeriesLook& defaultLook)
{
    try {
        return Parse(ini, defaultLook);
    } catch (const EConvertError& e) {
        throw EConvertError(QStringLiteral("The session file %1 cannot be loaded: %2").arg(FileName, e.Message));
    }
}

} // namespace

TSession ParseSession(const QByteArray& Bytes, const QString& FileName, const TSeriesLook& DefaultLook)
{
    TProfileFile ini;
    ini.Parse(Bytes);
    return Checked(ini, FileName, DefaultLook);
}

TSession ReadSession(const QString& FileName, const TSeriesLook& DefaultLook)
{
    TProfileFile ini;
    QString why;
    if (!ini.Load(FileName, &why))
        throw EFileError(QStringLiteral("Cannot open the session file %1: %2").arg(FileName, why));
    return Checked(ini, FileName, DefaultLook);
}

bool IsSessionSection(const QString& Name)
{
    return std::any_of(SessionSections.begin(), SessionSections.end(), [&](const char* section) {
        const QLatin1String known(section);
        return known.endsWith(u'/') ? Name.startsWith(known, Qt::CaseInsensitive)
                                    : Name.compare(known, Qt::CaseInsensitive) == 0;
    });
}

QString SeriesSection(int N)
{
    return QStringLiteral("series/series") + QString::number(N);
}

QString SeriesDefaultName(int N)
{
    return QStringLiteral("Series ") + QString::number(N);
}

namespace {

QString FloatText(double value)
{
    return CoordinateText(value, 15, 0);
}

// Whether the job needs more than the one-series format can say.
bool NeedsSeriesInfo(const TJobDocument& d, const TSeriesLook& defaultLook)
{
    return d.Series.size() != 1 || d.Series[0].Name != SeriesDefaultName(1) || !(d.Series[0].Look == defaultLook);
}

// Only a job that uses calibration points or date axes has the section, so
// any other is written in the one-series format as ever.
void WriteCalibration(TProfileFile& ini, const TMapping& m)
{
    const TCalibration& c = m.Calibration;
    if (!c.PointsInForce() && c.Points.empty() && m.XUnit == auNumber && m.YUnit == auNumber)
        return;
    ini.WriteString(CalibrationInfo, QStringLiteral("kind"), NameOf(KindNames, c.Kind));
    ini.WriteString(CalibrationInfo, QStringLiteral("XUnit"), NameOf(UnitNames, m.XUnit));
    ini.WriteString(CalibrationInfo, QStringLiteral("YUnit"), NameOf(UnitNames, m.YUnit));
    if (c.Kind == ckPolar) {
        ini.WriteString(CalibrationInfo, QStringLiteral("AngleUnit"), NameOf(AngleNames, c.Radians));
        ini.WriteString(CalibrationInfo, QStringLiteral("Clockwise"), c.Clockwise ? QStringLiteral("1") : QStringLiteral("0"));
    }
    // "." whatever the locale: a "," would split the cells.
    const auto value = [](double v) { return std::isnan(v) ? QString() : CoordinateText(v, 15, 0, QStringLiteral(".")); };
    for (std::size_t i = 0; i < c.Points.size(); ++i) {
        const TCalibrationPoint& p = c.Points[i];
        ini.WriteString(CalibrationInfo, QStringLiteral("point%1").arg(i + 1),
                        QStringList{PixelText(p.Pixel.X), PixelText(p.Pixel.Y), value(p.X), value(p.Y)}.join(u','));
    }
}

TProfileFile SessionProfile(const TJobDocument& Document, const TSeriesLook& DefaultLook)
{
    // Each value goes to the end of its section, a new section to the end
    // of the file: the order of these writes is the file's layout.
    const TViewMapping& m = Document.Mapping();
    TProfileFile ini;
    if (!Document.ImageFileName.isEmpty() && QFileInfo::exists(Document.ImageFileName))
        ini.WriteString(QStringLiteral("image"), QStringLiteral("path"), Document.ImageFileName);
    if (m.MappingValid()) {
        ini.WriteString(QStringLiteral("screenrect"), QStringLiteral("x1"), QString::number(m.MappingRect.Left));
        ini.WriteString(QStringLiteral("screenrect"), QStringLiteral("x2"), QString::number(m.MappingRect.Right));
        ini.WriteString(QStringLiteral("screenrect"), QStringLiteral("y1"), QString::number(m.MappingRect.Top));
        ini.WriteString(QStringLiteral("screenrect"), QStringLiteral("y2"), QString::number(m.MappingRect.Bottom));
    }
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("y1"), FloatText(m.YBottomValue));
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("y2"), FloatText(m.YTopValue));
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("x1"), FloatText(m.XLeftValue));
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("x2"), FloatText(m.XRightValue));
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("AxisXMap"), QString::number(m.AxisXMap));
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("AxisYMap"), QString::number(m.AxisYMap));
    for (std::size_t i = 0; i < Document.Series.size(); ++i) {
        const QString section = SeriesSection(int(i) + 1);
        for (const TSeriesPoint& p : Document.Series[i].Points)
            ini.WriteString(section, p.Name, PointText(p));
    }
    if (NeedsSeriesInfo(Document, DefaultLook)) {
        ini.WriteString(SeriesInfo, QStringLiteral("count"), QString::number(Document.Series.size()));
        ini.WriteString(SeriesInfo, QStringLiteral("current"), QString::number(Document.Current + 1));
        for (std::size_t i = 0; i < Document.Series.size(); ++i) {
            const TSeries& series = Document.Series[i];
            const int n = int(i) + 1;
            ini.WriteString(SeriesInfo, NumberedKey("name", n), series.Name);
            for (const TLookKey& key : LookKeys)
                ini.WriteString(SeriesInfo, NumberedKey(key.Key, n), QString::number(key.Get(series.Look)));
        }
    }
    ini.WriteString(QStringLiteral("image"), QStringLiteral("angle"), FloatText(m.Angle));
    ini.WriteString(QStringLiteral("image"), QStringLiteral("zoom"), FloatText(double(m.Zoom)));
    if (Document.ImagePage > 0) {
        ini.WriteString(QStringLiteral("image"), QStringLiteral("page"), QString::number(Document.ImagePage));
        ini.WriteString(QStringLiteral("image"), QStringLiteral("resolution"),
                        CoordinateText(Document.ImageResolution, 15, 0, QStringLiteral(".")));
    }
    WriteCalibration(ini, m);
    return ini;
}

} // namespace

QByteArray SessionText(const TJobDocument& Document, const TSeriesLook& DefaultLook)
{
    return SessionProfile(Document, DefaultLook).Text();
}

TWritten SaveSession(const QString& FileName, const TJobDocument& Document, const TSeriesLook& DefaultLook)
{
    return SessionProfile(Document, DefaultLook).Save(FileName);
}

#include "JobDocument.h"

#include "PixelText.h"
#include "SessionFile.h"
#include "axisvalues.h"
#include "datatext.h"

#include <QSet>

#include <algorithm>
#include <limits>
#include <unordered_set>

namespace {

constexpr TColor Bgr(std::uint32_t rgb)
{
    return TColor(((rgb & 0xFFu) << 16) | (rgb & 0xFF00u) | ((rgb >> 16) & 0xFFu));
}

// Colours told apart on a white or grey chart, most distinct first.
constexpr TColor Palette[] = {Bgr(0xE6194B), Bgr(0x3CB44B), Bgr(0x4363D8), Bgr(0xF58231), Bgr(0x911EB4),
                              Bgr(0x42D4F4), Bgr(0xF032E6), Bgr(0x9A6324), Bgr(0x808000), Bgr(0x000075),
                              Bgr(0x800000), Bgr(0x469990), Bgr(0xBFEF45), Bgr(0xFABED4), Bgr(0xA9A9A9)};

} // namespace

TJobDocument::TJobDocument()
    : Series{{SeriesDefaultName(1), {}, {}}}
{
}

TJobDocument::TJobDocument(const TJobDocument& Other)
    : Series(Other.Series)
    , Current(Other.Current)
    , ImageFileName(Other.ImageFileName)
    , ImagePage(Other.ImagePage)
    , ImageResolution(Other.ImageResolution)
    , FOwnMapping(Other.Mapping())
{
}

void TJobDocument::Apply(const TSession& S)
{
    Series = S.Series;
    Current = std::clamp(S.Current, 0, int(Series.size()) - 1);
    ImageFileName = S.Path;
    ImagePage = S.Page;
    ImageResolution = S.Resolution;
    TViewMapping& m = Mapping();
    const TAxisMapping x = AxisMappingOf(S.AxisXMap, m.AxisXMap);
    const TAxisMapping y = AxisMappingOf(S.AxisYMap, m.AxisYMap);
    static_cast<TMapping&>(m) = S.Mapping;
    m.AxisXMap = x;
    m.AxisYMap = y;
    m.Zoom = S.Zoom;
}

QString TJobDocument::AxisProblem() const
{
    const TViewMapping& m = Mapping();
    return AxisValuesProblem(m.XLeftValue, m.XRightValue, m.YBottomValue, m.YTopValue, m.AxisXMap == amLog10,
                             m.AxisYMap == amLog10);
}

int TJobDocument::SeriesIndex(const QString& Name) const
{
    for (std::size_t i = 0; i < Series.size(); ++i)
        if (Series[i].Name.compare(Name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

TColor DistinctColour(const std::vector<TSeries>& Series, TColor Preferred, TColor TSeriesLook::*Which)
{
    std::unordered_set<TColor> taken;
    for (const TSeries& s : Series)
        taken.insert(s.Look.*Which);
    auto used = [&taken](TColor c) { return taken.count(c) > 0; };
    if (!used(Preferred))
        return Preferred;
    const auto free = std::find_if(std::begin(Palette), std::end(Palette), [&](TColor c) { return !used(c); });
    if (free != std::end(Palette))
        return *free;
    // Past the palette: an odd multiplier is one-to-one on 24 bits, so no
    // colour repeats before every one has been offered.
    for (std::uint32_t k = 1;; ++k) {
        const TColor c = TColor((k * 0x9E3779B1u) & 0xFFFFFFu);
        if (!used(c))
            return c;
    }
}

int TJobDocument::AddSeries(TSeriesLook Look)
{
    int n = int(Series.size()) + 1;
    while (SeriesIndex(SeriesDefaultName(n)) >= 0)
        ++n;
    // Lines too, for a look that draws lines and no points.
    Look.PointColour = DistinctColour(Series, Look.PointColour, &TSeriesLook::PointColour);
    Look.LineColour = DistinctColour(Series, Look.LineColour, &TSeriesLook::LineColour);
    Series.push_back({SeriesDefaultName(n), Look, {}});
    return int(Series.size()) - 1;
}

QString TJobDocument::RenameProblem(int Index, const QString& Name) const
{
    if (Name.trimmed().isEmpty())
        return QStringLiteral("A series needs a name.");
    const int other = SeriesIndex(Name);
    if (other >= 0 && other != Index)
        return QStringLiteral("There is already a series named \"%1\".").arg(Series[std::size_t(other)].Name);
    return {};
}

void TJobDocument::RenameSeries(int Index, const QString& Name)
{
    Series[std::size_t(Index)].Name = Name;
}

bool TJobDocument::NumberedName(int Index) const
{
    const QString& name = Series[std::size_t(Index)].Name;
    const QString number = name.mid(7);
    return name.startsWith(QStringLiteral("Series ")) && !number.isEmpty() &&
           std::all_of(number.begin(), number.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

void TJobDocument::DeleteSeries(int Index)
{
    if (Series.size() < 2)
        return;
    Series.erase(Series.begin() + Index);
    if (Current > Index || Current >= int(Series.size()))
        --Current;
}

int FreePointNumber(int From, const std::function<bool(const QString&)>& Taken)
{
    int n = From;
    while (Taken(QString::number(n)))
        ++n;
    return n;
}

void TJobDocument::AddPoints(const std::vector<TPointF>& Positions)
{
    std::vector<TSeriesPoint>& points = CurrentSeries().Points;
    QSet<QString> taken;
    for (const TSeriesPoint& p : points)
        taken.insert(p.Name.toCaseFolded());
    int n = 0;
    for (const TPointF& at : Positions) {
        // Each name taken is the smallest free one, so the next is past it.
        n = FreePointNumber(n + 1, [&taken](const QString& name) { return taken.contains(name); });
        taken.insert(QString::number(n));
        points.push_back({QString::number(n), ThousandthPixel(at.X), ThousandthPixel(at.Y), true});
    }
}

TDataPoint TJobDocument::DataOf(const TSeriesPoint& P) const
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    TDataPoint d{nan, nan};
    Mapping().PixelToData(TPointF{P.X, P.Y}, d, P.Exact);
    return d;
}

QString TJobDocument::DataLine(const TSeriesPoint& P, QChar Separator, int Precision, int Digits) const
{
    const TDataPoint d = DataOf(P);
    return ::DataText(Mapping(), axX, d.X, Precision, Digits) + Separator +
           ::DataText(Mapping(), axY, d.Y, Precision, Digits) + QStringLiteral("\r\n");
}

QString TJobDocument::DataText(QChar Separator, int Precision, int Digits) const
{
    QString text;
    for (const TSeriesPoint& p : CurrentSeries().Points)
        text += DataLine(p, Separator, Precision, Digits);
    return text;
}

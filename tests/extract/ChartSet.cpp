#include "ChartSet.h"

#include "SyntheticChart.h"
#include "extract/Extraction.h"
#include "image/FreeBitmap.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

// The first colours of a common plotting palette, and a blue 12 levels
// from its first.
const QColor Blue(31, 119, 180);
const QColor CloseBlue(31, 107, 180);
const QColor Orange(255, 127, 14);
const QColor Green(44, 160, 44);
const QColor Red(214, 39, 40);
const QColor Purple(148, 103, 189);
const QColor Grid(176, 176, 176);

TRgb RgbOf(const QColor& c)
{
    return {c.red(), c.green(), c.blue()};
}

// A chart's frame: the plotting area with a black frame, a light grid and
// tick labels; curves are drawn 5 % in from its sides, as plotting
// programs leave a margin.
struct TFrame {
    double Scale;
    TRect Rect;
    double Left() const { return Rect.Left; }
    double Right() const { return Rect.Right; }
    double Top() const { return Rect.Top; }
    double Bottom() const { return Rect.Bottom; }
    double From() const { return Left() + 0.05 * (Right() - Left()); }
    double To() const { return Right() - 0.05 * (Right() - Left()); }
    double MidY() const { return (Top() + Bottom()) / 2; }
    double Height() const { return Bottom() - Top(); }
};

TFrame FrameOf(int Width, int Height, double Scale)
{
    return {Scale, {int(80 * Scale), int(40 * Scale), Width - int(40 * Scale), Height - int(60 * Scale)}};
}

void DrawFrame(TSyntheticChart& Chart, const TFrame& F, bool WithGrid)
{
    if (WithGrid)
        for (int i = 1; i < 8; ++i) {
            const double x = F.Left() + i * (F.Right() - F.Left()) / 8;
            const double y = F.Top() + i * F.Height() / 8;
            Chart.Line({x, F.Top()}, {x, F.Bottom()}, Grid, 0.8 * F.Scale);
            Chart.Line({F.Left(), y}, {F.Right(), y}, Grid, 0.8 * F.Scale);
        }
    const double t = 1.2 * F.Scale;
    Chart.Line({F.Left(), F.Top()}, {F.Right(), F.Top()}, Qt::black, t);
    Chart.Line({F.Right(), F.Top()}, {F.Right(), F.Bottom()}, Qt::black, t);
    Chart.Line({F.Right(), F.Bottom()}, {F.Left(), F.Bottom()}, Qt::black, t);
    Chart.Line({F.Left(), F.Bottom()}, {F.Left(), F.Top()}, Qt::black, t);
    for (int i = 0; i <= 4; ++i)
        Chart.Text({F.Left() + i * (F.Right() - F.Left()) / 4 - 8 * F.Scale, F.Bottom() + 18 * F.Scale},
                   QString::number(i * 25), Qt::black, int(12 * F.Scale));
}

// A legend box in the area's upper left: a sample of each colour, a line or
// a marker, and its name.
void DrawLegend(TSyntheticChart& Chart, const TFrame& F, const std::vector<QColor>& Colours, bool Markers)
{
    const double s = F.Scale;
    const double x = F.Left() + 10 * s;
    const double y = F.Top() + 10 * s;
    Chart.Line({x, y}, {x + 110 * s, y}, QColor(204, 204, 204), 1);
    Chart.Line({x, y + (Colours.size() * 18 + 8) * s}, {x + 110 * s, y + (Colours.size() * 18 + 8) * s},
               QColor(204, 204, 204), 1);
    for (std::size_t i = 0; i < Colours.size(); ++i) {
        const double row = y + (14 + 18 * double(i)) * s;
        if (Markers)
            Chart.Marker(TSyntheticChart::TShape(i % 4), {x + 20 * s, row}, 8 * s, Colours[i]);
        else
            Chart.Line({x + 6 * s, row}, {x + 34 * s, row}, Colours[i], 2 * s);
        Chart.Text({x + 42 * s, row + 5 * s}, QStringLiteral("series %1").arg(i + 1), Qt::black, int(12 * s));
    }
}

// Paper tone, blur and grain, as a scanner gives them.
QImage ScanLook(const QImage& Picture, std::mt19937& Random)
{
    QImage in = Picture.convertToFormat(QImage::Format_RGB32);
    QImage out(in.size(), QImage::Format_RGB32);
    std::normal_distribution<double> grain(0, 5);
    const double paper[3] = {0.96, 0.94, 0.88};
    for (int y = 0; y < in.height(); ++y)
        for (int x = 0; x < in.width(); ++x) {
            double sum[3] = {0, 0, 0};
            double weight = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = std::clamp(x + dx, 0, in.width() - 1);
                    const int yy = std::clamp(y + dy, 0, in.height() - 1);
                    const double w = (dx == 0 ? 2 : 1) * (dy == 0 ? 2 : 1);
                    const QRgb p = in.pixel(xx, yy);
                    sum[0] += w * qRed(p);
                    sum[1] += w * qGreen(p);
                    sum[2] += w * qBlue(p);
                    weight += w;
                }
            int c[3];
            for (int i = 0; i < 3; ++i)
                c[i] = std::clamp(int(std::lround(sum[i] / weight * paper[i] + grain(Random))), 0, 255);
            out.setPixel(x, y, qRgb(c[0], c[1], c[2]));
        }
    return out;
}

TChartCase CurveCase(const QString& Name, const QImage& Picture, const TFrame& F, double Angle, const QColor& Colour,
                     const std::function<double(double)>& Truth, double Thickness)
{
    TChartCase c;
    c.Name = Name;
    c.Picture = Picture;
    c.Area = {F.Rect, Angle};
    c.Colour = RgbOf(Colour);
    c.Truth = Truth;
    c.FromX = F.From();
    c.ToX = F.To();
    c.Thickness = Thickness;
    return c;
}

} // namespace

std::vector<TChartCase> ChartSet(unsigned Seed)
{
    std::mt19937 random(Seed);
    std::uniform_real_distribution<double> unit(0, 1);
    // Seed 1 is drawn at screen size; others at other sizes and weights.
    const double scale = Seed == 1 ? 1 : 1 + 0.5 * (Seed % 4);
    const double line = (Seed == 1 ? 2 : 1.5 + unit(random)) * scale;
    std::vector<TChartCase> cases;

    // Five curves, two of them blues 12 levels apart, one a 1-pixel line;
    // a grid and a legend whose samples are the leftmost pieces of colour.
    {
        const int width = int(800 * scale);
        const int height = int(600 * scale);
        const TFrame f = FrameOf(width, height, scale);
        const double h = f.Height();
        const double p1 = unit(random) * 6.28;
        const double p2 = unit(random) * 6.28;
        const double w = f.Right() - f.Left();
        const auto blue = [=](double x) { return f.MidY() - 0.25 * h * std::sin(6.28 * (x - f.Left()) / w * 1.5 + p1); };
        const auto closeBlue = [=](double x) {
            return f.MidY() + 0.05 * h - 0.2 * h * std::cos(6.28 * (x - f.Left()) / w * 1.1 + p2);
        };
        const auto orange = [=](double x) { return f.Bottom() - 0.15 * h - 0.6 * h * (x - f.Left()) / w; };
        const auto red = [=](double x) {
            const double u = (x - f.Left()) / w - 0.5;
            return f.Top() + 0.2 * h + 2.4 * h * u * u;
        };
        const auto thin = [=](double x) { return f.Bottom() - 0.1 * h - 0.1 * h * std::sin(6.28 * (x - f.Left()) / w * 3); };
        TSyntheticChart chart(width, height);
        DrawFrame(chart, f, true);
        chart.Curve(blue, f.From(), f.To(), Blue, line);
        chart.Curve(closeBlue, f.From(), f.To(), CloseBlue, line);
        chart.Curve(orange, f.From(), f.To(), Orange, line);
        chart.Curve(red, f.From(), f.To(), Red, line);
        chart.Curve(thin, f.From(), f.To(), Purple, 1);
        DrawLegend(chart, f, {Blue, CloseBlue, Orange, Red, Purple}, false);
        const QImage picture = chart.Image();
        cases.push_back(CurveCase(QStringLiteral("blue beside a blue"), picture, f, 0, Blue, blue, line));
        cases.push_back(CurveCase(QStringLiteral("the other blue"), picture, f, 0, CloseBlue, closeBlue, line));
        cases.push_back(CurveCase(QStringLiteral("orange across red"), picture, f, 0, Orange, orange, line));
        cases.push_back(CurveCase(QStringLiteral("red"), picture, f, 0, Red, red, line));
        cases.push_back(CurveCase(QStringLiteral("thin 1 px"), picture, f, 0, Purple, thin, 1));
        TChartCase jpeg = CurveCase(QStringLiteral("red, JPEG 65"), picture, f, 0, Red, red, line);
        jpeg.Format = "jpg";
        jpeg.Quality = 65;
        cases.push_back(jpeg);
        TChartCase jpegBlue = CurveCase(QStringLiteral("blue, JPEG 75"), picture, f, 0, Blue, blue, line);
        jpegBlue.Format = "jpg";
        jpegBlue.Quality = 75;
        cases.push_back(jpegBlue);
    }

    // A sine crossed by two curves drawn over it, taken at step 10.
    {
        const int width = int(800 * scale);
        const int height = int(500 * scale);
        const TFrame f = FrameOf(width, height, scale);
        const double h = f.Height();
        const double w = f.Right() - f.Left();
        const double p = unit(random) * 6.28;
        const auto sine = [=](double x) { return f.MidY() - 0.35 * h * std::sin(6.28 * (x - f.Left()) / w * 2 + p); };
        const auto rising = [=](double x) { return f.Bottom() - 0.1 * h - 0.8 * h * (x - f.Left()) / w; };
        const auto wave = [=](double x) { return f.MidY() + 0.3 * h * std::sin(6.28 * (x - f.Left()) / w * 1.3 + p); };
        TSyntheticChart chart(width, height);
        DrawFrame(chart, f, false);
        chart.Curve(sine, f.From(), f.To(), Blue, line);
        chart.Curve(rising, f.From(), f.To(), Red, line);
        chart.Curve(wave, f.From(), f.To(), Green, line);
        cases.push_back(CurveCase(QStringLiteral("sine through crossings"), chart.Image(), f, 0, Blue, sine, line));
    }

    // Dashed and dotted lines, steep in places.
    {
        const int width = int(800 * scale);
        const int height = int(500 * scale);
        const TFrame f = FrameOf(width, height, scale);
        const double h = f.Height();
        const double w = f.Right() - f.Left();
        const double p = unit(random) * 6.28;
        const auto dashed = [=](double x) { return f.MidY() - 0.4 * h * std::sin(6.28 * (x - f.Left()) / w * 2.5 + p); };
        const auto dotted = [=](double x) { return f.Top() + 0.2 * h + 0.6 * h * (x - f.Left()) / w; };
        TSyntheticChart chart(width, height);
        DrawFrame(chart, f, true);
        chart.Curve(dashed, f.From(), f.To(), Orange, line, Qt::DashLine);
        chart.Curve(dotted, f.From(), f.To(), Green, 1.5 * line, Qt::DotLine);
        DrawLegend(chart, f, {Orange, Green}, false);
        const QImage picture = chart.Image();
        cases.push_back(CurveCase(QStringLiteral("dashed, steep"), picture, f, 0, Orange, dashed, line));
        cases.push_back(CurveCase(QStringLiteral("dotted"), picture, f, 0, Green, dotted, 1.5 * line));
    }

    // A scan: turned, blurred, grainy, on toned paper; the colour is taken
    // from the scan, faded as it is there.
    {
        const int width = int(900 * scale);
        const int height = int(650 * scale);
        const TFrame f = FrameOf(width, height, scale);
        const double angle = (Seed % 2 ? 1 : -1) * (1.3 + 0.5 * unit(random));
        const double h = f.Height();
        const double w = f.Right() - f.Left();
        const double p = unit(random) * 6.28;
        const auto red = [=](double x) { return f.MidY() - 0.3 * h * std::sin(6.28 * (x - f.Left()) / w + p); };
        const auto blue = [=](double x) { return f.MidY() + 0.25 * h * std::cos(6.28 * (x - f.Left()) / w * 1.7); };
        TSyntheticChart chart(width, height, angle, {double(f.Rect.Left), double(f.Rect.Bottom)});
        DrawFrame(chart, f, true);
        chart.Curve(red, f.From(), f.To(), Red, 1.5 * line);
        chart.Curve(blue, f.From(), f.To(), Blue, 1.5 * line);
        DrawLegend(chart, f, {Red, Blue}, false);
        const QImage picture = ScanLook(chart.Image(), random);
        const double x = f.From() + 0.3 * w;
        TChartCase scan = CurveCase(QStringLiteral("scan, faded pick"), picture, f, angle, Red, red, 1.5 * line);
        scan.PickAt = chart.ToPicture({x, red(x)});
        cases.push_back(scan);
        TChartCase jpeg = scan;
        jpeg.Name = QStringLiteral("scan as JPEG 70");
        jpeg.Format = "jpg";
        jpeg.Quality = 70;
        const double x2 = f.From() + 0.6 * w;
        jpeg.PickAt = chart.ToPicture({x2, red(x2)});
        cases.push_back(jpeg);
    }

    // Markers of four shapes, some overlapping in pairs, one series joined
    // by a thin line of its own colour, and a legend of swatches.
    {
        const int width = int(800 * scale);
        const int height = int(600 * scale);
        const TFrame f = FrameOf(width, height, scale);
        const double size = (Seed == 1 ? 9 : 7 + 4 * unit(random)) * scale;
        const double h = f.Height();
        const QColor colours[4] = {Blue, Orange, Green, Red};
        TSyntheticChart chart(width, height);
        DrawFrame(chart, f, false);
        std::vector<std::vector<TPointF>> centres(4);
        for (int s = 0; s < 4; ++s) {
            const double phase = unit(random) * 6.28;
            for (int i = 0; i < 14; ++i) {
                const double x = f.From() + (i + 0.5 + 0.2 * s) * (f.To() - f.From()) / 14 + 0.37 * i;
                const double y = f.Top() + 0.25 * h + 0.15 * h * s + 0.12 * h * std::sin(i * 0.7 + phase) + 0.29 * (i % 3);
                centres[std::size_t(s)].push_back({x, y});
            }
        }
        // Two circles overlapping by a third.
        centres[0].push_back({centres[0][5].X + 0.66 * size, centres[0][5].Y + 0.3 * size});
        for (std::size_t i = 1; i < centres[2].size(); ++i)
            chart.Line(centres[2][i - 1], centres[2][i], colours[2], 1 * scale);
        for (int s = 0; s < 4; ++s)
            for (const TPointF& c : centres[std::size_t(s)])
                chart.Marker(TSyntheticChart::TShape(s), c, size, colours[s]);
        DrawLegend(chart, f, {colours[0], colours[1], colours[2], colours[3]}, true);
        const QImage picture = chart.Image();
        const char* names[4] = {"circles, a pair overlapping", "squares", "triangles joined by a line", "diamonds"};
        for (int s = 0; s < 4; ++s) {
            TChartCase c;
            c.Name = QString::fromLatin1(names[s]);
            c.Picture = picture;
            c.Area = {f.Rect, 0};
            c.Colour = RgbOf(colours[s]);
            c.Markers = true;
            c.Centres = centres[std::size_t(s)];
            c.Thickness = size;
            cases.push_back(c);
        }
    }

    // A heavy line, steep in places, whose caps reach past its ends.
    {
        const int width = int(800 * scale);
        const int height = int(600 * scale);
        const TFrame f = FrameOf(width, height, scale);
        const double h = f.Height();
        const double w = f.Right() - f.Left();
        const double p = unit(random) * 6.28;
        const auto heavy = [=](double x) { return f.MidY() - 0.4 * h * std::sin(6.28 * (x - f.Left()) / w * 2 + p); };
        TSyntheticChart chart(width, height);
        DrawFrame(chart, f, true);
        chart.Curve(heavy, f.From(), f.To(), Red, 5 * line);
        DrawLegend(chart, f, {Red}, false);
        cases.push_back(CurveCase(QStringLiteral("thick, steep"), chart.Image(), f, 0, Red, heavy, 5 * line));
    }
    return cases;
}

TChartScore Score(const TChartCase& Case)
{
    TChartScore score;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chart.") + QString::fromLatin1(Case.Format));
    TFreeWinBitmap bitmap;
    if (!Case.Picture.save(path, Case.Format.constData(), Case.Quality) || !bitmap.Load(path)) {
        score.Problem = QStringLiteral("the chart could not be written and read back");
        return score;
    }
    const TPixelSource source(bitmap.DisplaySource());
    TExtractRequest request;
    request.Kind = Case.Markers ? TExtractRequest::ekMarkers : TExtractRequest::ekCurve;
    request.Colour = Case.Colour;
    if (Case.PickAt)
        request.Colour = source.At(int(std::lround(Case.PickAt->X)), int(std::lround(Case.PickAt->Y)));
    request.Step = Case.Step;
    const TExtraction found = RunExtraction(source, Case.Area, request);
    score.Problem = found.Problem;
    score.Points = found.Points.size();
    score.Doubtful = found.Report.Doubtful() || found.Points.empty();
    std::vector<double> distances;
    if (Case.Markers) {
        std::vector<char> met(Case.Centres.size(), 0);
        for (const TPointF& p : found.Points) {
            const TPointF f = Case.Area.ToFrame(p);
            std::size_t nearest = 0;
            double best = INFINITY;
            for (std::size_t i = 0; i < Case.Centres.size(); ++i) {
                const double d = std::hypot(f.X - Case.Centres[i].X, f.Y - Case.Centres[i].Y);
                if (d < best) {
                    best = d;
                    nearest = i;
                }
            }
            if (best > std::max(1.5, Case.Thickness / 4)) {
                ++score.Wrong;
                continue;
            }
            met[nearest] = 1;
            distances.push_back(best);
        }
        score.Coverage = double(std::count(met.begin(), met.end(), 1)) / double(Case.Centres.size());
    } else {
        long long right = 0;
        for (const TPointF& p : found.Points) {
            const TPointF f = Case.Area.ToFrame(p);
            const double d = CurveDistance(Case.Truth, Case.FromX, Case.ToX, f);
            if (d > std::max(2.0, Case.Thickness)) {
                ++score.Wrong;
                continue;
            }
            ++right;
            distances.push_back(d);
        }
        const double steps = std::floor((Case.ToX - Case.FromX) / Case.Step) + 1;
        score.Coverage = std::min(1.0, double(right) / steps);
    }
    std::sort(distances.begin(), distances.end());
    score.Median = distances.empty() ? NAN : distances[distances.size() / 2];
    score.Worst = distances.empty() ? NAN : distances.back();
    return score;
}

QString ScoreLine(const TChartCase& Case, const TChartScore& Score)
{
    return QStringLiteral("%1 | %2 points | %3 wrong | coverage %4 % | median %5 px | worst %6 px | %7")
        .arg(Case.Name, -30)
        .arg(Score.Points, 4)
        .arg(Score.Wrong, 3)
        .arg(100 * Score.Coverage, 5, 'f', 1)
        .arg(Score.Median, 5, 'f', 3)
        .arg(Score.Worst, 5, 'f', 3)
        .arg(Score.Doubtful ? QStringLiteral("doubtful") : QStringLiteral("sure"));
}

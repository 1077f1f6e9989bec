#include "ExactCompare.h"
#include "SyntheticChart.h"
#include "extract/CurveExtraction.h"
#include "extract/Extraction.h"
#include "extract/MarkerExtraction.h"
#include "extract/MarkerPatches.h"
#include "extract/MatchMask.h"
#include "image/FreeBitmap.h"

#include <QTemporaryDir>
#include <QPainter>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QColor Red(200, 20, 30);
const QColor Blue(20, 40, 210);

// The chart as a real file read back through FreeImage, as a user's scan is.
struct TLoadedChart {
    TFreeWinBitmap Bitmap;
    TPixelSource Source{nullptr};

    TLoadedChart(const QImage& Image, const char* Format, int Quality = -1)
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("chart.") + QString::fromLatin1(Format));
        if (!Image.save(path, Format, Quality) || !Bitmap.Load(path))
            qFatal("the synthetic chart could not be written and read back");
        Source = TPixelSource(Bitmap.DisplaySource());
    }
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? NAN : values[values.size() / 2];
}

// A smooth stretch, a near-vertical step at x = 500 and a second smooth
// stretch: steep enough that a column crosses many pixels of the line.
double TrueCurve(double x)
{
    return 300 + 120 * std::sin(2 * M_PI * (x - 50) / 400) + 90 * std::tanh((x - 500) / 8);
}

} // namespace

class TestExtraction : public QObject {
    Q_OBJECT

private slots:
    void areaRowsHoldExactlyThePixelsInside_data();
    void areaRowsHoldExactlyThePixelsInside();
    void colourText();
    void curveAccuracy_data();
    void curveAccuracy();
    void curveFollowsTheNearestBranchAndSkipsGaps();
    void curveLeavesOutATickStubAcrossAGap();
    void seedPicksTheCurveThroughCrossings_data();
    void seedPicksTheCurveThroughCrossings();
    void closeColoursKeepTheirCurvesInAScan_data();
    void closeColoursKeepTheirCurvesInAScan();
    void scanFadedColours_data();
    void scanFadedColours();
    void markerAccuracy_data();
    void markerAccuracy();
    void markersJoinedByTheirLine_data();
    void markersJoinedByTheirLine();
    void typicalSizeIgnoresSpecks();
    void crossedMarkersAreOnePatchEach();
    void exactColourAtToleranceZero();
    void refusals();
    void aHugeAreaWalksOnlyThePicture();
};

void TestExtraction::areaRowsHoldExactlyThePixelsInside_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<TRect>("rect");
    QTest::newRow("square") << 0.0 << TRect{10, 5, 40, 30};
    QTest::newRow("edges reversed") << 0.0 << TRect{40, 30, 10, 5};
    QTest::newRow("turned 2.5") << 2.5 << TRect{10, 5, 40, 30};
    QTest::newRow("turned -30") << -30.0 << TRect{10, 5, 40, 30};
    QTest::newRow("beyond the picture") << 10.0 << TRect{-20, -20, 80, 80};
}

void TestExtraction::areaRowsHoldExactlyThePixelsInside()
{
    QFETCH(double, angle);
    QFETCH(TRect, rect);
    const TExtractArea area{rect, angle};
    const int width = 60;
    const int height = 50;
    const TExtractArea::TSpan rows = area.Rows(height);
    for (int y = 0; y < height; ++y) {
        const TExtractArea::TSpan span = area.RowSpan(y, width);
        for (int x = 0; x < width; ++x) {
            const TPointF f = area.ToFrame({double(x), double(y)});
            const double e = 1e-9;
            const bool inside = f.X >= area.FrameLeft() - e && f.X <= area.FrameRight() + e &&
                                f.Y >= area.FrameTop() - e && f.Y <= area.FrameBottom() + e;
            const bool clear = f.X >= area.FrameLeft() + e && f.X <= area.FrameRight() - e &&
                               f.Y >= area.FrameTop() + e && f.Y <= area.FrameBottom() - e;
            const bool listed = x >= span.First && x <= span.Last;
            // Pixels exactly on an edge may go either way.
            if (listed != inside && listed != clear)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2: inside %3, listed %4").arg(x).arg(y).arg(inside).arg(listed)));
            if (listed)
                QVERIFY(y >= rows.First && y <= rows.Last);
        }
    }
}

void TestExtraction::colourText()
{
    QCOMPARE(ParseRgb(QStringLiteral("#c81E1f")), (std::optional<TRgb>(TRgb{200, 30, 31})));
    for (const char* bad : {"c81e1f", "#c81e1", "#c81e1f0", "#g81e1f", "# 81e1f", ""})
        QVERIFY2(!ParseRgb(QString::fromLatin1(bad)), bad);
    QCOMPARE(RgbText({200, 30, 31}), QStringLiteral("#C81E1F"));
    QCOMPARE(ColourDistance({10, 200, 30}, {20, 190, 0}), 30);
}

void TestExtraction::curveAccuracy_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<double>("medianLimit");
    QTest::addColumn<double>("worstLimit");
    QTest::addColumn<double>("coverageLimit");
    // About one and a half times what the walk achieves.
    QTest::newRow("png") << 0.0 << QByteArray("png") << 0.02 << 0.7 << 0.95;
    QTest::newRow("png turned 2.5") << 2.5 << QByteArray("png") << 0.04 << 0.86 << 0.95;
    QTest::newRow("jpeg 70") << 0.0 << QByteArray("jpg") << 0.075 << 0.94 << 0.95;
    QTest::newRow("jpeg 70 turned 2.5") << 2.5 << QByteArray("jpg") << 0.055 << 0.6 << 0.95;
}

// A red curve 3 pixels thick, a blue line across it, black axes and text:
// the points found lie on the true curve and cover the plotting area.
void TestExtraction::curveAccuracy()
{
    QFETCH(double, angle);
    QFETCH(QByteArray, format);
    QFETCH(double, medianLimit);
    QFETCH(double, worstLimit);
    QFETCH(double, coverageLimit);
    const TRect rect{50, 60, 950, 560};
    TSyntheticChart chart(1000, 640, angle, {50, 560});
    chart.Line({50, 60}, {50, 560}, Qt::black, 2);
    chart.Line({50, 560}, {950, 560}, Qt::black, 2);
    chart.Text({60, 90}, QStringLiteral("Response (mV) against time"), Qt::black, 18);
    chart.Curve(TrueCurve, 50, 950, Red, 3);
    chart.Line({100, 540}, {900, 80}, Blue, 3);
    TLoadedChart loaded(chart.Image(), format.constData(), 70);
    const TExtractArea area{rect, angle};

    const TExtraction found = ExtractCurve(loaded.Source, area, {200, 20, 30}, 64, 10);
    QVERIFY2(found.Problem.isEmpty(), qPrintable(found.Problem));
    std::vector<double> distances;
    double previousX = -1;
    for (const TPointF& p : found.Points) {
        const TPointF f = area.ToFrame(p);
        QVERIFY(f.X > previousX);
        previousX = f.X;
        distances.push_back(CurveDistance(TrueCurve, 50, 950, f));
    }
    const double steps = std::floor(900.0 / 10) + 1;
    const double coverage = double(found.Points.size()) / steps;
    const double median = Median(distances);
    const double worst = *std::max_element(distances.begin(), distances.end());
    qInfo("%s: %zu points, median %.3f px, worst %.3f px, coverage %.1f %%", QTest::currentDataTag(),
          found.Points.size(), median, worst, 100 * coverage);
    QVERIFY(median <= medianLimit);
    QVERIFY(worst <= worstLimit);
    QVERIFY(coverage >= coverageLimit);
    QVERIFY(area.ToFrame(found.Points.back()).X - area.ToFrame(found.Points.front()).X >= 0.9 * 900);
}

// A tick of the curve's colour, outside the area but for its last pixels,
// where the curve's course leads across a gap: no point of the curve.
void TestExtraction::curveLeavesOutATickStubAcrossAGap()
{
    TSyntheticChart chart(400, 300);
    const auto line = [](double x) { return 150 + 0.2 * x; };
    chart.Curve(line, 60, 380, Red, 3);
    chart.Line({6, line(20)}, {21, line(20)}, Red, 3);
    TLoadedChart loaded(chart.Image(), "png");
    const TExtraction found = ExtractCurve(loaded.Source, {{20, 20, 380, 280}, 0}, {200, 20, 30}, 64, 10);
    QVERIFY(found.Problem.isEmpty());
    QVERIFY(found.Points.size() >= 30);
    for (const TPointF& p : found.Points)
        QVERIFY2(p.X >= 55, qPrintable(QStringLiteral("a point at %1, %2").arg(p.X).arg(p.Y)));
}

void TestExtraction::curveFollowsTheNearestBranchAndSkipsGaps()
{
    // A thin curve across the area with a gap, and a thicker stretch of the
    // same colour below it for part of the way: the thin one is followed.
    TSyntheticChart chart(400, 300);
    const auto upper = [](double x) { return 100 + 0.1 * x; };
    chart.Curve(upper, 20, 180, Red, 3);
    chart.Curve(upper, 221, 380, Red, 3);
    chart.Line({240, 220}, {340, 220}, Red, 7);
    TLoadedChart loaded(chart.Image(), "png");
    const TExtraction found = ExtractCurve(loaded.Source, {{20, 20, 380, 280}, 0}, {200, 20, 30}, 64, 10);
    QVERIFY(found.Problem.isEmpty());
    QVERIFY(found.Points.size() >= 30);
    for (const TPointF& p : found.Points) {
        QVERIFY2(std::abs(p.Y - upper(p.X)) < 1, qPrintable(QStringLiteral("%1,%2").arg(p.X).arg(p.Y)));
        QVERIFY2(p.X <= 181 || p.X >= 220, qPrintable(QStringLiteral("a point in the gap at %1").arg(p.X)));
    }
}

void TestExtraction::seedPicksTheCurveThroughCrossings_data()
{
    QTest::addColumn<bool>("onTheWave");
    QTest::newRow("seed on the wave") << true;
    QTest::newRow("seed on the line") << false;
}

// A wave and a straight line of one colour cross four times; the walk
// stays on the one the seed lies on, both ways from it. Where the two
// overlap, a point may lie between them.
void TestExtraction::seedPicksTheCurveThroughCrossings()
{
    QFETCH(bool, onTheWave);
    const std::function<double(double)> wave = [](double x) { return 150 + 70 * std::sin(x / 40); };
    const std::function<double(double)> line = [](double x) { return 110 + 0.2 * x; };
    TSyntheticChart chart(420, 300);
    chart.Curve(wave, 0, 420, Red, 3);
    chart.Curve(line, 0, 420, Red, 3);
    TLoadedChart loaded(chart.Image(), "png");
    const std::function<double(double)>& chosen = onTheWave ? wave : line;
    const TPointF seed{230, chosen(230)};
    const TExtraction found = ExtractCurve(loaded.Source, {{10, 10, 410, 290}, 0}, {200, 20, 30}, 64, 5, seed);
    QVERIFY(found.Problem.isEmpty());
    QVERIFY2(found.Points.size() >= 0.9 * 81, qPrintable(QString::number(found.Points.size())));
    std::vector<double> distances;
    for (const TPointF& p : found.Points) {
        distances.push_back(CurveDistance(chosen, 0, 420, p));
        const bool apart = std::abs(wave(p.X) - line(p.X)) > 8;
        QVERIFY2(distances.back() < (apart ? 1 : 4), qPrintable(QStringLiteral("%1,%2").arg(p.X).arg(p.Y)));
    }
    QVERIFY(Median(distances) < 0.25);
    QVERIFY(found.Points.front().X < 20 && found.Points.back().X > 400);
}

void TestExtraction::closeColoursKeepTheirCurvesInAScan_data()
{
    QTest::addColumn<bool>("wave");
    QTest::newRow("the wave") << true;
    QTest::newRow("the line") << false;
}

// A wave and a line of two close reds cross three times in a scan (a
// JPEG's blocks over both): each keeps its course and colour.
void TestExtraction::closeColoursKeepTheirCurvesInAScan()
{
    QFETCH(bool, wave);
    const QColor closeRed(225, 75, 45);
    const std::function<double(double)> waveY = [](double x) { return 150 + 70 * std::sin(x / 40); };
    const std::function<double(double)> lineY = [](double x) { return 110 + 0.2 * x; };
    TSyntheticChart chart(420, 300);
    chart.Curve(waveY, 0, 420, Red, 3);
    chart.Curve(lineY, 0, 420, closeRed, 3);
    TLoadedChart loaded(chart.Image(), "jpg", 70);
    const QColor& colour = wave ? Red : closeRed;
    const std::function<double(double)>& chosen = wave ? waveY : lineY;
    const TExtraction found = ExtractCurve(loaded.Source, {{10, 10, 410, 290}, 0},
                                           {colour.red(), colour.green(), colour.blue()}, 40, 5);
    QVERIFY(found.Problem.isEmpty());
    // Steps where the other colour lies over the curve get no point (46
    // and 53 of 81 given); every point lies on its curve (0.67 pixel off
    // at worst).
    QVERIFY2(found.Points.size() >= 40, qPrintable(QString::number(found.Points.size())));
    double worst = 0;
    for (const TPointF& p : found.Points)
        worst = std::max(worst, CurveDistance(chosen, 0, 420, p));
    QVERIFY2(worst <= 1.0, qPrintable(QString::number(worst)));
}

void TestExtraction::scanFadedColours_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("count");
    QTest::newRow("a JPEG scan") << QByteArray("jpg") << 12;
    QTest::newRow("a clean picture") << QByteArray("png") << 0;
}

// Orange markers printed faded on tinted paper, beside faded purple ones:
// asked for in the orange they were drawn in, a scan's are found in its
// faded rendition; a clean picture is read in the colour asked for.
void TestExtraction::scanFadedColours()
{
    QFETCH(QByteArray, format);
    QFETCH(int, count);
    TSyntheticChart chart(600, 400);
    chart.Box({0, 0}, 600, 400, QColor(245, 244, 234));
    std::vector<TPointF> centres;
    for (int i = 0; i < 12; ++i) {
        const TPointF c{60 + i * 42.3, 120 + 80 * std::sin(i * 0.9)};
        centres.push_back(c);
        chart.Marker(TSyntheticChart::shSquare, c, 9, QColor(234, 173, 116));
        chart.Marker(TSyntheticChart::shCircle, {c.X + 15, c.Y + 150}, 9, QColor(158, 128, 178));
    }
    chart.Line({20, 380}, {580, 380}, QColor(46, 45, 40), 2);
    TLoadedChart loaded(chart.Image(), format.constData(), 70);
    TExtractRequest request;
    request.Kind = TExtractRequest::ekMarkers;
    request.Colour = {255, 127, 14};
    const TExtraction result = RunExtraction(loaded.Source, {{10, 10, 590, 390}, 0}, request);
    QVERIFY(result.Problem.isEmpty());
    QCOMPARE(int(result.Points.size()), count);
    // Said in the report, as the colour taken is not the one asked for.
    QCOMPARE(result.Report.ShownAs.has_value(), count > 0);
    for (const TPointF& p : result.Points)
        QVERIFY(std::any_of(centres.begin(), centres.end(),
                            [&](const TPointF& c) { return std::hypot(p.X - c.X, p.Y - c.Y) < 1; }));
}

void TestExtraction::markerAccuracy_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<double>("medianLimit");
    QTest::addColumn<double>("limit");
    // About one and a half times what the centres achieve: the edge ring
    // of anti-aliased pixels is what brings them within hundredths.
    QTest::newRow("png") << 0.0 << QByteArray("png") << 0.006 << 0.012;
    QTest::newRow("png turned 2.5") << 2.5 << QByteArray("png") << 0.006 << 0.012;
    QTest::newRow("jpeg 70") << 0.0 << QByteArray("jpg") << 0.2 << 0.68;
    QTest::newRow("jpeg 70 turned 2.5") << 2.5 << QByteArray("jpg") << 0.17 << 0.5;
}

// Round markers of radius 5 at sub-pixel centres among a legend swatch,
// stray pixels and text of the same colour: each marker is found once, near
// its centre, and nothing else is.
void TestExtraction::markerAccuracy()
{
    QFETCH(double, angle);
    QFETCH(QByteArray, format);
    QFETCH(double, medianLimit);
    QFETCH(double, limit);
    const TRect rect{40, 40, 760, 560};
    TSyntheticChart chart(800, 600, angle, {40, 560});
    std::vector<TPointF> centres;
    for (int i = 0; i < 40; ++i) {
        // Fractions spread over the whole pixel.
        const TPointF c{70 + i * 16.37 + 0.13 * (i % 7), 120 + 300 * std::abs(std::sin(i * 0.37)) + 0.29 * (i % 5)};
        centres.push_back(c);
        chart.Disc(c, 5, Red);
    }
    chart.Line({40, 500}, {760, 100}, Blue, 3);
    chart.Box({600, 60}, 60, 20, Red);
    chart.Text({300, 80}, QStringLiteral("Fig. 3"), Qt::black, 20);
    for (int i = 0; i < 12; ++i)
        chart.Speck(100 + 47 * i, 530 - 3 * i, Red);
    TLoadedChart loaded(chart.Image(), format.constData(), 70);
    const TExtractArea area{rect, angle};

    const TBlobSearch search = FindBlobs(loaded.Source, area, {200, 20, 30}, 64);
    QVERIFY2(search.Problem.isEmpty(), qPrintable(search.Problem));
    const TSizeRange range = DefaultSizeRange(search);
    QVERIFY(range.Min > 12 && range.Max < 1200);
    // The dialog shows the patches' pixels instead of matching again.
    QCOMPARE(BlobMask(search, 800, 600), MatchMask(loaded.Source, area, {200, 20, 30}, 64));
    const TExtraction found = MarkerCentres(loaded.Source, area, MarkerPatches(search), {200, 20, 30}, 64, range, anBox);
    QCOMPARE(found.Points.size(), centres.size());
    double worst = 0;
    std::vector<double> errors;
    for (const TPointF& c : centres) {
        const TPointF truth = chart.ToPicture(c);
        double nearest = INFINITY;
        for (const TPointF& p : found.Points)
            nearest = std::min(nearest, std::hypot(p.X - truth.X, p.Y - truth.Y));
        errors.push_back(nearest);
        worst = std::max(worst, nearest);
    }
    qInfo("%s: %zu markers, median %.3f px, worst %.3f px, sizes %lld..%lld", QTest::currentDataTag(),
          found.Points.size(), Median(errors), worst, range.Min, range.Max);
    QVERIFY(Median(errors) <= medianLimit);
    QVERIFY(worst <= limit);
    for (std::size_t i = 1; i < found.Points.size(); ++i)
        QVERIFY(area.ToFrame(found.Points[i - 1]).X <= area.ToFrame(found.Points[i]).X);
}

void TestExtraction::markersJoinedByTheirLine_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("thickness");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("limit");
    // A hairline that its smoothed edges break into hundreds of specks,
    // which outweigh the markers; a line half as broad as the markers that
    // joins them all into one patch.
    // Limits about one and a half times what the centres achieve: the line's
    // stubs that stay on a marker pull its centre a little.
    QTest::newRow("hairline, many markers") << 3.0 << 1.0 << 25 << 1.25;
    QTest::newRow("hairline, few markers") << 3.0 << 1.0 << 6 << 0.85;
    QTest::newRow("broad line") << 5.0 << 3.0 << 10 << 1.05;
}

// Markers joined by a line of their own colour, as plotting programs draw
// a series with both: a point for each marker, none for the line, which
// the report says it left out.
void TestExtraction::markersJoinedByTheirLine()
{
    QFETCH(double, radius);
    QFETCH(double, thickness);
    QFETCH(int, count);
    QFETCH(double, limit);
    TSyntheticChart chart(640, 480);
    std::vector<TPointF> centres;
    for (int i = 0; i < count; ++i)
        centres.push_back({40 + i * 560.0 / count + 0.3 * (i % 3), 240 + 150 * std::sin(i * 1.3 + 6) + 0.4 * (i % 4)});
    for (std::size_t i = 1; i < centres.size(); ++i)
        chart.Line(centres[i - 1], centres[i], Red, thickness);
    for (const TPointF& c : centres)
        chart.Disc(c, radius, Red);
    TLoadedChart loaded(chart.Image(), "png");
    const TExtractArea area{{0, 0, 639, 479}, 0};
    const TBlobSearch patches = MarkerPatches(FindBlobs(loaded.Source, area, {200, 20, 30}, 64));
    const TExtraction found =
        MarkerCentres(loaded.Source, area, patches, {200, 20, 30}, 64, DefaultSizeRange(patches), anBox);
    QCOMPARE(found.Points.size(), centres.size());
    double worst = 0;
    for (const TPointF& c : centres) {
        double nearest = INFINITY;
        for (const TPointF& p : found.Points)
            nearest = std::min(nearest, std::hypot(p.X - c.X, p.Y - c.Y));
        worst = std::max(worst, nearest);
    }
    qInfo("%s: worst %.3f px, pieces of line left out %d", QTest::currentDataTag(), worst, found.Report.LinesLeftOut);
    QVERIFY(worst <= limit);
    QVERIFY(found.Report.LinesLeftOut > 0);
    QVERIFY(!found.Report.Doubtful());
}

void TestExtraction::typicalSizeIgnoresSpecks()
{
    // Far more specks than markers, yet the markers set the typical size.
    TSyntheticChart chart(300, 200);
    for (int i = 0; i < 4; ++i)
        chart.Box({29.5 + 60 * i, 49.5}, 10, 10, Red);
    for (int i = 0; i < 60; ++i)
        chart.Speck(10 + 4 * i, 150 + (i % 3) * 4, Red);
    TLoadedChart loaded(chart.Image(), "png");
    const TExtractArea area{{0, 0, 299, 199}, 0};
    const TBlobSearch search = FindBlobs(loaded.Source, area, {200, 20, 30}, 10);
    QCOMPARE(search.Blobs.size(), std::size_t(64));
    QCOMPARE(search.Typical, 100LL);
    const TExtraction found =
        MarkerCentres(loaded.Source, area, search, {200, 20, 30}, 10, DefaultSizeRange(search), anCentroid);
    QCOMPARE(found.Points.size(), std::size_t(4));
    QCOMPARE_EXACT(found.Points[2].X, 30.0 + 120 + 4.5);
    QCOMPARE_EXACT(found.Points[2].Y, 54.5);
}

// Diagonal strokes touch only at corners: each X is one patch.
void TestExtraction::crossedMarkersAreOnePatchEach()
{
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setPen(QPen(Red, 1));
        for (int i = 0; i < 5; ++i) {
            const int x = 20 + 35 * i;
            p.drawLine(x, 40, x + 10, 50);
            p.drawLine(x + 10, 40, x, 50);
        }
    }
    TLoadedChart loaded(image, "png");
    const TBlobSearch search = FindBlobs(loaded.Source, {{0, 0, 199, 99}, 0}, {200, 20, 30}, 10);
    QCOMPARE(search.Blobs.size(), std::size_t(5));
}

// A line drawn without anti-aliasing in exactly the colour sought is found
// at tolerance 0: a pixel at the tolerance matches.
void TestExtraction::exactColourAtToleranceZero()
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setPen(QPen(Red, 3));
        p.drawLine(10, 60, 290, 140);
    }
    TLoadedChart loaded(image, "png");
    const TExtraction found = ExtractCurve(loaded.Source, {{10, 10, 290, 190}, 0}, {200, 20, 30}, 0, 10);
    QVERIFY2(found.Points.size() >= 28, qPrintable(QString::number(found.Points.size())));
    QVERIFY(!found.Report.Doubtful());
}

void TestExtraction::refusals()
{
    TSyntheticChart chart(100, 80);
    chart.Curve([](double x) { return 40 + 0 * x; }, 10, 90, Red, 3);
    TLoadedChart loaded(chart.Image(), "png");
    const TRgb red{200, 20, 30};
    QCOMPARE(ExtractCurve(loaded.Source, {{10, 10, 10, 70}, 0}, red, 64, 10).Problem,
             QStringLiteral("Mark the plotting area before extracting."));
    QCOMPARE(FindBlobs(loaded.Source, {{200, 10, 300, 70}, 0}, red, 64).Problem,
             QStringLiteral("The plotting area lies outside the picture."));
    QCOMPARE(ExtractCurve(loaded.Source, {{0, 0, 99, 79}, 0}, {250, 250, 250}, 10, 10).Problem,
             QStringLiteral("The colour #FAFAFA cannot be told from the background #FFFFFF at a tolerance of 10."));
    QCOMPARE(ExtractCurve(loaded.Source, {{0, 0, 99, 79}, 0}, red, 64, 0.5).Problem,
             QStringLiteral("The step must be at least one pixel."));
    QCOMPARE(ExtractCurve(TPixelSource(nullptr), {{0, 0, 99, 79}, 0}, red, 64, 10).Problem,
             QStringLiteral("There is no picture to extract from."));
    // A step wider than any picture takes the first column's point only.
    QVERIFY(ExtractCurve(loaded.Source, {{0, 0, 99, 79}, 0}, red, 64, 1e12).Points.size() <= 1);
    // A colour that is nowhere gives no points, and says nothing is wrong.
    const TExtraction none = ExtractCurve(loaded.Source, {{0, 0, 99, 79}, 0}, {0, 200, 0}, 64, 10);
    QVERIFY(none.Problem.isEmpty());
    QVERIFY(none.Points.empty());
}

// A session may hold an area millions of pixels wide; only the part over
// the picture is searched, so this ends at once.
void TestExtraction::aHugeAreaWalksOnlyThePicture()
{
    TSyntheticChart chart(400, 300);
    chart.Curve([](double x) { return 100 + 0.2 * x; }, -10, 410, Red, 3);
    chart.Disc({200.25, 250.5}, 5, Red);
    TLoadedChart loaded(chart.Image(), "png");
    for (const double angle : {0.0, 30.0}) {
        const TExtractArea area{{-10'000'000, -10'000'000, 10'000'000, 10'000'000}, angle};
        const TExtraction curve = ExtractCurve(loaded.Source, area, {200, 20, 30}, 64, 10);
        QVERIFY(curve.Problem.isEmpty());
        QVERIFY2(curve.Points.size() >= 25, qPrintable(QString::number(curve.Points.size())));
        const TExtraction markers =
            MarkerCentres(loaded.Source, area, FindBlobs(loaded.Source, area, {200, 20, 30}, 64), {200, 20, 30}, 64,
                          {20, 200}, anBox);
        QCOMPARE(markers.Points.size(), std::size_t(1));
        QVERIFY(std::abs(markers.Points[0].X - 200.25) < 0.25 && std::abs(markers.Points[0].Y - 250.5) < 0.25);
    }
}

QTEST_MAIN(TestExtraction)
#include "test_extraction.moc"

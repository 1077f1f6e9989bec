#include "ChartTruth.h"
#include "drawing/Drawing.h"
#include "drawing/DrawingAxes.h"
#include "drawing/DrawingPick.h"
#include "image/FreeBitmap.h"
#include "image/PictureDecoder.h"

#include <QProcess>
#include <QtTest>

#include <cmath>
#include <random>

namespace {

// A stroked segment, as an axis, a tick or a spine is drawn.
TDrawnPath Stroke(QPointF A, QPointF B)
{
    TDrawnPath p;
    p.Points = {A, B};
    p.Starts = {0};
    p.Stroked = true;
    return p;
}

const QRgb Blue = 0xff1f77b4, Red = 0xffd62728;

double WorstError(const std::vector<QPointF>& Got, std::vector<QPointF> Want)
{
    if (Got.size() != Want.size())
        return INFINITY;
    double worst = 0;
    for (std::size_t i = 0; i < Got.size(); ++i)
        worst = std::max(worst, QLineF(Got[i], Want[i]).length());
    return worst;
}

std::vector<QPointF> TopToBottom(std::vector<QPointF> Points)
{
    std::stable_sort(Points.begin(), Points.end(),
                     [](QPointF a, QPointF b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
    return Points;
}

struct TRendered {
    TPictureReport Report;
    int Width = 0, Height = 0;
    TDrawing Drawing;
    bool Read = false;
};

TRendered Render(const QString& File, int Page, double Dpi)
{
    QByteArray bytes;
    TDecodedPicture picture = RenderPage(File, {Page, Dpi}, {}, bytes);
    TRendered r;
    r.Report = picture.Report;
    if (picture.Dib) {
        r.Width = int(FreeImage_GetWidth(picture.Dib));
        r.Height = int(FreeImage_GetHeight(picture.Dib));
        FreeImage_Unload(picture.Dib);
    }
    r.Read = ReadDrawing(bytes, r.Drawing);
    return r;
}


// A one-page PDF, 400 x 200 points, whose page draws Content with Form (a
// transparency group) and SoftMask (a graphics state whose soft mask is a
// white group) among its resources.
QByteArray OnePagePdf(const QByteArray& Content)
{
    const auto stream = [](const QByteArray& Dictionary, const QByteArray& Data) {
        return "<< " + Dictionary + " /Length " + QByteArray::number(Data.size()) + " >>\nstream\n" + Data +
               "\nendstream";
    };
    const QByteArray group = "/Group << /S /Transparency /CS /DeviceRGB >>";
    const std::vector<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 400 200] /Contents 4 0 R /Resources << /XObject << /Form 5 0 "
        "R >> /ExtGState << /SoftMask 6 0 R >> >> >>",
        stream("", Content),
        stream("/Type /XObject /Subtype /Form /BBox [0 0 200 150] " + group + " /Resources << >>",
               "0.839 0.153 0.157 rg 60 40 40 40 re f"),
        "<< /Type /ExtGState /SMask << /S /Luminosity /G 7 0 R >> >>",
        stream("/Type /XObject /Subtype /Form /BBox [0 0 400 200] " + group + " /Resources << >>",
               "1 g 0 0 400 200 re f"),
    };
    QByteArray pdf = "%PDF-1.4\n";
    std::vector<qsizetype> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += QByteArray::number(qsizetype(i + 1)) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype table = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(qsizetype(objects.size() + 1)) + "\n0000000000 65535 f \n";
    for (const qsizetype at : offsets)
        pdf += QByteArray::number(at).rightJustified(10, '0') + " 00000 n \n";
    return pdf + "trailer\n<< /Size " + QByteArray::number(qsizetype(objects.size() + 1)) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
}

} // namespace

class TestDrawing : public QObject {
    Q_OBJECT
private slots:
    void verticesAreTheProducersOwn_data();
    void verticesAreTheProducersOwn();
    void clickChoosesAmongCharts();
    void piecesJoinInOrder();
    void pagesAndRefusals_data();
    void pagesAndRefusals();
    void axesReadFromTheDrawing_data();
    void axesReadFromTheDrawing();
    void nearlyStraightLabelsAreLinear();
    void tickLabelDates_data();
    void tickLabelDates();
    void tickLabels_data();
    void tickLabels();
    void labelsBeyondTheRule_data();
    void labelsBeyondTheRule();
    void pageBoxAsTheFileSays_data();
    void pageBoxAsTheFileSays();
    void rendererIsConfined_data();
    void rendererIsConfined();
    void damagedAccountsAreRefused_data();
    void damagedAccountsAreRefused();
};

void TestDrawing::verticesAreTheProducersOwn_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("truth");
    QTest::addColumn<int>("page");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<double>("points");
    // Limits in points, from what each producer keeps: its PDF and SVG six
    // decimals of a point (worst seen 6.7e-7), its EPS three (7.5e-4 seen,
    // made a PDF by Ghostscript).
    QTest::newRow("PDF at 300 dpi") << "chart.pdf" << "chart" << 1 << 300.0 << 1e-6;
    QTest::newRow("PDF at 96 dpi") << "chart.pdf" << "chart" << 1 << 96.0 << 1e-6;
    QTest::newRow("SVG, text as outlines") << "chart.svg" << "chart" << 1 << 300.0 << 1e-6;
    QTest::newRow("EPS through ps2pdf") << "chart.eps" << "chart" << 1 << 300.0 << 1.1e-3;
    QTest::newRow("second of three pages") << "pages.pdf" << "pages" << 2 << 150.0 << 1e-6;
    // Cairo keeps 0.003 of a point (0.0030 seen).
    QTest::newRow("matplotlib through cairo") << "cairo.pdf" << "chart" << 1 << 300.0 << 4.4e-3;
    // gnuplot places its area on its own grid: the truth is placed by the
    // axes the drawing shows (0.0056 seen).
    QTest::newRow("gnuplot through cairo, by its axes") << "gnuplot.pdf" << "gnuplot" << 1 << 300.0 << 8.5e-3;
}

void TestDrawing::verticesAreTheProducersOwn()
{
    QFETCH(QString, file);
    QFETCH(QString, truth);
    QFETCH(int, page);
    QFETCH(double, dpi);
    QFETCH(double, points);
    const double limit = points * dpi / 72;
    const TRendered r = Render(Chart(file), page, dpi);
    QVERIFY2(r.Report.Usable(), qPrintable(r.Report.Detail));
    QVERIFY(r.Read);
    std::vector<TChartTruth> charts = ReadTruth(truth, dpi);
    QCOMPARE(charts.size(), std::size_t(1));
    if (QTest::currentDataTag() == QByteArray("gnuplot through cairo, by its axes"))
        charts = ReadTruth(truth, dpi, true, ReadDrawnAxes(r.Drawing));
    const TDrawingPick curve = CurveOfColour(r.Drawing, Blue, std::nullopt);
    const double curveError = WorstError(curve.Points, charts[0].Curve);
    QVERIFY2(curveError <= limit, qPrintable(QStringLiteral("curve off by %1 px").arg(curveError)));
    const TDrawingPick markers = MarkersOfColour(r.Drawing, Red, std::nullopt);
    const double markerError = WorstError(markers.Points, TopToBottom(charts[0].Markers));
    QVERIFY2(markerError <= limit, qPrintable(QStringLiteral("markers off by %1 px").arg(markerError)));
}

void TestDrawing::clickChoosesAmongCharts()
{
    constexpr double Dpi = 200;
    const TRendered r = Render(Chart(QStringLiteral("two-charts.pdf")), 1, Dpi);
    QVERIFY2(r.Report.Usable(), qPrintable(r.Report.Detail));
    const std::vector<TChartTruth> charts = ReadTruth(QStringLiteral("two-charts"), Dpi);
    QCOMPARE(charts.size(), std::size_t(2));
    for (std::size_t k = 0; k < charts.size(); ++k) {
        // A click a little beside a vertex, as a hand clicks.
        const TDrawingPick curve = PickFromDrawing(r.Drawing, charts[k].Curve[9] + QPointF(1.5, -2), 6);
        QCOMPARE(curve.Kind, TDrawingPick::pkCurve);
        QVERIFY(WorstError(curve.Points, charts[k].Curve) <= 1e-6 * Dpi / 72);
        const TDrawingPick markers = PickFromDrawing(r.Drawing, charts[k].Markers[3] + QPointF(2, 1), 6);
        QCOMPARE(markers.Kind, TDrawingPick::pkMarkers);
        // Markers of both charts share shape and colour: both come.
        QCOMPARE(markers.Points.size(), charts[0].Markers.size() + charts[1].Markers.size());
    }
    QCOMPARE(PickFromDrawing(r.Drawing, {5, 5}, 6).Kind, TDrawingPick::pkNone);
    // The charts share their X axis's line but not its spine: the axes of
    // the chart a point is in, never a mixture; without a point, a choice
    // to be made.
    QVERIFY(ReadDrawnAxes(r.Drawing).Several);
    for (std::size_t k = 0; k < charts.size(); ++k) {
        const TDrawnAxes axes = ReadDrawnAxes(r.Drawing, charts[k].Curve[18]);
        QVERIFY2(axes.Problem.isEmpty(), qPrintable(axes.Problem));
        const double left = charts[k].Curve.front().x(), right = charts[k].Curve.back().x();
        for (const TDrawnTick& t : axes.X.Ticks)
            QVERIFY(t.At.x() > left - 0.1 * (right - left) && t.At.x() < right + 0.1 * (right - left));
        for (const TDrawnTick& t : axes.Y.Ticks)
            QVERIFY(std::abs(t.At.x() - axes.X.Ticks.front().At.x()) < 0.1 * (right - left));
    }
    // Labels drawn as outlines give ticks to click on, never values.
    const TRendered outlines = Render(Chart(QStringLiteral("axes-outlines.svg")), 1, Dpi);
    const TDrawnAxes unread = ReadDrawnAxes(outlines.Drawing);
    QVERIFY(unread.Problem.contains(QStringLiteral("outlines")));
    QVERIFY(unread.X.Ticks.empty() && unread.Y.Ticks.empty());
    QVERIFY(unread.Unlabelled.size() >= 10);
}

void TestDrawing::piecesJoinInOrder()
{
    // A curve written as 3000 two-point pieces in no order, some backwards,
    // a shorter one of the same colour, and one of another width.
    constexpr int Pieces = 3000;
    std::vector<QPointF> vertices;
    for (int i = 0; i <= Pieces; ++i)
        vertices.emplace_back(10 + 0.5 * i, 300 + 80 * std::sin(i / 40.0));
    TDrawing d;
    const TDrawnPath look{{}, {0}, true, Blue, 2, {}, false, 0};
    for (int i = 0; i < Pieces; ++i) {
        TDrawnPath piece = look;
        piece.Points = {vertices[std::size_t(i)], vertices[std::size_t(i) + 1]};
        if (i % 3 == 0)
            std::reverse(piece.Points.begin(), piece.Points.end());
        d.Paths.push_back(piece);
    }
    std::mt19937 shuffle(7);
    std::shuffle(d.Paths.begin(), d.Paths.end(), shuffle);
    TDrawnPath shorter = look;
    shorter.Points = {{10, 100}, {200, 120}};
    d.Paths.push_back(shorter);
    TDrawnPath wider = look;
    wider.Width = 3;
    wider.Points = {vertices.back(), vertices.back() + QPointF(50, 0)};
    d.Paths.push_back(wider);
    const TDrawingPick longest = CurveOfColour(d, Blue, std::nullopt);
    QCOMPARE(longest.Paths, Pieces);
    std::vector<QPointF> got = longest.Points;
    if (got.front() != vertices.front())
        std::reverse(got.begin(), got.end());
    QVERIFY(got == vertices);
    const TDrawingPick clicked = PickFromDrawing(d, vertices[1234] + QPointF(0, 1.5), 3);
    QCOMPARE(clicked.Points.size(), vertices.size());
}

void TestDrawing::pagesAndRefusals_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("detail");
    QTest::newRow("sheet of thumbnails") << "pages.pdf" << 0 << int(TPictureStatus::Decoded) << "3";
    QTest::newRow("page past the end") << "pages.pdf" << 5 << int(TPictureStatus::Failed)
                                       << "the drawing has 3 pages, not 5";
    QTest::newRow("truth file is no drawing") << "chart.truth" << 1 << int(TPictureStatus::Failed)
                                              << "it is neither a PDF nor an SVG drawing that can be read";
}

void TestDrawing::pagesAndRefusals()
{
    QFETCH(QString, file);
    QFETCH(int, page);
    QFETCH(int, status);
    QFETCH(QString, detail);
    QByteArray trailer;
    TDecodedPicture picture = RenderPage(Chart(file), {page, 72}, {}, trailer);
    QCOMPARE(int(picture.Report.Status), status);
    if (picture.Report.Usable()) {
        QCOMPARE(QString::fromLatin1(trailer), detail);
        QCOMPARE(int(FreeImage_GetWidth(picture.Dib)), detail.toInt() * ThumbnailCell);
        FreeImage_Unload(picture.Dib);
    } else {
        QCOMPARE(picture.Report.Detail, detail);
    }
}

void TestDrawing::axesReadFromTheDrawing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<double>("limit");
    // Every labelled major tick, on each axis, of each style.
    QTest::newRow("linear, minus as a bar") << "chart" << 6 + 5 << 4.4e-9;
    QTest::newRow("log-log, raised exponents") << "axes-loglog" << 6 + 4 << 4.4e-9;
    QTest::newRow("factor 1e6 above the axis") << "axes-millions" << 6 + 7 << 4.4e-9;
    QTest::newRow("thousands with commas, ggplot") << "axes-thousands" << 6 + 5 << 4.4e-9;
    QTest::newRow("hyphen minus as text, classic") << "axes-hyphens" << 9 + 7 << 4.4e-9;
    QTest::newRow("semilog with a grid") << "axes-semilog" << 6 + 5 << 4.4e-9;
    QTest::newRow("open axes, ticks style") << "axes-open" << 6 + 7 << 4.4e-9;
    // Against the box the script asked for, which gnuplot places on its own
    // grid: 2.0e-3 of the span seen.
    QTest::newRow("gnuplot, mirrored ticks") << "gnuplot" << 6 + 5 << 3e-3;
}

void TestDrawing::axesReadFromTheDrawing()
{
    QFETCH(QString, name);
    QFETCH(int, ticks);
    QFETCH(double, limit);
    constexpr double Dpi = 300;
    const TRendered r = Render(Chart(name + QStringLiteral(".pdf")), 1, Dpi);
    QVERIFY2(r.Report.Usable(), qPrintable(r.Report.Detail));
    const TDrawnAxes axes = ReadDrawnAxes(r.Drawing);
    QVERIFY2(axes.Problem.isEmpty(), qPrintable(axes.Problem));
    TAxesTruth truth;
    if (name == QStringLiteral("chart")) {
        // chart.truth's box: (36, 23.76)-(259.2, 190.08) on a 216-point page.
        truth = {216, 36, 23.76, 259.2, 190.08, -3, 8, -5, 5, false, false};
    } else {
        truth = ReadAxesTruth(name);
    }
    QCOMPARE(axes.X.Log, truth.LogX);
    QCOMPARE(axes.Y.Log, truth.LogY);
    // Each label's value against the chart's true value at its tick, as a
    // share of the axis's span (of its decades on a log axis).
    double worst = 0;
    for (const bool x : {true, false})
        for (const TDrawnTick& t : (x ? axes.X : axes.Y).Ticks) {
            const double want = truth.Value(x, t.At, Dpi);
            const bool log = x ? truth.LogX : truth.LogY;
            worst = std::max(worst, (log ? std::abs(std::log10(t.Value) - std::log10(want)) : std::abs(t.Value - want)) /
                                        truth.Span(x));
        }
    QCOMPARE(int(axes.X.Ticks.size() + axes.Y.Ticks.size()), ticks);
    // Worst seen 2.9e-9 of the span (the producer's rounding of a tick's
    // place); a pixel at 300 dpi is over 1e-3 of these axes.
    QVERIFY2(worst <= limit, qPrintable(QString::number(worst)));
}

// One X axis of six ticks 70 pixels apart on a frame's bottom, labelled
// as a row says, with a text beside its end; the Y axis is plain.
void TestDrawing::labelsBeyondTheRule_data()
{
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QString>("beyond");
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<int>("rejected");
    QTest::newRow("a misread at the end, pulling the line")
        << QStringList{"-0.75", "-0.5", "-0.25", "0", "0.25", "0."} << QString()
        << QList<double>{-0.75, -0.5, -0.25, 0, 0.25} << 1;
    QTest::newRow("an offset beyond the end") << QStringList{"-5", "0", "5", "10", "15", "20"} << "+2e3"
                                              << QList<double>{1995, 2000, 2005, 2010, 2015, 2020} << 0;
    QTest::newRow("a factor beyond the end") << QStringList{"0", "1", "2", "3", "4", "5"} << "1e6"
                                             << QList<double>{0, 1e6, 2e6, 3e6, 4e6, 5e6} << 0;
    QTest::newRow("no factor on a log axis") << QStringList{"1", "10", "100", "1000", "10000", "100000"} << "1e6"
                                             << QList<double>{1, 10, 100, 1000, 1e4, 1e5} << 0;
    // 2020-03-01T00:00Z is 1583020800 s.
    QList<double> days;
    for (int d = 0; d < 6; ++d)
        days << 1583020800.0 + 86400 * d;
    QTest::newRow("dates, a misread among them")
        << QStringList{"2020-03-01", "2020-03-02", "2020-03-03", "2020-03-04", "2020-03-05", "2020-03-09"} << "1e6"
        << days.mid(0, 5) << 1;
}

void TestDrawing::labelsBeyondTheRule()
{
    QFETCH(QStringList, labels);
    QFETCH(QString, beyond);
    QFETCH(QList<double>, values);
    QFETCH(int, rejected);
    TDrawing d;
    const auto stroke = [&d](QPointF a, QPointF b) { d.Paths.push_back(Stroke(a, b)); };
    stroke({90, 460}, {520, 460});
    stroke({90, 60}, {90, 460});
    for (int i = 0; i < 6; ++i) {
        stroke({150.0 + 70 * i, 460}, {150.0 + 70 * i, 465});
        d.Texts.push_back({labels[i], QRectF(133.0 + 70 * i, 470, 34, 13)});
        stroke({90, 100.0 + 60 * i}, {85, 100.0 + 60 * i});
        d.Texts.push_back({QString::number(5 - i), QRectF(70, 93.5 + 60 * i, 8, 13)});
    }
    if (!beyond.isEmpty())
        d.Texts.push_back({beyond, QRectF(490, 490, 30, 13)});
    const TDrawnAxes axes = ReadDrawnAxes(d);
    QVERIFY2(axes.Problem.isEmpty(), qPrintable(axes.Problem));
    QList<double> read;
    for (const TDrawnTick& t : axes.X.Ticks)
        read << t.Value;
    QCOMPARE(read, values);
    QCOMPARE(axes.X.Rejected, rejected);
}

// Years 2000 to 2025, ticks placed between where a straight axis and a
// log one would put them, nearer the log one: both fit within half a pixel,
// the log one a little better, and the axis is straight all the same.
void TestDrawing::nearlyStraightLabelsAreLinear()
{
    TDrawing d;
    const auto stroke = [&d](QPointF a, QPointF b) { d.Paths.push_back(Stroke(a, b)); };
    stroke({90, 460}, {520, 460});
    stroke({90, 60}, {90, 460});
    const double span = std::log10(2025.0 / 2000);
    for (int i = 0; i < 6; ++i) {
        const double year = 2000 + 5 * i;
        const double x = 150 + 0.4 * 70 * i + 0.6 * 350 * std::log10(year / 2000) / span;
        stroke({x, 460}, {x, 465});
        d.Texts.push_back({QString::number(year), QRectF(x - 17, 470, 34, 13)});
        stroke({90, 100.0 + 60 * i}, {85, 100.0 + 60 * i});
        d.Texts.push_back({QString::number(5 - i), QRectF(70, 93.5 + 60 * i, 8, 13)});
    }
    const TDrawnAxes axes = ReadDrawnAxes(d);
    QVERIFY2(axes.Problem.isEmpty(), qPrintable(axes.Problem));
    QCOMPARE(axes.X.Ticks.size(), std::size_t(6));
    QVERIFY(!axes.X.Log);
}

void TestDrawing::tickLabelDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("ISO day") << "2020-03-15" << 1584230400.0;
    QTest::newRow("ISO month") << "2020-03" << 1583020800.0;
    QTest::newRow("month, day, year") << "May 01 2020" << 1588291200.0;
    QTest::newRow("with a comma") << "May 1, 2020" << 1588291200.0;
    QTest::newRow("day first") << "1 May 2020" << 1588291200.0;
    QTest::newRow("month and year") << "Sep 2021" << 1630454400.0;
    QTest::newRow("full name") << "September 3 2021" << 1630627200.0;
    QTest::newRow("no such day") << "Feb 30 2020" << -1.0;
    QTest::newRow("no such month") << "Mai 01 2020" << -1.0;
    QTest::newRow("no year") << "May 01" << -1.0;
    QTest::newRow("a year alone") << "2020" << -1.0;
}

void TestDrawing::tickLabelDates()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const std::optional<double> read = TickLabelDate(text);
    QCOMPARE(read.value_or(-1), value);
}

void TestDrawing::tickLabels_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("read");
    QTest::newRow("plain") << "25" << 25.0 << true;
    QTest::newRow("minus sign") << QStringLiteral("\u22122.5") << -2.5 << true;
    QTest::newRow("thousands") << "-12,500" << -12500.0 << true;
    QTest::newRow("not thousands") << "1,25" << 0.0 << false;
    QTest::newRow("exponent") << "1e-3" << 1e-3 << true;
    QTest::newRow("caret power") << "10^{-2}" << 1e-2 << true;
    QTest::newRow("superscript power") << QStringLiteral("10\u207B\u00B3") << 1e-3 << true;
    QTest::newRow("a power no double holds") << "10^{400}" << 0.0 << false;
    QTest::newRow("a word") << "Time" << 0.0 << false;
    QTest::newRow("a date") << "2026-12-08" << 0.0 << false;
}

void TestDrawing::tickLabels()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, read);
    const std::optional<double> got = TickLabelValue(text);
    QCOMPARE(got.has_value(), read);
    if (read)
        QVERIFY2(std::abs(*got - value) <= 1e-15 * std::abs(value), qPrintable(QString::number(*got, 'g', 17)));
}

void TestDrawing::rendererIsConfined_data()
{
    QTest::addColumn<QString>("attempt");
    QTest::addColumn<bool>("survives");
    // Reading fonts and files is its work; writing, removing, the network
    // and other programs are not.
    QTest::newRow("read") << "read" << true;
    QTest::newRow("write") << "write" << true;
    QTest::newRow("remove") << "remove" << false;
    QTest::newRow("socket") << "socket" << false;
    QTest::newRow("exec") << "exec" << false;
}

void TestDrawing::pageBoxAsTheFileSays_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QSize>("page");
    QTest::addColumn<QRectF>("square");
    // A 40 x 40 square in the middle of a 100 x 100 view, on a page twice
    // as wide as tall: kept square and centred unless the SVG says "none".
    const QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" width="400pt" height="200pt" viewBox="0 0 100 100" %1>
<rect x="30" y="30" width="40" height="40" fill="#d62728"/></svg>)";
    QTest::newRow("SVG, proportions kept") << QByteArray(svg).replace("%1", "") << "svg" << QSize(400, 200)
                                           << QRectF(160, 60, 80, 80);
    QTest::newRow("SVG, xMidYMid meet") << QByteArray(svg).replace("%1", R"(preserveAspectRatio="xMidYMid meet")")
                                        << "svg" << QSize(400, 200) << QRectF(160, 60, 80, 80);
    QTest::newRow("SVG, stretched as it says") << QByteArray(svg).replace("%1", R"(preserveAspectRatio="none")")
                                               << "svg" << QSize(400, 200) << QRectF(120, 60, 160, 80);
    // gnuplot's markers: a symbol painted in currentColor, used in the
    // series' colour, once directly and once through a second symbol; a
    // use of itself changes nothing and is no hang.
    const QByteArray used = R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
width="400pt" height="200pt" viewBox="0 0 100 100"><defs><path id="a" fill="currentColor" d="M0,0 h40 v40 h-40 z"/>
<use xlink:href="#a" id="b"/></defs>%1</svg>)svg";
    QTest::newRow("SVG, a symbol used in a colour")
        << QByteArray(used).replace("%1", R"svg(<use xlink:href="#a" x="30" y="30" color="#d62728"/>)svg") << "svg"
        << QSize(400, 200) << QRectF(160, 60, 80, 80);
    QTest::newRow("SVG, a symbol used through another")
        << QByteArray(used).replace("%1", R"svg(<use xlink:href="#b" transform="translate(30,30)" color="#d62728"/>)svg")
        << "svg" << QSize(400, 200) << QRectF(160, 60, 80, 80);
    QTest::newRow("SVG, a symbol that uses itself")
        << QByteArray(used).replace("%1", R"svg(<g id="c" color="#d62728"><path fill="currentColor" d="M30,30 h40 v40 h-40 z"/>
<use xlink:href="#c"/></g>)svg")
        << "svg" << QSize(400, 200) << QRectF(160, 60, 80, 80);
    // An EPS whose box, given at its end, lies beyond the default page's
    // width: all of it is the page.
    const QByteArray eps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n%%EndComments\n"
                           "0.839 0.153 0.157 setrgbcolor 650 100 moveto 690 100 lineto 690 140 lineto 650 140 lineto "
                           "closepath fill\nshowpage\n%%Trailer\n%%BoundingBox: 600 50 740 200\n%%EOF\n";
    QTest::newRow("EPS, box at its end") << eps << "eps" << QSize(140, 150) << QRectF(50, 60, 40, 40);
    // The same square drawn directly, in a transparency group, under a soft
    // mask, and in a group under a mask inside a scaled state.
    const QRectF pdfSquare(160, 100, 40, 40);
    QTest::newRow("PDF, drawn directly") << OnePagePdf("q 1 0 0 1 100 20 cm 0.839 0.153 0.157 rg 60 40 40 40 re f Q")
                                         << "pdf" << QSize(400, 200) << pdfSquare;
    QTest::newRow("PDF, in a transparency group") << OnePagePdf("q 1 0 0 1 100 20 cm /Form Do Q") << "pdf"
                                                  << QSize(400, 200) << pdfSquare;
    QTest::newRow("PDF, under a soft mask")
        << OnePagePdf("q /SoftMask gs 1 0 0 1 100 20 cm 0.839 0.153 0.157 rg 60 40 40 40 re f Q") << "pdf"
        << QSize(400, 200) << pdfSquare;
    QTest::newRow("PDF, a group under a mask, scaled")
        << OnePagePdf("q 0.5 0 0 0.5 50 10 cm q /SoftMask gs 2 0 0 2 100 20 cm /Form Do Q Q") << "pdf"
        << QSize(400, 200) << pdfSquare;
}

// The page and where a drawn square lies on it, at 72 dpi.
void TestDrawing::pageBoxAsTheFileSays()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, suffix);
    QFETCH(QSize, page);
    QFETCH(QRectF, square);
    QTemporaryDir folder;
    const QString name = folder.filePath(QStringLiteral("page.") + suffix);
    QFile out(name);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();
    const TRendered r = Render(name, 1, 72);
    QVERIFY(r.Read);
    QCOMPARE(QSize(r.Width, r.Height), page);
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (const TDrawnPath& p : r.Drawing.Paths) {
        QVERIFY2(p.Filled && p.Fill == Red, "a path the page does not show");
        for (const QPointF& v : p.Points) {
            left = std::min(left, v.x());
            top = std::min(top, v.y());
            right = std::max(right, v.x());
            bottom = std::max(bottom, v.y());
        }
    }
    const QRectF drawn(QPointF(left, top), QPointF(right, bottom));
    // Picture pixel centres are whole: a page's edge lies half a pixel out.
    const QRectF want = square.translated(-0.5, -0.5);
    QVERIFY2(std::abs(drawn.left() - want.left()) < 1e-3 && std::abs(drawn.top() - want.top()) < 1e-3 &&
                 std::abs(drawn.width() - want.width()) < 1e-3 && std::abs(drawn.height() - want.height()) < 1e-3,
             qPrintable(QStringLiteral("drawn at %1,%2 %3 x %4").arg(drawn.left()).arg(drawn.top()).arg(drawn.width()).arg(drawn.height())));
}

void TestDrawing::rendererIsConfined()
{
    QFETCH(QString, attempt);
    QFETCH(bool, survives);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("kept"));
    QFile kept(file);
    QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("kept") == 4);
    kept.close();
    QProcess attempts;
    attempts.start(QStringLiteral(RENDERER_ATTEMPTS),
                   {attempt, attempt == QStringLiteral("write") ? folder.filePath(QStringLiteral("new")) : file});
    QVERIFY(attempts.waitForFinished(10000));
    if (survives) {
        QCOMPARE(attempts.exitStatus(), QProcess::NormalExit);
        QCOMPARE(attempts.exitCode(), 0);
    } else {
        QCOMPARE(attempts.exitStatus(), QProcess::CrashExit);
    }
    QVERIFY(QFile::exists(file));
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("new"))));
}

void TestDrawing::damagedAccountsAreRefused_data()
{
    TDrawing d;
    d.Paths.push_back({{{1, 2}, {3, 4}, {5, 6}}, {0, 2}, true, Blue, 1.5, {3, 2}, false, 0});
    d.Texts.push_back({QStringLiteral("10"), QRectF(1, 2, 3, 4)});
    const QByteArray good = DrawingBytes(d);
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("read");
    QTest::newRow("as written") << good << true;
    QTest::newRow("cut short") << good.left(good.size() - 3) << false;
    QTest::newRow("a byte more") << good + '\0' << false;
    QByteArray other = good;
    other[0] = 'X';
    QTest::newRow("another signature") << other << false;
    // The figure starts are the 4-byte counts and values after the points.
    TDrawing backwards = d;
    backwards.Paths[0].Starts = {2, 0};
    QTest::newRow("figures out of order") << DrawingBytes(backwards) << false;
    TDrawing outside = d;
    outside.Paths[0].Starts = {0, 3};
    QTest::newRow("figure past the points") << DrawingBytes(outside) << false;
    TDrawing infinite = d;
    infinite.Paths[0].Points[1].setX(INFINITY);
    QTest::newRow("a vertex not finite") << DrawingBytes(infinite) << false;
    // Read, without the path that lies out of any picture's reach.
    TDrawing far = d;
    far.Paths.insert(far.Paths.begin(), far.Paths[0]);
    far.Paths[0].Points[0].setY(2.6e157);
    QTest::newRow("a path far off the page") << DrawingBytes(far) << true;
    TDrawing many = d;
    QByteArray huge = DrawingBytes(many);
    // The path count (after signature, version, images) claims millions.
    huge[12] = char(0x7f);
    QTest::newRow("count beyond the bytes") << huge << false;
}

void TestDrawing::damagedAccountsAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, read);
    TDrawing d;
    QCOMPARE(ReadDrawing(bytes, d), read);
    if (read) {
        QCOMPARE(d.Paths.size(), std::size_t(1));
        QCOMPARE(d.Paths[0].Points[2], QPointF(5, 6));
        QCOMPARE(d.Paths[0].Dashes, (std::vector<double>{3, 2}));
        QCOMPARE(d.Texts[0].Text, QStringLiteral("10"));
    } else {
        QVERIFY(d.Paths.empty());
    }
}

QTEST_GUILESS_MAIN(TestDrawing)
#include "test_drawing.moc"

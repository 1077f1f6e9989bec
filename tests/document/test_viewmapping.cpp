#include "document/viewmapping.h"
#include "document/GridValues.h"
#include "document/PointsFit.h"

#include "ExactCompare.h"
#include "platform/ZoomedSource.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

TViewMapping Standard()
{
    TViewMapping m;
    m.MappingRect = {10, 20, 110, 220};
    return m;
}

TDataPoint Data(const TViewMapping& m, TPoint p)
{
    TDataPoint d{-1, -1};
    m.PixelToData(p, d);
    return d;
}

} // namespace

Q_DECLARE_METATYPE(TAxisMapping)

class TestViewMapping : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void linearCornersAndExtrapolation();
    void logarithmicAxis();
    void invalidRectangleLeavesOutputUntouched();
    void equalAxisValuesGiveOneValue();
    void unknownAxisKindLeavesCoordinate();
    void angleNinetyTurnsAxes();
    void dataToPixelRoundTrip();
    void dataToPixelNeedsAxisValues();
    void unitsPerPixel();
    void clientToImageRoundsHalvesUp();
    void rotationsInverseAndAboutCentre();
    void screenRotationKeepsOrigin();
    void rubberBandNormalisesAndClamps();
    void rubberBandNeedsBothExtents();
    void cornersIgnoreTopRight();
    void roundingSaturatesAtIntsEnds();
    void extremeRectangleStaysExact();
    void grabBandIsFiveScreenPixelsAtLeast();
    void gridValuesAreRound_data();
    void gridValuesAreRound();
    void planeGridLinesRunEdgeToEdge();
};

void TestViewMapping::defaults()
{
    TViewMapping m;
    QCOMPARE(m.MappingRect, TRect{});
    QCOMPARE(m.XLeftValue, 0.0);
    QCOMPARE(m.XRightValue, 100.0);
    QCOMPARE(m.YBottomValue, 0.0);
    QCOMPARE(m.YTopValue, 100.0);
    QCOMPARE(m.AxisXMap, amLinear);
    QCOMPARE(m.Angle, 0.0);
    QCOMPARE(m.Zoom, 1.0f);
    QVERIFY(!m.MappingValid());
    QVERIFY(m.AxisValuesValid());
}

void TestViewMapping::linearCornersAndExtrapolation()
{
    const TViewMapping m = Standard();
    QVERIFY(m.MappingValid());
    const struct {
        TPoint p;
        double x, y;
    } cases[] = {{{10, 220}, 0, 0}, {{110, 20}, 100, 100}, {{60, 120}, 50, 50}, {{210, 220}, 200, 0}};
    for (const auto& c : cases) {
        const TDataPoint d = Data(m, c.p);
        QCOMPARE(d.X, c.x);
        QCOMPARE(d.Y, c.y);
    }
}

void TestViewMapping::logarithmicAxis()
{
    TViewMapping m = Standard();
    m.AxisXMap = amLog10;
    m.XLeftValue = 1;
    m.XRightValue = 1000;
    const TDataPoint d = Data(m, {60, 220});
    QVERIFY(std::abs(d.X - std::pow(10.0, 1.5)) < 1e-9);
    QCOMPARE(d.Y, 0.0);
}

void TestViewMapping::invalidRectangleLeavesOutputUntouched()
{
    TViewMapping m;
    m.MappingRect = {10, 20, 10, 220};
    QCOMPARE(Data(m, {5, 5}).X, -1.0);
    m.MappingRect = {10, 20, 110, 20};
    QCOMPARE(Data(m, {5, 5}).Y, -1.0);
}

void TestViewMapping::equalAxisValuesGiveOneValue()
{
    TViewMapping m = Standard();
    m.XLeftValue = 7;
    m.XRightValue = 7;
    QCOMPARE(Data(m, {10, 220}).X, 7.0);
    QCOMPARE(Data(m, {500, 3}).X, 7.0);
}

void TestViewMapping::unknownAxisKindLeavesCoordinate()
{
    TViewMapping m = Standard();
    m.AxisYMap = static_cast<TAxisMapping>(2);
    const TDataPoint d = Data(m, {60, 120});
    QCOMPARE(d.X, 50.0);
    QCOMPARE(d.Y, -1.0);
}

void TestViewMapping::angleNinetyTurnsAxes()
{
    TViewMapping m = Standard();
    m.Angle = 90;
    TDataPoint d = Data(m, {10, 320});
    QCOMPARE(d.X, 100.0);
    QCOMPARE(d.Y, 0.0);
    d = Data(m, {110, 220});
    QCOMPARE(d.X, 0.0);
    QCOMPARE(d.Y, 50.0);
}

void TestViewMapping::dataToPixelRoundTrip()
{
    TViewMapping m = Standard();
    m.XLeftValue = -3;
    m.XRightValue = 17;
    m.AxisYMap = amLog10;
    m.YBottomValue = 0.1;
    m.YTopValue = 1000;
    for (const TDataPoint start : {TDataPoint{0, 1}, TDataPoint{12.5, 0.3}, TDataPoint{-3, 999}}) {
        TPoint p{-999, -999};
        m.DataToPixel(start, p);
        TDataPoint back{};
        m.PixelToData(p, back);
        // Within one pixel: 0.2 X units, and a factor of 10^(4/200) on Y.
        QVERIFY2(std::abs(back.X - start.X) <= 0.2, qPrintable(QString::number(back.X)));
        QVERIFY(std::abs(std::log10(back.Y) - std::log10(start.Y)) <= 0.02);
    }
}

void TestViewMapping::dataToPixelNeedsAxisValues()
{
    TViewMapping m = Standard();
    m.YTopValue = m.YBottomValue;
    TPoint p{-5, -6};
    m.DataToPixel({1, 1}, p);
    QCOMPARE(p, (TPoint{-5, -6}));
}

void TestViewMapping::unitsPerPixel()
{
    TViewMapping m;
    m.MappingRect = {0, 0, 100, 100};
    m.Zoom = 2;
    m.XLeftValue = 0;
    m.XRightValue = 50;
    QCOMPARE(m.XUnitsPerPixel(), 0.25);
    m.XLeftValue = 50;
    m.XRightValue = 0;
    QCOMPARE(m.XUnitsPerPixel(), 0.0);
    QCOMPARE(m.YUnitsPerPixel(), 0.5);
    // Narrower than one client pixel: 0, not a division by zero.
    m.MappingRect = {0, 0, 1, 1};
    m.Zoom = 0.25f;
    QCOMPARE(m.YUnitsPerPixel(), 0.0);
    m.XLeftValue = 0;
    m.XRightValue = 1;
    QCOMPARE(m.XUnitsPerPixel(), 0.0);
}

// Halves up, so that at 200 % each picture pixel takes two client pixels:
// client 2k - 1 and 2k show pixel k.
void TestViewMapping::clientToImageRoundsHalvesUp()
{
    TViewMapping m;
    m.Zoom = 2;
    QCOMPARE(m.ClientToImage({1, 3}), (TPoint{1, 2}));
    QCOMPARE(m.ClientToImage({5, 7}), (TPoint{3, 4}));
    QCOMPARE(m.ClientToImage({-1, -3}), (TPoint{0, -1}));
    m.Zoom = 4;
    QCOMPARE(m.ClientToImage({2, 6}), (TPoint{1, 2}));
    QCOMPARE(m.ClientToImage({1, 5}), (TPoint{0, 1}));
}

void TestViewMapping::rotationsInverseAndAboutCentre()
{
    TViewMapping m = Standard();
    m.Angle = 90;
    // +90 degrees: a point right of the origin corner goes below it on screen.
    QCOMPARE(m.UnrotatePoint({110, 220}), (TPoint{10, 320}));
    QCOMPARE(m.RotatePoint({10, 320}), (TPoint{110, 220}));
    QCOMPARE(m.RotatePoint({10, 220}), (TPoint{10, 220}));
    m.Angle = 30;
    for (TPoint p : {TPoint{60, 120}, TPoint{0, 0}, TPoint{300, 7}})
        QVERIFY(std::abs(m.RotatePoint(m.UnrotatePoint(p)).X - p.X) <= 1);
    m.Angle = 180;
    QCOMPARE(m.RotateAbout({5, 5}, {0, 0}), (TPoint{-5, -5}));
}

void TestViewMapping::screenRotationKeepsOrigin()
{
    TViewMapping m = Standard();
    m.Zoom = 1.5f;
    m.Angle = 30;
    const TPoint origin{15, 330};
    QCOMPARE(m.UnrotateScreenPoint(origin), origin);
    QCOMPARE(m.RotateScreenPoint(origin), origin);
    // 100 client pixels right of the origin, turned clockwise by 30 degrees.
    QCOMPARE(m.UnrotateScreenPoint({115, 330}), (TPoint{15 + 87, 330 + 50}));
}

void TestViewMapping::rubberBandNormalisesAndClamps()
{
    TViewMapping m;
    m.Zoom = 2;
    TRect r;
    m.RubberBandToRect({240, 160}, {40, 60}, 400, 300, r);
    QCOMPARE(r, (TRect{20, 30, 120, 80}));
    m.RubberBandToRect({-30, -10}, {5000, 5000}, 400, 300, r);
    QCOMPARE(r, (TRect{0, 0, 399, 299}));
}

void TestViewMapping::rubberBandNeedsBothExtents()
{
    TViewMapping m;
    m.MappingRect = {1, 2, 3, 4};
    m.ApplyRubberBand({10, 10}, {10, 50}, 100, 100);
    QCOMPARE(m.MappingRect, (TRect{1, 2, 3, 4}));
    m.ApplyRubberBand({10, 10}, {30, 50}, 100, 100);
    QCOMPARE(m.MappingRect, (TRect{10, 10, 30, 50}));
}

void TestViewMapping::cornersIgnoreTopRight()
{
    TViewMapping m;
    TRect r;
    m.CornersToRect({50, 80}, {10, 80}, {-999, -999}, {50, 20}, 60, 70, r);
    QCOMPARE(r, (TRect{10, 20, 50, 69}));
    m.MappingRect = {1, 2, 3, 4};
    m.ApplyCorners({50, 80}, {50, 80}, {0, 0}, {50, 20}, 60, 70);
    QCOMPARE(m.MappingRect, (TRect{1, 2, 3, 4}));
    m.ApplyCorners({50, 80}, {10, 80}, {0, 0}, {50, 20}, 60, 70);
    QCOMPARE(m.MappingRect, (TRect{10, 20, 50, 69}));
}

void TestViewMapping::roundingSaturatesAtIntsEnds()
{
    constexpr int most = std::numeric_limits<int>::max();
    constexpr int least = std::numeric_limits<int>::min();
    QCOMPARE(RoundEven(1e300), most);
    QCOMPARE(RoundEven(-1e300), least);
    QCOMPARE(RoundEven(2147483647.4), most);
    QCOMPARE(RoundEven(-2147483648.4), least);
    QCOMPARE(RoundEven(std::numeric_limits<double>::quiet_NaN()), 0);
    QCOMPARE(RoundEven(2.5), 2);
    QCOMPARE(RoundEven(-3.5), -4);
    QCOMPARE(ZoomedSource(most, 0.25f), most);
    QCOMPARE(ZoomedSource(least, 0.25f), least);
}

void TestViewMapping::extremeRectangleStaysExact()
{
    // Spans beyond int: differences are taken in double, not in int.
    TViewMapping m;
    m.MappingRect = {std::numeric_limits<int>::min(), -10, std::numeric_limits<int>::max(), 10};
    m.XLeftValue = 0;
    m.XRightValue = 1;
    m.YBottomValue = 0;
    m.YTopValue = 1;
    TDataPoint d;
    m.PixelToData(TPoint{0, 0}, d);
    QCOMPARE_EXACT(d.X, 2147483648.0 / 4294967295.0);
    QCOMPARE_EXACT(d.Y, 0.5);
    TPoint p;
    m.DataToPixel({1, 1}, p);
    QCOMPARE(p, (TPoint{std::numeric_limits<int>::max(), -10}));
    // The grab band around an edge at int's end.
    const TMappingEdges edges = m.HitTestEdges({std::numeric_limits<int>::min() + 2, 0});
    QVERIFY(edges.Contains(meLeft));
    QVERIFY(!edges.Contains(meRight));
    m.Angle = 90;
    const TPoint far = m.RotatePoint({std::numeric_limits<int>::max(), 10});
    QCOMPARE(far.Y, std::numeric_limits<int>::min()); // 10 - 4294967295, saturated, not wrapped
}

void TestViewMapping::grabBandIsFiveScreenPixelsAtLeast()
{
    TViewMapping m;
    m.MappingRect = {100, 100, 300, 300};
    // 12 image pixels left of the left edge: 3 screen pixels at 25%.
    const TPoint beside{88, 200};
    const TPoint further{79, 200}; // 21 image pixels: 5.25 screen pixels
    m.Zoom = 1.0f;
    QVERIFY(!m.HitTestEdges(beside).Contains(meLeft));
    QVERIFY(m.HitTestEdges({96, 200}).Contains(meLeft));
    QVERIFY(!m.HitTestEdges({95, 200}).Contains(meLeft));
    for (float zoom : {0.25f, 0.5f, 0.75f}) {
        m.Zoom = zoom;
        // 4 screen pixels off: always grabbed; 5.25 and more: never.
        const int near = int(4.0 / double(zoom));
        QVERIFY2(m.HitTestEdges({100 - near, 200}).Contains(meLeft), qPrintable(QString::number(zoom)));
        QVERIFY2(m.HitTestEdges({300 + near, 200}).Contains(meRight), qPrintable(QString::number(zoom)));
        QVERIFY2(m.HitTestEdges({200, 100 - near}).Contains(meTop), qPrintable(QString::number(zoom)));
    }
    m.Zoom = 0.25f;
    QVERIFY(m.HitTestEdges(beside).Contains(meLeft));
    QVERIFY(!m.HitTestEdges(further).Contains(meLeft));
}

// The calibration grid's round values of each kind of axis.
void TestViewMapping::gridValuesAreRound_data()
{
    QTest::addColumn<TAxisMapping>("kind");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<QList<double>>("values");
    QTest::newRow("0 to 100") << amLinear << 0.0 << 100.0 << QList<double>{0, 20, 40, 60, 80, 100};
    QTest::newRow("backward") << amLinear << 100.0 << 0.0 << QList<double>{0, 20, 40, 60, 80, 100};
    QTest::newRow("ends not round") << amLinear << -3.7 << 12.0 << QList<double>{0, 5, 10};
    QTest::newRow("0 to 4") << amLinear << 0.0 << 4.0 << QList<double>{0, 1, 2, 3, 4};
    QTest::newRow("three decades") << amLog10 << 1.0 << 1000.0
                                   << QList<double>{1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
    QTest::newRow("twelve decades") << amLog10 << 1e-3 << 1e9 << QList<double>{1e-3, 0.1, 10, 1e3, 1e5, 1e7, 1e9};
    QTest::newRow("log from 0") << amLog10 << 0.0 << 10.0 << QList<double>{};
    QTest::newRow("no extent") << amLinear << 5.0 << 5.0 << QList<double>{};
}

void TestViewMapping::gridValuesAreRound()
{
    QFETCH(TAxisMapping, kind);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(QList<double>, values);
    const std::vector<double> got = GridValues(kind, a, b);
    QCOMPARE(qsizetype(got.size()), values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        QVERIFY2(std::abs(got[std::size_t(i)] - values[i]) <= 1e-12 * std::max(1.0, std::abs(values[i])),
                 qPrintable(QString::number(got[std::size_t(i)])));
}

// A skewed map's grid over a 1000 x 500 picture: each line lies at a round
// value all along, and both its ends on the picture's outer edges.
void TestViewMapping::planeGridLinesRunEdgeToEdge()
{
    const TAxisPlane plane{0.01, 0.004, -1};
    const std::vector<TGridLine> lines = PlaneGridLines(plane, amLinear, 1000, 500);
    QCOMPARE(lines.size(), std::size_t(6)); // 0, 2, 4, 6, 8, 10 over -1..11
    const auto onEdge = [](const TPointF& p) {
        return std::abs(p.X + 0.5) < 1e-9 || std::abs(p.X - 999.5) < 1e-9 || std::abs(p.Y + 0.5) < 1e-9 ||
               std::abs(p.Y - 499.5) < 1e-9;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double value = 2.0 * double(i);
        QVERIFY(std::abs(plane.At(lines[i].From) - value) < 1e-9 && std::abs(plane.At(lines[i].To) - value) < 1e-9);
        QVERIFY(onEdge(lines[i].From) && onEdge(lines[i].To));
        QVERIFY(std::hypot(lines[i].To.X - lines[i].From.X, lines[i].To.Y - lines[i].From.Y) > 1);
    }
    QVERIFY(PlaneGridLines({0, 0, 3}, amLinear, 1000, 500).empty());
}

QTEST_GUILESS_MAIN(TestViewMapping)
#include "test_viewmapping.moc"

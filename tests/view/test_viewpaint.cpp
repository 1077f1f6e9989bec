#include "view/quillonview.h"

#include "TestFiles.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Black = qRgb(0, 0, 0);
const QRgb SkyBlue = qRgb(0xA6, 0xCA, 0xF0);

// A white picture of the given size in the view.
void WhiteImage(TQuillonView& view, int width, int height)
{
    QVERIFY(view.Image.SetSize(FIT_BITMAP, width, height, 24));
    QVERIFY(view.Image.Invert());
    view.Paint();
}

QImage Render(TQuillonView& view)
{
    QImage out(view.size(), QImage::Format_RGB32);
    out.fill(qRgb(1, 2, 3));
    view.render(&out);
    return out;
}

int CountColour(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

} // namespace

class TestViewPaint : public QObject {
    Q_OBJECT
private slots:
    void init();
    void sizeFollowsImageAndZoom();
    void frameColoursOnEachEdge();
    void noFrameForEmptyOrUpsideDownRectangle();
    void turnedFrameStartsAtOriginCorner();
    void rotateMarkOnlyInRotateModes();
    void solidAndOutlinedCircle();
    void asteriskOfSizeOneIsAPlus();
    void glyphShapes();
    void glyphsAreSymmetricAboutTheirSite();
    void siteLineFollowsListOrder();
    void noImagePaintsBackground();
    void wideViewScrollsAndPaintsAtItsFarEnd();
    void clickStoresThePixelDrawnThere();
    void glyphAndFrameOnThePixelsTheyMark();
    void dragFramesShowOnDarkAndLight();
    void fractionalSiteDrawnWhereItLies();
    void highlightCoversTheMarkedPixels();
    void calibrationGridLiesOnRoundValues_data();
    void calibrationGridLiesOnRoundValues();

private:
    TScopedConfigHome FHome;
};

void TestViewPaint::init()
{
    // Each view starts from the default settings.
    QFile::remove(FHome.SettingsFile());
}

void TestViewPaint::sizeFollowsImageAndZoom()
{
    TQuillonView view;
    WhiteImage(view, 300, 200);
    QCOMPARE(view.size(), QSize(300, 200));
    view.SetZoom(2);
    QCOMPARE(view.size(), QSize(600, 400));
    view.SetZoom(0.25f);
    QCOMPARE(view.size(), QSize(75, 50));
    // A half pixel rounds to even.
    WhiteImage(view, 302, 206);
    QCOMPARE(view.size(), QSize(76, 52));
}

void TestViewPaint::frameColoursOnEachEdge()
{
    TQuillonView view;
    WhiteImage(view, 100, 80);
    view.SetMappingRect({10, 10, 60, 50});
    const QImage out = Render(view);
    QCOMPARE(out.pixel(30, 50), Red);  // bottom: the X axis
    QCOMPARE(out.pixel(10, 30), Blue); // left: the Y axis
    QCOMPARE(out.pixel(10, 50), Blue); // the blue edge starts at the origin corner
    int dotted = 0;
    int gaps = 0;
    for (int x = 11; x < 60; ++x) {
        dotted += out.pixel(x, 10) == SkyBlue;
        gaps += out.pixel(x, 10) == White;
    }
    QVERIFY(dotted > 10);
    QVERIFY(gaps > 10);
    int rightDots = 0;
    for (int y = 11; y < 50; ++y)
        rightDots += out.pixel(60, y) == SkyBlue;
    QVERIFY(rightDots > 10);
    // Inside and outside the frame the picture shows.
    QCOMPARE(out.pixel(30, 30), White);
    QCOMPARE(out.pixel(5, 5), White);
    // The frame scales with the zoom.
    view.SetZoom(2);
    const QImage zoomed = Render(view);
    QCOMPARE(zoomed.pixel(60, 100), Red);
    QCOMPARE(zoomed.pixel(20, 60), Blue);
}

void TestViewPaint::noFrameForEmptyOrUpsideDownRectangle()
{
    TQuillonView view;
    WhiteImage(view, 100, 80);
    view.SetMappingRect({10, 10, 10, 50});
    QCOMPARE(CountColour(Render(view), White), 100 * 80);
    view.SetMappingRect({10, 50, 60, 10});
    QCOMPARE(CountColour(Render(view), White), 100 * 80);
}

void TestViewPaint::turnedFrameStartsAtOriginCorner()
{
    TQuillonView view;
    WhiteImage(view, 300, 250);
    view.SetMappingRect({100, 50, 200, 150});
    view.SetAngle(30);
    const QImage out = Render(view);
    // Bottom edge from (100,150) to (187,200); left edge from (100,150) to
    // (150,63): turned clockwise about the unmoved origin corner.
    QCOMPARE(out.pixel(100, 150), Blue);
    QCOMPARE(out.pixel(187, 200), Red);
    QCOMPARE(out.pixel(150, 63), Blue);
    int red = 0;
    for (int dy = -1; dy <= 1; ++dy)
        red += out.pixel(143, 175 + dy) == Red;
    QCOMPARE(red, 1);
    // Nothing is left of the unturned frame.
    QCOMPARE(out.pixel(150, 150), White);
    QCOMPARE(out.pixel(100, 100), White);
}

void TestViewPaint::rotateMarkOnlyInRotateModes()
{
    TQuillonView view;
    WhiteImage(view, 100, 100);
    view.SetMappingRect({20, 20, 80, 60});
    QCOMPARE(Render(view).pixel(50 - 30, 65), White);
    for (TMouseAction mode : {maRotateH, maRotateV}) {
        view.SetMouseAction(mode);
        const QImage out = Render(view);
        QCOMPARE(out.pixel(20, 65), Black);  // the base under the origin
        QCOMPARE(out.pixel(16, 64), Black);  // a slope
        QCOMPARE(out.pixel(20, 63), White);  // hollow
    }
    view.SetMouseAction(maClick);
    QCOMPARE(Render(view).pixel(20, 65), White);
}

void TestViewPaint::solidAndOutlinedCircle()
{
    TQuillonView view;
    WhiteImage(view, 60, 60);
    view.Settings->PointType = ptCircle;
    view.Settings->PointSize = 5;
    view.Settings->PointFillColour = 0x00FF00;
    view.AddSite(QStringLiteral("1"), 30, 30);
    QImage out = Render(view);
    QCOMPARE(out.pixel(30, 30), White);
    QCOMPARE(out.pixel(35, 30), Blue);
    QCOMPARE(out.pixel(30, 25), Blue);
    view.Settings->PointSolid = true;
    out = Render(view);
    QCOMPARE(out.pixel(30, 30), Green);
    QCOMPARE(out.pixel(35, 30), Blue);
    QCOMPARE(out.pixel(40, 30), White);
    view.Settings->DrawPoints = false;
    QCOMPARE(CountColour(Render(view), White), 60 * 60);
}

void TestViewPaint::asteriskOfSizeOneIsAPlus()
{
    TQuillonView view;
    WhiteImage(view, 20, 20);
    view.Settings->PointType = ptAsterisk;
    view.Settings->PointSize = 1;
    view.AddSite(QStringLiteral("1"), 10, 10);
    QImage out = Render(view);
    for (QPoint p : {QPoint(9, 10), QPoint(11, 10), QPoint(10, 9), QPoint(10, 11), QPoint(10, 10)})
        QCOMPARE(out.pixel(p), Blue);
    QCOMPARE(out.pixel(11, 11), White);
    QCOMPARE(CountColour(out, Blue), 5);
    view.Settings->PointSize = 3;
    out = Render(view);
    QCOMPARE(out.pixel(13, 10), Blue);
    QCOMPARE(out.pixel(12, 12), Blue); // the cross of size 2
    QCOMPARE(out.pixel(13, 13), White);
}

void TestViewPaint::glyphShapes()
{
    TQuillonView view;
    WhiteImage(view, 30, 30);
    view.AddSite(QStringLiteral("1"), 15, 15);
    view.Settings->PointSize = 4;
    const struct {
        TPointType type;
        QPoint on;
        QPoint off;
    } cases[] = {
        {ptPlus, {19, 15}, {18, 18}},          {ptCross, {18, 12}, {15, 12}},
        {ptSquare, {11, 11}, {15, 15}},        {ptDiamond, {13, 13}, {11, 11}},
        {ptTriangle, {15, 11}, {11, 11}},      {ptInvertedTriangle, {15, 19}, {11, 19}},
        {ptDiamondPlus, {15, 15}, {11, 11}},   {ptSquarePlus, {15, 15}, {13, 13}},
        {ptSmallDot, {15, 15}, {16, 15}},      {static_cast<TPointType>(42), {19, 15}, {18, 18}},
    };
    for (const auto& c : cases) {
        view.Settings->PointType = c.type;
        const QImage out = Render(view);
        QVERIFY2(out.pixel(c.on) == Blue, qPrintable(QString::number(c.type)));
        QVERIFY2(out.pixel(c.off) == White, qPrintable(QString::number(c.type)));
    }
    view.Settings->PointType = ptSmallDot;
    QCOMPARE(CountColour(Render(view), Blue), 1);
}

void TestViewPaint::glyphsAreSymmetricAboutTheirSite()
{
    TQuillonView view;
    WhiteImage(view, 41, 41);
    view.Settings->PointFillColour = 0x00FF00;
    view.AddSite(QStringLiteral("1"), 20, 20);
    for (int type = ptPlus; type <= ptSmallDot; ++type) {
        const bool upDown = type != ptTriangle && type != ptInvertedTriangle;
        for (int size = 1; size <= 8; ++size) {
            for (bool solid : {false, true}) {
                view.Settings->PointType = static_cast<TPointType>(type);
                view.Settings->PointSize = size;
                view.Settings->PointSolid = solid;
                const QImage out = Render(view);
                const QString what = QStringLiteral("type %1 size %2 solid %3").arg(type).arg(size).arg(solid);
                QVERIFY2(out.pixel(20 - size - 1, 20) == White && out.pixel(20 + size + 1, 20) == White,
                         qPrintable(what));
                for (int dy = -size; dy <= size; ++dy) {
                    for (int dx = 1; dx <= size; ++dx) {
                        const QPoint p(20 + dx, 20 + dy);
                        QVERIFY2(out.pixel(p) == out.pixel(20 - dx, 20 + dy),
                                 qPrintable(what + QStringLiteral(" left-right at %1,%2").arg(dx).arg(dy)));
                        if (upDown)
                            QVERIFY2(out.pixel(20 + dy, 20 + dx) == out.pixel(20 + dy, 20 - dx),
                                     qPrintable(what + QStringLiteral(" up-down at %1,%2").arg(dy).arg(dx)));
                    }
                }
            }
        }
    }
}

void TestViewPaint::siteLineFollowsListOrder()
{
    TQuillonView view;
    WhiteImage(view, 100, 100);
    view.Settings->DrawPoints = false;
    view.Settings->DrawLine = true;
    view.Settings->LineColour = 0x0000FF;
    view.AddSite(QStringLiteral("1"), 10, 10);
    QCOMPARE(CountColour(Render(view), Red), 0);
    view.AddSite(QStringLiteral("2"), 90, 10);
    view.AddSite(QStringLiteral("3"), 90, 90);
    const QImage out = Render(view);
    QCOMPARE(out.pixel(50, 10), Red);
    QCOMPARE(out.pixel(90, 50), Red);
    QCOMPARE(out.pixel(90, 90), Red); // the end pixel of the last segment
    QCOMPARE(out.pixel(50, 50), White); // 1 and 3 are not joined
    QCOMPARE(CountColour(out, Red), 81 + 80);
}

void TestViewPaint::noImagePaintsBackground()
{
    TQuillonView view;
    view.resize(40, 30);
    view.SetMappingRect({5, 5, 30, 20});
    const QImage out = Render(view);
    QCOMPARE(view.size(), QSize(40, 30));
    QCOMPARE(out.pixel(0, 0), view.palette().window().color().rgb());
    QCOMPARE(out.pixel(15, 20), Red);
}

void TestViewPaint::wideViewScrollsAndPaintsAtItsFarEnd()
{
    // Zoom 5 on an 8000-pixel-wide picture: a view 40000 pixels wide, past
    // the 16-bit coordinates of X11 windows.
    QScrollArea area;
    auto* view = new TQuillonView;
    area.setWidget(view);
    QVERIFY(view->Image.SetSize(FIT_BITMAP, 8000, 60, 24));
    for (int y = 0; y < 60; ++y) {
        BYTE* line = FreeImage_GetScanLine(view->Image.GetDib(), y);
        std::memset(line + 3 * 4000, 0xFF, 3 * 4000); // right half white
    }
    view->SetMappingRect({10, 10, 7990, 50});
    view->SetZoom(5);
    QCOMPARE(view->size(), QSize(40000, 300));
    area.resize(400, 340);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    area.horizontalScrollBar()->setValue(area.horizontalScrollBar()->maximum());
    QCoreApplication::processEvents();
    const QImage far = area.viewport()->grab().toImage();
    const QPoint origin = view->mapTo(area.viewport(), QPoint(0, 0));
    QVERIFY(origin.x() < -39000);
    // The right edge of the frame at client x 39950, the bottom edge at y 250.
    int dots = 0;
    for (int y = 60; y < 240; ++y)
        dots += far.pixel(39950 + origin.x(), y + origin.y()) == SkyBlue;
    QVERIFY(dots > 40);
    QCOMPARE(far.pixel(39900 + origin.x(), 250 + origin.y()), Red);
    QCOMPARE(far.pixel(39700 + origin.x(), 20 + origin.y()), White);
    area.horizontalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    const QImage near = area.viewport()->grab().toImage();
    QCOMPARE(near.pixel(100, 20), Black);
    QCOMPARE(near.pixel(50, 100), Blue);
}

namespace {

QRgb PixelColour(int x, int y)
{
    return qRgb(10 + 17 * x, 10 + 23 * y, 200);
}

// A picture whose every pixel has a colour of its own.
void ColouredImage(TQuillonView& view, int width, int height)
{
    QVERIFY(view.Image.SetSize(FIT_BITMAP, width, height, 24));
    FIBITMAP* dib = view.Image.GetDib();
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, height - 1 - y);
        for (int x = 0; x < width; ++x) {
            line[3 * x + FI_RGBA_RED] = qRed(PixelColour(x, y));
            line[3 * x + FI_RGBA_GREEN] = qGreen(PixelColour(x, y));
            line[3 * x + FI_RGBA_BLUE] = qBlue(PixelColour(x, y));
        }
    }
    view.Paint();
}

const float Zooms[] = {0.25f, 0.5f, 0.6137f, 0.75f, 1.0f, 1.37f, 2.0f, 2.5f, 3.0f, 4.0f, 5.0f};

} // namespace

void TestViewPaint::clickStoresThePixelDrawnThere()
{
    TQuillonView view;
    ColouredImage(view, 13, 9);
    const QRgb background = view.palette().window().color().rgb();
    for (float zoom : Zooms) {
        view.SetZoom(zoom);
        const QImage out = Render(view);
        for (int y = 0; y < out.height(); ++y) {
            for (int x = 0; x < out.width(); ++x) {
                const TPoint p = view.ClientToImage({x, y});
                const bool inside = p.X >= 0 && p.X < 13 && p.Y >= 0 && p.Y < 9;
                QVERIFY2(out.pixel(x, y) == (inside ? PixelColour(p.X, p.Y) : background),
                         qPrintable(QStringLiteral("zoom %1 at %2,%3").arg(zoom).arg(x).arg(y)));
            }
        }
    }
}

void TestViewPaint::glyphAndFrameOnThePixelsTheyMark()
{
    TQuillonView view;
    WhiteImage(view, 30, 20);
    view.Settings->PointType = ptSmallDot;
    view.SetMappingRect({3, 2, 21, 15});
    view.AddSite(QStringLiteral("1"), 7, 11);
    // At every zoom of at least 1 an image pixel has client pixels of its
    // own; the marks must lie on them.
    for (float zoom : Zooms) {
        if (zoom < 1)
            continue;
        view.SetZoom(zoom);
        const QImage out = Render(view);
        const QString at = QStringLiteral("zoom %1").arg(zoom);
        int dots = 0;
        int red = 0;
        int blue = 0;
        for (int y = 0; y < out.height(); ++y) {
            for (int x = 0; x < out.width(); ++x) {
                const TPoint p = view.ClientToImage({x, y});
                const QRgb c = out.pixel(x, y);
                // The dot and the red bottom edge meet nothing else here.
                if (c == Blue && p.X != 3) {
                    ++dots;
                    QVERIFY2(p == (TPoint{7, 11}), qPrintable(at));
                }
                if (c == Red) {
                    ++red;
                    QVERIFY2(p.Y == 15, qPrintable(at));
                }
                if (c == Blue && p.X == 3) {
                    ++blue;
                    QVERIFY2(p.Y >= 2 && p.Y <= 15, qPrintable(at));
                }
            }
        }
        QCOMPARE(dots, 1);
        QVERIFY2(red >= int(18 * zoom) - 2, qPrintable(at));
        QVERIFY2(blue >= int(13 * zoom) - 2, qPrintable(at));
    }
}

void TestViewPaint::dragFramesShowOnDarkAndLight()
{
    for (bool dark : {true, false}) {
        TQuillonView view;
        QVERIFY(view.Image.SetSize(FIT_BITMAP, 80, 60, 24));
        if (!dark)
            QVERIFY(view.Image.Invert());
        view.SetZoom(1.5f);
        const QRgb background = dark ? Black : White;
        const QString what = dark ? QStringLiteral("dark") : QStringLiteral("light");
        // Both tones along a line: half of it at least stands out.
        auto visible = [&](const QImage& out, QPoint from, QPoint step, int count) {
            int differ = 0;
            for (int i = 0; i < count; ++i) {
                const QRgb c = out.pixel(from + i * step);
                QVERIFY2(c == Black || c == White, qPrintable(what));
                differ += c != background;
            }
            QVERIFY2(differ * 3 >= count, qPrintable(what + QStringLiteral(" %1 of %2").arg(differ).arg(count)));
        };
        // A rubber band in the middle of its drag.
        view.MouseDown(Qt::LeftButton, 15, 12);
        view.MouseMove(90, 70);
        QImage out = Render(view);
        visible(out, {16, 12}, {1, 0}, 73);
        visible(out, {90, 13}, {0, 1}, 56);
        view.MouseUp(90, 70);
        QCOMPARE(view.MappingRect, (TRect{10, 8, 60, 47}));
        // An edge dragged outwards: its frame lies where no frame is drawn.
        view.MouseMove(15, 40); // over the left edge, no button
        view.MouseDown(Qt::LeftButton, 15, 40);
        view.MouseMove(3, 40);
        out = Render(view);
        visible(out, {3, 13}, {0, 1}, 56);
        view.MouseUp(3, 40);
        QCOMPARE(view.MappingRect.Left, 2);
    }
}

void TestViewPaint::fractionalSiteDrawnWhereItLies()
{
    TQuillonView view;
    WhiteImage(view, 30, 20);
    view.Settings->PointType = ptSmallDot;
    view.AddSites({{7.25, 11.75}});
    for (float zoom : Zooms) {
        view.SetZoom(zoom);
        const QImage out = Render(view);
        const QString at = QStringLiteral("zoom %1").arg(zoom);
        const QPoint p(RoundEven(7.25 * zoom), RoundEven(11.75 * zoom));
        QVERIFY2(out.pixel(p) == Blue, qPrintable(at));
        QVERIFY2(CountColour(out, Blue) == 1, qPrintable(at));
    }
}

void TestViewPaint::highlightCoversTheMarkedPixels()
{
    TQuillonView view;
    WhiteImage(view, 13, 9);
    QImage mask(13, 9, QImage::Format_MonoLSB);
    mask.setColorTable({qRgba(0, 0, 0, 0), qRgb(255, 255, 255)});
    mask.fill(0);
    const QList<QPoint> marked{{0, 0}, {2, 3}, {12, 8}, {5, 5}, {6, 5}};
    for (const QPoint& p : marked)
        mask.setPixel(p, 1);
    view.SetZoom(Zooms[std::size(Zooms) - 1]);
    const QImage plain = Render(view);
    view.SetHighlight(mask, QColor(255, 0, 255));
    for (float zoom : Zooms) {
        view.SetZoom(zoom);
        const QImage out = Render(view);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                const TPoint p = view.ClientToImage({x, y});
                const bool on = marked.contains(QPoint(p.X, p.Y));
                QVERIFY2((out.pixel(x, y) == qRgb(255, 0, 255)) == on,
                         qPrintable(QStringLiteral("zoom %1 at %2,%3").arg(zoom).arg(x).arg(y)));
            }
    }
    // A mask of another picture shows nothing.
    view.SetHighlight(QImage(12, 9, QImage::Format_MonoLSB), QColor(255, 0, 255));
    QCOMPARE(CountColour(Render(view), qRgb(255, 0, 255)), 0);
    view.SetHighlight({}, {});
    QCOMPARE(Render(view), plain);
}

void TestViewPaint::calibrationGridLiesOnRoundValues_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<QLineF>("none");
    // The line of X = 2 across a frame from X 0 to 4, and where a line
    // would be if the grid did not follow the turn (X = 0.5, never round).
    QTest::newRow("level") << 0.0 << QLineF(150, 148, 150, 52) << QLineF(112, 148, 112, 52);
    QTest::newRow("turned 30") << 30.0 << QLineF(143.5, 175, 193.5, 88) << QLineF(150, 148, 150, 120);
}

// View > Calibration Grid: lines at the round values of each axis, turned
// with the area, drawn only once the mapping is whole.
void TestViewPaint::calibrationGridLiesOnRoundValues()
{
    QFETCH(double, angle);
    QFETCH(QLineF, line);
    QFETCH(QLineF, none);
    TQuillonView view;
    WhiteImage(view, 300, 250);
    view.SetMappingRect({100, 50, 200, 150});
    view.SetAngle(angle);
    view.SetCalibrationGrid(true);
    const QRgb magenta = qRgb(220, 0, 220);
    const auto marked = [&](const QImage& out, const QLineF& l) {
        int near = 0;
        for (int i = 0; i <= 20; ++i) {
            const QPoint p = l.pointAt(i / 20.0).toPoint();
            bool found = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    found = found || out.pixel(p.x() + dx, p.y() + dy) == magenta;
            near += found ? 1 : 0;
        }
        return near;
    };
    view.SetAxisValues(0, 0, 0, 0);
    QCOMPARE(marked(Render(view), line), 0); // no axis values yet
    view.SetAxisValues(0, 2, 4, 0);
    const QImage out = Render(view);
    // Dashed, and crossed by the other lines.
    QVERIFY2(marked(out, line) >= 14, qPrintable(QString::number(marked(out, line))));
    QVERIFY2(marked(out, none) <= 6, qPrintable(QString::number(marked(out, none))));
}

QTEST_MAIN(TestViewPaint)
#include "test_viewpaint.moc"

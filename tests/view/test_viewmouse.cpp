#include "view/grabcursor.h"
#include "view/quillonview.h"

#include "TestFiles.h"

#include <QLineEdit>
#include <QtTest>

namespace {

// A shown, focused view on a blank picture, client pixels equal to widget pixels.
class TShownView {
public:
    TShownView(int width, int height, float zoom = 1)
    {
        View.Image.SetSize(FIT_BITMAP, width, height, 24);
        View.SetZoom(zoom);
        View.show();
        View.activateWindow();
        Exposed = QTest::qWaitForWindowExposed(&View);
    }
    TQuillonView View;
    bool Exposed = false;
};

void Hover(TQuillonView& view, QPoint p)
{
    QTest::mouseMove(&view, p);
}

void Drag(TQuillonView& view, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseMove(&view, from);
    QTest::mousePress(&view, button, {}, from);
    QTest::mouseMove(&view, to);
    QTest::mouseRelease(&view, button, {}, to);
}

void Enter(TQuillonView& view, QPoint at)
{
    QCursor::setPos(view.mapToGlobal(at));
    QCoreApplication::processEvents(); // the move that the new pointer position causes
    QEnterEvent enter(at, at, view.mapToGlobal(at));
    QCoreApplication::sendEvent(&view, &enter);
}

void Leave(TQuillonView& view)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&view, &leave);
}

} // namespace

class TestViewMouse : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(FHome.SettingsFile()); }
    void buttonFromShift();
    void rubberBandAtZoomTwo();
    void rubberBandClampedToImage();
    void pressAndReleaseInPlaceResetsAngle();
    void topEdgeStopsAtBottomEdge();
    void edgeDragMovesOneEdge();
    void edgeDragInTurnedFrame();
    void cornerDragSquaresOppositeCorner();
    void resizeCursorWithinStrictBand();
    void grabCursorTable_data();
    void grabCursorTable();
    void rotateByIncrementPerMove();
    void clickToggleWithEitherButton();
    void moveUpdatesMouseDataByMode();
    void cursorPerMode();
    void enterTakesFocus();
    void insertTogglesAtPointerOnlyInside();
    void arrowKeysStopAtFrameEdges();
    void aTurnRemapsOnceWhenTheDragEnds();
    void dragMovesAPointAndKeepsItsName();
    void dragKeepsAPointsFraction();
    void lostReleaseEndsTheGesture();

private:
    TScopedConfigHome FHome;
};

void TestViewMouse::buttonFromShift()
{
    QCOMPARE(TQuillonView::ButtonFromShift(Qt::LeftButton | Qt::RightButton), pbRight);
    QCOMPARE(TQuillonView::ButtonFromShift(Qt::LeftButton), pbLeft);
    QCOMPARE(TQuillonView::ButtonFromShift(Qt::MiddleButton), pbNone);
}

void TestViewMouse::rubberBandAtZoomTwo()
{
    TShownView shown(400, 300, 2);
    QVERIFY(shown.Exposed);
    TQuillonView& view = shown.View;
    QStringList events;
    view.OnBeforeMap = [&](QObject*) { events << "before"; };
    view.OnAfterMap = [&](QObject*) { events << "after"; };
    Drag(view, {40, 60}, {240, 160});
    QCOMPARE(view.MappingRect, (TRect{20, 30, 120, 80}));
    QCOMPARE(events, (QStringList{"before", "after"}));
    QCOMPARE(view.PressedButton, pbNone);
    // Dragged up and left the band still normalises.
    Drag(view, {240, 160}, {40, 60});
    QCOMPARE(view.MappingRect, (TRect{20, 30, 120, 80}));
}

void TestViewMouse::rubberBandClampedToImage()
{
    TShownView shown(400, 300, 2);
    TQuillonView& view = shown.View;
    view.MouseDown(Qt::LeftButton, 100, 100);
    view.MouseMove(950, 700);
    QCOMPARE(view.MovePoint, (TPoint{950, 700}));
    view.MouseUp(950, 700);
    QCOMPARE(view.MappingRect, (TRect{50, 50, 399, 299}));
}

void TestViewMouse::pressAndReleaseInPlaceResetsAngle()
{
    TShownView shown(200, 200);
    TQuillonView& view = shown.View;
    view.SetMappingRect({10, 10, 150, 150});
    view.SetAngle(25);
    view.AddSite(QStringLiteral("a"), 50, 50);
    view.AddSite(QStringLiteral("b"), 60, 60);
    QStringList events;
    view.OnBeforeMap = [&](QObject*) { events << "before " + QString::number(view.Angle); };
    view.OnAfterMap = [&](QObject*) { events << "after"; };
    view.OnModSite = [&](QObject*, const QString& name, const TPointF&, bool, double, double) { events << name; };
    Hover(view, {80, 80});
    QTest::mouseClick(&view, Qt::LeftButton, {}, {80, 80});
    QCOMPARE(view.Angle, 0.0);
    QCOMPARE(view.MappingRect, (TRect{10, 10, 150, 150}));
    // OnBeforeMap comes before the angle is reset.
    QCOMPARE(events, (QStringList{"before 25", "after", "a", "b"}));
}

void TestViewMouse::topEdgeStopsAtBottomEdge()
{
    TShownView shown(200, 200);
    TQuillonView& view = shown.View;
    view.SetMappingRect({20, 30, 120, 80});
    Hover(view, {70, 30});
    QVERIFY(view.GrabEdges.Contains(meTop));
    QTest::mousePress(&view, Qt::LeftButton, {}, {70, 30});
    QTest::mouseMove(&view, {70, 190});
    QCOMPARE(view.DragCorners.TL.Y, 80);
    QCOMPARE(view.DragCorners.TR.Y, 80);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {70, 190});
    // A frame of no height is not applied.
    QCOMPARE(view.MappingRect, (TRect{20, 30, 120, 80}));
    Hover(view, {70, 31});
    QTest::mousePress(&view, Qt::LeftButton, {}, {70, 31});
    QTest::mouseMove(&view, {70, 50});
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {70, 50});
    QCOMPARE(view.MappingRect, (TRect{20, 50, 120, 80}));
}

void TestViewMouse::edgeDragMovesOneEdge()
{
    TShownView shown(300, 300, 2);
    TQuillonView& view = shown.View;
    view.SetMappingRect({50, 50, 100, 100});
    Hover(view, {200, 150}); // the right edge at zoom 2
    QCOMPARE(GrabKind(view.GrabEdges), 4);
    QTest::mousePress(&view, Qt::LeftButton, {}, {200, 150});
    QCOMPARE(view.Angle, 0.0);
    QTest::mouseMove(&view, {260, 400});
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {260, 400});
    QCOMPARE(view.MappingRect, (TRect{50, 50, 130, 100}));
}

void TestViewMouse::edgeDragInTurnedFrame()
{
    TShownView shown(400, 400);
    TQuillonView& view = shown.View;
    view.SetMappingRect({100, 100, 200, 200});
    view.SetAngle(90);
    // With a quarter turn the frame's right edge lies below the origin corner.
    Hover(view, {150, 300});
    QVERIFY(view.GrabEdges.Contains(meRight));
    QTest::mousePress(&view, Qt::LeftButton, {}, {150, 300});
    QCOMPARE(view.Angle, 90.0); // an edge press keeps the angle
    QTest::mouseMove(&view, {150, 330});
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {150, 330});
    QCOMPARE(view.MappingRect, (TRect{100, 100, 230, 200}));
    QCOMPARE(view.Angle, 90.0);
}

void TestViewMouse::cornerDragSquaresOppositeCorner()
{
    TShownView shown(300, 300);
    TQuillonView& view = shown.View;
    view.SetMappingRect({50, 50, 150, 150});
    Hover(view, {51, 49}); // top-left corner
    QCOMPARE(GrabKind(view.GrabEdges), 1);
    QTest::mousePress(&view, Qt::LeftButton, {}, {51, 49});
    QTest::mouseMove(&view, {20, 30});
    QCOMPARE(view.DragCorners.BL, (TPoint{20, 150}));
    QCOMPARE(view.DragCorners.TL, (TPoint{20, 30}));
    QCOMPARE(view.DragCorners.TR, (TPoint{150, 30}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {20, 30});
    QCOMPARE(view.MappingRect, (TRect{20, 30, 150, 150}));
}

void TestViewMouse::resizeCursorWithinStrictBand()
{
    TShownView shown(300, 300);
    TQuillonView& view = shown.View;
    view.SetMappingRect({100, 100, 200, 200});
    Hover(view, {104, 150});
    QCOMPARE(view.cursor().shape(), Qt::SizeHorCursor);
    Hover(view, {105, 150});
    QCOMPARE(view.cursor().shape(), Qt::ArrowCursor);
    Hover(view, {96, 150});
    QCOMPARE(view.cursor().shape(), Qt::SizeHorCursor);
    Hover(view, {95, 150});
    QCOMPARE(view.cursor().shape(), Qt::ArrowCursor);
    // A quarter turn: the same grab, 4 pixels inside the left edge of the
    // turned frame, shows the vertical cursor.
    view.SetAngle(90);
    Hover(view, {150, 204});
    QVERIFY(view.GrabEdges.Contains(meLeft));
    QCOMPARE(view.cursor().shape(), Qt::SizeVerCursor);
    Hover(view, {150, 205});
    QCOMPARE(view.cursor().shape(), Qt::ArrowCursor);
    // A narrow frame grabs both opposite edges.
    view.SetAngle(0);
    view.SetMappingRect({100, 100, 106, 200});
    Hover(view, {103, 150});
    QVERIFY(view.GrabEdges.Contains(meLeft) && view.GrabEdges.Contains(meRight));
}

void TestViewMouse::grabCursorTable_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("kind1");
    QTest::addColumn<int>("kind3");
    QTest::newRow("negative") << -90.0 << int(Qt::SizeFDiagCursor) << int(Qt::SizeVerCursor);
    QTest::newRow("22.24") << 22.24 << int(Qt::SizeFDiagCursor) << int(Qt::SizeVerCursor);
    QTest::newRow("22.25") << 22.25 << int(Qt::SizeHorCursor) << int(Qt::SizeFDiagCursor);
    QTest::newRow("66.75") << 66.75 << int(Qt::SizeBDiagCursor) << int(Qt::SizeHorCursor);
    QTest::newRow("111.25") << 111.25 << int(Qt::SizeVerCursor) << int(Qt::SizeBDiagCursor);
    QTest::newRow("155.75") << 155.75 << int(Qt::SizeFDiagCursor) << int(Qt::SizeVerCursor);
    QTest::newRow("200.25") << 200.25 << int(Qt::SizeHorCursor) << int(Qt::SizeFDiagCursor);
    QTest::newRow("289.24") << 289.24 << int(Qt::SizeBDiagCursor) << int(Qt::SizeHorCursor);
    QTest::newRow("333.75") << 333.75 << int(Qt::SizeFDiagCursor) << int(Qt::SizeVerCursor);
    QTest::newRow("720") << 720.0 << int(Qt::SizeFDiagCursor) << int(Qt::SizeVerCursor);
}

void TestViewMouse::grabCursorTable()
{
    QFETCH(double, angle);
    QFETCH(int, kind1);
    QFETCH(int, kind3);
    QCOMPARE(int(GrabCursor(1, angle)), kind1);
    QCOMPARE(int(GrabCursor(3, angle)), kind3);
    QCOMPARE(GrabCursor(0, angle), Qt::ArrowCursor);
    TMappingEdges corner;
    corner.Include(meLeft);
    corner.Include(meBottom);
    QCOMPARE(GrabKind(corner), 2);
}

void TestViewMouse::rotateByIncrementPerMove()
{
    TShownView shown(300, 300);
    TQuillonView& view = shown.View;
    view.SetMappingRect({50, 50, 150, 150});
    view.SetMouseAction(maRotateH);
    int moves = 0;
    view.OnMouseMove = [&](QObject*) { ++moves; };
    QTest::mousePress(&view, Qt::LeftButton, {}, {100, 100});
    for (int x : {101, 102, 103})
        QTest::mouseMove(&view, {x, 100});
    QCOMPARE(view.Angle, 3.0);
    QTest::mouseMove(&view, {103, 110});
    QCOMPARE(view.Angle, 2.0);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {103, 110});
    QCOMPARE(moves, 4);
    view.Settings->AngleIncrement = 0.5;
    QTest::mousePress(&view, Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(&view, {120, 100});
    QCOMPARE(view.Angle, 2.5);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {120, 100});
    // maRotateV only shows the cursor: no turn, no event.
    view.SetMouseAction(maRotateV);
    QTest::mousePress(&view, Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(&view, {140, 100});
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {140, 100});
    QCOMPARE(view.Angle, 2.5);
    QCOMPARE(moves, 5);
}

void TestViewMouse::clickToggleWithEitherButton()
{
    TShownView shown(200, 200, 2);
    TQuillonView& view = shown.View;
    view.SetMouseAction(maClick);
    QTest::mouseClick(&view, Qt::RightButton, {}, {41, 61});
    QCOMPARE(view.SiteCount(), 1);
    // Client (41, 61) at zoom 2 is image (21, 31): halves round up, as
    // the picture is drawn.
    QCOMPARE(view.GetSite(0)->X, 21);
    QCOMPARE(view.GetSite(0)->Y, 31);
    QTest::mouseClick(&view, Qt::LeftButton, {}, {44, 64});
    QCOMPARE(view.SiteCount(), 0);
    // A middle click does nothing.
    QTest::mouseClick(&view, Qt::MiddleButton, {}, {44, 64});
    QCOMPARE(view.SiteCount(), 0);
    // Nor does a click in View mode.
    view.SetMouseAction(maNone);
    QTest::mouseClick(&view, Qt::LeftButton, {}, {44, 64});
    QCOMPARE(view.SiteCount(), 0);
}

void TestViewMouse::moveUpdatesMouseDataByMode()
{
    TShownView shown(200, 200);
    TQuillonView& view = shown.View;
    view.SetMappingRect({0, 0, 100, 100});
    int moves = 0;
    view.OnMouseMove = [&](QObject*) { ++moves; };
    int x = 25;
    for (TMouseAction mode : {maRubberBand, maClick, maRotateH}) {
        view.SetMouseAction(mode);
        view.MouseData = {};
        Hover(view, {++x, 75});
        QCOMPARE(view.MouseData.X, double(x));
        QCOMPARE(view.MouseData.Y, 25.0);
    }
    QCOMPARE(moves, 3);
    for (TMouseAction mode : {maNone, maRotateV}) {
        view.SetMouseAction(mode);
        view.MouseData = {};
        Hover(view, {50, 50});
        QCOMPARE(view.MouseData.X, 0.0);
    }
    QCOMPARE(moves, 3);
}

void TestViewMouse::cursorPerMode()
{
    TShownView shown(100, 100);
    TQuillonView& view = shown.View;
    view.SetMouseAction(maClick);
    const QCursor target = view.cursor();
    QCOMPARE(target.shape(), Qt::BitmapCursor);
    QCOMPARE(target.hotSpot(), QPoint(16, 15));
    QCOMPARE(target.bitmap().size(), QSize(32, 32));
    // The hot spot is the empty centre of the diamond; the arm above ends
    // at the diamond's tip.
    const QImage shape = target.bitmap().toImage();
    QCOMPARE(shape.pixelIndex(16, 15), 0);
    QCOMPARE(shape.pixelIndex(16, 13), 1);
    QCOMPARE(shape.pixelIndex(16, 8), 1);
    QCOMPARE(shape.pixelIndex(16, 7), 0);
    view.SetMouseAction(maRotateH);
    QCOMPARE(view.cursor().shape(), Qt::SizeHorCursor);
    view.SetMouseAction(maRotateV);
    QCOMPARE(view.cursor().shape(), Qt::SizeVerCursor);
    view.SetMouseAction(maNone);
    QCOMPARE(view.cursor().shape(), Qt::ArrowCursor);
}

void TestViewMouse::enterTakesFocus()
{
    QWidget window;
    QLineEdit* other = new QLineEdit(&window);
    auto* view = new TQuillonView(&window);
    view->setGeometry(0, 30, 100, 100);
    window.resize(200, 200);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QVERIFY(other->hasFocus());
    Enter(*view, {10, 10});
    QVERIFY(view->MouseInside);
    QVERIFY(view->hasFocus());
    Leave(*view);
    QVERIFY(!view->MouseInside);
}

void TestViewMouse::insertTogglesAtPointerOnlyInside()
{
    TShownView shown(200, 200);
    TQuillonView& view = shown.View;
    view.SetMouseAction(maClick);
    Enter(view, {30, 40});
    QTest::keyClick(&view, Qt::Key_Insert);
    QCOMPARE(view.SiteCount(), 1);
    QCOMPARE(view.GetSite(0)->X, 30);
    QCOMPARE(view.GetSite(0)->Y, 40);
    Leave(view);
    QTest::keyClick(&view, Qt::Key_Insert);
    QCOMPARE(view.SiteCount(), 1);
    // Only Digitise mode clicks.
    view.SetMouseAction(maRubberBand);
    Enter(view, {80, 80});
    QTest::keyClick(&view, Qt::Key_Insert);
    QCOMPARE(view.SiteCount(), 1);
}

void TestViewMouse::arrowKeysStopAtFrameEdges()
{
    TShownView shown(300, 300);
    TQuillonView& view = shown.View;
    view.SetMappingRect({100, 100, 200, 200});
    int moves = 0;
    view.OnMouseMove = [&](QObject*) { ++moves; };
    Enter(view, {100, 150});
    moves = 0;
    const QPoint start = QCursor::pos();
    QTest::keyClick(&view, Qt::Key_Left);
    QCOMPARE(QCursor::pos(), start);
    QCOMPARE(moves, 0);
    QTest::keyClick(&view, Qt::Key_Right);
    QCOMPARE(QCursor::pos(), start + QPoint(1, 0));
    QVERIFY(moves >= 1);
    // The nudge goes through the move handling: data under the new point.
    QCOMPARE(view.MouseData.X, 1.0);
    // Outside the frame the arrows do nothing.
    Enter(view, {50, 50});
    const QPoint outside = QCursor::pos();
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(QCursor::pos(), outside);
}

void TestViewMouse::aTurnRemapsOnceWhenTheDragEnds()
{
    TShownView shown(300, 300);
    TQuillonView& view = shown.View;
    view.SetMappingRect({50, 50, 150, 150});
    view.SetAxisValues(0, 100, 100, 0);
    view.AddSite(QStringLiteral("1"), 100, 100);
    view.SetMouseAction(maRotateH);
    QStringList events;
    view.OnAfterMap = [&](QObject*) { events << QStringLiteral("aftermap"); };
    view.OnModSite = [&](QObject*, const QString& name, const TPointF&, bool, double x, double y) {
        TDataPoint d;
        view.PixelToData(TPoint{100, 100}, d);
        // The values under the angle in force at the end, not before it.
        QVERIFY(x == d.X && y == d.Y);
        events << QStringLiteral("mod ") + name;
    };
    QTest::mousePress(&view, Qt::LeftButton, {}, {100, 100});
    for (int x : {101, 102, 103, 104})
        QTest::mouseMove(&view, {x, 100});
    QVERIFY(events.isEmpty()); // no remap per move
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {104, 100});
    QVERIFY(view.Angle == 4.0);
    QCOMPARE(events, (QStringList{"aftermap", "mod 1"}));
    // A click that turns nothing remaps nothing.
    events.clear();
    QTest::mouseClick(&view, Qt::LeftButton, {}, {120, 120});
    QVERIFY(events.isEmpty());
}

void TestViewMouse::dragMovesAPointAndKeepsItsName()
{
    TShownView shown(200, 150, 0.5f);
    QVERIFY(shown.Exposed);
    TQuillonView& v = shown.View;
    v.SetMouseAction(maClick);
    v.AddSite(QStringLiteral("7"), 40, 40);
    v.AddSite(QStringLiteral("8"), 100, 100);
    int ends = 0;
    v.OnGestureEnd = [&](QObject*) { ++ends; };
    // At 50%, pressed one screen pixel off the point, moved 20 screen pixels.
    Drag(v, {21, 20}, {41, 30});
    QCOMPARE(v.SiteCount(), 2);
    QCOMPARE(v.GetSite(0)->Name, QStringLiteral("7"));
    QCOMPARE(v.GetSite(0)->X, 80);
    QCOMPARE(v.GetSite(0)->Y, 60);
    QCOMPARE(ends, 1);
    // Dragged beyond the picture, it stays on its last pixel.
    Drag(v, {40, 30}, {190, 160});
    QCOMPARE(v.GetSite(0)->X, 199);
    QCOMPARE(v.GetSite(0)->Y, 149);
    // A press on no point and a drag: the release adds one, as ever.
    Drag(v, {10, 70}, {12, 72});
    QCOMPARE(v.SiteCount(), 3);
}

void TestViewMouse::dragKeepsAPointsFraction()
{
    TShownView shown(200, 150);
    QVERIFY(shown.Exposed);
    TQuillonView& v = shown.View;
    v.SetMouseAction(maClick);
    v.AddSites({{40.5, 40.25}});
    Drag(v, {40, 40}, {50, 45});
    QCOMPARE(v.GetSite(0)->Point(), (TPointF{50.5, 45.25}));
    // With sub-pixel clicks at 400 %, one screen pixel is a quarter pixel.
    v.Settings->SubPixelClicks = true;
    v.SetZoom(4.0f);
    Drag(v, {202, 181}, {203, 181});
    QCOMPARE(v.GetSite(0)->Point(), (TPointF{50.75, 45.25}));
}

void TestViewMouse::lostReleaseEndsTheGesture()
{
    TShownView shown(200, 150);
    QVERIFY(shown.Exposed);
    TQuillonView& v = shown.View;
    v.SetMouseAction(maClick);
    v.AddSite(QStringLiteral("1"), 50, 50);
    QTest::mousePress(&v, Qt::LeftButton, {}, {50, 50});
    // The next move comes with no button down: the release was lost.
    QMouseEvent move(QEvent::MouseMove, QPointF(90, 90), v.mapToGlobal(QPointF(90, 90)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&v, &move);
    QCOMPARE(v.PressedButton, pbNone);
    QCOMPARE(v.SiteCount(), 1);
    QCOMPARE(v.GetSite(0)->X, 50);
    QCoreApplication::sendEvent(&v, &move);
    QCOMPARE(v.GetSite(0)->X, 50);
}

QTEST_MAIN(TestViewMouse)
#include "test_viewmouse.moc"

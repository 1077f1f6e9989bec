#include "main/formMain.h"
#include "WindowDriver.h"

#include "TestFiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QTableView>
#include <QtTest>

namespace {

const QRgb Green = qRgb(0, 255, 0);
const QRgb White = qRgb(255, 255, 255);
const QRgb Grey = qRgb(128, 128, 128);

} // namespace

// Runs on the offscreen platform, where the preview reads the view's own
// rendering instead of the screen.
class TestZoomPreview : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { FForm.reset(); }
    void magnifiesAroundThePointer();
    void crossHairLeavesOutItsEnds();
    void whiteWithoutFocusOrOutsideTheView();
    void tickDoesNothingUntilPointerOrViewChanges();
    void commandShowsAndHides();

private:
    QImage Tick();
    TScopedConfigHome FHome;
    std::unique_ptr<Tmainform> FForm;
};

void TestZoomPreview::init()
{
    StoreStartupTip(false);
    FForm = std::make_unique<Tmainform>();
    FForm->show();
    FForm->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
    Drive(*FForm).TimerZoom().stop(); // ticks are run by hand
    TQuillonView& v = *Drive(*FForm).QuillonView();
    // A white picture with one green pixel at (50, 50).
    QVERIFY(v.Image.SetSize(FIT_BITMAP, 200, 200, 24));
    QVERIFY(v.Image.Invert());
    BYTE* pixel = FreeImage_GetScanLine(v.Image.GetDib(), 200 - 1 - 50) + 3 * 50;
    pixel[FI_RGBA_RED] = 0;
    pixel[FI_RGBA_BLUE] = 0;
    v.Paint();
    v.setFocus();
    QCursor::setPos(v.mapToGlobal(QPoint(50, 50)));
    QCoreApplication::processEvents();
}

QImage TestZoomPreview::Tick()
{
    Drive(*FForm).TimerZoomTimer();
    return Drive(*FForm).pbZoom()->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

void TestZoomPreview::magnifiesAroundThePointer()
{
    Drive(*FForm).cbxCrossHair()->setChecked(false);
    // Factor 4: a 37-pixel square over 150 pixels, about 4 box pixels each.
    QImage box = Tick();
    QCOMPARE(box.size(), QSize(150, 150));
    QCOMPARE(box.pixel(75, 75), Green);
    QCOMPARE(box.pixel(74, 74), Green);
    QCOMPARE(box.pixel(70, 70), White);
    // Factor 16: a 9-pixel square, about 17 box pixels each.
    Drive(*FForm).tbzoom()->setValue(4);
    box = Tick();
    QCOMPARE(box.pixel(70, 70), Green);
    QCOMPARE(box.pixel(67, 75), Green);
    QCOMPARE(box.pixel(66, 75), White);
}

void TestZoomPreview::crossHairLeavesOutItsEnds()
{
    QVERIFY(Drive(*FForm).cbxCrossHair()->isChecked());
    const QImage box = Tick();
    QCOMPARE(box.pixel(38, 75), Grey);
    QCOMPARE(box.pixel(111, 75), Grey);
    QCOMPARE(box.pixel(112, 75), White);
    QCOMPARE(box.pixel(37, 75), White);
    QCOMPARE(box.pixel(75, 38), Grey);
    QCOMPARE(box.pixel(75, 112), White);
}

void TestZoomPreview::whiteWithoutFocusOrOutsideTheView()
{
    Drive(*FForm).cbxCrossHair()->setChecked(false);
    Drive(*FForm).ListView()->setFocus();
    QCOMPARE(Tick().pixel(75, 75), White);
    Drive(*FForm).QuillonView()->setFocus();
    QCOMPARE(Tick().pixel(75, 75), Green);
    // Over the scroll box beyond the small view.
    QCursor::setPos(Drive(*FForm).QuillonView()->mapToGlobal(QPoint(260, 50)));
    // The pointer's leaving is an event of its own, later on a busy machine.
    QTRY_VERIFY(!Drive(*FForm).QuillonView()->MouseInside);
    Drive(*FForm).QuillonView()->setFocus();
    const QImage box = Tick();
    QCOMPARE(box.pixelColor(75, 75), QColor(White));
    QCOMPARE(box.pixelColor(10, 140), QColor(White));
}

void TestZoomPreview::tickDoesNothingUntilPointerOrViewChanges()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    Drive(f).cbxCrossHair()->setChecked(false);
    QCOMPARE(Tick().pixel(75, 75), Green);
    const qint64 shown = Drive(f).pbZoom()->pixmap().cacheKey();
    // Nothing changed: the box is not made again, and the timer sleeps.
    QCOMPARE(Tick().pixel(75, 75), Green);
    QCOMPARE(Drive(f).pbZoom()->pixmap().cacheKey(), shown);
    QVERIFY(!Drive(f).TimerZoom().isActive());

    // The view's content changes under a resting pointer.
    BYTE* pixel = FreeImage_GetScanLine(v.Image.GetDib(), 200 - 1 - 50) + 3 * 50;
    pixel[FI_RGBA_GREEN] = 0;
    v.update();
    QCoreApplication::processEvents();
    QVERIFY(Drive(f).TimerZoom().isActive());
    QCOMPARE(Drive(f).TimerZoom().interval(), 25);
    QCOMPARE(Tick().pixel(75, 75), qRgb(0, 0, 0));
    const qint64 repainted = Drive(f).pbZoom()->pixmap().cacheKey();
    QVERIFY(repainted != shown);
    QCOMPARE(Tick().pixel(75, 75), qRgb(0, 0, 0));
    QCOMPARE(Drive(f).pbZoom()->pixmap().cacheKey(), repainted);

    // The pointer moves: the black pixel leaves the centre.
    QCursor::setPos(v.mapToGlobal(QPoint(60, 60)));
    QCoreApplication::processEvents();
    QCOMPARE(Tick().pixel(75, 75), White);
    QCOMPARE(Drive(f).pbZoom()->pixmap().cacheKey() == repainted, false);

    // With the pointer off the view, its repaints leave the white box be
    // and the timer asleep.
    QCursor::setPos(Drive(f).ListView()->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::processEvents();
    QCOMPARE(Tick().pixel(75, 75), White);
    Tick();
    QVERIFY(!Drive(f).TimerZoom().isActive());
    v.update();
    QCoreApplication::processEvents();
    QVERIFY(!Drive(f).TimerZoom().isActive());
}

void TestZoomPreview::commandShowsAndHides()
{
    Tmainform& f = *FForm;
    QVERIFY(Drive(f).Action("acZoomPreview")->isChecked());
    Drive(f).Action("acZoomPreview")->trigger();
    QVERIFY(!Drive(f).Action("acZoomPreview")->isChecked());
    QVERIFY(!Drive(f).pnlZoom()->isVisible());
    QVERIFY(!Drive(f).TimerZoom().isActive());
    Drive(f).Action("acZoomPreview")->trigger();
    QVERIFY(Drive(f).pnlZoom()->isVisible());
    QVERIFY(Drive(f).TimerZoom().isActive());
    QCOMPARE(Drive(f).TimerZoom().interval(), 25);
    QCOMPARE(Drive(f).Panel1()->text(), QStringLiteral("Zoom Preview"));
}

QTEST_MAIN(TestZoomPreview)
#include "test_zoompreview.moc"

// Undo and redo through the main window, with the list and the exports
// checked after each; moving points; the title's mark of unsaved work; and
// the question before it would be lost.
#include "main/formMain.h"
#include "WindowDriver.h"

#include "ModalDriver.h"
#include "TestFiles.h"
#include "main/UnsavedWork.h"
#include "widgets/formAxisDates.h"
#include "widgets/formCalibrationPoint.h"
#include "widgets/formPlottingArea.h"
#include "widgets/formPreferences.h"
#include "widgets/ksFloatEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QtTest>

#include <FreeImage.h>

namespace {

QString SavePicture(const QString& path, int width, int height)
{
    FIBITMAP* dib = FreeImage_Allocate(width, height, 24);
    // A left-right gradient, so that a flip shows.
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, y);
        for (int x = 0; x < width; ++x)
            line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = BYTE(x * 255 / std::max(1, width - 1));
    }
    const bool saved = FreeImage_Save(FIF_PNG, dib, QFile::encodeName(path).constData(), 0);
    FreeImage_Unload(dib);
    return saved ? path : QString();
}

void Drag(QWidget* view, QPoint from, QPoint to, int steps = 1)
{
    QTest::mouseMove(view, from);
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    for (int i = 1; i <= steps; ++i)
        QTest::mouseMove(view, from + (to - from) * i / steps);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
}

void Click(QWidget* view, QPoint at)
{
    QTest::mouseMove(view, at);
    QTest::mouseClick(view, Qt::LeftButton, {}, at);
}

// Answers the question about unsaved work with Button, ticking "Don't ask
// again" when asked to; counts the questions.
// The red byte of the picture's top-left pixel (FreeImage keeps rows
// bottom-up).
int TopLeftRed(const TQuillonView& view)
{
    FIBITMAP* dib = view.Image.GetDib();
    return FreeImage_GetScanLine(dib, FreeImage_GetHeight(dib) - 1)[FI_RGBA_RED];
}

struct TAnswer {
    TAnswer(QMessageBox::StandardButton button, bool dontAsk = false)
        : Box("QMessageBox", [this, button, dontAsk](QWidget* w) {
            auto* box = static_cast<QMessageBox*>(w);
            Text = box->text();
            ++Asked;
            if (dontAsk && box->checkBox())
                box->checkBox()->setChecked(true);
            box->button(button)->click();
        })
    {
    }
    int Asked = 0;
    QString Text;
    WhenModalShown Box;
};

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pointsByClickAndInsert();
    void deleteSelectedAndClearAll();
    void mappingByDragsBoxAndRotation();
    void dimensionsAndPlottingArea();
    void calibrationByPointsOnASkewedChart();
    void axisDatesOnTheRectangle();
    void sortAndPictureEdits();
    void movePointsByDragAndKeys();
    void pointerPanel();
    void titleMarksUnsavedWork();
    void questionOnClose();
    void aSaveThatDidNotHappenKeepsTheWindow_data();
    void aSaveThatDidNotHappenKeepsTheWindow();
    void questionOnLoadAndScan();
    void dontAskAgainAndPreferences();
    void closeEmptiesTheWindow();
    void savesOfferNamesFromThePicture();

private:
    QStringList Names() const;
    QString Export() const { return Drive(*FForm).DataText(u' '); }
    TQuillonView& View() const { return *Drive(*FForm).QuillonView(); }
    QString Path(const char* name) const { return FDir.filePath(QString::fromLatin1(name)); }
    // A mapping and three points, none of it an undo step.
    void Calibrate();

    TScopedConfigHome FHome;
    QTemporaryDir FDir;
    std::unique_ptr<Tmainform> FForm;
};

void TestUndo::init()
{
    QFile::remove(FHome.SettingsFile());
    StoreStartupTip(false);
    FForm = std::make_unique<Tmainform>();
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
    QVERIFY(Drive(*FForm).LoadImageFile(SavePicture(Path("chart.png"), 400, 300)));
    View().SetZoom(1.0f);
    QCoreApplication::processEvents();
}

void TestUndo::cleanup()
{
    // Nothing left to ask about when the window goes.
    Drive(*FForm).UndoStack().setClean();
    FForm.reset();
}

QStringList TestUndo::Names() const
{
    QStringList names;
    for (int r = 0; r < Drive(*FForm).ListModel()->Count(); ++r)
        names << Drive(*FForm).ListModel()->Cell(r, 0);
    return names;
}

void TestUndo::Calibrate()
{
    TQuillonView& v = View();
    v.SetAxisValues(0, 100, 40, 0);
    v.SetMappingRect({0, 0, 399, 299});
    v.AddSite(QStringLiteral("1"), 50, 60);
    v.AddSite(QStringLiteral("2"), 100, 80);
    v.AddSite(QStringLiteral("3"), 150, 90);
    QCOMPARE(Drive(*FForm).UndoStack().count(), 0);
}

void TestUndo::pointsByClickAndInsert()
{
    Tmainform& f = *FForm;
    TQuillonView& v = View();
    v.SetMouseAction(maClick);
    Click(&v, {50, 60});
    Click(&v, {100, 80});
    Click(&v, {150, 90});
    QCOMPARE(Names(), (QStringList{"1", "2", "3"}));
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Add Point 3"));
    const QString three = Export();
    // A click on a point removes it; undone, it comes back in its place.
    Click(&v, {101, 79});
    QCOMPARE(Names(), (QStringList{"1", "3"}));
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Delete Point 2"));
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(Names(), (QStringList{"1", "2", "3"}));
    QCOMPARE(v.GetSite(1)->X, 100);
    QCOMPARE(v.GetSite(1)->Y, 80);
    QCOMPARE(Export(), three);
    QCOMPARE(Drive(f).Action("acRedo")->text(), QStringLiteral("Redo Delete Point 2"));
    Drive(f).Action("acRedo")->trigger();
    QCOMPARE(Names(), (QStringList{"1", "3"}));
    // Insert clicks at the pointer: one step too.
    QCursor::setPos(v.mapToGlobal(QPoint(200, 100)));
    QEnterEvent enter(QPointF(200, 100), QPointF(200, 100), v.mapToGlobal(QPointF(200, 100)));
    QCoreApplication::sendEvent(&v, &enter);
    QTest::keyClick(&v, Qt::Key_Insert);
    QCOMPARE(Names(), (QStringList{"1", "3", "2"}));
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Add Point 2"));
    Drive(f).Action("acUndo")->trigger();
    Drive(f).Action("acUndo")->trigger();
    Drive(f).Action("acUndo")->trigger();
    Drive(f).Action("acUndo")->trigger();
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(Names(), QStringList{});
    QVERIFY(!Drive(f).Action("acUndo")->isEnabled());
}

void TestUndo::deleteSelectedAndClearAll()
{
    Tmainform& f = *FForm;
    Calibrate();
    for (int i = 4; i <= 6; ++i)
        View().AddSite(QString::number(i), i * 20, i * 10);
    const QString all = Export();
    QItemSelectionModel* selection = Drive(f).ListView()->selectionModel();
    for (int row : {1, 3, 4})
        selection->select(Drive(f).ListModel()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Drive(f).Action("acDeleteSelectedPoints")->trigger();
    QCOMPARE(Names(), (QStringList{"1", "3", "6"}));
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Delete Selected Points"));
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(Names(), (QStringList{"1", "2", "3", "4", "5", "6"}));
    QCOMPARE(Export(), all);
    Drive(f).Action("acRedo")->trigger();
    QCOMPARE(Names(), (QStringList{"1", "3", "6"}));
    Drive(f).Action("acClearAllPoints")->trigger();
    QCOMPARE(View().SiteCount(), 0);
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Clear All Points"));
    Drive(f).Action("acUndo")->trigger();
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(Export(), all);
    QCOMPARE(View().GetSite(5)->X, 120);
}

void TestUndo::mappingByDragsBoxAndRotation()
{
    Tmainform& f = *FForm;
    TQuillonView& v = View();
    Calibrate();
    const TRect first = v.MappingRect;
    const QString before = Export();
    // A new rubber band, over many moves: one step.
    v.SetMouseAction(maRubberBand);
    Drag(&v, {20, 30}, {300, 250}, 6);
    QVERIFY(!(v.MappingRect == first));
    QVERIFY(Export() != before);
    QCOMPARE(Drive(f).UndoStack().count(), 1);
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Mapping"));
    const TRect band = v.MappingRect;
    const QString banded = Export();
    // Its left edge dragged: one more step.
    QTest::mouseMove(&v, {band.Left, (band.Top + band.Bottom) / 2});
    Drag(&v, {band.Left, (band.Top + band.Bottom) / 2}, {band.Left + 40, (band.Top + band.Bottom) / 2}, 4);
    QCOMPARE(v.MappingRect.Left, band.Left + 40);
    QCOMPARE(Drive(f).UndoStack().count(), 2);
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(v.MappingRect, band);
    QCOMPARE(Export(), banded);
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(v.MappingRect, first);
    QCOMPARE(Export(), before);
    Drive(f).Action("acRedo")->trigger();
    QCOMPARE(Export(), banded);
    // Full Box.
    Drive(f).Action("acFullBoundingBox")->trigger();
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Full Box"));
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(v.MappingRect, band);
    // A turn in Rotate mode: three moves, one step.
    v.SetMouseAction(maRotateH);
    Drag(&v, {200, 150}, {230, 150}, 3);
    QCOMPARE(v.Angle, 3.0);
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Rotation"));
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(v.Angle, 0.0);
    QCOMPARE(Export(), banded);
}

void TestUndo::dimensionsAndPlottingArea()
{
    Tmainform& f = *FForm;
    TQuillonView& v = View();
    Calibrate();
    const QString before = Export();
    {
        WhenModalShown dialog("TfrmPreferences", [](QWidget* w) {
            auto* d = static_cast<TfrmPreferences*>(w);
            d->ksfT->SetValue(1000);
            d->ksfB->SetValue(1);
            d->cbyaxis->setCurrentIndex(amLog10);
            d->accept();
        });
        Drive(f).Action("acDimensions")->trigger();
    }
    QCOMPARE(v.AxisYMap, amLog10);
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Dimensions"));
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(v.AxisYMap, amLinear);
    QCOMPARE(v.YTopValue, 100.0);
    QCOMPARE(v.YBottomValue, 0.0);
    QCOMPARE(Export(), before);
    // The plotting area typed in, rectangle and angle in one step.
    {
        WhenModalShown dialog("TfrmPlottingArea", [](QWidget* w) {
            auto* d = static_cast<TfrmPlottingArea*>(w);
            QCOMPARE(d->seRight->value(), 399);
            QCOMPARE(d->seRight->maximum(), 399);
            d->seLeft->setValue(10);
            d->seTop->setValue(20);
            d->seRight->setValue(310);
            d->seBottom->setValue(220);
            d->seAngle->setValue(-2.5);
            d->accept();
        });
        Drive(f).Action("acPlottingArea")->trigger();
    }
    QCOMPARE(v.MappingRect, (TRect{10, 20, 310, 220}));
    QCOMPARE(v.Angle, -2.5);
    QCOMPARE(Drive(f).UndoStack().count(), 1);
    QVERIFY(Export() != before);
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(v.MappingRect, (TRect{0, 0, 399, 299}));
    QCOMPARE(v.Angle, 0.0);
    QCOMPARE(Export(), before);
    // An empty rectangle is refused and the dialog stays.
    QString refusal;
    {
        WhenModalShown dialog("TfrmPlottingArea", [&](QWidget* w) {
            auto* d = static_cast<TfrmPlottingArea*>(w);
            d->seLeft->setValue(300);
            d->seRight->setValue(100);
            {
                WhenModalShown box("QMessageBox", ReadInto(refusal));
                d->accept();
            }
            QVERIFY(d->isVisible());
            d->reject();
        });
        Drive(f).Action("acPlottingArea")->trigger();
    }
    QVERIFY(refusal.contains(QStringLiteral("Left must be less than Right")));
    QCOMPARE(v.MappingRect, (TRect{0, 0, 399, 299}));
}

void TestUndo::calibrationByPointsOnASkewedChart()
{
    // A chart whose Y axis leans 10 degrees: X 0..10 over 300 px along the
    // rows from (60, 260), Y 0..100 over 200 px along the leaning axis.
    const double lean = 10 * M_PI / 180;
    const auto pixel = [lean](double x, double y) {
        return QPoint(qRound(60 + 30 * x + 2 * y * std::sin(lean)), qRound(260 - 2 * y * std::cos(lean)));
    };
    Tmainform& f = *FForm;
    TQuillonView& v = View();
    Drive(f).Action("acCalibrateMode")->trigger();
    QCOMPARE(v.GetMouseAction(), maCalibrate);
    const struct {
        double X, Y;
        const char* XText;
        const char* YText;
    } ticks[] = {{2, 0, "2", ""}, {8, 0, "8", ""}, {0, 20, "", "20"}, {0, 90, "", "90"}};
    for (const auto& tick : ticks) {
        WhenModalShown answer("TfrmCalibrationPoint", [&](QWidget* w) {
            auto* dialog = static_cast<TfrmCalibrationPoint*>(w);
            dialog->edX->setText(QString::fromLatin1(tick.XText));
            dialog->edY->setText(QString::fromLatin1(tick.YText));
            dialog->accept();
        });
        Click(&v, pixel(tick.X, tick.Y));
        QVERIFY(answer.Answered());
    }
    QVERIFY2(v.MissingStep().isEmpty(), qPrintable(v.MissingStep()));
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Calibration"));
    Drive(f).Action("acClickMode")->trigger();
    const TDataPoint truth[] = {{0, 0}, {5, 50}, {10, 100}, {3.3, 75}};
    for (const TDataPoint& t : truth)
        Click(&v, pixel(t.X, t.Y));
    QCOMPARE(Names(), (QStringList{"1", "2", "3", "4"}));
    // Clicks land on whole pixels: each value within one pixel of its truth.
    for (int i = 0; i < 4; ++i) {
        const TDataPoint d = Drive(f).Document().DataOf(Drive(f).Document().CurrentSeries().Points[std::size_t(i)]);
        QVERIFY2(std::abs(d.X - truth[i].X) * 30 < 1 && std::abs(d.Y - truth[i].Y) * 2 < 1,
                 qPrintable(QStringLiteral("%1, %2").arg(d.X).arg(d.Y)));
    }
    // The fourth tick undone leaves the points without a map again.
    for (int i = 0; i < 5; ++i)
        Drive(f).UndoStack().undo();
    QVERIFY(!v.MissingStep().isEmpty());
}

void TestUndo::axisDatesOnTheRectangle()
{
    Calibrate();
    WhenModalShown answer("TfrmAxisDates", [](QWidget* w) {
        auto* dialog = static_cast<TfrmAxisDates*>(w);
        dialog->edLeft->setText(QStringLiteral("2026-01-01"));
        dialog->edRight->setText(QStringLiteral("2026-02-10"));
        dialog->accept();
    });
    Drive(*FForm).Action("acAxisDates")->trigger();
    QVERIFY(answer.Answered());
    // 50 of 399 pixels into 40 days, to the minute a tenth of a pixel needs;
    // Y stays a number.
    QCOMPARE(Drive(*FForm).ListModel()->Cell(0, 1), QStringLiteral("2026-01-06T00:18"));
    QCOMPARE(Drive(*FForm).ListModel()->Cell(0, 2), QStringLiteral("79.9331"));
    QCOMPARE(Drive(*FForm).Action("acUndo")->text(), QStringLiteral("Undo Axis Dates and Times"));
    Drive(*FForm).UndoStack().undo();
    QCOMPARE(Drive(*FForm).ListModel()->Cell(0, 1), QStringLiteral("5.01253"));
}

void TestUndo::sortAndPictureEdits()
{
    Tmainform& f = *FForm;
    TQuillonView& v = View();
    Calibrate();
    Drive(f).ListViewColumnClick(4);
    Drive(f).ListViewColumnClick(4);
    QCOMPARE(Names(), (QStringList{"3", "2", "1"}));
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Sort"));
    Drive(f).Action("acUndo")->trigger();
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(Names(), (QStringList{"1", "2", "3"}));
    const int left = TopLeftRed(v);
    Drive(f).Action("acFlipImageHorizontal")->trigger();
    QCOMPARE(TopLeftRed(v), 255 - left);
    Drive(f).Action("acInvertImage")->trigger();
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Invert"));
    Drive(f).Action("acUndo")->trigger();
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(TopLeftRed(v), left);
    Drive(f).Action("acRedo")->trigger();
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Flip Image Horizontal"));
}

void TestUndo::movePointsByDragAndKeys()
{
    Tmainform& f = *FForm;
    TQuillonView& v = View();
    Calibrate();
    const QString before = Export();
    v.SetMouseAction(maClick);
    // Pressed 2 pixels off point 2 and dragged: it keeps that offset, its
    // name and its row, and is not toggled away.
    Drag(&v, {102, 81}, {132, 121}, 5);
    QCOMPARE(Names(), (QStringList{"1", "2", "3"}));
    QCOMPARE(v.GetSite(1)->X, 130);
    QCOMPARE(v.GetSite(1)->Y, 120);
    QCOMPARE(Drive(f).ListModel()->Cell(1, 3), QStringLiteral("130"));
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Move Point 2"));
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(v.GetSite(1)->X, 100);
    QCOMPARE(Export(), before);
    // Pressed and released in place: toggled away, as ever.
    Drag(&v, {50, 60}, {50, 60}, 1);
    QCOMPARE(Names(), (QStringList{"2", "3"}));
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(Names(), (QStringList{"1", "2", "3"}));
    // Alt+arrows move the points selected in the list, one pixel a key.
    QItemSelectionModel* selection = Drive(f).ListView()->selectionModel();
    selection->select(Drive(f).ListModel()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Drive(f).ListView()->setFocus();
    QTest::keyClick(Drive(f).ListView(), Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(v.GetSite(2)->X, 151);
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Move Point 3"));
    selection->select(Drive(f).ListModel()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(Drive(f).ListView(), Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(v.GetSite(0)->Y, 59);
    QCOMPARE(v.GetSite(2)->Y, 89);
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Move Points"));
    Drive(f).Action("acUndo")->trigger();
    Drive(f).Action("acUndo")->trigger();
    QCOMPARE(Export(), before);
    // Kept inside the picture.
    v.AddSite(QStringLiteral("9"), 0, 0);
    selection->clearSelection();
    selection->select(Drive(f).ListModel()->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const int steps = Drive(f).UndoStack().count();
    QTest::keyClick(Drive(f).ListView(), Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(v.GetSite(3)->X, 0);
    QCOMPARE(Drive(f).UndoStack().count(), steps);
}

void TestUndo::pointerPanel()
{
    TQuillonView& v = View();
    v.SetAngle(1.5);
    QTest::mouseMove(&v, {123, 45});
    QTRY_COMPARE(Drive(*FForm).pnlPointer()->text(), QStringLiteral("Pixel: 123, 45  Angle: 1.5°"));
}

void TestUndo::titleMarksUnsavedWork()
{
    Tmainform& f = *FForm;
    QCOMPARE(f.windowTitle(), QStringLiteral("Untitled[*] - Quillon"));
    QVERIFY(!f.isWindowModified());
    View().SetMouseAction(maClick);
    Click(&View(), {10, 10});
    QVERIFY(f.isWindowModified());
    Drive(f).SaveSessionFile(Path("job.qsf"));
    QCOMPARE(f.windowTitle(), QStringLiteral("job.qsf[*] - Quillon"));
    QVERIFY(!f.isWindowModified());
    Drive(f).Action("acUndo")->trigger();
    QVERIFY(f.isWindowModified());
    Drive(f).Action("acRedo")->trigger();
    QVERIFY(!f.isWindowModified());
    // A load starts afresh: nothing to undo, nothing unsaved. (The axis
    // values were never set, so the load warns.)
    QString warning;
    {
        WhenModalShown box("QMessageBox", ReadInto(warning));
        Drive(f).LoadSessionFile(Path("job.qsf"));
    }
    QVERIFY(!Drive(f).Action("acUndo")->isEnabled());
    QVERIFY(!f.isWindowModified());
}

void TestUndo::questionOnClose()
{
    Tmainform& f = *FForm;
    // Nothing unsaved: nothing asked.
    {
        TAnswer answer(QMessageBox::Cancel);
        QVERIFY(f.close());
        QCOMPARE(answer.Asked, 0);
    }
    f.show();
    Drive(f).SaveSessionFile(Path("job.qsf"));
    View().SetMouseAction(maClick);
    Click(&View(), {10, 10});
    {
        TAnswer answer(QMessageBox::Cancel);
        QVERIFY(!f.close());
        QCOMPARE(answer.Asked, 1);
        QVERIFY(answer.Text.contains(Path("job.qsf")));
    }
    QVERIFY(f.isVisible());
    QCOMPARE(View().SiteCount(), 1);
    {
        TAnswer answer(QMessageBox::Save);
        QVERIFY(f.close());
    }
    // Saved to the session's own file before the window went.
    QVERIFY(ReadTextFile(Path("job.qsf")).contains("1=10,10"));
    f.show();
    Click(&View(), {20, 20});
    {
        TAnswer answer(QMessageBox::Discard);
        QVERIFY(f.close());
    }
    QVERIFY(!ReadTextFile(Path("job.qsf")).contains("2=20,20"));
}

void TestUndo::aSaveThatDidNotHappenKeepsTheWindow_data()
{
    QTest::addColumn<bool>("named");
    QTest::newRow("its file dialog cancelled") << false;
    QTest::newRow("its file not written") << true;
}

// "Save" in the question discards nothing unless the work was saved.
void TestUndo::aSaveThatDidNotHappenKeepsTheWindow()
{
    QFETCH(bool, named);
    Tmainform& f = *FForm;
    if (named) {
        Drive(f).SaveSessionFile(Path("job.qsf"));
        QVERIFY(QFile::remove(Path("job.qsf")) && QDir().mkpath(Path("job.qsf")));
    }
    View().SetMouseAction(maClick);
    Click(&View(), {10, 10});
    // Each box as it comes: "Save" to the question, then the error's OK.
    QStringList shown;
    QTimer boxes;
    QObject::connect(&boxes, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        shown << box->text();
        (box->button(QMessageBox::Save) ? box->button(QMessageBox::Save) : box->buttons().first())->click();
    });
    boxes.start(10);
    WhenModalShown files("QFileDialog", [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    QVERIFY(!f.close());
    QVERIFY(f.isVisible());
    QCOMPARE(View().SiteCount(), 1);
    // The question, and for a failed write the reason.
    QCOMPARE(shown.size(), named ? 2 : 1);
}

void TestUndo::questionOnLoadAndScan()
{
    Tmainform& f = *FForm;
    View().SetMouseAction(maClick);
    Click(&View(), {10, 10});
    // Cancelled: no file dialog, no scan, nothing changes.
    int dialogs = 0;
    WhenModalShown files("QFileDialog", [&](QWidget* w) {
        ++dialogs;
        static_cast<QDialog*>(w)->reject();
    });
    Drive(f).FerroTwain().LibraryName = QStringLiteral("libquillon-nowhere.so");
    for (const char* name : {"acLoadImage", "acLoadSession", "acAquireTWAIN"}) {
        QAction* load = Drive(f).Action(name);
        TAnswer answer(QMessageBox::Cancel);
        load->trigger();
        QCOMPARE(answer.Asked, 1);
    }
    QCOMPARE(dialogs, 0);
    {
        TAnswer answer(QMessageBox::Cancel);
        QVERIFY(!Drive(f).OpenFile(SavePicture(Path("other.png"), 30, 30)));
        QCOMPARE(answer.Asked, 1);
    }
    QCOMPARE(View().ImageWidth(), 400);
    QCOMPARE(View().SiteCount(), 1);
    // Discarded: the load goes ahead and starts a new history.
    {
        TAnswer answer(QMessageBox::Discard);
        QVERIFY(Drive(f).OpenFile(Path("other.png")));
    }
    QCOMPARE(View().ImageWidth(), 30);
    QVERIFY(!f.isWindowModified());
    QVERIFY(!Drive(f).Action("acUndo")->isEnabled());
}

void TestUndo::dontAskAgainAndPreferences()
{
    Tmainform& f = *FForm;
    View().SetMouseAction(maClick);
    Click(&View(), {10, 10});
    {
        TAnswer answer(QMessageBox::Discard, true);
        QVERIFY(Drive(f).OpenFile(Path("chart.png")));
    }
    QVERIFY(!AskBeforeDiscarding());
    Click(&View(), {10, 10});
    {
        TAnswer answer(QMessageBox::Cancel);
        QVERIFY(Drive(f).OpenFile(Path("chart.png")));
        QCOMPARE(answer.Asked, 0);
    }
    // Preferences shows the choice and takes it back.
    bool shown = true;
    {
        WhenModalShown dialog("TfrmPreferences", [&](QWidget* w) {
            auto* d = static_cast<TfrmPreferences*>(w);
            shown = d->cbxAskToSave->isChecked();
            d->cbxAskToSave->setChecked(true);
            d->accept();
        });
        Drive(f).Action("acPreferences")->trigger();
    }
    QVERIFY(!shown);
    QVERIFY(AskBeforeDiscarding());
}

QTEST_MAIN(TestUndo)
#include "test_undo.moc"

void TestUndo::closeEmptiesTheWindow()
{
    Tmainform& f = *FForm;
    View().SetMouseAction(maClick);
    Click(&View(), {10, 10});
    {
        TAnswer answer(QMessageBox::Cancel);
        Drive(f).Action("acClose")->trigger();
        QCOMPARE(answer.Asked, 1);
    }
    QCOMPARE(View().ImageWidth(), 400);
    QCOMPARE(View().SiteCount(), 1);
    {
        TAnswer answer(QMessageBox::Discard);
        Drive(f).Action("acClose")->trigger();
    }
    QCOMPARE(View().ImageWidth(), 0);
    QVERIFY(f.findChild<QLabel*>(QStringLiteral("lblStart"))->isVisible());
    QCOMPARE(View().SiteCount(), 0);
    QCOMPARE(Drive(f).ListModel()->rowCount(), 0);
    QVERIFY(Drive(f).Document().ImageFileName.isEmpty());
    QVERIFY(!f.isWindowModified());
    QVERIFY(!Drive(f).Action("acUndo")->isEnabled());
    QCOMPARE(Drive(f).Action("acClose")->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
}

// The save dialogs start on a name made from the picture, in its folder;
// an export says where it went.
void TestUndo::savesOfferNamesFromThePicture()
{
    Tmainform& f = *FForm;
    const auto offered = [&](const char* command) {
        QString name;
        WhenModalShown dialog("QFileDialog", [&](QWidget* w) {
            name = static_cast<QFileDialog*>(w)->selectedFiles().value(0);
            static_cast<QFileDialog*>(w)->reject();
        });
        Drive(f).Action(command)->trigger();
        return name;
    };
    Calibrate();
    QCOMPARE(offered("acSaveSessionAs"), Path("chart.qsf"));
    QCOMPARE(offered("acSaveSession"), Path("chart.qsf"));
    QCOMPARE(offered("acDataToSSV"), Path("chart.txt"));
    QCOMPARE(offered("acExportAllSeries"), Path("chart.csv"));
    // Once saved, Save Session offers the session's own file.
    Drive(f).SaveSessionFile(Path("named.qsf"));
    QCOMPARE(offered("acSaveSession"), Path("named.qsf"));
    Drive(f).SaveDataFile(Path("points.txt"));
    QCOMPARE(f.statusBar()->currentMessage(),
             QStringLiteral("3 points written to ") + QDir::toNativeSeparators(Path("points.txt")));
}

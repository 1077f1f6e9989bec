// A page of a drawing in the window: chosen and rendered, its curves and
// markers picked exactly, undone, and kept by the session.
#include "main/formMain.h"
#include "ChartTruth.h"
#include "ModalDriver.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "document/SessionFile.h"
#include "platform/Conversions.h"
#include "widgets/formCalibrationPoint.h"
#include "widgets/formCalibrationPoints.h"
#include "widgets/formDrawingPage.h"

#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QTableView>
#include <QListWidget>
#include <QMessageBox>
#include <QSpinBox>
#include <QtTest>

#include <FreeImage.h>

namespace {

void Click(QWidget* view, QPointF at)
{
    const QPoint p = at.toPoint();
    QTest::mouseMove(view, p);
    QTest::mouseClick(view, Qt::LeftButton, {}, p);
}

// How far the series' points lie from Want, in order, or infinity when
// their number differs.
double WorstError(const std::vector<TSeriesPoint>& Got, std::size_t From, const std::vector<QPointF>& Want)
{
    if (Got.size() < From + Want.size())
        return INFINITY;
    double worst = 0;
    for (std::size_t i = 0; i < Want.size(); ++i)
        worst = std::max(worst, QLineF(QPointF(Got[From + i].X, Got[From + i].Y), Want[i]).length());
    return worst;
}

const double Thousandth = 5e-4 * std::sqrt(2.0) + 1e-12;

} // namespace

class TestDrawingWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pageOpenedPickedAndKept();
    void axesFromTheDrawing();
    void drawingFilePasted();
    void seriesNamedByTheLegend();
    void sessionPageRead_data();
    void sessionPageRead();

private:
    TScopedConfigHome FHome;
    QTemporaryDir FDir;
    std::unique_ptr<Tmainform> FForm;
};

void TestDrawingWindow::init()
{
    StoreStartupTip(false);
    FForm = std::make_unique<Tmainform>();
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
}

void TestDrawingWindow::cleanup()
{
    FForm->setWindowModified(false);
    Drive(*FForm).UndoStack().setClean();
    FForm.reset();
}

void TestDrawingWindow::pageOpenedPickedAndKept()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    TJobDocument& job = Drive(f).Document();
    int thumbnails = 0;
    WhenModalShown choose("TfrmDrawingPage", [&](QWidget* w) {
        auto* d = static_cast<TfrmDrawingPage*>(w);
        thumbnails = d->lvPages->count();
        d->lvPages->setCurrentRow(1);
        d->seResolution->setValue(150);
        d->accept();
    });
    QVERIFY(Drive(f).OpenFile(Chart(QStringLiteral("pages.pdf"))));
    QVERIFY(choose.Answered());
    QCOMPARE(thumbnails, 3);
    QCOMPARE(job.ImagePage, 2);
    QCOMPARE(job.ImageResolution, 150.0);
    // A 4 x 3 inch page at 150 dots an inch.
    QCOMPARE(v.Image.GetWidth(), 600);
    QCOMPARE(v.Image.GetHeight(), 450);
    v.SetZoom(1.0f);
    QCoreApplication::processEvents();

    const TChartTruth truth = ReadTruth(QStringLiteral("pages"), 150)[0];
    QAction* pick = Drive(f).Action("acPickDrawing");
    Drive(f).UpdateCommands();
    QVERIFY(pick->isEnabled());
    pick->trigger();
    QVERIFY(v.Picking());
    Click(&v, truth.Curve[20] + QPointF(0.4, 1.6));
    QVERIFY(!v.Picking());
    // Kept to the thousandth of a pixel every point is kept to, in X and Y.
    QVERIFY(WorstError(job.CurrentSeries().Points, 0, truth.Curve) <= Thousandth);
    QCOMPARE(job.CurrentSeries().Points.size(), truth.Curve.size());
    QCOMPARE(Drive(f).UndoStack().count(), 1);
    pick->trigger();
    Click(&v, truth.Markers[2] + QPointF(-1, 1));
    std::vector<QPointF> markers = truth.Markers;
    std::stable_sort(markers.begin(), markers.end(),
                     [](QPointF a, QPointF b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
    QVERIFY(WorstError(job.CurrentSeries().Points, truth.Curve.size(), markers) <= Thousandth);
    QCOMPARE(job.CurrentSeries().Points.size(), truth.Curve.size() + markers.size());
    Drive(f).UndoStack().undo();
    Drive(f).UndoStack().undo();
    QVERIFY(job.CurrentSeries().Points.empty());
    Drive(f).UndoStack().redo();
    QCOMPARE(job.CurrentSeries().Points.size(), truth.Curve.size());

    // The session names the page and its resolution after the described
    // keys, and opens the same page again, with its drawing.
    v.SetAxisValues(-3, 5, 8, -5);
    const QString session = FDir.filePath(QStringLiteral("page.qsf"));
    Drive(f).SaveSessionFile(session);
    const QByteArray text = ReadTextFile(session);
    QVERIFY(text.contains("zoom=1\r\npage=2\r\nresolution=150\r\n"));
    FIBITMAP* dib = FreeImage_Allocate(20, 10, 24);
    const QString png = FDir.filePath(QStringLiteral("plain.png"));
    QVERIFY(FreeImage_Save(FIF_PNG, dib, QFile::encodeName(png).constData(), 0));
    FreeImage_Unload(dib);
    QVERIFY(Drive(f).LoadImageFile(png));
    Drive(f).UpdateCommands();
    QVERIFY(!pick->isEnabled());
    QCOMPARE(job.ImagePage, 0);
    const QString again = Drive(f).LoadSession(session);
    QVERIFY2(again.isEmpty(), qPrintable(again));
    QCOMPARE(v.Image.GetWidth(), 600);
    QCOMPARE(job.ImagePage, 2);
    Drive(f).UpdateCommands();
    QVERIFY(pick->isEnabled());
    QCOMPARE(job.CurrentSeries().Points.size(), truth.Curve.size());

    // The same session with a plain picture in place of the drawing opens
    // the picture as a picture.
    QByteArray moved = text;
    moved.replace(QFile::encodeName(Chart(QStringLiteral("pages.pdf"))), QFile::encodeName(png));
    const QString movedSession = FDir.filePath(QStringLiteral("moved.qsf"));
    WriteTextFile(movedSession, moved);
    const QString warning = Drive(f).LoadSession(movedSession);
    QVERIFY2(warning.isEmpty(), qPrintable(warning));
    QCOMPARE(v.Image.GetWidth(), 20);
    QCOMPARE(job.ImagePage, 0);
    Drive(f).UpdateCommands();
    QVERIFY(!pick->isEnabled());
}

// Opens a one-page drawing at Dpi.
bool OpenDrawing(Tmainform& Form, const QString& Name, int Dpi)
{
    WhenModalShown choose("TfrmDrawingPage", [&](QWidget* w) {
        static_cast<TfrmDrawingPage*>(w)->seResolution->setValue(Dpi);
        static_cast<TfrmDrawingPage*>(w)->accept();
    });
    return Drive(Form).OpenFile(Chart(Name)) && choose.Answered();
}

void TestDrawingWindow::axesFromTheDrawing()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    QVERIFY(OpenDrawing(f, QStringLiteral("axes-loglog.pdf"), 300));
    QString fit;
    WhenModalShown accept("TfrmCalibrationPoints", [&](QWidget* w) {
        auto* d = static_cast<TfrmCalibrationPoints*>(w);
        fit = d->lblFit->text();
        d->accept();
    });
    Drive(f).Action("acAxesFromDrawing")->trigger();
    QVERIFY(accept.Answered());
    QVERIFY2(fit.startsWith(QStringLiteral("The points give a map; the largest residual is 0.00 pixels")), qPrintable(fit));
    QCOMPARE(v.Calibration.Kind, ckPoints);
    QCOMPARE(v.Calibration.Points.size(), std::size_t(10));
    QCOMPARE(v.AxisXMap, amLog10);
    QCOMPARE(v.AxisYMap, amLog10);
    QCOMPARE(Drive(f).UndoStack().count(), 1);
    QCOMPARE(Drive(f).UndoStack().undoText(), QStringLiteral("Axes from Drawing"));
    // The curve picked has its values by them: y = x^1.5, to the
    // thousandth of a pixel its points are kept to.
    v.SetZoom(1.0f);
    QCoreApplication::processEvents();
    const TAxesTruth truth = ReadAxesTruth(QStringLiteral("axes-loglog"));
    // Its curve's point at x = 10, by the truth's own log axes.
    const auto along = [](double Value, double From, double To) {
        return (std::log10(Value) - std::log10(From)) / (std::log10(To) - std::log10(From));
    };
    const QPointF onCurve((truth.X0 + along(10, truth.XMin, truth.XMax) * (truth.X1 - truth.X0)) * 300 / 72 - 0.5,
                          (truth.PageHeight - truth.Y0 -
                           along(std::pow(10, 1.5), truth.YMin, truth.YMax) * (truth.Y1 - truth.Y0)) * 300 / 72 - 0.5);
    Drive(f).Action("acPickDrawing")->trigger();
    Click(&v, onCurve + QPointF(1, 1));
    const std::vector<TSeriesPoint>& points = Drive(f).Document().CurrentSeries().Points;
    QCOMPARE(points.size(), std::size_t(30));
    double worst = 0;
    for (const TSeriesPoint& p : points) {
        TDataPoint d;
        v.PixelToData(TPointF{p.X, p.Y}, d, true);
        worst = std::max(worst, std::abs(std::log10(d.Y) - 1.5 * std::log10(d.X)));
    }
    // A thousandth of a pixel's rounding each way, in decades of y.
    const double decadesPerPixelX = (std::log10(truth.XMax) - std::log10(truth.XMin)) / ((truth.X1 - truth.X0) * 300 / 72);
    const double decadesPerPixelY = (std::log10(truth.YMax) - std::log10(truth.YMin)) / ((truth.Y1 - truth.Y0) * 300 / 72);
    QVERIFY2(worst <= 5e-4 * (1.5 * decadesPerPixelX + decadesPerPixelY), qPrintable(QString::number(worst)));
    Drive(f).UndoStack().undo();
    Drive(f).UndoStack().undo();
    QCOMPARE(v.Calibration.Kind, ckRectangle);

    // Labels drawn as outlines: the ticks found are where calibration
    // clicks land.
    QVERIFY(OpenDrawing(f, QStringLiteral("axes-outlines.svg"), 150));
    WhenModalShown told("QMessageBox", [](QWidget* w) { static_cast<QMessageBox*>(w)->accept(); });
    Drive(f).Action("acAxesFromDrawing")->trigger();
    QVERIFY(told.Answered());
    QCOMPARE(v.GetMouseAction(), maCalibrate);
    v.SetZoom(1.0f);
    QCoreApplication::processEvents();
    // The X tick at 10, clicked two pixels off, is taken where it is.
    const TAxesTruth semilog = ReadAxesTruth(QStringLiteral("axes-outlines"));
    const QPointF tick((semilog.X0 + (10 - semilog.XMin) / (semilog.XMax - semilog.XMin) * (semilog.X1 - semilog.X0)) *
                               150 / 72 - 0.5,
                       (semilog.PageHeight - semilog.Y0) * 150 / 72 - 0.5);
    TCalibrationPoint clicked;
    WhenModalShown point("TfrmCalibrationPoint", [&](QWidget* w) {
        clicked = static_cast<TfrmCalibrationPoint*>(w)->Point();
        static_cast<QDialog*>(w)->reject();
    });
    Click(&v, tick + QPointF(2, -1.5));
    QVERIFY(point.Answered());
    QVERIFY2(std::abs(clicked.Pixel.X - tick.x()) < 1e-6 && std::abs(clicked.Pixel.Y - tick.y()) < 1e-6,
             qPrintable(QStringLiteral("%1,%2").arg(clicked.Pixel.X).arg(clicked.Pixel.Y)));
}

void TestDrawingWindow::drawingFilePasted()
{
    // Copied in a file manager: the file itself, not a picture of it.
    Tmainform& f = *FForm;
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(Chart(QStringLiteral("axes-semilog.pdf")))});
    QGuiApplication::clipboard()->setMimeData(data);
    Drive(f).ListView()->setFocus();
    QTRY_VERIFY(Drive(f).Action("EditPaste1")->isEnabled());
    WhenModalShown choose("TfrmDrawingPage", [](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
    Drive(f).Action("EditPaste1")->trigger();
    QVERIFY(choose.Answered());
    QCOMPARE(Drive(f).Document().ImageFileName, Chart(QStringLiteral("axes-semilog.pdf")));
    QCOMPARE(Drive(f).Document().ImagePage, 1);
    Drive(f).UpdateCommands();
    QVERIFY(Drive(f).Action("acPickDrawing")->isEnabled());
}

// A click on a legend's sample takes the curve drawn as it is, and the
// series takes the legend's name, unless the user named it.
void TestDrawingWindow::seriesNamedByTheLegend()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    TJobDocument& job = Drive(f).Document();
    WhenModalShown choose("TfrmDrawingPage", [&](QWidget* w) {
        auto* d = static_cast<TfrmDrawingPage*>(w);
        d->seResolution->setValue(200);
        d->accept();
    });
    QVERIFY(Drive(f).OpenFile(QStringLiteral(PRODUCER_CHARTS "/r-black-curves.pdf")));
    v.SetZoom(1.0f);
    QCoreApplication::processEvents();
    // The middle of the legend's sample of "model", as the drawing has it.
    const QPointF sample(186.2, 202.8);
    QAction* pick = Drive(f).Action("acPickDrawing");
    pick->trigger();
    Click(&v, sample);
    QCOMPARE(job.CurrentSeries().Name, QStringLiteral("model"));
    QCOMPARE(job.CurrentSeries().Points.size(), std::size_t(60));
    QVERIFY(std::none_of(job.CurrentSeries().Points.begin(), job.CurrentSeries().Points.end(),
                         [&](const TSeriesPoint& p) { return std::abs(p.Y - sample.y()) < 1; }));
    Drive(f).UndoStack().undo();
    QCOMPARE(job.CurrentSeries().Name, QStringLiteral("Series 1"));
    Drive(f).UndoStack().undo();
    QVERIFY(job.CurrentSeries().Points.empty());

    job.RenameSeries(job.Current, QStringLiteral("mine"));
    pick->trigger();
    Click(&v, sample);
    QCOMPARE(job.CurrentSeries().Name, QStringLiteral("mine"));
    QCOMPARE(job.CurrentSeries().Points.size(), std::size_t(60));
}

void TestDrawingWindow::sessionPageRead_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("page and resolution") << QByteArray("page=3\r\nresolution=72.5\r\n") << 3 << QString();
    QTest::newRow("neither") << QByteArray() << 0 << QString();
    QTest::newRow("page 0") << QByteArray("page=0\r\nresolution=300\r\n") << 0
                            << "its [image] page=0 is not a page number";
    QTest::newRow("page in words") << QByteArray("page=two\r\nresolution=300\r\n") << 0
                                   << "its [image] page=two is not a page number";
    QTest::newRow("no resolution") << QByteArray("page=2\r\n") << 0
                                   << "its [image] resolution= is not 10 to 2400 dots an inch";
    QTest::newRow("resolution too fine") << QByteArray("page=2\r\nresolution=9600\r\n") << 0
                                         << "its [image] resolution=9600 is not 10 to 2400 dots an inch";
}

void TestDrawingWindow::sessionPageRead()
{
    QFETCH(QByteArray, keys);
    QFETCH(int, page);
    QFETCH(QString, refusal);
    const QByteArray text = "[image]\r\npath=chart.pdf\r\nangle=0\r\nzoom=1\r\n" + keys + "[dimensions]\r\nx1=0\r\n";
    try {
        const TSession s = ParseSession(text, QStringLiteral("s.qsf"));
        QVERIFY2(refusal.isEmpty(), "read a page it should refuse");
        QCOMPARE(s.Page, page);
        if (page > 0)
            QCOMPARE(s.Resolution, 72.5);
    } catch (const EConvertError& e) {
        QVERIFY2(e.Message.endsWith(refusal) && !refusal.isEmpty(), qPrintable(e.Message));
    }
}

QTEST_MAIN(TestDrawingWindow)
#include "test_drawingwindow.moc"

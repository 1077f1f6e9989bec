// A page of a drawing in the window: chosen and rendered, its curves and
// markers picked exactly, undone, and kept by the session.
#include "main/formMain.h"
#include "ChartTruth.h"
#include "ModalDriver.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "document/SessionFile.h"
#include "platform/Conversions.h"
#include "widgets/formDrawingPage.h"

#include <QListWidget>
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

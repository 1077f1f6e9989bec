// Several series through the main window: clicks, the list, the drawing,
// the Series commands and their undo, sessions and the all-series export.
#include "main/formMain.h"
#include "WindowDriver.h"

#include "ModalDriver.h"
#include "TestFiles.h"
#include "document/SessionFile.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <FreeImage.h>

namespace {

QString SavePicture(const QString& path, int width, int height)
{
    FIBITMAP* dib = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y)
        std::fill_n(FreeImage_GetScanLine(dib, y), 3 * width, BYTE(255));
    const bool saved = FreeImage_Save(FIF_PNG, dib, QFile::encodeName(path).constData(), 0);
    FreeImage_Unload(dib);
    return saved ? path : QString();
}

void Click(QWidget* view, QPoint at)
{
    QTest::mouseMove(view, at);
    QTest::mouseClick(view, Qt::LeftButton, {}, at);
}

std::vector<TSeriesPoint> Points(std::initializer_list<TSeriesPoint> points)
{
    return points;
}

} // namespace

class TestSeries : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void clicksWorkOnTheCurrentSeriesOnly();
    void otherSeriesAreDrawnInTheirLooks();
    void seriesCommandsAreUndoable();
    void deletingASeriesWithPointsAsks();
    void renameRefusesTakenNames();
    void sessionKeepsEverySeries();
    void exportAllSeriesWritesCsv();
    void aJobInTheStoredLookSavesAsOneSeries();

private:
    TQuillonView& View() const { return *Drive(*FForm).QuillonView(); }
    QString Path(const char* name) const { return FDir.filePath(QString::fromLatin1(name)); }
    QStringList ListNames() const;
    QStringList ChooserItems() const;

    TScopedConfigHome FHome;
    QTemporaryDir FDir;
    std::unique_ptr<Tmainform> FForm;
};

void TestSeries::init()
{
    QFile::remove(FHome.SettingsFile());
    StoreStartupTip(false);
    FForm = std::make_unique<Tmainform>();
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
    QVERIFY(Drive(*FForm).LoadImageFile(SavePicture(Path("chart.png"), 300, 200)));
    View().SetZoom(1.0f);
    View().SetMappingRect({0, 0, 299, 199});
    View().SetAxisValues(0, 100, 300, 0);
    QCoreApplication::processEvents();
}

void TestSeries::cleanup()
{
    Drive(*FForm).UndoStack().setClean();
    FForm.reset();
}

QStringList TestSeries::ListNames() const
{
    QStringList names;
    for (int r = 0; r < Drive(*FForm).ListModel()->Count(); ++r)
        names << Drive(*FForm).ListModel()->Cell(r, 0);
    return names;
}

QStringList TestSeries::ChooserItems() const
{
    QStringList items;
    for (int i = 0; i < Drive(*FForm).cbSeries()->count(); ++i)
        items << Drive(*FForm).cbSeries()->itemText(i);
    return items;
}

void TestSeries::clicksWorkOnTheCurrentSeriesOnly()
{
    View().SetMouseAction(maClick);
    Click(&View(), {40, 50});
    Click(&View(), {80, 60});
    Drive(*FForm).Action("acSeriesNew")->trigger();
    QCOMPARE(ChooserItems(), (QStringList{"Series 1", "Series 2"}));
    QCOMPARE(Drive(*FForm).cbSeries()->currentIndex(), 1);
    QCOMPARE(Drive(*FForm).ListModel()->Count(), 0);

    // A click on series 1's point adds to series 2 and leaves series 1 be.
    Click(&View(), {40, 50});
    QCOMPARE(ListNames(), QStringList{"1"});
    const TJobDocument& job = Drive(*FForm).Document();
    QVERIFY(job.Series[0].Points == Points({{"1", 40, 50}, {"2", 80, 60}}));
    QVERIFY(job.Series[1].Points == Points({{"1", 40, 50}}));
    // A second click there toggles series 2's own point off.
    Click(&View(), {40, 50});
    QCOMPARE(Drive(*FForm).ListModel()->Count(), 0);
    QCOMPARE(Drive(*FForm).Document().Series[0].Points.size(), std::size_t(2));

    // Back to series 1 by the chooser: the list shows its points, and the
    // exports write them only.
    Drive(*FForm).cbSeries()->activated(0);
    QCOMPARE(ListNames(), (QStringList{"1", "2"}));
    QCOMPARE(Drive(*FForm).DataText(u' ').count(QStringLiteral("\r\n")), 2);
    QVERIFY(!Drive(*FForm).Action("acSeriesPrevious")->isEnabled());
    QVERIFY(Drive(*FForm).Action("acSeriesNext")->isEnabled());
}

void TestSeries::otherSeriesAreDrawnInTheirLooks()
{
    // What Preferences does: its point options are the current series' look.
    auto prefer = [this](TColor colour, int size) {
        View().Settings->PointColour = colour;
        View().Settings->PointSize = size;
        Drive(*FForm).Document().CurrentSeries().Look = View().Settings->Look();
    };
    View().AddSite(QStringLiteral("1"), 100, 100);
    prefer(0x0000FF, 4); // red
    Drive(*FForm).Action("acSeriesNew")->trigger();
    const TColor second = Drive(*FForm).Document().Series[1].Look.PointColour;
    QVERIFY(second != 0x0000FF);
    View().AddSite(QStringLiteral("1"), 200, 100);
    // Drawn at a fractional zoom too: each series in its own colour.
    for (const float zoom : {1.0f, 1.5f}) {
        View().SetZoom(zoom);
        const QImage shot = View().grab().toImage();
        auto at = [&](int x, int y) {
            return shot.pixelColor(int(std::nearbyint(x * zoom)) + 3, int(std::nearbyint(y * zoom))).rgb() & 0xFFFFFFu;
        };
        QCOMPARE(at(100, 100), 0xFF0000u);
        QCOMPARE(at(200, 100), ColourRgb(second) & 0xFFFFFFu);
    }
    // Preferences belong to the current series: series 1 keeps its red.
    prefer(0x00FF00, 4);
    Drive(*FForm).Action("acSeriesPrevious")->trigger();
    QCOMPARE(View().Settings->PointColour, TColor(0x0000FF));
    QCOMPARE(Drive(*FForm).Document().Series[1].Look.PointColour, TColor(0x00FF00));
}

void TestSeries::seriesCommandsAreUndoable()
{
    View().AddSite(QStringLiteral("1"), 10, 20);
    Drive(*FForm).UndoStack().clear();
    Drive(*FForm).Action("acSeriesNew")->trigger();
    // A click is a step of its own, which a series step undone or redone
    // relies on.
    Drive(*FForm).Action("acClickMode")->trigger();
    Click(&View(), {30, 40});
    Drive(*FForm).Action("acSeriesPrevious")->trigger();
    QCOMPARE(Drive(*FForm).UndoStack().count(), 3);
    QCOMPARE(Drive(*FForm).UndoStack().undoText(), QStringLiteral("Choose Series 1"));

    Drive(*FForm).UndoStack().undo(); // back on series 2, with its point
    QCOMPARE(Drive(*FForm).cbSeries()->currentIndex(), 1);
    QCOMPARE(ListNames(), QStringList{"1"});
    Drive(*FForm).UndoStack().undo();
    Drive(*FForm).UndoStack().undo(); // no series 2
    QCOMPARE(ChooserItems(), QStringList{"Series 1"});
    QCOMPARE(ListNames(), QStringList{"1"});
    Drive(*FForm).UndoStack().redo();
    Drive(*FForm).UndoStack().redo();
    Drive(*FForm).UndoStack().redo();
    QCOMPARE(ChooserItems(), (QStringList{"Series 1", "Series 2"}));
    QCOMPARE(Drive(*FForm).cbSeries()->currentIndex(), 0);
    QVERIFY(Drive(*FForm).Document().Series[1].Points == Points({{"1", 30, 40}}));

    {
        WhenModalShown box("QMessageBox", [](QWidget* w) {
            static_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
        });
        Drive(*FForm).Action("acSeriesDelete")->trigger();
    }
    QCOMPARE(ChooserItems(), QStringList{"Series 2"});
    QCOMPARE(View().GetSite(0)->X, 30);
    Drive(*FForm).UndoStack().undo();
    QCOMPARE(ChooserItems(), (QStringList{"Series 1", "Series 2"}));
    QCOMPARE(ListNames(), QStringList{"1"});
}

void TestSeries::deletingASeriesWithPointsAsks()
{
    Drive(*FForm).Action("acSeriesNew")->trigger();
    QVERIFY(Drive(*FForm).Action("acSeriesDelete")->isEnabled());
    View().AddSite(QStringLiteral("1"), 10, 20);
    View().AddSite(QStringLiteral("2"), 10, 30);
    QString text;
    {
        WhenModalShown box("QMessageBox", [&](QWidget* w) {
            auto* b = static_cast<QMessageBox*>(w);
            text = b->text();
            b->button(QMessageBox::No)->click();
        });
        Drive(*FForm).Action("acSeriesDelete")->trigger();
        QVERIFY(box.Answered());
    }
    QCOMPARE(text, QStringLiteral("Delete the series \"Series 2\" and its 2 points?"));
    QCOMPARE(ChooserItems(), (QStringList{"Series 1", "Series 2"}));

    // An empty series goes without a question; the last one never goes.
    View().ClearSites();
    {
        WhenModalShown box("QMessageBox", [](QWidget* w) { static_cast<QMessageBox*>(w)->reject(); });
        Drive(*FForm).Action("acSeriesDelete")->trigger();
        QVERIFY(!box.Answered());
    }
    QCOMPARE(ChooserItems(), QStringList{"Series 1"});
    Drive(*FForm).UpdateCommands();
    QVERIFY(!Drive(*FForm).Action("acSeriesDelete")->isEnabled());
}

void TestSeries::renameRefusesTakenNames()
{
    Drive(*FForm).Action("acSeriesNew")->trigger();
    QStringList typed{"series 1", "Pressure"};
    QString refusal;
    {
        WhenModalShown refused("QMessageBox", ReadInto(refusal));
        WhenModalShown first("QInputDialog", [&](QWidget* w) {
            auto* dialog = static_cast<QInputDialog*>(w);
            dialog->setTextValue(typed.takeFirst());
            dialog->accept();
        });
        QTimer again;
        // The dialog comes back after the refusal with the name typed.
        connect(&again, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (dialog && refused.Answered() && !typed.isEmpty()) {
                QCOMPARE(dialog->textValue(), QStringLiteral("series 1"));
                dialog->setTextValue(typed.takeFirst());
                dialog->accept();
            }
        });
        again.start(20);
        Drive(*FForm).Action("acSeriesRename")->trigger();
    }
    QCOMPARE(refusal, QStringLiteral("There is already a series named \"Series 1\"."));
    QCOMPARE(ChooserItems(), (QStringList{"Series 1", "Pressure"}));
    QCOMPARE(Drive(*FForm).UndoStack().undoText(), QStringLiteral("Rename Series"));
    Drive(*FForm).UndoStack().undo();
    QCOMPARE(ChooserItems(), (QStringList{"Series 1", "Series 2"}));
}

void TestSeries::sessionKeepsEverySeries()
{
    View().AddSite(QStringLiteral("1"), 10, 20);
    Drive(*FForm).Action("acSeriesNew")->trigger();
    View().AddSite(QStringLiteral("1"), 50, 60);
    View().AddSite(QStringLiteral("2"), 70, 80);
    Drive(*FForm).Action("acSeriesNew")->trigger(); // empty, and current when saved
    Drive(*FForm).SaveSessionFile(Path("job.qsf"));
    const TJobDocument& saved = Drive(*FForm).Document();

    Tmainform other;
    Drive(other).LoadSessionFile(Path("job.qsf"));
    const TJobDocument& loaded = Drive(other).Document();
    QCOMPARE(loaded.Series.size(), std::size_t(3));
    for (std::size_t i = 0; i < 3; ++i)
        QVERIFY(loaded.Series[i] == saved.Series[i]);
    QCOMPARE(Drive(other).cbSeries()->currentIndex(), 2);
    QCOMPARE(Drive(other).ListModel()->Count(), 0);
    Drive(other).SaveSessionFile(Path("again.qsf"));
    QCOMPARE(ReadTextFile(Path("again.qsf")), ReadTextFile(Path("job.qsf")));

    // A one-series file loads into one series again: the others go.
    Drive(other).Action("acSeriesPrevious")->trigger();
    QFile legacy(Path("one.qsf"));
    QVERIFY(legacy.open(QIODevice::WriteOnly));
    legacy.write("[dimensions]\r\nx1=0\r\n[series/series1]\r\n5=1,2\r\n");
    legacy.close();
    Drive(other).LoadSessionFile(Path("one.qsf"));
    QCOMPARE(Drive(other).cbSeries()->count(), 1);
    QCOMPARE(Drive(other).cbSeries()->itemText(0), QStringLiteral("Series 1"));
    QCOMPARE(Drive(other).ListModel()->Cell(0, 0), QStringLiteral("5"));
    Drive(other).UndoStack().setClean();
}

void TestSeries::exportAllSeriesWritesCsv()
{
    QVERIFY(!Drive(*FForm).Action("acExportAllSeries")->isEnabled());
    View().AddSite(QStringLiteral("1"), 30, 100);
    Drive(*FForm).Action("acSeriesNew")->trigger();
    Drive(*FForm).UpdateCommands();
    // The points of a series not shown count too.
    QVERIFY(Drive(*FForm).Action("acExportAllSeries")->isEnabled());
    View().AddSite(QStringLiteral("1"), 150, 50);
    QString title;
    {
        WhenModalShown save("QFileDialog", [&](QWidget* w) {
            auto* dialog = static_cast<QFileDialog*>(w);
            title = dialog->windowTitle();
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(Path("all"));
            static_cast<QDialog*>(dialog)->accept();
        });
        Drive(*FForm).Action("acExportAllSeries")->trigger();
    }
    QCOMPARE(title, QStringLiteral("Export All Series"));
    QCOMPARE(ReadTextFile(Path("all.csv")), QByteArray("series,point,x,y,pixel x,pixel y\r\n"
                                                      "Series 1,1,30.100334448160535,49.74874371859296,30,100\r\n"
                                                      "Series 2,1,150.50167224080266,74.87437185929649,150,50\r\n"));
}

// The user's own look is the first series' look, so a job of that one
// series is saved in the one-series format.
void TestSeries::aJobInTheStoredLookSavesAsOneSeries()
{
    TQuillonViewSettings stored;
    stored.PointColour = 0x123456;
    stored.PointSize = 9;
    stored.SaveSettings();
    Tmainform other;
    Drive(other).QuillonView()->AddSite(QStringLiteral("1"), 10, 20);
    Drive(other).SaveSessionFile(Path("own.qsf"));
    QVERIFY(ReadTextFile(Path("own.qsf")).contains("[series/series1]"));
    QVERIFY(!ReadTextFile(Path("own.qsf")).contains("[series]"));
}

QTEST_MAIN(TestSeries)
#include "test_series.moc"

#include "main/formMain.h"
#include "WindowDriver.h"

#include "ModalDriver.h"
#include "TestFiles.h"
#include "Unprivileged.h"
#include "platform/Conversions.h"
#include "ExactCompare.h"
#include "platform/FileError.h"
#include "platform/ProfileFile.h"
#include "main/BatchExport.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QStatusBar>
#include <QtTest>

#include <cmath>
#include <sys/stat.h>

namespace {

QString SavePicture(const QString& path, int width, int height)
{
    FIBITMAP* dib = FreeImage_Allocate(width, height, 24);
    const bool saved = FreeImage_Save(FIF_PNG, dib, QFile::encodeName(path).constData(), 0);
    FreeImage_Unload(dib);
    return saved ? path : QString();
}

QStringList Names(const TQuillonView& v)
{
    QStringList names;
    for (int i = 0; i < v.SiteCount(); ++i)
        names << v.GetSite(i)->Name;
    return names;
}

// Types a name into a file dialog's name field, as a user would.
void TypeFileName(QFileDialog* dialog, const QString& name)
{
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(name);
}

QString ErrorOf(const std::function<void()>& run)
{
    try {
        run();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("no error");
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void writesTheExampleByteForByte();
    void withoutImageAndRectangle();
    void zoomAsFloat();
    void roundTrip();
    void readingRules();
    void pointsInFileOrderFirstNameWins();
    void missingImageKeepsPicture();
    void pictureMovedWithItsSessionIsFound_data();
    void pictureMovedWithItsSessionIsFound();
    void aLostPictureIsLocatedOrNamed();
    void unreadableFileChangesNothing();
    void malformedPointChangesNothing();
    void savingOverReplacesTheWholeFile();
    void refusedSaveKeepsPreviousFile();
    void loadedAngleGivesTheData();
    void commaSeparator();
    void dialogsAndDefaultSuffixes();
    void exportsLinesAsDisplayed();
    void exportsFollowSortAndLocale();
    void exportCommandsNeedRows();
    void exportReplacesFileAndKeepsItOnFailure();
    void repeatedNameReadsItsFirstEntry();
    void badZoomLoadsAsOne();
    void quietlyWrongValuesAreNamed_data();
    void quietlyWrongValuesAreNamed();
    void savesInPlaceInAFolderThatTakesNoNewFile();
    void exportsKeepAHundredthOfAPixel();
    void onlyRegularFilesOfBoundedSizeAreRead();
    void valuesNoPictureCanHaveAreRefused_data();
    void valuesNoPictureCanHaveAreRefused();
    void hugeAngleAndZoomLoadReduced();
    void latinOneSessionKeepsItsPathAndNames();
    void truncatedSessionIsNamed();
    void damagedPictureIsNamedOnLoad();

private:
    TScopedConfigHome FHome;
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<Tmainform> FForm;
    QString Path(const QString& name) const { return FDir->filePath(name); }
    // Loads a session that is expected to load with a warning; the warning's
    // text after the line that names the file.
    QString LoadWarning(const QString& file)
    {
        QString warning;
        {
            WhenModalShown reader("QMessageBox", ReadInto(warning));
            Drive(*FForm).LoadSessionFile(file);
        }
        const QString head = QStringLiteral("The session file %1 was loaded.\n\n").arg(file);
        return warning.startsWith(head) ? warning.mid(head.size()) : QStringLiteral("(no warning) ") + warning;
    }
};

void TestSession::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    StoreStartupTip(false);
    FForm = std::make_unique<Tmainform>();
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
}

void TestSession::cleanup()
{
    FForm.reset();
    FDir.reset();
    QLocale::setDefault(QLocale::c());
}

void TestSession::writesTheExampleByteForByte()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    const QString picture = SavePicture(Path("plot.png"), 700, 500);
    QVERIFY(Drive(*FForm).LoadImageFile(picture));
    v.SetMappingRect({52, 40, 610, 455});
    v.SetAxisValues(0, 1000, 10, 1);
    v.AxisYMap = amLog10;
    v.AddSite(QStringLiteral("1"), 120, 300);
    v.AddSite(QStringLiteral("2"), 180, 260);
    Drive(*FForm).SaveSessionFile(Path("job.qsf"));
    const QByteArray expected = "[image]\r\npath=" + picture.toUtf8() +
                                "\r\nangle=0\r\nzoom=1\r\n[screenrect]\r\nx1=52\r\nx2=610\r\ny1=40\r\ny2=455\r\n"
                                "[dimensions]\r\ny1=1\r\ny2=1000\r\nx1=0\r\nx2=10\r\nAxisXMap=0\r\nAxisYMap=1\r\n"
                                "[series/series1]\r\n1=120,300\r\n2=180,260\r\n";
    QCOMPARE(ReadTextFile(Path("job.qsf")), expected);
}

void TestSession::withoutImageAndRectangle()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    Drive(*FForm).Document().ImageFileName = Path("gone.png");
    v.SetMappingRect({10, 10, 10, 50});
    v.SetAngle(-2.5);
    Drive(*FForm).SaveSessionFile(Path("bare.qsf"));
    QCOMPARE(ReadTextFile(Path("bare.qsf")),
             QByteArray("[dimensions]\r\ny1=0\r\ny2=100\r\nx1=0\r\nx2=100\r\nAxisXMap=0\r\nAxisYMap=0\r\n"
                        "[image]\r\nangle=-2.5\r\nzoom=1\r\n"));
    v.AddSite(QStringLiteral("a"), -1, 2);
    Drive(*FForm).SaveSessionFile(Path("bare.qsf"));
    QVERIFY(ReadTextFile(Path("bare.qsf")).endsWith("[series/series1]\r\na=-1,2\r\n[image]\r\nangle=-2.5\r\nzoom=1\r\n"));
}

void TestSession::zoomAsFloat()
{
    Drive(*FForm).QuillonView()->SetZoom(1.0f / 3.0f);
    Drive(*FForm).SaveSessionFile(Path("z.qsf"));
    QVERIFY(ReadTextFile(Path("z.qsf")).contains("zoom=0.333333343267441\r\n"));
}

void TestSession::roundTrip()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    const QString picture = SavePicture(Path("chart.png"), 300, 200);
    QVERIFY(Drive(*FForm).LoadImageFile(picture));
    v.SetMappingRect({20, 10, 280, 190});
    v.SetAxisValues(1, 5e-7, 1000, -3.25);
    v.AxisXMap = amLog10;
    v.AddSite(QStringLiteral("3"), 100, 100);
    v.AddSite(QStringLiteral("1"), 150, 50);
    v.SetAngle(12.5);
    v.SetZoom(2);
    Drive(*FForm).SaveSessionFile(Path("round.qsf"));

    Tmainform other;
    other.show();
    Drive(other).QuillonView()->SetMouseAction(maClick);
    Drive(other).LoadSessionFile(Path("round.qsf"));
    TQuillonView& w = *Drive(other).QuillonView();
    QCOMPARE(Drive(other).Document().ImageFileName, picture);
    QCOMPARE(w.ImageWidth(), 300);
    QCOMPARE(w.MappingRect, (TRect{20, 10, 280, 190}));
    QCOMPARE(w.XLeftValue, 1.0);
    QCOMPARE(w.YTopValue, 5e-7);
    QCOMPARE(w.XRightValue, 1000.0);
    QCOMPARE(w.YBottomValue, -3.25);
    QCOMPARE(w.AxisXMap, amLog10);
    QCOMPARE(w.AxisYMap, amLinear);
    QCOMPARE(Names(w), (QStringList{"3", "1"}));
    QCOMPARE(w.Angle, 12.5);
    QCOMPARE(w.Zoom, 2.0f);
    QCOMPARE(Drive(other).ListModel()->Count(), 2);
    QCOMPARE(Drive(other).StatusPanels(4)->text(), QStringLiteral("Zoom: 2"));
}

void TestSession::readingRules()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    v.AxisXMap = amLog10;
    WriteTextFile(Path("rules.ini"), "[SCREENRECT]\nx1=0x10\nx2=12abc\ny1=0X1f\ny2= 40 \n"
                                     "[dimensions]\nAxisXMap=2\nAxisYMap=1\nx2=\n"
                                     "[image]\nzoom=abc\nangle=1E1\n");
    // Values that are no numbers give way to the defaults, and a Log10 X
    // axis from 0 loads, but not without a word.
    QCOMPARE(LoadWarning(Path("rules.ini")),
             QStringLiteral("Its value [screenrect] x2=12abc is not a whole number, so 0 was used.\n"
                            "Its value [image] zoom=abc is not a finite number, so 1 was used.\n"
                            "Its axis values fail a check of the Dimensions dialog: "
                            "The left value must be positive for a Log10 scale."));
    QCOMPARE(v.MappingRect, (TRect{16, 31, 0, 40}));
    QCOMPARE(v.AxisXMap, amLog10); // 2 leaves the kind as it was
    QCOMPARE(v.AxisYMap, amLog10);
    QCOMPARE(v.XLeftValue, 0.0);
    QCOMPARE(v.XRightValue, 100.0);
    QCOMPARE(v.YTopValue, 100.0);
    QCOMPARE(v.Zoom, 1.0f);
    QCOMPARE(v.Angle, 10.0);
    QCOMPARE(Drive(*FForm).Document().ImageFileName, QString());
}

void TestSession::pointsInFileOrderFirstNameWins()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    v.AddSite(QStringLiteral("old"), 1, 1);
    WriteTextFile(Path("points.qsf"), "[series/series1]\r\n7=10,20\r\n3=30,40\r\n7=50,60\r\n");
    Drive(*FForm).LoadSessionFile(Path("points.qsf"));
    QCOMPARE(Names(v), (QStringList{"7", "3"}));
    QCOMPARE(v.GetSite(0)->X, 10);
    QCOMPARE(v.GetSite(1)->Y, 40);
    QCOMPARE(Drive(*FForm).ListModel()->Count(), 2);
}

void TestSession::missingImageKeepsPicture()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    QVERIFY(Drive(*FForm).LoadImageFile(SavePicture(Path("shown.png"), 64, 48)));
    WriteTextFile(Path("moved.qsf"), "[image]\npath=" + Path("moved-away.png").toUtf8() + "\n");
    QString told;
    {
        WhenModalShown warned("QMessageBox", ReadInto(told));
        Drive(*FForm).LoadSessionFile(Path("moved.qsf"));
    }
    QVERIFY2(told.endsWith(QStringLiteral("Its picture %1 was not found, nor beside the session.").arg(Path("moved-away.png"))),
             qPrintable(told));
    QCOMPARE(Drive(*FForm).Document().ImageFileName, Path("moved-away.png"));
    QCOMPARE(v.ImageWidth(), 64);
}

// A session moved together with its picture finds it beside itself, by
// name or by the path it stored, says so, and saves where it now is.
void TestSession::pictureMovedWithItsSessionIsFound_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("now");
    QTest::newRow("by name") << "/nowhere/old/chart.png" << "chart.png";
    QTest::newRow("by its relative path") << "pics/chart.png" << "pics/chart.png";
}

void TestSession::pictureMovedWithItsSessionIsFound()
{
    QFETCH(QString, stored);
    QFETCH(QString, now);
    QVERIFY(QDir().mkpath(Path("moved/pics")));
    const QString picture = SavePicture(Path("moved/") + now, 70, 50);
    WriteTextFile(Path("moved/job.qsf"), "[image]\npath=" + stored.toUtf8() + "\n[series/series1]\n1=5,6\n");
    Drive(*FForm).LoadSessionFile(Path("moved/job.qsf"));
    QCOMPARE(Drive(*FForm).QuillonView()->ImageWidth(), 70);
    QCOMPARE(Drive(*FForm).Document().ImageFileName, picture);
    QCOMPARE(FForm->statusBar()->currentMessage(),
             QStringLiteral("The picture was not at %1; %2, beside the session, was opened.").arg(stored, picture));
    Drive(*FForm).SaveSessionFile(Path("moved/job.qsf"));
    QVERIFY(ReadTextFile(Path("moved/job.qsf")).contains("path=" + picture.toUtf8() + "\r\n"));
}

// A picture that is nowhere: the window offers to locate it, keeping the
// job and saving the new place; the command line takes it from --picture.
void TestSession::aLostPictureIsLocatedOrNamed()
{
    const QString picture = SavePicture(Path("elsewhere.png"), 70, 50);
    WriteTextFile(Path("lost.qsf"), "[image]\npath=" + Path("gone/chart.png").toUtf8() +
                                        "\n[screenrect]\nx1=0\nx2=69\ny1=0\ny2=49\n[dimensions]\n"
                                        "x1=0\nx2=69\ny1=0\ny2=49\n[series/series1]\n1=5,6\n");
    QMessageBox::ButtonRole chosen = QMessageBox::InvalidRole;
    WhenModalShown warning("QMessageBox", [&](QWidget* w) {
        auto* box = static_cast<QMessageBox*>(w);
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QMessageBox::ActionRole) {
                chosen = QMessageBox::ActionRole;
                button->click();
                return;
            }
        box->accept();
    });
    WhenModalShown dialog("QFileDialog", [&](QWidget* w) {
        TypeFileName(static_cast<QFileDialog*>(w), picture);
        static_cast<QDialog*>(w)->accept();
    });
    Drive(*FForm).LoadSessionFile(Path("lost.qsf"));
    QCOMPARE(chosen, QMessageBox::ActionRole);
    QCOMPARE(Drive(*FForm).QuillonView()->ImageWidth(), 70);
    QCOMPARE(Drive(*FForm).QuillonView()->SiteCount(), 1);
    QVERIFY(FForm->isWindowModified());
    Drive(*FForm).SaveSessionFile(Path("lost.qsf"));
    QVERIFY(ReadTextFile(Path("lost.qsf")).contains("path=" + picture.toUtf8() + "\r\n"));

    WriteTextFile(Path("lost.qsf"), "[image]\npath=" + Path("gone/chart.png").toUtf8() +
                                        "\n[screenrect]\nx1=0\nx2=69\ny1=0\ny2=49\n");
    TExtractRequest curve;
    curve.Kind = TExtractRequest::ekCurve;
    for (const QString& named : {QString(), picture}) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QString errors;
        QTextStream err(&errors);
        ExportSessionData(QStringLiteral("-"), Path("lost.qsf"), out, err, curve, named);
        QCOMPARE(errors.contains(QStringLiteral("no picture to extract from; name it with --picture")), named.isEmpty());
    }
}

void TestSession::unreadableFileChangesNothing()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    QVERIFY(Drive(*FForm).LoadImageFile(SavePicture(Path("keep.png"), 64, 48)));
    v.SetMappingRect({1, 2, 30, 40});
    v.AddSite(QStringLiteral("1"), 5, 5);
    const QString missing = Path("no-such.qsf");
    QCOMPARE(ErrorOf([&] { Drive(*FForm).LoadSessionFile(missing); }),
             QStringLiteral("Cannot open the session file %1: No such file or directory").arg(missing));
    QCOMPARE(v.MappingRect, (TRect{1, 2, 30, 40}));
    QCOMPARE(v.SiteCount(), 1);
    QCOMPARE(Drive(*FForm).ListModel()->Count(), 1);
    QCOMPARE(Drive(*FForm).Document().ImageFileName, Path("keep.png"));
}

void TestSession::malformedPointChangesNothing()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    v.SetMappingRect({1, 2, 30, 40});
    v.SetAxisValues(5, 6, 7, 8);
    v.AddSite(QStringLiteral("1"), 5, 5);
    for (const QByteArray& bad : {QByteArray("2=abc,4"), QByteArray("2=10"), QByteArray("a,b=1,2")}) {
        WriteTextFile(Path("bad.qsf"), "[screenrect]\nx1=9\nx2=99\ny1=9\ny2=99\n"
                                       "[series/series1]\n1=10,20\n" + bad + "\n");
        const QString error = ErrorOf([&] { Drive(*FForm).LoadSessionFile(Path("bad.qsf")); });
        QVERIFY2(error.startsWith(QStringLiteral("The session file ") + Path("bad.qsf")), qPrintable(error));
        QVERIFY2(error.endsWith(QStringLiteral("is not a valid integer value")), qPrintable(error));
        QCOMPARE(v.MappingRect, (TRect{1, 2, 30, 40}));
        QCOMPARE(v.XRightValue, 7.0);
        QCOMPARE(Names(v), QStringList{"1"});
        QCOMPARE(v.GetSite(0)->X, 5);
    }
    QVERIFY(ErrorOf([&] {
                WriteTextFile(Path("bad.qsf"), "[series/series1]\n2=abc,4\n");
                Drive(*FForm).LoadSessionFile(Path("bad.qsf"));
            }).contains(QStringLiteral("'abc' is not a valid integer value")));
}

void TestSession::savingOverReplacesTheWholeFile()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    v.SetMappingRect({1, 2, 30, 40});
    v.AddSite(QStringLiteral("1"), 5, 5);
    v.AddSite(QStringLiteral("2"), 6, 6);
    Drive(*FForm).SaveSessionFile(Path("again.qsf"));
    v.ClearSites();
    v.SetMappingRect({});
    v.AddSite(QStringLiteral("9"), 7, 7);
    Drive(*FForm).SaveSessionFile(Path("again.qsf"));
    Drive(*FForm).LoadSessionFile(Path("again.qsf"));
    QCOMPARE(Names(v), QStringList{"9"});
    QCOMPARE(v.MappingRect, TRect{});
}

void TestSession::refusedSaveKeepsPreviousFile()
{
    QDir().mkpath(Path("blocked.qsf"));
    const QString error = ErrorOf([&] { Drive(*FForm).SaveSessionFile(Path("blocked.qsf")); });
    QCOMPARE(error, QStringLiteral("Unable to write to %1: it is a folder").arg(Path("blocked.qsf")));
    WriteTextFile(Path("kept.qsf"), "[image]\r\nzoom=3\r\n");
    QVERIFY(ErrorOf([&] { Drive(*FForm).SaveSessionFile(Path("missing-dir/kept.qsf")); }).startsWith("Unable to write to"));
    QCOMPARE(ReadTextFile(Path("kept.qsf")), QByteArray("[image]\r\nzoom=3\r\n"));
}

void TestSession::loadedAngleGivesTheData()
{
    WriteTextFile(Path("turned.qsf"), "[screenrect]\nx1=10\nx2=110\ny1=20\ny2=220\n"
                                      "[series/series1]\n1=10,320\n[image]\nangle=90\n");
    Drive(*FForm).LoadSessionFile(Path("turned.qsf"));
    // 100 pixels below the origin corner is the far end of X at 90 degrees.
    QCOMPARE(Drive(*FForm).ListModel()->Cell(0, 1), QStringLiteral("100"));
    QCOMPARE(Drive(*FForm).ListModel()->Cell(0, 2), QStringLiteral("0"));
}

void TestSession::commaSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TQuillonView& v = *Drive(*FForm).QuillonView();
    v.SetAxisValues(0.5, 100, 100, 0);
    Drive(*FForm).SaveSessionFile(Path("comma.qsf"));
    QVERIFY(ReadTextFile(Path("comma.qsf")).contains("x1=0,5\r\n"));
    Drive(*FForm).LoadSessionFile(Path("comma.qsf"));
    QCOMPARE(v.XLeftValue, 0.5);
    // Read under a point locale the comma still counts: nothing is lost.
    QLocale::setDefault(QLocale::c());
    v.SetAxisValues(0, 100, 100, 0);
    Drive(*FForm).LoadSessionFile(Path("comma.qsf"));
    QCOMPARE(v.XLeftValue, 0.5);
    // And a point-locale file reads under a comma locale.
    WriteTextFile(Path("point.qsf"), "[dimensions]\r\ny2=100.5\r\nx2=2.5E-7\r\n[image]\r\nangle=1.25\r\n");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Drive(*FForm).LoadSessionFile(Path("point.qsf"));
    QVERIFY(v.YTopValue == 100.5);
    QVERIFY(v.XRightValue == 2.5E-7);
    QVERIFY(v.Angle == 1.25);
    // A thousands separator is never written, so one is not a number.
    WriteTextFile(Path("thousands.qsf"), "[dimensions]\r\nx2=1.000,5\r\n");
    QCOMPARE(LoadWarning(Path("thousands.qsf")),
             QStringLiteral("Its value [dimensions] x2=1.000,5 is not a finite number, so 100 was used."));
    QVERIFY(v.XRightValue == 100);
}

void TestSession::dialogsAndDefaultSuffixes()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    v.AddSite(QStringLiteral("5"), 1, 2);
    QString title;
    QString suffix;
    bool asks = false;
    {
        WhenModalShown save("QFileDialog", [&](QWidget* w) {
            auto* dialog = static_cast<QFileDialog*>(w);
            title = dialog->windowTitle();
            suffix = dialog->defaultSuffix();
            asks = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            TypeFileName(dialog, FDir->filePath("job"));
            static_cast<QDialog*>(dialog)->accept();
        });
        Drive(*FForm).Action("acSaveSession")->trigger();
    }
    QCOMPARE(title, QStringLiteral("Save Session File"));
    QCOMPARE(suffix, QStringLiteral("qsf"));
    // It asks before it replaces a file, the chart's picture say.
    QVERIFY(asks);
    QVERIFY(QFile::exists(Path("job.qsf")));
    QFile::copy(Path("job.qsf"), Path("job.ini"));
    v.ClearSites();
    v.SetMouseAction(maClick);
    {
        WhenModalShown open("QFileDialog", [&](QWidget* w) {
            auto* dialog = static_cast<QFileDialog*>(w);
            title = dialog->windowTitle();
            TypeFileName(dialog, FDir->filePath("job"));
            static_cast<QDialog*>(dialog)->accept();
        });
        Drive(*FForm).Action("acLoadSession")->trigger();
    }
    QCOMPARE(title, QStringLiteral("Open Session Template"));
    QCOMPARE(Names(v), QStringList{"5"});
    QCOMPARE(v.GetMouseAction(), maRubberBand);
}

void TestSession::exportsLinesAsDisplayed()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.SetMappingRect({0, 0, 100, 100});
    v.SetAxisValues(0, 0.0001, 1.25e7, -0.0001);
    v.AddSite(QStringLiteral("1"), 4, 0);
    v.AddSite(QStringLiteral("2"), 99, 50);
    v.AddSite(QStringLiteral("3"), 0, 95);
    QString shown;
    const TDataListModel& model = *Drive(f).ListModel();
    for (int row = 0; row < model.Count(); ++row)
        shown += model.Cell(row, 1) + u' ' + model.Cell(row, 2) + QStringLiteral("\r\n");
    const QString expected = QStringLiteral("500000 0.0001\r\n1.2375E007 0\r\n0 -9E-005\r\n");
    QCOMPARE(shown, expected);
    Drive(f).SaveDataFile(Path("data.txt"));
    QCOMPARE(ReadTextFile(Path("data.txt")), expected.toUtf8());
    Drive(f).UpdateCommands();
    Drive(f).Action("acCopyToClipboard")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString(expected).replace(u' ', u'\t'));
}

void TestSession::exportsFollowSortAndLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.SetMappingRect({0, 0, 100, 100});
    v.SetAxisValues(0, 50, 1, 0); // X 0..1, Y 0..50
    v.AddSite(QStringLiteral("1"), 50, 75);
    v.AddSite(QStringLiteral("2"), 25, 50);
    Drive(f).ListViewColumnClick(1); // "Data X", ascending
    QCOMPARE(Drive(f).DataText(u' '), QStringLiteral("0,25 25\r\n0,5 12,5\r\n"));
}

void TestSession::exportCommandsNeedRows()
{
    Tmainform& f = *FForm;
    Drive(f).UpdateCommands();
    QVERIFY(!Drive(f).Action("acCopyToClipboard")->isEnabled());
    QVERIFY(!Drive(f).Action("acDataToSSV")->isEnabled());
    QVERIFY(Drive(f).Action("acSaveSession")->isEnabled());
    Drive(f).QuillonView()->AddSite(QStringLiteral("1"), 1, 1);
    QVERIFY(Drive(f).Action("acCopyToClipboard")->isEnabled());
    QVERIFY(Drive(f).Action("acDataToSSV")->isEnabled());
}

void TestSession::exportReplacesFileAndKeepsItOnFailure()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.SetMappingRect({0, 0, 100, 100});
    v.AddSite(QStringLiteral("1"), 1, 98);
    v.AddSite(QStringLiteral("2"), 3, 96);
    Drive(f).SaveDataFile(Path("twice.txt"));
    v.DeleteSite(QStringLiteral("1"));
    Drive(f).SaveDataFile(Path("twice.txt"));
    QCOMPARE(ReadTextFile(Path("twice.txt")), QByteArray("3 4\r\n"));
    QString title;
    QString suffix;
    {
        WhenModalShown save("QFileDialog", [&](QWidget* w) {
            auto* dialog = static_cast<QFileDialog*>(w);
            title = dialog->windowTitle();
            suffix = dialog->defaultSuffix();
            dialog->reject();
        });
        Drive(f).Action("acDataToSSV")->trigger();
    }
    QCOMPARE(title, QStringLiteral("Save Data to File"));
    QCOMPARE(suffix, QStringLiteral("txt"));
    QDir().mkpath(Path("folder.txt"));
    QCOMPARE(ErrorOf([&] { Drive(f).SaveDataFile(Path("folder.txt")); }),
             QStringLiteral("Unable to write to %1: it is a folder").arg(Path("folder.txt")));
}

void TestSession::repeatedNameReadsItsFirstEntry()
{
    // A key's text is its first entry's, so the later, malformed repeat is
    // never parsed and the file loads.
    TQuillonView& v = *Drive(*FForm).QuillonView();
    WriteTextFile(Path("repeat.qsf"), "[series/series1]\r\n1=10,20\r\n2=30,40\r\n1=oops\r\nA=1,1\r\na=x\r\n");
    Drive(*FForm).LoadSessionFile(Path("repeat.qsf"));
    QCOMPARE(Names(v), (QStringList{"1", "2", "A"}));
    QCOMPARE(v.GetSite(0)->X, 10);
    QCOMPARE(v.GetSite(0)->Y, 20);
    QCOMPARE(Drive(*FForm).ListModel()->Count(), 3);
    // A malformed first entry still stops the load.
    WriteTextFile(Path("first.qsf"), "[series/series1]\r\n1=oops\r\n1=10,20\r\n");
    QVERIFY(ErrorOf([&] { Drive(*FForm).LoadSessionFile(Path("first.qsf")); }).endsWith("is not a valid integer value"));
}

void TestSession::badZoomLoadsAsOne()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    QVERIFY(Drive(*FForm).LoadImageFile(SavePicture(Path("zoom.png"), 40, 30)));
    for (const char* zoom : {"0", "-2", "nan", "NAN", "inf", "-0", "1E40"}) {
        v.SetZoom(3);
        WriteTextFile(Path("zoom.qsf"), QByteArray("[image]\r\nzoom=") + zoom + "\r\n");
        const QString warning = LoadWarning(Path("zoom.qsf"));
        QVERIFY2(warning.startsWith(QStringLiteral("Its value [image] zoom=%1 is not a ").arg(zoom)) &&
                     warning.endsWith(" so 1 was used."),
                 qPrintable(warning));
        QVERIFY2(v.Zoom == 1.0f, zoom);
        QCOMPARE(v.size(), QSize(40, 30));
    }
    // A positive zoom beyond the View menu's range is brought into it.
    WriteTextFile(Path("zoom.qsf"), "[image]\r\nzoom=80\r\n");
    Drive(*FForm).LoadSessionFile(Path("zoom.qsf"));
    QVERIFY(v.Zoom == TQuillonView::MaxZoom);
    WriteTextFile(Path("zoom.qsf"), "[image]\r\nzoom=0.01\r\n");
    Drive(*FForm).LoadSessionFile(Path("zoom.qsf"));
    QVERIFY(v.Zoom == TQuillonView::MinZoom);
    // A click then stores a pixel of the picture.
    v.SetMouseAction(maClick);
    QTest::mouseClick(&v, Qt::LeftButton, {}, {4, 4});
    QCOMPARE(v.SiteCount(), 1);
    QCOMPARE(v.GetSite(0)->X, 64);
}

void TestSession::savesInPlaceInAFolderThatTakesNoNewFile()
{
    // The user may replace the files but not add any to their folder.
    QTemporaryDir top;
    const QString folder = top.filePath(QStringLiteral("shared"));
    QVERIFY(QDir().mkpath(folder));
    const QString session = folder + QStringLiteral("/job.qsf");
    const QString data = folder + QStringLiteral("/data.txt");
    WriteTextFile(session, "old\r\n");
    WriteTextFile(data, "old\r\n");
    SetMode(QFile::encodeName(top.path()).constData(), 0755);
    SetMode(QFile::encodeName(folder).constData(), 0555);
    SetMode(QFile::encodeName(session).constData(), 0666);
    SetMode(QFile::encodeName(data).constData(), 0666);
    TQuillonView& v = *Drive(*FForm).QuillonView();
    v.SetMappingRect({0, 0, 10, 10});
    v.SetAxisValues(0, 10, 10, 0);
    v.AddSite(QStringLiteral("1"), 5, 6);
    {
        TUnprivileged user;
        // Done, but the user is told it could not be done safely.
        for (const auto& [file, save] : {std::pair<QString, std::function<void()>>{session, [&] { Drive(*FForm).SaveSessionFile(session); }},
                                         {data, [&] { Drive(*FForm).SaveDataFile(data); }}}) {
            QString told;
            WhenModalShown warned("QMessageBox", ReadInto(told));
            save();
            QCOMPARE(told, InPlaceWarning(file));
        }
        // A new file there is still refused, with the described message.
        QCOMPARE(ErrorOf([&] { Drive(*FForm).SaveSessionFile(folder + QStringLiteral("/new.qsf")); }),
                 QStringLiteral("Unable to write to %1/new.qsf: Permission denied").arg(folder));
    }
    SetMode(QFile::encodeName(folder).constData(), 0755); // for the clean-up
    QVERIFY(ReadTextFile(session).endsWith("[series/series1]\r\n1=5,6\r\n[image]\r\nangle=0\r\nzoom=1\r\n"));
    QVERIFY(ReadTextFile(session).startsWith("[screenrect]\r\n"));
    QCOMPARE(ReadTextFile(data), QByteArray("5 4\r\n"));
}

void TestSession::quietlyWrongValuesAreNamed_data()
{
    QTest::addColumn<QByteArray>("session");
    QTest::addColumn<QString>("warning");
    const QByteArray rect = "[screenrect]\nx1=10\nx2=110\ny1=20\ny2=220\n";
    QTest::newRow("no width") << QByteArray("[screenrect]\nx1=50\nx2=50\ny1=20\ny2=220\n")
                              << "Its plotting area [screenrect] x1=50, x2=50, y1=20, y2=220 has no width, so its "
                                 "points have no data values.";
    QTest::newRow("no height") << QByteArray("[screenrect]\nx1=10\nx2=110\ny1=7\ny2=7\n")
                               << "Its plotting area [screenrect] x1=10, x2=110, y1=7, y2=7 has no height, so its "
                                  "points have no data values.";
    QTest::newRow("nan") << rect + "[dimensions]\nx2=nan\n"
                         << "Its value [dimensions] x2=nan is not a finite number, so 100 was used.";
    QTest::newRow("point with no name") << rect + "[series/series1]\n1=10,20\n=60,260\n"
                                        << "A point of [series/series1] has no name, so its line =60,260 was not read.";
}

// Values that load as something else, or not at all, are named.
void TestSession::quietlyWrongValuesAreNamed()
{
    QFETCH(QByteArray, session);
    QFETCH(QString, warning);
    WriteTextFile(Path("odd.qsf"), session);
    QCOMPARE(LoadWarning(Path("odd.qsf")), warning);
}

void TestSession::exportsKeepAHundredthOfAPixel()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    // 1000 pixels for a thousandth along X: six digits would say 1000 for
    // every point.
    v.SetMappingRect({0, 0, 1000, 100});
    v.SetAxisValues(1000.001, 100, 1000.002, 0);
    v.AddSite(QStringLiteral("1"), 250, 100);
    v.AddSite(QStringLiteral("2"), 500, 50);
    Drive(f).SaveDataFile(Path("fine.txt"));
    QCOMPARE(ReadTextFile(Path("fine.txt")), QByteArray("1000.00125 0\r\n1000.0015 50\r\n"));
    // Where six digits do, the lines are those of six digits.
    v.SetAxisValues(0, 100, 1000, 0);
    Drive(f).SaveDataFile(Path("plain.txt"));
    QCOMPARE(ReadTextFile(Path("plain.txt")), QByteArray("250 0\r\n500 50\r\n"));
}

void TestSession::onlyRegularFilesOfBoundedSizeAreRead()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    v.AddSite(QStringLiteral("kept"), 1, 1);
    const QString fifo = Path("fifo.qsf");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A FIFO with no writer would hold the open forever; /dev/zero never ends.
    for (const QString& path : {fifo, QStringLiteral("/dev/zero")})
        QCOMPARE(ErrorOf([&] { Drive(*FForm).LoadSessionFile(path); }),
                 QStringLiteral("Cannot open the session file %1: it is not a regular file").arg(path));
    QFile big(Path("big.qsf"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(TProfileFile::MaxFileBytes + 1)); // sparse: costs no disk
    big.close();
    QCOMPARE(ErrorOf([&] { Drive(*FForm).LoadSessionFile(Path("big.qsf")); }),
             QStringLiteral("Cannot open the session file %1: it holds %2 bytes, more than the %3 allowed")
                 .arg(Path("big.qsf"))
                 .arg(TProfileFile::MaxFileBytes + 1)
                 .arg(TProfileFile::MaxFileBytes));
    QCOMPARE(v.SiteCount(), 1);
}

void TestSession::valuesNoPictureCanHaveAreRefused_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("why");
    QTest::newRow("rectangle at int's end") << QByteArray("[screenrect]\nx1=-2147483648\nx2=2147483647\ny1=0\ny2=5\n")
                                          << "screenrect x1 = -2147483648 lies outside -10000000 to 10000000";
    QTest::newRow("rectangle just past") << QByteArray("[screenrect]\nx1=0\nx2=5\ny1=0\ny2=10000001\n")
                                       << "screenrect y2 = 10000001 lies outside -10000000 to 10000000";
    QTest::newRow("point just past") << QByteArray("[series/series1]\n1=3,4\n2=-10000001,4\n")
                                   << "point 2 X = -10000001 lies outside -10000000 to 10000000";
}

void TestSession::valuesNoPictureCanHaveAreRefused()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, why);
    TQuillonView& v = *Drive(*FForm).QuillonView();
    v.SetMappingRect({1, 2, 30, 40});
    v.AddSite(QStringLiteral("kept"), 1, 1);
    WriteTextFile(Path("far.qsf"), text);
    QCOMPARE(ErrorOf([&] { Drive(*FForm).LoadSessionFile(Path("far.qsf")); }),
             QStringLiteral("The session file %1 cannot be loaded: %2").arg(Path("far.qsf"), why));
    QCOMPARE(v.MappingRect, (TRect{1, 2, 30, 40}));
    QCOMPARE(v.SiteCount(), 1);
    // The limit itself loads.
    WriteTextFile(Path("edge.qsf"), "[screenrect]\nx1=-10000000\nx2=10000000\ny1=-10000000\ny2=10000000\n"
                                    "[series/series1]\n1=10000000,-10000000\n");
    Drive(*FForm).LoadSessionFile(Path("edge.qsf"));
    QCOMPARE(v.MappingRect, (TRect{-10000000, -10000000, 10000000, 10000000}));
    QCOMPARE(Drive(*FForm).ListModel()->Cell(0, 1).isEmpty(), false);
}

void TestSession::hugeAngleAndZoomLoadReduced()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    WriteTextFile(Path("huge.qsf"), "[screenrect]\nx1=0\nx2=100\ny1=0\ny2=100\n[image]\nangle=1e308\nzoom=1e39\n"
                                    "[series/series1]\n1=50,50\n");
    QCOMPARE(LoadWarning(Path("huge.qsf")), QStringLiteral("Its value [image] zoom=1e39 is not a zoom, so 1 was used."));
    QCOMPARE_EXACT(v.Angle, std::fmod(1e308, 360.0));
    QVERIFY(v.Angle >= 0 && v.Angle < 360);
    QCOMPARE_EXACT(v.Zoom, 1.0f);
    WriteTextFile(Path("turned.qsf"), "[image]\nangle=-725.5\nzoom=4.5\n");
    Drive(*FForm).LoadSessionFile(Path("turned.qsf"));
    QCOMPARE_EXACT(v.Angle, -5.5);
    QCOMPARE_EXACT(v.Zoom, 4.5f);
}

void TestSession::latinOneSessionKeepsItsPathAndNames()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    const QString picture = SavePicture(Path(QStringLiteral("\u00e9t\u00e9.png")), 30, 20);
    QVERIFY(!picture.isEmpty());
    // Written by a program that speaks Latin-1: the path and a name are not
    // UTF-8, the rest is plain ASCII.
    WriteTextFile(Path("latin.qsf"), "[image]\npath=" + picture.toLatin1() + "\n[series/series1]\nna\xefve=3,4\n");
    Drive(*FForm).LoadSessionFile(Path("latin.qsf"));
    QCOMPARE(Drive(*FForm).Document().ImageFileName, picture);
    QCOMPARE(v.ImageWidth(), 30);
    QCOMPARE(v.GetSite(0)->Name, QStringLiteral("na\u00efve"));
    Drive(*FForm).SaveSessionFile(Path("again.qsf"));
    QVERIFY(ReadTextFile(Path("again.qsf")).contains("path=" + picture.toUtf8() + "\r\n"));
    QVERIFY(ReadTextFile(Path("again.qsf")).contains(QStringLiteral("na\u00efve=3,4").toUtf8()));
}

void TestSession::truncatedSessionIsNamed()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    WriteTextFile(Path("cut.qsf"), "[series/series1]\n1=3,4\n2=5,6");
    QCOMPARE(LoadWarning(Path("cut.qsf")),
             QStringLiteral("It looks truncated: its last line has no line end, so its last value may be wrong."));
    QCOMPARE(v.SiteCount(), 2);
    // A file that ends with its line end says nothing: nothing modal stops this.
    WriteTextFile(Path("whole.qsf"), "[series/series1]\r\n1=3,4\r\n");
    Drive(*FForm).LoadSessionFile(Path("whole.qsf"));
    QCOMPARE(v.SiteCount(), 1);
}

void TestSession::damagedPictureIsNamedOnLoad()
{
    TQuillonView& v = *Drive(*FForm).QuillonView();
    FIBITMAP* dib = FreeImage_Allocate(40, 30, 24);
    QVERIFY(FreeImage_Save(FIF_BMP, dib, QFile::encodeName(Path("whole.bmp")).constData(), 0));
    FreeImage_Unload(dib);
    const QByteArray whole = ReadTextFile(Path("whole.bmp"));
    WriteTextFile(Path("cut.bmp"), whole.left(whole.size() / 2));
    WriteTextFile(Path("job.qsf"), "[image]\npath=" + Path("cut.bmp").toUtf8() + "\n");
    QCOMPARE(LoadWarning(Path("job.qsf")), QStringLiteral("The picture %1 is damaged: the file ends before the "
                                                          "picture does. What could be read is shown.")
                                               .arg(Path("cut.bmp")));
    QCOMPARE(v.ImageWidth(), 40);
}

QTEST_MAIN(TestSession)
#include "test_session.moc"

// The command line: its options, and the program itself run without a
// display for help, version and export, its export checked byte for byte
// against the window's own.
#include "main/CommandLine.h"
#include "main/formMain.h"
#include "WindowDriver.h"

#include "ChartTruth.h"
#include "ProcessRun.h"
#include "TestFiles.h"

#include <QtTest>

#include <FreeImage.h>

namespace {

// The program with no display at all.
TRun RunProgram(const QStringList& arguments)
{
    return RunProcess(QStringLiteral(QUILLON_EXECUTABLE), arguments, WithoutDisplay());
}

QString SavePicture(const QString& path, int width, int height)
{
    FIBITMAP* dib = FreeImage_Allocate(width, height, 24);
    const bool saved = FreeImage_Save(FIF_PNG, dib, QFile::encodeName(path).constData(), 0);
    FreeImage_Unload(dib);
    return saved ? path : QString();
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void init();
    void options_data();
    void options();
    void versionAndHelpNeedNoDisplay();
    void windowWithoutDisplayIsRefused();
    void exportWritesTheWindowsBytes();
    void exportWarningsGoToStandardError();
    void failedExportLeavesOutAlone_data();
    void failedExportLeavesOutAlone();
    void exportRefusesPointsWithoutDataValues();
    void exportNeverWritesOverItsInputs_data();
    void exportNeverWritesOverItsInputs();
    void failedWritesToStandardOutputFail();
    void calibrationFileReplacesTheMap_data();
    void calibrationFileReplacesTheMap();
    void drawingGivesItsOwnValues_data();
    void drawingGivesItsOwnValues();
    void pictureAxes_data();
    void pictureAxes();

private:
    QString Path(const char* name) const { return FDir.filePath(QString::fromLatin1(name)); }
    // A session of three points on a log axis, with its picture.
    QString WriteSession();
    // What the window shows and writes for a session.
    QByteArray WindowExport(const QString& session, QString* warning = nullptr);

    TScopedConfigHome FHome;
    QTemporaryDir FDir;
};

void TestCommandLine::init()
{
    StoreStartupTip(false);
}

QString TestCommandLine::WriteSession()
{
    const QString picture = SavePicture(Path("chart.png"), 300, 200);
    WriteTextFile(Path("chart.qsf"), "[image]\r\npath=" + picture.toUtf8() +
                                         "\r\n[screenrect]\r\nx1=10\r\nx2=290\r\ny1=10\r\ny2=190\r\n"
                                         "[dimensions]\r\ny1=1\r\ny2=1000\r\nx1=0\r\nx2=7\r\nAxisXMap=0\r\nAxisYMap=1\r\n"
                                         "[series/series1]\r\n1=10,190\r\n2=150,100\r\n3=289,11\r\n");
    return Path("chart.qsf");
}

QByteArray TestCommandLine::WindowExport(const QString& session, QString* warning)
{
    Tmainform window;
    const QString shown = Drive(window).LoadSession(session);
    if (warning)
        *warning = shown;
    Drive(window).SaveDataFile(Path("window.txt"));
    return ReadTextFile(Path("window.txt"));
}

void TestCommandLine::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("session");
    using C = TCommandLine;
    QTest::newRow("nothing") << QStringList{} << int(C::caShowWindow) << "" << "" << "";
    QTest::newRow("file") << QStringList{"a.png"} << int(C::caShowWindow) << "a.png" << "" << "";
    QTest::newRow("help") << QStringList{"--help"} << int(C::caHelp) << "" << "" << "";
    QTest::newRow("h") << QStringList{"-h"} << int(C::caHelp) << "" << "" << "";
    QTest::newRow("version") << QStringList{"--version"} << int(C::caVersion) << "" << "" << "";
    QTest::newRow("export") << QStringList{"--export", "o.txt", "s.qsf"} << int(C::caExport) << "" << "o.txt"
                            << "s.qsf";
    QTest::newRow("export after") << QStringList{"s.qsf", "--export", "-"} << int(C::caExport) << "" << "-"
                                  << "s.qsf";
    QTest::newRow("export without session") << QStringList{"--export", "o.txt"} << int(C::caUsageError) << ""
                                            << "o.txt" << "";
    QTest::newRow("export two sessions") << QStringList{"--export", "o.txt", "a", "b"} << int(C::caUsageError)
                                         << "" << "o.txt" << "";
    QTest::newRow("export empty out") << QStringList{"--export", "", "s.qsf"} << int(C::caUsageError) << "" << ""
                                      << "";
    QTest::newRow("export without out") << QStringList{"--export"} << int(C::caUsageError) << "" << "" << "";
    QTest::newRow("two files") << QStringList{"a.png", "b.png"} << int(C::caUsageError) << "" << "" << "";
    QTest::newRow("picture without export") << QStringList{"--picture", "a.png", "s.qsf"} << int(C::caUsageError)
                                            << "" << "" << "";
    QTest::newRow("unknown") << QStringList{"--frobnicate"} << int(C::caUsageError) << "" << "" << "";
    QTest::newRow("drawing curve") << QStringList{"--vector-curve", "#102030", "--template", "t.qsf", "--export", "-",
                                                  "c.pdf"}
                                   << int(C::caExport) << "" << "-" << "c.pdf";
    const QStringList drawing{"--export", "-", "--calibration", "p.csv", "c.pdf"};
    for (const auto& [name, extra] :
         {std::pair{"drawing without a map", QStringList{"--vector-curve", "#102030", "--export", "-", "c.pdf"}},
          std::pair{"curve and markers", QStringList{"--vector-curve", "#102030", "--vector-markers", "#102030"} + drawing},
          std::pair{"drawing and extraction", QStringList{"--vector-curve", "#102030", "--extract-curve", "#102030"} + drawing},
          std::pair{"page 0", QStringList{"--vector-curve", "#102030", "--page", "0"} + drawing},
          std::pair{"dpi too coarse", QStringList{"--vector-curve", "#102030", "--dpi", "5"} + drawing},
          std::pair{"at one value", QStringList{"--vector-markers", "#102030", "--at", "1"} + drawing},
          std::pair{"page without a drawing", QStringList{"--page", "2", "--export", "-", "s.qsf"}}})
        QTest::newRow(name) << extra << int(C::caUsageError) << "" << "" << "";
}

void TestCommandLine::options()
{
    QFETCH(QStringList, arguments);
    arguments.prepend(QStringLiteral("quillon"));
    const TCommandLine line = ParseCommandLine(arguments);
    QTEST(int(line.Action), "action");
    QTEST(line.File, "file");
    QTEST(line.ExportFile, "out");
    QTEST(line.SessionFile, "session");
    if (line.Action == TCommandLine::caUsageError)
        QVERIFY(!line.Text.isEmpty());
}

void TestCommandLine::versionAndHelpNeedNoDisplay()
{
    const TRun version = RunProgram({QStringLiteral("--version")});
    QCOMPARE(version.Status, 0);
    QCOMPARE(version.Out, QByteArray("Quillon " QUILLON_VERSION "\n"));
    const TRun help = RunProgram({QStringLiteral("--help")});
    QCOMPARE(help.Status, 0);
    for (const char* text : {"--export <OUT>", "--version", "--help", "[FILE]"})
        QVERIFY2(help.Out.contains(text), text);
}

void TestCommandLine::windowWithoutDisplayIsRefused()
{
    const TRun run = RunProgram({});
    QCOMPARE(run.Status, 1);
    QVERIFY2(run.Err.contains("no display"), run.Err.constData());
    const TRun wrong = RunProgram({QStringLiteral("--frobnicate")});
    QCOMPARE(wrong.Status, 1);
    QVERIFY(wrong.Out.isEmpty());
    QVERIFY2(wrong.Err.contains("frobnicate"), wrong.Err.constData());
}

void TestCommandLine::exportWritesTheWindowsBytes()
{
    const QString session = WriteSession();
    const QByteArray expected = WindowExport(session);
    QCOMPARE(expected.count("\r\n"), 3);

    const TRun toFile = RunProgram({QStringLiteral("--export"), Path("out.txt"), session});
    QCOMPARE(toFile.Status, 0);
    QCOMPARE(toFile.Err, QByteArray());
    QCOMPARE(ReadTextFile(Path("out.txt")), expected);

    const TRun toOutput = RunProgram({QStringLiteral("--export"), QStringLiteral("-"), session});
    QCOMPARE(toOutput.Status, 0);
    QCOMPARE(toOutput.Out, expected);

    // Of several series, the one the session was saved on.
    QFile file(session);
    QVERIFY(file.open(QIODevice::Append));
    file.write("[series/series2]\r\n1=150,100\r\n[series]\r\ncount=2\r\ncurrent=2\r\n");
    file.close();
    const QByteArray second = WindowExport(session);
    QCOMPARE(second.count("\r\n"), 1);
    QVERIFY(expected.contains(second));
    QCOMPARE(RunProgram({QStringLiteral("--export"), QStringLiteral("-"), session}).Out, second);
}

void TestCommandLine::exportWarningsGoToStandardError()
{
    // The picture is gone: the window warns and still loads the points.
    const QString session = WriteSession();
    QFile::resize(Path("chart.png"), 20);
    QString warning;
    const QByteArray expected = WindowExport(session, &warning);
    QVERIFY(!warning.isEmpty());
    const TRun run = RunProgram({QStringLiteral("--export"), Path("out.txt"), session});
    QCOMPARE(run.Status, 0);
    QCOMPARE(QString::fromUtf8(run.Err).trimmed(), warning.trimmed());
    QCOMPARE(ReadTextFile(Path("out.txt")), expected);
}

void TestCommandLine::failedExportLeavesOutAlone_data()
{
    QTest::addColumn<QByteArray>("session");
    QTest::addColumn<QString>("message");
    QTest::newRow("malformed point") << QByteArray("[series/series1]\n1=10,twenty\n") << "'twenty'";
    QTest::newRow("missing session") << QByteArray() << "missing.qsf";
    QTest::newRow("data, not a session") << QByteArray("0.1 0.8\r\n2 3\r\n") << "it is not a session";
    QTest::newRow("a megabyte line") << "[series/series1]\n1=" + QByteArray(1 << 20, 'x') + ",2\n"
                                     << "'" + QString(79, u'x') + QChar(0x2026) + "' is not a valid integer value";
}

void TestCommandLine::failedExportLeavesOutAlone()
{
    QFETCH(QByteArray, session);
    QFETCH(QString, message);
    const QString file = session.isEmpty() ? Path("missing.qsf") : Path("bad.qsf");
    if (!session.isEmpty())
        WriteTextFile(file, session);
    WriteTextFile(Path("kept.txt"), "earlier data\r\n");
    const TRun run = RunProgram({QStringLiteral("--export"), Path("kept.txt"), file});
    QVERIFY(run.Status > 0 && run.Status < 128);
    QVERIFY2(QString::fromUtf8(run.Err).contains(message), run.Err.constData());
    QVERIFY(run.Err.size() < 400);
    QCOMPARE(ReadTextFile(Path("kept.txt")), QByteArray("earlier data\r\n"));
    // The same words as the window's error box.
    Tmainform window;
    QString shown;
    try {
        Drive(window).LoadSession(file);
    } catch (const std::exception& e) {
        shown = QString::fromUtf8(e.what());
    }
    QCOMPARE(QString::fromUtf8(run.Err).trimmed(), shown);
}

// Points without data values yet (here, with no axis values: they would
// read as zeros) are refused, saying what the mapping lacks.
void TestCommandLine::exportRefusesPointsWithoutDataValues()
{
    WriteTextFile(Path("early.qsf"), "[screenrect]\nx1=0\nx2=100\ny1=0\ny2=100\n[dimensions]\nx1=0\nx2=0\ny1=0\ny2=0\n"
                                     "[series/series1]\n1=10,20\n");
    const TRun run = RunProgram({QStringLiteral("--export"), QStringLiteral("-"), Path("early.qsf")});
    QCOMPARE(run.Status, 2);
    QVERIFY2(run.Err.contains("has points but no data values yet: Set the axis values: Data > Dimensions."),
             run.Err.constData());
    QVERIFY(run.Out.isEmpty());
}

void TestCommandLine::exportNeverWritesOverItsInputs_data()
{
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("message");
    QTest::newRow("the session") << "chart.qsf" << "is the session itself";
    QTest::newRow("the session through a link") << "link.qsf" << "is the session itself";
    QTest::newRow("its picture") << "chart.png" << "is the picture of the session";
}

void TestCommandLine::exportNeverWritesOverItsInputs()
{
    QFETCH(QString, out);
    QFETCH(QString, message);
    const QString session = WriteSession();
    QFile::link(session, Path("link.qsf"));
    const QByteArray sessionBytes = ReadTextFile(session);
    const QByteArray pictureBytes = ReadTextFile(Path("chart.png"));
    const TRun run = RunProgram({QStringLiteral("--export"), FDir.filePath(out), session});
    QCOMPARE(run.Status, 2);
    QVERIFY2(run.Err.contains(message.toUtf8()), run.Err.constData());
    QCOMPARE(ReadTextFile(session), sessionBytes);
    QCOMPARE(ReadTextFile(Path("chart.png")), pictureBytes);
}

void TestCommandLine::failedWritesToStandardOutputFail()
{
    const QString session = WriteSession();
    const QString program = QStringLiteral(QUILLON_EXECUTABLE);
    for (const QString& arguments : {QStringLiteral("--export - '%1'").arg(session), QStringLiteral("--help")}) {
        const TRun run = RunProcess(QStringLiteral("/bin/sh"),
                                    {QStringLiteral("-c"), QStringLiteral("'%1' %2 > /dev/full").arg(program, arguments)},
                                    WithoutDisplay());
        QCOMPARE(run.Status, 2);
        QVERIFY2(run.Err.contains(std::strerror(ENOSPC)), run.Err.constData());
    }
}


void TestCommandLine::calibrationFileReplacesTheMap_data()
{
    QTest::addColumn<QByteArray>("points");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    // Dates along X over two days, log10 along Y from 1 to 1000.
    QTest::newRow("dates and log") << QByteArray("#log-y\npx,py,x,y\n10,190,2026-12-08,\n290,190,2026-12-10,\n"
                                                 "10,190,,1\n10,10,,1000\n")
                                   << 0
                                   << QByteArray("2026-12-08T00:00 1\r\n2026-12-09T00:00 31.6228\r\n"
                                                 "2026-12-09T23:50 962.351\r\n");
    QTest::newRow("no second x") << QByteArray("px,py,x,y\n10,190,1,\n10,190,,1\n10,10,,5\n") << 2
                                 << QByteArray("Cannot use the calibration");
    QTest::newRow("no file") << QByteArray() << 2 << QByteArray("Cannot open the calibration");
}

void TestCommandLine::calibrationFileReplacesTheMap()
{
    QFETCH(QByteArray, points);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    const QString session = WriteSession();
    QFile::remove(Path("points.csv"));
    if (!points.isEmpty())
        WriteTextFile(Path("points.csv"), points);
    WriteTextFile(Path("kept.txt"), "earlier data\r\n");
    const TRun run = RunProgram({QStringLiteral("--calibration"), Path("points.csv"), QStringLiteral("--export"),
                                 Path("kept.txt"), session});
    QCOMPARE(run.Status, status);
    if (status == 0) {
        QCOMPARE(ReadTextFile(Path("kept.txt")), out);
        return;
    }
    QVERIFY2(run.Err.contains(out), run.Err.constData());
    QCOMPARE(ReadTextFile(Path("kept.txt")), QByteArray("earlier data\r\n"));
}

void TestCommandLine::drawingGivesItsOwnValues_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("truth");
    QTest::addColumn<QByteArray>("message");
    // The axes' corners of chart.pdf at 300 dpi, from its truth.
    WriteTextFile(Path("corners.csv"), "px,py,x,y\n149.5,800.5,-3,\n1079.5,800.5,8,\n149.5,800.5,,-5\n149.5,107.5,,5\n");
    // A template of the second page of pages.pdf at 150 dpi, its corners
    // as calibration points.
    WriteTextFile(Path("template.qsf"), "[image]\r\npath=pages.pdf\r\nangle=0\r\nzoom=1\r\npage=2\r\n"
                                        "resolution=150\r\n[calibration]\r\nkind=points\r\n"
                                        "point1=74.5,400,-3,-5\r\npoint2=539.5,400,8,-5\r\n"
                                        "point3=74.5,53.5,-3,5\r\n");
    const QString chart = Chart(QStringLiteral("chart.pdf"));
    const QString calibration = Path("corners.csv");
    QTest::newRow("curve by calibration points")
        << QStringList{"--vector-curve", "#1f77b4", "--calibration", calibration, chart} << 0 << "chart curve"
        << QByteArray("37 vertices of the curve drawn in #1F77B4, from 1 path.");
    QTest::newRow("markers near a point")
        << QStringList{"--vector-markers", "#D62728", "--at", "3,0", "--calibration", calibration, chart} << 0
        << "chart markers" << QByteArray("10 markers drawn in #D62728.");
    QTest::newRow("page and map from a template")
        << QStringList{"--vector-curve", "#1f77b4", "--template", Path("template.qsf"), Chart(QStringLiteral("pages.pdf"))}
        << 0 << "pages curve" << QByteArray("37 vertices");
    QTest::newRow("map from the drawing's axes")
        << QStringList{"--vector-curve", "#1f77b4", "--auto-axes", chart} << 0 << "chart curve"
        << QByteArray("Axes from the drawing: X linear through 6 ticks, Y linear through 5 ticks");
    QTest::newRow("axes whose labels are outlines")
        << QStringList{"--vector-curve", "#1f77b4", "--auto-axes", Chart(QStringLiteral("axes-outlines.svg"))} << 2
        << "" << QByteArray("--auto-axes: The drawing shows no two X ticks");
    QTest::newRow("a colour not drawn")
        << QStringList{"--vector-curve", "#00ff00", "--calibration", calibration, chart} << 3 << ""
        << QByteArray("No curve drawn in #00FF00 on page 1 of");
    QTest::newRow("a page past the end")
        << QStringList{"--vector-curve", "#1f77b4", "--page", "5", "--calibration", calibration,
                       Chart(QStringLiteral("pages.pdf"))}
        << 2 << "" << QByteArray("the drawing has 3 pages, not 5");
    QTest::newRow("a picture, no drawing")
        << QStringList{"--vector-curve", "#1f77b4", "--calibration", calibration, SavePicture(Path("p.png"), 8, 8)}
        << 2 << "" << QByteArray("neither a PDF nor an SVG");
}

void TestCommandLine::drawingGivesItsOwnValues()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, truth);
    QFETCH(QByteArray, message);
    WriteTextFile(Path("kept.txt"), "earlier data\r\n");
    const TRun run = RunProgram(arguments + QStringList{QStringLiteral("--export"), Path("kept.txt")});
    QCOMPARE(run.Status, status);
    QVERIFY2(run.Err.contains(message), run.Err.constData());
    const QByteArray out = ReadTextFile(Path("kept.txt"));
    if (status == 2) {
        QCOMPARE(out, QByteArray("earlier data\r\n"));
        return;
    }
    std::vector<QPointF> want;
    if (!truth.isEmpty()) {
        const std::vector<TChartTruth> charts = ReadTruth(truth.section(u' ', 0, 0), 72, true);
        want = truth.endsWith(QStringLiteral("curve")) ? charts[0].Curve : charts[0].Markers;
        if (!truth.endsWith(QStringLiteral("curve")))
            std::sort(want.begin(), want.end(),
                      [](QPointF a, QPointF b) { return a.y() != b.y() ? a.y() > b.y() : a.x() < b.x(); });
    }
    const QList<QByteArray> lines = out.split('\n');
    QCOMPARE(qsizetype(want.size()), lines.size() - 1);
    // Off by no more than a thousandth of a pixel's rounding (the charts'
    // Y axes, 10 units over 166.32 points, have the larger step) and half
    // the sixth significant digit the values are written to.
    const double dpi = arguments.contains(QStringLiteral("--template")) ? 150 : 300;
    const double rounding = 5e-4 * 10 / (166.32 * dpi / 72);
    const auto near = [&](double got, double value) {
        const double halfDigit = value == 0 ? 0 : 0.5 * std::pow(10.0, std::floor(std::log10(std::abs(value))) - 5);
        return std::abs(got - value) <= rounding + halfDigit;
    };
    for (std::size_t i = 0; i < want.size(); ++i) {
        const QList<QByteArray> xy = lines[qsizetype(i)].trimmed().split(' ');
        QVERIFY2(near(xy[0].toDouble(), want[i].x()) && near(xy[1].toDouble(), want[i].y()),
                 lines[qsizetype(i)].constData());
    }
}

void TestCommandLine::pictureAxes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("message");
    // chart03.jpg: X log10 from 10 to 1e6, its curve across it all.
    const QString chart = QStringLiteral(AXES_CHARTS "/chart03.jpg");
    QTest::newRow("curve by the axes found")
        << QStringList{"--auto-axes", "--extract-curve", "#1f77b4", "--export", Path("kept.txt"), chart} << 0
        << QByteArray("Axes found in the picture: X log10 through");
    QTest::newRow("no axes in the picture")
        << QStringList{"--auto-axes", "--export", Path("kept.txt"), SavePicture(Path("plain.png"), 300, 200)} << 2
        << QByteArray("--auto-axes: No axes found: the picture shows no tick marks along an X axis");
    QTest::newRow("not without --export") << QStringList{"--auto-axes", chart} << 1
                                          << QByteArray("--auto-axes goes with --export.");
    QTest::newRow("not with calibration points")
        << QStringList{"--auto-axes", "--calibration", Path("c.csv"), "--export", Path("kept.txt"), chart} << 1
        << QByteArray("--auto-axes takes the map from the picture: not with --calibration.");
}

void TestCommandLine::pictureAxes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, message);
    WriteTextFile(Path("kept.txt"), "earlier data\r\n");
    const TRun run = RunProgram(arguments);
    QCOMPARE(run.Status, status);
    QVERIFY2(run.Err.contains(message), run.Err.constData());
    const QList<QByteArray> lines = ReadTextFile(Path("kept.txt")).trimmed().split('\n');
    if (status != 0) {
        QCOMPARE(lines, QList<QByteArray>{"earlier data"});
        return;
    }
    // On the curve its script drew, y = -0.002 + 0.008 (0.5 + 0.4 sin(6u + 3))
    // where u runs from 0 to 1 over the decades of x, to three pixels and a
    // half where it is steep (a pixel is 9.6e-6 of y; 2.4 seen).
    QVERIFY(lines.size() > 50);
    double worst = 0;
    for (const QByteArray& line : lines) {
        const double u = (std::log10(line.split(' ')[0].toDouble()) - 1) / 5;
        worst = std::max(worst, std::abs(line.split(' ')[1].toDouble() + 0.002 - 0.008 * (0.5 + 0.4 * std::sin(6 * u + 3))));
    }
    QVERIFY2(worst <= 3.5 / 103950, qPrintable(QString::number(worst * 103950)));
}

QTEST_MAIN(TestCommandLine)
#include "test_commandline.moc"

// Batch runs: the program run on folders, manifests and shards of real
// pictures, its outputs checked against the curves drawn and against each
// other, stopped by a signal, and spread by the README's GNU parallel recipe.
#include "main/BatchInputs.h"
#include "main/BatchManifest.h"
#include "main/CommandLine.h"
#include "document/JobDocument.h"
#include "document/SeriesCsv.h"
#include "document/SeriesJson.h"
#include "document/SessionFile.h"
#include "view/quillonviewsettings.h"

#include "ProcessRun.h"
#include "SyntheticChart.h"
#include "TestFiles.h"

#include <QtTest>

#include <csignal>
#include <cmath>

namespace {

// The red curve of chart Phase, in picture pixels, across the plotting area
// x 40..360, y 30..270.
double CurveY(double X, double Phase)
{
    return 150 + 60 * std::sin(X / 40 + Phase);
}

void SaveChart(const QString& Path, double Phase, const QColor& Colour = QColor(200, 20, 30))
{
    QDir().mkpath(QFileInfo(Path).path());
    TSyntheticChart chart(400, 300);
    chart.Curve([Phase](double x) { return CurveY(x, Phase); }, 40, 360, Colour, 2);
    QVERIFY(chart.Image().save(Path, "PNG"));
}

// A template mapping that area to X 0..10 and Y 0..Top, with a point of its
// own that no output may keep.
void SaveTemplate(const QString& Path, double Top)
{
    WriteTextFile(Path, "[image]\r\npath=\r\n[screenrect]\r\nx1=40\r\nx2=360\r\ny1=30\r\ny2=270\r\n"
                        "[dimensions]\r\ny1=0\r\ny2=" +
                            QByteArray::number(Top) +
                            "\r\nx1=0\r\nx2=10\r\nAxisXMap=0\r\nAxisYMap=0\r\n[series/series1]\r\n1=100,100\r\n");
}

// How far, in pixels, the worst line of a data file lies from the curve of
// Phase under that template's map.
double WorstPixelError(const QByteArray& Data, double Phase, double Top)
{
    double worst = 0;
    for (const QByteArray& line : Data.trimmed().split('\n')) {
        const QList<QByteArray> xy = line.trimmed().split(' ');
        const TPointF at{40 + xy[0].toDouble() * 32, 270 - xy[1].toDouble() / Top * 240};
        worst = std::max(worst, CurveDistance([Phase](double x) { return CurveY(x, Phase); }, 40, 360, at));
    }
    return worst;
}

// The report's rows after its header, each split at its first commas.
QList<QStringList> ReportRows(const QString& Path)
{
    QList<QStringList> rows;
    const QList<QByteArray> lines = ReadTextFile(Path).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (!lines[i].trimmed().isEmpty())
            rows.append(QString::fromUtf8(lines[i].trimmed()).split(u','));
    return rows;
}

std::unique_ptr<TJobDocument> LoadJob(const QString& Session)
{
    auto job = std::make_unique<TJobDocument>();
    job->Apply(ReadSession(Session));
    return job;
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void aFolderGivesCheckedDataAndSessions();
    void neverWritesOverItsInputs();
    void formats_data();
    void formats();
    void aListFromStandardInput();
    void manifestMixesLayouts();
    void manifestProblems_data();
    void manifestProblems();
    void shardsCoverEveryPictureOnce_data();
    void shardsCoverEveryPictureOnce();
    void wrongOptions_data();
    void wrongOptions();
    void interruptKeepsFinishedOutputsWhole();
    void parallelRecipeOfTheReadme();

private:
    QString Path(const QString& name) const { return FDir.filePath(name); }
    TRun Batch(const QStringList& arguments) const
    {
        return RunProcess(QStringLiteral(QUILLON_EXECUTABLE), QStringList{QStringLiteral("batch")} + arguments,
                          WithoutDisplay());
    }

    TScopedConfigHome FHome;
    QTemporaryDir FDir;
};

void TestBatch::aFolderGivesCheckedDataAndSessions()
{
    SaveChart(Path("charts/a.png"), 0);
    SaveChart(Path("charts/b.png"), 1);
    SaveChart(Path("charts/sub/a.png"), 2);
    WriteTextFile(Path("charts/notes.txt"), "not a picture\n");
    SaveTemplate(Path("job.qsf"), 1);
    const TRun run = Batch({"--template", Path("job.qsf"), "--extract-curve", "#C8141E", "--out", Path("out"),
                            Path("charts"), Path("charts/sub/a.png"), Path("missing.png")});
    QCOMPARE(run.Status, 3);
    QVERIFY2(run.Err.contains("missing.png: failed"), run.Err.constData());

    // In the order of their paths; the subfolder's a.png is not taken twice
    // and its name clashes; the text file is no picture.
    const QList<QStringList> rows = ReportRows(Path("out/report.csv"));
    QCOMPARE(rows.size(), 4);
    const QStringList names{"a", "b", "a-2"};
    const double phases[] = {0, 1, 2};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(rows[i].value(1), QStringLiteral("done"));
        const QByteArray data = ReadTextFile(Path("out/" + names[i] + ".txt"));
        const double worst = WorstPixelError(data, phases[i], 1);
        // 0.52 pixels seen.
        QVERIFY2(worst < 0.8, qPrintable(QString::number(worst)));
        const std::unique_ptr<TJobDocument> job = LoadJob(Path("out/" + names[i] + ".qsf"));
        QCOMPARE(job->ImageFileName, rows[i].value(0));
        QCOMPARE(QString::number(job->CurrentSeries().Points.size()), rows[i].value(2));
        const TQuillonViewSettings settings;
        QCOMPARE(job->DataText(u' ', settings.NumberPrecision, settings.NumberDigits).toUtf8(), data);
    }
    QCOMPARE(rows[0].value(0), Path("charts/a.png"));
    QCOMPARE(rows[2].value(0), Path("charts/sub/a.png"));
    QCOMPARE(rows[3].value(1), QStringLiteral("failed"));
    // Nothing else: no output of the failed picture, no file left half made.
    QCOMPARE(QDir(Path("out")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{"a-2.qsf", "a-2.txt", "a.qsf", "a.txt", "b.qsf", "b.txt", "report.csv"}));
}

void TestBatch::neverWritesOverItsInputs()
{
    // A template saved beside the picture it was made on, the results asked
    // for in that folder: the picture's session would replace the template.
    SaveChart(Path("w/c.png"), 0);
    SaveChart(Path("w/d.png"), 0);
    SaveTemplate(Path("w/c.qsf"), 1);
    const QByteArray job = ReadTextFile(Path("w/c.qsf"));
    const TRun run =
        Batch({"--template", Path("w/c.qsf"), "--extract-curve", "#C8141E", "--out", Path("w"), Path("w")});
    QCOMPARE(run.Status, 3);
    QVERIFY2(run.Err.contains("c.qsf is the template itself: it would be written over."), run.Err.constData());
    QCOMPARE(ReadTextFile(Path("w/c.qsf")), job);
    QVERIFY(!QFile::exists(Path("w/c.txt")));
    QVERIFY(QFile::exists(Path("w/d.qsf")));
}

void TestBatch::formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("autoAxes");
    QTest::newRow("csv") << "csv" << false;
    QTest::newRow("json") << "json" << false;
    QTest::newRow("json of the axes found") << "json" << true;
}

void TestBatch::formats()
{
    QFETCH(QString, format);
    QFETCH(bool, autoAxes);
    SaveChart(Path("f/c.png"), 0.5);
    SaveTemplate(Path("job.qsf"), 4);
    // chart03.jpg: X log10 from 10 to 1e6, its curve across it all.
    if (autoAxes)
        QVERIFY(QFile::copy(QStringLiteral(AXES_CHARTS "/chart03.jpg"), Path("f/c.jpg")));
    QStringList arguments = autoAxes ? QStringList{"--auto-axes", "--extract-curve", "#1F77B4"}
                                     : QStringList{"--template", Path("job.qsf"), "--extract-curve", "#C8141E"};
    arguments += {"--format", format, "--out", Path("f-out"), Path(autoAxes ? "f/c.jpg" : "f/c.png")};
    const TRun run = Batch(arguments);
    QCOMPARE(run.Status, 0);
    const QByteArray data = ReadTextFile(Path("f-out/c." + format));
    const std::unique_ptr<TJobDocument> job = LoadJob(Path("f-out/c.qsf"));
    QVERIFY(job->CurrentSeries().Points.size() > 20);
    QCOMPARE(data, format == "csv" ? AllSeriesCsv(*job) : AllSeriesJson(*job));
    if (format != "json")
        return;
    const QJsonArray series = QJsonDocument::fromJson(data).array();
    QCOMPARE(series.size(), 1);
    const QJsonObject calibration = series[0][QStringLiteral("calibration")].toObject();
    const QJsonObject point = series[0][QStringLiteral("points")].toArray().first().toObject();
    const double y = point[QStringLiteral("data")].toArray()[1].toDouble();
    const double py = point[QStringLiteral("pixel")].toArray()[1].toDouble();
    if (autoAxes) {
        QCOMPARE(calibration[QStringLiteral("kind")].toString(), QStringLiteral("points"));
        QCOMPARE(calibration[QStringLiteral("x_axis")].toString(), QStringLiteral("log10"));
        QVERIFY(calibration[QStringLiteral("points")].toArray().size() >= 6);
        return;
    }
    QCOMPARE(calibration[QStringLiteral("kind")].toString(), QStringLiteral("rectangle"));
    QCOMPARE(calibration[QStringLiteral("y_values")].toArray().last().toDouble(), 4.0);
    QVERIFY(std::abs(y - (270 - py) / 240 * 4) < 1e-9);
}

void TestBatch::aListFromStandardInput()
{
    TBatchRequest request;
    request.Template = QStringLiteral("job.qsf");
    request.ListFile = QStringLiteral("-");
    QBuffer input;
    input.setData("b.png\r\n\r\nsub/a.png\n");
    input.open(QIODevice::ReadOnly);
    QString problem;
    const std::vector<TBatchItem> items = BatchItems(request, input, problem);
    QVERIFY(problem.isEmpty());
    QCOMPARE(int(items.size()), 2);
    QCOMPARE(items[0].Picture, QDir::current().absoluteFilePath(QStringLiteral("b.png")));
    QCOMPARE(items[1].Name, QStringLiteral("a"));
}

void TestBatch::manifestMixesLayouts()
{
    SaveChart(Path("m/one.png"), 0);
    SaveChart(Path("m/two, copy.png"), 1);
    SaveTemplate(Path("m/tall.qsf"), 2);
    SaveTemplate(Path("job.qsf"), 1);
    WriteTextFile(Path("m/list.csv"), "Picture,Template,Colour\r\none.png,,\r\n\"two, copy.png\",tall.qsf,#C8141E\r\n");
    const TRun run = Batch({"--manifest", Path("m/list.csv"), "--template", Path("job.qsf"), "--extract-curve",
                            "#000000", "--out", Path("m-out"), "--accept-doubtful"});
    QCOMPARE(run.Status, 0);
    // one.png kept the command's colour and found nothing; the second row's
    // own template and colour gave its curve twice as tall in Y.
    QCOMPARE(ReportRows(Path("m-out/report.csv")).first().value(2), QStringLiteral("0"));
    const double worst = WorstPixelError(ReadTextFile(Path("m-out/two, copy.txt")), 1, 2);
    QVERIFY2(worst < 0.8, qPrintable(QString::number(worst)));
}

void TestBatch::manifestProblems_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<int>("rows");
    QTest::newRow("no picture column") << QByteArray("template\r\nx.qsf\r\n") << "no column is called \"picture\"" << 0;
    QTest::newRow("an unknown column") << QByteArray("picture,color\r\n") << "no column is called \"color\"" << 0;
    QTest::newRow("a kind") << QByteArray("picture,kind\r\na.png,curve\r\nb.png,line\r\n")
                            << "line 3: the kind is curve or markers" << 0;
    QTest::newRow("a colour") << QByteArray("picture,colour\na.png,red\n") << "line 2: the colour" << 0;
    QTest::newRow("a tolerance") << QByteArray("picture,tolerance\r\na.png,256\r\n") << "line 2: the tolerance" << 0;
    QTest::newRow("a step") << QByteArray("picture,step\r\na.png,0.5\r\n") << "line 2: the step" << 0;
    QTest::newRow("lines in a quoted cell count")
        << QByteArray("picture,kind\r\n\"a\nb.png\",curve\r\nc.png,shape\r\n") << "line 4:" << 0;
    QTest::newRow("too many cells") << QByteArray("picture\r\na.png,b.png\r\n") << "line 2: more cells" << 0;
    QTest::newRow("quotes, blank lines, any case")
        << QByteArray("\xEF\xBB\xBFPicture,KIND,colour\r\n\"x, \"\"y\"\".png\",Markers,#FF0000\r\n\r\nz.png,,\r\n")
        << QString() << 2;
}

void TestBatch::manifestProblems()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, problem);
    QFETCH(int, rows);
    QString why;
    const std::vector<TManifestRow> read = ReadManifest(text, why);
    QVERIFY2(problem.isEmpty() ? why.isEmpty() : why.contains(problem), qPrintable(why));
    QCOMPARE(int(read.size()), rows);
    if (rows > 0) {
        QCOMPARE(read[0].Picture, QStringLiteral("x, \"y\".png"));
        QCOMPARE(read[0].Kind, std::optional(TExtractRequest::ekMarkers));
        QVERIFY(!read[1].Kind && !read[1].Colour);
        QCOMPARE(read[1].Line, 4);
    }
}

void TestBatch::shardsCoverEveryPictureOnce_data()
{
    QTest::addColumn<int>("pictures");
    QTest::addColumn<int>("shards");
    QTest::newRow("10 in 3") << 10 << 3;
    QTest::newRow("7 in 7") << 7 << 7;
    QTest::newRow("3 in 5") << 3 << 5;
    QTest::newRow("200 in 16") << 200 << 16;
}

void TestBatch::shardsCoverEveryPictureOnce()
{
    QFETCH(int, pictures);
    QFETCH(int, shards);
    TBatchRequest request;
    request.Template = QStringLiteral("job.qsf");
    request.Extract.Kind = TExtractRequest::ekCurve;
    // Named out of order, half of them clashing by name.
    for (int i = pictures; i-- > 0;)
        request.Inputs.append(QStringLiteral("/charts/%1/p%2.png").arg(i % 2).arg(i / 2));
    QBuffer none;
    QString problem;
    const std::vector<TBatchItem> all = BatchItems(request, none, problem);
    QCOMPARE(int(all.size()), pictures);
    std::vector<TBatchItem> joined;
    std::size_t smallest = all.size(), largest = 0;
    for (int k = 1; k <= shards; ++k) {
        request.Shard = k;
        request.Shards = shards;
        const std::vector<TBatchItem> part = ShardOf(BatchItems(request, none, problem), k, shards);
        smallest = std::min(smallest, part.size());
        largest = std::max(largest, part.size());
        joined.insert(joined.end(), part.begin(), part.end());
    }
    QVERIFY(largest - smallest <= 1);
    QCOMPARE(int(joined.size()), pictures);
    QSet<QString> names;
    for (std::size_t i = 0; i < all.size(); ++i) {
        QCOMPARE(joined[i].Picture, all[i].Picture);
        QCOMPARE(joined[i].Name, all[i].Name);
        names.insert(all[i].Name);
        QVERIFY(i == 0 || all[i - 1].Picture < all[i].Picture);
    }
    QCOMPARE(int(names.size()), pictures);
}

void TestBatch::wrongOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QStringList run{"--template", "j.qsf", "--extract-curve", "#FF0000", "--out", "o", "a.png"};
    QTest::newRow("no out") << QStringList{"--template", "j.qsf", "--extract-curve", "#FF0000", "a.png"}
                            << "--extract-curve needs --out.";
    QTest::newRow("no pictures") << QStringList{"--template", "j.qsf", "--extract-curve", "#FF0000", "--out", "o"}
                                 << "batch needs pictures";
    QTest::newRow("no map") << QStringList{"--extract-curve", "#FF0000", "--out", "o", "a.png"}
                            << "batch needs --template JOB.qsf, or --auto-axes";
    QTest::newRow("nothing to extract") << QStringList{"--template", "j.qsf", "--out", "o", "a.png"}
                                        << "batch needs --extract-curve COLOUR or --extract-markers COLOUR.";
    QTest::newRow("shard 0") << run + QStringList{"--shard", "0/3"} << "--shard takes K/N, K from 1 to N";
    QTest::newRow("shard past its count") << run + QStringList{"--shard", "4/3"} << "--shard takes K/N";
    QTest::newRow("jobs") << run + QStringList{"--jobs", "0"} << "--jobs takes a number from 1 to 1024";
    QTest::newRow("format") << run + QStringList{"--format", "xml"} << "--format takes txt, csv or json";
}

void TestBatch::wrongOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const TCommandLine line = ParseCommandLine(QStringList{"quillon", "batch"} + arguments);
    QCOMPARE(line.Action, TCommandLine::caUsageError);
    QVERIFY2(line.Text.startsWith(message), qPrintable(line.Text));
}

void TestBatch::interruptKeepsFinishedOutputsWhole()
{
    constexpr int count = 40;
    for (int i = 0; i < count; ++i)
        SaveChart(Path(QStringLiteral("s/c%1.png").arg(i, 2, 10, QChar(u'0'))), i * 0.1);
    SaveTemplate(Path("job.qsf"), 1);
    QProcess program;
    program.setProcessEnvironment(WithoutDisplay());
    program.start(QStringLiteral(QUILLON_EXECUTABLE), {"batch", "--template", Path("job.qsf"), "--extract-curve",
                                                       "#C8141E", "--jobs", "1", "--out", Path("s-out"), Path("s")});
    program.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("[2/") && program.waitForReadyRead(60000))
        err += program.readAllStandardError();
    const qint64 pid = program.processId();
    QVERIFY2(pid > 0, err.constData());
    ::kill(pid_t(pid), SIGINT);
    QVERIFY(program.waitForFinished(60000));
    err += program.readAllStandardError();
    QCOMPARE(program.exitCode(), 130);
    const QList<QStringList> rows = ReportRows(Path("s-out/report.csv"));
    QVERIFY2(rows.size() >= 2 && rows.size() < count, err.constData());
    QStringList expected{"report.csv"};
    for (const QStringList& row : rows) {
        QCOMPARE(row.value(1), QStringLiteral("done"));
        const QString name = QFileInfo(row.value(0)).completeBaseName();
        expected << name + ".qsf" << name + ".txt";
        QCOMPARE(QString::number(LoadJob(Path("s-out/" + name + ".qsf"))->CurrentSeries().Points.size()), row.value(2));
    }
    expected.sort();
    QCOMPARE(QDir(Path("s-out")).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

void TestBatch::parallelRecipeOfTheReadme()
{
    const QByteArray readme = ReadTextFile(QStringLiteral(QUILLON_SOURCE_DIR "/README.md"));
    const qsizetype marker = readme.indexOf("<!-- tests/main/test_batch.cpp runs this block -->");
    QVERIFY(marker >= 0);
    const qsizetype from = readme.indexOf("```sh\n", marker) + 6;
    const QByteArray recipe = readme.mid(from, readme.indexOf("```", from) - from);
    QVERIFY(recipe.contains("parallel --sshloginfile hosts"));

    const QString work = Path("p");
    for (int i = 0; i < 9; ++i)
        SaveChart(work + QStringLiteral("/charts/c%1.png").arg(i), i * 0.3, QColor(0x1F, 0x77, 0xB4));
    SaveTemplate(work + "/job.qsf", 1);
    // Two "hosts", both this machine.
    WriteTextFile(work + "/hosts", ":\n:\n");
    QDir().mkpath(work + "/bin");
    QVERIFY(QFile::link(QStringLiteral(QUILLON_EXECUTABLE), work + "/bin/quillon"));
    QProcess shell;
    QProcessEnvironment env = WithoutDisplay();
    env.insert(QStringLiteral("PATH"), work + "/bin:" + env.value(QStringLiteral("PATH")));
    shell.setProcessEnvironment(env);
    shell.setWorkingDirectory(work);
    shell.start(QStringLiteral("bash"), {"-euo", "pipefail", "-c", QString::fromUtf8(recipe)});
    QVERIFY(shell.waitForFinished(300000));
    QVERIFY2(shell.exitCode() == 0, shell.readAllStandardError().constData());

    const QList<QByteArray> lines = ReadTextFile(work + "/results/report.csv").trimmed().split('\n');
    QCOMPARE(lines.count("picture,status,points,seconds,message\r"), 1);
    QStringList pictures;
    for (const QStringList& row : ReportRows(work + "/results/report.csv")) {
        QCOMPARE(row.value(1), QStringLiteral("done"));
        pictures.append(QFileInfo(row.value(0)).fileName());
    }
    pictures.sort();
    QCOMPARE(pictures, (QStringList{"c0.png", "c1.png", "c2.png", "c3.png", "c4.png", "c5.png", "c6.png", "c7.png",
                                    "c8.png"}));
}

QTEST_MAIN(TestBatch)
#include "test_batch.moc"

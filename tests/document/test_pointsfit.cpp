#include "document/CalibrationCsv.h"
#include "document/JobDocument.h"
#include "document/PixelText.h"
#include "document/FittedMap.h"
#include "document/SeriesCsv.h"
#include "document/SessionFile.h"
#include "document/datatext.h"
#include "platform/DateText.h"
#include "platform/Conversions.h"

#include <QtTest>

#include <cmath>

namespace {

QByteArray CaseFile(const QString& Name)
{
    QFile file(QStringLiteral(CALIBRATION_CASES "/%1.csv").arg(Name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The "# probe" or "# residual" lines of a case: its truth, numbers only.
std::vector<std::vector<double>> Truth(const QByteArray& File, const QString& Kind)
{
    std::vector<std::vector<double>> rows;
    for (const QString& line : QString::fromUtf8(File).split(u'\n')) {
        if (!line.startsWith(QStringLiteral("# ") + Kind + u' '))
            continue;
        std::vector<double> row;
        for (const QString& cell : line.section(u' ', 2).split(u','))
            row.push_back(cell.toDouble());
        rows.push_back(row);
    }
    return rows;
}

// How far apart two values of an axis lie, in image pixels of its map.
double PixelsApart(const TViewMapping& M, TAxis Axis, double A, double B)
{
    TAxisMapping kind = amLinear;
    double step = 0;
    if (!M.AxisStep(Axis, kind, step))
        return INFINITY;
    return std::abs(kind == amLog10 ? std::log10(A) - std::log10(B) : A - B) / step;
}

} // namespace

class TestPointsFit : public QObject {
    Q_OBJECT
private slots:
    void chartsGiveTheirValues_data();
    void chartsGiveTheirValues();
    void pointsThatGiveNoMap_data();
    void pointsThatGiveNoMap();
    void sessionKeepsTheCalibration_data();
    void sessionKeepsTheCalibration();
    void csvWritesDatesAndUncertainty();
    void datesReadAndWritten_data();
    void datesReadAndWritten();
};

void TestPointsFit::chartsGiveTheirValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("xText"); // the first probe's X as the list shows it
    QTest::newRow("5 degrees of shear") << "shear5" << "0";
    QTest::newRow("20 degrees of shear") << "shear20" << "-50";
    QTest::newRow("log x, 10 degrees") << "logx_shear10" << "1";
    QTest::newRow("dates over a day") << "dates_1day" << "2026-12-08T00:00:00";
    QTest::newRow("dates over 50 years") << "dates_50years" << "1970-01-01";
    QTest::newRow("least squares, one point 3 px off") << "least_squares_off3px" << "2.24755";
    QTest::newRow("polar, log r, clockwise from the top") << "polar_log_r" << "0";
    QTest::newRow("polar, radians") << "polar_radians" << "0";
}

void TestPointsFit::chartsGiveTheirValues()
{
    QFETCH(QString, name);
    QFETCH(QString, xText);
    const QByteArray file = CaseFile(name);
    TViewMapping m;
    QString problem;
    QVERIFY2(ReadCalibrationCsv(file, m, problem), qPrintable(problem));
    QVERIFY(m.MissingStep().isEmpty());
    const auto probes = Truth(file, QStringLiteral("probe"));
    QVERIFY(probes.size() >= 2);
    double worst = 0;
    for (const std::vector<double>& p : probes) {
        TDataPoint d;
        m.PixelToData(TPointF{p[0], p[1]}, d, true);
        worst = std::max({worst, PixelsApart(m, axX, d.X, p[2]), PixelsApart(m, axY, d.Y, p[3])});
    }
    // The fit achieves 2.3e-13 px at worst on these.
    QVERIFY2(worst < 3.5e-13, qPrintable(QString::number(worst)));
    TDataPoint first;
    m.PixelToData(TPointF{probes[0][0], probes[0][1]}, first, true);
    QCOMPARE(DataText(m, axX, first.X, 6, 3), xText);
    TFittedMap map;
    QVERIFY(m.FittedMap(map));
    for (const std::vector<double>& r : Truth(file, QStringLiteral("residual"))) {
        const double pixels = map.ResidualOf(m.Calibration.Points[std::size_t(r[0]) - 1]).Pixels;
        QVERIFY2(std::abs(pixels - r[1]) < 1e-12, qPrintable(QString::number(pixels, 'g', 17)));
    }
}

void TestPointsFit::pointsThatGiveNoMap_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("problem");
    QTest::newRow("one x point") << QByteArray("px,py,x,y\n10,100,1,\n10,100,,0\n10,10,,5\n")
                                 << "two apart with X values";
    QTest::newRow("x values equal") << QByteArray("px,py,x,y\n10,100,1,\n90,100,1,\n10,100,,0\n10,10,,5\n")
                                    << "different X values";
    QTest::newRow("x points along the y axis")
        << QByteArray("px,py,x,y\n10,100,1,\n10,50,2,\n10,100,,0\n10,10,,5\n") << "not along the other";
    QTest::newRow("axes nearly parallel")
        << QByteArray("px,py,x,y\n0,0,0,0\n100,0,1,0\n0,1,0,1\n100,2,1,1\n") << "across each other";
    QTest::newRow("log axis at 0") << QByteArray("#log-x\npx,py,x,y\n10,100,0,\n90,100,10,\n10,100,,0\n10,10,,5\n")
                                   << "above 0";
    QTest::newRow("a date after numbers")
        << QByteArray("px,py,x,y\n10,100,1,\n90,100,2026-12-08,\n") << "not of the kind";
    QTest::newRow("no header") << QByteArray("10,100,1,\n") << "header";
    QTest::newRow("polar, no radius") << QByteArray("#polar\npx,py,x,y\n100,100,,\n150,100,0,\n") << "known radius";
    QTest::newRow("polar, no angle") << QByteArray("#polar\npx,py,x,y\n100,100,,\n150,100,,5\n") << "known angle";
}

void TestPointsFit::pointsThatGiveNoMap()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, problem);
    TMapping m;
    QString why;
    QVERIFY(!ReadCalibrationCsv(file, m, why));
    QVERIFY2(why.contains(problem), qPrintable(why));
    QVERIFY(m.Calibration.Points.empty());
}

void TestPointsFit::sessionKeepsTheCalibration_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("section");
    QTest::newRow("dates") << "dates_1day"
                           << QByteArray("kind=points\r\nXUnit=date\r\nYUnit=number\r\npoint1=320.125,620,1796709600,\r\n");
    QTest::newRow("polar") << "polar_log_r"
                           << QByteArray("kind=polar\r\nXUnit=number\r\nYUnit=number\r\nAngleUnit=degrees\r\n"
                                         "Clockwise=1\r\npoint1=320.125,300,,0.1\r\n");
}

void TestPointsFit::sessionKeepsTheCalibration()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, section);
    TJobDocument job;
    QString problem;
    QVERIFY(ReadCalibrationCsv(CaseFile(name), job.Mapping(), problem));
    // A session keeps positions to a thousandth of a pixel.
    for (TCalibrationPoint& p : job.Mapping().Calibration.Points)
        p.Pixel = {ThousandthPixel(p.Pixel.X), ThousandthPixel(p.Pixel.Y)};
    job.Mapping().Calibration.Points[0].Pixel.X = 320.125;
    const QByteArray text = SessionText(job, {});
    TJobDocument read;
    read.Apply(ParseSession(text, QStringLiteral("job.qsf")));
    QVERIFY(static_cast<const TMapping&>(read.Mapping()) == job.Mapping());
    QVERIFY2(text.contains(section), text.constData());
    // A kind this version does not know is refused, never read as another.
    QByteArray newer = text;
    newer.replace("kind=", "kind=spiral");
    QVERIFY_THROWS_EXCEPTION(EConvertError, ParseSession(newer, QStringLiteral("job.qsf")));
}

void TestPointsFit::csvWritesDatesAndUncertainty()
{
    TJobDocument job;
    QString problem;
    QVERIFY(ReadCalibrationCsv(CaseFile(QStringLiteral("dates_1day")), job.Mapping(), problem));
    job.CurrentSeries().Points = {{QStringLiteral("1"), 120, 620, true}};
    // Along rows a pixel is 108 s, and the Y axis leans 3 degrees: half a
    // pixel moves X by 54 / cos 3 degrees and Y by 0.04 / cos 3 degrees.
    const double lean = std::cos(3 * M_PI / 180);
    const QList<QByteArray> cells = AllSeriesCsv(job, true).split('\n')[1].trimmed().split(',');
    QCOMPARE(cells.mid(0, 4), (QList<QByteArray>{"Series 1", "1", "2026-12-08T00:00:00", "0"}));
    QVERIFY2(std::abs(cells[6].toDouble() - 54 / lean) < 1e-9, cells[6].constData());
    QVERIFY2(std::abs(cells[7].toDouble() - 0.04 / lean) < 1e-12, cells[7].constData());
    // Two points an axis fit exactly: no residual beyond rounding.
    QVERIFY(cells.size() == 10 && std::abs(cells[8].toDouble()) < 1e-12 && std::abs(cells[9].toDouble()) < 1e-12);
    // The fit's own residual where one point is 3 px off; none unasked.
    const QByteArray lsq = CaseFile(QStringLiteral("least_squares_off3px"));
    QVERIFY(ReadCalibrationCsv(lsq, job.Mapping(), problem));
    const std::vector<double> rms = Truth(lsq, QStringLiteral("rms")).at(0);
    const QList<QByteArray> fit = AllSeriesCsv(job, true).split('\n')[1].trimmed().split(',');
    QVERIFY2(std::abs(fit[8].toDouble() - rms[0]) < 1e-15 && std::abs(fit[9].toDouble() - rms[1]) < 1e-15,
             fit[8] + ' ' + fit[9]);
    QCOMPARE(AllSeriesCsv(job).split('\n')[0], QByteArray("series,point,x,y,pixel x,pixel y\r"));
    // A polar angle moves by half a pixel's arc at the point's own distance:
    // 50 px from the centre, 0.5 / 50 radians.
    QVERIFY(ReadCalibrationCsv(CaseFile(QStringLiteral("polar_radians")), job.Mapping(), problem));
    job.CurrentSeries().Points = {{QStringLiteral("1"), 400, 250, true}};
    const QList<QByteArray> polar = AllSeriesCsv(job, true).split('\n')[1].trimmed().split(',');
    QVERIFY2(polar.size() == 8 && std::abs(polar[6].toDouble() - 0.01) < 1e-15, polar.join(' ').constData());
}

void TestPointsFit::datesReadAndWritten_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("seconds"); // NaN: refused
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("written");
    const double nan = std::nan("");
    QTest::newRow("day") << "2026-12-08" << 1796688000.0 << int(dfDay) << "2026-12-08";
    QTest::newRow("minute, Z") << "2026-12-08T14:30Z" << 1796740200.0 << int(dfMinute) << "2026-12-08T14:30";
    QTest::newRow("rounds up into the next day") << "2026-12-08T23:59:59.9996" << 1796774399.9996 << int(dfMillisecond)
                                                 << "2026-12-09T00:00:00.000";
    QTest::newRow("before the epoch") << "1969-12-31 12:00" << -43200.0 << int(dfSecond) << "1969-12-31T12:00:00";
    QTest::newRow("no such day") << "2026-02-29" << nan << 0 << "";
    QTest::newRow("no such hour") << "2026-12-08T25:00" << nan << 0 << "";
    QTest::newRow("end of day") << "24:00" << 86400.0 << int(dfMinute) << "24:00";
    QTest::newRow("not a date") << "12/08/2026" << nan << 0 << "";
}

void TestPointsFit::datesReadAndWritten()
{
    QFETCH(QString, text);
    QFETCH(double, seconds);
    QFETCH(int, form);
    QFETCH(QString, written);
    const std::optional<double> read = ParseDateTime(text);
    QCOMPARE(read.has_value(), !std::isnan(seconds));
    if (!read)
        return;
    QVERIFY2(std::abs(*read - seconds) < 1e-6, qPrintable(QString::number(*read, 'f', 6)));
    QCOMPARE(DateTimeText(*read, TDateForm(form), IsTimeOfDayText(text)).value_or(QString()), written);
}

QTEST_GUILESS_MAIN(TestPointsFit)
#include "test_pointsfit.moc"

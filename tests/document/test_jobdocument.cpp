#include "document/JobDocument.h"
#include "document/SeriesCsv.h"
#include "document/SessionFile.h"

#include "ExactCompare.h"
#include "document/JobChange.h"
#include "platform/Conversions.h"

#include <QLocale>

#include <cmath>
#include <QSet>
#include <QtTest>

namespace {

// A job of Count series, each with its own name, look and points, the
// last one current.
TJobDocument Job(int count)
{
    TJobDocument job;
    job.Mapping().MappingRect = {10, 5, 410, 305};
    job.Mapping().XLeftValue = 0;
    job.Mapping().XRightValue = 4;
    job.Mapping().YBottomValue = 1;
    job.Mapping().YTopValue = 1000;
    job.Mapping().AxisYMap = amLog10;
    job.Mapping().Angle = 1.5;
    job.Mapping().Zoom = 2;
    for (int i = 1; i < count; ++i)
        job.AddSeries({});
    for (int i = 0; i < count; ++i) {
        TSeries& s = job.Series[std::size_t(i)];
        if (i % 3 == 1)
            s.Name = QStringLiteral("curve %1, measured").arg(i);
        s.Look.PointType = TPointType(i % 11);
        s.Look.PointSize = 1 + i % 10;
        s.Look.DrawLine = i % 2 == 0;
        s.Look.LineStyle = TPenStyle(i % 5);
        for (int k = 0; k <= i; ++k)
            s.Points.push_back({QString::number(k + 1), double(10 + 37 * k + i), double(300 - 11 * k)});
    }
    job.Current = count - 1;
    return job;
}

TJobDocument Reloaded(const QByteArray& text, const TSeriesLook& look = {})
{
    TJobDocument job;
    job.Apply(ParseSession(text, QStringLiteral("job.qsf"), look));
    return job;
}

QString ErrorOf(const QByteArray& text)
{
    try {
        ParseSession(text, QStringLiteral("job.qsf"));
    } catch (const EConvertError& e) {
        return e.Message;
    }
    return QStringLiteral("no error");
}

} // namespace

class TestJobDocument : public QObject {
    Q_OBJECT
private slots:
    void oneSeriesWritesTheOneSeriesFormat();
    void severalSeriesRoundTripByteForByte_data();
    void severalSeriesRoundTripByteForByte();
    void oneSeriesFilesLoadAsSeriesOne();
    void seriesSectionsAloneNameTheirSeries();
    void seriesInfoIsChecked();
    void allSeriesCsv();
    void csvIgnoresTheLocale();
    void newSeriesGetUnusedNamesAndColours();
    void renamingAndDeleting();
    void dataTextIsTheCurrentSeries();
    void fractionalPositions();
    void fractionalPositionsAreRefused_data();
    void fractionalPositionsAreRefused();
    void exactPositionsOnATurnedArea();
    void seriesChangesKeepOnlyTheSeriesTheyChanged_data();
    void seriesChangesKeepOnlyTheSeriesTheyChanged();
    void addedPointsTakeFreeNumbers();
};

void TestJobDocument::oneSeriesWritesTheOneSeriesFormat()
{
    TJobDocument job;
    job.Mapping().MappingRect = {52, 40, 610, 455};
    job.Mapping().XRightValue = 10;
    job.Mapping().YBottomValue = 1;
    job.Mapping().YTopValue = 1000;
    job.Mapping().AxisYMap = amLog10;
    job.CurrentSeries().Points = {{QStringLiteral("1"), 120, 300}, {QStringLiteral("2"), 180, 260}};
    const QByteArray expected = "[screenrect]\r\nx1=52\r\nx2=610\r\ny1=40\r\ny2=455\r\n"
                                "[dimensions]\r\ny1=1\r\ny2=1000\r\nx1=0\r\nx2=10\r\nAxisXMap=0\r\nAxisYMap=1\r\n"
                                "[series/series1]\r\n1=120,300\r\n2=180,260\r\n[image]\r\nangle=0\r\nzoom=1\r\n";
    QCOMPARE(SessionText(job, {}), expected);

    // The look compared with is the user's, not the built-in one.
    TSeriesLook mine;
    mine.PointColour = 0x00FF00;
    job.CurrentSeries().Look = mine;
    QCOMPARE(SessionText(job, mine), expected);
    QVERIFY(SessionText(job, {}).contains("[series]\r\ncount=1\r\ncurrent=1\r\nname1=Series 1\r\n"));
    job.CurrentSeries().Look = {};
    job.CurrentSeries().Name = QStringLiteral("Lift");
    QVERIFY(SessionText(job, {}).contains("name1=Lift\r\n"));
}

void TestJobDocument::severalSeriesRoundTripByteForByte_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("1") << 1;
    QTest::newRow("2") << 2;
    QTest::newRow("12") << 12;
}

void TestJobDocument::severalSeriesRoundTripByteForByte()
{
    QFETCH(int, count);
    const TJobDocument job = Job(count);
    const QByteArray text = SessionText(job, {});
    const TJobDocument back = Reloaded(text);
    QCOMPARE(back.Series.size(), job.Series.size());
    for (std::size_t i = 0; i < job.Series.size(); ++i)
        QVERIFY2(back.Series[i] == job.Series[i], qPrintable(job.Series[i].Name));
    QCOMPARE(back.Current, job.Current);
    QCOMPARE_EXACT(back.Mapping().Angle, 1.5);
    QCOMPARE(SessionText(back, {}), text);
    if (count > 1) {
        // The names and looks come after every series' points, before the
        // angle and zoom that open the image section.
        QVERIFY(text.indexOf("[series]") > text.indexOf(SeriesSection(count).toUtf8()));
        QVERIFY(text.endsWith("[image]\r\nangle=1.5\r\nzoom=2\r\n"));
    }
}

void TestJobDocument::oneSeriesFilesLoadAsSeriesOne()
{
    TSeriesLook look;
    look.PointColour = 0x123456;
    look.PointType = ptDiamond;
    const TJobDocument job =
        Reloaded("[dimensions]\r\nx1=0\r\n[series/series1]\r\na=1,2\r\nA=3,4\r\nb=5,6\r\n", look);
    QCOMPARE(job.Series.size(), std::size_t(1));
    QCOMPARE(job.Series[0].Name, QStringLiteral("Series 1"));
    QVERIFY(job.Series[0].Look == look);
    // Of two names that differ only in case, the first is the point.
    const std::vector<TSeriesPoint> expected{{QStringLiteral("a"), 1, 2}, {QStringLiteral("b"), 5, 6}};
    QVERIFY(job.Series[0].Points == expected);

    const TJobDocument empty = Reloaded("[dimensions]\r\nx1=0\r\n", look);
    QCOMPARE(empty.Series.size(), std::size_t(1));
    QCOMPARE(empty.Series[0].Name, QStringLiteral("Series 1"));
    QVERIFY(empty.Series[0].Points.empty());
}

void TestJobDocument::seriesSectionsAloneNameTheirSeries()
{
    const TJobDocument job = Reloaded("[series/series3]\r\n1=7,8\r\n[series/series1]\r\n1=1,2\r\n"
                                      "[series/series02]\r\n1=0,0\r\n[series/seriesx]\r\n1=0,0\r\n");
    QCOMPARE(job.Series.size(), std::size_t(2));
    QCOMPARE(job.Series[0].Name, QStringLiteral("Series 1"));
    QCOMPARE(job.Series[1].Name, QStringLiteral("Series 3"));
    QCOMPARE(job.Series[1].Points.at(0).X, 7);
    QCOMPARE(job.Current, 0);
    // Sections that only look like series are not lost unsaid.
    const QStringList warnings = ParseSession("[series/series02]\r\n1=0,0\r\n[series/seriesx]\r\n1=0,0\r\n",
                                              QStringLiteral("job.qsf"))
                                     .Warnings;
    QCOMPARE(warnings.size(), 2);
    QVERIFY(warnings[0].contains(QStringLiteral("[series/series02]")));
    // Series without a colour in the file are told apart, the first keeping
    // the user's.
    QCOMPARE(job.Series[0].Look.PointColour, TSeriesLook{}.PointColour);
    QVERIFY(job.Series[1].Look.PointColour != job.Series[0].Look.PointColour);

    // The count keeps empty series; names and looks fill in per key.
    const TJobDocument counted = Reloaded("[series/series2]\r\n1=1,1\r\n[series]\r\ncount=3\r\ncurrent=2\r\n"
                                          "name3=Drag\r\nPointSize3=99\r\nPointType3=11\r\nLineStyle3=2\r\n");
    QCOMPARE(counted.Series.size(), std::size_t(3));
    QCOMPARE(counted.Series[2].Name, QStringLiteral("Drag"));
    QCOMPARE(counted.Series[2].Look.PointSize, MaxLookPointSize);
    QCOMPARE(counted.Series[2].Look.PointType, ptPlus);
    QCOMPARE(counted.Series[2].Look.LineStyle, psDot);
    QCOMPARE(counted.Current, 1);
}

void TestJobDocument::seriesInfoIsChecked()
{
    QVERIFY(ErrorOf("[series]\r\ncount=0\r\n").contains(QStringLiteral("series count = 0 lies outside 1 to 1000")));
    QVERIFY(ErrorOf("[series]\r\ncount=1001\r\n").contains(QStringLiteral("lies outside")));
    QVERIFY(ErrorOf("[series]\r\ncount=two\r\n").contains(QStringLiteral("series count = two")));
    QCOMPARE(ErrorOf("[series]\r\ncount=1000\r\n"), QStringLiteral("no error"));
    QVERIFY(ErrorOf("[series/series2]\r\np=1;2\r\n").contains(QStringLiteral("job.qsf")));
    // A current series the file does not hold is the first.
    QCOMPARE(Reloaded("[series]\r\ncount=2\r\ncurrent=9\r\n").Current, 0);
}

void TestJobDocument::allSeriesCsv()
{
    TJobDocument job;
    job.Mapping().MappingRect = {0, 0, 3, 3};
    job.Mapping().XRightValue = 1;
    job.Mapping().YBottomValue = 0;
    job.Mapping().YTopValue = 1e20;
    job.CurrentSeries().Points = {{QStringLiteral("1"), 1, 0}, {QStringLiteral("say \"hi\""), 3, 3}};
    job.AddSeries({});
    job.Series[1].Name = QStringLiteral("a,b");
    job.Series[1].Points = {{QStringLiteral("ü"), 2, 1}};
    job.AddSeries({}); // no points: no rows
    const QByteArray expected = "series,point,x,y,pixel x,pixel y\r\n"
                                "Series 1,1,0.3333333333333333,1e+20,1,0\r\n"
                                "Series 1,\"say \"\"hi\"\"\",1,0,3,3\r\n"
                                "\"a,b\",\xC3\xBC,0.6666666666666666,66666666666666663936,2,1\r\n";
    QCOMPARE(AllSeriesCsv(job), expected);

    // Without a plotting area there are no data values to give.
    job.Mapping().MappingRect = {};
    QVERIFY(AllSeriesCsv(job).contains("Series 1,1,,,1,0\r\n"));
}

void TestJobDocument::csvIgnoresTheLocale()
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TJobDocument job;
    job.Mapping().MappingRect = {0, 0, 4, 4};
    job.Mapping().XRightValue = 1;
    job.CurrentSeries().Points = {{QStringLiteral("1"), 1, 1}};
    const QByteArray csv = AllSeriesCsv(job);
    QLocale::setDefault(before);
    QCOMPARE(csv.split('\n').at(1), QByteArray("Series 1,1,0.25,75,1,1\r"));
}

void TestJobDocument::newSeriesGetUnusedNamesAndColours()
{
    TJobDocument job;
    job.Series[0].Name = QStringLiteral("Series 2");
    QSet<TColor> colours{job.Series[0].Look.PointColour};
    QSet<TColor> lines{job.Series[0].Look.LineColour};
    // Far past the palette, and past any short cycle of made-up colours.
    for (int i = 0; i < 600; ++i) {
        const int index = job.AddSeries({});
        QCOMPARE(index, i + 1);
        const TSeriesLook& look = job.Series[std::size_t(index)].Look;
        QVERIFY2(!colours.contains(look.PointColour), qPrintable(QString::number(i)));
        QVERIFY2(!lines.contains(look.LineColour), qPrintable(QString::number(i)));
        colours.insert(look.PointColour);
        lines.insert(look.LineColour);
    }
    QCOMPARE(job.Series[1].Name, QStringLiteral("Series 3"));
    QStringList names;
    for (const TSeries& s : job.Series)
        names << s.Name.toLower();
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    // A look's colour that no series has yet is kept.
    TSeriesLook free;
    free.PointColour = 0x010203;
    QCOMPARE(job.Series[std::size_t(job.AddSeries(free))].Look.PointColour, TColor(0x010203));
}

void TestJobDocument::renamingAndDeleting()
{
    TJobDocument job = Job(3);
    QCOMPARE(job.RenameProblem(0, QStringLiteral("  ")), QStringLiteral("A series needs a name."));
    QCOMPARE(job.RenameProblem(0, QStringLiteral("SERIES 3")),
             QStringLiteral("There is already a series named \"Series 3\"."));
    QCOMPARE(job.RenameProblem(2, QStringLiteral("series 3")), QString());
    job.RenameSeries(0, QStringLiteral("Lift"));
    QCOMPARE(job.SeriesIndex(QStringLiteral("lift")), 0);

    job.Current = 2;
    job.DeleteSeries(2); // the last, current: the one before becomes current
    QCOMPARE(job.Current, 1);
    job.DeleteSeries(0); // before the current one
    QCOMPARE(job.Current, 0);
    QCOMPARE(job.CurrentSeries().Name, job.Series[0].Name);
    job.DeleteSeries(0); // the last series stays
    QCOMPARE(job.Series.size(), std::size_t(1));
}

void TestJobDocument::dataTextIsTheCurrentSeries()
{
    TJobDocument job = Job(2);
    job.Mapping().Angle = 0;
    job.Current = 0;
    const QStringList lines = job.DataText(u'\t', 6, 3).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    job.Current = 1;
    QCOMPARE(job.DataText(u'\t', 6, 3).count(QStringLiteral("\r\n")), 2);
    // Point (11, 300) of series 2 lies 1 pixel into a 400-pixel-wide area
    // from 0 to 4, 5 pixels above the bottom of a log axis from 1 to 1000
    // 300 pixels high.
    QCOMPARE(job.DataText(u'\t', 6, 3).section(QStringLiteral("\r\n"), 0, 0), QStringLiteral("0.01\t1.12202"));
}

void TestJobDocument::fractionalPositions()
{
    const TJobDocument job =
        Reloaded("[series/series1]\r\n1=12.5,7.125\r\n2=-3.25,4\r\n3=1.23456,2.0004\r\n4=10,20\r\n5=+0.5,-0.0\r\n");
    const std::vector<TSeriesPoint>& p = job.CurrentSeries().Points;
    QCOMPARE(p.size(), std::size_t(5));
    QCOMPARE_EXACT(p[0].X, 12.5);
    QCOMPARE_EXACT(p[0].Y, 7.125);
    QCOMPARE_EXACT(p[1].X, -3.25);
    // Kept to the thousandth that a save can write back.
    QCOMPARE_EXACT(p[2].X, 1.235);
    QCOMPARE_EXACT(p[2].Y, 2.0);
    QVERIFY(SessionText(job, {}).contains(
        "[series/series1]\r\n1=12.5,7.125\r\n2=-3.25,4\r\n3=1.235,2\r\n4=10,20\r\n5=0.5,0\r\n"));
    QCOMPARE(SessionText(Reloaded(SessionText(job, {})), {}), SessionText(job, {}));

    TJobDocument csv;
    csv.CurrentSeries().Points = {{QStringLiteral("1"), 12.5, 7.125}};
    QVERIFY(AllSeriesCsv(csv).endsWith(",12.5,7.125\r\n"));
}

void TestJobDocument::fractionalPositionsAreRefused_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QString>("message");
    QTest::newRow("two points") << QByteArray("1=1.2.3,4") << "'1.2.3' is not a valid integer value";
    QTest::newRow("exponent") << QByteArray("1=1e3,4") << "'1e3' is not a valid integer value";
    QTest::newRow("no whole part") << QByteArray("1=.5,4") << "'.5' is not a valid integer value";
    QTest::newRow("no fraction") << QByteArray("1=5.,4") << "'5.' is not a valid integer value";
    QTest::newRow("decimal comma") << QByteArray("1=5,4,5") << "'4,5' is not a valid integer value";
    QTest::newRow("far out") << QByteArray("1=10000000.5,0") << "point 1 X = 10000000.5 lies outside";
}

void TestJobDocument::fractionalPositionsAreRefused()
{
    QFETCH(QByteArray, entry);
    QFETCH(QString, message);
    const QString error = ErrorOf("[series/series1]\r\n" + entry + "\r\n");
    QVERIFY2(error.contains(message), qPrintable(error));
}

void TestJobDocument::exactPositionsOnATurnedArea()
{
    TViewMapping m;
    m.MappingRect = {10, 5, 410, 305};
    m.XRightValue = 4;
    m.YBottomValue = 1;
    m.YTopValue = 1000;
    m.AxisYMap = amLog10;
    m.Angle = 1.5;
    // A fractional position is turned without rounding.
    const TPointF p{100.25, 50.75};
    const double a = 1.5 * M_PI / 180;
    const double qx = 10 + (p.X - 10) * std::cos(a) + (p.Y - 305) * std::sin(a);
    const double qy = 305 - (p.X - 10) * std::sin(a) + (p.Y - 305) * std::cos(a);
    TDataPoint d;
    m.PixelToData(p, d);
    QVERIFY(std::abs(d.X - (qx - 10) / 400 * 4) < 1e-12);
    QVERIFY(std::abs(d.Y / std::pow(10.0, (qy - 305) / (5.0 - 305) * 3) - 1) < 1e-12);
    // A whole one gives what it always gave, the turned pixel rounded.
    TDataPoint whole;
    TDataPoint exact;
    m.PixelToData(TPointF{100, 50}, whole);
    m.PixelToData(TPoint{100, 50}, exact);
    QCOMPARE_EXACT(whole.X, exact.X);
    QCOMPARE_EXACT(whole.Y, exact.Y);
    TDataPoint near;
    m.PixelToData(TPointF{100.001, 50}, near);
    QVERIFY(near.X != whole.X);
}

void TestJobDocument::addedPointsTakeFreeNumbers()
{
    TJobDocument job;
    job.CurrentSeries().Points = {{QStringLiteral("2"), 1, 1}, {QStringLiteral("Peak"), 2, 2}};
    job.AddPoints({{1.0004, 2}, {3.5, 4.25}, {5, 6}});
    const std::vector<TSeriesPoint>& p = job.CurrentSeries().Points;
    QCOMPARE(p.size(), std::size_t(5));
    // Found, so turned exactly even where whole.
    QCOMPARE(p[2], (TSeriesPoint{QStringLiteral("1"), 1, 2, true}));
    QCOMPARE(p[3], (TSeriesPoint{QStringLiteral("3"), 3.5, 4.25, true}));
    QCOMPARE(p[4], (TSeriesPoint{QStringLiteral("4"), 5, 6, true}));
}

void TestJobDocument::seriesChangesKeepOnlyTheSeriesTheyChanged_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("kept");
    QTest::newRow("another chosen") << "choose" << 0;
    QTest::newRow("one renamed") << "rename" << 2;
    QTest::newRow("one made") << "add" << 1;
    QTest::newRow("one deleted inside") << "delete" << 1;
}

// Made back from the job as it stands, before and after are exactly as
// they were; only the series the change touched are kept.
void TestJobDocument::seriesChangesKeepOnlyTheSeriesTheyChanged()
{
    QFETCH(QString, change);
    QFETCH(int, kept);
    TJobDocument before;
    for (int n = 0; n < 3; ++n) {
        if (n > 0)
            before.AddSeries({});
        for (int i = 0; i < 1000; ++i)
            before.Series.back().Points.push_back({QString::number(i), double(i), double(n)});
    }
    TJobDocument after = before;
    if (change == "choose")
        after.Current = 2;
    else if (change == "rename")
        after.Series[1].Name = QStringLiteral("Peaks");
    else if (change == "add")
        after.AddSeries({});
    else
        after.DeleteSeries(1);
    const TJobChange step(before, after);
    QCOMPARE(int(step.Kept()), kept);
    const auto same = [](const TJobDocument& a, const TJobDocument& b) {
        return a.Series == b.Series && a.Current == b.Current;
    };
    TJobDocument job = after;
    step.Undo(job);
    QVERIFY(same(job, before));
    step.Redo(job);
    QVERIFY(same(job, after));
}

QTEST_GUILESS_MAIN(TestJobDocument)
#include "test_jobdocument.moc"

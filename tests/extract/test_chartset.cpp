#include "ChartSet.h"

#include <QtTest>

#include <map>

namespace {

// What the default extraction must do on each chart of seed 1: limits about
// one and a half times what it achieves, and whether it must call the
// result doubtful rather than sure. Two blues 12 levels apart, JPEG'd,
// cannot be told apart; there it must say so.
struct TLimits {
    double Coverage;
    double Median;
    double Worst;
    bool Doubtful = false;
};

const std::map<QString, TLimits>& Limits()
{
    static const std::map<QString, TLimits> limits{
        {QStringLiteral("blue beside a blue"), {0.95, 0.03, 0.18}},
        {QStringLiteral("the other blue"), {0.95, 0.017, 0.6}},
        {QStringLiteral("orange across red"), {0.95, 0.017, 0.22}},
        {QStringLiteral("red"), {0.95, 0.01, 0.27}},
        {QStringLiteral("thin 1 px"), {0.95, 0.04, 0.6}},
        {QStringLiteral("red, JPEG 65"), {0.95, 0.062, 0.38}},
        {QStringLiteral("blue, JPEG 75"), {0, INFINITY, INFINITY, true}},
        {QStringLiteral("sine through crossings"), {0.95, 0.02, 0.26}},
        {QStringLiteral("dashed, steep"), {0.95, 0.06, 0.41}},
        {QStringLiteral("dotted"), {0.95, 0.056, 1.0}},
        {QStringLiteral("scan, faded pick"), {0.95, 0.062, 0.35}},
        {QStringLiteral("scan as JPEG 70"), {0.95, 0.078, 0.54}},
        {QStringLiteral("circles, a pair overlapping"), {1, 0.008, 0.55}},
        {QStringLiteral("squares"), {1, 0.012, 0.078}},
        {QStringLiteral("triangles joined by a line"), {1, 0.39, 1.45}},
        {QStringLiteral("diamonds"), {1, 0.012, 0.042}},
        {QStringLiteral("thick, steep"), {0.95, 0.06, 0.22}},
    };
    return limits;
}

} // namespace

class TestChartSet : public QObject {
    Q_OBJECT

private slots:
    void defaultExtraction_data();
    void defaultExtraction();
    void aHeavierStrokeToItsEnds();
};

void TestChartSet::defaultExtraction_data()
{
    QTest::addColumn<int>("index");
    const std::vector<TChartCase> cases = ChartSet(1);
    for (std::size_t i = 0; i < cases.size(); ++i)
        QTest::newRow(qPrintable(cases[i].Name)) << int(i);
}

// Never a wrong point in a sure result; a doubtful one where the chart
// cannot be read for sure.
void TestChartSet::defaultExtraction()
{
    QFETCH(int, index);
    const TChartCase chart = ChartSet(1)[std::size_t(index)];
    const auto limits = Limits().find(chart.Name);
    QVERIFY2(limits != Limits().end(), qPrintable(chart.Name));
    const TChartScore score = Score(chart);
    qInfo("%s", qPrintable(ScoreLine(chart, score)));
    QVERIFY2(score.Problem.isEmpty(), qPrintable(score.Problem));
    QCOMPARE(score.Doubtful, limits->second.Doubtful);
    if (score.Doubtful)
        return;
    QCOMPARE(score.Wrong, std::size_t(0));
    QVERIFY(score.Coverage >= limits->second.Coverage);
    QVERIFY(score.Median <= limits->second.Median);
    QVERIFY(score.Worst <= limits->second.Worst);
}

// A stroke twice as heavy (seed 3: 15 px), steep at both ends: the points
// nearest its caps lie across it as well as those between.
void TestChartSet::aHeavierStrokeToItsEnds()
{
    const TChartCase chart = ChartSet(3).back();
    QCOMPARE(chart.Name, QStringLiteral("thick, steep"));
    const TChartScore score = Score(chart);
    qInfo("%s", qPrintable(ScoreLine(chart, score)));
    QVERIFY(!score.Doubtful && score.Wrong == 0 && score.Coverage >= 0.95);
    QVERIFY(score.Median <= 0.06);
    QVERIFY(score.Worst <= 0.45);
}

QTEST_MAIN(TestChartSet)
#include "test_chartset.moc"

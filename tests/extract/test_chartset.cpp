#include "ChartSet.h"
#include "extract/Extraction.h"
#include "extract/Palette.h"
#include "image/FreeBitmap.h"

#include <QtTest>

class TestChartSet : public QObject {
    Q_OBJECT

private slots:
    void defaultExtraction_data();
    void defaultExtraction();
};

void TestChartSet::defaultExtraction_data()
{
    QTest::addColumn<int>("index");
    const std::vector<TChartCase> cases = ChartSet(1);
    for (std::size_t i = 0; i < cases.size(); ++i)
        QTest::newRow(qPrintable(cases[i].Name)) << int(i);
}

void TestChartSet::defaultExtraction()
{
    QFETCH(int, index);
    const TChartCase chart = ChartSet(1)[std::size_t(index)];
    const TChartScore score = Score(chart);
    qInfo("%s", qPrintable(ScoreLine(chart, score)));
    if (qEnvironmentVariableIsSet("DUMP")) { QString path = "/tmp/q/x." + QString::fromLatin1(chart.Format); chart.Picture.save(path, chart.Format.constData(), chart.Quality); TFreeWinBitmap bm; bm.Load(path);
      TPixelSource source(bm.DisplaySource()); TPalette pal = AreaPalette(source, chart.Area); QString t = RgbText(pal.Background) + QStringLiteral(" noise %1:").arg(pal.Noise); for (auto& i : pal.Inks) t += " " + RgbText(i); qInfo("%s tol %d", qPrintable(t), PaletteTolerance(pal, chart.Colour, 64));
      TExtraction e = ExtractCurve(source, chart.Area, chart.Colour, PaletteTolerance(pal, chart.Colour, 64), 10); qInfo("%s", qPrintable(e.Report.Text(e.Points.size()))); if (qEnvironmentVariableIsSet("POINTS")) for (auto& p : e.Points) qInfo("%.1f %.1f truth %.1f", p.X, p.Y, chart.Truth ? chart.Truth(p.X) : 0.0);  chart.Picture.save(QStringLiteral("/tmp/q/case%1.png").arg(index)); }
    QVERIFY2(score.Problem.isEmpty(), qPrintable(score.Problem));
    QCOMPARE(score.Wrong, std::size_t(0));
}

QTEST_MAIN(TestChartSet)
#include "test_chartset.moc"

// Prints how the default extraction does on the chart set drawn with other
// seeds, sizes and styles than the tests hold limits for:
//   chartset_table [FIRST_SEED [LAST_SEED]]      (default 2 to 6)
#include "ChartSet.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const unsigned first = arguments.size() > 1 ? arguments[1].toUInt() : 2;
    const unsigned last = arguments.size() > 2 ? arguments[2].toUInt() : first + 4;
    QTextStream out(stdout);
    std::size_t charts = 0;
    std::size_t wrongSure = 0;
    std::size_t doubtful = 0;
    for (unsigned seed = first; seed <= last; ++seed)
        for (const TChartCase& chart : ChartSet(seed)) {
            const TChartScore score = Score(chart);
            out << "seed " << seed << " | " << ScoreLine(chart, score) << '\n';
            ++charts;
            doubtful += score.Doubtful;
            wrongSure += !score.Doubtful && score.Wrong > 0;
        }
    out << charts << " charts, " << doubtful << " doubtful, " << wrongSure << " sure with a wrong point\n";
    return 0;
}

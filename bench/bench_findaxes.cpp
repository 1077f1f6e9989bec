// Finding a chart's axes in a 2000 x 1500 picture: lines, ticks and the
// labels read, with the recogniser started afresh as each search does.
#include "axes/FindAxes.h"
#include "axes/LabelReader.h"

#include <QImage>

#include <algorithm>

#include <benchmark/benchmark.h>

namespace {

TGrayPicture Chart(const char* Name)
{
    // Set on a white page of that size, as a scan's margin.
    const QImage image =
        QImage(QStringLiteral(AXES_CHARTS "/") + QLatin1String(Name)).convertToFormat(QImage::Format_Grayscale8);
    TGrayPicture gray{2000, 1500, std::vector<std::uint8_t>(2000 * 1500, 255)};
    for (int y = 0; y < std::min(image.height(), 1450); ++y)
        std::copy_n(image.constScanLine(y), std::min(image.width(), 1960),
                    &gray.Pixels[std::size_t(y + 50) * 2000 + 40]);
    return gray;
}

// Charts of 1900 x 1367 drawn at 300 dpi: one upright, one a scan turned
// by two degrees.
void BM_FindAxes2000x1500(benchmark::State& State, const char* Name)
{
    const TGrayPicture chart = Chart(Name);
    for (auto _ : State) {
        TLabelReader reader;
        const TFoundAxes found = FindAxes(chart, reader);
        if (!found.Axes.Problem.isEmpty())
            State.SkipWithError(qPrintable(found.Axes.Problem));
        benchmark::DoNotOptimize(found.Axes.X.Ticks.data());
    }
}
BENCHMARK_CAPTURE(BM_FindAxes2000x1500, drawn, "chart54.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindAxes2000x1500, turned, "chart29.jpg")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

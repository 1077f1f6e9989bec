// Extraction across a 12000 x 9000 scan: following a curve, finding markers,
// the highlight of matching pixels that the dialog shows, and the area's
// palette that each of them starts from; and the look for a faded colour.
#include "extract/Extraction.h"
#include "extract/MarkerExtraction.h"
#include "extract/MatchMask.h"
#include "extract/Palette.h"
#include "extract/ShownColour.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <memory>

namespace {

constexpr int ScanWidth = 12000;
constexpr int ScanHeight = 9000;
const TRgb Red{200, 20, 30};
const TRgb Blue{20, 40, 210};
const TExtractArea Area{{300, 300, 11700, 8700}, 0};

// A 24-bit scan holding a red curve 3 pixels thick, crossed by a blue line,
// and 2000 blue markers of radius 5; made once.
FIBITMAP* Scan()
{
    static const std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)> scan = [] {
        QImage image(ScanWidth, ScanHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            QPainterPath curve;
            curve.moveTo(0, 4500);
            for (double x = 0; x <= ScanWidth; x += 1)
                curve.lineTo(x, 4500 + 3000 * std::sin(x / 1500) + 600 * std::tanh((x - 6000) / 40));
            p.setPen(QPen(QColor(200, 20, 30), 3));
            p.drawPath(curve);
            p.setPen(QPen(QColor(20, 40, 210), 3));
            p.drawLine(QPointF(300, 8700), QPointF(11700, 300));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(20, 40, 210));
            for (int i = 0; i < 2000; ++i)
                p.drawEllipse(QPointF(400 + (i * 5.63), 600 + std::fmod(i * 977.31, 7800)), 5, 5);
        }
        image = image.convertToFormat(QImage::Format_BGR888);
        FIBITMAP* dib = FreeImage_ConvertFromRawBits(image.bits(), ScanWidth, ScanHeight, int(image.bytesPerLine()),
                                                     24, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK,
                                                     TRUE);
        return std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)>(dib, &FreeImage_Unload);
    }();
    return scan.get();
}

void BM_ExtractCurve(benchmark::State& state)
{
    const TPixelSource source(Scan());
    TExtractRequest request;
    request.Kind = TExtractRequest::ekCurve;
    request.Colour = Red;
    request.Tolerance = DefaultTolerance;
    request.Step = double(state.range(0));
    std::size_t points = 0;
    for (auto _ : state)
        points = RunExtraction(source, Area, request).Points.size();
    state.counters["points"] = double(points);
}
BENCHMARK(BM_ExtractCurve)->Arg(10)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ExtractMarkers(benchmark::State& state)
{
    const TPixelSource source(Scan());
    TExtractRequest request;
    request.Kind = TExtractRequest::ekMarkers;
    request.Colour = Blue;
    request.Tolerance = DefaultTolerance;
    std::size_t points = 0;
    for (auto _ : state)
        points = RunExtraction(source, Area, request).Points.size();
    state.counters["points"] = double(points);
}
BENCHMARK(BM_ExtractMarkers)->Unit(benchmark::kMillisecond);

void BM_MatchMask(benchmark::State& state)
{
    const TPixelSource source(Scan());
    for (auto _ : state)
        benchmark::DoNotOptimize(MatchMask(source, Area, Red, DefaultTolerance));
}
BENCHMARK(BM_MatchMask)->Unit(benchmark::kMillisecond);

// The inks of the area, which every extraction and the dialog's highlight
// find first.
void BM_AreaPalette(benchmark::State& state)
{
    const TPixelSource source(Scan());
    std::size_t inks = 0;
    for (auto _ : state)
        inks = AreaPalette(source, Area).Inks.size();
    state.counters["inks"] = double(inks);
}
BENCHMARK(BM_AreaPalette)->Unit(benchmark::kMillisecond);

// The pass that looks for a scan's faded rendition of a colour none of its
// inks is: the whole area once, as a noisy scan asked in a colour as drawn.
void BM_ShownColour(benchmark::State& state)
{
    const TPixelSource source(Scan());
    TPalette palette = AreaPalette(source, Area);
    palette.Noise = 4;
    bool shown = false;
    for (auto _ : state)
        shown = ShownColour(source, Area, palette, {255, 127, 14}).has_value();
    state.counters["shown"] = shown;
}
BENCHMARK(BM_ShownColour)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Loading a 12000 x 9000 scan and drawing a full-screen part of it.
#include "image/FreeBitmap.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace {

constexpr int ScanWidth = 12000;
constexpr int ScanHeight = 9000;

// Made once and kept in the temporary folder: encoding it takes longer than
// the benchmarks themselves.
QString ScanFile()
{
    const QString path = QDir::tempPath() + QStringLiteral("/quillon-bench-12000x9000.png");
    if (QFile::exists(path))
        return path;
    FIBITMAP* dib = FreeImage_Allocate(ScanWidth, ScanHeight, 24);
    for (int y = 0; y < ScanHeight; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, y);
        for (int x = 0; x < ScanWidth; ++x) {
            line[3 * x + FI_RGBA_RED] = static_cast<BYTE>(x * 7);
            line[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(y * 3);
            line[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>((x ^ y) & 0xFF);
        }
    }
    const QString partial = path + QStringLiteral(".part");
    FreeImage_Save(FIF_PNG, dib, QFile::encodeName(partial).constData(), PNG_Z_BEST_SPEED);
    FreeImage_Unload(dib);
    QFile::rename(partial, path);
    return path;
}

void BM_LoadScan(benchmark::State& state)
{
    const QString path = ScanFile();
    for (auto _ : state) {
        TFreeWinBitmap image;
        benchmark::DoNotOptimize(image.Load(path));
    }
}
BENCHMARK(BM_LoadScan)->Unit(benchmark::kMillisecond)->Iterations(3);

// FreeImage decoding in this process, what the child-process load is held to.
void BM_LoadScanBare(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(ScanFile());
    for (auto _ : state) {
        FIBITMAP* dib = FreeImage_Load(FIF_PNG, path.constData(), 0);
        benchmark::DoNotOptimize(dib);
        FreeImage_Unload(dib);
    }
}
BENCHMARK(BM_LoadScanBare)->Unit(benchmark::kMillisecond)->Iterations(3);

TFreeWinBitmap& Scan()
{
    static TFreeWinBitmap image;
    if (!image.IsValid())
        image.Load(ScanFile());
    return image;
}

// One full-screen part of the scan at the given zoom (in hundredths), drawn
// by `draw`(painter, zoom, whole destination, part).
template <typename Draw>
void DrawScreenPart(benchmark::State& state, Draw draw)
{
    TFreeWinBitmap& image = Scan();
    const float zoom = state.range(0) / 100.0f;
    const TRect rect{0, 0, int(ScanWidth * zoom), int(ScanHeight * zoom)};
    const TRect part{rect.Right / 3, rect.Bottom / 3, rect.Right / 3 + 1920, rect.Bottom / 3 + 1080};
    QImage screen(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&screen);
        painter.translate(-part.Left, -part.Top);
        draw(image, painter, zoom, rect, part);
    }
}

// Stretched into a rectangle.
void BM_DrawScreenPart(benchmark::State& state)
{
    DrawScreenPart(state, [](TFreeWinBitmap& image, QPainter& painter, float, const TRect& rect, const TRect& part) {
        image.Draw(painter, rect, part);
    });
}
BENCHMARK(BM_DrawScreenPart)->Arg(25)->Arg(100)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond);

// By the click rule, as the view draws it.
void BM_DrawZoomedScreenPart(benchmark::State& state)
{
    DrawScreenPart(state, [](TFreeWinBitmap& image, QPainter& painter, float zoom, const TRect&, const TRect& part) {
        image.DrawZoomed(painter, zoom, part);
    });
}
BENCHMARK(BM_DrawZoomedScreenPart)->Arg(25)->Arg(100)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// One repaint of a full-screen part of a 12000 x 9000 scan with 1,000 sites,
// at several zooms, and the process's resident memory as a multiple of
// width x height x 4 bytes.
#include "view/quillonview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QRegion>
#include <QTemporaryDir>

#include <cmath>
#include <random>

namespace {

constexpr int ScanWidth = 12000;
constexpr int ScanHeight = 9000;

double ResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() * 1024;
    return 0;
}

// The scan with 1,000 sites, joined by the line: along a curve across the
// plotting area as a digitised chart has them, or scattered at random, the
// worst case for the line.
TQuillonView& ScanView(bool scattered)
{
    static TQuillonView* view = [] {
        auto* v = new TQuillonView;
        v->Image.SetSize(FIT_BITMAP, ScanWidth, ScanHeight, 24);
        for (int y = 0; y < ScanHeight; ++y) {
            BYTE* line = FreeImage_GetScanLine(v->Image.GetDib(), y);
            for (int x = 0; x < 3 * ScanWidth; ++x)
                line[x] = static_cast<BYTE>(x ^ y);
        }
        v->SetMappingRect({500, 400, 11500, 8600});
        v->Settings->DrawLine = true;
        v->Settings->PointType = ptSquarePlus;
        return v;
    }();
    view->ClearSites();
    std::mt19937 random(7);
    for (int i = 0; i < 1000; ++i) {
        const int x = scattered ? int(random() % ScanWidth) : 500 + i * 11;
        const int y = scattered ? int(random() % ScanHeight) : 4500 + int(3500 * std::sin(i / 80.0));
        view->AddSite(QString::number(i + 1), x, y);
    }
    return *view;
}

// Arguments: zoom in hundredths, and 1 for scattered sites.
void BM_RepaintScreen(benchmark::State& state)
{
    TQuillonView& view = ScanView(state.range(1) != 0);
    view.SetZoom(state.range(0) / 100.0f);
    const QRect screen(view.width() / 3, view.height() / 3, 1920, 1080);
    QImage target(screen.size(), QImage::Format_RGB32);
    for (auto _ : state)
        view.render(&target, QPoint(), QRegion(screen));
    state.counters["rss_per_wh4"] = ResidentBytes() / (double(ScanWidth) * ScanHeight * 4);
}
BENCHMARK(BM_RepaintScreen)
    ->ArgsProduct({{25, 100, 250, 500}, {0, 1}})
    ->ArgNames({"zoom%", "scattered"})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The view reads the per-user settings; keep the real ones out of it.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

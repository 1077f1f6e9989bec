// A page of a 20-page PDF of charts: opened and rendered at 300 dpi in the
// renderer program, its paths listed in this process, and a curve picked.
#include "drawing/DrawingAxes.h"
#include "drawing/DrawingPick.h"
#include "drawing/PageSource.h"
#include "image/PictureDecoder.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <cmath>

namespace {

constexpr int Pages = 20;
constexpr int Vertices = 2000;

// Each page a chart: a frame with ticks and labels, a curve of Vertices
// points and 50 markers, written by Qt's own PDF writer. Made once.
QString TwentyPages()
{
    const QString path = QDir::tempPath() + QStringLiteral("/quillon-bench-20-pages.pdf");
    if (QFile::exists(path))
        return path;
    const QString partial = path + QStringLiteral(".part");
    {
        QPdfWriter pdf(partial);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(72);
        QPainter p(&pdf);
        for (int page = 0; page < Pages; ++page) {
            if (page > 0)
                pdf.newPage();
            const QRectF box(80, 120, 420, 300);
            p.setPen(QPen(Qt::black, 1));
            p.drawRect(box);
            for (int i = 0; i <= 10; ++i) {
                const double x = box.left() + i * box.width() / 10;
                p.drawLine(QPointF(x, box.bottom()), QPointF(x, box.bottom() + 4));
                p.drawText(QPointF(x - 6, box.bottom() + 16), QString::number(i * 10));
            }
            QPainterPath curve;
            for (int i = 0; i < Vertices; ++i) {
                const double t = double(i) / (Vertices - 1);
                const QPointF v(box.left() + t * box.width(),
                                box.center().y() + 0.4 * box.height() * std::sin(12 * t + page));
                i == 0 ? curve.moveTo(v) : curve.lineTo(v);
            }
            p.setPen(QPen(QColor(0x1f, 0x77, 0xb4), 1.5));
            p.drawPath(curve);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xd6, 0x27, 0x28));
            for (int i = 0; i < 50; ++i)
                p.drawEllipse(QPointF(box.left() + 8 * i, box.top() + 20 + 3 * i), 3, 3);
            p.setBrush(Qt::NoBrush);
        }
    }
    QFile::rename(partial, path);
    return path;
}

void BM_RenderPageAt300Dpi(benchmark::State& state)
{
    const QString file = TwentyPages();
    for (auto _ : state) {
        QByteArray drawing;
        TDecodedPicture page = RenderPage(file, {10, 300}, {}, drawing);
        benchmark::DoNotOptimize(page.Dib);
        if (!page.Dib)
            state.SkipWithError(qPrintable(page.Report.Detail));
        FreeImage_Unload(page.Dib);
    }
}
BENCHMARK(BM_RenderPageAt300Dpi)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ListPathsOfAPage(benchmark::State& state)
{
    QFile file(TwentyPages());
    file.open(QIODevice::ReadOnly);
    QString why;
    const std::unique_ptr<TPageSource> source = TPageSource::Open(file.readAll(), why);
    const QSize size = PagePixels(source->PageSize(10), 300);
    for (auto _ : state) {
        TDrawing drawing;
        source->Record(10, size, drawing);
        benchmark::DoNotOptimize(drawing.Paths.data());
    }
}
BENCHMARK(BM_ListPathsOfAPage)->Unit(benchmark::kMillisecond);

void BM_PickCurveAndAxes(benchmark::State& state)
{
    QFile file(TwentyPages());
    file.open(QIODevice::ReadOnly);
    QString why;
    const std::unique_ptr<TPageSource> source = TPageSource::Open(file.readAll(), why);
    TDrawing drawing;
    source->Record(10, PagePixels(source->PageSize(10), 300), drawing);
    for (auto _ : state) {
        const TDrawingPick curve = CurveOfColour(drawing, qRgb(0x1f, 0x77, 0xb4), std::nullopt);
        const TDrawnAxes axes = ReadDrawnAxes(drawing);
        benchmark::DoNotOptimize(curve.Points.data());
        benchmark::DoNotOptimize(axes.X.Ticks.data());
    }
}
BENCHMARK(BM_PickCurveAndAxes)->Unit(benchmark::kMillisecond);

// A scatter of 20,000 markers and a curve written as 20,000 pieces, as some
// producers write them: the whole drawing is scanned a bounded number of
// times, never once a piece.
void BM_PickAmongManyPieces(benchmark::State& state)
{
    constexpr int Count = 20000;
    TDrawing drawing;
    for (int i = 0; i < Count; ++i) {
        const QPointF a(0.1 * i, 500 + 100 * std::sin(i / 300.0)), b(0.1 * (i + 1), 500 + 100 * std::sin((i + 1) / 300.0));
        drawing.Paths.push_back({{a, b}, {0}, true, qRgb(0x1f, 0x77, 0xb4), 2, {}, false, 0});
        const QPointF c(13.7 * (i % 150), 7.3 * (i / 150));
        drawing.Paths.push_back({{c + QPointF(-3, 0), c + QPointF(0, -3), c + QPointF(3, 0), c + QPointF(0, 3),
                                  c + QPointF(-3, 0)},
                                 {0}, false, 0, 0, {}, true, qRgb(0xd6, 0x27, 0x28)});
    }
    for (auto _ : state) {
        const TDrawingPick curve = CurveOfColour(drawing, qRgb(0x1f, 0x77, 0xb4), std::nullopt);
        const TDrawingPick markers = MarkersOfColour(drawing, qRgb(0xd6, 0x27, 0x28), std::nullopt);
        if (curve.Paths != Count || markers.Paths != Count)
            state.SkipWithError("not every piece or marker was found");
    }
}
BENCHMARK(BM_PickAmongManyPieces)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

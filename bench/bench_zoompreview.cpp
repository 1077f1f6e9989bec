// What the zoom preview costs the process: CPU milliseconds for each second
// of wall time, with the pointer resting over the picture and while the
// picture scrolls, the preview on (1) and off (0); while scrolling the
// pointer is over the picture (1) or over the scroll bar (0).
#include "main/formMain.h"
#include "WindowDriver.h"
#include "WindowBenchMain.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <ctime>
#include <functional>

namespace {

double CpuMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

Tmainform& Window(bool preview, bool overPicture = true)
{
    static Tmainform* form = [] {
        auto* f = new Tmainform;
        f->resize(1000, 700);
        f->show();
        f->activateWindow();
        TQuillonView& v = *Drive(*f).QuillonView();
        v.Image.SetSize(FIT_BITMAP, 4000, 3000, 24);
        v.Image.Invert();
        v.Paint();
        v.setFocus();
        QCoreApplication::processEvents();
        return f;
    }();
    if (Drive(*form).Action("acZoomPreview")->isChecked() != preview)
        Drive(*form).Action("acZoomPreview")->trigger();
    TQuillonView& v = *Drive(*form).QuillonView();
    v.setFocus();
    QScrollArea& scroll = *Drive(*form).ScrollBox();
    QCursor::setPos(overPicture ? scroll.viewport()->mapToGlobal(QPoint(200, 200))
                                : scroll.verticalScrollBar()->mapToGlobal(QPoint(5, 100)));
    // What showing and pointing set off settles before anything is timed.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    return *form;
}

// Runs the event loop for a second, Step called every 16 ms when given, and
// reports the process's CPU time in that second.
void RunSeconds(benchmark::State& state, const std::function<void()>& Step)
{
    double used = 0;
    for (auto _ : state) {
        QEventLoop loop;
        QTimer frames;
        if (Step) {
            QObject::connect(&frames, &QTimer::timeout, Step);
            frames.start(16);
        }
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        const double start = CpuMilliseconds();
        loop.exec();
        used += CpuMilliseconds() - start;
    }
    state.counters["cpu_ms_per_s"] = used / double(state.iterations());
}

void BM_PointerResting(benchmark::State& state)
{
    Window(state.range(0) != 0);
    RunSeconds(state, {});
}
BENCHMARK(BM_PointerResting)->Arg(1)->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_Scrolling(benchmark::State& state)
{
    QScrollBar& bar = *Drive(Window(state.range(0) != 0, state.range(1) != 0)).ScrollBox()->verticalScrollBar();
    RunSeconds(state, [&bar] { bar.setValue(bar.value() >= bar.maximum() ? 0 : bar.value() + 24); });
}
BENCHMARK(BM_Scrolling)->ArgsProduct({{1, 0}, {1, 0}})->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}

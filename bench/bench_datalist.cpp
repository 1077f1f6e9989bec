// 10,000 and 100,000 points through the main window: remap, sort, adding,
// session save and load, deleting, scrolling the list and data export, each
// with the list update, in a shown window; and the command line's export of
// the saved session.
#include "main/BatchExport.h"
#include "main/formMain.h"
#include "WindowDriver.h"
#include "WindowBenchMain.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QBuffer>
#include <QTextStream>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <random>

namespace {

constexpr int Points = 10000;

void AddPoints(TQuillonView& v, int count = Points)
{
    std::mt19937 random(3);
    for (int i = 1; i <= count; ++i)
        v.AddSite(QString::number(i), int(random() % 4000), int(random() % 3000));
}

Tmainform& Window()
{
    static Tmainform* form = [] {
        auto* f = new Tmainform;
        f->show();
        TQuillonView& v = *Drive(*f).QuillonView();
        v.Image.SetSize(FIT_BITMAP, 4000, 3000, 8);
        v.SetMappingRect({100, 100, 3900, 2900});
        v.SetAxisValues(0, 100, 1000, 0);
        AddPoints(v);
        QCoreApplication::processEvents();
        return f;
    }();
    return *form;
}

// The window with Count points; the other benchmarks' 10,000 are put back
// by Restore.
Tmainform& WindowWith(int count)
{
    Tmainform& f = Window();
    TQuillonView& v = *Drive(f).QuillonView();
    if (v.SiteCount() != count) {
        v.ClearSites();
        AddPoints(v, count);
        QCoreApplication::processEvents();
    }
    return f;
}

void Restore()
{
    WindowWith(Points);
}

void BM_RemapSites(benchmark::State& state)
{
    TQuillonView& v = *Drive(WindowWith(int(state.range(0)))).QuillonView();
    for (auto _ : state) {
        v.RemapSites();
        QCoreApplication::processEvents();
    }
    Restore();
}
BENCHMARK(BM_RemapSites)->Arg(Points)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SortSites(benchmark::State& state)
{
    Tmainform& f = WindowWith(int(state.range(0)));
    int column = 0;
    for (auto _ : state) {
        Drive(f).ListViewColumnClick(column);
        QCoreApplication::processEvents();
        column = (column + 1) % 5;
    }
    Drive(f).UndoStack().clear();
    Restore();
}
BENCHMARK(BM_SortSites)->Arg(Points)->Arg(100000)->Unit(benchmark::kMillisecond);

// Scrolling the list a page at a time, each page painted.
void BM_ScrollList(benchmark::State& state)
{
    Tmainform& f = WindowWith(int(state.range(0)));
    QScrollBar& bar = *Drive(f).ListView()->verticalScrollBar();
    for (auto _ : state) {
        bar.setValue(bar.value() >= bar.maximum() ? 0 : bar.value() + bar.pageStep() * 97);
        Drive(f).ListView()->viewport()->repaint();
    }
    bar.setValue(0);
    Restore();
}
BENCHMARK(BM_ScrollList)->Arg(Points)->Arg(100000)->Unit(benchmark::kMillisecond);

// The extraction's adding of all it found, as one undo step, to an empty
// list.
void BM_AddExtracted(benchmark::State& state)
{
    Tmainform& f = Window();
    TQuillonView& v = *Drive(f).QuillonView();
    std::vector<TPointF> points;
    for (int i = 0; i < int(state.range(0)); ++i)
        points.push_back({i * 0.035, 1500 + (i % 97) * 0.5});
    for (auto _ : state) {
        state.PauseTiming();
        v.ClearSites();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Drive(f).AddExtractedPoints(points, QStringLiteral("Extract Curve"), false);
        QCoreApplication::processEvents();
    }
    Drive(f).UndoStack().clear();
    Restore();
}
BENCHMARK(BM_AddExtracted)->Arg(Points)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_AddSites(benchmark::State& state)
{
    Tmainform& f = Window();
    TQuillonView& v = *Drive(f).QuillonView();
    for (auto _ : state) {
        v.ClearSites();
        for (int i = 1; i <= Points; ++i)
            v.AddSite(QString::number(i), i % 4000, i % 3000);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_AddSites)->Unit(benchmark::kMillisecond);

QString SessionFile()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("bench.qsf"));
}

void BM_SaveSession(benchmark::State& state)
{
    Tmainform& f = Window();
    for (auto _ : state)
        Drive(f).SaveSessionFile(SessionFile());
}
BENCHMARK(BM_SaveSession)->Unit(benchmark::kMillisecond);

void BM_LoadSession(benchmark::State& state)
{
    Tmainform& f = WindowWith(int(state.range(0)));
    Drive(f).SaveSessionFile(SessionFile());
    for (auto _ : state) {
        Drive(f).LoadSessionFile(SessionFile());
        QCoreApplication::processEvents();
    }
    Restore();
}
BENCHMARK(BM_LoadSession)->Arg(Points)->Arg(100000)->Unit(benchmark::kMillisecond);

// Undoes and redoes the command just run, each time with the list rebuilt;
// the window ends with its 10,000 points and no history.
void UndoAndRedo(benchmark::State& state, Tmainform& f)
{
    for (auto _ : state) {
        Drive(f).UndoStack().undo();
        QCoreApplication::processEvents();
        Drive(f).UndoStack().redo();
        QCoreApplication::processEvents();
    }
    Drive(f).UndoStack().undo();
    Drive(f).UndoStack().clear();
}

// Undo and redo of Clear All Points over the 10,000 points.
void BM_UndoClearAll(benchmark::State& state)
{
    Tmainform& f = Window();
    Drive(f).Action("acClearAllPoints")->trigger();
    UndoAndRedo(state, f);
}
BENCHMARK(BM_UndoClearAll)->Unit(benchmark::kMillisecond);

// The same for Delete Selected Points with every other row selected.
void BM_UndoDeleteSelected(benchmark::State& state)
{
    Tmainform& f = Window();
    QItemSelection rows;
    for (int row = 0; row < Drive(f).ListModel()->Count(); row += 2)
        rows.select(Drive(f).ListModel()->index(row, 0), Drive(f).ListModel()->index(row, 4));
    Drive(f).ListView()->selectionModel()->select(rows, QItemSelectionModel::Select);
    Drive(f).Action("acDeleteSelectedPoints")->trigger();
    UndoAndRedo(state, f);
}
BENCHMARK(BM_UndoDeleteSelected)->Unit(benchmark::kMillisecond);

// The command line's export of the same session: a window built, never
// shown, the session loaded and the data written.
void BM_ExportSessionCommand(benchmark::State& state)
{
    Drive(Window()).SaveSessionFile(SessionFile());
    const QString out = SessionFile() + QStringLiteral(".txt");
    QBuffer unused;
    QTextStream errors(stderr);
    for (auto _ : state)
        if (ExportSessionData(out, SessionFile(), unused, errors) != esWritten)
            state.SkipWithError("export failed");
}
BENCHMARK(BM_ExportSessionCommand)->Unit(benchmark::kMillisecond);

void BM_ExportData(benchmark::State& state)
{
    Tmainform& f = Window();
    const QString file = SessionFile() + QStringLiteral(".txt");
    for (auto _ : state)
        Drive(f).SaveDataFile(file);
}
BENCHMARK(BM_ExportData)->Unit(benchmark::kMillisecond);

// Selecting every one of Count points in the list and deleting them, the
// points made afresh before each run; the other benchmarks' points are put
// back after.
void BM_DeleteAllSelected(benchmark::State& state)
{
    Tmainform& f = Window();
    TQuillonView& v = *Drive(f).QuillonView();
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        v.ClearSites();
        for (int i = 1; i <= count; ++i)
            v.AddSite(QString::number(i), i % 4000, i % 3000);
        QCoreApplication::processEvents();
        Drive(f).ListView()->selectAll();
        state.ResumeTiming();
        Drive(f).Action("acDeleteSelectedPoints")->trigger();
        QCoreApplication::processEvents();
    }
    v.ClearSites();
    Restore();
}
BENCHMARK(BM_DeleteAllSelected)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}

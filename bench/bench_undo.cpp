// Undo on a series of 100,000 points: the memory 200 one-point moves hold,
// and the time to undo and redo one such move, or a sort of them all.
#include "WindowBenchMain.h"
#include "view/quillonview.h"
#include "view/viewchange.h"

#include <malloc.h>

namespace {

constexpr int Points = 100000;

TQuillonView& BigView()
{
    static TQuillonView* view = [] {
        auto* v = new TQuillonView;
        v->SetMappingRect({0, 0, 10000, 10000});
        std::vector<TPointF> at;
        for (int i = 0; i < Points; ++i)
            at.push_back({double(i % 10000), double(i / 10)});
        v->AddSites(at);
        return v;
    }();
    return *view;
}

TViewChange MoveOne(TQuillonView& View, int Index)
{
    const TViewSnapshot before = View.Snapshot();
    View.MoveSites({View.GetSite(Index)->Name}, 1, 0);
    return TViewChange(before, View.Snapshot());
}

void BM_TwoHundredOneMoves(benchmark::State& state)
{
    TQuillonView& view = BigView();
    for (auto _ : state) {
        const std::size_t held = mallinfo2().uordblks;
        std::vector<TViewChange> steps;
        for (int i = 0; i < 200; ++i)
            steps.push_back(MoveOne(view, (i * 499) % Points));
        state.counters["MB_held"] = double(mallinfo2().uordblks - held) / 1e6;
        for (auto step = steps.rbegin(); step != steps.rend(); ++step)
            step->Undo(view);
    }
}
BENCHMARK(BM_TwoHundredOneMoves)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_UndoRedoOneMove(benchmark::State& state)
{
    TQuillonView& view = BigView();
    const TViewChange step = MoveOne(view, Points / 2);
    for (auto _ : state) {
        step.Undo(view);
        step.Redo(view);
    }
    step.Undo(view);
}
BENCHMARK(BM_UndoRedoOneMove)->Unit(benchmark::kMicrosecond);

void BM_UndoRedoSort(benchmark::State& state)
{
    TQuillonView& view = BigView();
    const TViewSnapshot before = view.Snapshot();
    view.SortSites(QStringLiteral("Pixel X"), true);
    const TViewChange step(before, view.Snapshot());
    for (auto _ : state) {
        step.Undo(view);
        step.Redo(view);
    }
    step.Undo(view);
}
BENCHMARK(BM_UndoRedoSort)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}

// A job of 10,000 points in 1 or 12 series, with no window: the session
// text written and read back, and the all-series CSV export.
#include "document/JobDocument.h"
#include "document/SeriesCsv.h"
#include "document/SessionFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

constexpr int Points = 10000;

TJobDocument Job(int series)
{
    TJobDocument job;
    job.Mapping().MappingRect = {100, 100, 3900, 2900};
    job.Mapping().XRightValue = 1000;
    for (int s = 1; s < series; ++s)
        job.AddSeries({});
    std::mt19937 random(3);
    for (int i = 0; i < Points; ++i)
        job.Series[std::size_t(i % series)].Points.push_back(
            {QString::number(i + 1), double(random() % 4000), double(random() % 3000)});
    return job;
}

void BM_WriteSession(benchmark::State& state)
{
    const TJobDocument job = Job(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(SessionText(job, {}));
}
BENCHMARK(BM_WriteSession)->Arg(1)->Arg(12)->Unit(benchmark::kMillisecond);

void BM_ReadSession(benchmark::State& state)
{
    const QByteArray text = SessionText(Job(int(state.range(0))), {});
    for (auto _ : state) {
        TJobDocument job;
        job.Apply(ParseSession(text, QStringLiteral("bench.qsf")));
        benchmark::DoNotOptimize(job.Series.size());
    }
}
BENCHMARK(BM_ReadSession)->Arg(1)->Arg(12)->Unit(benchmark::kMillisecond);

void BM_AllSeriesCsv(benchmark::State& state)
{
    const TJobDocument job = Job(12);
    for (auto _ : state)
        benchmark::DoNotOptimize(AllSeriesCsv(job));
}
BENCHMARK(BM_AllSeriesCsv)->Unit(benchmark::kMillisecond);

// The data text of 10,000 points under the rectangle (0), four calibration
// points (1) and a polar chart (2): the points' map is fitted afresh for
// every value, which this measures.
void BM_DataTextByMap(benchmark::State& state)
{
    TJobDocument job = Job(1);
    TCalibration& c = job.Mapping().Calibration;
    if (state.range(0) == 1)
        c = {ckPoints, {{{100, 2900}, 0, NAN}, {{3900, 2900}, 1000, NAN}, {{100, 2900}, NAN, 0}, {{300, 100}, NAN, 100}}};
    if (state.range(0) == 2)
        c = {ckPolar, {{{2000, 1500}, NAN, NAN}, {{3000, 1500}, 0, 10}}};
    for (auto _ : state)
        benchmark::DoNotOptimize(job.DataText(u' ', 6, 3));
}
BENCHMARK(BM_DataTextByMap)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

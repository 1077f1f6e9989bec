// A batch of 2000 x 1500 charts run by the program itself: charts a second
// with one and two jobs, and the peak memory of the run (the program or its
// largest decoder), which should not grow with the number of charts.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>

#include <cmath>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <benchmark/benchmark.h>

extern char** environ;

namespace {

constexpr int ChartCount = 200;

void DrawChart(const QString& Path, double Phase)
{
    QImage image(2000, 1500, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawRect(200, 100, 1700, 1200);
    for (int x = 200; x <= 1900; x += 170)
        painter.drawLine(x, 1300, x, 1315);
    QPainterPath curve;
    for (int x = 200; x <= 1900; ++x) {
        const QPointF at(x, 700 + 400 * std::sin(x / 200.0 + Phase) * std::exp(-(x - 200) / 3000.0));
        x == 200 ? curve.moveTo(at) : curve.lineTo(at);
    }
    painter.setPen(QPen(QColor(0x1F, 0x77, 0xB4), 4));
    painter.drawPath(curve);
    painter.end();
    image.save(Path, "PNG", 80);
}

// The charts and their template, made once, on two threads.
const QTemporaryDir& Charts()
{
    static const QTemporaryDir dir = [] {
        QTemporaryDir made;
        QDir().mkpath(made.filePath(QStringLiteral("charts")));
        std::vector<std::thread> threads;
        for (int t = 0; t < 2; ++t)
            threads.emplace_back([&made, t] {
                for (int i = t; i < ChartCount; i += 2)
                    DrawChart(made.filePath(QStringLiteral("charts/c%1.png").arg(i, 3, 10, QChar(u'0'))), i * 0.05);
            });
        for (std::thread& thread : threads)
            thread.join();
        QFile job(made.filePath(QStringLiteral("job.qsf")));
        job.open(QIODevice::WriteOnly);
        job.write("[image]\r\npath=\r\n[screenrect]\r\nx1=200\r\nx2=1900\r\ny1=100\r\ny2=1300\r\n"
                  "[dimensions]\r\ny1=-1\r\ny2=1\r\nx1=0\r\nx2=10\r\nAxisXMap=0\r\nAxisYMap=0\r\n");
        return made;
    }();
    return dir;
}

// Runs the program on Count charts; its peak resident memory in MB.
double RunBatch(int Jobs, int Count, const QString& Out)
{
    const QTemporaryDir& dir = Charts();
    std::vector<QByteArray> args{QUILLON_EXECUTABLE, "batch", "--template", dir.filePath("job.qsf").toUtf8(),
                                 "--extract-curve", "#1F77B4", "--jobs", QByteArray::number(Jobs), "--out",
                                 Out.toUtf8()};
    for (int i = 0; i < Count; ++i)
        args.push_back(dir.filePath(QStringLiteral("charts/c%1.png").arg(i, 3, 10, QChar(u'0'))).toUtf8());
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return -1;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? double(usage.ru_maxrss) / 1024 : -1;
}

void BM_Batch2000x1500(benchmark::State& State)
{
    const int jobs = int(State.range(0));
    const int count = int(State.range(1));
    Charts();
    double peak = 0;
    for (auto _ : State) {
        QTemporaryDir out;
        peak = RunBatch(jobs, count, out.path());
        if (peak < 0)
            State.SkipWithError("the batch failed");
    }
    State.SetItemsProcessed(State.iterations() * count);
    State.counters["peak_MB"] = peak;
}
BENCHMARK(BM_Batch2000x1500)
    ->Args({1, ChartCount})
    ->Args({2, ChartCount})
    ->Args({2, ChartCount / 4})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();

// Opening a 12000 x 9000 picture of each kind as the window does, against
// FreeImage decoding the same file in this process; the memory an open and
// a replacement of one picture by another take.
#include "image/FreeBitmap.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Width = 12000;
constexpr int Height = 9000;

enum TKind { k24Bit, kOpaqueRgba, kTransparentRgba, kTiff16, kBmp, kJpeg };

// A scan-like pattern; the transparent kind has a clear background with
// opaque strokes and soft edges, as plotting programs save charts.
FIBITMAP* Make(TKind kind)
{
    if (kind == kTiff16) {
        FIBITMAP* dib = FreeImage_AllocateT(FIT_RGB16, Width, Height);
        for (int y = 0; y < Height; ++y) {
            auto* line = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(dib, y));
            for (int x = 0; x < Width; ++x)
                line[x] = {WORD(x * 7 * 257), WORD(y * 3 * 257), WORD(((x ^ y) & 0xFF) * 257)};
        }
        return dib;
    }
    const unsigned bpp = kind == kOpaqueRgba || kind == kTransparentRgba ? 32 : 24;
    FIBITMAP* dib = FreeImage_Allocate(Width, Height, int(bpp), FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    const unsigned step = bpp / 8;
    for (int y = 0; y < Height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, y);
        for (int x = 0; x < Width; ++x) {
            BYTE* p = line + step * unsigned(x);
            p[FI_RGBA_RED] = BYTE(x * 7);
            p[FI_RGBA_GREEN] = BYTE(y * 3);
            p[FI_RGBA_BLUE] = BYTE((x ^ y) & 0xFF);
            if (kind == kOpaqueRgba)
                p[FI_RGBA_ALPHA] = 0xFF;
            if (kind == kTransparentRgba) {
                const int d = std::min((x + 2 * y) % 40, (3 * x + y) % 56);
                p[FI_RGBA_ALPHA] = d < 3 ? 0xFF : d < 5 ? BYTE(0x60 * (5 - d)) : 0;
            }
        }
    }
    return dib;
}

const char* Name(TKind kind)
{
    static const char* names[] = {"24bit.png", "opaque-rgba.png", "transparent-rgba.png", "rgb16.tif", "24bit.bmp", "24bit.jpg"};
    return names[kind];
}

FREE_IMAGE_FORMAT Format(TKind kind)
{
    return kind == kTiff16 ? FIF_TIFF : kind == kBmp ? FIF_BMP : kind == kJpeg ? FIF_JPEG : FIF_PNG;
}

// Made once and kept in the temporary folder: encoding takes longer than the
// benchmarks themselves.
QString File(TKind kind)
{
    const QString path = QDir::tempPath() + QStringLiteral("/quillon-bench-12000x9000-") + QLatin1String(Name(kind));
    if (QFile::exists(path))
        return path;
    FIBITMAP* dib = Make(kind);
    const QString partial = path + QStringLiteral(".part");
    if (kind == kOpaqueRgba) {
        // FreeImage writes an opaque 32-bit bitmap as RGB; Qt keeps the
        // alpha channel a plotting program would have written.
        const QImage image(FreeImage_GetBits(dib), Width, Height, int(FreeImage_GetPitch(dib)),
                           QImage::Format_ARGB32);
        image.mirrored().save(partial, "PNG", 80);
        FreeImage_Unload(dib);
        QFile::rename(partial, path);
        return path;
    }
    FreeImage_Save(Format(kind), dib, QFile::encodeName(partial).constData(),
                   kind == kTiff16 ? TIFF_NONE : Format(kind) == FIF_PNG ? PNG_Z_BEST_SPEED : 0);
    FreeImage_Unload(dib);
    QFile::rename(partial, path);
    return path;
}

// What the window does to show a picture: load it as shown and draw a
// screen's worth of it.
void Open(TFreeWinBitmap& picture, const QString& path)
{
    picture.Load(path, 0, nullptr, TPictureForm::AsShown);
    QImage screen(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&screen);
    picture.DrawZoomed(painter, 1.0f, {0, 0, 1920, 1080});
}

void BM_Open(benchmark::State& state)
{
    const QString path = File(TKind(state.range(0)));
    for (auto _ : state) {
        TFreeWinBitmap picture;
        Open(picture, path);
        benchmark::DoNotOptimize(picture.GetDib());
    }
}

void BM_BareDecode(benchmark::State& state)
{
    const TKind kind = TKind(state.range(0));
    const QByteArray path = QFile::encodeName(File(kind));
    for (auto _ : state) {
        FIBITMAP* dib = FreeImage_Load(Format(kind), path.constData(), 0);
        benchmark::DoNotOptimize(dib);
        FreeImage_Unload(dib);
    }
}

// Reads every page of the picture the view draws from, as a fit-to-window
// paint or an extraction does, so that all of it counts.
void TouchAll(TFreeWinBitmap& picture)
{
    FIBITMAP* src = picture.DisplaySource();
    const unsigned pitch = FreeImage_GetPitch(src);
    unsigned sum = 0;
    for (unsigned y = 0; y < FreeImage_GetHeight(src); ++y)
        for (unsigned x = 0; x < pitch; x += 4096)
            sum += FreeImage_GetScanLine(src, int(y))[x];
    benchmark::DoNotOptimize(sum);
}

std::int64_t PeakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

// A process's proportional memory: its private pages and its share of
// those it shares, so that pages the window and its decoder both map count
// once between them. None once the process is gone.
std::int64_t PssKiB(pid_t pid)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : rollup.readAll().split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').first().toLongLong();
    return 0;
}

// What a decoder has written into shared memory files and mapped nowhere
// yet, which no proportional figure counts.
std::int64_t UnmappedSharedKiB(pid_t pid)
{
    std::int64_t sum = 0;
    // A decoder has a handful of descriptors open.
    for (int fd = 0; fd < 16; ++fd) {
        const QByteArray path = QStringLiteral("/proc/%1/fd/%2").arg(pid).arg(fd).toLocal8Bit();
        char target[256] = {};
        struct stat info {};
        if (readlink(path.constData(), target, sizeof target - 1) > 0 && std::strncmp(target, "/memfd:", 7) == 0 &&
            stat(path.constData(), &info) == 0)
            sum += std::int64_t(info.st_blocks) / 2;
    }
    return sum;
}

// The process and the children each of its threads started; the window
// maps a decoder's shared file only once the decoder has gone.
std::int64_t TreePssKiB(pid_t pid)
{
    std::int64_t sum = PssKiB(pid);
    for (const QString& task : QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(QStringLiteral("/proc/%1/task/%2/children").arg(pid).arg(task));
        if (children.open(QIODevice::ReadOnly))
            for (const QByteArray& child : children.readAll().split(' '))
                if (!child.trimmed().isEmpty())
                    sum += PssKiB(pid_t(child.trimmed().toInt())) + UnmappedSharedKiB(pid_t(child.trimmed().toInt()));
    }
    return sum;
}

// Runs Job in a child process and reports its peak resident memory and that
// of the decoder processes it started, against width x height x 4, and the
// peak of the whole tree's proportional memory, sampled every millisecond.
void MeasurePeak(benchmark::State& state, const std::function<void()>& Job)
{
    for (auto _ : state) {
        int channel[2];
        if (pipe(channel) != 0) {
            state.SkipWithError("no pipe");
            return;
        }
        const pid_t child = fork();
        if (child == 0) {
            Job();
            // The decoders are waited for on a thread of their own.
            rusage decoders{};
            for (int i = 0; i < 200 && decoders.ru_maxrss == 0; ++i) {
                usleep(10000);
                getrusage(RUSAGE_CHILDREN, &decoders);
            }
            const std::int64_t peaks[2] = {PeakKiB(), decoders.ru_maxrss};
            _exit(write(channel[1], peaks, sizeof peaks) == sizeof peaks ? 0 : 1);
        }
        close(channel[1]);
        std::int64_t treePeak = 0;
        pollfd answer{channel[0], POLLIN, 0};
        while (poll(&answer, 1, 1) == 0)
            treePeak = std::max(treePeak, TreePssKiB(child));
        std::int64_t peaks[2] = {0, 0};
        const bool heard = read(channel[0], peaks, sizeof peaks) == sizeof peaks;
        close(channel[0]);
        waitpid(child, nullptr, 0);
        if (!heard) {
            state.SkipWithError("the measuring process failed");
            return;
        }
        const double unit = double(Width) * Height * 4 / 1024;
        state.counters["peak_MiB"] = double(peaks[0]) / 1024;
        state.counters["peak_per_wh4"] = double(peaks[0]) / unit;
        state.counters["decoder_MiB"] = double(peaks[1]) / 1024;
        state.counters["tree_pss_per_wh4"] = double(treePeak) / unit;
    }
}

void BM_OpenPeak(benchmark::State& state)
{
    const QString path = File(TKind(state.range(0)));
    MeasurePeak(state, [&] {
        TFreeWinBitmap picture;
        Open(picture, path);
        TouchAll(picture);
    });
}

// One picture shown and wholly read, then replaced by another of the same
// kind through a scratch document, as the window replaces it.
void BM_ReplacePeak(benchmark::State& state)
{
    const QString path = File(TKind(state.range(0)));
    MeasurePeak(state, [&] {
        TFreeWinBitmap picture;
        Open(picture, path);
        TouchAll(picture);
        picture.ReleaseDisplayCopy();
        TFreeWinBitmap scratch;
        scratch.Load(path, 0, nullptr, TPictureForm::AsShown);
        picture.TakeImage(scratch);
        TouchAll(picture);
    });
}

// The decoder program's own cost, start to answer, on a picture small
// enough that decoding it is not what the time goes on.
QString SmallFile()
{
    const QString path = QDir::tempPath() + QStringLiteral("/quillon-bench-1000x750.png");
    if (!QFile::exists(path)) {
        QImage image(1000, 750, QImage::Format_RGB888);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.drawLine(0, 700, 999, 50);
        painter.end();
        image.save(path);
    }
    return path;
}

void BM_SmallOpen(benchmark::State& state)
{
    const QString path = SmallFile();
    for (auto _ : state) {
        TFreeWinBitmap picture;
        picture.Load(path, 0, nullptr, TPictureForm::AsShown);
        benchmark::DoNotOptimize(picture.GetDib());
    }
}
BENCHMARK(BM_SmallOpen)->Unit(benchmark::kMillisecond);

void BM_SmallBareDecode(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(SmallFile());
    for (auto _ : state) {
        FIBITMAP* dib = FreeImage_Load(FIF_PNG, path.constData(), 0);
        benchmark::DoNotOptimize(dib);
        FreeImage_Unload(dib);
    }
}
BENCHMARK(BM_SmallBareDecode)->Unit(benchmark::kMillisecond);

void Kinds(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"kind"})->Arg(k24Bit)->Arg(kOpaqueRgba)->Arg(kTransparentRgba)->Arg(kTiff16)->Arg(kBmp)->Arg(kJpeg);
    b->Unit(benchmark::kMillisecond)->Iterations(3);
}
BENCHMARK(BM_Open)->Apply(Kinds);
BENCHMARK(BM_BareDecode)->Apply(Kinds);
BENCHMARK(BM_OpenPeak)->Apply(Kinds)->Iterations(1);
BENCHMARK(BM_ReplacePeak)->Apply(Kinds)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (TKind kind : {k24Bit, kOpaqueRgba, kTransparentRgba, kTiff16, kBmp, kJpeg})
        File(kind);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "PictureDecoder.h"

#include "DecoderRecord.h"
#include "PostScriptBox.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <vector>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <chrono>
#include <climits>
#include <spawn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

enum class TWaitEnd { Done, Late, Cancelled };

// Reads Size bytes, unless the writer stops first, Deadline passes or Watch
// stops waiting; how the wait ended.
TWaitEnd ReadUntil(int fd, void* data, std::size_t size, std::chrono::steady_clock::time_point deadline,
                   TDecodeWatch* watch, std::size_t& done)
{
    constexpr long long Slice = 50;
    char* p = static_cast<char*>(data);
    done = 0;
    while (done < size) {
        // Rounded up, so that a wait never ends short of the deadline.
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return TWaitEnd::Late;
        pollfd ready{fd, POLLIN, 0};
        const int polled = poll(&ready, 1, int(std::min<long long>(left, watch ? Slice : INT_MAX)));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled == 0) {
            if (watch && !watch->Waiting())
                return TWaitEnd::Cancelled;
            continue;
        }
        if (polled < 0)
            break;
        const ssize_t n = ::read(fd, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    return TWaitEnd::Done;
}

// The trailer after a renderer's record; a trailer that does not arrive
// whole is left empty, the picture still usable.
TWaitEnd ReadTrailer(int fd, std::chrono::steady_clock::time_point deadline, TDecodeWatch* watch, QByteArray& into)
{
    std::uint64_t length = 0;
    std::size_t got = 0;
    TWaitEnd end = ReadUntil(fd, &length, sizeof length, deadline, watch, got);
    if (end != TWaitEnd::Done || got != sizeof length || length > TrailerLimit)
        return end;
    into.resize(qsizetype(length));
    end = ReadUntil(fd, into.data(), std::size_t(length), deadline, watch, got);
    if (got != length)
        into.clear();
    return end;
}

// Beside this program in the build tree, in lib/quillon once installed.
QString InstalledProgram(const char* Name)
{
    const QString folder = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    for (const QString& candidate : {folder + QStringLiteral("/../lib/quillon/"), folder + u'/'}) {
        const QFileInfo program(candidate + QLatin1String(Name));
        if (program.isFile() && program.isExecutable())
            return QDir::cleanPath(program.absoluteFilePath());
    }
    return {};
}

// Starts the decoder with Picture, Memory and Result as its descriptors 3, 4
// and 5 and nothing else, and Arguments after the picture's name; its
// process, or -1 with errno set.
pid_t SpawnDecoder(const QString& Program, int Picture, int Memory, int Result, const QString& Name,
                   const QList<QByteArray>& Arguments)
{
    // Moved out of the way first: one already at 3, 4 or 5 would be
    // overwritten before its own turn came.
    int high[3] = {-1, -1, -1};
    const int given[3] = {Picture, Memory, Result};
    for (int i = 0; i < 3; ++i)
        high[i] = fcntl(given[i], F_DUPFD_CLOEXEC, 10);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int wanted[3] = {DecoderPictureFd, DecoderMemoryFd, DecoderResultFd};
    for (int i = 0; i < 3; ++i)
        posix_spawn_file_actions_adddup2(&actions, high[i], wanted[i]);
    // Its errors go where the caller's do; it reads and writes nothing else.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    // Nothing the caller blocks stays blocked in the decoder.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    const QByteArray program = QFile::encodeName(Program);
    const QByteArray name = QFile::encodeName(Name);
    std::vector<char*> argv{const_cast<char*>(program.constData()), const_cast<char*>(name.constData())};
    for (const QByteArray& argument : Arguments)
        argv.push_back(const_cast<char*>(argument.constData()));
    argv.push_back(nullptr);
    pid_t child = -1;
    const bool fine = std::all_of(std::begin(high), std::end(high), [](int fd) { return fd >= 0; });
    const int error = fine ? posix_spawn(&child, program.constData(), &actions, &attributes, argv.data(), environ) : errno;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    for (const int fd : high)
        if (fd >= 0)
            ::close(fd);
    if (error != 0) {
        errno = error;
        return -1;
    }
    return child;
}

QString HowItEnded(int status)
{
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        if (signal == SIGXCPU)
            return QStringLiteral("the decoder did not finish within %1 seconds").arg(DecoderSeconds);
        if (signal == SIGSYS)
            return QStringLiteral("the decoder tried what no decoder may do, and was stopped");
        return QStringLiteral("the decoder failed (%1)").arg(QString::fromLocal8Bit(strsignal(signal)));
    }
    return QStringLiteral("the decoder failed");
}

// The child's word is checked like any input: a record that does not add up
// is a failure, never a bitmap over the wrong memory.
bool Consistent(const TDecoderRecord& r)
{
    if (r.Width <= 0 || r.Height <= 0 || r.Bpp == 0 || r.Bpp > 128 || r.Width > INT32_MAX || r.Height > INT32_MAX)
        return false;
    const std::int64_t line = (r.Width * r.Bpp + 7) / 8;
    return r.Pitch >= line && r.Bytes == std::int64_t(r.Pitch) * r.Height && r.PaletteSize <= 256 &&
           r.TransparencyCount >= 0 && r.TransparencyCount <= 256 && r.DetailLength <= MaxDecoderDetail;
}

FIBITMAP* Wrap(const TDecoderRecord& r, void* bits)
{
    FIBITMAP* dib = FreeImage_ConvertFromRawBitsEx(FALSE, static_cast<BYTE*>(bits), FREE_IMAGE_TYPE(r.Type),
                                                   int(r.Width), int(r.Height), int(r.Pitch), r.Bpp, r.RedMask,
                                                   r.GreenMask, r.BlueMask, FALSE);
    if (!dib)
        return nullptr;
    if (RGBQUAD* palette = FreeImage_GetPalette(dib))
        std::memcpy(palette, r.Palette, std::min(FreeImage_GetColorsUsed(dib), r.PaletteSize) * sizeof(RGBQUAD));
    if (r.TransparencyCount > 0)
        FreeImage_SetTransparencyTable(dib, const_cast<BYTE*>(r.Transparency), r.TransparencyCount);
    FreeImage_SetTransparent(dib, r.Transparent);
    if (r.HasBackground)
        FreeImage_SetBackgroundColor(dib, const_cast<RGBQUAD*>(&r.Background));
    FreeImage_SetDotsPerMeterX(dib, r.DotsX);
    FreeImage_SetDotsPerMeterY(dib, r.DotsY);
    return dib;
}

void Reap(pid_t child, int* status = nullptr)
{
    while (waitpid(child, status, 0) < 0 && errno == EINTR) {
    }
}

// A decoder that answered exits at once; one that lingers past Deadline is
// ended. Either way none is left behind as a zombie.
void ReapBy(pid_t child, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const pid_t done = waitpid(child, nullptr, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR))
            return;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            Reap(child);
            return;
        }
        usleep(500);
    }
}

} // namespace

TMappedPixels::~TMappedPixels()
{
    munmap(FAddress, FSize);
}

namespace {

// Runs Program on FileName with Arguments and takes its picture over; a
// program that follows its record with a trailer (its length, 8 bytes, and
// at most TrailerLimit bytes) has it read into Trailer.
TDecodedPicture RunDecoderProgram(const QString& Program, const char* Name, const QString& FileName,
                                  const QList<QByteArray>& Arguments, const TDecoder& Decoder, QByteArray* Trailer)
{
    TDecodedPicture result;
    const QString program = Program.isEmpty() ? InstalledProgram(Name) : Program;
    if (program.isEmpty()) {
        result.Report.Status = TPictureStatus::Failed;
        result.Report.Detail =
            QStringLiteral("the picture decoder %1 is not installed beside the program").arg(QLatin1String(Name));
        return result;
    }
    const int fd = OpenPictureFile(FileName, result.Report);
    if (fd < 0)
        return result;
    const int memory = memfd_create("quillon-picture", MFD_CLOEXEC);
    int channel[2] = {-1, -1};
    if (memory < 0 || pipe2(channel, O_CLOEXEC) != 0) {
        result.Report.Status = TPictureStatus::Failed;
        result.Report.Detail = QString::fromLocal8Bit(std::strerror(errno));
        for (int f : {fd, memory})
            if (f >= 0)
                ::close(f);
        return result;
    }
    const pid_t child = SpawnDecoder(program, fd, memory, channel[1], FileName, Arguments);
    const int spawnError = errno;
    ::close(channel[1]);
    ::close(fd);

    auto record = std::make_unique<TDecoderRecord>();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Decoder.Seconds);
    std::size_t got = 0;
    TWaitEnd end = TWaitEnd::Done;
    if (child > 0) {
        if (Decoder.Watch)
            Decoder.Watch->Begin(FileName);
        end = ReadUntil(channel[0], record.get(), sizeof *record, deadline, Decoder.Watch, got);
        if (Trailer && end == TWaitEnd::Done && got == sizeof *record && record->Status == int(TPictureStatus::Decoded))
            end = ReadTrailer(channel[0], deadline, Decoder.Watch, *Trailer);
        if (Decoder.Watch)
            Decoder.Watch->End();
    }
    const bool heard = child > 0 && got == sizeof *record;
    const bool late = end == TWaitEnd::Late;
    ::close(channel[0]);
    if (!heard) {
        int status = 0;
        if (end != TWaitEnd::Done)
            kill(child, SIGKILL);
        if (child > 0)
            Reap(child, &status);
        ::close(memory);
        result.Report.Status = end == TWaitEnd::Cancelled ? TPictureStatus::Cancelled : TPictureStatus::Failed;
        if (end == TWaitEnd::Cancelled)
            result.Report.Detail = QStringLiteral("cancelled");
        else if (late)
            result.Report.Detail =
                QStringLiteral("the decoder gave no answer within %1")
                    .arg(Decoder.Seconds == 1 ? QStringLiteral("a second") : QStringLiteral("%1 seconds").arg(Decoder.Seconds));
        else
            result.Report.Detail =
                child > 0 ? HowItEnded(status) : QStringLiteral("the decoder %1 could not be started: %2")
                                                     .arg(program, QString::fromLocal8Bit(std::strerror(spawnError)));
        return result;
    }
    ReapBy(child, deadline);
    const bool known = record->Status >= int(TPictureStatus::Decoded) && record->Status <= int(TPictureStatus::Failed);
    result.Report.Status = known ? TPictureStatus(record->Status) : TPictureStatus::Failed;
    result.Report.Width = record->Width;
    result.Report.Height = record->Height;
    result.Report.Bytes = record->Bytes;
    result.Report.Limit = record->Limit;
    result.Report.Detail = QString::fromUtf8(record->Detail, std::min<std::uint32_t>(record->DetailLength, MaxDecoderDetail));
    if (!result.Report.Usable()) {
        ::close(memory);
        return result;
    }
    struct stat info {};
    if (Consistent(*record) && fstat(memory, &info) == 0 && info.st_size == record->Bytes) {
        void* bits = mmap(nullptr, std::size_t(record->Bytes), PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0);
        if (bits != MAP_FAILED)
            result.Pixels = std::make_unique<TMappedPixels>(bits, std::size_t(record->Bytes));
    }
    ::close(memory);
    if (result.Pixels)
        result.Dib = Wrap(*record, result.Pixels->Address());
    if (!result.Dib) {
        result.Pixels.reset();
        result.Report.Status = TPictureStatus::Failed;
        result.Report.Detail = QStringLiteral("the decoded picture could not be taken over");
    }
    return result;
}

// The PostScript file to give Ghostscript: FileName, or a copy in Folder
// whose header names the bounding box its trailer gives.
QString BoxedPostScript(const QString& FileName, const QTemporaryDir& Folder)
{
    QFile file(FileName);
    // Only a header that defers its box is worth reading the file for.
    if (!file.open(QIODevice::ReadOnly) || !file.peek(65536).contains("(atend)"))
        return FileName;
    const QByteArray boxed = BoundingBoxBroughtForward(file.readAll());
    const QString copy = Folder.filePath(QStringLiteral("page.eps"));
    QFile out(copy);
    if (boxed.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(boxed) != boxed.size() || !out.flush())
        return FileName;
    return copy;
}

// Ghostscript makes PostScript a PDF, cropped to an EPS's bounding box, in
// its safe mode; "" when done, else why not.
QString PostScriptToPdf(const QString& FileName, const QString& Pdf, const TDecoder& Decoder)
{
    QProcess ghostscript;
    ghostscript.setProcessChannelMode(QProcess::MergedChannels);
    ghostscript.start(QStringLiteral("ps2pdf"), {QStringLiteral("-dEPSCrop"), QStringLiteral("-dSAFER"), FileName, Pdf});
    if (!ghostscript.waitForStarted())
        return QStringLiteral("Ghostscript's ps2pdf, which reads PostScript, could not be started");
    if (Decoder.Watch)
        Decoder.Watch->Begin(FileName);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Decoder.Seconds);
    bool cancelled = false, late = false;
    while (!ghostscript.waitForFinished(50)) {
        cancelled = Decoder.Watch && !Decoder.Watch->Waiting();
        late = std::chrono::steady_clock::now() >= deadline;
        if (cancelled || late) {
            ghostscript.kill();
            ghostscript.waitForFinished();
            break;
        }
    }
    if (Decoder.Watch)
        Decoder.Watch->End();
    if (cancelled)
        return QStringLiteral("cancelled");
    if (late)
        return QStringLiteral("Ghostscript gave no PDF within %1 seconds").arg(Decoder.Seconds);
    if (ghostscript.exitStatus() != QProcess::NormalExit || ghostscript.exitCode() != 0 || !QFileInfo(Pdf).isFile())
        return QStringLiteral("Ghostscript could not read it as PostScript: %1")
            .arg(QString::fromLocal8Bit(ghostscript.readAll()).trimmed().left(300));
    return {};
}

} // namespace

TDecodedPicture DecodePicture(const QString& FileName, int Flags, TPictureForm Form, const TDecoder& Decoder)
{
    return RunDecoderProgram(Decoder.Program, DecoderProgramName, FileName,
                             {QByteArray::number(Flags), Form == TPictureForm::AsShown ? "shown" : "stored"}, Decoder,
                             nullptr);
}

bool IsPostScript(const QString& FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.read(4);
    // Text PostScript, or an EPS with a binary preview.
    return start.startsWith("%!") || start == QByteArray("\xC5\xD0\xD3\xC6", 4);
}

TDecodedPicture RenderPage(const QString& FileName, const TPageChoice& Choice, const TDecoder& Decoder,
                           QByteArray& Drawing)
{
    Drawing.clear();
    QTemporaryDir folder;
    QString source = FileName;
    if (IsPostScript(FileName)) {
        source = folder.filePath(QStringLiteral("page.pdf"));
        const QString why = folder.isValid()
                                ? PostScriptToPdf(BoxedPostScript(FileName, folder), source, Decoder)
                                : QStringLiteral("no temporary folder for its PDF");
        if (!why.isEmpty()) {
            TDecodedPicture failed;
            failed.Report.Status = why == QStringLiteral("cancelled") ? TPictureStatus::Cancelled : TPictureStatus::Failed;
            failed.Report.Detail = why;
            return failed;
        }
    }
    return RunDecoderProgram(Decoder.RendererProgram, RendererProgramName, source,
                             {QByteArray::number(Choice.Page), QByteArray::number(Choice.Dpi, 'g', 17)}, Decoder,
                             &Drawing);
}

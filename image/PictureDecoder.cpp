#include "PictureDecoder.h"

#include "DisplayForm.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A decoder that spins this long on one picture is taken to be stuck.
constexpr rlim_t DecodeSeconds = 60;
constexpr std::size_t MaxDetail = 2048;

// What the child hands back besides the pixels.
struct TChildRecord {
    std::int32_t Status;
    std::int64_t Width, Height, Bytes, Limit;
    std::int32_t Type;
    std::uint32_t Pitch, Bpp, RedMask, GreenMask, BlueMask;
    std::uint32_t PaletteSize;
    RGBQUAD Palette[256];
    std::int32_t TransparencyCount;
    BYTE Transparency[256];
    std::int32_t Transparent;
    std::int32_t HasBackground;
    RGBQUAD Background;
    std::uint32_t DotsX, DotsY;
    std::uint32_t DetailLength;
    char Detail[MaxDetail];
};

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

std::size_t ReadAll(int fd, void* data, std::size_t size)
{
    char* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    return done;
}

// Pages of the shared file laid out on a second thread while the pixels are
// still being decoded, so that handing them over is a bare copy.
class TSharedPages {
public:
    TSharedPages(int memory) : FMemory(memory) {}
    ~TSharedPages()
    {
        if (FLayout.joinable())
            FLayout.join();
    }
    void Reserve(std::int64_t bytes)
    {
        if (ftruncate(FMemory, off_t(bytes)) != 0)
            return;
        FLayout = std::thread([this, bytes] { FPages = Map(std::size_t(bytes)); FSize = std::size_t(bytes); });
    }
    // The mapping for Bytes, made now when the reserved one does not fit.
    void* Take(std::size_t bytes)
    {
        if (FLayout.joinable())
            FLayout.join();
        if (FPages != MAP_FAILED && FSize == bytes)
            return FPages;
        return ftruncate(FMemory, off_t(bytes)) == 0 ? Map(bytes) : MAP_FAILED;
    }

private:
    void* Map(std::size_t bytes) const
    {
        return mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, FMemory, 0);
    }
    int FMemory;
    std::thread FLayout;
    void* FPages = MAP_FAILED;
    std::size_t FSize = 0;
};

// All the parent needs to wrap the pixels.
void Describe(FIBITMAP* dib, TChildRecord& record)
{
    record.Type = FreeImage_GetImageType(dib);
    record.Pitch = FreeImage_GetPitch(dib);
    record.Bpp = FreeImage_GetBPP(dib);
    record.RedMask = FreeImage_GetRedMask(dib);
    record.GreenMask = FreeImage_GetGreenMask(dib);
    record.BlueMask = FreeImage_GetBlueMask(dib);
    record.PaletteSize = FreeImage_GetPalette(dib) ? std::min(FreeImage_GetColorsUsed(dib), 256u) : 0;
    if (record.PaletteSize)
        std::memcpy(record.Palette, FreeImage_GetPalette(dib), record.PaletteSize * sizeof(RGBQUAD));
    record.TransparencyCount = std::min(int(FreeImage_GetTransparencyCount(dib)), 256);
    if (record.TransparencyCount > 0)
        std::memcpy(record.Transparency, FreeImage_GetTransparencyTable(dib), std::size_t(record.TransparencyCount));
    // The flag a 32-bit picture's transparency is not read from: the library
    // scans its pixels for that, and so does the parent when it asks.
    record.Transparent = FreeImage_GetBPP(dib) != 32 && FreeImage_IsTransparent(dib);
    record.HasBackground = FreeImage_HasBackgroundColor(dib) && FreeImage_GetBackgroundColor(dib, &record.Background);
    record.DotsX = FreeImage_GetDotsPerMeterX(dib);
    record.DotsY = FreeImage_GetDotsPerMeterY(dib);
}

// Rows of a standard 24-bit bitmap of the given width, as the library pads
// them.
std::uint32_t Pitch24(std::int64_t width)
{
    return std::uint32_t((width * 24 + 31) / 32 * 4);
}

// The bytes the shared file will hold, as far as the header tells: a shown
// picture that is composited or converted becomes 24 bits, or 8 for a
// single channel. A guess that proves wrong only costs a second mapping.
std::int64_t SharedBytes(FIBITMAP* header, const TPictureReport& size, TPictureForm form)
{
    if (form == TPictureForm::AsStored)
        return size.Bytes;
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(header);
    const unsigned bpp = FreeImage_GetBPP(header);
    if (type == FIT_BITMAP && (bpp == 32 || bpp == 16 || FreeImage_HasBackgroundColor(header) ||
                               (bpp == 8 && FreeImage_IsTransparent(header))))
        return std::int64_t(Pitch24(size.Width)) * size.Height;
    if (type == FIT_RGB16 || type == FIT_RGBA16 || type == FIT_RGBF || type == FIT_RGBAF)
        return std::int64_t(Pitch24(size.Width)) * size.Height;
    if (type != FIT_BITMAP)
        return (size.Width + 3) / 4 * 4 * size.Height;
    return size.Bytes;
}

// Hands over the decoded pixels: copied into the shared file, or for a
// 32-bit or 48-bit picture to be shown, made 24-bit straight into it. Both
// run on two threads, halves of the rows each: this is the one cost a bare
// decode does not have. The mapping is left to the child's exit.
bool HandOver(FIBITMAP* dib, TPictureForm form, TSharedPages& pages, TChildRecord& record)
{
    const bool shown = form == TPictureForm::AsShown && ShownRowByRow(dib);
    const std::int64_t height = FreeImage_GetHeight(dib);
    const std::uint32_t pitch = shown ? Pitch24(FreeImage_GetWidth(dib)) : FreeImage_GetPitch(dib);
    record.Bytes = std::int64_t(pitch) * height;
    void* shared = pages.Take(std::size_t(record.Bytes));
    if (shared == MAP_FAILED)
        return false;
    BYTE* out = static_cast<BYTE*>(shared);
    const int half = int(height / 2);
    auto rows = [&](int first, int last) {
        if (shown)
            ShownRows(dib, first, last, out + std::size_t(pitch) * first, pitch);
        else
            std::memcpy(out + std::size_t(pitch) * first, FreeImage_GetScanLine(dib, first),
                        std::size_t(pitch) * std::size_t(last - first));
    };
    std::thread lower([&] { rows(0, half); });
    rows(half, int(height));
    lower.join();
    Describe(dib, record);
    if (shown) {
        record.Type = FIT_BITMAP;
        record.Pitch = pitch;
        record.Bpp = 24;
        record.RedMask = FI_RGBA_RED_MASK;
        record.GreenMask = FI_RGBA_GREEN_MASK;
        record.BlueMask = FI_RGBA_BLUE_MASK;
        record.TransparencyCount = 0;
        record.Transparent = 0;
        record.HasBackground = 0;
    }
    return true;
}

// The picture as the view draws it, when that is another bitmap than the
// decoded one; those made a row at a time are made on the way out instead.
FIBITMAP* ShownCopy(FIBITMAP* dib)
{
    if (ShownRowByRow(dib))
        return nullptr;
    FIBITMAP* shown = ConvertForDisplay(dib, false, nullptr, nullptr);
    if (shown)
        FreeImage_CloneMetadata(shown, dib);
    return shown;
}

[[noreturn]] void RunChild(int fd, const QString& name, int flags, TPictureForm form, int memory, int out)
{
    // A fault must end this process plainly, not run a handler the parent
    // installed for itself.
    for (const int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGXCPU})
        std::signal(signal, SIG_DFL);
    const rlimit cpu{DecodeSeconds, DecodeSeconds};
    setrlimit(RLIMIT_CPU, &cpu);
    TChildRecord record {};
    bool handed = false;
    {
        TSharedPages pages(memory);
        TDecodedFile decoded =
            DecodePictureFile(fd, name, flags, PictureByteLimit(), [&](const TPictureReport& size, FIBITMAP* header) {
                pages.Reserve(SharedBytes(header, size, form));
            });
        record.Status = std::int32_t(decoded.Report.Status);
        record.Width = decoded.Report.Width;
        record.Height = decoded.Report.Height;
        record.Bytes = decoded.Report.Bytes;
        record.Limit = decoded.Report.Limit;
        if (decoded.Dib && form == TPictureForm::AsShown) {
            if (FIBITMAP* shown = ShownCopy(decoded.Dib)) {
                FreeImage_Unload(decoded.Dib);
                decoded.Dib = shown;
            }
        }
        handed = decoded.Dib && HandOver(decoded.Dib, form, pages, record);
        if (decoded.Dib && !handed) {
            record.Status = std::int32_t(TPictureStatus::Failed);
            decoded.Report.Detail = QStringLiteral("no shared memory for %1 bytes").arg(record.Bytes);
        }
        const QByteArray detail = decoded.Report.Detail.toUtf8().left(MaxDetail);
        record.DetailLength = std::uint32_t(detail.size());
        std::memcpy(record.Detail, detail.constData(), std::size_t(detail.size()));
    }
    _exit(WriteAll(out, &record, sizeof record) ? 0 : 1);
}

QString HowItEnded(int status)
{
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        if (signal == SIGXCPU)
            return QStringLiteral("the decoder did not finish within %1 seconds").arg(DecodeSeconds);
        return QStringLiteral("the decoder failed (%1)").arg(QString::fromLocal8Bit(strsignal(signal)));
    }
    return QStringLiteral("the decoder failed");
}

// The child's word is checked like any input: a record that does not add up
// is a failure, never a bitmap over the wrong memory.
bool Consistent(const TChildRecord& r)
{
    if (r.Width <= 0 || r.Height <= 0 || r.Bpp == 0 || r.Bpp > 128 || r.Width > INT32_MAX || r.Height > INT32_MAX)
        return false;
    const std::int64_t line = (r.Width * r.Bpp + 7) / 8;
    return r.Pitch >= line && r.Bytes == std::int64_t(r.Pitch) * r.Height && r.PaletteSize <= 256 &&
           r.TransparencyCount >= 0 && r.TransparencyCount <= 256 && r.DetailLength <= MaxDetail;
}

FIBITMAP* Wrap(const TChildRecord& r, void* bits)
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

} // namespace

TMappedPixels::~TMappedPixels()
{
    munmap(FAddress, FSize);
    if (FDecoder > 0)
        Reap(FDecoder);
}

TDecodedPicture DecodePicture(const QString& FileName, int Flags, TPictureForm Form)
{
    TDecodedPicture result;
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
    const pid_t child = fork();
    const int forkError = errno;
    if (child == 0) {
        ::close(channel[0]);
        RunChild(fd, FileName, Flags, Form, memory, channel[1]);
    }
    ::close(channel[1]);
    ::close(fd);

    auto record = std::make_unique<TChildRecord>();
    const bool heard = child > 0 && ReadAll(channel[0], record.get(), sizeof *record) == sizeof *record;
    ::close(channel[0]);
    if (!heard) {
        int status = 0;
        if (child > 0)
            Reap(child, &status);
        ::close(memory);
        result.Report.Status = TPictureStatus::Failed;
        result.Report.Detail = child > 0 ? HowItEnded(status) : QString::fromLocal8Bit(std::strerror(forkError));
        return result;
    }
    const bool known = record->Status >= int(TPictureStatus::Decoded) && record->Status <= int(TPictureStatus::Failed);
    result.Report.Status = known ? TPictureStatus(record->Status) : TPictureStatus::Failed;
    result.Report.Width = record->Width;
    result.Report.Height = record->Height;
    result.Report.Bytes = record->Bytes;
    result.Report.Limit = record->Limit;
    result.Report.Detail = QString::fromUtf8(record->Detail, std::min<std::uint32_t>(record->DetailLength, MaxDetail));
    if (!result.Report.Usable()) {
        ::close(memory);
        Reap(child);
        return result;
    }
    struct stat info {};
    if (Consistent(*record) && fstat(memory, &info) == 0 && info.st_size == record->Bytes) {
        void* bits = mmap(nullptr, std::size_t(record->Bytes), PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0);
        if (bits != MAP_FAILED)
            result.Pixels = std::make_unique<TMappedPixels>(bits, std::size_t(record->Bytes), child);
    }
    ::close(memory);
    if (result.Pixels)
        result.Dib = Wrap(*record, result.Pixels->Address());
    if (!result.Pixels)
        Reap(child);
    if (!result.Dib) {
        result.Pixels.reset();
        result.Report.Status = TPictureStatus::Failed;
        result.Report.Detail = QStringLiteral("the decoded picture could not be taken over");
    }
    return result;
}

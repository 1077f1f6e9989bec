#include "PictureFile.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::int64_t OneAndAHalfGiB = std::int64_t(3) << 29;
// Beyond this ratio of decoded bytes to file bytes a file that ended early
// holds next to nothing of its picture.
constexpr std::int64_t EmptyPictureRatio = 1024;
constexpr int MaxMessages = 4;

// FreeImage reports through one process-wide callback; the decode in
// progress on this thread collects what it says.
thread_local QStringList* CurrentMessages = nullptr;

void CollectMessage(FREE_IMAGE_FORMAT, const char* message)
{
    if (!CurrentMessages || !message)
        return;
    const QString text = QString::fromUtf8(message).trimmed();
    if (!text.isEmpty() && !CurrentMessages->contains(text) && CurrentMessages->size() < MaxMessages)
        CurrentMessages->append(text);
}

class TMessageCollector {
public:
    TMessageCollector()
    {
        CurrentMessages = &Messages;
        FreeImage_SetOutputMessage(CollectMessage);
    }
    ~TMessageCollector() { CurrentMessages = nullptr; }
    TMessageCollector(const TMessageCollector&) = delete;
    TMessageCollector& operator=(const TMessageCollector&) = delete;
    QStringList Messages;
};

// A buffered reader that notices when a decoder asks for bytes the file does
// not have. What it cannot supply reads as zeros, never as stale memory.
struct TReader {
    FILE* File = nullptr;
    bool EndedEarly = false;
};

unsigned ReadProc(void* buffer, unsigned size, unsigned count, fi_handle handle)
{
    auto* reader = static_cast<TReader*>(handle);
    const std::size_t want = std::size_t(size) * count;
    if (want == 0)
        return 0;
    const std::size_t got = std::fread(buffer, 1, want, reader->File);
    if (got < want) {
        std::memset(static_cast<char*>(buffer) + got, 0, want - got);
        // Chunked readers may ask past the end once; an item cut short, or a
        // read that finds nothing left, means the file is short.
        if (got == 0 || size > 1)
            reader->EndedEarly = true;
    }
    return unsigned(got / size);
}

unsigned WriteProc(void*, unsigned, unsigned, fi_handle)
{
    return 0;
}

int SeekProc(fi_handle handle, long offset, int origin)
{
    return fseeko(static_cast<TReader*>(handle)->File, offset, origin);
}

long TellProc(fi_handle handle)
{
    return long(ftello(static_cast<TReader*>(handle)->File));
}

// In 64 bits: FreeImage's own pitch is 32-bit and wraps for a width that a
// header may claim.
std::int64_t DecodedBytes(FIBITMAP* dib)
{
    const std::int64_t pitch = (std::int64_t(FreeImage_GetWidth(dib)) * FreeImage_GetBPP(dib) + 31) / 32 * 4;
    return pitch * std::int64_t(FreeImage_GetHeight(dib));
}

TPictureReport SizeReport(FIBITMAP* dib, std::int64_t limit)
{
    TPictureReport report;
    report.Width = FreeImage_GetWidth(dib);
    report.Height = FreeImage_GetHeight(dib);
    report.Bytes = DecodedBytes(dib);
    report.Limit = limit;
    report.Status = report.Bytes > limit ? TPictureStatus::TooLarge : TPictureStatus::Decoded;
    return report;
}

// Formats whose coding (raw, run lengths, block compression) cannot make a
// file a thousandth the size of its picture: one that small holds next to
// nothing of it, whether the decoder noticed the end or not.
bool BoundedExpansion(FREE_IMAGE_FORMAT format)
{
    switch (format) {
    case FIF_PCX:
    case FIF_TARGA:
    case FIF_SGI:
    case FIF_WBMP:
    case FIF_XBM:
    case FIF_XPM:
    case FIF_HDR:
    case FIF_DDS:
    case FIF_KOALA:
    case FIF_RAS:
    case FIF_CUT:
    case FIF_PFM:
    case FIF_PBM:
    case FIF_PBMRAW:
    case FIF_PGM:
    case FIF_PGMRAW:
    case FIF_PPM:
    case FIF_PPMRAW:
    case FIF_IFF:
        return true;
    default:
        return false;
    }
}

TPictureReport Failure(TPictureStatus status, const QString& detail)
{
    TPictureReport report;
    report.Status = status;
    report.Detail = detail;
    return report;
}

bool HoldsNextToNothing(const TPictureReport& size, std::int64_t fileBytes)
{
    return size.Bytes / EmptyPictureRatio > fileBytes;
}

TPictureReport NextToNothing(TPictureReport size, std::int64_t fileBytes)
{
    size.Status = TPictureStatus::Failed;
    size.Detail = QStringLiteral("the file holds only %1 bytes of a %2 x %3 picture")
                      .arg(fileBytes)
                      .arg(size.Width)
                      .arg(size.Height);
    return size;
}

} // namespace

std::int64_t PictureByteLimit()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return OneAndAHalfGiB;
    return std::min(OneAndAHalfGiB, std::int64_t(pages) * pageSize / 2);
}

int OpenPictureFile(const QString& FileName, TPictureReport& Report)
{
    QString why;
    const int fd = OpenRegularFile(FileName, std::numeric_limits<std::int64_t>::max(), why);
    if (fd < 0)
        Report = Failure(TPictureStatus::NotAFile, why);
    return fd;
}

TDecodedFile DecodePictureFile(int Fd, const QString& Name, int Flags, std::int64_t Limit)
{
    TDecodedFile result;
    const int own = dup(Fd);
    FILE* file = own >= 0 ? fdopen(own, "rb") : nullptr;
    if (!file) {
        if (own >= 0)
            ::close(own);
        result.Report = Failure(TPictureStatus::NotAFile, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    struct TCloser {
        FILE* File;
        ~TCloser() { std::fclose(File); }
    } closer{file};
    struct stat info {};
    const std::int64_t fileBytes = fstat(fileno(file), &info) == 0 ? std::int64_t(info.st_size) : 0;
    // The descriptor is shared: wherever its owner left it, decoding starts
    // at the file's first byte.
    std::fseek(file, 0, SEEK_SET);

    TReader reader{file};
    FreeImageIO io{ReadProc, WriteProc, SeekProc, TellProc};
    TMessageCollector collector;

    FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromHandle(&io, &reader, 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(QFile::encodeName(Name).constData());
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) {
        result.Report = Failure(TPictureStatus::UnknownFormat, QString());
        return result;
    }

    if (FreeImage_FIFSupportsNoPixels(format)) {
        std::fseek(file, 0, SEEK_SET);
        FIBITMAP* header = FreeImage_LoadFromHandle(format, &io, &reader, Flags | FIF_LOAD_NOPIXELS);
        // A header the decoder cannot read gives no size to check: decoding
        // the pixels regardless could allocate anything.
        if (!header) {
            result.Report = Failure(TPictureStatus::Failed, collector.Messages.join(QStringLiteral("; ")));
            return result;
        }
        const TPictureReport size = SizeReport(header, Limit);
        // Known before a pixel is decoded.
        if (BoundedExpansion(format) && HoldsNextToNothing(size, fileBytes)) {
            FreeImage_Unload(header);
            result.Report = NextToNothing(size, fileBytes);
            return result;
        }
        FreeImage_Unload(header);
        if (size.Status == TPictureStatus::TooLarge) {
            result.Report = size;
            return result;
        }
    }

    std::fseek(file, 0, SEEK_SET);
    reader.EndedEarly = false;
    collector.Messages.clear();
    FIBITMAP* dib = FreeImage_LoadFromHandle(format, &io, &reader, Flags);
    if (!dib || !FreeImage_HasPixels(dib)) {
        if (dib)
            FreeImage_Unload(dib);
        result.Report = Failure(TPictureStatus::Failed, collector.Messages.join(QStringLiteral("; ")));
        return result;
    }
    result.Report = SizeReport(dib, Limit);
    if (result.Report.Status == TPictureStatus::TooLarge) {
        FreeImage_Unload(dib);
        return result;
    }
    if ((reader.EndedEarly || BoundedExpansion(format)) && HoldsNextToNothing(result.Report, fileBytes)) {
        FreeImage_Unload(dib);
        result.Report = NextToNothing(result.Report, fileBytes);
        return result;
    }
    if (reader.EndedEarly)
        collector.Messages.prepend(QStringLiteral("the file ends before the picture does"));
    if (!collector.Messages.isEmpty()) {
        result.Report.Status = TPictureStatus::Damaged;
        result.Report.Detail = collector.Messages.join(QStringLiteral("; "));
    }
    result.Dib = dib;
    return result;
}

// The decoder program's work: it decodes one picture from the descriptors it
// was started with and runs nothing else.
#include "DecoderChild.h"

#include "DecoderRecord.h"
#include "DisplayForm.h"
#include "RowDecoders.h"
#include "SharedRows.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>
#include <sys/mman.h>
#include <unistd.h>

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

namespace {

// Rows are handed over this much at a time: each stretch's source pages go
// back to the system once copied, so that the decoder holds about one copy
// of the picture, not two.
constexpr std::size_t StretchBytes = std::size_t(8) << 20;

// Gives back the pages wholly inside Bytes from Start, which are never read
// again.
void GiveBack(const BYTE* Start, std::size_t Bytes)
{
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (std::uintptr_t(Start) + page - 1) / page * page;
    const std::uintptr_t last = (std::uintptr_t(Start) + Bytes) / page * page;
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

// All the parent needs to wrap the pixels.
void Describe(FIBITMAP* dib, TDecoderRecord& record)
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

// Hands over the decoded pixels: written into the shared file, or for a
// 32-bit or 48-bit picture to be shown, made 24-bit on the way, a stretch
// at a time, each stretch of the decoded picture given back once written.
// Both halves of the rows run at once, one on a thread of its own: this is
// the one cost a bare decode does not have.
bool HandOver(FIBITMAP* dib, int memory, TPictureForm form, TDecoderRecord& record)
{
    const bool shown = form == TPictureForm::AsShown && ShownRowByRow(dib);
    const std::int64_t height = FreeImage_GetHeight(dib);
    const std::uint32_t pitch = shown ? Pitch24(FreeImage_GetWidth(dib)) : FreeImage_GetPitch(dib);
    record.Bytes = std::int64_t(pitch) * height;
    if (ftruncate(memory, off_t(record.Bytes)) != 0)
        return false;
    const std::size_t sourcePitch = FreeImage_GetPitch(dib);
    const int stretch = int(std::max<std::size_t>(1, StretchBytes / sourcePitch));
    auto rows = [&](int first, int last) {
        std::vector<BYTE> converted(shown ? std::size_t(pitch) * std::size_t(stretch) : 0);
        for (int from = first; from < last; from += stretch) {
            const int to = std::min(last, from + stretch);
            const BYTE* out = FreeImage_GetScanLine(dib, from);
            if (shown) {
                ShownRows(dib, from, to, converted.data(), pitch);
                out = converted.data();
            }
            if (!WriteAt(memory, out, std::size_t(pitch) * std::size_t(to - from), off_t(pitch) * from))
                return false;
            GiveBack(FreeImage_GetScanLine(dib, from), sourcePitch * std::size_t(to - from));
        }
        return true;
    };
    const int half = int(height / 2);
    bool lowerDone = false;
    std::thread lower([&] { lowerDone = rows(0, half); });
    const bool upperDone = rows(half, int(height));
    lower.join();
    if (!lowerDone || !upperDone)
        return false;
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

} // namespace

int RefuseToDecode(const QString& Why)
{
    TDecoderRecord record{};
    record.Status = std::int32_t(TPictureStatus::Failed);
    const QByteArray detail = Why.toUtf8().left(MaxDecoderDetail);
    record.DetailLength = std::uint32_t(detail.size());
    std::memcpy(record.Detail, detail.constData(), std::size_t(detail.size()));
    return WriteAll(DecoderResultFd, &record, sizeof record) ? 0 : 1;
}

void DecodeThroughLibrary(int Picture, int Memory, const QString& Name, int Flags, TPictureForm Form,
                          TDecoderRecord& Record)
{
    TDecodedFile decoded = DecodePictureFile(Picture, Name, Flags, PictureByteLimit());
    Record.Status = std::int32_t(decoded.Report.Status);
    Record.Width = decoded.Report.Width;
    Record.Height = decoded.Report.Height;
    Record.Bytes = decoded.Report.Bytes;
    Record.Limit = decoded.Report.Limit;
    if (decoded.Dib && Form == TPictureForm::AsShown) {
        if (FIBITMAP* shown = ShownCopy(decoded.Dib)) {
            FreeImage_Unload(decoded.Dib);
            decoded.Dib = shown;
        }
    }
    const bool handed = decoded.Dib && HandOver(decoded.Dib, Memory, Form, Record);
    if (decoded.Dib && !handed) {
        Record.Status = std::int32_t(TPictureStatus::Failed);
        decoded.Report.Detail = QStringLiteral("no shared memory for %1 bytes").arg(Record.Bytes);
    }
    if (decoded.Dib)
        FreeImage_Unload(decoded.Dib);
    const QByteArray detail = decoded.Report.Detail.toUtf8().left(MaxDecoderDetail);
    Record.DetailLength = std::uint32_t(detail.size());
    std::memcpy(Record.Detail, detail.constData(), std::size_t(detail.size()));
}

int RunDecoder(const QString& Name, int Flags, TPictureForm Form)
{
    TDecoderRecord record{};
    if (Form != TPictureForm::AsShown ||
        !DecodeRowByRow(DecoderPictureFd, DecoderMemoryFd, Flags, PictureByteLimit(), record))
        DecodeThroughLibrary(DecoderPictureFd, DecoderMemoryFd, Name, Flags, Form, record);
    return WriteAll(DecoderResultFd, &record, sizeof record) ? 0 : 1;
}

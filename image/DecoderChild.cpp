// The decoder program's work: it decodes one picture from the descriptors it
// was started with and runs nothing else.
#include "DecoderChild.h"

#include "DecoderRecord.h"
#include "DisplayForm.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <sys/mman.h>
#include <unistd.h>

namespace {

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
bool HandOver(FIBITMAP* dib, TPictureForm form, TSharedPages& pages, TDecoderRecord& record)
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

int RunDecoder(const QString& Name, int Flags, TPictureForm Form)
{
    TDecoderRecord record{};
    {
        TSharedPages pages(DecoderMemoryFd);
        TDecodedFile decoded = DecodePictureFile(DecoderPictureFd, Name, Flags, PictureByteLimit(),
                                                 [&](const TPictureReport& size, FIBITMAP* header) {
                                                     pages.Reserve(SharedBytes(header, size, Form));
                                                 });
        record.Status = std::int32_t(decoded.Report.Status);
        record.Width = decoded.Report.Width;
        record.Height = decoded.Report.Height;
        record.Bytes = decoded.Report.Bytes;
        record.Limit = decoded.Report.Limit;
        if (decoded.Dib && Form == TPictureForm::AsShown) {
            if (FIBITMAP* shown = ShownCopy(decoded.Dib)) {
                FreeImage_Unload(decoded.Dib);
                decoded.Dib = shown;
            }
        }
        const bool handed = decoded.Dib && HandOver(decoded.Dib, Form, pages, record);
        if (decoded.Dib && !handed) {
            record.Status = std::int32_t(TPictureStatus::Failed);
            decoded.Report.Detail = QStringLiteral("no shared memory for %1 bytes").arg(record.Bytes);
        }
        const QByteArray detail = decoded.Report.Detail.toUtf8().left(MaxDecoderDetail);
        record.DetailLength = std::uint32_t(detail.size());
        std::memcpy(record.Detail, detail.constData(), std::size_t(detail.size()));
    }
    return WriteAll(DecoderResultFd, &record, sizeof record) ? 0 : 1;
}

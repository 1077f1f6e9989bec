#include "RendererChild.h"

#include "Drawing.h"
#include "PageSource.h"
#include "image/DecoderChild.h"
#include "image/PictureDecoder.h"
#include "image/SharedRows.h"

#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ReadAll(int fd, QByteArray& bytes)
{
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_size > (qint64(1) << 30))
        return false;
    bytes.resize(qsizetype(info.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Pages beyond these are left out of the sheet; the page's number can
// still be typed.
constexpr int SheetPages = 200;

QImage Sheet(const TPageSource& Source)
{
    const int pages = std::min(Source.Pages(), SheetPages);
    QImage sheet(ThumbnailCell * pages, ThumbnailCell, QImage::Format_RGB32);
    sheet.fill(Qt::lightGray);
    QPainter painter(&sheet);
    for (int page = 1; page <= pages; ++page) {
        const QSizeF points = Source.PageSize(page);
        if (points.isEmpty())
            continue;
        const double scale = (ThumbnailCell - 8) / std::max(points.width(), points.height());
        const QSize size(std::max(1, int(points.width() * scale)), std::max(1, int(points.height() * scale)));
        const QImage thumbnail = Source.Render(page, size);
        painter.drawImage(QPoint((page - 1) * ThumbnailCell + (ThumbnailCell - size.width()) / 2,
                                 (ThumbnailCell - size.height()) / 2),
                          thumbnail);
    }
    return sheet;
}

// The picture's rows, 24-bit as the library keeps them, bottom row first.
bool HandOver(const QImage& Image, TDecoderRecord& Record)
{
    TSharedRows rows(DecoderMemoryFd);
    const auto width = std::uint32_t(Image.width()), height = std::uint32_t(Image.height());
    if (!rows.Lay(width, height, 24))
        return false;
    std::vector<BYTE> row(rows.Pitch(), 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(Image.constScanLine(int(y)));
        for (std::uint32_t x = 0; x < width; ++x) {
            row[3 * x + FI_RGBA_RED] = BYTE(qRed(in[x]));
            row[3 * x + FI_RGBA_GREEN] = BYTE(qGreen(in[x]));
            row[3 * x + FI_RGBA_BLUE] = BYTE(qBlue(in[x]));
        }
        if (!rows.Put(y, row.data()))
            return false;
    }
    DescribeRows(rows, width, height, 24, Record);
    return true;
}

} // namespace

int RunRenderer(int Page, double Dpi)
{
    QByteArray bytes;
    if (!ReadAll(DecoderPictureFd, bytes))
        return RefuseToDecode(QStringLiteral("the drawing could not be read"));
    QString why;
    const std::unique_ptr<TPageSource> source = TPageSource::Open(bytes, why);
    if (!source)
        return RefuseToDecode(why);
    if (Page > source->Pages())
        return RefuseToDecode(Page == 1 ? QStringLiteral("the drawing has no pages")
                                        : QStringLiteral("the drawing has %1 pages, not %2").arg(source->Pages()).arg(Page));
    TDecoderRecord record{};
    QImage image;
    QByteArray trailer;
    if (Page == 0) {
        image = Sheet(*source);
        trailer = QByteArray::number(source->Pages());
    } else {
        const QSize size = PagePixels(source->PageSize(Page), Dpi);
        const std::int64_t bytesNeeded = std::int64_t(std::max(size.width(), 0)) * std::max(size.height(), 0) * 3;
        if (size.isEmpty() || bytesNeeded > PictureByteLimit() || size.width() > 65000 || size.height() > 65000) {
            record.Status = std::int32_t(TPictureStatus::TooLarge);
            record.Width = size.width();
            record.Height = size.height();
            record.Bytes = bytesNeeded;
            record.Limit = PictureByteLimit();
            return WriteAll(DecoderResultFd, &record, sizeof record) ? 0 : 1;
        }
        image = source->Render(Page, size);
        TDrawing drawing;
        source->Record(Page, size, drawing);
        trailer = DrawingBytes(drawing);
    }
    if (image.isNull() || !HandOver(image, record))
        return RefuseToDecode(QStringLiteral("there is no memory for the page's picture"));
    const auto perMetre = std::uint32_t(std::lround((Page == 0 ? 72.0 : Dpi) / 0.0254));
    record.DotsX = record.DotsY = perMetre;
    const std::uint64_t length = std::uint64_t(trailer.size());
    const bool sent = WriteAll(DecoderResultFd, &record, sizeof record) &&
                      WriteAll(DecoderResultFd, &length, sizeof length) &&
                      WriteAll(DecoderResultFd, trailer.constData(), std::size_t(trailer.size()));
    return sent ? 0 : 1;
}

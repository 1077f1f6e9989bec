#include "FreeBitmap.h"

#include "DisplayForm.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

inline QRgb PaletteColour(const RGBQUAD* palette, unsigned colours, unsigned index)
{
    if (index >= colours)
        return qRgb(0, 0, 0);
    const RGBQUAD& c = palette[index];
    return qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

// Nearest source index of destination pixel i of n spread over a source of m:
// the source pixel under the destination pixel's centre.
inline int NearestSource(std::int64_t i, std::int64_t n, std::int64_t m)
{
    return static_cast<int>(((2 * i + 1) * m) / (2 * n));
}

void SampleRow(FIBITMAP* src, const BYTE* line, const std::vector<int>& columns, QRgb* out,
               const std::vector<QRgb>& lookup)
{
    const std::size_t n = columns.size();
    switch (FreeImage_GetBPP(src)) {
    case 32:
        for (std::size_t i = 0; i < n; ++i) {
            const BYTE* p = line + columns[i] * 4;
            out[i] = qRgb(p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]);
        }
        break;
    case 24:
        for (std::size_t i = 0; i < n; ++i) {
            const BYTE* p = line + columns[i] * 3;
            out[i] = qRgb(p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]);
        }
        break;
    case 8:
        for (std::size_t i = 0; i < n; ++i)
            out[i] = lookup[line[columns[i]]];
        break;
    case 4:
        for (std::size_t i = 0; i < n; ++i) {
            const BYTE b = line[columns[i] >> 1];
            out[i] = lookup[(columns[i] & 1) ? (b & 0x0F) : (b >> 4)];
        }
        break;
    case 1:
        for (std::size_t i = 0; i < n; ++i)
            out[i] = lookup[(line[columns[i] >> 3] >> (7 - (columns[i] & 7))) & 1];
        break;
    }
}

} // namespace

TFreeWinBitmap::~TFreeWinBitmap()
{
    ReleaseDisplayCopy();
}

void TFreeWinBitmap::ReleaseDisplayCopy()
{
    if (DisplayDib) {
        FreeImage_Unload(DisplayDib);
        DisplayDib = nullptr;
    }
    FDisplayKey = {};
}

TPictureReport TFreeWinBitmap::ReplaceWith(const QString& FileName)
{
    ReleaseDisplayCopy();
    TFreeWinBitmap scratch;
    TPictureReport report;
    scratch.Load(FileName, 0, &report, TPictureForm::AsShown, Decoder);
    if (report.Usable())
        TakeImage(scratch);
    return report;
}

TPictureReport TFreeWinBitmap::ReplaceWithPage(const QString& FileName, const TPageChoice& Choice, QByteArray& Drawing)
{
    ReleaseDisplayCopy();
    TFreeWinBitmap scratch;
    TPictureReport report;
    scratch.LoadPage(FileName, Choice, Drawing, &report, Decoder);
    if (report.Usable())
        TakeImage(scratch);
    return report;
}

FIBITMAP* TFreeWinBitmap::DisplaySource(bool UseFileBkg, const RGBQUAD* AppBkColor, FIBITMAP* Bkg)
{
    FIBITMAP* dib = GetDib();
    if (!dib)
        return nullptr;
    TDisplayKey key{Version(), UseFileBkg, std::nullopt, Bkg};
    RGBQUAD colour{};
    if (AppBkColor) {
        colour = *AppBkColor;
        std::uint32_t packed = 0;
        std::memcpy(&packed, &colour, sizeof packed);
        key.AppBkColor = packed;
    }
    if (!(key == FDisplayKey)) {
        ReleaseDisplayCopy();
        DisplayDib = ConvertForDisplay(dib, UseFileBkg, AppBkColor ? &colour : nullptr, Bkg);
        FDisplayKey = key;
    }
    if (DisplayDib)
        return DisplayDib;
    // A conversion that gave nothing draws nothing rather than raw bits of a
    // type the sampler does not read.
    return IsSampledDirectly(dib) ? dib : nullptr;
}

void TFreeWinBitmap::Draw(QPainter& DC, const TRect& Rect)
{
    DrawEx(DC, Rect, false, nullptr, nullptr, Rect);
}

void TFreeWinBitmap::Draw(QPainter& DC, const TRect& Rect, const TRect& Part)
{
    DrawEx(DC, Rect, false, nullptr, nullptr, Part);
}

void TFreeWinBitmap::DrawEx(QPainter& DC, const TRect& Rect, bool UseFileBkg, const RGBQUAD* AppBkColor,
                            FIBITMAP* Bkg, const TRect& Part)
{
    if (!IsValid())
        return;
    const std::int64_t destW = std::int64_t(Rect.Right) - Rect.Left;
    const std::int64_t destH = std::int64_t(Rect.Bottom) - Rect.Top;
    if (destW <= 0 || destH <= 0)
        return;
    const QRect dest(QPoint(Rect.Left, Rect.Top), QPoint(Rect.Right - 1, Rect.Bottom - 1));
    const std::int64_t srcW = GetWidth();
    const std::int64_t srcH = GetHeight();
    DrawSampled(
        DC, dest, Part, [&](int x) { return NearestSource(x - Rect.Left, destW, srcW); },
        [&](int y) { return NearestSource(y - Rect.Top, destH, srcH); }, UseFileBkg, AppBkColor, Bkg);
}

namespace {

// How many client pixels from 0 show a pixel of a source `size` long.
int ZoomedExtent(int size, float zoom)
{
    if (size <= 0)
        return 0;
    std::int64_t n = std::max<std::int64_t>(0, std::int64_t(std::floor((size - 0.5) * double(zoom))));
    while (n > 0 && ZoomedSource(int(n - 1), zoom) > size - 1)
        --n;
    while (ZoomedSource(int(n), zoom) <= size - 1)
        ++n;
    return int(n);
}

} // namespace

QRect TFreeWinBitmap::ZoomedRect(float Zoom) const
{
    if (!IsValid() || !(Zoom > 0))
        return {};
    return {0, 0, ZoomedExtent(GetWidth(), Zoom), ZoomedExtent(GetHeight(), Zoom)};
}

void TFreeWinBitmap::DrawZoomed(QPainter& DC, float Zoom, const TRect& Part)
{
    const QRect dest = ZoomedRect(Zoom);
    if (dest.isEmpty())
        return;
    auto source = [Zoom](int i) { return ZoomedSource(i, Zoom); };
    DrawSampled(DC, dest, Part, source, source, false, nullptr, nullptr);
}

void TFreeWinBitmap::DrawSampled(QPainter& DC, const QRect& Dest, const TRect& Part,
                                 const std::function<int(int)>& Column, const std::function<int(int)>& Row,
                                 bool UseFileBkg, const RGBQUAD* AppBkColor, FIBITMAP* Bkg)
{
    // Sample only what can show: the asked part, inside the destination,
    // inside the painter's clip.
    QRect visible = QRect(QPoint(Part.Left, Part.Top), QPoint(Part.Right - 1, Part.Bottom - 1)).intersected(Dest);
    if (DC.hasClipping())
        visible = visible.intersected(DC.clipBoundingRect().toAlignedRect());
    if (visible.isEmpty())
        return;

    FIBITMAP* src = DisplaySource(UseFileBkg, AppBkColor, Bkg);
    if (!src)
        return;
    const int srcH = static_cast<int>(FreeImage_GetHeight(src));

    std::vector<QRgb> lookup;
    if (const RGBQUAD* palette = FreeImage_GetPalette(src)) {
        const unsigned colours = FreeImage_GetColorsUsed(src);
        const unsigned entries = 1u << std::min(8u, FreeImage_GetBPP(src));
        lookup.resize(entries);
        for (unsigned i = 0; i < entries; ++i)
            lookup[i] = PaletteColour(palette, colours, i);
    }

    std::vector<int> columns(visible.width());
    for (int i = 0; i < visible.width(); ++i)
        columns[i] = Column(visible.left() + i);

    if (FBuffer.size() != visible.size())
        FBuffer = QImage(visible.size(), QImage::Format_RGB32);
    int previousRow = -1;
    for (int j = 0; j < visible.height(); ++j) {
        const int row = Row(visible.top() + j);
        auto* out = reinterpret_cast<QRgb*>(FBuffer.scanLine(j));
        if (row == previousRow) {
            std::memcpy(out, FBuffer.constScanLine(j - 1), std::size_t(visible.width()) * sizeof(QRgb));
            continue;
        }
        // FreeImage keeps rows bottom-up.
        SampleRow(src, FreeImage_GetScanLine(src, srcH - 1 - row), columns, out, lookup);
        previousRow = row;
    }
    DC.drawImage(visible.topLeft(), FBuffer);
}

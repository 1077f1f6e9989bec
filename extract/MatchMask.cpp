#include "MatchMask.h"

#include "ColourRule.h"

namespace {

QImage EmptyMask(int Width, int Height)
{
    QImage mask(Width, Height, QImage::Format_MonoLSB);
    if (mask.isNull())
        return {};
    mask.setColorTable({qRgba(0, 0, 0, 0), qRgba(255, 255, 255, 255)});
    mask.fill(0);
    return mask;
}

void Mark(QImage& Mask, int Y, int X)
{
    Mask.scanLine(Y)[X >> 3] |= uchar(1u << (X & 7));
}

} // namespace

QImage MatchMask(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance)
{
    return MatchMask(Source, Area, AreaPalette(Source, Area), Colour, Tolerance);
}

QImage MatchMask(const TPixelSource& Source, const TExtractArea& Area, const TPalette& Palette, const TRgb& Colour,
                 int Tolerance)
{
    if (!Source.IsValid() || !Area.IsValid())
        return {};
    QImage mask = EmptyMask(Source.Width(), Source.Height());
    if (mask.isNull())
        return {};
    const TColourRule rule(Colour, Palette, Tolerance);
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    std::vector<std::uint8_t> matches;
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        MatchRow(Source, y, span.First, span.Last, rule, matches);
        for (std::size_t i = 0; i < matches.size(); ++i)
            if (matches[i])
                Mark(mask, y, span.First + int(i));
    }
    return mask;
}

QImage BlobMask(const TBlobSearch& Search, int Width, int Height)
{
    QImage mask = EmptyMask(Width, Height);
    if (mask.isNull())
        return {};
    for (const TBlob& blob : Search.Blobs)
        for (const TBlob::TRow& row : blob.Rows)
            for (int x = row.First; x <= row.Last; ++x)
                Mark(mask, row.Y, x);
    return mask;
}

#include "MatchMask.h"

#include "ColourRule.h"

QImage MatchMask(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance)
{
    if (!Source.IsValid() || !Area.IsValid())
        return {};
    QImage mask(Source.Width(), Source.Height(), QImage::Format_MonoLSB);
    if (mask.isNull())
        return {};
    mask.setColorTable({qRgba(0, 0, 0, 0), qRgba(255, 255, 255, 255)});
    mask.fill(0);
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    std::vector<std::uint8_t> matches;
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        MatchRow(Source, y, span.First, span.Last, Colour, Tolerance, matches);
        uchar* line = mask.scanLine(y);
        for (std::size_t i = 0; i < matches.size(); ++i)
            if (matches[i]) {
                const int x = span.First + int(i);
                line[x >> 3] |= uchar(1u << (x & 7));
            }
    }
    return mask;
}

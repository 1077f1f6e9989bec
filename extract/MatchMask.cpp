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
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        uchar* line = mask.scanLine(y);
        for (int x = span.First; x <= span.Last; ++x)
            if (ColourDistance(Source.At(x, y), Colour) <= Tolerance)
                line[x >> 3] |= uchar(1u << (x & 7));
    }
    return mask;
}

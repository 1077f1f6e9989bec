#include "ColourRule.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

std::optional<TRgb> ParseRgb(const QString& Text)
{
    static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (!pattern.match(Text).hasMatch())
        return std::nullopt;
    const uint v = Text.mid(1).toUInt(nullptr, 16);
    return TRgb{int(v >> 16), int((v >> 8) & 0xFF), int(v & 0xFF)};
}

QString RgbText(const TRgb& Colour)
{
    return QStringLiteral("#%1%2%3")
        .arg(Colour.R, 2, 16, QLatin1Char('0'))
        .arg(Colour.G, 2, 16, QLatin1Char('0'))
        .arg(Colour.B, 2, 16, QLatin1Char('0'))
        .toUpper();
}

TColourRule::TColourRule(const TRgb& Colour, const TRgb& Background, int Tolerance)
    : FColour(Colour)
    , FBackground(Background)
    , FTolerance(Tolerance)
    , FSpanR(Colour.R - Background.R)
    , FSpanG(Colour.G - Background.G)
    , FSpanB(Colour.B - Background.B)
    , FSpan2(FSpanR * FSpanR + FSpanG * FSpanG + FSpanB * FSpanB)
{
}

double TColourRule::Share(const TRgb& P) const
{
    if (FSpan2 == 0)
        return Matches(P) ? 1 : -1;
    const double pr = P.R - FBackground.R;
    const double pg = P.G - FBackground.G;
    const double pb = P.B - FBackground.B;
    const double share = std::clamp((pr * FSpanR + pg * FSpanG + pb * FSpanB) / FSpan2, 0.0, 1.0);
    const double off =
        std::max({std::abs(pr - share * FSpanR), std::abs(pg - share * FSpanG), std::abs(pb - share * FSpanB)});
    return off <= FTolerance ? share : -1;
}

QString TColourRule::Problem() const
{
    if (ColourDistance(FColour, FBackground) > FTolerance)
        return {};
    return QStringLiteral("The colour %1 cannot be told from the background %2 at a tolerance of %3.")
        .arg(RgbText(FColour), RgbText(FBackground))
        .arg(FTolerance);
}

namespace {

template <int Bytes>
void MatchBytes(const BYTE* line, int first, int last, const TRgb& colour, int tolerance, std::uint8_t* out)
{
    const BYTE* p = line + std::ptrdiff_t(first) * Bytes;
    for (int x = first; x <= last; ++x, p += Bytes)
        *out++ = std::abs(p[FI_RGBA_RED] - colour.R) <= tolerance && std::abs(p[FI_RGBA_GREEN] - colour.G) <= tolerance &&
                 std::abs(p[FI_RGBA_BLUE] - colour.B) <= tolerance;
}

} // namespace

void MatchRow(const TPixelSource& Source, int Y, int First, int Last, const TRgb& Colour, int Tolerance,
              std::vector<std::uint8_t>& Out)
{
    Out.resize(std::size_t(std::max(0, Last - First + 1)));
    if (Out.empty())
        return;
    switch (Source.Bpp()) {
    case 24:
        MatchBytes<3>(Source.Line(Y), First, Last, Colour, Tolerance, Out.data());
        break;
    case 32:
        MatchBytes<4>(Source.Line(Y), First, Last, Colour, Tolerance, Out.data());
        break;
    default:
        for (int x = First; x <= Last; ++x)
            Out[std::size_t(x - First)] = ColourDistance(Source.At(x, Y), Colour) <= Tolerance;
    }
}

TRgb AreaBackground(const TPixelSource& Source, const TExtractArea& Area)
{
    // Colours counted in buckets of 8 levels a channel; the fullest bucket's
    // mean is the answer, the first of equals.
    struct TBucket {
        long long Count = 0;
        long long R = 0;
        long long G = 0;
        long long B = 0;
    };
    std::map<int, TBucket> buckets;
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    const long long height = std::max(0, rows.Last - rows.First + 1);
    const int rowStep = int(std::max(1LL, height / 256));
    for (int y = rows.First; y <= rows.Last; y += rowStep) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        const int columnStep = std::max(1, (span.Last - span.First + 1) / 256);
        for (int x = span.First; x <= span.Last; x += columnStep) {
            const TRgb p = Source.At(x, y);
            TBucket& bucket = buckets[(p.R >> 3) << 10 | (p.G >> 3) << 5 | (p.B >> 3)];
            ++bucket.Count;
            bucket.R += p.R;
            bucket.G += p.G;
            bucket.B += p.B;
        }
    }
    const TBucket* best = nullptr;
    for (const auto& entry : buckets)
        if (!best || entry.second.Count > best->Count)
            best = &entry.second;
    if (!best)
        return {255, 255, 255};
    return {int(best->R / best->Count), int(best->G / best->Count), int(best->B / best->Count)};
}

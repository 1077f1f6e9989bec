#include "ColourRule.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

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

TColourRule::TColourRule(const TRgb& Colour, const TPalette& Palette, int Tolerance)
    : FColour(Colour)
    , FInk(Colour)
    , FBackground(Palette.Background)
    , FTolerance(Tolerance)
    , FSpanR(Colour.R - FBackground.R)
    , FSpanG(Colour.G - FBackground.G)
    , FSpanB(Colour.B - FBackground.B)
    , FSpan2(FSpanR * FSpanR + FSpanG * FSpanG + FSpanB * FSpanB)
    , FRivals(RivalInks(Palette, Colour))
    , FNoise(Palette.Noise)
{
    if (const int own = InkOf(Palette, Colour); own >= 0)
        FInk = Palette.Inks[std::size_t(own)];
}

bool TColourRule::Claimed(const TRgb& P) const
{
    const std::uint32_t key = std::uint32_t(P.R) << 16 | std::uint32_t(P.G) << 8 | std::uint32_t(P.B);
    if (const auto known = FClaimed.find(key); known != FClaimed.end())
        return known->second;
    const TLab lab = ToLab(P);
    // The picked colour may be a faint edge of its ink, or the ink a
    // little off what was picked: the nearer of the two speaks for it.
    const double own =
        std::min(FitBlend(lab, P, FColour, FBackground).Off, FitBlend(lab, P, FInk, FBackground).Off);
    bool claimed = false;
    for (const TRgb& rival : FRivals)
        if (FitBlend(lab, P, rival, FBackground).Off + FNoise < own) {
            claimed = true;
            break;
        }
    FClaimed.emplace(key, claimed);
    return claimed;
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
void MatchBytes(const BYTE* line, int first, int last, const TColourRule& rule, std::uint8_t* out)
{
    const BYTE* p = line + std::ptrdiff_t(first) * Bytes;
    for (int x = first; x <= last; ++x, p += Bytes)
        *out++ = rule.Matches({p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]});
}

} // namespace

void MatchRow(const TPixelSource& Source, int Y, int First, int Last, const TColourRule& Rule,
              std::vector<std::uint8_t>& Out)
{
    Out.resize(std::size_t(std::max(0, Last - First + 1)));
    if (Out.empty())
        return;
    switch (Source.Bpp()) {
    case 24:
        MatchBytes<3>(Source.Line(Y), First, Last, Rule, Out.data());
        break;
    case 32:
        MatchBytes<4>(Source.Line(Y), First, Last, Rule, Out.data());
        break;
    default:
        for (int x = First; x <= Last; ++x)
            Out[std::size_t(x - First)] = Rule.Matches(Source.At(x, Y));
    }
}

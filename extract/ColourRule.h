#pragma once

#include "ExtractArea.h"
#include "Palette.h"
#include "PixelSource.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

// "#RRGGBB", case ignored; nothing for any other text.
std::optional<TRgb> ParseRgb(const QString& Text);
QString RgbText(const TRgb& Colour);

// The larger of the three channel differences.
inline int ColourDistance(const TRgb& A, const TRgb& B)
{
    const int r = A.R > B.R ? A.R - B.R : B.R - A.R;
    const int g = A.G > B.G ? A.G - B.G : B.G - A.G;
    const int b = A.B > B.B ? A.B - B.B : B.B - A.B;
    return r > g ? (r > b ? r : b) : (g > b ? g : b);
}

// Which pixels are the colour sought, and how much of each. A pixel within
// Tolerance of Colour on every channel matches, unless it looks more like
// another ink of the area's palette, or a blend of one over the background,
// than like Colour or its own ink: so a close colour, or another curve's
// anti-aliased edge, is never taken for it. Any pixel is also read as a
// blend of Colour over the background: its share of Colour weighs it when a
// position is found between pixels, which is what anti-aliased edges hold.
class TColourRule {
public:
    TColourRule(const TRgb& Colour, const TPalette& Palette, int Tolerance);

    bool Near(const TRgb& P) const { return ColourDistance(P, FColour) <= FTolerance; }
    // Few pixels are near; only they are weighed against the rivals.
    bool Matches(const TRgb& P) const { return Near(P) && (FRivals.empty() || !Claimed(P)); }
    // Colour's share of P, 0..1; negative when P is no such blend, that is
    // some other colour.
    double Share(const TRgb& P) const;
    // The weight of a matching pixel of that Share: the share, yet never
    // nothing, so that a patch of matching pixels always has a centre.
    static double MatchWeight(double Share) { return Share < 0 ? 1 : std::max(Share, 1.0 / 1024); }
    // Why Colour cannot be told from Background at this tolerance, or "".
    QString Problem() const;

    const TRgb& Colour() const { return FColour; }
    int Tolerance() const { return FTolerance; }
    const TRgb& Background() const { return FBackground; }
    bool HasRivals() const { return !FRivals.empty(); }
    double Noise() const { return FNoise; }
    // Whether P looks more like a rival ink than like the colour sought.
    bool Claimed(const TRgb& P) const;

private:
    TRgb FColour;
    // The colour's own ink in the palette, or the colour itself.
    TRgb FInk;
    TRgb FBackground;
    int FTolerance;
    // Colour less Background, and its squared length.
    double FSpanR;
    double FSpanG;
    double FSpanB;
    double FSpan2;
    std::vector<TRgb> FRivals;
    // A rival must explain a pixel better by the picture's noise.
    double FNoise;
    // The verdicts on colours already seen: a curve holds few distinct ones.
    mutable std::unordered_map<std::uint32_t, bool> FClaimed;
};

// Sets Out[i] to 1 where pixel First + i of row Y matches Rule and to 0
// elsewhere, for First..Last. Read straight from the bytes of 24 and 32-bit
// pictures, the scans that are large.
void MatchRow(const TPixelSource& Source, int Y, int First, int Last, const TColourRule& Rule,
              std::vector<std::uint8_t>& Out);

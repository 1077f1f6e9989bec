#include "ShownColour.h"

#include "ColourRule.h"
#include "Lab.h"

#include <algorithm>

namespace {

// How far off the colour's blends (largest channel) a faded pixel may lie:
// a scan turns hues a little, and other inks lie much further off.
constexpr int FadedOff = 24;
// A pixel nearer the paper than this share of the colour is paper, or a
// stroke's faint edge.
constexpr double FaintestShare = 0.3;
// Fewer such pixels than this are noise, not strokes.
constexpr std::size_t FewestPixels = 24;
// The strongest pixels, this share of those found, give the colour.
constexpr double StrongestShare = 0.1;

struct TFaded {
    double Share = 0;
    TRgb Colour;
};

} // namespace

std::optional<TRgb> ShownColour(const TPixelSource& Source, const TExtractArea& Area, const TPalette& Palette,
                                const TRgb& Colour)
{
    if (Palette.Noise == 0 || InkOf(Palette, Colour) >= 0 || !Source.IsValid() || !Area.IsValid())
        return std::nullopt;
    const TColourRule rule(Colour, Palette, FadedOff);
    const TLab hue = ToLab(Colour);
    // The inks off the colour's blends are other series, of a near hue
    // maybe; an ink on them may be the colour faded.
    std::vector<TRgb> others;
    for (const TRgb& ink : Palette.Inks)
        if (rule.Share(ink) < 0)
            others.push_back(ink);
    const auto other = [&](const TRgb& P, const TLab& Lab) {
        const double own = FitBlend(Lab, P, Colour, Palette.Background).Off;
        return std::any_of(others.begin(), others.end(), [&](const TRgb& ink) {
            return FitBlend(Lab, P, ink, Palette.Background).Off + Palette.Noise < own;
        });
    };
    std::vector<TFaded> faded;
    std::size_t blends = 0;
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        for (int x = span.First; x <= span.Last; ++x) {
            const TRgb p = Source.At(x, y);
            const double share = rule.Share(p);
            if (share < FaintestShare)
                continue;
            // Another series' ink, or its edges, is not the colour faded.
            const TLab lab = ToLab(p);
            if (other(p, lab))
                continue;
            ++blends;
            // A grey pixel may lie on a colour's blends as well as on black's.
            if (SameHue(lab, hue))
                faded.push_back({share, p});
        }
    }
    // Where most blends have lost the hue, the colour is gone from the
    // picture: what keeps it is other inks' edges.
    if (faded.size() < FewestPixels || 2 * faded.size() < blends)
        return std::nullopt;
    const auto strongest = faded.begin() + std::ptrdiff_t(double(faded.size()) * StrongestShare);
    std::nth_element(faded.begin(), strongest, faded.end(),
                     [](const TFaded& A, const TFaded& B) { return A.Share > B.Share; });
    long long r = 0, g = 0, b = 0;
    for (auto p = faded.begin(); p <= strongest; ++p) {
        r += p->Colour.R;
        g += p->Colour.G;
        b += p->Colour.B;
    }
    const long long n = strongest - faded.begin() + 1;
    return TRgb{int(r / n), int(g / n), int(b / n)};
}

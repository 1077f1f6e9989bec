#include "Palette.h"

#include "ColourRule.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// A colour cluster is found in buckets of 8 levels a channel.
constexpr int BucketBits = 5;
constexpr int Side = 1 << BucketBits;
// Below this a colour is the same as another to the eye.
constexpr double SameInk = 2.5;
// Below this a colour lies on an ink's blends with the background; sRGB
// blends are straight in RGB, so what is left is rounding and noise.
constexpr double OnBlend = 3.5;
constexpr int MostInks = 32;
constexpr int LeastTolerance = 8;

struct TBucket {
    long long Count = 0;
    long long R = 0;
    long long G = 0;
    long long B = 0;
    TRgb Mean() const { return {int(R / Count), int(G / Count), int(B / Count)}; }
};

int BucketOf(const TRgb& P)
{
    return (P.R >> (8 - BucketBits)) << (2 * BucketBits) | (P.G >> (8 - BucketBits)) << BucketBits |
           (P.B >> (8 - BucketBits));
}

// Counts each bucket's colours on a grid of whole rows and columns: a thin
// curve crosses the columns wherever it runs, flat or steep.
std::vector<TBucket> SampleArea(const TPixelSource& Source, const TExtractArea& Area)
{
    std::vector<TBucket> buckets(std::size_t(Side) * Side * Side);
    const int spacing = std::max(1, std::max(Source.Width(), Source.Height()) / 256);
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        const bool wholeRow = y % spacing == 0;
        int x = wholeRow ? span.First : span.First + (spacing - span.First % spacing) % spacing;
        for (; x <= span.Last; x += wholeRow ? 1 : spacing) {
            const TRgb p = Source.At(x, y);
            TBucket& b = buckets[std::size_t(BucketOf(p))];
            ++b.Count;
            b.R += p.R;
            b.G += p.G;
            b.B += p.B;
        }
    }
    return buckets;
}

// Whether bucket I holds more than each of its 26 neighbours; of equals the
// first one counts.
bool IsPeak(const std::vector<TBucket>& Buckets, int I)
{
    const int r = I >> (2 * BucketBits);
    const int g = (I >> BucketBits) & (Side - 1);
    const int b = I & (Side - 1);
    for (int dr = -1; dr <= 1; ++dr)
        for (int dg = -1; dg <= 1; ++dg)
            for (int db = -1; db <= 1; ++db) {
                const int nr = r + dr;
                const int ng = g + dg;
                const int nb = b + db;
                if ((dr == 0 && dg == 0 && db == 0) || nr < 0 || ng < 0 || nb < 0 || nr >= Side || ng >= Side ||
                    nb >= Side)
                    continue;
                const int n = nr << (2 * BucketBits) | ng << BucketBits | nb;
                const long long other = Buckets[std::size_t(n)].Count;
                if (other > Buckets[std::size_t(I)].Count || (other == Buckets[std::size_t(I)].Count && n < I))
                    return false;
            }
    return true;
}

// Where Colour lies along the blends from Background to Ink, unclamped:
// beyond 1 it is a stronger colour of the same hue.
double Projection(const TRgb& Colour, const TRgb& Ink, const TRgb& Background)
{
    const double sr = Ink.R - Background.R;
    const double sg = Ink.G - Background.G;
    const double sb = Ink.B - Background.B;
    const double span2 = sr * sr + sg * sg + sb * sb;
    if (span2 == 0)
        return 0;
    return ((Colour.R - Background.R) * sr + (Colour.G - Background.G) * sg + (Colour.B - Background.B) * sb) / span2;
}

TLab BlendLab(const TRgb& Ink, const TRgb& Background, double Share)
{
    return ToLab(Background.R + Share * (Ink.R - Background.R), Background.G + Share * (Ink.G - Background.G),
                 Background.B + Share * (Ink.B - Background.B));
}

// The inks among Peaks, most common first: a peak that lies on the blends
// of an ink found before with the background, or is that ink, within the
// picture's Noise, is no new one; a stronger colour of an ink's hue
// replaces it, as its blends were met first.
std::vector<TRgb> Inks(const std::vector<TBucket>& Buckets, const std::vector<int>& Peaks, const TRgb& Background,
                       double Noise)
{
    const TLab background = ToLab(Background);
    std::vector<TRgb> inks;
    for (const int peak : Peaks) {
        const TRgb colour = Buckets[std::size_t(peak)].Mean();
        const TLab lab = ToLab(colour);
        if (DeltaE(lab, background) < SameInk + 2 * Noise)
            continue;
        bool known = false;
        for (TRgb& ink : inks) {
            const double along = std::max(0.0, Projection(colour, ink, Background));
            if (DeltaE(lab, BlendLab(ink, Background, along)) >= OnBlend + 2 * Noise &&
                DeltaE(lab, ToLab(ink)) >= SameInk + 2 * Noise)
                continue;
            if (along > 1)
                ink = colour;
            known = true;
            break;
        }
        if (!known && int(inks.size()) < MostInks)
            inks.push_back(colour);
    }
    return inks;
}

// How far the area's colours stray from the inks' blends: about nothing
// in a drawn picture, a good deal in a JPEG or a scan. The median, by
// count, of each colour's distance from the nearest blend.
double Stray(const std::vector<TBucket>& Buckets, const std::vector<TRgb>& Inks, const TRgb& Background)
{
    const TLab background = ToLab(Background);
    std::vector<std::pair<double, long long>> strays;
    long long total = 0;
    for (const TBucket& bucket : Buckets) {
        if (bucket.Count == 0)
            continue;
        const TRgb colour = bucket.Mean();
        const TLab lab = ToLab(colour);
        if (DeltaE(lab, background) < 2 * SameInk)
            continue;
        double nearest = DeltaE(lab, background);
        for (const TRgb& ink : Inks)
            nearest = std::min(nearest, FitBlend(lab, colour, ink, Background).Off);
        strays.push_back({nearest, bucket.Count});
        total += bucket.Count;
    }
    std::sort(strays.begin(), strays.end());
    long long counted = 0;
    for (const auto& [stray, count] : strays)
        if (2 * (counted += count) >= total)
            return stray;
    return 0;
}

} // namespace

TPalette AreaPalette(const TPixelSource& Source, const TExtractArea& Area)
{
    TPalette palette;
    if (!Source.IsValid() || !Area.IsValid())
        return palette;
    const std::vector<TBucket> buckets = SampleArea(Source, Area);
    long long total = 0;
    int fullest = -1;
    for (std::size_t i = 0; i < buckets.size(); ++i) {
        total += buckets[i].Count;
        if (buckets[i].Count > 0 && (fullest < 0 || buckets[i].Count > buckets[std::size_t(fullest)].Count))
            fullest = int(i);
    }
    if (fullest < 0)
        return palette;
    palette.Background = buckets[std::size_t(fullest)].Mean();
    const long long least = std::max(4LL, total / 20000);
    std::vector<int> peaks;
    for (int i = 0; i < int(buckets.size()); ++i)
        if (i != fullest && buckets[std::size_t(i)].Count >= least && IsPeak(buckets, i))
            peaks.push_back(i);
    std::stable_sort(peaks.begin(), peaks.end(), [&](int a, int b) {
        return buckets[std::size_t(a)].Count > buckets[std::size_t(b)].Count;
    });
    // Found once as in a clean drawing, then again allowing for the noise
    // that the colours' stray from those inks shows, so that a JPEG's or a
    // scan's stray shades of one ink are not taken for inks of their own.
    palette.Inks = Inks(buckets, peaks, palette.Background, 0);
    palette.Noise = 3 * std::max(0.0, Stray(buckets, palette.Inks, palette.Background) - 1);
    if (palette.Noise > 0)
        palette.Inks = Inks(buckets, peaks, palette.Background, palette.Noise);
    return palette;
}

TBlendFit FitBlend(const TLab& Colour, const TRgb& RgbColour, const TRgb& Ink, const TRgb& Background)
{
    const double share = std::clamp(Projection(RgbColour, Ink, Background), 0.0, 1.0);
    return {share, DeltaE(Colour, BlendLab(Ink, Background, share))};
}

int InkOf(const TPalette& Palette, const TRgb& Colour)
{
    const TLab lab = ToLab(Colour);
    int best = -1;
    double bestOff = 2 * (OnBlend + Palette.Noise);
    for (std::size_t i = 0; i < Palette.Inks.size(); ++i) {
        const TBlendFit fit = FitBlend(lab, Colour, Palette.Inks[i], Palette.Background);
        if (fit.Share > 0 && fit.Off < bestOff) {
            bestOff = fit.Off;
            best = int(i);
        }
    }
    return best;
}

std::vector<TRgb> RivalInks(const TPalette& Palette, const TRgb& Colour)
{
    const int own = InkOf(Palette, Colour);
    const TLab colour = ToLab(Colour);
    const TLab ownInk = own >= 0 ? ToLab(Palette.Inks[std::size_t(own)]) : colour;
    const TLab background = ToLab(Palette.Background);
    // In a noisy picture a rival must stand clear of the noise, from the
    // colour, its ink and the background, or the stray shades of the
    // colour would claim its own pixels.
    const double apart = SameInk + 4 * Palette.Noise;
    std::vector<TRgb> rivals;
    for (std::size_t i = 0; i < Palette.Inks.size(); ++i) {
        const TLab ink = ToLab(Palette.Inks[i]);
        if (int(i) != own && DeltaE(ink, colour) >= apart && DeltaE(ink, ownInk) >= apart &&
            DeltaE(ink, background) >= apart)
            rivals.push_back(Palette.Inks[i]);
    }
    return rivals;
}

int PaletteTolerance(const TPalette& Palette, const TRgb& Colour, int Most)
{
    int tolerance = std::min(Most, ColourDistance(Colour, Palette.Background) - 1);
    for (const TRgb& rival : RivalInks(Palette, Colour))
        tolerance = std::min(tolerance, ColourDistance(Colour, rival) - 1);
    return std::clamp(tolerance, std::min(LeastTolerance, Most), Most);
}

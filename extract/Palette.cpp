#include "Palette.h"

#include "ColourRule.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Colours are counted in buckets of 4 levels a channel: inks 12 levels
// apart fall in buckets that are not neighbours.
constexpr int BucketBits = 6;
constexpr int Side = 1 << BucketBits;
// Below this a colour is the same as another to the eye.
constexpr double SameInk = 2.5;
// Below this a colour lies on an ink's blends with the background; sRGB
// blends are straight in RGB, so what is left is rounding and noise.
constexpr double OnBlend = 3.5;
constexpr int MostInks = 32;
// Samples nearer the background than this (squared RGB distance) are paper
// and its grain, never a stroke's middle.
constexpr int FaintestInk = 40 * 40;
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

// The colours of the area in buckets, sampled on a grid of whole rows and
// columns: a thin curve crosses the columns wherever it runs, flat or
// steep. All counts every sample, for the background; Cores only those
// that differ from the background at least as much as the samples either
// side along the grid line, which are the middles of strokes: an ink's
// own colour, not its anti-aliased or compressed fringes.
struct TSamples {
    std::vector<TBucket> All;
    std::vector<TBucket> Cores;
};

void Count(std::vector<TBucket>& Buckets, const TRgb& P)
{
    TBucket& b = Buckets[std::size_t(BucketOf(P))];
    ++b.Count;
    b.R += P.R;
    b.G += P.G;
    b.B += P.B;
}

int Inkiness(const TRgb& P, const TRgb& Background)
{
    return (P.R - Background.R) * (P.R - Background.R) + (P.G - Background.G) * (P.G - Background.G) +
           (P.B - Background.B) * (P.B - Background.B);
}

TSamples SampleArea(const TPixelSource& Source, const TExtractArea& Area)
{
    TSamples samples{std::vector<TBucket>(std::size_t(Side) * Side * Side), {}};
    const int spacing = std::max(1, std::max(Source.Width(), Source.Height()) / 256);
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        const bool wholeRow = y % spacing == 0;
        int x = wholeRow ? span.First : span.First + (spacing - span.First % spacing) % spacing;
        for (; x <= span.Last; x += wholeRow ? 1 : spacing)
            Count(samples.All, Source.At(x, y));
    }
    const auto fullest = std::max_element(samples.All.begin(), samples.All.end(),
                                          [](const TBucket& a, const TBucket& b) { return a.Count < b.Count; });
    if (fullest->Count == 0)
        return samples;
    const TRgb background = fullest->Mean();
    samples.Cores.resize(samples.All.size());
    const auto core = [&](int x, int y, int dx, int dy) {
        const TRgb p = Source.At(x, y);
        const int ink = Inkiness(p, background);
        if (ink < FaintestInk)
            return;
        // Along a stroke that the grid line follows nothing stands out.
        bool above = false;
        for (const int d : {-1, 1}) {
            const int nx = x + d * dx;
            const int ny = y + d * dy;
            const int next = nx >= 0 && ny >= 0 && nx < Source.Width() && ny < Source.Height()
                                 ? Inkiness(Source.At(nx, ny), background)
                                 : 0;
            if (next > ink)
                return;
            above = above || next < ink;
        }
        if (above)
            Count(samples.Cores, p);
    };
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        const bool wholeRow = y % spacing == 0;
        int x = wholeRow ? span.First : span.First + (spacing - span.First % spacing) % spacing;
        for (; x <= span.Last; x += wholeRow ? 1 : spacing) {
            if (wholeRow)
                core(x, y, 1, 0);
            if (x % spacing == 0)
                core(x, y, 0, 1);
        }
    }
    return samples;
}

// Each bucket with its 26 neighbours: a JPEG spreads an ink over several
// buckets, whose sum still peaks once, at the ink.
std::vector<TBucket> Smoothed(std::vector<TBucket> Buckets)
{
    for (const int shift : {0, BucketBits, 2 * BucketBits}) {
        const std::vector<TBucket> in = Buckets;
        for (int i = 0; i < int(in.size()); ++i) {
            const int along = (i >> shift) & (Side - 1);
            TBucket& out = Buckets[std::size_t(i)];
            for (const int d : {-1, 1}) {
                if (along + d < 0 || along + d >= Side)
                    continue;
                const TBucket& n = in[std::size_t(i + d * (1 << shift))];
                out.Count += n.Count;
                out.R += n.R;
                out.G += n.G;
                out.B += n.B;
            }
        }
    }
    return Buckets;
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

// Whether Colour is a blend of Ink over Background, within the noise.
bool IsBlendOf(const TRgb& Colour, const TLab& Lab, const TRgb& Ink, const TRgb& Background, double Noise)
{
    const double along = Projection(Colour, Ink, Background);
    return along > 0 && along <= 1 && DeltaE(Lab, BlendLab(Ink, Background, along)) < OnBlend + 2 * Noise;
}

// The inks among Peaks, most common first: a peak that is an ink found
// before, or lies on its blends with the background, within the picture's
// Noise, is no new one, and adds its strokes to that ink's. A thin line's
// blends may be met before the line's own colour; those are dropped once
// the colour is found.
TPalette Inks(const std::vector<TBucket>& Buckets, const std::vector<int>& Peaks, const TRgb& Background,
              double Noise)
{
    const TLab background = ToLab(Background);
    TPalette found;
    for (const int peak : Peaks) {
        const TBucket& bucket = Buckets[std::size_t(peak)];
        const TRgb colour = bucket.Mean();
        const TLab lab = ToLab(colour);
        if (DeltaE(lab, background) < SameInk + 2 * Noise)
            continue;
        const auto known = std::find_if(found.Inks.begin(), found.Inks.end(), [&](const TRgb& ink) {
            return DeltaE(lab, ToLab(ink)) < SameInk + 2 * Noise || IsBlendOf(colour, lab, ink, Background, Noise);
        });
        if (known != found.Inks.end()) {
            found.Strokes[std::size_t(known - found.Inks.begin())] += bucket.Count;
        } else {
            found.Inks.push_back(colour);
            found.Strokes.push_back(bucket.Count);
        }
    }
    TPalette kept;
    kept.Background = Background;
    kept.Noise = Noise;
    for (std::size_t i = 0; i < found.Inks.size() && kept.Inks.size() < std::size_t(MostInks); ++i) {
        const TLab lab = ToLab(found.Inks[i]);
        if (std::none_of(found.Inks.begin(), found.Inks.end(), [&](const TRgb& other) {
                return !(other == found.Inks[i]) && IsBlendOf(found.Inks[i], lab, other, Background, Noise);
            })) {
            kept.Inks.push_back(found.Inks[i]);
            kept.Strokes.push_back(found.Strokes[i]);
        }
    }
    return kept;
}

// How far the strokes' colours stray from the inks' blends: about nothing
// in a drawing, a good deal in a JPEG or a scan. Each colour goes to the ink
// that explains it best; the answer is the middle ink's median stray, so
// that neither the many crisp grey grid pixels nor one noisy ink decide.
double Stray(const std::vector<TBucket>& Buckets, const std::vector<TRgb>& Inks, const TRgb& Background)
{
    const TLab background = ToLab(Background);
    std::vector<std::vector<std::pair<double, long long>>> strays(Inks.size());
    for (const TBucket& bucket : Buckets) {
        if (bucket.Count == 0)
            continue;
        const TRgb colour = bucket.Mean();
        const TLab lab = ToLab(colour);
        if (DeltaE(lab, background) < 2 * SameInk)
            continue;
        std::size_t best = Inks.size();
        double nearest = INFINITY;
        for (std::size_t i = 0; i < Inks.size(); ++i)
            if (const double off = FitBlend(lab, colour, Inks[i], Background).Off; off < nearest) {
                nearest = off;
                best = i;
            }
        if (best < Inks.size())
            strays[best].push_back({nearest, bucket.Count});
    }
    std::vector<double> medians;
    for (std::vector<std::pair<double, long long>>& ink : strays) {
        std::sort(ink.begin(), ink.end());
        long long total = 0;
        for (const auto& stray : ink)
            total += stray.second;
        long long counted = 0;
        for (const auto& [stray, count] : ink)
            if (2 * (counted += count) >= total) {
                medians.push_back(stray);
                break;
            }
    }
    if (medians.empty())
        return 0;
    std::sort(medians.begin(), medians.end());
    return medians[medians.size() / 2];
}

} // namespace

TPalette AreaPalette(const TPixelSource& Source, const TExtractArea& Area)
{
    TPalette palette;
    if (!Source.IsValid() || !Area.IsValid())
        return palette;
    const TSamples samples = SampleArea(Source, Area);
    const std::vector<TBucket>& buckets = samples.All;
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
    // An ink holds a share of the strokes' middles, a few at least.
    long long strokes = 0;
    for (const TBucket& b : samples.Cores)
        strokes += b.Count;
    const long long least = std::max(3LL, strokes / 1000);
    const auto peaksOf = [&](const std::vector<TBucket>& histogram) {
        std::vector<int> peaks;
        for (int i = 0; i < int(histogram.size()); ++i)
            if (i != fullest && histogram[std::size_t(i)].Count >= least && IsPeak(histogram, i))
                peaks.push_back(i);
        std::stable_sort(peaks.begin(), peaks.end(), [&](int a, int b) {
            return histogram[std::size_t(a)].Count > histogram[std::size_t(b)].Count;
        });
        return peaks;
    };
    // The noise is measured against coarse inks, a JPEG's or a scan's
    // shades of one ink smoothed into one; then the inks are found as finely
    // as that noise allows, so that close inks of a clean drawing stay apart.
    const std::vector<TBucket> smoothed = Smoothed(samples.Cores);
    const TPalette coarse = Inks(smoothed, peaksOf(smoothed), palette.Background, 0);
    const double noise = 3 * std::max(0.0, Stray(samples.Cores, coarse.Inks, palette.Background) - 1);
    return Inks(samples.Cores, peaksOf(samples.Cores), palette.Background, noise);
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

namespace {

// Whether two colours are shades of one hue: what noise makes of one ink
// lighter or darker. Greys have no hue to share.
bool SameHue(const TLab& P, const TLab& Q)
{
    constexpr double Grey = 10;
    constexpr double Turn = 20 * M_PI / 180;
    if (std::hypot(P.A, P.B) < Grey || std::hypot(Q.A, Q.B) < Grey)
        return false;
    const double turn = std::abs(std::remainder(std::atan2(P.B, P.A) - std::atan2(Q.B, Q.A), 2 * M_PI));
    return turn < Turn;
}

} // namespace

std::vector<TRgb> RivalInks(const TPalette& Palette, const TRgb& Colour)
{
    if (Palette.Inks.empty())
        return {};
    const int own = InkOf(Palette, Colour);
    const TLab colour = ToLab(Colour);
    const TLab ownInk = own >= 0 ? ToLab(Palette.Inks[std::size_t(own)]) : colour;
    const TLab background = ToLab(Palette.Background);
    // In a noisy picture a rival must stand clear of the noise, from the
    // colour, its ink and the background, or the stray shades of the
    // colour would claim its own pixels.
    const double apart = SameInk + 4 * Palette.Noise;
    // The colour's own family: its ink, the shades noise made of it and
    // the blends of it, whose strokes together say how strong it is.
    std::vector<char> family(Palette.Inks.size(), 0);
    long long strength = 0;
    for (std::size_t i = 0; i < Palette.Inks.size(); ++i) {
        const TLab ink = ToLab(Palette.Inks[i]);
        // A thin line of the colour may have no pixel of it, only blends.
        family[i] = int(i) == own || IsBlendOf(Palette.Inks[i], ink, Colour, Palette.Background, Palette.Noise) ||
                    DeltaE(ink, colour) < apart || DeltaE(ink, ownInk) < apart ||
                    (Palette.Noise > 0 && SameHue(ink, colour));
        if (family[i])
            strength += Palette.Strokes[i];
    }
    std::vector<TRgb> rivals;
    for (std::size_t i = 0; i < Palette.Inks.size(); ++i) {
        // In a noisy picture the stray shades of one ink gather as faint
        // inks of their own: only a substantial one is a rival there.
        const bool strong = Palette.Noise == 0 || Palette.Strokes[i] * 4 >= strength;
        if (!family[i] && strong && DeltaE(ToLab(Palette.Inks[i]), background) >= apart)
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

#include "Palette.h"

#include "ColourRule.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <unordered_map>

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
    void Add(const TBucket& Other)
    {
        Count += Other.Count;
        R += Other.R;
        G += Other.G;
        B += Other.B;
    }
};

int BucketOf(const TRgb& P)
{
    return (P.R >> (8 - BucketBits)) << (2 * BucketBits) | (P.G >> (8 - BucketBits)) << BucketBits |
           (P.B >> (8 - BucketBits));
}

// Colours counted in buckets, with the list of the buckets that hold any:
// a chart fills few of them.
struct THistogram {
    std::vector<TBucket> Buckets = std::vector<TBucket>(std::size_t(Side) * Side * Side);
    std::vector<int> Filled;

    void Count(const TRgb& P)
    {
        const int i = BucketOf(P);
        TBucket& b = Buckets[std::size_t(i)];
        if (b.Count++ == 0)
            Filled.push_back(i);
        b.R += P.R;
        b.G += P.G;
        b.B += P.B;
    }
    // The bucket with its 26 neighbours: a JPEG spreads an ink over
    // several buckets, whose sum still peaks once, at the ink.
    TBucket Around(int I) const
    {
        TBucket sum;
        const int r = I >> (2 * BucketBits);
        const int g = (I >> BucketBits) & (Side - 1);
        const int b = I & (Side - 1);
        for (int nr = std::max(0, r - 1); nr <= std::min(Side - 1, r + 1); ++nr)
            for (int ng = std::max(0, g - 1); ng <= std::min(Side - 1, g + 1); ++ng)
                for (int nb = std::max(0, b - 1); nb <= std::min(Side - 1, b + 1); ++nb)
                    sum.Add(Buckets[std::size_t(nr << (2 * BucketBits) | ng << BucketBits | nb)]);
        return sum;
    }
};

int Inkiness(const TRgb& P, const TRgb& Background)
{
    return (P.R - Background.R) * (P.R - Background.R) + (P.G - Background.G) * (P.G - Background.G) +
           (P.B - Background.B) * (P.B - Background.B);
}

// The colour most of the area's pixels have, from a grid of them.
TRgb Background(const TPixelSource& Source, const TExtractArea& Area, int Spacing)
{
    std::unordered_map<int, TBucket> buckets;
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    for (int y = rows.First; y <= rows.Last; y += Spacing) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        for (int x = span.First; x <= span.Last; x += Spacing) {
            const TRgb p = Source.At(x, y);
            buckets[BucketOf(p)].Add({1, p.R, p.G, p.B});
        }
    }
    const TBucket* fullest = nullptr;
    for (const auto& [index, bucket] : buckets)
        if (!fullest || bucket.Count > fullest->Count)
            fullest = &bucket;
    return fullest ? fullest->Mean() : TRgb{255, 255, 255};
}

// The colours of the middles of strokes, sampled along a grid of whole rows
// and columns (a thin curve crosses the columns wherever it runs, flat or
// steep): samples that differ from the background at least as much as
// those either side along the grid line, and more than one of them. That
// is an ink's own colour, not its anti-aliased or compressed fringes.
THistogram StrokeMiddles(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Background, int Spacing)
{
    THistogram middles;
    const auto middle = [&](int x, int y, int dx, int dy) {
        const TRgb p = Source.At(x, y);
        const int ink = Inkiness(p, Background);
        if (ink < FaintestInk)
            return;
        // Along a stroke that the grid line follows nothing stands out.
        bool above = false;
        for (const int d : {-1, 1}) {
            const int nx = x + d * dx;
            const int ny = y + d * dy;
            const int next = nx >= 0 && ny >= 0 && nx < Source.Width() && ny < Source.Height()
                                 ? Inkiness(Source.At(nx, ny), Background)
                                 : 0;
            if (next > ink)
                return;
            above = above || next < ink;
        }
        if (above)
            middles.Count(p);
    };
    const TExtractArea::TSpan rows = Area.Rows(Source.Height());
    for (int y = rows.First; y <= rows.Last; ++y) {
        const TExtractArea::TSpan span = Area.RowSpan(y, Source.Width());
        const bool wholeRow = y % Spacing == 0;
        int x = wholeRow ? span.First : span.First + (Spacing - span.First % Spacing) % Spacing;
        for (; x <= span.Last; x += wholeRow ? 1 : Spacing) {
            if (wholeRow)
                middle(x, y, 1, 0);
            if (x % Spacing == 0)
                middle(x, y, 0, 1);
        }
    }
    return middles;
}

// The buckets, as Of gives them, that hold at least Least and more than
// each of their 26 neighbours (of equals the first one counts), most
// common first.
std::vector<TBucket> Peaks(const THistogram& Histogram, long long Least, const std::function<TBucket(int)>& Of)
{
    std::vector<std::pair<TBucket, int>> peaks;
    for (const int i : Histogram.Filled) {
        const TBucket here = Of(i);
        if (here.Count < Least)
            continue;
        const int r = i >> (2 * BucketBits);
        const int g = (i >> BucketBits) & (Side - 1);
        const int b = i & (Side - 1);
        bool peak = true;
        for (int nr = std::max(0, r - 1); nr <= std::min(Side - 1, r + 1) && peak; ++nr)
            for (int ng = std::max(0, g - 1); ng <= std::min(Side - 1, g + 1) && peak; ++ng)
                for (int nb = std::max(0, b - 1); nb <= std::min(Side - 1, b + 1) && peak; ++nb) {
                    const int n = nr << (2 * BucketBits) | ng << BucketBits | nb;
                    if (n == i || Histogram.Buckets[std::size_t(n)].Count == 0)
                        continue;
                    const long long other = Of(n).Count;
                    peak = !(other > here.Count || (other == here.Count && n < i));
                }
        if (peak)
            peaks.push_back({here, i});
    }
    std::sort(peaks.begin(), peaks.end(), [](const auto& a, const auto& b) {
        return a.first.Count != b.first.Count ? a.first.Count > b.first.Count : a.second < b.second;
    });
    std::vector<TBucket> out;
    for (const auto& peak : peaks)
        out.push_back(peak.first);
    return out;
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
TPalette Inks(const std::vector<TBucket>& Peaks, const TRgb& Background, double Noise)
{
    const TLab background = ToLab(Background);
    TPalette found;
    for (const TBucket& bucket : Peaks) {
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
double Stray(const THistogram& Histogram, const std::vector<TRgb>& Inks, const TRgb& Background)
{
    const TLab background = ToLab(Background);
    std::vector<std::vector<std::pair<double, long long>>> strays(Inks.size());
    for (const int filled : Histogram.Filled) {
        const TBucket& bucket = Histogram.Buckets[std::size_t(filled)];
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
    const int spacing = std::max(1, std::max(Source.Width(), Source.Height()) / 160);
    palette.Background = Background(Source, Area, spacing);
    const THistogram middles = StrokeMiddles(Source, Area, palette.Background, spacing);
    // An ink holds a share of the strokes' middles, a few at least.
    long long strokes = 0;
    for (const int i : middles.Filled)
        strokes += middles.Buckets[std::size_t(i)].Count;
    const long long least = std::max(3LL, strokes / 1000);
    // The noise is measured against coarse inks, a JPEG's or a scan's
    // shades of one ink smoothed into one; then the inks are found as finely
    // as that noise allows, so that close inks of a clean drawing stay apart.
    const TPalette coarse =
        Inks(Peaks(middles, least, [&](int i) { return middles.Around(i); }), palette.Background, 0);
    const double noise = 3 * std::max(0.0, Stray(middles, coarse.Inks, palette.Background) - 1);
    return Inks(Peaks(middles, least, [&](int i) { return middles.Buckets[std::size_t(i)]; }), palette.Background,
                noise);
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

bool SameHue(const TLab& P, const TLab& Q)
{
    constexpr double Grey = 10;
    constexpr double Turn = 20 * M_PI / 180;
    if (std::hypot(P.A, P.B) < Grey || std::hypot(Q.A, Q.B) < Grey)
        return false;
    const double turn = std::abs(std::remainder(std::atan2(P.B, P.A) - std::atan2(Q.B, Q.A), 2 * M_PI));
    return turn < Turn;
}

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

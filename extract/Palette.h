#pragma once

#include "ExtractArea.h"
#include "Lab.h"
#include "PixelSource.h"

#include <vector>

// The distinct colours drawn in a plotting area: its background, and the
// inks, colours that are neither the background nor a blend of another ink
// over it (anti-aliased edges, faint grid lines), most common first.
struct TPalette {
    TRgb Background{255, 255, 255};
    std::vector<TRgb> Inks;
    // How many strokes' middles each ink was seen in.
    std::vector<long long> Strokes;
    // How far (Delta E) the picture's noise spreads an ink's colours: none
    // in a drawing, some in a JPEG or a scan.
    double Noise = 0;
};

TPalette AreaPalette(const TPixelSource& Source, const TExtractArea& Area);

// The blend of Ink over Background nearest to a colour: Ink's share in it,
// 0..1, and how far the colour is from it (Delta E).
struct TBlendFit {
    double Share = 0;
    double Off = 0;
};
TBlendFit FitBlend(const TLab& Colour, const TRgb& RgbColour, const TRgb& Ink, const TRgb& Background);

// The ink that Colour is, or is a blend of over the background; -1 when it
// is none of them.
int InkOf(const TPalette& Palette, const TRgb& Colour);

// Whether two colours are shades of one hue: what noise makes of one ink
// lighter or darker. Greys have no hue to share.
bool SameHue(const TLab& P, const TLab& Q);

// The inks that are not Colour's own: the colours that must not be taken
// for it.
std::vector<TRgb> RivalInks(const TPalette& Palette, const TRgb& Colour);

// The largest tolerance, Most at most and a few levels at least, at which
// Colour takes in neither another ink nor the background.
int PaletteTolerance(const TPalette& Palette, const TRgb& Colour, int Most);

#pragma once

#include "PixelSource.h"
#include "platform/WinTypes.h"

#include <QString>

#include <optional>
#include <vector>

// How sure an extraction is: what it took against what the area holds.
struct TExtractionReport {
    // The step columns across the area where the picture is, and how many
    // of them gave a point; none for markers.
    long long Steps = 0;
    long long Covered = 0;
    // Where the colour went on far from where the curve led.
    int JumpsRefused = 0;
    // Where the curve parted from another stretch of its colour that fitted
    // its course and colour as well: the walk may have gone on the wrong one.
    int Ambiguous = 0;
    // Patches of the colour the result does not pass through (text), and
    // patches outside the marker sizes.
    int PiecesLeftOut = 0;
    // Legend samples, told by the name beside them, and the box of the
    // first one's name, in picture pixels, for a reader of text.
    int LegendLeftOut = 0;
    std::optional<TRect> LegendName;
    // Pieces of a line of the markers' colour (one that joins them, a
    // frame) left out of a marker extraction.
    int LinesLeftOut = 0;
    // Points within a pixel or two of a line of the colour ruled across the
    // area (a frame side, a grid line), which the walk left out.
    long long AlongRuled = 0;
    // The colour taken for the one asked for: a scan's faded rendition.
    std::optional<TRgb> ShownAs;
    // The colour's pixels in the area, and those in what was taken.
    long long ColourPixels = 0;
    long long Explained = 0;

    double Coverage() const { return Steps > 0 ? double(Covered) / double(Steps) : 1; }
    double ExplainedShare() const { return ColourPixels > 0 ? double(Explained) / double(ColourPixels) : 1; }
    // Under half the width covered, under half the colour explained, a jump
    // refused, a parting undecided, or half the points along a ruled line:
    // the result may be partly wrong or miss a part.
    bool Doubtful() const;
    // One line of the figures, and what makes the result doubtful.
    QString Text(std::size_t Points) const;
};

// What an extraction found, in picture pixels and in the order the turned X
// axis runs, or why it could not start.
struct TExtraction {
    std::vector<TPointF> Points;
    QString Problem;
    TExtractionReport Report;
};

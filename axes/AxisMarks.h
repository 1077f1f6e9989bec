#pragma once

#include "GrayPicture.h"

#include <QLineF>
#include <QRect>

#include <vector>

// A tick mark of an upright picture: where it meets its axis line (on the
// line's centre, so the ticks of one axis share it exactly) and its outer
// end; Vertical for a tick across a level axis.
struct TTickMark {
    QPointF Axis;
    QPointF Outer;
    bool Vertical = false;
    // At a frame's corner, found as the end of the other side's line: its
    // place is that line's, not its own.
    bool Corner = false;
};

// A run of glyphs that may be a tick label, or the raised exponent of one,
// and how many glyphs (connected strokes) it holds.
struct TGlyphRun {
    QRect Box;
    int Glyphs = 0;
    // The runs of one word (a number and its raised exponent) share it.
    int Word = 0;
    // Led by a minus sign's bar: small, the recogniser may read it as a 2,
    // or not at all. Text is Box without it.
    bool Minus = false;
    QRect Text;
    // Raised after another run of its word: an exponent.
    bool Raised = false;
    // Glyphs small and low enough to be a point or a comma.
    int Dots = 0;
};

// What a chart's axes are drawn with, found in an upright picture: long
// level and upright lines (axes, frames, the edges of a shaded plotting
// area), the tick marks standing on them, and the runs of glyphs near
// enough to the ticks to be their labels.
struct TAxisMarks {
    std::vector<QLineF> Lines;
    std::vector<TTickMark> Ticks;
    std::vector<TGlyphRun> Runs;
};

// The marks inside Within (the whole picture when empty). Dark strokes on a
// light ground; none on a dark one.
TAxisMarks FindAxisMarks(const TGrayPicture& Picture, QRect Within = {});

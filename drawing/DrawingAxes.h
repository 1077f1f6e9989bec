#pragma once

#include "Drawing.h"

#include <optional>
#include <vector>

// A tick of a drawn axis with the value its label gives, and how far from
// the axis's fitted line through every tick its value lies, in pixels.
struct TDrawnTick {
    QPointF At; // where the tick meets its axis
    double Value = 0;
    double Residual = 0;
};

// One drawn axis: its ticks in order along it, and whether its values
// run in powers of ten.
struct TDrawnAxis {
    std::vector<TDrawnTick> Ticks;
    bool Log = false;
    // Labels read that did not fit the others (a misread, a stray number).
    int Rejected = 0;
    // Where its line ends: the right end of an X axis, the top of a Y axis;
    // its spine's end when the ticks stand on one.
    QPointF End;
    // Its labels are dates, its values seconds since 1970.
    bool Date = false;
};

// The axes a chart of a drawing shows, read from its tick marks (short
// strokes across an axis line) and the numbers next to them. Problem says
// why there is no map; Unlabelled then holds the ticks found without a
// readable label (labels drawn as outlines), for values to be typed.
struct TDrawnAxes {
    TDrawnAxis X, Y;
    QString Problem;
    std::vector<QPointF> Unlabelled;
    // More than one chart has such an axis: a point inside the one meant
    // chooses it.
    bool Several = false;
};

// The axes of the chart nearest Near (a point inside it, such as a picked
// curve's middle); of the page's only chart when Near is unset.
TDrawnAxes ReadDrawnAxes(const TDrawing& Drawing, std::optional<QPointF> Near = std::nullopt);

// The value of a date tick label, 2020-03-15 or a month as 2020-03, or
// with an English month's name (May 01 2020, 1 May 2020, May 2020), as
// seconds since 1970 (UTC); none for anything else.
std::optional<double> TickLabelDate(const QString& Text);

// Whether Box lies where a plotting program writes, once, a factor or an
// offset for all of an axis's labels: right of an X axis's end, above a Y
// axis's top.
bool BeyondAxisEnd(const TDrawnAxis& Axis, bool X, const QRectF& Box);

// Where every tick mark of the drawing meets its axis.
std::vector<QPointF> TickMarks(const TDrawing& Drawing);

// The value of a tick label's text: signs (the minus sign too), decimals,
// thousands separated by commas, exponents (1e-3, 10^3, 10³); none for
// anything else.
std::optional<double> TickLabelValue(const QString& Text);

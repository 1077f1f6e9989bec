#pragma once

#include "GrayPicture.h"
#include "drawing/DrawingAxes.h"

#include <QPolygonF>
#include <QRect>

class TLabelReader;

// A chart's axes found in a picture: the ticks read, in picture pixels, as
// the drawn axes give them; the plotting area's frame; how far the chart
// lies turned, in radians. Axes.Problem says what was not found.
struct TFoundAxes {
    TDrawnAxes Axes;
    QPolygonF Frame;
    double Angle = 0;
};

// The axes of the chart in Within (the whole picture when empty): its long
// lines and tick marks found, the labels beside them read by Reader, each
// axis fitted linear or log10 with misread labels left out.
TFoundAxes FindAxes(const TGrayPicture& Picture, TLabelReader& Reader, QRect Within = {});

#pragma once

#include "SeriesLook.h"

#include <QString>

#include <functional>
#include <vector>

// A named point in image pixels, as the view's sites and the session hold it.
// Exact marks a point placed finer than a pixel (found, or clicked with
// sub-pixel clicks) that happens to lie on a whole position: it is turned
// exactly, where a clicked whole pixel is rounded after turning.
struct TSeriesPoint {
    QString Name;
    double X = 0;
    double Y = 0;
    bool Exact = false;
    friend bool operator==(const TSeriesPoint&, const TSeriesPoint&) = default;
};

// The smallest number from From up whose text Taken does not hold: how a
// new point is named.
int FreePointNumber(int From, const std::function<bool(const QString&)>& Taken);

// One curve of a chart: its name, its look and its points in list order.
// Point names are unique within a series when case is ignored.
struct TSeries {
    QString Name;
    TSeriesLook Look;
    std::vector<TSeriesPoint> Points;
    friend bool operator==(const TSeries&, const TSeries&) = default;
};

#pragma once

#include "PixelText.h"
#include "SeriesLook.h"
#include "platform/WinTypes.h"

#include <QString>

#include <functional>
#include <vector>

// A named point in image pixels: what a series holds, the view edits as a
// site and a session writes. Exact marks a point placed finer than a pixel
// (found, or clicked with sub-pixel clicks) that happens to lie on a whole
// position: it is turned exactly, where a clicked whole pixel is rounded
// after turning.
struct TSeriesPoint {
    QString Name;
    double X = 0;
    double Y = 0;
    bool Exact = false;
    // The data values as the last sort computed them; for sorting only, so
    // no part of the point's value.
    double DataX = 0;
    double DataY = 0;

    // Kept to the thousandth of a pixel that sessions store, so that what a
    // save writes is what the list showed.
    void SetPoint(double AX, double AY)
    {
        X = ThousandthPixel(AX);
        Y = ThousandthPixel(AY);
    }
    TPointF Point() const { return {X, Y}; }

    friend bool operator==(const TSeriesPoint& A, const TSeriesPoint& B)
    {
        return A.Name == B.Name && A.X == B.X && A.Y == B.Y && A.Exact == B.Exact;
    }
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

#pragma once

#include "document/PixelText.h"
#include "document/Series.h"
#include "platform/WinTypes.h"

#include <QString>

class TQuillonView;

// One digitised point: a named position in image pixels, whole for clicked
// points and fractional for found ones. DataX and DataY are a cache for
// sorting only; shown data values are always derived afresh.
class TSiteObject {
public:
    explicit TSiteObject(TQuillonView* AView) : View(AView) {}

    // Kept to the thousandth of a pixel that sessions store, so that what a
    // save writes is what the list showed.
    void SetPoint(double AX, double AY)
    {
        X = ThousandthPixel(AX);
        Y = ThousandthPixel(AY);
    }
    TPointF Point() const { return {X, Y}; }
    TSeriesPoint State() const { return {Name, X, Y, Exact}; }
    void SetState(const TSeriesPoint& Point)
    {
        Name = Point.Name;
        SetPoint(Point.X, Point.Y);
        Exact = Point.Exact;
    }

    double X = 0;
    double Y = 0;
    // Placed finer than a pixel: turned exactly even where whole.
    bool Exact = false;
    double DataX = 0;
    double DataY = 0;
    TQuillonView* View = nullptr;
    QString Name;
};

#pragma once

#include <QString>

class TQuillonView;

// One digitised point: a named position in image pixels. DataX and DataY are
// a cache for sorting only; shown data values are always derived afresh.
class TSiteObject {
public:
    explicit TSiteObject(TQuillonView* AView) : View(AView) {}

    void SetPoint(int AX, int AY)
    {
        X = AX;
        Y = AY;
    }

    int X = 0;
    int Y = 0;
    double DataX = 0;
    double DataY = 0;
    TQuillonView* View = nullptr;
    QString Name;
};

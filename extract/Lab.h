#pragma once

#include "PixelSource.h"

// A colour in CIELAB (D65), where distances are about as people see them.
struct TLab {
    double L = 0;
    double A = 0;
    double B = 0;
};

TLab ToLab(const TRgb& Colour);
TLab ToLab(double R, double G, double B);

// Delta E 1976: the straight distance in CIELAB; about 2.3 is the least
// difference an eye tells apart.
double DeltaE(const TLab& P, const TLab& Q);

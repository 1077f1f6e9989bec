#pragma once

#include <QString>

// Pixel positions are kept and written to a thousandth of a pixel.
double ThousandthPixel(double Value);

// A pixel position as sessions and the data list show it: a whole one as an
// integer, a fractional one with "." and up to three decimals.
QString PixelText(double Value);

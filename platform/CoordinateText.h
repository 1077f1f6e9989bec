#pragma once

#include <QString>

// The one number-to-text rule for every shown or written coordinate: P
// significant digits rounded half up on the exact value, fixed notation for
// decimal exponents -3..P, else scientific with at least D exponent digits
// (D above 4 counts as 0) and no "+" on positive exponents.
QString CoordinateText(double value, int precision, int digits);

// The same with an explicit decimal separator instead of the locale's.
QString CoordinateText(double value, int precision, int digits, const QString& separator);

#pragma once

#include <QString>

// The first check that the data values at the plotting area's edges fail,
// as the Dimensions dialog words it; empty when they pass. LogX and LogY say
// which axes are Log10.
QString AxisValuesProblem(double Left, double Right, double Bottom, double Top, bool LogX, bool LogY);

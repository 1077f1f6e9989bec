#pragma once

#include "platform/WinTypes.h"

// Distance over a square neighbourhood: the larger of the X and Y differences.
int PointDistance(const TPoint& A, const TPoint& B);

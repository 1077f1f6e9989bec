#include "canvasutils.h"

#include <algorithm>
#include <cstdlib>

int PointDistance(const TPoint& A, const TPoint& B)
{
    return std::max(std::abs(A.X - B.X), std::abs(A.Y - B.Y));
}

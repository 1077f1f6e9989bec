#include "ZoomedSource.h"

#include <algorithm>
#include <cmath>
#include <limits>

int ZoomedSource(int Client, float Zoom)
{
    // Clamped before the cast: a small zoom takes far clients beyond int.
    const double source = std::floor(Client / double(Zoom) + 0.5);
    return static_cast<int>(std::clamp(source, double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

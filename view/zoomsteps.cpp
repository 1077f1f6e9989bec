#include "zoomsteps.h"

#include <array>

float ZoomStep(float Zoom, int Direction)
{
    // The menu's zooms, and below them what a large scan needs to fit.
    static constexpr std::array<float, 10> Steps{0.0625f, 0.125f, 0.25f, 0.5f, 0.75f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
    if (Direction > 0) {
        for (float step : Steps)
            if (step > Zoom)
                return step;
    } else if (Direction < 0) {
        for (auto step = Steps.rbegin(); step != Steps.rend(); ++step)
            if (*step < Zoom)
                return *step;
    }
    return Zoom;
}

#include "zoomsteps.h"

#include <array>

float ZoomStep(float Zoom, int Direction)
{
    static constexpr std::array<float, 8> Steps{0.25f, 0.5f, 0.75f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
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

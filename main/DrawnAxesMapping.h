#pragma once

#include "document/viewmapping.h"
#include "drawing/DrawingAxes.h"

// Base with the drawn axes' ticks as its calibration points (each tick
// giving its own axis's value) in force, and the axes' kinds and units.
TMapping DrawnAxesMapping(const TDrawnAxes& Axes, TMapping Base);

// A line saying which map the axes give, for reports, headed Source.
QString DrawnAxesText(const TDrawnAxes& Axes, const QString& Source = QStringLiteral("Axes from the drawing"));

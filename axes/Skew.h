#pragma once

#include "GrayPicture.h"

// How far a picture's long level and upright edges (an axis, a frame, the
// border of a shaded plotting area) lie turned from level, in radians,
// within four degrees either way; 0 for a picture with no such edges.
double SkewAngle(const TGrayPicture& Picture);

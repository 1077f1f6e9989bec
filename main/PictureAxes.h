#pragma once

#include "axes/FindAxes.h"
#include "document/viewmapping.h"
#include "extract/PixelSource.h"

// The lightness of Source's picture.
TGrayPicture GrayOf(const TPixelSource& Source);

// The axes of the chart in Source's picture (inside Within when given).
TFoundAxes FindPictureAxes(const TPixelSource& Source, QRect Within = {});

// Base with the axes found as its calibration points in force and their
// frame as its plotting area, where extraction searches.
TMapping FoundAxesMapping(const TFoundAxes& Found, TMapping Base);

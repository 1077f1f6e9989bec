#pragma once

#include "axes/FindAxes.h"
#include "document/viewmapping.h"
#include "extract/PixelSource.h"

// The lightness of Source's picture, or of Part of it (inside the picture).
TGrayPicture GrayOf(const TPixelSource& Source);
TGrayPicture GrayOf(const TPixelSource& Source, const QRect& Part);

// The axes of the chart in Picture (inside Within when given), read by a
// recogniser of its own.
TFoundAxes FindGrayAxes(const TGrayPicture& Picture, QRect Within = {});
// The same in Source's picture.
TFoundAxes FindPictureAxes(const TPixelSource& Source, QRect Within = {});

// The whole pixels a frame found covers, as a plotting area's rectangle;
// false for no frame.
bool FrameRect(const QPolygonF& Frame, TRect& Rect);

// Base with the axes found as its calibration points in force and their
// frame as its plotting area, where extraction searches.
TMapping FoundAxesMapping(const TFoundAxes& Found, TMapping Base);

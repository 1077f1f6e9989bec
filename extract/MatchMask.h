#pragma once

#include "ExtractArea.h"
#include "MarkerExtraction.h"
#include "PixelSource.h"

#include <QImage>

// One bit a picture pixel, set where the pixel lies inside Area and within
// Tolerance of Colour: what an extraction would take, to be shown over the
// picture. Null when the area is not valid.
QImage MatchMask(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance);
// The same with the area's palette already found.
QImage MatchMask(const TPixelSource& Source, const TExtractArea& Area, const TPalette& Palette, const TRgb& Colour,
                 int Tolerance);
// The same mask from a search that has already matched every pixel: the
// patches are those pixels.
QImage BlobMask(const TBlobSearch& Search, int Width, int Height);

#pragma once

#include <FreeImage.h>

// A standard bitmap the view's sampler reads as it is: 1, 4, 8, 24 or 32 bits.
bool IsSampledDirectly(FIBITMAP* Dib);

// The library's transparency verdict, for a 32-bit bitmap found in one plain
// pass that stops at the first pixel less than opaque.
bool IsTransparent(FIBITMAP* Dib);

// A standard bitmap of a depth the sampler reads, made from any image type:
// composited when transparent or carrying a background colour, the magnitude
// of a complex image, the library's standard conversion for the rest, and
// made 24-bit when that is still no depth the sampler reads. None when the
// picture is drawn as it is, or when no conversion succeeds.
FIBITMAP* ConvertForDisplay(FIBITMAP* Dib, bool UseFileBkg, RGBQUAD* AppBkColor, FIBITMAP* Bkg);

// Rows First..Last - 1 (the library's bottom-up order) of a 32-bit bitmap
// composited as the library composites without a background: over its grey
// checkerboard. Out receives 24-bit rows Pitch bytes apart, row First first.
void CompositeRows(FIBITMAP* Dib, int First, int Last, BYTE* Out, unsigned Pitch);
// One such row, Y rows above the picture's bottom.
void CompositeRow(const BYTE* In, unsigned Width, int Y, BYTE* Out);

// The library's 24-bit conversion of a 48-bit RGB picture, rows as above.
void ConvertRgb16Rows(FIBITMAP* Dib, int First, int Last, BYTE* Out, unsigned Pitch);
void ConvertRgb16Row(const FIRGB16* In, unsigned Width, BYTE* Out);

// Whether the shown form of a picture is made a row at a time by one of the
// two above, straight into wherever the rows go; ShownRows makes them.
bool ShownRowByRow(FIBITMAP* Dib);
void ShownRows(FIBITMAP* Dib, int First, int Last, BYTE* Out, unsigned Pitch);

#pragma once

#include "MarkerExtraction.h"

// The patches a marker extraction takes from Search: thin lines of the
// colour (a series joined by a line of its own colour, a frame) are cut
// away, so that each marker is a patch of its own. A line is thin when a
// square half as broad as the typical marker does not fit inside it, or,
// when every marker is joined to the line, one as broad as its broadest
// part; the markers keep their edges and corners. Pieces of line left over,
// or apart from the start, go too: long, and thin against the typical
// marker. LinesCut counts the patches left out as line.
TBlobSearch MarkerPatches(const TBlobSearch& Search);

// Whether the patches are mostly thin pieces or specks, more of them than
// compact ones: lines, or outlined markers fallen apart.
bool Fragmented(const TBlobSearch& Search);
// Whether the typical marker among the patches is an outline (a ring, an
// open square or triangle).
bool Outlined(const TBlobSearch& Search);
// Whether a patch is an outline (a ring, an open square or triangle): the
// pixel in the middle of its box is not its own, and the hole round that
// pixel is closed across a pixel's gap in a hairline's smoothed edge, which
// a line's zigzag or a filled shape is not. Shapes too large for a marker,
// and holes narrower than three pixels, are none.
bool IsOutline(const TBlob& Blob);

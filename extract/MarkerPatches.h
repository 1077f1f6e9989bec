#pragma once

#include "MarkerExtraction.h"

// The patches a marker extraction takes from Search: thin lines of the
// colour (a series joined by a line of its own colour, a frame) are cut
// away, so that each marker is a patch of its own. A line is thin when a
// square half as broad as the typical patch does not fit inside it; the
// markers keep their edges and corners. LinesCut counts the patches that
// were nothing but line.
TBlobSearch MarkerPatches(const TBlobSearch& Search);

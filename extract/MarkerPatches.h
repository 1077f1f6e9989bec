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

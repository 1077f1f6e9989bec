#pragma once

#include "document/viewmapping.h"

#include <Qt>

// 1: a top-left or bottom-right corner, 2: the other two corners, 3: top or
// bottom edge, 4: left or right edge, 0: nothing grabbed.
int GrabKind(const TMappingEdges& Edges);

// The resize cursor for a grab kind on a frame turned by Angle degrees, in
// bands 44.5 degrees wide from 22.25; the arrow for kind 0.
Qt::CursorShape GrabCursor(int Kind, double Angle);

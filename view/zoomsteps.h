#pragma once

// The View menu's zooms, from 25% to 500%, and 12.5% and 6.25% below them,
// as steps for zooming in and out.
// The zoom one step in (Direction > 0) or out (< 0) from Zoom, which need
// not be a step itself (after Fit to Page); Zoom itself at either end.
float ZoomStep(float Zoom, int Direction);

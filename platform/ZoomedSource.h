#pragma once

// The source pixel under client pixel Client at a zoom factor: Client / Zoom,
// rounded to the nearest with halves to even, the rule a click follows.
int ZoomedSource(int Client, float Zoom);

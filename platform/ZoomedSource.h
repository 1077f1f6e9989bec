#pragma once

// The source pixel under client pixel Client at a zoom factor: Client / Zoom,
// rounded to the nearest with halves up, the rule a click follows and the
// picture is drawn by. Halves up give every picture pixel an equal share of
// the screen (pixel k covers clients k x Zoom - Zoom / 2 up to
// k x Zoom + Zoom / 2) where halves to even gave alternate pixels 3 and 1
// clients at 200 %.
int ZoomedSource(int Client, float Zoom);

#pragma once

#include <QByteArray>

// An EPS may leave its bounding box to its trailer ("%%BoundingBox:
// (atend)" in its header), which Ghostscript's cropping does not read: it
// crops to its default page instead and cuts the drawing. This gives the
// file with the trailer's boxes written in the header's place, or nothing
// when the header names its box itself or the trailer names none.
QByteArray BoundingBoxBroughtForward(const QByteArray& PostScript);

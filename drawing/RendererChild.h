#pragma once

#include <QString>

// Renders the drawing open at DecoderPictureFd into the shared memory file
// at DecoderMemoryFd and writes its record to DecoderResultFd, followed by
// the trailer's length (8 bytes) and the trailer: for a page (from 1) at Dpi,
// the page's drawing (DrawingBytes); for page 0, a sheet of every page's
// thumbnail (ThumbnailCell pixels square each, left to right) and the
// number of pages as text. Returns the exit status.
int RunRenderer(int Page, double Dpi);

// Confines the renderer before it reads the drawing: limits of CPU time and
// address space, and no way out of the process (no network, no programs, no
// file written or removed). "" when done, else why not.
QString ConfineRenderer();

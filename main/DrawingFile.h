#pragma once

#include "image/PictureDecoder.h"

#include <QImage>
#include <QString>

// Whether a file is a drawing that is rendered rather than decoded (PDF,
// SVG, EPS or PostScript): by content, then ".svgz" for a gzipped SVG.
bool IsDrawingFile(const QString& FileName);

// The open dialog's filter (in the "description|masks" form) with the
// drawings among all supported formats and as an entry before "All Files".
QString WithDrawings(const QString& Filter);

// A drawing's pages: their thumbnails, ThumbnailCell pixels square each,
// side by side, and how many pages there are (more than the thumbnails for
// a very long document). A null sheet with Why said when it cannot be read.
struct TPageSheet {
    QImage Sheet;
    int Pages = 0;
    TPictureReport Report;
};
TPageSheet ReadPageSheet(const QString& FileName, const TDecoder& Decoder);

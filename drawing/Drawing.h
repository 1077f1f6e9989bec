#pragma once

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QtGui/qrgb.h>

#include <vector>

// One stroke or fill of a page's drawing, in picture pixels (centres whole),
// placed as the page was drawn, in double precision.
struct TDrawnPath {
    // Its vertices; a figure (a move) starts at each index in Starts. A
    // curved segment is kept by its end, as a plotting program's curves are
    // sequences of straight segments and a marker's outline is symmetric.
    std::vector<QPointF> Points;
    std::vector<int> Starts;
    bool Stroked = false;
    QRgb Stroke = 0;
    double Width = 0; // in picture pixels
    std::vector<double> Dashes; // in pen widths; empty for a solid line
    bool Filled = false;
    QRgb Fill = 0;
};

// A run of the page's text and the picture pixels it covers.
struct TDrawnText {
    QString Text;
    QRectF Box;
};

struct TDrawing {
    std::vector<TDrawnPath> Paths;
    std::vector<TDrawnText> Texts;
    // Pictures inside the page, such as a scan: their content has no paths.
    int Images = 0;
};

// The renderer's answer about a drawing, and its reading. Read refuses
// anything DrawingBytes did not write: counts beyond the bytes, figures out
// of order, coordinates that are not finite; a path or text more than ten
// million pixels off the page is left out.
QByteArray DrawingBytes(const TDrawing& Drawing);
bool ReadDrawing(const QByteArray& Bytes, TDrawing& Drawing);

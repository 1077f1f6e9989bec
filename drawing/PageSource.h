#pragma once

#include "Drawing.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <memory>

// A drawing's pages as the renderer reads them: a PDF through poppler, an
// SVG (or gzipped SVG) through QtSvg. Pages count from 1.
class TPageSource {
public:
    virtual ~TPageSource() = default;
    // From a file's bytes; null with Why said when they hold no drawing.
    static std::unique_ptr<TPageSource> Open(const QByteArray& Bytes, QString& Why);
    virtual int Pages() const = 0;
    // In points, 72 an inch.
    virtual QSizeF PageSize(int Page) const = 0;
    // The page on white paper, Size pixels (its size at the resolution).
    virtual QImage Render(int Page, QSize Size) const = 0;
    // The page's paths and text in the pixels of Render's picture.
    virtual void Record(int Page, QSize Size, TDrawing& Into) const = 0;
};

// A page's size in pixels at Dpi dots an inch.
QSize PagePixels(QSizeF Points, double Dpi);

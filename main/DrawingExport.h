#pragma once

#include "BatchExport.h"

#include <QPointF>
#include <QString>
#include <QtGui/qrgb.h>

#include <optional>

// What to take from a drawing's page on the command line.
struct TDrawingRequest {
    enum TKind { dkNone, dkCurve, dkMarkers };
    TKind Kind = dkNone;
    QRgb Colour = 0;
    // The curve or markers nearest this data point; unset, the longest
    // curve or the most numerous markers of the colour.
    std::optional<QPointF> At;
    // Unset: the template's page and resolution, else page 1 at 300 dpi.
    std::optional<int> Page;
    std::optional<double> Dpi;
    // The session whose map (and series' names and looks) the data take.
    QString Template;
    // The map from the drawing's own axes, of the chart the curve or markers
    // are in.
    bool AutoAxes = false;
};

// Renders the page of Drawing that Request names, takes its curve or
// markers as the file holds them, maps them by the template's map or by
// the calibration points of Calibration, and writes the data as
// ExportSessionData does, with its exit statuses: Out is left as it was on
// failure, and nothing found is written as doubtful.
TExportStatus ExportDrawingData(const QString& Out, const QString& Drawing, const TDrawingRequest& Request,
                                const QString& Calibration, QIODevice& Output, QTextStream& Errors);

#pragma once

#include <QByteArray>
#include <QString>

class TJobDocument;

// Every series' points as CSV (RFC 4180, UTF-8, CR LF): a header row, then
// series, point, x, y, pixel x, pixel y, series in order and each series'
// points in list order. Data values are the shortest text that reads back
// as the same double, with "." whatever the locale; they are empty while the
// plotting area is not valid.
// Values of a date axis are written as ISO 8601 dates, as the list shows
// them. With Uncertainty, each point also gets how far half a pixel moves
// each value at it, and, while calibration points are the map, the root mean
// square of the affine fit's residuals there, both in data units (seconds on a date
// axis).
QByteArray AllSeriesCsv(const TJobDocument& Document, bool Uncertainty = false);

// Text as one CSV field: quoted, its quotes doubled, where it holds a comma,
// a quote or a line break.
QByteArray CsvField(const QString& Text);

#pragma once

#include <QByteArray>

class TJobDocument;

// Every series' points as CSV (RFC 4180, UTF-8, CR LF): a header row, then
// series, point, x, y, pixel x, pixel y, series in order and each series'
// points in list order. Data values are the shortest text that reads back
// as the same double, with "." whatever the locale; they are empty while the
// plotting area is not valid.
QByteArray AllSeriesCsv(const TJobDocument& Document);

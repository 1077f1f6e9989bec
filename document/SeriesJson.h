#pragma once

#include <QByteArray>

class TJobDocument;

// Every series as a JSON array, each series an object with its name, the
// calibration its data were read through and its points in list order, each
// point's pixel position and data values ([x, y], null where the map gives
// none; a date axis's values as ISO 8601 text, as the CSV writes them).
QByteArray AllSeriesJson(const TJobDocument& Document);

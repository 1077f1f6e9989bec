#pragma once

#include "viewmapping.h"

#include <QByteArray>
#include <QString>

// Calibration points from a CSV file: a header "px,py,x,y", then a point a
// line (image pixels, then data values, a value left empty where the point
// does not give it); values written as ISO 8601 make their axis a date (or
// time of day) axis; "#log-x" or "#log-y" on a line of its own makes that
// axis log10; other lines starting "#" are comments. "#polar" makes it a
// polar chart's: the first point is the centre (its cells may be empty), x
// is the angle theta, in degrees anticlockwise unless "#radians" or
// "#clockwise" say otherwise, and y the radius r. On success Mapping
// holds the points, in force, with the axis kinds and units the file gives;
// otherwise Problem says what is wrong, naming the line.
bool ReadCalibrationCsv(const QByteArray& Bytes, TMapping& Mapping, QString& Problem);

#pragma once

#include "extract/Extraction.h"

#include <QString>

class QIODevice;
class QTextStream;

// The exit statuses of an export.
enum TExportStatus { esWritten = 0, esFailed = 2, esDoubtful = 3 };

// Loads Session as "Load Session..." does, without showing a window, adds
// what Extract finds in its picture to the current series, and writes its
// data as "Data to Space Separated Value File" does: to the file Out, or to
// Output when Out is "-". The messages the window would show go to Errors.
// On failure Out is left as it was. An extraction's report goes to Errors;
// a doubtful one is written and answered esDoubtful unless it is accepted.
// Picture, when given, is the session's picture wherever the session says
// it is. Calibration, when given, is a CSV of calibration points whose map
// takes the place of the session's for this run.
TExportStatus ExportSessionData(const QString& Out, const QString& Session, QIODevice& Output,
                                QTextStream& Errors, const TExtractRequest& Extract = {},
                                const QString& Picture = QString(), const QString& Calibration = QString());

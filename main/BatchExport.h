#pragma once

#include "extract/Extraction.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QIODevice;
class QTextStream;
class TFreeWinBitmap;
class TJobDocument;

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
// The calibration points file Name's bytes; none, with why said to
// Errors, when it cannot be read.
std::optional<QByteArray> ReadCalibrationFile(const QString& Name, QTextStream& Errors);

// Writes an export's Bytes to the file Out, or to Output when Out is "-";
// Status once written, esFailed (said to Errors) when not.
TExportStatus WriteExportData(const QString& Out, const QByteArray& Bytes, QIODevice& Output, QTextStream& Errors,
                              TExportStatus Status);

// AutoAxes takes the map from the axes found in the picture instead, and
// Session may then be a picture; when they cannot all be read, nothing is
// written and why is said.
TExportStatus ExportSessionData(const QString& Out, const QString& Session, QIODevice& Output,
                                QTextStream& Errors, const TExtractRequest& Extract = {},
                                const QString& Picture = QString(), const QString& Calibration = QString(),
                                bool AutoAxes = false);

// Replaces Job's map with the one the axes found in Picture give, saying so
// to Errors; false, with why, when none is found.
bool TakeFoundAxes(TJobDocument& Job, TFreeWinBitmap& Picture, const QString& Source, QTextStream& Errors);

// Adds what Extract finds in Picture, inside Job's plotting area, to Job's
// current series; the report goes to Errors. esDoubtful when the result is
// doubtful (or empty) and not accepted, esFailed when it cannot run. Source
// names the session in messages.
TExportStatus ExtractIntoJob(TJobDocument& Job, TFreeWinBitmap& Picture, const TExtractRequest& Extract,
                             const QString& Source, QTextStream& Errors);

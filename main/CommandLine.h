#pragma once

#include "BatchLine.h"
#include "DrawingExport.h"
#include "extract/Extraction.h"

#include <QString>
#include <QStringList>

// What the program was asked to do on its command line.
struct TCommandLine {
    enum TAction { caShowWindow, caHelp, caVersion, caExport, caBatch, caUsageError };
    TAction Action = caShowWindow;
    // The picture or session to open (caShowWindow; may be empty).
    QString File;
    // caExport: the data file to write ("-" for standard output) and the
    // session to read.
    QString ExportFile;
    QString SessionFile;
    // caExport: what to extract first, if anything, and the session's
    // picture when it is not where the session says.
    TExtractRequest Extract;
    QString PictureFile;
    // caExport: calibration points whose map replaces the session's.
    QString CalibrationFile;
    // caExport: the map found in the picture replaces the session's; the
    // file read may be a picture.
    bool AutoAxes = false;
    // caExport: a curve or markers taken from a drawing, SessionFile then
    // naming the drawing.
    TDrawingRequest Drawing;
    // caBatch: what to run.
    TBatchRequest Batch;
    // caUsageError: what was wrong; caHelp: the text to print.
    QString Text;
};

// Reads Arguments, the program's name first; "batch" second asks for a
// batch.
TCommandLine ParseCommandLine(const QStringList& Arguments);
// The version line --version prints.
QString VersionText();

#pragma once

#include "BatchInputs.h"
#include "document/SeriesLook.h"

#include <QString>

class TJobDocument;

// How a batch writes each picture's results.
struct TBatchOutput {
    QString Folder;
    TBatchFormat Format = bfText;
    bool AutoAxes = false;
    // The data export's number options and the look of a series the
    // session file gives none, as the user's settings have them.
    int Precision = 0;
    int Digits = 0;
    TSeriesLook Look;
};

// How one picture of a batch went.
struct TBatchResult {
    enum TStatus { bsDone, bsDoubtful, bsFailed, bsStopped };
    TStatus Status = bsFailed;
    int Points = 0;
    double Seconds = 0;
    // What the run said of it, one line.
    QString Message;
};

// The report's word for a status.
QString BatchStatusText(TBatchResult::TStatus Status);
// The extension of a data file of that format.
QString BatchDataSuffix(TBatchFormat Format);

// Runs Item on a copy of Template (its points left out): reads the picture
// in a decoder of its own, finds its map when asked, extracts, and writes the
// data file and a session that opens the picture, each whole or not at all.
// Safe to run on several threads at once.
TBatchResult RunBatchItem(const TBatchItem& Item, const TJobDocument& Template, const TBatchOutput& Output);

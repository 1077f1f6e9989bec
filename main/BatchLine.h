#pragma once

#include "extract/Extraction.h"

#include <QString>
#include <QStringList>

// The data file a batch writes for each picture: the space separated
// export, Export All Series' CSV, or JSON.
enum TBatchFormat { bfText, bfCsv, bfJson };

// What "quillon batch" was asked to do.
struct TBatchRequest {
    // The session whose map and series each picture takes; may be empty
    // with AutoAxes or a manifest that names the templates.
    QString Template;
    // Its Kind is ekNone when a manifest gives each row's.
    TExtractRequest Extract;
    QString OutDir;
    // Pictures and folders, as named.
    QStringList Inputs;
    bool Recursive = false;
    // A file of pictures, one a line; "-" is standard input.
    QString ListFile;
    QString Manifest;
    // 0: one a core.
    int Jobs = 0;
    // This run takes part Shard (from 1) of Shards.
    int Shard = 1;
    int Shards = 1;
    TBatchFormat Format = bfText;
    bool AutoAxes = false;
};

// Reads the arguments of "quillon batch" (the program's name first, then
// "batch") into Request, or the help text into Help when it is asked for;
// returns what is wrong with them, or "".
QString ParseBatchLine(const QStringList& Arguments, TBatchRequest& Request, QString& Help);

#pragma once

#include "BatchLine.h"

#include <QString>

#include <vector>

class QIODevice;

// One picture of a batch and what to do with it.
struct TBatchItem {
    // Absolute paths; Template empty when the map is found in the picture.
    QString Picture;
    QString Template;
    TExtractRequest Extract;
    // What its outputs are called in the output folder, without extension:
    // the picture's name, with "-2", "-3", ... where names clash.
    QString Name;
};

// The pictures Request names, in the order of their paths (a manifest's
// rows for one picture in their order), each once, each named; the names
// do not depend on a shard. Input is standard input, for a list "-". None,
// with Problem, when a list or manifest cannot be read.
std::vector<TBatchItem> BatchItems(const TBatchRequest& Request, QIODevice& Input, QString& Problem);

// The Shard-th (from 1) of Shards parts of Items, as equal as can be.
std::vector<TBatchItem> ShardOf(const std::vector<TBatchItem>& Items, int Shard, int Shards);

// The name of a batch's report in its output folder.
QString BatchReportName(const TBatchRequest& Request);

#pragma once

#include "BatchLine.h"

class QIODevice;
class QTextStream;

// The exit statuses of a batch beyond an export's.
enum TBatchExit { beAllDone = 0, beCannotStart = 2, beSomeFailed = 3, beInterrupted = 130 };

// Runs Request's pictures on Request.Jobs threads (one a core when 0),
// saying how it goes to Errors: a line kept up to date on a terminal
// (Terminal), else a line a picture; then a summary, and the report in the
// output folder. SIGINT and SIGTERM stop it: the pictures under way finish,
// no other starts, and the report holds those that ran; a second one ends
// the program at once. Input is read for a list or manifest named "-".
TBatchExit RunBatch(const TBatchRequest& Request, QIODevice& Input, QTextStream& Errors, bool Terminal);

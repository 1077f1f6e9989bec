#pragma once

#include "document/SeriesLook.h"

#include <QString>

class TJobDocument;
class TFreeWinBitmap;

// Reads the session FileName into Document, a series the file gives no look
// taking DefaultLook, and its picture into Picture when that reads. Returns
// the warning the load deserves, or "". Raises as ReadSession does, and then
// neither has changed.
QString OpenSession(const QString& FileName, const TSeriesLook& DefaultLook, TJobDocument& Document,
                    TFreeWinBitmap& Picture);

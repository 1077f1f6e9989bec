#pragma once

#include "document/SeriesLook.h"

#include <QString>

class TJobDocument;
class TFreeWinBitmap;
struct TDrawing;

// Reads the session FileName into Document, a series the file gives no look
// taking DefaultLook, and its picture into Picture when that reads. A
// picture no longer where the session says is looked for by its name beside
// the session, then by its path from there; one found there is the job's
// picture from now on, and Moved, when given, says where it came from.
// Located, when given, is the picture instead of the one the session names
// (one the user found, or named on the command line). A page of a drawing
// is rendered as the session says, and its paths go to Drawing when given
// (emptied for a picture). Returns the warning
// the load deserves, or "". Raises as ReadSession does, and then neither has
// changed.
QString OpenSession(const QString& FileName, const TSeriesLook& DefaultLook, TJobDocument& Document,
                    TFreeWinBitmap& Picture, QString* Moved = nullptr, const QString& Located = QString(),
                    TDrawing* Drawing = nullptr);

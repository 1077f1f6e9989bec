#pragma once

#include "extract/ExtractionReport.h"
#include "extract/PixelSource.h"

#include <QString>
#include <QTextStream>

class TJobDocument;

// The name a picture's legend gives the series whose sample an extraction
// left out, read from the picture; "" when there is no name to read or it
// does not read alike at two scales.
QString LegendNameOf(const TPixelSource& Source, const TExtractionReport& Report);

// Says what the legend names a series, and names the current series of Job
// so where it still has a numbered name that the name may replace.
void TakeLegendName(TJobDocument& Job, const QString& Name, QTextStream& Errors);

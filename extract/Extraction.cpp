#include "Extraction.h"

#include "MarkerExtraction.h"

QString NothingFoundText(const TRgb& Colour)
{
    return QStringLiteral("No points of %1 were found in the plotting area.").arg(RgbText(Colour));
}

TExtraction RunExtraction(const TPixelSource& Source, const TExtractArea& Area, const TExtractRequest& Request)
{
    switch (Request.Kind) {
    case TExtractRequest::ekCurve:
        return ExtractCurve(Source, Area, Request.Colour, Request.Tolerance, Request.Step);
    case TExtractRequest::ekMarkers: {
        const TBlobSearch blobs = FindBlobs(Source, Area, Request.Colour, Request.Tolerance);
        return MarkerCentres(Source, Area, blobs, Request.Colour, Request.Tolerance, DefaultSizeRange(blobs));
    }
    case TExtractRequest::ekNone:
        break;
    }
    return {};
}

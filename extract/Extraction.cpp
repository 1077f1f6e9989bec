#include "Extraction.h"

#include "MarkerCentre.h"
#include "MarkerExtraction.h"
#include "MarkerPatches.h"

QString NothingFoundText(const TRgb& Colour)
{
    return QStringLiteral("No points of %1 were found in the plotting area.").arg(RgbText(Colour));
}

TExtraction RunExtraction(const TPixelSource& Source, const TExtractArea& Area, const TExtractRequest& Request)
{
    const TPalette palette = AreaPalette(Source, Area);
    const int tolerance =
        Request.Tolerance ? *Request.Tolerance : PaletteTolerance(palette, Request.Colour, DefaultTolerance);
    switch (Request.Kind) {
    case TExtractRequest::ekCurve:
        return ExtractCurve(Source, Area, palette, Request.Colour, tolerance, Request.Step);
    case TExtractRequest::ekMarkers: {
        const TBlobSearch patches = MarkerPatches(FindBlobs(Source, Area, palette, Request.Colour, tolerance));
        return MarkerCentres(Source, Area, patches, Request.Colour, tolerance, DefaultSizeRange(patches), anShape);
    }
    case TExtractRequest::ekNone:
        break;
    }
    return {};
}

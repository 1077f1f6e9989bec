#include "Extraction.h"

#include "MarkerCentre.h"
#include "MarkerExtraction.h"
#include "MarkerPatches.h"
#include "ShownColour.h"

QString NothingFoundText(const TRgb& Colour)
{
    return QStringLiteral("No points of %1 were found in the plotting area.").arg(RgbText(Colour));
}

TExtraction RunExtraction(const TPixelSource& Source, const TExtractArea& Area, const TExtractRequest& Request)
{
    const TPalette palette = AreaPalette(Source, Area);
    const std::optional<TRgb> shown = ShownColour(Source, Area, palette, Request.Colour);
    const TRgb colour = shown.value_or(Request.Colour);
    const int tolerance =
        Request.Tolerance ? *Request.Tolerance : PaletteTolerance(palette, colour, DefaultTolerance);
    TExtraction found;
    switch (Request.Kind) {
    case TExtractRequest::ekCurve:
        found = ExtractCurve(Source, Area, palette, colour, tolerance, Request.Step);
        break;
    case TExtractRequest::ekMarkers: {
        const TBlobSearch patches = MarkerPatches(FindBlobs(Source, Area, palette, colour, tolerance));
        found = MarkerCentres(Source, Area, patches, colour, tolerance, DefaultSizeRange(patches), anShape);
        break;
    }
    case TExtractRequest::ekNone:
        return {};
    }
    found.Report.ShownAs = shown;
    return found;
}

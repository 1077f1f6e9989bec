#pragma once

#include "ColourRule.h"
#include "CurveExtraction.h"
#include "ExtractArea.h"
#include "PixelSource.h"

#include <QString>

#include <vector>

// The separate patches of a colour inside an area: each as the rows of
// pixels it covers, 8-connected.
struct TBlob {
    struct TRow {
        int Y;
        int First;
        int Last;
    };
    std::vector<TRow> Rows;
    long long Area = 0;
};

struct TBlobSearch {
    std::vector<TBlob> Blobs;
    // The size, in pixels, of the patch that holds the middle one of all the
    // colour's pixels: the typical marker, whatever the count of specks.
    long long Typical = 0;
    long long Pixels = 0;
    TPalette Palette;
    QString Problem;
};

// Every patch of Colour in Area.
TBlobSearch FindBlobs(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance);
// Every patch of the pixels Rule matches in Area, which must be valid.
TBlobSearch FindBlobs(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule);

// Which patch holds a pixel.
class TBlobIndex {
public:
    explicit TBlobIndex(const TBlobSearch& Search);
    // The patch's index in the search, or -1.
    int At(int X, int Y) const;

private:
    struct TEntry {
        int First;
        int Last;
        int Blob;
    };
    int FFirstRow = 0;
    std::vector<std::vector<TEntry>> FRows;
};

// The size range a marker is taken in by default: a third to three times
// the typical one.
struct TSizeRange {
    long long Min = 0;
    long long Max = 0;
};
TSizeRange DefaultSizeRange(const TBlobSearch& Search);

// The centre of each patch sized within Range, weighted by its pixels'
// share of the colour, edge pixels round it included; in turned-X order.
TExtraction MarkerCentres(const TPixelSource& Source, const TExtractArea& Area, const TBlobSearch& Search,
                          const TRgb& Colour, int Tolerance, const TSizeRange& Range);

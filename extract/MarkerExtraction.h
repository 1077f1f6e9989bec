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
        // In reading order: by row, then from the left.
        friend bool operator<(const TRow& A, const TRow& B) { return A.Y != B.Y ? A.Y < B.Y : A.First < B.First; }
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
    // Patches that were nothing but a thin line of the colour.
    int LinesCut = 0;
    TPalette Palette;
    QString Problem;
};

// The box of a patch's pixels, its edges' pixels included.
struct TPatchBox {
    int Left = 0;
    int Top = 0;
    int Right = -1;
    int Bottom = -1;
    int Width() const { return Right - Left + 1; }
    int Height() const { return Bottom - Top + 1; }
};
TPatchBox BoxOf(const std::vector<TBlob::TRow>& Rows);
// The bounds of a patch's pixel centres in Area's turned frame.
TExtractArea::TBounds FrameBoundsOf(const TBlob& Blob, const TExtractArea& Area);

// The 8-connected patches of Rows, which go by Y and then First.
std::vector<TBlob> Patches(const std::vector<TBlob::TRow>& Rows);
// Sets the pixel count and the typical size of the search's patches.
void MeasurePatches(TBlobSearch& Search);

// Every patch of Colour in Area; the faint pixels too (see below) where
// without them the patches are the pieces of outlined markers.
TBlobSearch FindBlobs(const TPixelSource& Source, const TExtractArea& Area, const TRgb& Colour, int Tolerance);
// The same with the area's palette already found.
TBlobSearch FindBlobs(const TPixelSource& Source, const TExtractArea& Area, const TPalette& Palette,
                      const TRgb& Colour, int Tolerance);
// Every patch of the pixels Rule matches in Area, which must be valid; with
// Faint, also those that are at least FaintShare the colour over the
// background and no rival's: a hairline's pixels where it runs between two,
// which an outlined marker otherwise falls apart at.
constexpr double FaintShare = 0.45;
TBlobSearch FindBlobs(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                      bool Faint = false);

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

// Where a marker is placed: at the centre of its shape's box, at its
// centroid, or by its shape: the box's centre but for triangles drawn
// equilateral or flatter, which plotting programs anchor at their centroid.
// The three are one for round, square and diamond markers; a triangle's
// centroid lies a sixth of its height from its box's centre.
enum TMarkerAnchor { anBox, anCentroid, anShape };

// A point for each patch sized within Range, at its marker's anchor (see
// TMarkerShape), or one for each marker of a patch of overlapping ones; in
// turned-X order. Search is best the patches with thin lines cut away
// (MarkerPatches).
TExtraction MarkerCentres(const TPixelSource& Source, const TExtractArea& Area, const TBlobSearch& Search,
                          const TRgb& Colour, int Tolerance, const TSizeRange& Range, TMarkerAnchor Anchor);

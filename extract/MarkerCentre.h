#pragma once

#include "ColourRule.h"
#include "ExtractArea.h"
#include "MarkerExtraction.h"
#include "PixelSource.h"

#include <optional>
#include <utility>
#include <vector>

// A marker's pixels (Rows) weighed by their share of the colour, with the
// ring of anti-aliased pixels round them that do not match it themselves,
// which is what puts the centre between pixels.
class TMarkerShape {
public:
    TMarkerShape(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                 const std::vector<TBlob::TRow>& Rows);

    TPointF Centroid() const;
    // The middle of the shape's extent through the centroid, down and
    // across, from the partly covered pixels at its ends; the centroid
    // where the shape is symmetric, as the extents are noisier.
    TPointF BoxCentre() const;
    // The box's centre, but for a triangle when Equilateral (its series'
    // triangles are equilateral or flatter): its centroid.
    TPointF ShapeAnchor(bool Equilateral) const;
    // How fast a triangle widens from its apex, a pixel along its height:
    // 1 when as tall as broad, 1.15 when equilateral; nothing for a shape
    // that is not lopsided, or whose two sides disagree.
    std::optional<double> Widening() const;
    // Whether its middle lies plainly off its centroid, down or across, as
    // a triangle's does.
    bool Lopsided() const;

private:
    double Weight(int I, int J) const { return FWeights[std::size_t(J) * std::size_t(FWidth) + std::size_t(I)]; }
    // The covered stretch of line Line (a column when Down), from edge to
    // edge in picture pixels; nothing when the line crosses no pixel of it.
    std::optional<std::pair<double, double>> Stretch(int Line, bool Down) const;
    // How much broader the shape grows across the axis (across columns
    // when Down) a pixel along it, between From and To; nothing when its
    // two sides do not agree.
    std::optional<double> Widening(bool Down, double From, double To) const;
    // The shape's extent From..To along the axis (down when Down) through
    // its centroid, and whether its middle lies plainly off the centroid.
    struct TCut {
        double From = 0;
        double To = 0;
        double Centroid = 0;
        bool Lopsided = false;
    };
    std::optional<TCut> CutThroughCentroid(bool Down) const;
    // The first axis (down when true) along which the shape is lopsided.
    std::optional<std::pair<bool, TCut>> LopsidedCut() const;
    TPointF Anchor(bool Equilateral) const;
    // The centre of a triangle's box along the axis (down when Down), from
    // its flat base and its centroid there.
    std::optional<double> TriangleBox(double Centroid, bool Down) const;

    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    std::vector<double> FWeights;
};

// The box of a marker's pixels of the colour that touch Box, the thin
// strokes a cut took from it included (the arms of a + or a *), within
// twice its size round it. Faint pixels count: a scan may leave of a thin +
// its crossing alone as the colour itself, a patch of a pixel or two, whose
// size is then no guide.
TPatchBox WholeMarker(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                      const TPatchBox& Box);

// Where a legend's name was seen beside its sample: about row Middle, from
// column From on towards To, its letters about Em high.
struct TWordSeen {
    int Middle = 0;
    int Em = 0;
    int From = 0;
    int To = 0;
};

// Whether a marker with pixels Rows is a legend's sample: a word of dark
// text (three thin strokes or more, as letters are) beside it in the area,
// on its right or its left, within a few of its breadths; where the word
// is when it is.
std::optional<TWordSeen> IsLegendSwatch(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                                        const std::vector<TBlob::TRow>& Rows);
// Whether a patch of a curve's colour is a legend's sample: a level stroke
// a fraction of the area wide, or a marker, with a word beside it.
std::optional<TWordSeen> IsLegendSample(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule,
                                        const TBlob& Blob);
// The box of the name seen, in picture pixels, for a reader of text.
TRect NameBox(const TPixelSource& Source, const TExtractArea& Area, const TColourRule& Rule, const TWordSeen& Seen);

// Splits a patch that holds Count overlapping markers into as many groups
// of pixels, by their nearness to each group's centre.
std::vector<std::vector<TBlob::TRow>> SplitPatch(const TBlob& Patch, int Count);

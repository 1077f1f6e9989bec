#pragma once

#include "extract/ExtractArea.h"
#include "extract/PixelSource.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Charts as plotting programs draw them, with the exact truth: several
// curves of close colours, crossings, grids and legends, dashed, dotted and
// thin lines, markers of four shapes, a scanned look and JPEG. Seed 1 is
// the set the tests hold limits for; other seeds draw other curves, sizes
// and styles, to measure on charts nothing was tuned to.
struct TChartCase {
    QString Name;
    QImage Picture;
    // How the picture is written and read back, as a user's file is.
    QByteArray Format = "png";
    int Quality = -1;
    TExtractArea Area;
    TRgb Colour;
    // Where the user would take the colour from, when not the nominal one.
    std::optional<TPointF> PickAt;
    bool Markers = false;
    double Step = 10;
    // In the area's frame: the curve, and where it is drawn...
    std::function<double(double)> Truth;
    double FromX = 0;
    double ToX = 0;
    double Thickness = 2;
    // ... or each marker's box centre.
    std::vector<TPointF> Centres;
};

std::vector<TChartCase> ChartSet(unsigned Seed);

// What the default extraction made of a case.
struct TChartScore {
    std::size_t Points = 0;
    // Points on no true curve or marker.
    std::size_t Wrong = 0;
    // The share of the steps (or markers) that the truth has and a right
    // point stands for.
    double Coverage = 0;
    double Median = 0;
    double Worst = 0;
    bool Doubtful = false;
    QString Problem;
};

TChartScore Score(const TChartCase& Case);
QString ScoreLine(const TChartCase& Case, const TChartScore& Score);

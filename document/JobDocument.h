#pragma once

#include "Series.h"
#include "viewmapping.h"

#include <QString>

#include <vector>

struct TSession;

// Preferred when no series has it as its Which colour (point or line),
// else a colour none has there.
TColor DistinctColour(const std::vector<TSeries>& Series, TColor Preferred, TColor TSeriesLook::*Which);

// The job: its series of points, the plotting-area mapping, the picture's
// file name, angle and zoom. It knows nothing of widgets; the window and the
// view show it, and the session file and the exports are written from it.
class TJobDocument {
public:
    TJobDocument();
    // A copy keeps its own mapping, a copy of the one in force.
    TJobDocument(const TJobDocument& Other);
    // Assigning would bypass the view that may be showing the mapping.
    TJobDocument& operator=(const TJobDocument&) = delete;

    // Never empty; names are unique when case is ignored.
    std::vector<TSeries> Series;
    int Current = 0;
    QString ImageFileName;
    // Which page of a drawing (from 1) the picture is, rendered at how many
    // dots an inch; 0 when the picture is a picture file.
    int ImagePage = 0;
    double ImageResolution = 0;

    // The mapping in force: the document's own, or, once a view shows the
    // job, the view's, which then alone holds it.
    TViewMapping& Mapping() { return *FMapping; }
    const TViewMapping& Mapping() const { return *FMapping; }
    // The mapping in force is Shown's from now on; Shown outlives the
    // document or is let go by MapOwn, which keeps its values.
    void MapThrough(TViewMapping& Shown) { FMapping = &Shown; }
    void MapOwn()
    {
        FOwnMapping = *FMapping;
        FMapping = &FOwnMapping;
    }

    TSeries& CurrentSeries() { return Series[std::size_t(Current)]; }
    const TSeries& CurrentSeries() const { return Series[std::size_t(Current)]; }

    // Takes what a session file holds. An axis kind the file gives no known
    // ordinal for stays as it was.
    void Apply(const TSession& S);
    // The Dimensions dialog's objection to the axis values, or "".
    QString AxisProblem() const;

    // Appends a series named "Series N", drawn in Look but in a point
    // colour and a line colour no other series has; returns its index.
    int AddSeries(TSeriesLook Look);
    // Why series Index may not be called Name, or "".
    QString RenameProblem(int Index, const QString& Name) const;
    void RenameSeries(int Index, const QString& Name);
    // Whether series Index still has a name of AddSeries' kind, "Series N",
    // which a name found for it (a legend's) may take the place of.
    bool NumberedName(int Index) const;
    // The last series left is never deleted.
    void DeleteSeries(int Index);
    int SeriesIndex(const QString& Name) const;
    // Appends points at Positions to the current series, in order, each
    // named by the smallest number no point of it has, as clicks are. They
    // were found, not clicked, so they are exact.
    void AddPoints(const std::vector<TPointF>& Positions);

    // The current series' data values as the data exports write them,
    // Separator between the two, CR LF after each line.
    QString DataText(QChar Separator, int Precision, int Digits) const;
    // The data values of one point; not-a-number while the plotting area
    // is not valid.
    TDataPoint DataOf(const TSeriesPoint& P) const;
    // One point's line of DataText.
    QString DataLine(const TSeriesPoint& P, QChar Separator, int Precision, int Digits) const;

private:
    TViewMapping FOwnMapping;
    TViewMapping* FMapping = &FOwnMapping;
};

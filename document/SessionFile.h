#pragma once

#include "Series.h"
#include "viewmapping.h"
#include "platform/TextFile.h"
#include "platform/WinTypes.h"

#include <QByteArray>

#include <array>
#include <QString>
#include <QStringList>

#include <vector>

class TJobDocument;

// Everything a session file holds, read and checked before anything is
// shown.
struct TSession {
    QString Path;
    // The page of a drawing the picture is, and its resolution; 0 for a
    // picture file.
    int Page = 0;
    double Resolution = 0;
    // The plotting area, its values and its angle. Its axis kinds are those
    // of the ordinals below, which may name none.
    TMapping Mapping;
    int AxisXMap = 0, AxisYMap = 0;
    // At least one; the first of repeated point names only.
    std::vector<TSeries> Series;
    int Current = 0;
    float Zoom = 1;
    // What loads but deserves a word, such as a file that looks cut short.
    QStringList Warnings;
};

// The section that holds series N's points, N from 1.
QString SeriesSection(int N);

// The sections a session may hold; a name ending in "/" stands for every
// name it begins. The one list that says what a session looks like: to the
// loader, to the file kind and to the desktop's type of file.
inline constexpr std::array<const char*, 5> SessionSections{"image", "screenrect", "dimensions", "series", "series/"};
// Whether a section of that name belongs to a session, case ignored.
bool IsSessionSection(const QString& Name);
// The default name of series N.
QString SeriesDefaultName(int N);

// Pixel coordinates a session may hold, either way from zero.
constexpr int MaxSessionCoordinate = 10'000'000;
// The pages and resolutions of drawings a session may name.
constexpr int MaxDrawingPage = 100000;
constexpr double MinDrawingResolution = 10;
constexpr double MaxDrawingResolution = 2400;
// Series a session may hold.
constexpr int MaxSessionSeries = 1000;

// Reads and checks a session file; a series whose look the file does not
// give takes DefaultLook. Raises EFileError when the file cannot be read and
// EConvertError when it holds a malformed point or a value no picture can
// have.
TSession ReadSession(const QString& FileName, const TSeriesLook& DefaultLook = {});
// The same for the text of a file named FileName.
TSession ParseSession(const QByteArray& Bytes, const QString& FileName, const TSeriesLook& DefaultLook = {});

// The session file of Document. A job of one series named "Series 1",
// current, drawn in DefaultLook, gives exactly the one-series format;
// otherwise the names, looks and current series follow the points.
QByteArray SessionText(const TJobDocument& Document, const TSeriesLook& DefaultLook);
// Raises EFileError "Unable to write to %s: " and the reason; the previous
// file stays.
TWritten SaveSession(const QString& FileName, const TJobDocument& Document, const TSeriesLook& DefaultLook);

#pragma once

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// Everything a session file holds, read and checked before anything is
// shown.
struct TSession {
    struct TPointEntry {
        QString Name;
        int X = 0;
        int Y = 0;
    };
    QString Path;
    TRect Rect;
    double XLeft = 0, XRight = 100, YBottom = 0, YTop = 100;
    int AxisXMap = 0, AxisYMap = 0;
    std::vector<TPointEntry> Points;
    double Angle = 0;
    float Zoom = 1;
    // What loads but deserves a word, such as a file that looks cut short.
    QStringList Warnings;
};

// The section that holds the points.
inline const QString SessionSeries = QStringLiteral("series/series1");

// Pixel coordinates a session may hold, either way from zero.
constexpr int MaxSessionCoordinate = 10'000'000;

// Reads and checks a session file. Raises EFileError when the file cannot
// be read and EConvertError when it holds a malformed point or a value no
// picture can have.
TSession ReadSession(const QString& FileName);
// The same for the text of a file named FileName.
TSession ParseSession(const QByteArray& Bytes, const QString& FileName);

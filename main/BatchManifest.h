#pragma once

#include "extract/Extraction.h"

#include <QByteArray>
#include <QString>

#include <vector>

// One row of a batch's manifest: a picture and what differs for it. Paths
// are as the manifest writes them.
struct TManifestRow {
    int Line = 0;
    QString Picture;
    QString Template;
    // Each set only where the row's cell is not empty.
    std::optional<TExtractRequest::TKind> Kind;
    std::optional<TRgb> Colour;
    std::optional<int> Tolerance;
    std::optional<double> Step;
};

// Reads a manifest: CSV (RFC 4180, either line ending) whose header names
// its columns, any order and case, picture required, unknown ones refused.
// None, with Problem naming the line, when a cell cannot be read.
std::vector<TManifestRow> ReadManifest(const QByteArray& Bytes, QString& Problem);

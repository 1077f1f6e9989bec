#pragma once

#include "extract/Extraction.h"

#include <QCommandLineOption>
#include <QString>

#include <optional>

class QCommandLineParser;

// The command line's extraction options, shared by an export and a batch.
struct TExtractOptions {
    QCommandLineOption Curve;
    QCommandLineOption Markers;
    QCommandLineOption Tolerance;
    QCommandLineOption Step;
    QCommandLineOption FromX;
    QCommandLineOption ToX;
    QCommandLineOption Replace;
    QCommandLineOption AcceptDoubtful;
};

TExtractOptions ExtractOptions();
void AddExtractOptions(QCommandLineParser& Parser, const TExtractOptions& Options);

// Reads the extraction options into Request; what is wrong with them, or "".
// An extraction needs the option named Needs beside it. With KindOptional the
// kind and colour may come from elsewhere (a manifest), and the settings are
// read without them.
QString ExtractRequest(const QCommandLineParser& Parser, const TExtractOptions& Options, const QString& Needs,
                       TExtractRequest& Request, bool KindOptional = false);

// A tolerance or a step as the options take them; none when out of range.
std::optional<int> ToleranceOf(const QString& Text);
std::optional<double> StepOf(const QString& Text);

#include "ExtractOptions.h"

#include <QCommandLineParser>
#include <QLocale>

#include <cmath>
#include <utility>

TExtractOptions ExtractOptions()
{
    const QCommandLineOption extractCurve(
        QStringLiteral("extract-curve"),
        QStringLiteral("With --export: first follows the curve of COLOUR (#RRGGBB) across the session's plotting "
                       "area in its picture and adds the points found to the current series."),
        QStringLiteral("COLOUR"));
    const QCommandLineOption extractMarkers(
        QStringLiteral("extract-markers"),
        QStringLiteral("With --export: first adds a point at the centre of each marker of COLOUR (#RRGGBB) in the "
                       "session's plotting area to the current series."),
        QStringLiteral("COLOUR"));
    const QCommandLineOption tolerance(
        QStringLiteral("tolerance"),
        QStringLiteral("How far, 0 to 255 on any of red, green and blue, a pixel may be from COLOUR (default: the "
                       "largest, %1 at most, at which no other colour drawn in the area matches).")
            .arg(DefaultTolerance),
        QStringLiteral("N"));
    const QCommandLineOption fromX(QStringLiteral("from-x"),
                                   QStringLiteral("With an extraction: only where X is at least X (a data value)."),
                                   QStringLiteral("X"));
    const QCommandLineOption toX(QStringLiteral("to-x"),
                                 QStringLiteral("With an extraction: only where X is at most X (a data value)."),
                                 QStringLiteral("X"));
    const QCommandLineOption replace(
        QStringLiteral("replace"),
        QStringLiteral("With an extraction: the points found take the place of the series' points instead of "
                       "joining them."));
    const QCommandLineOption acceptDoubtful(
        QStringLiteral("accept-doubtful"),
        QStringLiteral("With an extraction: exit 0 when the data are written, even if the extraction is doubtful."));
    const QCommandLineOption step(
        QStringLiteral("step"),
        QStringLiteral("With --extract-curve: one point each PIXELS along the plotting area's X axis (default %1).")
            .arg(DefaultStep),
        QStringLiteral("PIXELS"));
    return {extractCurve, extractMarkers, tolerance, step, fromX, toX, replace, acceptDoubtful};
}

void AddExtractOptions(QCommandLineParser& Parser, const TExtractOptions& Options)
{
    Parser.addOptions({Options.Curve, Options.Markers, Options.Tolerance, Options.Step, Options.FromX, Options.ToX,
                       Options.Replace, Options.AcceptDoubtful});
}

std::optional<int> ToleranceOf(const QString& Text)
{
    bool ok = false;
    const int value = Text.toInt(&ok);
    if (!ok || value < 0 || value > 255)
        return std::nullopt;
    return value;
}

std::optional<double> StepOf(const QString& Text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(Text, &ok);
    if (!ok || !(value >= 1) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString ExtractRequest(const QCommandLineParser& Parser, const TExtractOptions& Options, const QString& Needs,
                       TExtractRequest& Request, bool KindOptional)
{
    const QCommandLineOption& Curve = Options.Curve;
    const QCommandLineOption& Markers = Options.Markers;
    const QCommandLineOption& Tolerance = Options.Tolerance;
    const QCommandLineOption& Step = Options.Step;
    const bool curve = Parser.isSet(Curve);
    const bool markers = Parser.isSet(Markers);
    if (curve && markers)
        return QStringLiteral("--extract-curve and --extract-markers cannot be used together.");
    if (!curve && !markers && !KindOptional) {
        for (const QCommandLineOption* option :
             {&Tolerance, &Step, &Options.FromX, &Options.ToX, &Options.Replace, &Options.AcceptDoubtful})
            if (Parser.isSet(*option))
                return QStringLiteral("--%1 goes with --extract-curve or --extract-markers.").arg(option->names().first());
        return {};
    }
    if (curve || markers) {
        const QString name = curve ? QStringLiteral("--extract-curve") : QStringLiteral("--extract-markers");
        if (!Parser.isSet(Needs))
            return Needs == QStringLiteral("export")
                       ? QStringLiteral("%1 needs --export OUT and the session to read.").arg(name)
                       : QStringLiteral("%1 needs --%2.").arg(name, Needs);
        const QString colourText = Parser.value(curve ? Curve : Markers);
        const std::optional<TRgb> colour = ParseRgb(colourText);
        if (!colour)
            return QStringLiteral("%1 takes a colour written #RRGGBB, not \"%2\".").arg(name, colourText);
        Request.Kind = curve ? TExtractRequest::ekCurve : TExtractRequest::ekMarkers;
        Request.Colour = *colour;
    }
    Request.AcceptDoubtful = Parser.isSet(Options.AcceptDoubtful);
    Request.Replace = Parser.isSet(Options.Replace);
    for (const auto& [option, limit] : {std::pair{&Options.FromX, &Request.FromX}, std::pair{&Options.ToX, &Request.ToX}})
        if (Parser.isSet(*option)) {
            bool ok = false;
            const double value = QLocale::c().toDouble(Parser.value(*option), &ok);
            if (!ok || !std::isfinite(value))
                return QStringLiteral("--%1 takes a data value of X, not \"%2\".")
                    .arg(option->names().first(), Parser.value(*option));
            *limit = value;
        }
    if (Parser.isSet(Tolerance)) {
        Request.Tolerance = ToleranceOf(Parser.value(Tolerance));
        if (!Request.Tolerance)
            return QStringLiteral("--tolerance takes a whole number from 0 to 255, not \"%1\".").arg(Parser.value(Tolerance));
    }
    if (Parser.isSet(Step)) {
        if (markers)
            return QStringLiteral("--step goes with --extract-curve.");
        const std::optional<double> value = StepOf(Parser.value(Step));
        if (!value)
            return QStringLiteral("--step takes a number of pixels, 1 or more, not \"%1\".").arg(Parser.value(Step));
        Request.Step = *value;
    }
    return {};
}


#include "CommandLine.h"

#include "ExtractOptions.h"
#include "document/SessionFile.h"

#include <QCommandLineParser>
#include <QLocale>

#include <cmath>
#include <utility>

QString VersionText()
{
    return QStringLiteral("Quillon " QUILLON_VERSION_TEXT);
}

namespace {

struct TDrawingOptions {
    QCommandLineOption Curve;
    QCommandLineOption Markers;
    QCommandLineOption At;
    QCommandLineOption Page;
    QCommandLineOption Dpi;
    QCommandLineOption Template;
    QCommandLineOption AutoAxes;
};

// Reads the drawing options into Request; what is wrong with them, or "".
QString DrawingRequest(const QCommandLineParser& Parser, const TDrawingOptions& Options, TDrawingRequest& Request)
{
    const bool curve = Parser.isSet(Options.Curve);
    const bool markers = Parser.isSet(Options.Markers);
    if (curve && markers)
        return QStringLiteral("--vector-curve and --vector-markers cannot be used together.");
    if (!curve && !markers) {
        for (const QCommandLineOption* option :
             {&Options.At, &Options.Page, &Options.Dpi, &Options.Template})
            if (Parser.isSet(*option))
                return QStringLiteral("--%1 goes with --vector-curve or --vector-markers.").arg(option->names().first());
        return {};
    }
    const QString name = curve ? QStringLiteral("--vector-curve") : QStringLiteral("--vector-markers");
    for (const char* other : {"extract-curve", "extract-markers", "picture"})
        if (Parser.isSet(QLatin1String(other)))
            return QStringLiteral("%1 cannot be used with --%2.").arg(name, QLatin1String(other));
    if (!Parser.isSet(QStringLiteral("export")))
        return QStringLiteral("%1 needs --export OUT and the drawing to read.").arg(name);
    const int maps = int(Parser.isSet(Options.Template)) + int(Parser.isSet(QStringLiteral("calibration"))) +
                     int(Parser.isSet(Options.AutoAxes));
    if (maps == 0)
        return QStringLiteral("%1 needs a map: --auto-axes, --template SESSION or --calibration POINTS.csv.").arg(name);
    if (Parser.isSet(Options.AutoAxes) && maps > 1)
        return QStringLiteral("--auto-axes takes the map from the drawing: not with --template or --calibration.");
    Request.AutoAxes = Parser.isSet(Options.AutoAxes);
    const QString colourText = Parser.value(curve ? Options.Curve : Options.Markers);
    const std::optional<TRgb> colour = ParseRgb(colourText);
    if (!colour)
        return QStringLiteral("%1 takes a colour written #RRGGBB, not \"%2\".").arg(name, colourText);
    Request.Kind = curve ? TDrawingRequest::dkCurve : TDrawingRequest::dkMarkers;
    Request.Colour = qRgb(colour->R, colour->G, colour->B);
    Request.Template = Parser.value(Options.Template);
    if (Parser.isSet(Options.At)) {
        const QStringList xy = Parser.value(Options.At).split(u',');
        bool okX = false, okY = false;
        const double x = xy.size() == 2 ? QLocale::c().toDouble(xy[0], &okX) : 0;
        const double y = xy.size() == 2 ? QLocale::c().toDouble(xy[1], &okY) : 0;
        if (!okX || !okY || !std::isfinite(x) || !std::isfinite(y))
            return QStringLiteral("--at takes data values X,Y, not \"%1\".").arg(Parser.value(Options.At));
        Request.At = QPointF(x, y);
    }
    if (Parser.isSet(Options.Page)) {
        bool ok = false;
        const int page = Parser.value(Options.Page).toInt(&ok);
        if (!ok || page < 1 || page > MaxDrawingPage)
            return QStringLiteral("--page takes a page number, 1 or more, not \"%1\".").arg(Parser.value(Options.Page));
        Request.Page = page;
    }
    if (Parser.isSet(Options.Dpi)) {
        bool ok = false;
        const double dpi = QLocale::c().toDouble(Parser.value(Options.Dpi), &ok);
        if (!ok || !(dpi >= MinDrawingResolution && dpi <= MaxDrawingResolution))
            return QStringLiteral("--dpi takes %1 to %2 dots an inch, not \"%3\".")
                .arg(MinDrawingResolution)
                .arg(MaxDrawingResolution)
                .arg(Parser.value(Options.Dpi));
        Request.Dpi = dpi;
    }
    return {};
}

} // namespace

TCommandLine ParseCommandLine(const QStringList& Arguments)
{
    if (Arguments.size() > 1 && Arguments[1] == QStringLiteral("batch")) {
        TCommandLine result;
        const QString wrong = ParseBatchLine(Arguments, result.Batch, result.Text);
        result.Action = !wrong.isEmpty()         ? TCommandLine::caUsageError
                        : !result.Text.isEmpty() ? TCommandLine::caHelp
                                                 : TCommandLine::caBatch;
        if (!wrong.isEmpty())
            result.Text = wrong;
        return result;
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillon - Graph Digitising Utility: reads the data back from a picture of a chart.\n"
                       "Without FILE, opens an empty window; with one, opens that picture or session.\n"
                       "Exit status of --export: 0 written, 1 wrong options, 2 the session could not\n"
                       "be read or the data not written (the message goes to standard error), 3 the data\n"
                       "were written but the extraction is doubtful: under half of the area's width\n"
                       "covered, under half of the colour's pixels explained, a jump to another curve\n"
                       "refused, or nothing found (its report goes to standard error)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Prints this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Prints the version and exits."));
    const QCommandLineOption exportTo(
        QStringLiteral("export"),
        QStringLiteral("Loads SESSION without showing a window and writes the data of its current series to OUT, "
                       "as \"Data to Space Separated Value File\" does; OUT \"-\" is standard output. Needs no "
                       "display."),
        QStringLiteral("OUT"));
    const TExtractOptions extraction = ExtractOptions();
    const QCommandLineOption picture(
        QStringLiteral("picture"),
        QStringLiteral("With --export: the session's picture is FILE, for a session whose picture is no longer where "
                       "it says."),
        QStringLiteral("FILE"));
    const QCommandLineOption calibration(
        QStringLiteral("calibration"),
        QStringLiteral("With --export: calibrate by the points of POINTS.csv (a header px,py,x,y, then image pixels and "
                       "data values; #log-x or #log-y on a line of its own for a log axis; ISO 8601 dates for a "
                       "date axis) instead of the session's map."),
        QStringLiteral("POINTS.csv"));
    const QCommandLineOption vectorCurve(
        QStringLiteral("vector-curve"),
        QStringLiteral("With --export: FILE is a drawing (PDF, SVG, EPS); takes the vertices of its curve drawn in "
                       "COLOUR (#RRGGBB) exactly as the file holds them, mapped by --template or --calibration."),
        QStringLiteral("COLOUR"));
    const QCommandLineOption vectorMarkers(
        QStringLiteral("vector-markers"),
        QStringLiteral("The same for the centres of the drawing's markers drawn in COLOUR."), QStringLiteral("COLOUR"));
    const QCommandLineOption at(QStringLiteral("at"),
                                QStringLiteral("With a drawing: the curve or markers nearest the data point X,Y "
                                               "(default: the longest curve, the most numerous markers)."),
                                QStringLiteral("X,Y"));
    const QCommandLineOption page(QStringLiteral("page"),
                                  QStringLiteral("With a drawing: its page N (default the template's, else 1)."),
                                  QStringLiteral("N"));
    const QCommandLineOption dpi(QStringLiteral("dpi"),
                                 QStringLiteral("With a drawing: the page's resolution in pixels an inch, to which "
                                                "the map's pixels refer (default the template's, else 300)."),
                                 QStringLiteral("N"));
    const QCommandLineOption templateSession(
        QStringLiteral("template"),
        QStringLiteral("With a drawing: the session whose map (rectangle or calibration points) the data take."),
        QStringLiteral("SESSION"));
    const QCommandLineOption autoAxes(
        QStringLiteral("auto-axes"),
        QStringLiteral("With --export: the map from the chart's own axes (tick marks and their labels, read from a "
                       "picture's pixels or a drawing's text) instead of the session's; FILE may then be a picture. "
                       "Every tick must fit within half a pixel, else nothing is written (exit 2). Which map was used "
                       "goes to standard error."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(exportTo);
    AddExtractOptions(parser, extraction);
    parser.addOptions({picture, calibration});
    parser.addOptions({vectorCurve, vectorMarkers, at, page, dpi, templateSession, autoAxes});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A picture or a session to open (SESSION with --export)."),
                                 QStringLiteral("[FILE]"));

    TCommandLine result;
    if (!parser.parse(Arguments)) {
        result.Action = TCommandLine::caUsageError;
        result.Text = parser.errorText();
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(help)) {
        result.Action = TCommandLine::caHelp;
        // Qt names the program by its full path; the usage shows both forms.
        QString text = parser.helpText();
        text.remove(0, text.indexOf(u'\n') + 1);
        result.Text = QStringLiteral("Usage: quillon [options] [FILE]\n"
                                     "       quillon --export OUT [--picture FILE] [--calibration POINTS.csv] SESSION\n"
                                     "       quillon --auto-axes [--extract-curve COLOUR|--extract-markers COLOUR ...] "
                                     "--export OUT SESSION|PICTURE\n"
                                     "       quillon --extract-curve COLOUR [--tolerance N] [--step PIXELS] "
                                     "[--from-x X] [--to-x X] [--replace] [--accept-doubtful] --export OUT SESSION\n"
                                     "       quillon --extract-markers COLOUR [--tolerance N] [--from-x X] [--to-x X] "
                                     "[--replace] [--accept-doubtful] --export OUT SESSION\n"
                                     "       quillon --vector-curve COLOUR|--vector-markers COLOUR [--at X,Y] "
                                     "[--page N] [--dpi N] --auto-axes|--template SESSION|--calibration POINTS.csv "
                                     "--export OUT DRAWING\n"
                                     "       quillon batch --help\n") +
                      text;
    } else if (parser.isSet(version)) {
        result.Action = TCommandLine::caVersion;
        result.Text = VersionText() + u'\n';
    } else if (const QString wrong = ExtractRequest(parser, extraction, QStringLiteral("export"), result.Extract);
               !wrong.isEmpty()) {
        result.Action = TCommandLine::caUsageError;
        result.Text = wrong;
    } else if (const QString wrongDrawing = DrawingRequest(
                   parser, {vectorCurve, vectorMarkers, at, page, dpi, templateSession, autoAxes}, result.Drawing);
               !wrongDrawing.isEmpty()) {
        result.Action = TCommandLine::caUsageError;
        result.Text = wrongDrawing;
    } else if (parser.isSet(autoAxes) && result.Drawing.Kind == TDrawingRequest::dkNone &&
               (!parser.isSet(exportTo) || parser.isSet(calibration))) {
        result.Action = TCommandLine::caUsageError;
        result.Text = parser.isSet(exportTo)
                          ? QStringLiteral("--auto-axes takes the map from the picture: not with --calibration.")
                          : QStringLiteral("--auto-axes goes with --export.");
    } else if (parser.isSet(exportTo)) {
        result.ExportFile = parser.value(exportTo);
        result.AutoAxes = parser.isSet(autoAxes);
        if (files.size() != 1) {
            result.Action = TCommandLine::caUsageError;
            const bool drawing = result.Drawing.Kind != TDrawingRequest::dkNone;
            result.Text = files.isEmpty() ? (drawing ? QStringLiteral("--export needs the drawing to read.")
                                                     : QStringLiteral("--export needs the session file to read."))
                                          : QStringLiteral("--export reads one session file, not %1.").arg(files.size());
        } else if (result.ExportFile.isEmpty()) {
            result.Action = TCommandLine::caUsageError;
            result.Text = QStringLiteral("--export needs the name of the file to write, or \"-\".");
        } else {
            result.Action = TCommandLine::caExport;
            result.SessionFile = files.first();
            result.PictureFile = parser.value(picture);
            result.CalibrationFile = parser.value(calibration);
        }
    } else if (parser.isSet(picture) || parser.isSet(calibration)) {
        result.Action = TCommandLine::caUsageError;
        result.Text = QStringLiteral("%1 goes with --export.")
                          .arg(parser.isSet(picture) ? QStringLiteral("--picture") : QStringLiteral("--calibration"));
    } else if (files.size() > 1) {
        result.Action = TCommandLine::caUsageError;
        result.Text = QStringLiteral("Quillon opens one file at a time, not %1.").arg(files.size());
    } else if (!files.isEmpty()) {
        result.File = files.first();
    }
    return result;
}

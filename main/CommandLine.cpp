#include "CommandLine.h"

#include <QCommandLineParser>

QString VersionText()
{
    return QStringLiteral("Quillon " QUILLON_VERSION_TEXT);
}

TCommandLine ParseCommandLine(const QStringList& Arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillon - Graph Digitising Utility: reads the data back from a picture of a chart.\n"
                       "Without FILE, opens an empty window; with one, opens that picture or session.\n"
                       "Exit status of --export: 0 written, 1 wrong options, 2 the session could not\n"
                       "be read or the data not written (the message goes to standard error)."));
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
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(exportTo);
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
        result.Text = QStringLiteral("Usage: quillon [options] [FILE]\n       quillon --export OUT SESSION\n") + text;
    } else if (parser.isSet(version)) {
        result.Action = TCommandLine::caVersion;
        result.Text = VersionText() + u'\n';
    } else if (parser.isSet(exportTo)) {
        result.ExportFile = parser.value(exportTo);
        if (files.size() != 1) {
            result.Action = TCommandLine::caUsageError;
            result.Text = files.isEmpty() ? QStringLiteral("--export needs the session file to read.")
                                          : QStringLiteral("--export reads one session file, not %1.").arg(files.size());
        } else if (result.ExportFile.isEmpty()) {
            result.Action = TCommandLine::caUsageError;
            result.Text = QStringLiteral("--export needs the name of the file to write, or \"-\".");
        } else {
            result.Action = TCommandLine::caExport;
            result.SessionFile = files.first();
        }
    } else if (files.size() > 1) {
        result.Action = TCommandLine::caUsageError;
        result.Text = QStringLiteral("Quillon opens one file at a time, not %1.").arg(files.size());
    } else if (!files.isEmpty()) {
        result.File = files.first();
    }
    return result;
}

#include "BatchLine.h"

#include "ExtractOptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

QString ParseBatchLine(const QStringList& Arguments, TBatchRequest& Request, QString& Help)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Applies a template session's map to each picture, extracts a curve or markers of a colour from it, and\n"
        "writes, in DIR, the picture's data file and a session that opens it with its points, both named after\n"
        "the picture. Pictures run in parallel; a report goes to DIR/report.csv. Exit status: 0 every picture\n"
        "done, 1 wrong options, 2 the run could not start, 3 some pictures failed or were doubtful (each is\n"
        "listed), 130 stopped by Ctrl+C (finished outputs stay)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Prints this help and exits."));
    const QCommandLineOption templateSession(
        QStringLiteral("template"),
        QStringLiteral("The session whose map (any kind) and series every picture takes; its own points are left "
                       "out."),
        QStringLiteral("JOB.qsf"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("The folder the results and report.csv go to; made when missing."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("Also the pictures named in FILE, one a line; \"-\" is standard "
                                                 "input."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption manifest(
        QStringLiteral("manifest"),
        QStringLiteral("A CSV whose header names the columns picture, template, kind (curve or markers), colour, "
                       "tolerance and step; each row is one picture, an empty cell takes the command's option, and "
                       "paths are from the manifest's folder."),
        QStringLiteral("FILE.csv"));
    const QCommandLineOption recursive(QStringLiteral("recursive"),
                                       QStringLiteral("Also the pictures in the folders inside a folder named."));
    const QCommandLineOption jobs(QStringLiteral("jobs"),
                                  QStringLiteral("How many pictures run at once (default: one a core)."),
                                  QStringLiteral("N"));
    const QCommandLineOption shard(
        QStringLiteral("shard"),
        QStringLiteral("Only the K-th (from 1) of N equal parts of the pictures, in the order of their paths, so "
                       "that N runs on other machines share the work; the report is then report-K-of-N.csv."),
        QStringLiteral("K/N"));
    const QCommandLineOption format(
        QStringLiteral("format"),
        QStringLiteral("The data files: txt as --export writes them (default), csv as Export All Series does, or "
                       "json (each series' name, points in pixels and data, and the calibration used)."),
        QStringLiteral("txt|csv|json"));
    const QCommandLineOption autoAxes(
        QStringLiteral("auto-axes"),
        QStringLiteral("Each picture's map from its own axes instead of the template's; a picture whose axes are "
                       "not all found fails."));
    TExtractOptions extraction = ExtractOptions();
    extraction.Curve.setDescription(
        QStringLiteral("Follows the curve of COLOUR (#RRGGBB) across each picture's plotting area."));
    extraction.Markers.setDescription(
        QStringLiteral("A point at the centre of each marker of COLOUR (#RRGGBB) in each picture's plotting area."));
    // A template's own points are never kept.
    extraction.Replace.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({help, templateSession, out, list, manifest, recursive, jobs, shard, format, autoAxes});
    AddExtractOptions(parser, extraction);
    parser.addPositionalArgument(QStringLiteral("PICTURE"),
                                 QStringLiteral("Pictures, and folders whose pictures are all taken."),
                                 QStringLiteral("PICTURE|FOLDER..."));

    QStringList arguments = Arguments;
    arguments.removeAt(1);
    if (!parser.parse(arguments))
        return parser.errorText();
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.remove(0, text.indexOf(u'\n') + 1);
        Help = QStringLiteral("Usage: quillon batch --template JOB.qsf|--auto-axes [--extract-curve COLOUR|"
                              "--extract-markers COLOUR ...] --out DIR [options] PICTURE|FOLDER...\n") +
               text;
        return {};
    }
    Request.Manifest = parser.value(manifest);
    if (const QString wrong = ExtractRequest(parser, extraction, QStringLiteral("out"), Request.Extract,
                                             !Request.Manifest.isEmpty());
        !wrong.isEmpty())
        return wrong;
    Request.Template = parser.value(templateSession);
    Request.OutDir = parser.value(out);
    Request.Inputs = parser.positionalArguments();
    Request.ListFile = parser.value(list);
    Request.Recursive = parser.isSet(recursive);
    Request.AutoAxes = parser.isSet(autoAxes);
    if (Request.OutDir.isEmpty())
        return QStringLiteral("batch needs --out DIR, the folder the results go to.");
    if (Request.Inputs.isEmpty() && Request.ListFile.isEmpty() && Request.Manifest.isEmpty())
        return QStringLiteral("batch needs pictures: name them or their folder, or give --list FILE or --manifest "
                              "FILE.csv.");
    if (Request.Manifest.isEmpty()) {
        if (Request.Template.isEmpty() && !Request.AutoAxes)
            return QStringLiteral("batch needs --template JOB.qsf, or --auto-axes to find each picture's map.");
        if (Request.Extract.Kind == TExtractRequest::ekNone)
            return QStringLiteral("batch needs --extract-curve COLOUR or --extract-markers COLOUR.");
    }
    if (parser.isSet(jobs)) {
        bool ok = false;
        Request.Jobs = parser.value(jobs).toInt(&ok);
        if (!ok || Request.Jobs < 1 || Request.Jobs > 1024)
            return QStringLiteral("--jobs takes a number from 1 to 1024, not \"%1\".").arg(parser.value(jobs));
    }
    if (parser.isSet(shard)) {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("^(\\d{1,6})/(\\d{1,6})$")).match(parser.value(shard));
        Request.Shard = m.hasMatch() ? m.captured(1).toInt() : 0;
        Request.Shards = m.hasMatch() ? m.captured(2).toInt() : 0;
        if (Request.Shard < 1 || Request.Shard > Request.Shards)
            return QStringLiteral("--shard takes K/N, K from 1 to N, not \"%1\".").arg(parser.value(shard));
    }
    if (parser.isSet(format)) {
        const QString name = parser.value(format);
        if (name == QStringLiteral("txt"))
            Request.Format = bfText;
        else if (name == QStringLiteral("csv"))
            Request.Format = bfCsv;
        else if (name == QStringLiteral("json"))
            Request.Format = bfJson;
        else
            return QStringLiteral("--format takes txt, csv or json, not \"%1\".").arg(name);
    }
    return {};
}

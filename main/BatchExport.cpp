#include "BatchExport.h"

#include "DrawnAxesMapping.h"
#include "FileKind.h"
#include "LegendName.h"
#include "MappingArea.h"
#include "PictureAxes.h"
#include "PictureProblem.h"
#include "SessionOpening.h"
#include "StandardErrorBox.h"
#include "document/CalibrationCsv.h"
#include "document/JobDocument.h"
#include "image/FreeBitmap.h"
#include "platform/SameFile.h"
#include "platform/TextFile.h"
#include "view/quillonviewsettings.h"

#include <QFile>
#include <QIODevice>
#include <QTextStream>

#include <utility>

std::optional<QByteArray> ReadCalibrationFile(const QString& Name, QTextStream& Errors)
{
    QFile file(Name);
    if (!file.open(QIODevice::ReadOnly)) {
        Errors << QStringLiteral("Cannot open the calibration %1: %2").arg(Name, file.errorString()) << Qt::endl;
        return std::nullopt;
    }
    return file.readAll();
}

TExportStatus WriteExportData(const QString& Out, const QByteArray& Bytes, QIODevice& Output, QTextStream& Errors,
                              TExportStatus Status)
{
    if (Out != QStringLiteral("-")) {
        if (SaveTextFile(Out, Bytes) == wrInPlace)
            Errors << InPlaceWarning(Out) << Qt::endl;
        return Status;
    }
    if (Output.write(Bytes) != Bytes.size()) {
        Errors << QStringLiteral("Unable to write to standard output: %1").arg(Output.errorString()) << Qt::endl;
        return esFailed;
    }
    return Status;
}

bool TakeFoundAxes(TJobDocument& Job, TFreeWinBitmap& Picture, const QString& Source, QTextStream& Errors)
{
    const TPixelSource source(Picture.DisplaySource());
    const TFoundAxes found = source.IsValid() ? FindPictureAxes(source) : TFoundAxes{};
    if (!source.IsValid() || !found.Axes.Problem.isEmpty()) {
        Errors << QStringLiteral("--auto-axes: %1")
                      .arg(source.IsValid() ? found.Axes.Problem
                                            : QStringLiteral("the session %1 has no picture.").arg(Source))
               << Qt::endl;
        return false;
    }
    static_cast<TMapping&>(Job.Mapping()) = FoundAxesMapping(found, Job.Mapping());
    Errors << DrawnAxesText(found.Axes, QStringLiteral("Axes found in the picture")) << Qt::endl;
    return true;
}

TExportStatus ExtractIntoJob(TJobDocument& Job, TFreeWinBitmap& Picture, const TExtractRequest& Extract,
                             const QString& Source, QTextStream& Errors)
{
    const TPixelSource source(Picture.DisplaySource());
    TExtractArea area = MappingArea(Job.Mapping(), Picture.GetWidth(), Picture.GetHeight());
    for (const auto& [limit, frame] : {std::pair{Extract.FromX, &area.FromX}, std::pair{Extract.ToX, &area.ToX}})
        if (limit) {
            const QString text = QString::number(*limit, 'g', 17);
            if (const QString why = XLimitProblem(Job.Mapping(), *limit, text, *frame); !why.isEmpty()) {
                Errors << (Job.Mapping().Calibration.PointsInForce()
                               ? why
                               : QStringLiteral("The X axis of the session %1 has no value %2.").arg(Source, text))
                       << Qt::endl;
                return esFailed;
            }
        }
    const TExtraction found = RunExtraction(source, area, Extract);
    if (!found.Problem.isEmpty()) {
        Errors << found.Problem << Qt::endl;
        return esFailed;
    }
    if (found.Points.empty())
        Errors << NothingFoundText(Extract.Colour) << Qt::endl;
    else
        Errors << found.Report.Text(found.Points.size()) << Qt::endl;
    TakeLegendName(Job, LegendNameOf(source, found.Report), Errors);
    if (Extract.Replace)
        Job.CurrentSeries().Points.clear();
    Job.AddPoints(found.Points);
    return (found.Points.empty() || found.Report.Doubtful()) && !Extract.AcceptDoubtful ? esDoubtful : esWritten;
}

TExportStatus ExportSessionData(const QString& Out, const QString& Session, QIODevice& Output,
                                QTextStream& Errors, const TExtractRequest& Extract, const QString& Picture,
                                const QString& Calibration, bool AutoAxes)
{
    try {
        TExportStatus status = esWritten;
        const bool toFile = Out != QStringLiteral("-");
        if (toFile && SameFile(Out, Session)) {
            Errors << QStringLiteral("%1 is the session itself: its data would be written over it.").arg(Out)
                   << Qt::endl;
            return esFailed;
        }
        const TQuillonViewSettings settings;
        TJobDocument job;
        TFreeWinBitmap picture;
        QString moved;
        QString warning;
        if (AutoAxes && FileKindOf(Session) == fkPicture) {
            const TPictureReport report = picture.ReplaceWith(Session);
            if (!report.Usable()) {
                Errors << PictureProblemText(Session, report) << Qt::endl;
                return esFailed;
            }
            job.ImageFileName = Session;
        } else {
            warning = OpenSession(Session, settings.Look(), job, picture, &moved, Picture);
        }
        if (AutoAxes && !TakeFoundAxes(job, picture, Session, Errors))
            return esFailed;
        if (!Calibration.isEmpty()) {
            const std::optional<QByteArray> bytes = ReadCalibrationFile(Calibration, Errors);
            if (!bytes)
                return esFailed;
            QString problem;
            if (!ReadCalibrationCsv(*bytes, job.Mapping(), problem)) {
                Errors << QStringLiteral("Cannot use the calibration %1: %2.").arg(Calibration, problem) << Qt::endl;
                return esFailed;
            }
        }
        if (!moved.isEmpty())
            Errors << moved << Qt::endl;
        if (!warning.isEmpty())
            Errors << warning << Qt::endl;
        if (toFile && !job.ImageFileName.isEmpty() && SameFile(Out, job.ImageFileName)) {
            Errors << QStringLiteral("%1 is the picture of the session %2: its data would be written over it.")
                          .arg(Out, Session)
                   << Qt::endl;
            return esFailed;
        }
        if (Extract.Kind != TExtractRequest::ekNone) {
            if (!TPixelSource(picture.DisplaySource()).IsValid()) {
                Errors << QStringLiteral("The session %1 has no picture to extract from; name it with --picture.")
                              .arg(Session)
                       << Qt::endl;
                return esFailed;
            }
            status = ExtractIntoJob(job, picture, Extract, Session, Errors);
            if (status == esFailed)
                return esFailed;
        }
        // Points without data values would be written as numbers all the same.
        if (const QString step = job.Mapping().MissingStep(); !step.isEmpty() && !job.CurrentSeries().Points.empty()) {
            Errors << QStringLiteral("The session %1 has points but no data values yet: %2.").arg(Session, step)
                   << Qt::endl;
            return esFailed;
        }
        return WriteExportData(Out, job.DataText(u' ', settings.NumberPrecision, settings.NumberDigits).toUtf8(),
                               Output, Errors, status);
    } catch (...) {
        Errors << ExceptionMessage(std::current_exception()) << Qt::endl;
        return esFailed;
    }
}

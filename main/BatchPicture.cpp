#include "BatchPicture.h"

#include "BatchExport.h"
#include "PictureProblem.h"
#include "StandardErrorBox.h"
#include "document/JobDocument.h"
#include "document/PixelText.h"
#include "document/SeriesCsv.h"
#include "document/SeriesJson.h"
#include "document/SessionFile.h"
#include "image/FreeBitmap.h"
#include "platform/SameFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>

QString BatchStatusText(TBatchResult::TStatus Status)
{
    static constexpr const char* words[] = {"done", "doubtful", "failed", "stopped"};
    return QLatin1String(words[Status]);
}

QString BatchDataSuffix(TBatchFormat Format)
{
    static constexpr const char* suffixes[] = {".txt", ".csv", ".json"};
    return QLatin1String(suffixes[Format]);
}

namespace {

QByteArray DataBytes(const TJobDocument& Job, const TBatchOutput& Output)
{
    switch (Output.Format) {
    case bfCsv:
        return AllSeriesCsv(Job);
    case bfJson:
        return AllSeriesJson(Job);
    case bfText:
        break;
    }
    return Job.DataText(u' ', Output.Precision, Output.Digits).toUtf8();
}

TExportStatus RunOn(const TBatchItem& Item, TJobDocument& Job, const TBatchOutput& Output, QTextStream& Log)
{
    for (TSeries& series : Job.Series)
        series.Points.clear();
    Job.ImageFileName = Item.Picture;
    Job.ImagePage = 0;
    Job.ImageResolution = 0;
    TFreeWinBitmap picture;
    if (const TPictureReport report = picture.ReplaceWith(Item.Picture); !report.Usable()) {
        Log << PictureProblemText(Item.Picture, report) << Qt::endl;
        return esFailed;
    }
    if (Output.AutoAxes) {
        if (!TakeFoundAxes(Job, picture, Item.Picture, Log))
            return esFailed;
        // As the session written keeps them, so that it maps as the data were.
        for (TCalibrationPoint& p : Job.Mapping().Calibration.Points)
            p.Pixel = {ThousandthPixel(p.Pixel.X), ThousandthPixel(p.Pixel.Y)};
    }
    const TExportStatus status = ExtractIntoJob(Job, picture, Item.Extract, Item.Template, Log);
    if (status == esFailed)
        return status;
    const QDir folder(Output.Folder);
    const QString data = folder.filePath(Item.Name + BatchDataSuffix(Output.Format));
    const QString session = folder.filePath(Item.Name + QStringLiteral(".qsf"));
    for (const QString& out : {data, session})
        for (const QString& input : {Item.Picture, Item.Template})
            if (!input.isEmpty() && SameFile(out, input)) {
                Log << QStringLiteral("%1 is the %2 itself: it would be written over.")
                           .arg(out, input == Item.Picture ? QStringLiteral("picture") : QStringLiteral("template"))
                    << Qt::endl;
                return esFailed;
            }
    SaveTextFile(data, DataBytes(Job, Output));
    SaveSession(session, Job, Output.Look);
    return status;
}

} // namespace

TBatchResult RunBatchItem(const TBatchItem& Item, const TJobDocument& Template, const TBatchOutput& Output)
{
    QElapsedTimer clock;
    clock.start();
    QString log;
    QTextStream stream(&log);
    TBatchResult result;
    try {
        TJobDocument job(Template);
        const TExportStatus status = RunOn(Item, job, Output, stream);
        result.Status = status == esWritten ? TBatchResult::bsDone
                        : status == esDoubtful ? TBatchResult::bsDoubtful
                                               : TBatchResult::bsFailed;
        if (status != esFailed)
            result.Points = int(job.CurrentSeries().Points.size());
    } catch (...) {
        stream << ExceptionMessage(std::current_exception()) << Qt::endl;
        result.Status = TBatchResult::bsFailed;
    }
    stream.flush();
    result.Message = log.trimmed().replace(u'\n', u' ');
    result.Seconds = double(clock.nsecsElapsed()) / 1e9;
    return result;
}

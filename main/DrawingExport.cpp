#include "DrawingExport.h"

#include "DrawnAxesMapping.h"
#include "LegendName.h"
#include "StandardErrorBox.h"
#include "PictureProblem.h"
#include "document/CalibrationCsv.h"
#include "document/JobDocument.h"
#include "document/SessionFile.h"
#include "drawing/DrawingPick.h"
#include "image/FreeBitmap.h"
#include "platform/SameFile.h"
#include "view/quillonviewsettings.h"

#include <QColor>
#include <QTextStream>

TExportStatus ExportDrawingData(const QString& Out, const QString& Drawing, const TDrawingRequest& Request,
                                const QString& Calibration, QIODevice& Output, QTextStream& Errors)
{
    const auto fail = [&](const QString& Why) {
        Errors << Why << Qt::endl;
        return esFailed;
    };
    try {
        const bool toFile = Out != QStringLiteral("-");
        for (const QString& input : {Drawing, Request.Template, Calibration})
            if (toFile && !input.isEmpty() && SameFile(Out, input))
                return fail(QStringLiteral("%1 is one of the files read: it would be written over.").arg(Out));
        const TQuillonViewSettings settings;
        TJobDocument job;
        if (!Request.Template.isEmpty())
            job.Apply(ReadSession(Request.Template, settings.Look()));
        for (TSeries& series : job.Series)
            series.Points.clear();
        const int page = Request.Page.value_or(job.ImagePage > 0 ? job.ImagePage : 1);
        const double dpi = Request.Dpi.value_or(job.ImageResolution > 0 ? job.ImageResolution : 300);
        if (!Calibration.isEmpty()) {
            const std::optional<QByteArray> points = ReadCalibrationFile(Calibration, Errors);
            if (!points)
                return esFailed;
            QString problem;
            if (!ReadCalibrationCsv(*points, job.Mapping(), problem))
                return fail(QStringLiteral("Cannot use the calibration %1: %2.").arg(Calibration, problem));
        }
        TFreeWinBitmap picture;
        QByteArray bytes;
        const TPictureReport report = picture.ReplaceWithPage(Drawing, {page, dpi}, bytes);
        if (!report.Usable())
            return fail(PictureProblemText(Drawing, report));
        TDrawing paths;
        if (!ReadDrawing(bytes, paths) || paths.Paths.empty())
            return fail(QStringLiteral("Page %1 of %2 holds no drawing, only pictures: digitise it as a picture.")
                            .arg(page)
                            .arg(Drawing));
        // The axes of the page's one chart first, when --at needs a map to
        // say where it is.
        if (Request.AutoAxes && Request.At) {
            const TDrawnAxes axes = ReadDrawnAxes(paths);
            if (!axes.Problem.isEmpty() || axes.Several)
                return fail(QStringLiteral("--auto-axes with --at: %1")
                                .arg(axes.Several ? QStringLiteral("the page holds several charts; choose one by the "
                                                                   "curve's colour alone, or map it by --template.")
                                                  : axes.Problem));
            static_cast<TMapping&>(job.Mapping()) = DrawnAxesMapping(axes, job.Mapping());
        }
        std::optional<QPointF> at;
        if (Request.At) {
            if (const QString step = job.Mapping().MissingStep(); !step.isEmpty())
                return fail(QStringLiteral("--at needs the map first: %1.").arg(step));
            // Near enough to tell curves apart: the nearest path is taken.
            TPoint p{};
            job.Mapping().DataToPixel({Request.At->x(), Request.At->y()}, p);
            at = QPointF(p.X, p.Y);
        }
        const bool curve = Request.Kind == TDrawingRequest::dkCurve;
        const TDrawingPick pick =
            curve ? CurveOfColour(paths, Request.Colour, at) : MarkersOfColour(paths, Request.Colour, at);
        const QString colour = QColor(Request.Colour).name().toUpper();
        TExportStatus status = esWritten;
        if (pick.Points.empty()) {
            Errors << QStringLiteral("No %1 drawn in %2 on page %3 of %4.")
                          .arg(curve ? QStringLiteral("curve") : QStringLiteral("markers"), colour)
                          .arg(page)
                          .arg(Drawing)
                   << Qt::endl;
            status = esDoubtful;
        } else {
            Errors << (curve ? QStringLiteral("%1 vertices of the curve drawn in %2, from %3 %4.")
                                   .arg(pick.Points.size())
                                   .arg(colour)
                                   .arg(pick.Paths)
                                   .arg(pick.Paths == 1 ? QStringLiteral("path") : QStringLiteral("paths"))
                             : QStringLiteral("%1 markers drawn in %2.").arg(pick.Points.size()).arg(colour))
                   << Qt::endl;
        }
        std::vector<TPointF> points;
        QRectF picked;
        for (const QPointF& p : pick.Points) {
            points.push_back({p.x(), p.y()});
            picked = picked.united(QRectF(p, QSizeF(0, 0)));
        }
        if (Request.AutoAxes && !points.empty()) {
            const TDrawnAxes axes = ReadDrawnAxes(paths, picked.center());
            if (!axes.Problem.isEmpty())
                return fail(QStringLiteral("--auto-axes: %1").arg(axes.Problem));
            static_cast<TMapping&>(job.Mapping()) = DrawnAxesMapping(axes, job.Mapping());
            Errors << DrawnAxesText(axes) << Qt::endl;
        }
        TakeLegendName(job, pick.Name, Errors);
        job.AddPoints(points);
        if (const QString step = job.Mapping().MissingStep(); !step.isEmpty() && !points.empty())
            return fail(QStringLiteral("The points of %1 have no data values: %2.").arg(Drawing, step));
        return WriteExportData(Out, job.DataText(u' ', settings.NumberPrecision, settings.NumberDigits).toUtf8(),
                               Output, Errors, status);
    } catch (...) {
        Errors << ExceptionMessage(std::current_exception()) << Qt::endl;
        return esFailed;
    }
}

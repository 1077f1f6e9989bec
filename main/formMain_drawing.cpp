// Drawings from the window: a page of a PDF, SVG or EPS opened as the
// picture, and curves and markers picked from the page's own paths.
#include "formMain.h"

#include <QRegularExpression>

#include "DrawingFile.h"
#include "DrawnAxesMapping.h"
#include "PictureAxes.h"
#include "drawing/DrawingPick.h"
#include "widgets/CommandGlyph.h"
#include "widgets/formCalibrationPoints.h"
#include "widgets/formDrawingPage.h"

#include <QAction>
#include <QMessageBox>
#include <QStatusBar>

#include <cmath>

#include <algorithm>

void Tmainform::CreateDrawingCommands()
{
    acPickDrawing = Command(QStringLiteral("acPickDrawing"), QStringLiteral("Pick Curve from &Drawing..."),
                            [this] { acPickDrawingExecute(); });
    acPickDrawing->setCheckable(true);
    acPickDrawing->setIcon(GlyphIcon(TGlyph::PickDrawing));
    acPickDrawing->setStatusTip(QStringLiteral(
        "Click a curve or a marker of the drawing: its points come as the file holds them"));
    acAxesFromDrawing = Command(QStringLiteral("acAxesFromDrawing"), QStringLiteral("Axes from Dra&wing..."),
                                [this] { acAxesFromDrawingExecute(); });
    acAxesFromDrawing->setStatusTip(
        QStringLiteral("Calibrates by the drawing's own tick marks and labels, shown for you to accept"));
}

bool Tmainform::LoadDrawingFile(const QString& FileName)
{
    const TPageSheet sheet = ReadPageSheet(FileName, QuillonView->Image.Decoder);
    if (sheet.Sheet.isNull()) {
        ShowPictureProblem(FileName, sheet.Report);
        return false;
    }
    TfrmDrawingPage dialog(this);
    dialog.SetPages(sheet.Sheet, ThumbnailCell, sheet.Pages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const TPageChoice page{dialog.Page(), dialog.Resolution()};
    QByteArray paths;
    const TPictureReport report = QuillonView->Image.ReplaceWithPage(FileName, page, paths);
    if (!report.Usable()) {
        ShowPictureProblem(FileName, report);
        return false;
    }
    TDrawing drawing;
    ReadDrawing(paths, drawing);
    const bool drawn = !drawing.Paths.empty();
    SetPictureSource(FileName, page, std::move(drawing));
    ShowOpenedPicture(FileName, report);
    if (!drawn)
        statusBar()->showMessage(
            QStringLiteral("This page holds no drawing, only pictures: digitise it as a picture."), 15000);
    return true;
}

void Tmainform::acPickDrawingExecute()
{
    TQuillonView* v = QuillonView;
    if (v->Picking()) {
        v->SetPicking(nullptr);
        UpdateCommands();
        return;
    }
    v->SetPicking([this](const TPoint& At) { PickDrawingAt(At); });
    FPickingFor = acPickDrawing;
    statusBar()->showMessage(QStringLiteral("Click a curve or a marker of the drawing."), 15000);
    UpdateCommands();
}

void Tmainform::PickDrawingAt(const TPoint& At)
{
    TQuillonView* v = QuillonView;
    v->SetPicking(nullptr);
    // Eight screen pixels, whatever the zoom.
    const double reach = std::max(1.0, 8.0 / double(v->Zoom));
    const TDrawingPick pick = PickFromDrawing(FDrawing, QPointF(At.X, At.Y), reach);
    if (pick.Kind == TDrawingPick::pkNone) {
        statusBar()->showMessage(QStringLiteral("No curve or marker of the drawing lies under the click."), 15000);
        UpdateCommands();
        return;
    }
    std::vector<TPointF> points;
    points.reserve(pick.Points.size());
    for (const QPointF& p : pick.Points)
        points.push_back({p.x(), p.y()});
    const bool curve = pick.Kind == TDrawingPick::pkCurve;
    AddExtractedPoints(points, curve ? QStringLiteral("Pick Curve from Drawing") : QStringLiteral("Pick Markers from Drawing"),
                       false);
    NameSeriesFromLegend(pick.Name);
    statusBar()->showMessage(curve ? QStringLiteral("%1 points of a curve drawn in %2 paths.").arg(points.size()).arg(pick.Paths)
                                   : QStringLiteral("%1 markers' centres.").arg(points.size()),
                             15000);
}

void Tmainform::NameSeriesFromLegend(const QString& Name)
{
    const int current = Document.Current;
    if (Name.isEmpty() || !Document.NumberedName(current) || !Document.RenameProblem(current, Name).isEmpty())
        return;
    RecordJob(QStringLiteral("Name Series from Legend"), [current, Name](TJobDocument& job) { job.RenameSeries(current, Name); });
}

void Tmainform::acAxesFromDrawingExecute()
{
    TQuillonView* v = QuillonView;
    if (v->Picking()) {
        v->SetPicking(nullptr);
        UpdateCommands();
        return;
    }
    const TDrawnAxes axes = ReadDrawnAxes(FDrawing);
    if (!axes.Several) {
        ProposeDrawnAxes(axes);
        return;
    }
    v->SetPicking([this](const TPoint& At) {
        QuillonView->SetPicking(nullptr);
        UpdateCommands();
        ProposeDrawnAxes(ReadDrawnAxes(FDrawing, QPointF(At.X, At.Y)));
    });
    FPickingFor = acAxesFromDrawing;
    statusBar()->showMessage(QStringLiteral("The page holds several charts: click inside the one whose axes to read."),
                             15000);
    UpdateCommands();
}

void Tmainform::ProposeDrawnAxes(const TDrawnAxes& Axes, const QString& Title, const QPolygonF& Frame)
{
    TQuillonView* v = QuillonView;
    if (!Axes.Problem.isEmpty()) {
        if (Axes.Unlabelled.empty()) {
            QMessageBox::critical(this, QStringLiteral("Error"), Axes.Problem);
            return;
        }
        // Labels drawn as outlines: the ticks' places are known, their
        // values are typed.
        QMessageBox::information(
            this, QStringLiteral("Axes from Drawing"),
            QStringLiteral("The drawing's tick labels cannot be read (they may be drawn as outlines), but %1 ticks "
                           "were found. Click two ticks on each axis and type their values: a click near a tick "
                           "takes its exact place.")
                .arg(Axes.Unlabelled.size()));
        v->SetMouseAction(maCalibrate);
        UpdateCommands();
        return;
    }
    TfrmCalibrationPoints dialog(this);
    dialog.setWindowTitle(Title);
    dialog.SetCalibration(DrawnAxesMapping(Axes, *v));
    statusBar()->showMessage(DrawnAxesText(Axes, Frame.isEmpty() ? QStringLiteral("Axes from the drawing")
                                                                 : QStringLiteral("Axes found in the picture")),
                             15000);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TMapping result = dialog.Result();
    TRect frame;
    const bool framed = FrameRect(Frame, frame);
    Record(Title, [&] {
        v->SetAxisKinds(result.AxisXMap, result.AxisYMap);
        v->SetAxisUnits(result.XUnit, result.YUnit);
        v->SetCalibration(result.Calibration);
        if (framed)
            v->SetMappingRect(frame);
    });
    UpdateCommands();
}

TPointF Tmainform::DrawnTickNear(const TPointF& At) const
{
    // Six screen pixels, whatever the zoom.
    const double reach = 6.0 / double(QuillonView->Zoom);
    TPointF nearest = At;
    double best = reach;
    for (const QPointF& t : TickMarks(FDrawing)) {
        const double d = std::hypot(t.x() - At.X, t.y() - At.Y);
        if (d <= best) {
            best = d;
            nearest = {t.x(), t.y()};
        }
    }
    return nearest;
}

// Drawings from the window: a page of a PDF, SVG or EPS opened as the
// picture, and curves and markers picked from the page's own paths.
#include "formMain.h"

#include "DrawingFile.h"
#include "drawing/DrawingPick.h"
#include "widgets/CommandGlyph.h"
#include "widgets/formDrawingPage.h"

#include <QAction>
#include <QStatusBar>

#include <algorithm>

void Tmainform::CreateDrawingCommands()
{
    acPickDrawing = Command(QStringLiteral("acPickDrawing"), QStringLiteral("Pick Curve from &Drawing..."),
                            [this] { acPickDrawingExecute(); });
    acPickDrawing->setCheckable(true);
    acPickDrawing->setIcon(GlyphIcon(TGlyph::PickDrawing));
    acPickDrawing->setStatusTip(QStringLiteral(
        "Click a curve or a marker of the drawing: its points come as the file holds them"));
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
    statusBar()->showMessage(curve ? QStringLiteral("%1 points of a curve drawn in %2 paths.").arg(points.size()).arg(pick.Paths)
                                   : QStringLiteral("%1 markers' centres.").arg(points.size()),
                             15000);
}

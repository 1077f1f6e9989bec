// Automatic extraction from the window: the commands, the dialog beside the
// window and the points it finds.
#include "formMain.h"

#include <QAction>
#include <QScrollArea>

void Tmainform::CreateExtractCommands()
{
    acExtractCurve = Command(QStringLiteral("acExtractCurve"), QStringLiteral("Extract C&urve..."),
                             [this] { OpenExtract(TformExtract::ekCurve); });
    acExtractMarkers = Command(QStringLiteral("acExtractMarkers"), QStringLiteral("Extract Ma&rkers..."),
                               [this] { OpenExtract(TformExtract::ekMarkers); });
    acExtractCurve->setIconText(QStringLiteral("Extract Curve"));
    acExtractMarkers->setIconText(QStringLiteral("Extract Markers"));
}

void Tmainform::OpenExtract(TformExtract::TKind Kind)
{
    if (FExtract)
        delete FExtract;
    FExtract = new TformExtract(Kind, QuillonView, this);
    FExtract->setAttribute(Qt::WA_DeleteOnClose);
    FExtract->OnExtract = [this](const std::vector<TPointF>& Points, const QString& Caption, bool Replace,
                                 const QString& Name) {
        AddExtractedPoints(Points, Caption, Replace);
        NameSeriesFromLegend(Name);
    };
    // At the picture pane's top right corner, where it hides least of the
    // picture to click on.
    FExtract->adjustSize();
    FExtract->move(ScrollBox->mapToGlobal(QPoint(ScrollBox->width() - FExtract->width() - 24, 8)));
    FExtract->show();
}

void Tmainform::AddExtractedPoints(const std::vector<TPointF>& Points, const QString& Caption, bool Replace)
{
    TQuillonView* v = QuillonView;
    Record(Caption, [&] {
        if (Replace)
            v->ClearSites();
        v->AddSites(Points);
    });
    UpdateCommands();
}

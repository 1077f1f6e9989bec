// Axes found in a picture's pixels: asked for, or offered once a picture
// without a map opens; never applied without the user's word.
#include "formMain.h"

#include "PictureAxes.h"
#include "widgets/CommandGlyph.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QtConcurrent/QtConcurrentRun>

void Tmainform::CreateAxesCommands()
{
    acFindAxes = Command(QStringLiteral("acFindAxes"), QStringLiteral("Find A&xes..."), [this] { acFindAxesExecute(); });
    acFindAxes->setStatusTip(
        QStringLiteral("Finds the chart's axes and reads its tick labels, shown for you to accept"));
    acFindAxes->setIcon(GlyphIcon(TGlyph::FindAxes));
    bAxesOffer = new QPushButton(QStringLiteral("Axes found: accept?"), this);
    bAxesOffer->setObjectName(QStringLiteral("bAxesOffer"));
    bAxesOffer->setFlat(true);
    bAxesOffer->hide();
    statusBar()->addPermanentWidget(bAxesOffer);
    connect(bAxesOffer, &QPushButton::clicked, this, [this] {
        bAxesOffer->hide();
        const TFoundAxes found = FAxesSearch.result();
        ProposeDrawnAxes(found.Axes, QStringLiteral("Find Axes"), found.Frame);
    });
    connect(&FAxesSearch, &QFutureWatcher<TFoundAxes>::finished, this, [this] { OfferFoundAxes(); });
}

void Tmainform::acFindAxesExecute()
{
    const TPixelSource source(QuillonView->Image.DisplaySource());
    if (!source.IsValid())
        return;
    const TRect& r = QuillonView->MappingRect;
    const QRect within = r.Right > r.Left && r.Bottom > r.Top ? QRect(QPoint(r.Left, r.Top), QPoint(r.Right, r.Bottom))
                                                              : QRect();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TFoundAxes found = FindPictureAxes(source, within);
    QApplication::restoreOverrideCursor();
    if (!found.Axes.Problem.isEmpty()) {
        QMessageBox::information(this, QStringLiteral("Find Axes"),
                                 found.Axes.Problem + QStringLiteral(" Drag a rectangle around the chart and try "
                                                                     "again, or calibrate by points."));
        return;
    }
    bAxesOffer->hide();
    ProposeDrawnAxes(found.Axes, QStringLiteral("Find Axes"), found.Frame);
}

void Tmainform::SearchOpenedAxes()
{
    bAxesOffer->hide();
    const TPixelSource source(QuillonView->Image.DisplaySource());
    if (!source.IsValid() || !FDrawing.Paths.empty() || QuillonView->MissingStep().isEmpty())
        return;
    // The search owns its copy of the picture: the window may open another,
    // or close, before it ends.
    FAxesSearch.setFuture(QtConcurrent::run([gray = GrayOf(source)] { return FindGrayAxes(gray); }));
}

void Tmainform::OfferFoundAxes()
{
    // Offered only while the picture still has no map.
    if (FAxesSearch.isCanceled() || !FAxesSearch.result().Axes.Problem.isEmpty() ||
        QuillonView->MissingStep().isEmpty())
        return;
    bAxesOffer->show();
}

// Sites picked out in the picture for fixing by hand.
#include "quillonview.h"

#include <QPainter>

#include <algorithm>

void TQuillonView::SetMarked(const QStringList& Names)
{
    QSet<QString> marked;
    for (const QString& name : Names)
        marked.insert(name.toCaseFolded());
    if (marked == FMarked)
        return;
    FMarked = std::move(marked);
    update();
}

QStringList TQuillonView::SitesWithin(const TPointF& A, const TPointF& B) const
{
    const double left = std::min(A.X, B.X);
    const double right = std::max(A.X, B.X);
    const double top = std::min(A.Y, B.Y);
    const double bottom = std::max(A.Y, B.Y);
    QStringList names;
    for (int i = 0; i < SiteCount(); ++i) {
        const TSiteObject* site = GetSite(i);
        const TPointF p = site->Point();
        if (p.X >= left && p.X <= right && p.Y >= top && p.Y <= bottom)
            names << site->Name;
    }
    return names;
}

void TQuillonView::DrawMarks(QPainter& C, const QRect& Exposed) const
{
    if (FMarked.isEmpty())
        return;
    // A square in the selection's colour round each marked site, wider
    // than the site's own glyph so that the glyph still shows.
    const int half = std::max(6, Settings->Look().PointSize / 2 + 4);
    C.setBrush(Qt::NoBrush);
    C.setPen(QPen(palette().highlight().color(), 2));
    for (int i = 0; i < SiteCount(); ++i) {
        const TSiteObject* site = GetSite(i);
        if (!FMarked.contains(site->Name.toCaseFolded()))
            continue;
        const QPoint p = ScreenPoint(site->Point().X, site->Point().Y);
        const QRect box(p.x() - half, p.y() - half, 2 * half + 1, 2 * half + 1);
        if (Exposed.intersects(box))
            C.drawRect(box);
    }
}

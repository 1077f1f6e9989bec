#include "colourSwatch.h"

#include <QMouseEvent>

QColor ToQColor(TColor c)
{
    return QColor::fromRgb(ColourRgb(c));
}

TColor FromQColor(const QColor& c)
{
    return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

TColourSwatch::TColourSwatch(int size, QWidget* parent)
    : QFrame(parent)
{
    setFixedSize(size, size);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    SetColour(0);
}

void TColourSwatch::SetColour(TColor c)
{
    FColour = c;
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(c));
    setPalette(p);
}

void TColourSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        OnClick();
}

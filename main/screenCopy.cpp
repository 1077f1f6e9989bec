#include "screenCopy.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace {

bool ScreenReadable()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform == u"windows" || platform == u"cocoa";
}

} // namespace

QImage CopyScreenArea(const QRect& area, QWidget* Source)
{
    if (ScreenReadable()) {
        if (QScreen* screen = QGuiApplication::screenAt(area.center())) {
            const QRect local = area.translated(-screen->geometry().topLeft());
            const QPixmap grabbed = screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
            if (!grabbed.isNull())
                return grabbed.toImage();
        }
    }
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRect inside = QRect(Source->mapFromGlobal(area.topLeft()), area.size()).intersected(Source->rect());
    if (!inside.isEmpty()) {
        QPainter painter(&image);
        painter.drawPixmap(Source->mapToGlobal(inside.topLeft()) - area.topLeft(), Source->grab(inside));
    }
    return image;
}

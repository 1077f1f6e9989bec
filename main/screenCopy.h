#pragma once

#include <QImage>
#include <QRect>

class QWidget;

// The pixels of a rectangle of the screen (global coordinates). Where the
// platform lets a program read the screen (X11, Windows, macOS) they come
// from the screen itself; elsewhere (offscreen, Wayland) from Source's own
// rendering of that area. Areas outside what can be read stay white.
QImage CopyScreenArea(const QRect& area, QWidget* Source);

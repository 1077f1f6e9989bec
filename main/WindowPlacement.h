#pragma once

#include <QList>
#include <QRect>

// Where the main window was last, kept in the per-user store under
// "Software\Kestrow\Quillon\Window".
struct TWindowPlacement {
    QRect Geometry;        // the client area; empty when none was kept
    bool Maximized = false;
    QList<int> SplitterSizes;
};

TWindowPlacement ReadWindowPlacement();
// False when the store cannot be written.
bool WriteWindowPlacement(const TWindowPlacement& Placement);

// Geometry moved as little as possible so that its frame (Frame: the
// frame's extra size on each side, the title bar above) lies in Available,
// its top left corner and title bar always; made smaller only where it
// cannot fit: no wider than Available, no taller than Available less the
// frame.
QRect FitToScreen(const QRect& Geometry, const QRect& Available, const QMargins& Frame);

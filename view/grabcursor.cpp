#include "grabcursor.h"

int GrabKind(const TMappingEdges& Edges)
{
    const bool top = Edges.Contains(meTop);
    const bool left = Edges.Contains(meLeft);
    const bool right = Edges.Contains(meRight);
    const bool bottom = Edges.Contains(meBottom);
    if ((left && top) || (right && bottom))
        return 1;
    if ((left && bottom) || (top && right))
        return 2;
    if (top || bottom)
        return 3;
    if (left || right)
        return 4;
    return 0;
}

Qt::CursorShape GrabCursor(int Kind, double Angle)
{
    if (Kind < 1 || Kind > 4)
        return Qt::ArrowCursor;
    // The four shapes in the order they follow each other as the frame turns
    // clockwise by one band.
    static const Qt::CursorShape turn[4] = {Qt::SizeFDiagCursor, Qt::SizeHorCursor, Qt::SizeBDiagCursor,
                                            Qt::SizeVerCursor};
    // Where each kind starts at angle 0: NWSE, NESW, NS, WE.
    static const int start[4] = {0, 2, 3, 1};
    int band = 0;
    for (double limit = 22.25; band < 8 && Angle >= limit; limit += 44.5)
        ++band;
    return turn[(start[Kind - 1] + band) % 4];
}

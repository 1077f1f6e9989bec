// Mouse modes and keys of the view.
#include "quillonview.h"

#include "grabcursor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

#include <cstdlib>

TPressedButton TQuillonView::ButtonFromShift(Qt::MouseButtons Buttons)
{
    if (Buttons & Qt::RightButton)
        return pbRight;
    if (Buttons & Qt::LeftButton)
        return pbLeft;
    return pbNone;
}

bool TQuillonView::PointInMapping(const TPoint& P) const
{
    const QPoint topLeft = ScreenPoint(MappingRect.Left, MappingRect.Top);
    const QPoint bottomRight = ScreenPoint(MappingRect.Right, MappingRect.Bottom);
    return topLeft.x() <= P.X && P.X <= bottomRight.x() && topLeft.y() <= P.Y && P.Y <= bottomRight.y();
}

void TQuillonView::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    const QPoint p = event->position().toPoint();
    if (FPick) {
        if (event->button() == Qt::LeftButton)
            FPick(ClientToImage({p.x(), p.y()}));
        return;
    }
    FSelecting = MouseAction == maClick && event->buttons() == Qt::LeftButton &&
                 (event->modifiers() & Qt::ShiftModifier);
    MouseDown(event->buttons(), p.x(), p.y());
}

void TQuillonView::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    const QPoint p = event->position().toPoint();
    // A release that never reached the view (a fast flick while a handler
    // was busy) must not leave a gesture dragging on without the button.
    // Where the button went up is not known, so a click is not toggled.
    if (PressedButton != pbNone && !(event->buttons() & (Qt::LeftButton | Qt::RightButton))) {
        FDragMoved = FDragMoved || MouseAction == maClick;
        MouseUp(p.x(), p.y());
        return;
    }
    MouseMove(p.x(), p.y());
}

void TQuillonView::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    const QPoint p = event->position().toPoint();
    MouseUp(p.x(), p.y());
}

void TQuillonView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    MouseInside = true;
    setFocus(Qt::MouseFocusReason);
}

void TQuillonView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    MouseInside = false;
}

void TQuillonView::keyPressEvent(QKeyEvent* event)
{
    KeyDown(event->key());
    // The arrows belong to the view: passing them on would also scroll the
    // enclosing scroll area under the pointer.
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Insert:
        event->accept();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TQuillonView::MouseDown(Qt::MouseButtons Buttons, int X, int Y)
{
    PressedButton = ButtonFromShift(Buttons);
    if (PressedButton == pbNone)
        return;
    DownPoint = {X, Y};
    const TRect& r = MappingRect;
    DragCorners = {{r.Left, r.Bottom}, {r.Right, r.Bottom}, {r.Right, r.Top}, {r.Left, r.Top}};
    if (MouseAction == maRubberBand) {
        if (OnBeforeMap)
            OnBeforeMap(this);
        if (GrabEdges.Empty()) {
            SetAngle(0); // a new rubber band starts unturned
            setCursor(Qt::ArrowCursor);
        }
    }
    FDragSite.clear();
    FDragMoved = false;
    if (MouseAction == maClick && PressedButton == pbLeft && !FSelecting) {
        FDragPress = ClickPoint(DownPoint.X, DownPoint.Y);
        if (const TSiteObject* hit = SiteAt(ClientToImage(DownPoint))) {
            FDragSite = hit->Name;
            FDragFrom = hit->Point();
        }
    }
    MovePoint = DownPoint;
    QCoreApplication::processEvents();
}

void TQuillonView::MouseMove(int X, int Y)
{
    const TPoint p = ClientToImage({X, Y});
    MouseImagePoint = p;
    const TPointF exact = ClickPoint(X, Y);
    const bool fine = FineClicks();
    switch (MouseAction) {
    case maRubberBand:
        MouseData = DataOf(exact, fine);
        if (PressedButton == pbLeft) {
            if (GrabEdges.Empty())
                DragRubberBand(X, Y);
            else
                DragEdges(X, Y);
        } else if (PressedButton == pbNone) {
            HitTestMapping(p);
            UpdateGrabCursor();
        }
        break;
    case maClick:
        MouseData = DataOf(exact, fine);
        if (PressedButton == pbLeft && FSelecting) {
            // A few pixels of shake are still a click.
            FDragMoved = FDragMoved || std::abs(X - DownPoint.X) > 2 || std::abs(Y - DownPoint.Y) > 2;
            MovePoint = {X, Y};
            update();
        } else if (PressedButton == pbLeft && !FDragSite.isEmpty()) {
            DragSite(X, Y);
        }
        break;
    case maRotateH:
        if (PressedButton == pbLeft) {
            const double step = Settings->AngleIncrement;
            SetAngle(X > DownPoint.X ? Angle + step : Angle - step);
            DownPoint = {X, Y};
        }
        MouseData = DataOf(exact, fine);
        break;
    case maCalibrate:
        MouseData = DataOf(exact, fine);
        break;
    case maNone:
    case maRotateV:
        return;
    }
    if (OnMouseMove)
        OnMouseMove(this);
}

bool TQuillonView::FineClicks() const
{
    return Settings->SubPixelClicks && Zoom > 1.0f;
}

TPointF TQuillonView::ClickPoint(int X, int Y) const
{
    if (!FineClicks()) {
        const TPoint p = ClientToImage({X, Y});
        return {double(p.X), double(p.Y)};
    }
    return {ThousandthPixel(X / double(Zoom)), ThousandthPixel(Y / double(Zoom))};
}

void TQuillonView::HitTestMapping(const TPoint& P)
{
    GrabEdges = HitTestEdges(P);
}

void TQuillonView::UpdateGrabCursor()
{
    setCursor(GrabCursor(GrabKind(GrabEdges), Angle));
}

void TQuillonView::DragEdges(int X, int Y)
{
    const TPoint q = ConstrainDrag(X, Y, GrabEdges);
    const TPoint p = ClientToImage(q);
    TDragCorners& c = DragCorners;
    const bool top = GrabEdges.Contains(meTop);
    const bool left = GrabEdges.Contains(meLeft);
    const bool right = GrabEdges.Contains(meRight);
    const bool bottom = GrabEdges.Contains(meBottom);
    // Corner drags first square the opposite corner, then move the two edges.
    if (left && top) {
        c.TR.X = c.BR.X;
        c.BL.Y = c.BR.Y;
        c.BL.X = c.TL.X = p.X;
        c.TL.Y = c.TR.Y = p.Y;
    } else if (right && bottom) {
        c.BL.X = c.TL.X;
        c.TR.Y = c.TL.Y;
        c.TR.X = c.BR.X = p.X;
        c.BR.Y = c.BL.Y = p.Y;
    } else if (left && bottom) {
        c.BR.X = c.TR.X;
        c.TL.Y = c.TR.Y;
        c.TL.X = c.BL.X = p.X;
        c.BL.Y = c.BR.Y = p.Y;
    } else if (right && top) {
        c.TL.X = c.BL.X;
        c.BR.Y = c.BL.Y;
        c.TR.X = c.BR.X = p.X;
        c.TR.Y = c.TL.Y = p.Y;
    } else if (top) {
        c.TL.Y = c.TR.Y = p.Y;
    } else if (bottom) {
        c.BL.Y = c.BR.Y = p.Y;
    } else if (left) {
        c.BL.X = c.TL.X = p.X;
    } else if (right) {
        c.BR.X = c.TR.X = p.X;
    }
    update();
}

void TQuillonView::DragSite(int X, int Y)
{
    // The site keeps its offset from the pointer; it moves once the pointer
    // has left the pixel it was pressed on.
    const TPointF p = ClickPoint(X, Y);
    if (p == FDragPress && !FDragMoved)
        return;
    FDragMoved = true;
    if (TSiteObject* site = FSites.Find(FDragSite))
        PlaceSite(*site, FDragFrom.X + p.X - FDragPress.X, FDragFrom.Y + p.Y - FDragPress.Y,
                  site->Exact || FineClicks());
    Paint();
}

void TQuillonView::DragRubberBand(int X, int Y)
{
    MovePoint = ConstrainDrag(X, Y, GrabEdges);
    update();
}

void TQuillonView::MouseUp(int X, int Y)
{
    if (PressedButton == pbNone)
        return;
    switch (MouseAction) {
    case maRubberBand:
        setCursor(Qt::ArrowCursor);
        if (!GrabEdges.Empty()) {
            // Back to image space, then about the new origin corner, so that
            // the turned frame now turns about its new bottom-left corner.
            TDragCorners& c = DragCorners;
            const TPoint a = UnrotatePoint(c.BL);
            const TPoint b = UnrotatePoint(c.BR);
            const TPoint t = UnrotatePoint(c.TR);
            const TPoint d = UnrotatePoint(c.TL);
            c.BL = a;
            c.BR = RotateAbout(b, a);
            c.TR = RotateAbout(t, a);
            c.TL = RotateAbout(d, a);
            ApplyCorners(c.BL, c.BR, c.TR, c.TL, ImageWidth(), ImageHeight());
        } else {
            ApplyRubberBand(DownPoint, MovePoint, ImageWidth(), ImageHeight());
        }
        RemapSites();
        break;
    case maClick:
        // A press and release in place toggles, as ever; a drag has moved,
        // or with Shift picked out the sites it covers.
        if (FSelecting && FDragMoved) {
            if (OnSelectSites)
                OnSelectSites(this, SitesWithin(ClickPoint(DownPoint.X, DownPoint.Y), ClickPoint(X, Y)));
        } else if (!FDragMoved) {
            TogglePosition(ClickPoint(X, Y), FineClicks());
        }
        break;
    case maCalibrate:
        if (PressedButton == pbLeft && OnCalibrationClick)
            OnCalibrationClick(this, ClickPoint(X, Y), CalibrationPointAt(ClientToImage({X, Y})));
        break;
    case maNone:
        if (PressedButton == pbLeft && OnSelectSites)
            if (const TSiteObject* hit = SiteAt(ClientToImage({X, Y})))
                OnSelectSites(this, {hit->Name});
        break;
    default:
        break;
    }
    FSelecting = false;
    PressedButton = pbNone;
    FDragSite.clear();
    FDragMoved = false;
    if (FRemapPending)
        RemapSites();
    Paint();
    if (OnGestureEnd)
        OnGestureEnd(this);
}

void TQuillonView::KeyDown(int Key)
{
    if (!MouseInside)
        return;
    const QPoint global = QCursor::pos();
    const QPoint local = mapFromGlobal(global);
    const TPoint p{local.x(), local.y()};
    const QPoint topLeft = ScreenPoint(MappingRect.Left, MappingRect.Top);
    const QPoint bottomRight = ScreenPoint(MappingRect.Right, MappingRect.Bottom);
    const bool inside = PointInMapping(p);
    QPoint step;
    switch (Key) {
    case Qt::Key_Left:
        if (inside && p.X > topLeft.x())
            step = {-1, 0};
        break;
    case Qt::Key_Up:
        if (inside && p.Y > topLeft.y())
            step = {0, -1};
        break;
    case Qt::Key_Right:
        if (inside && p.X < bottomRight.x())
            step = {1, 0};
        break;
    case Qt::Key_Down:
        if (inside && p.Y < bottomRight.y())
            step = {0, 1};
        break;
    case Qt::Key_Insert:
        if (MouseAction == maClick) {
            PressedButton = pbLeft;
            MouseUp(p.X, p.Y);
        }
        break;
    default:
        break;
    }
    if (!step.isNull()) {
        MouseMove(p.X + step.x(), p.Y + step.y());
        QCursor::setPos(global + step);
    }
    QCoreApplication::processEvents();
}

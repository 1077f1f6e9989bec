#pragma once

#include "image/FreeBitmap.h"
#include "quillonviewsettings.h"
#include "sitelist.h"
#include "document/JobDocument.h"
#include "document/Series.h"
#include "document/SeriesLook.h"
#include "document/viewmapping.h"
#include "viewsnapshot.h"

#include <QImage>
#include <QLineF>
#include <QSet>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

enum TMouseAction : std::uint8_t { maRubberBand, maClick, maNone, maRotateH, maRotateV, maCalibrate };

enum TPressedButton : std::uint8_t { pbLeft, pbRight, pbNone };

// The plotting area's corners during an edge or corner drag, image pixels in
// the turned frame.
struct TDragCorners {
    TPoint BL, BR, TR, TL;
};

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TQuillonModSiteEvent =
    std::function<void(QObject* Sender, const QString& sName, const TPointF& sPt, bool bMapping, double dX, double dY)>;
using TQuillonDeleteSiteEvent = std::function<void(QObject* Sender, const QString& sName)>;
using TQuillonZoomEvent = std::function<void(QObject* Sender, float dZoom)>;
using TQuillonSelectSitesEvent = std::function<void(QObject* Sender, const QStringList& Names)>;
// A click in Calibrate mode at image position At, on calibration point Index
// or, for -1, on none.
using TQuillonCalibrationClickEvent = std::function<void(QObject* Sender, const TPointF& At, int Index)>;

// The digitising view: the picture at a zoom factor, the plotting-area mapping
// (inherited from TViewMapping), the sites and the drawing settings. It never
// calls its owner; every change is reported through the events below, each
// raised only when set. Its size is the image's times Zoom; it paints only
// what is exposed, so memory does not grow with the zoom.
struct TPolarMap;

class TQuillonView : public QWidget, public TViewMapping {
    Q_OBJECT

public:
    explicit TQuillonView(QWidget* parent = nullptr);
    ~TQuillonView() override;

    // The zoom range of the View menu; SetZoom keeps to it.
    // A 12000 x 9000 scan fits a screen at a sixteenth.
    static constexpr float MinZoom = 0.0625f;
    static constexpr float MaxZoom = 5.0f;

    // Mapping. Every change of the mapping in force remaps the sites, so
    // that what the owner shows always equals PixelToData; during a mouse
    // gesture that happens once, when it ends.
    void SetMappingRect(const TRect& R);
    void SetAxisValues(double XLeft, double YTop, double XRight, double YBottom);
    void SetAngle(double Value);
    // The axis kinds, with the sites remapped when either changes.
    void SetAxisKinds(TAxisMapping X, TAxisMapping Y);
    void SetAxisUnits(TAxisUnit X, TAxisUnit Y);
    // The calibration points and the map in force, with the sites remapped.
    void SetCalibration(const TCalibration& Value);
    // The calibration point within reach of image point P, or -1.
    int CalibrationPointAt(const TPoint& P) const;
    // Clamped to MinZoom..MaxZoom; a value that is not a positive number is
    // ignored.
    void SetZoom(float Value);
    void ResetMapping();
    void SetFullBoundingBox();
    int ImageWidth() const { return Image.GetWidth(); }
    int ImageHeight() const { return Image.GetHeight(); }

    void SetMouseAction(TMouseAction Value);
    TMouseAction GetMouseAction() const { return MouseAction; }

    // The job whose current series the sites are, and whose mapping in force
    // is the view's from now on (the view's mapping stays as it is); null
    // for a job of the view's own. Job must outlive the view or be let go.
    void SetJob(TJobDocument* Job);
    // The job's series changed other than through the view (replaced,
    // added, taken or another chosen): the sites are its current series from
    // now on, and the owner is told as after a sort.
    void SeriesChanged();

    // Sites
    int SiteCount() const { return FSites.Count(); }
    // Null outside 0..SiteCount - 1.
    TSiteObject* GetSite(int Index) const;
    TSiteObject* Sites(int Index) const { return GetSite(Index); }
    TSiteObject* SiteAt(const TPoint& P) const;
    void AddSite(const QString& Name, double X, double Y);
    // New sites at found Points (exact), in order, named as clicks name them;
    // one repaint.
    void AddSites(const std::vector<TPointF>& Points);
    // Many AddSite calls in one, with one repaint.
    void AddNamedSites(const std::vector<TSeriesPoint>& Points);
    void DeleteSite(const QString& Name);
    // DeleteSite for many at once, in time linear in the sites held; one
    // OnDeleteSite a site, the last in list order first; one repaint.
    void DeleteSites(const QStringList& Names);
    void ClearSites();
    // Raises EConvertError, leaving the order as it was, when sorting by "N"
    // meets a name that is not an integer.
    void SortSites(const QString& Column, bool Descending);
    void UpdateSiteData();
    void RemapSites();
    QString NextSiteName() const;
    // A click in Digitise mode at image point P: removes the site there, or
    // adds a new one when there is none.
    void ToggleSite(const TPoint& P);
    // The image position a click at client (X, Y) stands for: the pixel
    // shown there or, with sub-pixel clicks above 100 %, the exact position
    // under that screen pixel.
    TPointF ClickPoint(int X, int Y) const;
    // Whether clicks now stand for exact positions rather than pixels.
    bool FineClicks() const;
    // Moves the named sites by (DX, DY) image pixels, each kept inside the
    // picture; one OnModSite a site moved.
    void MoveSites(const QStringList& Names, int DX, int DY);

    // The job's other series, drawn under the sites in their own looks;
    // clicks never reach them.
    struct TSeriesShape {
        TSeriesLook Look;
        std::vector<TPointF> Points;
    };
    void SetOtherSeries(std::vector<TSeriesShape> Shapes);
    // Draws the grid of the mapping in force over the picture, at round
    // values of each axis, to be checked against the chart's own grid.
    void SetCalibrationGrid(bool On);
    bool CalibrationGrid() const { return FCalibrationGrid; }

    // While Pick is set, a left click tells it the picture pixel under the
    // pointer and does nothing else; the cursor is a cross meanwhile.
    void SetPicking(std::function<void(const TPoint&)> Pick);
    bool Picking() const { return bool(FPick); }
    // Mask, one bit a picture pixel, shown over the picture in Colour; a
    // null mask shows nothing.
    void SetHighlight(QImage Mask, const QColor& Colour);
    const QImage& Highlight() const { return FHighlight; }

    // The points and the mapping, whole, and back again: the sites come
    // back with their names, pixels and order, the owner is told as after
    // a sort, and the mapping in force is the one restored.
    TViewSnapshot Snapshot() const;
    void Restore(const TViewSnapshot& State);
    // Puts Points over the sites from the From-th on, in order and by
    // position, each with its OnModSite: a move undone.
    void PutSites(int From, const std::vector<TSeriesPoint>& Points);

    // Image
    void FlipHorizontal();
    void FlipVertical();
    void InvertImage();

    // Sizes the view to the image times Zoom and asks for a repaint.
    void Paint();

    // Mouse and keys, in client pixels. The Qt event handlers forward here;
    // the arrow keys call MouseMove like a real pointer move.
    void MouseDown(Qt::MouseButtons Buttons, int X, int Y);
    void MouseMove(int X, int Y);
    void MouseUp(int X, int Y);
    void KeyDown(int Key);
    static TPressedButton ButtonFromShift(Qt::MouseButtons Buttons);
    // The Digitise cursor: a 32 x 32 cross with its hot spot at (16, 15).
    static QCursor TargetCursor();
    bool PointInMapping(const TPoint& P) const;

    TPressedButton PressedButton = pbNone;
    TPoint DownPoint;
    TPoint MovePoint;
    TDragCorners DragCorners;
    TMappingEdges GrabEdges;
    bool MouseInside = false;
    // The image pixel under the pointer at its last move.
    TPoint MouseImagePoint;

    TFreeWinBitmap Image;
    std::unique_ptr<TQuillonViewSettings> Settings;
    int SelectTolerance = 4;
    // Not-a-number for both values while the rectangle is not valid.
    TDataPoint MouseData = NoData();

    TQuillonModSiteEvent OnAddSite;
    TQuillonModSiteEvent OnModSite;
    TQuillonDeleteSiteEvent OnDeleteSite;
    TNotifyEvent OnClearSites;
    TNotifyEvent OnBeforeMap;
    TNotifyEvent OnAfterMap;
    TQuillonZoomEvent OnZoom;
    TNotifyEvent OnMouseMove;
    // A press of the mouse (or Insert) has ended: whatever it changed is done.
    TNotifyEvent OnGestureEnd;
    // Around a run of site events that one call raises for many sites, so
    // that the owner can take them as one change.
    TNotifyEvent OnBeginUpdate;
    TNotifyEvent OnEndUpdate;
    // The sites the user picked out in the picture for fixing by hand: a
    // rectangle dragged with Shift in Digitise mode, or a click on a site
    // in View mode.
    TQuillonSelectSitesEvent OnSelectSites;
    TQuillonCalibrationClickEvent OnCalibrationClick;

    // The sites shown marked, as the rows selected in the owner's list.
    void SetMarked(const QStringList& Names);
    // The names of the sites within the picture rectangle from A to B.
    QStringList SitesWithin(const TPointF& A, const TPointF& B) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void HitTestMapping(const TPoint& P);
    void UpdateGrabCursor();
    void DragEdges(int X, int Y);
    void DragRubberBand(int X, int Y);
    void DragSite(int X, int Y);
    void PlaceSite(TSiteObject& Site, double X, double Y, bool Exact);
    void TogglePosition(const TPointF& P, bool Exact);
    // A new site at the end of the list, the owner told.
    void AppendSite(const TSeriesPoint& Point);
    // Whether a site has exactly Name: what a new point's number must not be.
    bool NameTaken(const QString& Name) const;

    void DrawMapping(QPainter& C) const;
    void DrawHighlight(QPainter& C, const QRect& Exposed);
    void DrawRotateMark(QPainter& C) const;
    void DrawCalibrationGrid(QPainter& C) const;
    void DrawCalibrationPoints(QPainter& C) const;
    void DrawGridLines(QPainter& C, const std::vector<QLineF>& Lines) const;
    void DrawPolarGrid(QPainter& C, const TPolarMap& Map) const;
    void DrawSeries(QPainter& C, const QRect& Exposed, const TSeriesLook& Look,
                    const std::vector<TPointF>& Points) const;
    void DrawSites(QPainter& C, const QRect& Exposed, const TSeriesLook& Look,
                   const std::vector<TPointF>& Points) const;
    void DrawSite(QPainter& C, const QPoint& P, const TSeriesLook& Look) const;
    void DrawSiteLine(QPainter& C, const QRect& Exposed, const TSeriesLook& Look,
                      const std::vector<TPointF>& Points) const;
    void DrawRubberBand(QPainter& C, const TPoint& A, const TPoint& B) const;
    void DrawMarks(QPainter& C, const QRect& Exposed) const;
    void DrawDragFrame(QPainter& C) const;
    void DrawDragOutline(QPainter& C, const std::array<QPoint, 4>& Corners) const;
    QPoint ScreenPoint(double X, double Y) const;

    void MappingChanged();
    static TDataPoint NoData();
    // PixelToData of P, or not-a-number for both values while the rectangle
    // is not valid.
    TDataPoint DataOf(const TPointF& P, bool Exact) const;
    TDataPoint DataOf(const TSiteObject& Site) const { return DataOf(Site.Point(), Site.Exact); }
    void RaiseAddSite(const TSiteObject& Site);
    void RaiseModSite(const TSiteObject& Site);
    // The owner's list made again: cleared, then every site in order.
    void RaiseAllSites();

    // Raises OnBeginUpdate now and OnEndUpdate when it goes.
    class TEventRun {
    public:
        explicit TEventRun(TQuillonView& View);
        ~TEventRun();
        TEventRun(const TEventRun&) = delete;
        TEventRun& operator=(const TEventRun&) = delete;

    private:
        TQuillonView& FView;
    };

    TMouseAction MouseAction = maRubberBand;
    TJobDocument FOwnJob;
    TJobDocument* FJob = &FOwnJob;
    TSiteList FSites{FOwnJob};
    std::vector<TSeriesShape> FOtherSeries;
    bool FCalibrationGrid = false;
    std::function<void(const TPoint&)> FPick;
    QImage FHighlight;
    QColor FHighlightColour;
    QImage FHighlightBuffer; // the exposed part, reused between paints
    // The mapping changed during a gesture and the sites still show the old one.
    bool FRemapPending = false;
    // A press on a site in Digitise mode: which site, where it was, and
    // whether it has moved since (then the release does not toggle it).
    QString FDragSite;
    TPointF FDragFrom;
    TPointF FDragPress;
    bool FDragMoved = false;
    // A drag with Shift in Digitise mode picks out the sites it covers.
    bool FSelecting = false;
    QSet<QString> FMarked;
};

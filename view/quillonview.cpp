#include "quillonview.h"

#include "image/canvasutils.h"
#include "platform/Conversions.h"
#include "sitecomparers.h"

#include <QBitmap>

#include <algorithm>
#include <optional>
#include <cmath>
#include <limits>

QCursor TQuillonView::TargetCursor()
{
    return QCursor(QBitmap(QStringLiteral(":/cursors/target.pbm")),
                   QBitmap(QStringLiteral(":/cursors/target_mask.pbm")), 16, 15);
}

TQuillonView::TQuillonView(QWidget* parent)
    : QWidget(parent)
    , Settings(std::make_unique<TQuillonViewSettings>())
{
    FOwnJob.MapThrough(*this);
    // Every exposed pixel is painted, so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

TQuillonView::~TQuillonView()
{
    ClearSites();
}

void TQuillonView::Paint()
{
    QSize size = this->size();
    if (ImageWidth() > 0)
        size.setWidth(RoundEven(ImageWidth() * double(Zoom)));
    if (ImageHeight() > 0)
        size.setHeight(RoundEven(ImageHeight() * double(Zoom)));
    if (size != this->size())
        resize(size);
    update();
}

void TQuillonView::SetMappingRect(const TRect& R)
{
    const bool changed = !(R == MappingRect);
    MappingRect = R;
    if (changed)
        MappingChanged();
    Paint();
}

void TQuillonView::MappingChanged()
{
    // Inside a gesture the mouse-up remaps once, at its end.
    if (PressedButton == pbNone)
        RemapSites();
    else
        FRemapPending = true;
}

void TQuillonView::SetAxisValues(double XLeft, double YTop, double XRight, double YBottom)
{
    XLeftValue = XLeft;
    YTopValue = YTop;
    XRightValue = XRight;
    YBottomValue = YBottom;
    RemapSites();
}

void TQuillonView::SetAngle(double Value)
{
    const bool changed = Value != Angle;
    Angle = Value;
    if (changed)
        MappingChanged();
    Paint();
}

void TQuillonView::SetAxisKinds(TAxisMapping X, TAxisMapping Y)
{
    if (X == AxisXMap && Y == AxisYMap)
        return;
    AxisXMap = X;
    AxisYMap = Y;
    RemapSites();
}

void TQuillonView::SetZoom(float Value)
{
    // A zoom that is not a positive number would collapse the view and make
    // every click store a nonsense pixel.
    if (!(Value > 0) || !std::isfinite(Value))
        return;
    Value = std::clamp(Value, MinZoom, MaxZoom);
    Zoom = Value;
    if (OnZoom)
        OnZoom(this, Value);
    Paint();
}

void TQuillonView::ResetMapping()
{
    MappingRect = TRect{};
    MouseData = NoData();
    SetAxisValues(0, 0, 0, 0);
}

void TQuillonView::SetFullBoundingBox()
{
    SetMappingRect({0, 0, ImageWidth() - 1, ImageHeight() - 1});
    SetMouseAction(maRubberBand);
}

void TQuillonView::SetMouseAction(TMouseAction Value)
{
    MouseAction = Value;
    if (FPick) {
        setCursor(Qt::CrossCursor);
        Paint();
        return;
    }
    switch (Value) {
    case maClick:
    case maCalibrate:
        setCursor(TargetCursor());
        break;
    case maRotateH:
        setCursor(Qt::SizeHorCursor);
        break;
    case maRotateV:
        setCursor(Qt::SizeVerCursor);
        break;
    default:
        setCursor(Qt::ArrowCursor);
    }
    Paint();
}

void TQuillonView::SetJob(TJobDocument* Job)
{
    TJobDocument* job = Job ? Job : &FOwnJob;
    if (job == FJob)
        return;
    FJob->MapOwn();
    FJob = job;
    FJob->MapThrough(*this);
    SeriesChanged();
}

void TQuillonView::SeriesChanged()
{
    FSites.Bind(*FJob);
    RaiseAllSites();
    Paint();
}

TSiteObject* TQuillonView::GetSite(int Index) const
{
    return Index >= 0 && Index < SiteCount() ? FSites.At(Index) : nullptr;
}

TSiteObject* TQuillonView::SiteAt(const TPoint& P) const
{
    for (int i = 0; i < SiteCount(); ++i) {
        TSiteObject* site = FSites.At(i);
        if (PointDistance({RoundEven(site->X), RoundEven(site->Y)}, P) < SelectTolerance)
            return site;
    }
    return nullptr;
}

TDataPoint TQuillonView::NoData()
{
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    return {none, none};
}

TDataPoint TQuillonView::DataOf(const TPointF& P, bool Exact) const
{
    TDataPoint d = NoData();
    PixelToData(P, d, Exact);
    return d;
}

void TQuillonView::RaiseAddSite(const TSiteObject& Site)
{
    if (!OnAddSite)
        return;
    const TDataPoint d = DataOf(Site);
    OnAddSite(this, Site.Name, Site.Point(), true, d.X, d.Y);
}

void TQuillonView::RaiseModSite(const TSiteObject& Site)
{
    if (!OnModSite)
        return;
    const TDataPoint d = DataOf(Site);
    OnModSite(this, Site.Name, Site.Point(), true, d.X, d.Y);
}

TQuillonView::TEventRun::TEventRun(TQuillonView& View) : FView(View)
{
    if (FView.OnBeginUpdate)
        FView.OnBeginUpdate(&FView);
}

TQuillonView::TEventRun::~TEventRun()
{
    if (FView.OnEndUpdate)
        FView.OnEndUpdate(&FView);
}

void TQuillonView::RaiseAllSites()
{
    const TEventRun run(*this);
    if (OnClearSites)
        OnClearSites(this);
    for (int i = 0; i < SiteCount(); ++i)
        RaiseAddSite(*FSites.At(i));
}

void TQuillonView::AppendSite(const TSeriesPoint& Point)
{
    TSiteObject site = Point;
    site.SetPoint(Point.X, Point.Y);
    RaiseAddSite(FSites.Append(std::move(site)));
}

bool TQuillonView::NameTaken(const QString& Name) const
{
    const TSiteObject* site = FSites.Find(Name);
    return site && site->Name == Name;
}

void TQuillonView::AddSite(const QString& Name, double X, double Y)
{
    if (!FSites.Find(Name))
        AppendSite({Name, X, Y});
    Paint();
}

void TQuillonView::AddSites(const std::vector<TPointF>& Points)
{
    const TEventRun run(*this);
    int n = 0;
    for (const TPointF& p : Points) {
        // Each name taken is the smallest free one, so the next is past it.
        n = FreePointNumber(n + 1, [this](const QString& name) { return NameTaken(name); });
        AppendSite({QString::number(n), p.X, p.Y, true});
    }
    Paint();
}

void TQuillonView::AddNamedSites(const std::vector<TSeriesPoint>& Points)
{
    const TEventRun run(*this);
    for (const TSeriesPoint& p : Points)
        if (!FSites.Find(p.Name))
            AppendSite(p);
    Paint();
}

void TQuillonView::DeleteSite(const QString& Name)
{
    TSiteObject* site = FSites.Find(Name);
    if (!site)
        return;
    const QString name = site->Name;
    FSites.Take(FSites.IndexOf(site));
    if (OnDeleteSite)
        OnDeleteSite(this, name);
    Paint();
}

void TQuillonView::DeleteSites(const QStringList& Names)
{
    const TEventRun run(*this);
    const std::vector<TSiteObject> taken = FSites.TakeNamed(Names);
    // Last first: a list that renumbers the rows after each one taken then
    // has none to renumber when all go.
    if (OnDeleteSite)
        for (auto site = taken.rbegin(); site != taken.rend(); ++site)
            OnDeleteSite(this, site->Name);
    Paint();
}

void TQuillonView::ClearSites()
{
    FSites.Clear();
    if (OnClearSites)
        OnClearSites(this);
}

QString TQuillonView::NextSiteName() const
{
    return QString::number(FreePointNumber(1, [this](const QString& name) { return NameTaken(name); }));
}

void TQuillonView::ToggleSite(const TPoint& P)
{
    TogglePosition({double(P.X), double(P.Y)}, false);
}

void TQuillonView::TogglePosition(const TPointF& P, bool Exact)
{
    if (TSiteObject* hit = SiteAt({RoundEven(P.X), RoundEven(P.Y)})) {
        const QString name = hit->Name;
        FSites.Take(FSites.IndexOf(hit));
        if (OnDeleteSite)
            OnDeleteSite(this, name);
        return;
    }
    AppendSite({NextSiteName(), P.X, P.Y, Exact});
}

void TQuillonView::PlaceSite(TSiteObject& Site, double X, double Y, bool Exact)
{
    if (ImageWidth() > 0 && ImageHeight() > 0) {
        X = std::clamp(X, 0.0, ImageWidth() - 1.0);
        Y = std::clamp(Y, 0.0, ImageHeight() - 1.0);
    }
    if (Site.X == X && Site.Y == Y)
        return;
    Site.SetPoint(X, Y);
    Site.Exact = Exact;
    RaiseModSite(Site);
}

void TQuillonView::MoveSites(const QStringList& Names, int DX, int DY)
{
    for (const QString& name : Names)
        if (TSiteObject* site = FSites.Find(name))
            PlaceSite(*site, site->X + DX, site->Y + DY, site->Exact);
    Paint();
}

void TQuillonView::SetOtherSeries(std::vector<TSeriesShape> Shapes)
{
    FOtherSeries = std::move(Shapes);
    update();
}

void TQuillonView::SetAxisUnits(TAxisUnit X, TAxisUnit Y)
{
    if (X == XUnit && Y == YUnit)
        return;
    XUnit = X;
    YUnit = Y;
    RemapSites();
}

void TQuillonView::SetCalibration(const TCalibration& Value)
{
    if (Value == Calibration)
        return;
    Calibration = Value;
    RemapSites();
    Paint();
}

int TQuillonView::CalibrationPointAt(const TPoint& P) const
{
    const std::vector<TCalibrationPoint>& points = Calibration.Points;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (PointDistance({RoundEven(points[i].Pixel.X), RoundEven(points[i].Pixel.Y)}, P) < SelectTolerance)
            return int(i);
    return -1;
}

void TQuillonView::SetCalibrationGrid(bool On)
{
    FCalibrationGrid = On;
    update();
}

void TQuillonView::SetPicking(std::function<void(const TPoint&)> Pick)
{
    FPick = std::move(Pick);
    SetMouseAction(MouseAction);
}

void TQuillonView::SetHighlight(QImage Mask, const QColor& Colour)
{
    FHighlight = std::move(Mask);
    FHighlightColour = Colour;
    FHighlightBuffer = QImage();
    update();
}

TViewSnapshot TQuillonView::Snapshot() const
{
    return SnapshotOf(*this, FJob->CurrentSeries().Points);
}

void TQuillonView::Restore(const TViewSnapshot& State)
{
    static_cast<TMapping&>(*this) = State.Mapping;
    FSites.Assign(State.Points);
    FRemapPending = false;
    if (OnAfterMap)
        OnAfterMap(this);
    RaiseAllSites();
    Paint();
}

void TQuillonView::PutSites(int From, const std::vector<TSeriesPoint>& Points)
{
    std::optional<TEventRun> run;
    if (Points.size() > 1)
        run.emplace(*this);
    for (std::size_t i = 0; i < Points.size(); ++i) {
        TSiteObject& site = *FSites.At(From + int(i));
        site = Points[i];
        RaiseModSite(site);
    }
    Paint();
}

void TQuillonView::UpdateSiteData()
{
    for (int i = 0; i < SiteCount(); ++i) {
        TSiteObject* site = FSites.At(i);
        const TDataPoint d = DataOf(*site);
        site->DataX = d.X;
        site->DataY = d.Y;
    }
}

void TQuillonView::SortSites(const QString& Column, bool Descending)
{
    UpdateSiteData();
    if (const TSiteComparer compare = SiteComparer(Column, Descending)) {
        // Check every name before moving anything, so that a bad one leaves
        // the list as it was.
        if (compare == CompareNumberAsc || compare == CompareNumberDesc)
            for (int i = 0; i < SiteCount(); ++i)
                StrToInt(FSites.At(i)->Name);
        FSites.Sort(compare);
    }
    RaiseAllSites();
    Paint();
}

void TQuillonView::RemapSites()
{
    FRemapPending = false;
    if (OnAfterMap)
        OnAfterMap(this);
    if (!OnModSite)
        return;
    const TEventRun run(*this);
    for (int i = 0; i < SiteCount(); ++i)
        RaiseModSite(*FSites.At(i));
}

void TQuillonView::FlipHorizontal()
{
    Image.FlipHorizontal();
    update();
}

void TQuillonView::FlipVertical()
{
    Image.FlipVertical();
    update();
}

void TQuillonView::InvertImage()
{
    Image.Invert();
    update();
}

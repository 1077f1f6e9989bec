// The main window's layout and the handlers that keep the data list and the
// status bar in step with the view.
#include "formMain.h"

#include "DrawingFile.h"

#include "ProgramData.h"
#include "StandardErrorBox.h"
#include "fileDialogs.h"
#include "formAbout.h"
#include "document/PixelText.h"
#include "image/FreeUtils.h"
#include "platform/CoordinateText.h"

#include "screenCopy.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QSlider>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>


Tmainform::Tmainform(QWidget* parent)
    : QMainWindow(parent)
    , FHelpFile(ProgramDataFile(QCoreApplication::applicationFilePath(), QStringLiteral("quillon.chm")))
{
    setWindowIcon(QIcon(QStringLiteral(":/glyphs/quillon.png")));
    CreateLayout();
    CreateCommands();
    CreateUndo();
    CreateMenus();
    WireView();
    NameWidgets();

    KSTipOfDay.RegPath = QStringLiteral("Software\\Kestrow\\Quillon");
    KSTipOfDay.SetTips({QStringLiteral("You can visit ") + TfrmAbout::WebAddress() + QStringLiteral(" for updates."),
                        QStringLiteral("You can scan an image directly from a TWAIN source from the File Menu "
                                       "(Aquire Image...)"),
                        QStringLiteral("You can show a small zoom preview panel from the View Menu (Zoom Preview)"),
                        QStringLiteral("When digitising from a scan note a higher resolution image at full screen "
                                       "will give better results.")});
    KSTipOfDay.Loaded();

    FerroTwain.TransferMode = ttmFile;
    FerroTwain.Info.SetMajorVersion(1);
    FerroTwain.Info.SetMinorVersion(0);
    FerroTwain.Info.SetLanguage(tlUserLocale);
    FerroTwain.Info.SetCountryCode(64);
    FerroTwain.Info.SetGroups((1 << tgControl) | (1 << tgImage));
    FerroTwain.Info.SetVersionInfo(QStringLiteral("Quillon"));
    FerroTwain.Info.SetManufacturer(QStringLiteral("Kestrow"));
    FerroTwain.Info.SetProductFamily(QStringLiteral("Quillon"));
    FerroTwain.Info.SetProductName(QStringLiteral("Quillon"));
    FerroTwain.OnSourceSetupFileXfer = [this](void* sender, int index) {
        RunGuarded(this, [&] { FerroTwainSourceSetupFileXfer(sender, index); });
    };
    FerroTwain.OnSourceFileTransfer = [this](void* sender, int index, const TW_STR255& name, TTwainFormat format,
                                             bool& cancel) {
        RunGuarded(this, [&] { FerroTwainSourceFileTransfer(sender, index, name, format, cancel); });
    };
    FerroTwain.OnAcquireError = [this](void* sender, int index, int code, int condition) {
        RunGuarded(this, [&] { FerroTwainAcquireError(sender, index, code, condition); });
    };

    // FormCreate
    OpenPictureFilterText = QtFileFilter(WithDrawings(ReadablePictureFilter()));

    RestorePlacement();
    setAcceptDrops(true);
    ListView->installEventFilter(this);
    QuillonView->installEventFilter(this);
    // Paste follows the clipboard and the focus, also for its shortcut.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdateCommands(); });
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateCommands(); });
    UpdateCommands();
}

void Tmainform::CreateLayout()
{
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    layout->addWidget(Splitter1);

    pnlData = new QFrame(Splitter1);
    pnlData->setFrameShape(QFrame::Panel);
    pnlData->setFrameShadow(QFrame::Sunken);
    auto* data = new QVBoxLayout(pnlData);
    data->setContentsMargins(1, 1, 1, 1);
    data->setSpacing(0);
    pnlSeriesName = new QLabel(QStringLiteral("Digitized Data"), pnlData);
    pnlSeriesName->setAlignment(Qt::AlignCenter);
    pnlSeriesName->setMinimumHeight(16);
    pnlSeriesName->setAutoFillBackground(true);
    QPalette strip = pnlSeriesName->palette();
    strip.setColor(QPalette::Window, QColor(166, 202, 240));
    strip.setColor(QPalette::WindowText, Qt::black);
    pnlSeriesName->setPalette(strip);
    data->addWidget(pnlSeriesName);
    // What to do next, over the list it fills; wrapped, never cut short.
    pnlNextStep = new QLabel(pnlData);
    pnlNextStep->setWordWrap(true);
    pnlNextStep->setMargin(4);
    pnlNextStep->setFrameShape(QFrame::StyledPanel);
    data->addWidget(pnlNextStep);

    ListModel = new TDataListModel;
    ListModel->setParent(this);
    ListView = new QTableView(pnlData);
    ListView->setModel(ListModel);
    ListView->setShowGrid(true);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView->verticalHeader()->hide();
    ListView->verticalHeader()->setDefaultSectionSize(ListView->fontMetrics().height() + 4);
    // Columns fit their texts, measured on the visible rows only so that it
    // stays cheap with thousands of points, once per burst of changes.
    ListView->horizontalHeader()->setResizeContentsPrecision(0);
    ListView->horizontalHeader()->setSectionsClickable(true);
    FitColumns.setSingleShot(true);
    FitColumns.setInterval(0);
    connect(&FitColumns, &QTimer::timeout, ListView, &QTableView::resizeColumnsToContents);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(ListModel, signal, &FitColumns, qOverload<>(&QTimer::start));
    connect(ListModel, &QAbstractItemModel::dataChanged, &FitColumns, qOverload<>(&QTimer::start));
    connect(ListModel, &QAbstractItemModel::modelReset, &FitColumns, qOverload<>(&QTimer::start));
    ListView->resizeColumnsToContents();
    // The selection stays visible when the list loses the focus.
    QPalette list = ListView->palette();
    list.setColor(QPalette::Inactive, QPalette::Highlight, list.color(QPalette::Active, QPalette::Highlight));
    list.setColor(QPalette::Inactive, QPalette::HighlightedText,
                  list.color(QPalette::Active, QPalette::HighlightedText));
    ListView->setPalette(list);
    data->addWidget(ListView);
    pnlZoom = CreateZoomPreview(pnlData);
    data->addWidget(pnlZoom);
    connect(ListView->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { RunGuarded(this, [&] { ListViewColumnClick(column); }); });
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        UpdateCommands();
        QuillonView->SetMarked(SelectedNames());
    });
    connect(ListModel, &QAbstractItemModel::modelReset, this, [this] { UpdateListCommands(); });
    connect(ListModel, &QAbstractItemModel::rowsInserted, this, [this] { UpdateListCommands(); });
    connect(ListModel, &QAbstractItemModel::rowsRemoved, this, [this] { UpdateListCommands(); });

    ScrollBox = new QScrollArea(Splitter1);
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setBackgroundRole(QPalette::Button);
    QuillonView = new TQuillonView;
    QuillonView->resize(100, 0);
    ScrollBox->setWidget(QuillonView);
    // An empty window says how to start, over the pane the picture fills.
    lblStart = new QLabel(QStringLiteral("Open a chart to digitise:\n\nFile > Load Image From File... (Ctrl+O)\n"
                                         "Edit > Paste a copied picture (Ctrl+V)\n"
                                         "or drop a picture or a session file here"),
                          ScrollBox->viewport());
    lblStart->setAlignment(Qt::AlignCenter);
    lblStart->setWordWrap(true);
    lblStart->setForegroundRole(QPalette::PlaceholderText);
    lblStart->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblStart->raise();
    ScrollBox->viewport()->installEventFilter(this);

    Splitter1->addWidget(pnlData);
    Splitter1->addWidget(ScrollBox);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({222, 578});
    setCentralWidget(central);

    const QString texts[5] = {QStringLiteral("X: "), QStringLiteral("Y:"), QStringLiteral("X Pixel:"),
                              QStringLiteral("Y Pixel:"), QStringLiteral("Zoom:")};
    const int widths[5] = {100, 100, 100, 100, 50};
    for (int i = 0; i < 5; ++i) {
        StatusPanels[i] = new QLabel(texts[i], this);
        StatusPanels[i]->setMinimumWidth(widths[i]);
        StatusPanels[i]->setFrameShape(QFrame::Panel);
        StatusPanels[i]->setFrameShadow(QFrame::Sunken);
        statusBar()->addWidget(StatusPanels[i], i == 4 ? 1 : 0);
    }
    pnlPointer = new QLabel(this);
    pnlPointer->setMinimumWidth(180);
    pnlPointer->setFrameShape(QFrame::Panel);
    pnlPointer->setFrameShadow(QFrame::Sunken);
    statusBar()->addWidget(pnlPointer);
}

Tmainform::~Tmainform()
{
    // Hiding the window moves the focus: no UpdateCommands on a window that
    // is half gone.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
    // Nor when the undo history, a member, is cleared on its way out.
    disconnect(&UndoStack, nullptr, this, nullptr);
    // The view outlives this window's members (Qt deletes it with the
    // children), and its destructor still raises OnClearSites.
    TQuillonView* v = QuillonView;
    v->OnAddSite = nullptr;
    v->OnModSite = nullptr;
    v->OnDeleteSite = nullptr;
    v->OnClearSites = nullptr;
    v->OnBeforeMap = nullptr;
    v->OnAfterMap = nullptr;
    v->OnZoom = nullptr;
    v->OnMouseMove = nullptr;
    v->OnGestureEnd = nullptr;
    v->OnSelectSites = nullptr;
    v->OnCalibrationClick = nullptr;
    // Nor does it keep the job, which goes with the members, nor its watch.
    v->SetJob(nullptr);
    v->Image.Decoder.Watch = nullptr;
}

void Tmainform::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // FormShow: posted, so that the tip shows over a main window on screen;
    // once a start, not on every restore from minimised.
    if (KSTipOfDay.ShowAtStart && !FStartTipOffered)
        QMetaObject::invokeMethod(this, [this] { WMShowTip(); }, Qt::QueuedConnection);
    FStartTipOffered = true;
    if (FStartMaximized) {
        FStartMaximized = false;
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    if (!FStartSplitter.isEmpty()) {
        Splitter1->setSizes(FStartSplitter);
        FStartSplitter.clear();
    }
    QMetaObject::invokeMethod(this, [this] { KeepFrameOnScreen(); }, Qt::QueuedConnection);
}

void Tmainform::closeEvent(QCloseEvent* event)
{
    if (!MayDiscardChanges()) {
        event->ignore();
        return;
    }
    SavePlacement();
    QMainWindow::closeEvent(event);
}

bool Tmainform::event(QEvent* event)
{
    // The command table has hints off: no status-bar hints over the panels.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool Tmainform::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ScrollBox->viewport() && event->type() == QEvent::Resize)
        lblStart->setGeometry(ScrollBox->viewport()->rect());
    if (watched == QuillonView)
        NoteViewEvent(event);
    if (watched == QuillonView && event->type() == QEvent::Wheel)
        return ViewWheel(static_cast<QWheelEvent*>(event));
    // Whatever a press (or Insert) changes is one undo step, taken whole
    // when the view says the gesture has ended.
    if (watched == QuillonView &&
        (event->type() == QEvent::MouseButtonPress ||
         (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert)))
        GestureStarts();
    if (watched == ListView && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride))
        return ListKey(event);
    return QMainWindow::eventFilter(watched, event);
}

void Tmainform::NoteViewEvent(const QEvent* Event)
{
    // A white box stays white while the pointer is elsewhere, whatever the
    // view's content does.
    const bool unseen = FZoomBlank && FPointerLeftView;
    switch (Event->type()) {
    case QEvent::Paint:
    case QEvent::Move:
    case QEvent::Resize:
        if (FZoomGrabbing || unseen)
            return;
        break;
    case QEvent::MouseMove:
    case QEvent::Enter:
        FPointerLeftView = false;
        break;
    case QEvent::Leave:
        FPointerLeftView = true;
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Hide:
    case QEvent::Show:
        break;
    default:
        return;
    }
    ZoomStale();
}

void Tmainform::ZoomStale()
{
    FZoomStale = true;
    // Started only when asleep: a restart at every event would put the
    // tick off for as long as the pointer moves.
    if (FZoomShown && !TimerZoom.isActive())
        TimerZoom.start();
}

void Tmainform::WMShowTip()
{
    RunGuarded(this, [this] { KSTipOfDay.Execute(this); });
}

void Tmainform::acTipExecute()
{
    KSTipOfDay.Execute(this);
}

void Tmainform::acAboutQuillonExecute()
{
    TfrmAbout about(this);
    about.exec();
}

QFrame* Tmainform::CreateZoomPreview(QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setFixedHeight(168);
    panel->setMinimumWidth(150);
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    Panel1 = new QLabel(QStringLiteral("Zoom Preview"), panel);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFixedHeight(16);
    Panel1->setAutoFillBackground(true);
    Panel1->setPalette(pnlSeriesName->palette());
    layout->addWidget(Panel1, 0, 0, 1, 3);

    pbZoom = new QLabel(panel);
    pbZoom->setFixedSize(150, 150);
    pbZoom->setAutoFillBackground(true);
    QPalette white = pbZoom->palette();
    white.setColor(QPalette::Window, Qt::white);
    pbZoom->setPalette(white);
    layout->addWidget(pbZoom, 1, 0, 3, 1, Qt::AlignLeft | Qt::AlignTop);

    layout->addWidget(new QLabel(QStringLiteral("Factor"), panel), 1, 1, 1, 2, Qt::AlignHCenter);
    tbzoom = new QSlider(Qt::Vertical, panel);
    tbzoom->setRange(1, 4);
    tbzoom->setValue(1);
    tbzoom->setInvertedAppearance(true); // position 1 at the top
    tbzoom->setTickPosition(QSlider::TicksLeft);
    tbzoom->setPageStep(1);
    tbzoom->setFixedHeight(4 * 25);
    tbzoom->setCursor(Qt::PointingHandCursor);
    layout->addWidget(tbzoom, 2, 1, Qt::AlignRight);
    auto* marks = new QVBoxLayout;
    marks->setSpacing(0);
    for (const char* mark : {"2x", "4x", "6x", "8x"})
        marks->addWidget(new QLabel(QString::fromLatin1(mark), panel));
    layout->addLayout(marks, 2, 2);
    cbxCrossHair = new QCheckBox(QStringLiteral("X-hair"), panel);
    cbxCrossHair->setChecked(true);
    layout->addWidget(cbxCrossHair, 3, 1, 1, 2, Qt::AlignLeft | Qt::AlignBottom);

    connect(tbzoom, &QSlider::valueChanged, this, [this] { ZoomStale(); });
    connect(cbxCrossHair, &QCheckBox::toggled, this, [this] { ZoomStale(); });
    TimerZoom.setInterval(25);
    connect(&TimerZoom, &QTimer::timeout, this, [this] { RunGuarded(this, [this] { TimerZoomTimer(); }); });
    TimerZoom.start();
    return panel;
}

void Tmainform::acZoomPreviewExecute()
{
    const bool on = acZoomPreview->isChecked();
    pnlZoom->setVisible(on);
    FZoomShown = on;
    FZoomStale = true;
    if (on)
        TimerZoom.start();
    else
        TimerZoom.stop();
}

void Tmainform::TimerZoomTimer()
{
    constexpr int W = 150;
    constexpr int H = 150;
    if (!FZoomStale) {
        TimerZoom.stop();
        return;
    }
    FZoomStale = false;
    // The part of the view that shows on screen, in global coordinates.
    const QRect visible = QuillonView->visibleRegion().boundingRect();
    const QRect shown(QuillonView->mapToGlobal(visible.topLeft()), visible.size());
    const QPoint c = QCursor::pos();
    const bool magnify = QuillonView->hasFocus() && shown.contains(c);
    // A box that is white already stays as it is: no work while idle.
    if (!magnify && FZoomBlank)
        return;
    FZoomBlank = !magnify;
    QImage box(W, H, QImage::Format_RGB32);
    box.fill(Qt::white);
    if (magnify) {
        const int k = 4 * tbzoom->value();
        const int sw = W / k;
        const int sh = H / k;
        const QRect source(c.x() - sw / 2, c.y() - sh / 2, sw, sh);
        QPainter painter(&box);
        FZoomGrabbing = true;
        const QImage copy = CopyScreenArea(source, QuillonView);
        FZoomGrabbing = false;
        painter.drawImage(QRect(0, 0, W, H), copy);
        if (cbxCrossHair->isChecked()) {
            // Lines that leave out their end pixel, about the fixed centre.
            painter.setPen(QColor(128, 128, 128));
            painter.drawLine(75 - W / 4, 75, 75 + W / 4 - 1, 75);
            painter.drawLine(75, 75 - H / 4, 75, 75 + H / 4 - 1);
        }
    }
    pbZoom->setPixmap(QPixmap::fromImage(box));
    QCoreApplication::processEvents();
}

void Tmainform::NameWidgets()
{
    // Found by name by accessibility tools and tests.
    const std::pair<QObject*, const char*> named[] = {
        {QuillonView, "QuillonView"}, {ScrollBox, "ScrollBox"}, {ListView, "ListView"},
        {Splitter1, "Splitter1"},     {pnlData, "pnlData"},     {pnlSeriesName, "pnlSeriesName"},
        {pnlPointer, "pnlPointer"},   {pnlZoom, "pnlZoom"},     {Panel1, "Panel1"}, {pnlNextStep, "pnlNextStep"}, {lblStart, "lblStart"},
        {pbZoom, "pbZoom"},           {tbzoom, "tbzoom"},       {cbxCrossHair, "cbxCrossHair"}};
    for (const auto& [object, name] : named)
        object->setObjectName(QLatin1String(name));
    for (int i = 0; i < 5; ++i)
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
}

void Tmainform::WireView()
{
    TQuillonView* v = QuillonView;
    using std::placeholders::_1;
    using std::placeholders::_2;
    using std::placeholders::_3;
    using std::placeholders::_4;
    using std::placeholders::_5;
    using std::placeholders::_6;
    v->OnAddSite = Guarded(this, TQuillonModSiteEvent(std::bind(&Tmainform::QuillonViewAddSite, this, _1, _2, _3, _4, _5, _6)));
    v->OnModSite = Guarded(this, TQuillonModSiteEvent(std::bind(&Tmainform::QuillonViewModSite, this, _1, _2, _3, _4, _5, _6)));
    v->OnDeleteSite = Guarded(this, TQuillonDeleteSiteEvent(std::bind(&Tmainform::QuillonViewDeleteSite, this, _1, _2)));
    v->OnClearSites = Guarded(this, TNotifyEvent(std::bind(&Tmainform::QuillonViewClearSites, this, _1)));
    v->OnBeforeMap = Guarded(this, TNotifyEvent(std::bind(&Tmainform::QuillonViewBeforeMap, this, _1)));
    v->OnAfterMap = Guarded(this, TNotifyEvent(std::bind(&Tmainform::QuillonViewAfterMap, this, _1)));
    v->OnZoom = Guarded(this, TQuillonZoomEvent(std::bind(&Tmainform::QuillonViewZoom, this, _1, _2)));
    v->OnMouseMove = Guarded(this, TNotifyEvent(std::bind(&Tmainform::QuillonViewMouseMove, this, _1)));
    v->OnGestureEnd = Guarded(this, TNotifyEvent(std::bind(&Tmainform::QuillonViewGestureEnd, this, _1)));
    v->OnCalibrationClick =
        Guarded(this, TQuillonCalibrationClickEvent(std::bind(&Tmainform::QuillonViewCalibrationClick, this, _1, _2, _3)));
    // The extraction commands follow whether there is a picture.
    v->Image.OnChange = [this](TFreeObject*) { UpdateCommands(); };
    v->OnBeginUpdate = [this](QObject*) { ListModel->BeginUpdate(); };
    v->OnEndUpdate = [this](QObject*) { ListModel->EndUpdate(); };
    v->OnSelectSites = Guarded(this, TQuillonSelectSitesEvent([this](QObject*, const QStringList& Names) {
                                   SelectRowsOf(Names);
                               }));
    v->Image.Decoder.Watch = &FPictureWait;
    // The user's own look is the first series'.
    Document.CurrentSeries().Look = v->Settings->Look();
    v->SetJob(&Document);
}

QString Tmainform::NumberText(double Value) const
{
    const TQuillonViewSettings& s = *QuillonView->Settings;
    return CoordinateText(Value, s.NumberPrecision, s.NumberDigits);
}

QString Tmainform::DataNumberText(TAxis Axis, double Value) const
{
    const TQuillonViewSettings& s = *QuillonView->Settings;
    return ::DataText(*QuillonView, Axis, Value, s.NumberPrecision, s.NumberDigits);
}

std::shared_ptr<const TDataListModel::TFormat> Tmainform::RowFormat()
{
    const TQuillonViewSettings& s = *QuillonView->Settings;
    const TViewMapping& m = *QuillonView;
    if (!FRowFormat || !(FRowFormat->Mapping == m) || FRowFormat->Precision != s.NumberPrecision ||
        FRowFormat->Digits != s.NumberDigits)
        FRowFormat = std::make_shared<const TDataListModel::TFormat>(TDataListModel::TFormat{m, s.NumberPrecision, s.NumberDigits});
    return FRowFormat;
}

TDataListModel::TRow Tmainform::RowOf(const QString& sName, const TPointF& sPt, bool bMapping, double dX, double dY)
{
    // Until the mapping is whole the data cells stay empty: what it gives
    // meanwhile (not-a-number, or zeros) is no value of the point's.
    const bool mapped = bMapping && QuillonView->MissingStep().isEmpty();
    return {sName, sPt, mapped, dX, dY, mapped ? RowFormat() : nullptr};
}

void Tmainform::ShowNextStep()
{
    QString step = QuillonView->MissingStep();
    if (QuillonView->ImageWidth() == 0)
        step = QStringLiteral("Open a chart: File > Load Image, paste, or drop a file here");
    else if (step.isEmpty())
        step = QStringLiteral("Click the points of a curve, or Data > Extract Curve");
    else if (QuillonView->GetMouseAction() == maCalibrate && !QuillonView->Calibration.PointsInForce())
        step = QStringLiteral("Click a point whose value you know, and type it");
    pnlNextStep->setText(step);
    lblStart->setVisible(QuillonView->ImageWidth() == 0);
}

void Tmainform::QuillonViewAddSite(QObject*, const QString& sName, const TPointF& sPt, bool bMapping, double dX,
                                   double dY)
{
    ListModel->AddRow(RowOf(sName, sPt, bMapping, dX, dY));
    ListView->horizontalHeader()->setSortIndicatorShown(false);
}

void Tmainform::QuillonViewModSite(QObject*, const QString& sName, const TPointF& sPt, bool bMapping, double dX,
                                   double dY)
{
    ListModel->SetRowsOf(sName, RowOf(sName, sPt, bMapping, dX, dY));
    // The list may no longer be in the order its header shows.
    ListView->horizontalHeader()->setSortIndicatorShown(false);
}

void Tmainform::QuillonViewDeleteSite(QObject*, const QString& sName)
{
    ListModel->DeleteRowsOf(sName);
}

void Tmainform::QuillonViewClearSites(QObject*)
{
    if (isVisible())
        ListModel->Clear();
}

void Tmainform::SetListBackground(const QColor& Colour)
{
    QPalette p = ListView->palette();
    p.setColor(QPalette::Base, Colour);
    // A background of the program's own needs text of its own: under a dark
    // palette the text is as light as the background.
    p.setColor(QPalette::Text, Colour.lightness() > 127 ? Qt::black : Qt::white);
    ListView->setPalette(p);
}

void Tmainform::QuillonViewBeforeMap(QObject*)
{
    if (isVisible())
        SetListBackground(QColor(192, 192, 192));
}

void Tmainform::QuillonViewAfterMap(QObject*)
{
    if (!isVisible())
        return;
    SetListBackground(QColor(255, 255, 255));
    ShowPixelScale();
    ShowPointer();
}

void Tmainform::ShowPixelScale()
{
    StatusPanels[2]->setText(QStringLiteral("X Pix: ") + NumberText(QuillonView->XUnitsPerPixel()));
    StatusPanels[3]->setText(QStringLiteral("Y Pix: ") + NumberText(QuillonView->YUnitsPerPixel()));
}

void Tmainform::QuillonViewZoom(QObject*, float dZoom)
{
    StatusPanels[4]->setText(QStringLiteral("Zoom: ") + NumberText(dZoom));
}

void Tmainform::QuillonViewMouseMove(QObject*)
{
    ShowMouseData();
    QCoreApplication::processEvents();
}

void Tmainform::ShowMouseData()
{
    // No values at all while there is no mapping to give them.
    const TDataPoint& d = QuillonView->MouseData;
    StatusPanels[0]->setText(QStringLiteral("X: ") + (std::isnan(d.X) ? QString() : DataNumberText(axX, d.X)));
    StatusPanels[1]->setText(QStringLiteral("Y: ") + (std::isnan(d.Y) ? QString() : DataNumberText(axY, d.Y)));
    ShowPointer();
}

void Tmainform::ListViewColumnClick(int Column)
{
    ListTag = ListTag == 0 ? 1 : 0;
    Record(QStringLiteral("Sort"), [&] { QuillonView->SortSites(TDataListModel::Captions()[Column], ListTag == 0); });
    ShowSortColumn(Column, ListTag == 0);
}

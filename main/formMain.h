#pragma once

#include "DataListModel.h"
#include "drawing/Drawing.h"
#include "drawing/DrawingAxes.h"
#include "PictureWait.h"
#include "formExtract.h"
#include "RecentFiles.h"
#include "UndoSteps.h"
#include "document/JobDocument.h"
#include "twain/FerroTwain.h"
#include "widgets/ksTipofDay.h"
#include "document/datatext.h"
#include "platform/TextFile.h"
#include "view/quillonview.h"

#include "axes/FindAxes.h"

#include <QFutureWatcher>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QUndoStack>

#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QMenu;
class QWheelEvent;
class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;
class QSplitter;
class QTableView;

// The main window: the view in a scroll box, the data list beside it, the
// status bar, and the commands of its menus and tool bar. It keeps the list
// and the status bar in step with the view's events.
class Tmainform : public QMainWindow {
    Q_OBJECT

public:
    explicit Tmainform(QWidget* parent = nullptr);
    ~Tmainform() override;

    // Opens a picture or a session, whichever FileName holds, as the two
    // load commands do; false (with the error shown) when it did not open.
    bool OpenFile(const QString& FileName);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Tests and benchmarks drive the window through it.
    friend class TWindowDriver;

    // Command handlers and the view's event handlers
    // Sets enabled and checked states, as the idle-time updates do.
    void UpdateCommands();
    // The rules that follow the list's rows, run after each change to them.
    void UpdateListCommands();

    // Command handlers
    void acLoadImageExecute();
    // Loads a picture file; false (with the error box shown) when it is not
    // a picture, and then nothing has changed.
    bool LoadImageFile(const QString& FileName);
    // The same for a drawing: its page and resolution asked for first.
    bool LoadDrawingFile(const QString& FileName);
    // The job's picture is FileName (a page of it, rendered, when Page says
    // so), whose drawing, if any, is Drawing.
    void SetPictureSource(const QString& FileName, const TPageChoice& Page = {0, 0}, TDrawing Drawing = {});
    // A picture newly opened: a fresh mapping, shown, a new history.
    void ShowOpenedPicture(const QString& FileName, const TPictureReport& Report);
    void ShowPictureProblem(const QString& FileName, const TPictureReport& Report);
    void acFitToPageExecute();
    void acDeleteSelectedPointsExecute();
    void acPreferencesExecute();
    void acDimensionsExecute();
    void acHelpExecute();
    QString HelpFileName() const;
    void acSaveSessionExecute();
    void acSaveSessionAsExecute();
    void acCloseExecute();
    // Asks where a session's lost picture is now, and shows it.
    void LocatePicture();
    // The name a file made from the job is offered under, by its picture.
    QString SuggestedName(const QString& Suffix) const;
    // Says in the status bar how many points went where.
    void ReportExport(const QString& FileName, std::size_t Points);
    void acLoadSessionExecute();
    // Raises EFileError "Unable to write to %s"; the previous file stays.
    void SaveSessionFile(const QString& FileName);
    // Raises an error naming the file, and changes nothing, when the file
    // cannot be read or holds a malformed point.
    void LoadSessionFile(const QString& FileName);
    // The same without a message box: the warning it would show, or "".
    QString LoadSession(const QString& FileName);
    void acCopyToClipboardExecute();
    void acDataToSSVExecute();
    void acExportAllSeriesExecute();
    void acSeriesNewExecute();
    void acSeriesRenameExecute();
    // Asks first when the series holds points.
    void acSeriesDeleteExecute();
    void SelectSeries(int Index);
    void SaveDataFile(const QString& FileName);
    // Raises the step the mapping still lacks while the current series (or
    // any, with AllSeries) has points: exports must not write data values
    // the points do not have.
    void RefuseWithoutDataValues(bool AllSeries) const;
    // The line above the list that says what to do next.
    void ShowNextStep();
    // A write that could not be made safely, said so.
    void WarnIfInPlace(TWritten How, const QString& FileName);
    // The data cells of every row in list order, Separator between the two,
    // CR LF after each line.
    QString DataText(QChar Separator) const;
    void acZoomPreviewExecute();
    void acTipExecute();
    void acAquireTWAINExecute();
    void FerroTwainSourceSetupFileXfer(void* Sender, int Index);
    void FerroTwainSourceFileTransfer(void* Sender, int Index, const TW_STR255& Filename, TTwainFormat Format,
                                      bool& Cancel);
    // A transfer that failed: says why; the view stays as it was.
    void FerroTwainAcquireError(void* Sender, int Index, int ErrorCode, int Condition);
    void acAboutQuillonExecute();
    // Shows the tip window once the main window is on screen.
    void WMShowTip();
    void TimerZoomTimer();

    // View event handlers
    void QuillonViewAddSite(QObject* Sender, const QString& sName, const TPointF& sPt, bool bMapping, double dX,
                            double dY);
    void QuillonViewModSite(QObject* Sender, const QString& sName, const TPointF& sPt, bool bMapping, double dX,
                            double dY);
    void QuillonViewDeleteSite(QObject* Sender, const QString& sName);
    void QuillonViewClearSites(QObject* Sender);
    void QuillonViewBeforeMap(QObject* Sender);
    void QuillonViewAfterMap(QObject* Sender);
    void QuillonViewZoom(QObject* Sender, float dZoom);
    void QuillonViewMouseMove(QObject* Sender);
    void ListViewColumnClick(int Column);
    void ShowPixelScale();
    // Status panels 0 and 1 from the view's MouseData.
    void ShowMouseData();

    // Coordinate text with the view's precision and exponent digits.
    QString NumberText(double Value) const;
    // The same for a data value, with more digits where the mapping needs
    // them.
    QString DataNumberText(TAxis Axis, double Value) const;

    void NoteRecent(const QString& FileName);
    void FillRecentMenu();
    static bool ClipboardHoldsPicture();
    static bool FocusInTextEdit();
    // Loads Picture as a new image, kept as a file of its own.
    void PastePicture(const QImage& Picture);
    // Pastes text into the focused line edit, else a picture from the
    // clipboard, when the focus is in no text edit.
    void acEditPasteExecute();
    // One View-menu step in (Direction > 0) or out, about the pane's
    // centre or about a point of the view.
    void ZoomBy(int Direction);
    void ZoomAbout(QPointF At, int Direction);
    // The selected rows as "Data To Clipboard" writes all.
    void CopySelectedRows();
    void ShowSortColumn(int Column, bool Descending);

    // Runs Change as one undo step named Caption, when it changed anything.
    void Record(const QString& Caption, const std::function<void()>& Change);
    // Applies a flip or inversion as an undo step.
    void RecordImage(const QString& Caption, const std::function<void()>& Apply);
    void QuillonViewGestureEnd(QObject* Sender);
    // The points selected in the list, by (DX, DY) pixels, as one step.
    void MoveSelectedPoints(int DX, int DY);
    void acPlottingAreaExecute();
    // A load starts a new history; SessionFile names the job ("" for none).
    void StartHistory(const QString& SessionFile);
    void MarkSaved(const QString& SessionFile);
    void UpdateTitle();
    // True when the work may go: nothing unsaved, the user saved it,
    // discarded it, or asked not to be asked; false when cancelled.
    bool MayDiscardChanges();
    // Offers the session's own file, or with AsNew (or before it has one)
    // the name made from the picture.
    QString AskSessionFileName(bool AsNew = false);
    void ShowPointer();


    // Components
    QToolBar* ActionToolBar1;
    QFrame* pnlData;
    QLabel* pnlSeriesName;
    QTableView* ListView;
    TDataListModel* ListModel;
    QSplitter* Splitter1;
    QScrollArea* ScrollBox;
    TQuillonView* QuillonView;
    QLabel* StatusPanels[5];
    // Zoom preview
    QFrame* pnlZoom;
    QLabel* Panel1;
    QLabel* pbZoom;
    QSlider* tbzoom;
    QCheckBox* cbxCrossHair;
    QTimer TimerZoom;
    // The list's sort toggle: 1 after an ascending sort, 0 after a
    // descending one or before any.
    int ListTag = 0;

    // Commands, in the order of the command table
    QAction* FileExit1;
    QAction* acLoadImage;
    QAction* acPaint;
    QAction* acDimensions;
    QAction* acRectangleMode;
    QAction* acNoneMode;
    QAction* acClickMode;
    QAction* acClearAllPoints;
    QAction* acZoom5x;
    QAction* acZoom4x;
    QAction* acZoom3x;
    QAction* acZoom2x;
    QAction* acActualSize;
    QAction* acRotateMode;
    QAction* acPreferences;
    QAction* acFullBoundingBox;
    QAction* acFitToPage;
    QAction* acZoom075;
    QAction* acZoom050;
    QAction* acZoom025;
    QAction* acFlipImageHorizontal;
    QAction* acFlipImageVertical;
    QAction* acCopyToClipboard;
    QAction* EditCut1;
    QAction* EditCopy1;
    QAction* EditPaste1;
    QAction* acDeleteSelectedPoints;
    QAction* acSaveSession;
    QAction* acSaveSessionAs;
    QAction* acClose;
    QAction* acCalibrationGrid;
    QAction* acLoadSession;
    QAction* acInvertImage;
    QAction* acHelp;
    QAction* acAboutQuillon;
    QAction* acTip;
    QAction* acDataToSSV;
    QAction* acZoomPreview;
    // Beyond the command table
    QAction* acZoomIn;
    QAction* acZoomOut;
    QMenu* mnuRecent;
    TRecentFiles Recent;
    QUndoStack UndoStack;
    QAction* acUndo;
    QAction* acRedo;
    QAction* acPlottingArea;
    // After the described five: the pointer's image pixel and the angle.
    QLabel* pnlPointer;
    // Above the list: what to do next.
    QLabel* pnlNextStep;
    QLabel* lblStart;
    QAction* acSeriesNew;
    QAction* acSeriesRename;
    QAction* acSeriesDelete;
    QAction* acSeriesNext;
    QAction* acSeriesPrevious;
    QAction* acExportAllSeries;
    QComboBox* cbSeries;
    QAction* acExtractCurve;
    QAction* acExtractMarkers;
    QAction* acCalibrateMode;
    QAction* acCalibrationPoints;
    QAction* acAxisDates;
    QAction* acPickDrawing;
    QAction* acAxesFromDrawing;
    QAction* acFindAxes;
    // The axes found in a picture just opened, offered once found.
    QFutureWatcher<TFoundAxes> FAxesSearch;
    QPushButton* bAxesOffer;
    // The tool bar's places of Pick Curve from Drawing and Find Axes, one
    // shown at a time.
    QAction* FPickDrawingButton;
    QAction* FFindAxesButton;
    // The drawing command a click in the view is awaited for, if any.
    QAction* FPickingFor = nullptr;
    QPointer<TformExtract> FExtract;
    // The paths and text of the drawing whose page is the picture; empty
    // for a picture file.
    TDrawing FDrawing;

    // The job, whole: the view shows and edits its current series, and its
    // mapping in force is the view's.
    TJobDocument Document;

    // Watches every picture the view decodes.
    TPictureWait FPictureWait{*this};

    TKSTipOfDay KSTipOfDay;
    TFerroTwain FerroTwain;
    QAction* acAquireTWAIN;

    // The open-picture dialog's filter in Qt's form.
    QString OpenPictureFilterText;

    void CreateLayout();
    QFrame* CreateZoomPreview(QWidget* parent);
    void CreateCommands();
    void CreateMenus();
    void WireView();
    void NameWidgets();
    QAction* Command(const QString& Name, const QString& Caption, const std::function<void()>& Execute);
    void SetListBackground(const QColor& Colour);
    bool ViewWheel(QWheelEvent* Event);
    bool ListKey(QEvent* Event);
    void ShowPictureStart();
    void RestorePlacement();
    void SavePlacement() const;
    void KeepFrameOnScreen();
    void CreateUndo();
    void CreateSeriesCommands();
    void CreateExtractCommands();
    void CreateCalibrationCommands();
    // A click in Calibrate mode: the values of a new point, or of the one
    // clicked, asked for; the points are in force from then on.
    void QuillonViewCalibrationClick(QObject* Sender, const TPointF& At, int Index);
    void acCalibrationPointsExecute();
    void acAxisDatesExecute();
    void CreateDrawingCommands();
    // Picks from the drawing until a click, or until asked again.
    void acPickDrawingExecute();
    // A click's pick: a curve's vertices or markers' centres join the
    // current series as one step.
    void PickDrawingAt(const TPoint& At);
    // Names the current series Name, a legend's, unless the user named it.
    void NameSeriesFromLegend(const QString& Name);
    // Reads the drawing's axes (of the chart clicked, when the page holds
    // several) and offers them as calibration points.
    void acAxesFromDrawingExecute();
    // Offers Axes for the user to accept as calibration points, one step,
    // in a dialog captioned Title; Frame, when given, becomes the plotting
    // area.
    void ProposeDrawnAxes(const TDrawnAxes& Axes, const QString& Title = QStringLiteral("Axes from Drawing"),
                          const QPolygonF& Frame = {});
    void CreateAxesCommands();
    // Finds the axes in the picture (inside the plotting area's rectangle
    // when there is one) and offers them.
    void acFindAxesExecute();
    // Looks for the axes of a picture just opened without a map, in the
    // background; found, they are offered on the status bar.
    void SearchOpenedAxes();
    void OfferFoundAxes();
    // The drawing's tick mark within a few screen pixels of At, else At.
    TPointF DrawnTickNear(const TPointF& At) const;
    // Opens the extraction dialog of Kind beside the window, closing one
    // already open.
    void OpenExtract(TformExtract::TKind Kind);
    // Points found by extraction join the current series as one step.
    void AddExtractedPoints(const std::vector<TPointF>& Points, const QString& Caption, bool Replace);
    // The job's series changed: the view takes its current one.
    void ShowSeries();
    // Loaded becomes the job, with the view's events of a load.
    void ShowLoadedDocument(TJobDocument& Loaded);
    void ShowOtherSeries();
    void FillSeriesChooser();
    // Runs Change on the job as one undo step named Caption.
    void RecordJob(const QString& Caption, const std::function<void(TJobDocument&)>& Change);
    // The caption of a step from the states before and after it.
    using TStepNamer = std::function<QString(const TViewSnapshot&, const TViewSnapshot&)>;
    // The view's change since Before as one undo step, when there is one.
    void PushStep(TViewSnapshot Before, const TStepNamer& Name);
    static TStepNamer NamedByChange(const QString& Fallback);
    // The list's selected rows, in list order, and the points they show.
    QList<int> SelectedRows() const;
    QStringList SelectedNames() const;
    // Selects the rows of the points named, and only those.
    void SelectRowsOf(const QStringList& Names);
    // One row's data values as the data exports write them.
    QString RowText(int Row, QChar Separator) const;
    void GestureStarts();

    QTimer FitColumns;
    bool FScanFileChosen = false;
    QString FScanFile; // the file chosen for the transfer in progress
    bool FStartTipOffered = false;
    bool FZoomBlank = false;
    // Whether the pointer or the view changed since the zoom preview's last
    // look, told by the view's own events. While nothing is stale the timer
    // sleeps: a tick that only found that out would still wake the program.
    bool FZoomStale = true;
    bool FZoomGrabbing = false; // the preview's own rendering of the view
    bool FPointerLeftView = false;
    bool FZoomShown = true;
    void NoteViewEvent(const QEvent* Event);
    void ZoomStale();
    bool FStartMaximized = false;
    QList<int> FStartSplitter;
    int FWheelRest = 0;
    // The view's state when the present mouse gesture began.
    std::optional<TViewSnapshot> FGestureBefore;
    QString FSessionFile;
    // Where the help file is looked for, found once: the enabling rules ask
    // after every change.
    const QString FHelpFile;
    // The format new rows are written with, made again only when the
    // mapping or the number settings changed.
    std::shared_ptr<const TDataListModel::TFormat> FRowFormat;
    std::shared_ptr<const TDataListModel::TFormat> RowFormat();
    TDataListModel::TRow RowOf(const QString& sName, const TPointF& sPt, bool bMapping, double dX, double dY);
};

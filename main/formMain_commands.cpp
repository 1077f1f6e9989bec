// The main window's command table: actions, menus, tool bar, enabling
// rules and the command handlers.
#include "formMain.h"

#include "DrawingFile.h"

#include "PictureProblem.h"
#include "ProgramData.h"
#include "widgets/CommandGlyph.h"

#include "StandardErrorBox.h"
#include "UnsavedWork.h"
#include "platform/FileError.h"
#include "fileDialogs.h"
#include "widgets/formPreferences.h"

#include <QAction>
#include <QItemSelection>
#include <QSet>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <cstring>

QAction* Tmainform::Command(const QString& Name, const QString& Caption, const std::function<void()>& Execute)
{
    auto* action = new QAction(Caption, this);
    action->setObjectName(Name);
    if (Execute)
        connect(action, &QAction::triggered, this, [this, Execute] {
            RunGuarded(this, Execute);
            UpdateCommands();
        });
    return action;
}

void Tmainform::CreateCommands()
{
    TQuillonView* v = QuillonView;
    auto zoom = [this, v](const QString& name, const QString& caption, float factor) {
        return Command(name, caption, [v, factor] { v->SetZoom(factor); });
    };
    auto mode = [this, v](const QString& name, const QString& caption, TMouseAction action) {
        QAction* a = Command(name, caption, [v, action] { v->SetMouseAction(action); });
        a->setCheckable(true);
        return a;
    };

    FileExit1 = Command(QStringLiteral("FileExit1"), QStringLiteral("&Exit"), [this] { close(); });
    FileExit1->setIcon(GlyphIcon(TGlyph::Exit));
    acLoadImage = Command(QStringLiteral("acLoadImage"), QStringLiteral("&Load Image From File..."),
                          [this] { acLoadImageExecute(); });
    acPaint = Command(QStringLiteral("acPaint"), QStringLiteral("&Paint"), [v] { v->Paint(); });
    acDimensions = Command(QStringLiteral("acDimensions"), QStringLiteral("&Dimensions"),
                           [this] { Record(QStringLiteral("Dimensions"), [this] { acDimensionsExecute(); }); });
    acDimensions->setIcon(GlyphIcon(TGlyph::Dimensions));
    acRectangleMode = mode(QStringLiteral("acRectangleMode"), QStringLiteral("Mapping"), maRubberBand);
    acRectangleMode->setIcon(GlyphIcon(TGlyph::Mapping));
    acNoneMode = mode(QStringLiteral("acNoneMode"), QStringLiteral("View"), maNone);
    acClickMode = mode(QStringLiteral("acClickMode"), QStringLiteral("Digitise"), maClick);
    acClickMode->setIcon(GlyphIcon(TGlyph::Digitise));
    acClearAllPoints = Command(QStringLiteral("acClearAllPoints"), QStringLiteral("&Clear All Points"), [this, v] {
        Record(QStringLiteral("Clear All Points"), [v] {
            v->ClearSites();
            v->Paint();
        });
    });
    acZoom5x = zoom(QStringLiteral("acZoom5x"), QStringLiteral("&500%"), 5.0f);
    acZoom4x = zoom(QStringLiteral("acZoom4x"), QStringLiteral("&400%"), 4.0f);
    acZoom3x = zoom(QStringLiteral("acZoom3x"), QStringLiteral("&300%"), 3.0f);
    acZoom2x = zoom(QStringLiteral("acZoom2x"), QStringLiteral("&200%"), 2.0f);
    acActualSize = zoom(QStringLiteral("acActualSize"), QStringLiteral("&100%"), 1.0f);
    acRotateMode = mode(QStringLiteral("acRotateMode"), QStringLiteral("Rotate"), maRotateH);
    acRotateMode->setIcon(GlyphIcon(TGlyph::Rotate));
    acPreferences = Command(QStringLiteral("acPreferences"), QStringLiteral("P&references"),
                            [this] { acPreferencesExecute(); });
    acFullBoundingBox = Command(QStringLiteral("acFullBoundingBox"), QStringLiteral("Full Box"),
                                [this, v] { Record(QStringLiteral("Full Box"), [v] { v->SetFullBoundingBox(); }); });
    acFitToPage = Command(QStringLiteral("acFitToPage"), QStringLiteral("Fi&t to Page"),
                          [this] { acFitToPageExecute(); });
    acZoom075 = zoom(QStringLiteral("acZoom075"), QStringLiteral("&75%"), 0.75f);
    acZoom050 = zoom(QStringLiteral("acZoom050"), QStringLiteral("5&0%"), 0.5f);
    acZoom025 = zoom(QStringLiteral("acZoom025"), QStringLiteral("25%"), 0.25f);
    acFlipImageHorizontal = Command(QStringLiteral("acFlipImageHorizontal"), QStringLiteral("&Flip Image Horizontal"),
                                    [this, v] {
                                        RecordImage(QStringLiteral("Flip Image Horizontal"), [v] { v->FlipHorizontal(); });
                                    });
    acFlipImageVertical = Command(QStringLiteral("acFlipImageVertical"), QStringLiteral("F&lip Image Vertical"),
                                  [this, v] {
                                      RecordImage(QStringLiteral("Flip Image Vertical"), [v] { v->FlipVertical(); });
                                  });
    acCopyToClipboard = Command(QStringLiteral("acCopyToClipboard"), QStringLiteral("D&ata To Clipboard"),
                                [this] { acCopyToClipboardExecute(); });
    acCopyToClipboard->setIconText(QStringLiteral("Data to Clipboard"));

    // The standard edit actions work on the focused text edit, if any.
    auto edit = [this](const QString& name, const QString& caption, const QString& hint, QKeySequence key,
                       TGlyph glyph, const std::function<void()>& execute) {
        QAction* a = Command(name, caption, execute);
        a->setShortcut(key);
        a->setStatusTip(hint.section(u'|', 1));
        a->setToolTip(hint.section(u'|', 0, 0));
        a->setIcon(GlyphIcon(glyph));
        return a;
    };
    auto onLine = [](std::function<void(QLineEdit*)> operation) {
        return [operation] {
            if (auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
                operation(line);
        };
    };
    EditCut1 = edit(QStringLiteral("EditCut1"), QStringLiteral("Cu&t"),
                    QStringLiteral("Cut|Cuts the selection and puts it on the Clipboard"), QKeySequence(Qt::CTRL | Qt::Key_X),
                    TGlyph::Cut, onLine([](QLineEdit* l) { l->cut(); }));
    EditCopy1 = edit(QStringLiteral("EditCopy1"), QStringLiteral("&Copy"),
                     QStringLiteral("Copy|Copies the selection and puts it on the Clipboard"),
                     QKeySequence(Qt::CTRL | Qt::Key_C), TGlyph::Copy,
                     onLine([](QLineEdit* l) { l->copy(); }));
    EditPaste1 = edit(QStringLiteral("EditPaste1"), QStringLiteral("&Paste"),
                      QStringLiteral("Paste|Inserts Clipboard contents"), QKeySequence(Qt::CTRL | Qt::Key_V),
                      TGlyph::Paste, [this] { acEditPasteExecute(); });

    acDeleteSelectedPoints = Command(QStringLiteral("acDeleteSelectedPoints"), QStringLiteral("Delete Selected Points"),
                                     [this] {
                                         Record(QStringLiteral("Delete Selected Points"),
                                                [this] { acDeleteSelectedPointsExecute(); });
                                     });
    acSaveSession = Command(QStringLiteral("acSaveSession"), QStringLiteral("&Save Session..."),
                            [this] { acSaveSessionExecute(); });
    acLoadSession = Command(QStringLiteral("acLoadSession"), QStringLiteral("L&oad Session..."),
                            [this] { acLoadSessionExecute(); });
    acSaveSessionAs = Command(QStringLiteral("acSaveSessionAs"), QStringLiteral("Save Session &As..."),
                              [this] { acSaveSessionAsExecute(); });
    acSaveSessionAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    acClose = Command(QStringLiteral("acClose"), QStringLiteral("&Close"), [this] { acCloseExecute(); });
    acClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    acInvertImage = Command(QStringLiteral("acInvertImage"), QStringLiteral("&Invert"),
                            [this, v] { RecordImage(QStringLiteral("Invert"), [v] { v->InvertImage(); }); });
    acAboutQuillon = Command(QStringLiteral("acAboutQuillon"), QStringLiteral("&About Quillon..."),
                             [this] { acAboutQuillonExecute(); });
    acTip = Command(QStringLiteral("acTip"), QStringLiteral("&Tip of the Day..."), [this] { acTipExecute(); });
    acHelp = Command(QStringLiteral("acHelp"), QStringLiteral("&Help..."), [this] { acHelpExecute(); });
    acHelp->setShortcut(QKeySequence(Qt::Key_F1));
    acAquireTWAIN = Command(QStringLiteral("acAquireTWAIN"), QStringLiteral("&Aquire Image..."),
                            [this] { acAquireTWAINExecute(); });
    acDataToSSV = Command(QStringLiteral("acDataToSSV"), QStringLiteral("Data to Space Separated Value File"),
                          [this] { acDataToSSVExecute(); });
    acZoomPreview = Command(QStringLiteral("acZoomPreview"), QStringLiteral("&Zoom Preview"),
                            [this] { acZoomPreviewExecute(); });
    acZoomPreview->setCheckable(true);
    acZoomPreview->setChecked(true);

    acPlottingArea = Command(QStringLiteral("acPlottingArea"), QStringLiteral("Plotting &Area..."),
                             [this] { acPlottingAreaExecute(); });
    acZoomIn = Command(QStringLiteral("acZoomIn"), QStringLiteral("Zoom &In"), [this] { ZoomBy(1); });
    // Ctrl+= as well: the plus of Ctrl++ needs Shift on most keyboards.
    QList<QKeySequence> zoomIn = QKeySequence::keyBindings(QKeySequence::ZoomIn);
    zoomIn << QKeySequence(Qt::CTRL | Qt::Key_Equal);
    acZoomIn->setShortcuts(zoomIn);
    acZoomOut = Command(QStringLiteral("acZoomOut"), QStringLiteral("Zoom O&ut"), [this] { ZoomBy(-1); });
    acZoomOut->setShortcuts(QKeySequence::ZoomOut);
    acCalibrationGrid = Command(QStringLiteral("acCalibrationGrid"), QStringLiteral("Calibration &Grid"),
                                [this] { QuillonView->SetCalibrationGrid(acCalibrationGrid->isChecked()); });
    acCalibrationGrid->setCheckable(true);
    CreateSeriesCommands();
    // Standard keys for the described commands that have none.
    acLoadImage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    acLoadSession->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    acSaveSession->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    FileExit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    // The tool bar names its buttons without access keys.
    for (QAction* a : findChildren<QAction*>())
        if (a != acCopyToClipboard)
            a->setIconText(QString(a->text()).remove(u'&'));
    CreateExtractCommands();
    CreateCalibrationCommands();
    CreateDrawingCommands();
    CreateAxesCommands();
}

void Tmainform::CreateMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("File"));
    file->addAction(acLoadImage);
    file->addSeparator();
    file->addAction(acAquireTWAIN);
    file->addSeparator();
    file->addActions({acLoadSession, acSaveSession});
    file->addSeparator();
    file->addAction(FileExit1);
    file->addSeparator();
    mnuRecent = file->addMenu(QStringLiteral("Open &Recent"));
    mnuRecent->setObjectName(QStringLiteral("mnuRecent"));
    connect(mnuRecent, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    FillRecentMenu();
    file->addActions({acSaveSessionAs, acClose});

    QMenu* editMenu = bar->addMenu(QStringLiteral("&Edit"));
    editMenu->addActions({EditCut1, EditCopy1, EditPaste1});
    editMenu->addSeparator();
    editMenu->addActions({acUndo, acRedo});

    QMenu* data = bar->addMenu(QStringLiteral("Data"));
    data->addActions({acFullBoundingBox, acDimensions});
    data->addSeparator();
    data->addActions({acDeleteSelectedPoints, acClearAllPoints});
    data->addSeparator();
    data->addActions({acCopyToClipboard, acDataToSSV});
    data->addSeparator();
    data->addAction(acPlottingArea);
    data->addAction(acExportAllSeries);
    data->addSeparator();
    data->addActions({acExtractCurve, acExtractMarkers});
    data->addSeparator();
    data->addActions({acCalibrateMode, acCalibrationPoints, acAxisDates});
    data->addSeparator();
    data->addActions({acPickDrawing, acAxesFromDrawing, acFindAxes});

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->addAction(acZoomPreview);
    view->addSeparator();
    view->addActions({acZoom5x, acZoom4x, acZoom3x, acZoom2x, acActualSize, acZoom075, acZoom050, acZoom025});
    view->addSeparator();
    view->addAction(acFitToPage);
    view->addSeparator();
    view->addActions({acZoomIn, acZoomOut});
    view->addSeparator();
    view->addAction(acCalibrationGrid);

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->addActions({acPreferences, acPaint});

    QMenu* image = bar->addMenu(QStringLiteral("Image"));
    image->addActions({acFlipImageHorizontal, acFlipImageVertical, acInvertImage});

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->addActions({acTip, acHelp});
    help->addSeparator();
    help->addAction(acAboutQuillon);

    QMenu* series = bar->addMenu(QStringLiteral("&Series"));
    series->setObjectName(QStringLiteral("mnuSeries"));
    series->addActions({acSeriesNew, acSeriesRename, acSeriesDelete});
    series->addSeparator();
    series->addActions({acSeriesNext, acSeriesPrevious});

    for (QMenu* menu : bar->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });

    ActionToolBar1 = addToolBar(QStringLiteral("Tools"));
    ActionToolBar1->setObjectName(QStringLiteral("ActionToolBar1"));
    ActionToolBar1->setMovable(false);
    ActionToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ActionToolBar1->addActions({acRectangleMode, acRotateMode, acClickMode});
    ActionToolBar1->addSeparator();
    ActionToolBar1->addAction(acDimensions);
    ActionToolBar1->addSeparator();
    ActionToolBar1->addWidget(cbSeries);
    ActionToolBar1->addSeparator();
    ActionToolBar1->addActions({acExtractCurve, acExtractMarkers});
    // Its picture alone, so that the bar fits the window's 800 pixels.
    auto* calibrate = new QToolButton(ActionToolBar1);
    calibrate->setObjectName(QStringLiteral("bCalibrate"));
    calibrate->setToolButtonStyle(Qt::ToolButtonIconOnly);
    calibrate->setDefaultAction(acCalibrateMode);
    ActionToolBar1->addWidget(calibrate);
    auto* pickDrawing = new QToolButton(ActionToolBar1);
    pickDrawing->setObjectName(QStringLiteral("bPickDrawing"));
    pickDrawing->setToolButtonStyle(Qt::ToolButtonIconOnly);
    pickDrawing->setDefaultAction(acPickDrawing);
    FPickDrawingButton = ActionToolBar1->addWidget(pickDrawing);
    // In its place for a picture that is no drawing, so that the bar still
    // fits.
    auto* findAxes = new QToolButton(ActionToolBar1);
    findAxes->setObjectName(QStringLiteral("bFindAxes"));
    findAxes->setToolButtonStyle(Qt::ToolButtonIconOnly);
    findAxes->setDefaultAction(acFindAxes);
    FFindAxesButton = ActionToolBar1->addWidget(findAxes);
    // The buttons' tips name the command and its key, as the menus do.
    for (QAction* a : ActionToolBar1->actions()) {
        const QString key = a->shortcut().toString(QKeySequence::NativeText);
        const QString name = a->iconText().remove(QStringLiteral("..."));
        a->setToolTip(key.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, key));
    }
    for (QAction* a : {acCalibrateMode, acPickDrawing, acFindAxes})
        a->setToolTip(QString(a->text()).remove(u'&').remove(QStringLiteral("...")));
}

void Tmainform::UpdateCommands()
{
    ShowNextStep();
    const TMouseAction mode = QuillonView->GetMouseAction();
    acRectangleMode->setChecked(mode == maRubberBand);
    acNoneMode->setChecked(mode == maNone);
    acClickMode->setChecked(mode == maClick);
    acRotateMode->setChecked(mode == maRotateH);
    acCalibrateMode->setChecked(mode == maCalibrate);
    acPickDrawing->setEnabled(!FDrawing.Paths.empty());
    acAxesFromDrawing->setEnabled(!FDrawing.Paths.empty());
    acFindAxes->setEnabled(QuillonView->Image.IsValid());
    FPickDrawingButton->setVisible(!FDrawing.Paths.empty());
    FFindAxesButton->setVisible(FDrawing.Paths.empty());
    if (!QuillonView->Picking())
        FPickingFor = nullptr;
    acPickDrawing->setChecked(FPickingFor == acPickDrawing);
    UpdateListCommands();
    acHelp->setEnabled(QFileInfo::exists(HelpFileName()) ||
                       !ProgramManual(QCoreApplication::applicationFilePath()).isEmpty());
    const int series = int(Document.Series.size());
    acSeriesDelete->setEnabled(series > 1);
    acSeriesNext->setEnabled(Document.Current < series - 1);
    acSeriesPrevious->setEnabled(Document.Current > 0);
    acExtractCurve->setEnabled(QuillonView->Image.IsValid());
    acExtractMarkers->setEnabled(QuillonView->Image.IsValid());

    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const bool selected = line && line->hasSelectedText();
    EditCut1->setEnabled(selected && !line->isReadOnly());
    EditCopy1->setEnabled(selected);
    EditPaste1->setEnabled(line ? !line->isReadOnly()
                                : !FocusInTextEdit() && ClipboardHoldsPicture());
}

void Tmainform::UpdateListCommands()
{
    acDeleteSelectedPoints->setEnabled(ListView->selectionModel()->hasSelection());
    acCopyToClipboard->setEnabled(ListModel->Count() > 0);
    acDataToSSV->setEnabled(ListModel->Count() > 0);
    // The current series' points are the list's.
    bool points = ListModel->Count() > 0;
    const int series = int(Document.Series.size());
    for (int i = 0; i < series && !points; ++i)
        points = i != Document.Current && !Document.Series[std::size_t(i)].Points.empty();
    acExportAllSeries->setEnabled(points);
}

void Tmainform::acLoadImageExecute()
{
    if (!MayDiscardChanges())
        return;
    const QString dialog = QStringLiteral("Load Image");
    const QString file = QFileDialog::getOpenFileName(this, QString(), RememberedFolder(dialog), OpenPictureFilterText);
    if (file.isEmpty())
        return;
    RememberFolder(dialog, file);
    LoadImageFile(file);
}

void Tmainform::acAquireTWAINExecute()
{
    if (!MayDiscardChanges())
        return;
    if (!FerroTwain.LoadLibrary()) {
        QMessageBox::information(this, QApplication::applicationName(), QStringLiteral("Twain not installed"));
        return;
    }
    FerroTwain.LoadSourceManager();
    const int index = FerroTwain.SelectSource();
    if (index == -1) {
        QMessageBox::information(this, QApplication::applicationName(), QStringLiteral("Cancelled"));
        return;
    }
    TTwainSource* source = FerroTwain.Source(index);
    source->SetLoaded(true);
    if (!source->Loaded()) {
        QMessageBox::critical(this, QStringLiteral("Error"),
                              QStringLiteral("The scanner \"%1\" could not be opened: %2.")
                                  .arg(source->ProductName(), TwainConditionText(FerroTwain.GetConditionCode())));
        return;
    }
    source->TransferMode = ttmFile;
    source->SetEnabled(true);
    if (!source->Enabled())
        QMessageBox::critical(this, QStringLiteral("Error"),
                              QStringLiteral("The scanner \"%1\" could not be started: %2.")
                                  .arg(source->ProductName(), TwainConditionText(source->GetConditionCode())));
}

void Tmainform::FerroTwainSourceSetupFileXfer(void*, int Index)
{
    // A file left unset cancels this transfer: nothing is written anywhere.
    FScanFileChosen = false;
    FScanFile.clear();
    const QString file = AskSaveFileName(this, QStringLiteral("Save Image"), QStringLiteral("Bitmaps (*.bmp)"),
                                         QStringLiteral("bmp"));
    if (file.isEmpty())
        return;
    if (!FitsTwainFileName(file)) {
        QMessageBox::critical(this, QStringLiteral("Error"),
                              QStringLiteral("The scan was cancelled: the file name %1 is longer than the 255 bytes "
                                             "a scanner takes. Please choose a shorter one.")
                                  .arg(file));
        return;
    }
    if (!FerroTwain.Source(Index)->SetupFileTransfer(file, tfBMP)) {
        QMessageBox::critical(this, QStringLiteral("Error"),
                              QStringLiteral("The scan was cancelled: the scanner refused the file %1.").arg(file));
        return;
    }
    FScanFile = file;
    FScanFileChosen = true;
}

void Tmainform::FerroTwainAcquireError(void*, int, int, int Condition)
{
    const QString why = TwainConditionText(Condition);
    QMessageBox::critical(this, QStringLiteral("Error"),
                          FScanFileChosen ? QStringLiteral("The scanned picture could not be written to %1: %2.")
                                                .arg(FScanFile, why)
                                          : QStringLiteral("The scan failed: %1.").arg(why));
}

void Tmainform::FerroTwainSourceFileTransfer(void*, int, const TW_STR255& Filename, TTwainFormat, bool& Cancel)
{
    // One picture per acquisition: whatever else the source holds is dropped.
    Cancel = true;
    if (FScanFileChosen) {
        const QString file = QFile::decodeName(QByteArray(Filename, int(strnlen(Filename, sizeof(TW_STR255)))));
        // Checked like a picture opened from disk: a file that is no picture
        // changes nothing.
        const TPictureReport report = QuillonView->Image.ReplaceWith(file);
        if (report.Usable()) {
            SetPictureSource(file);
            QuillonView->ResetMapping();
            ShowMouseData();
            QuillonView->Paint();
            StartHistory(QString());
        }
        ShowPictureProblem(file, report);
    }
    QCoreApplication::processEvents();
}

bool Tmainform::LoadImageFile(const QString& FileName)
{
    if (IsDrawingFile(FileName))
        return LoadDrawingFile(FileName);
    // Decoded once; the view keeps its picture unless this one is valid.
    const TPictureReport report = QuillonView->Image.ReplaceWith(FileName);
    if (!report.Usable()) {
        ShowPictureProblem(FileName, report);
        return false;
    }
    SetPictureSource(FileName);
    ShowOpenedPicture(FileName, report);
    return true;
}

void Tmainform::SetPictureSource(const QString& FileName, const TPageChoice& Page, TDrawing Drawing)
{
    Document.ImageFileName = FileName;
    Document.ImagePage = Page.Page;
    Document.ImageResolution = Page.Page > 0 ? Page.Dpi : 0;
    FDrawing = std::move(Drawing);
}

void Tmainform::ShowOpenedPicture(const QString& FileName, const TPictureReport& report)
{
    QuillonView->ResetMapping();
    ShowMouseData();
    if (QuillonView->Settings->FitOnImageLoad)
        acFitToPageExecute();
    QuillonView->Paint();
    ShowPictureStart();
    NoteRecent(FileName);
    StartHistory(QString());
    ShowPictureProblem(FileName, report);
    SearchOpenedAxes();
}

void Tmainform::ShowPictureProblem(const QString& FileName, const TPictureReport& Report)
{
    const QString text = PictureProblemText(FileName, Report);
    if (text.isEmpty())
        return;
    if (Report.Usable())
        QMessageBox::warning(this, QStringLiteral("Warning"), text);
    else
        QMessageBox::critical(this, QStringLiteral("Error"), text);
}

void Tmainform::acFitToPageExecute()
{
    if (QuillonView->ImageHeight() == 0 || QuillonView->ImageWidth() == 0)
        return;
    const float zy = static_cast<float>((ScrollBox->height() - 5) / double(QuillonView->ImageHeight()));
    const float zx = static_cast<float>((ScrollBox->width() - 5) / double(QuillonView->ImageWidth()));
    // A pane narrower than its margin would give a zoom of zero or less.
    QuillonView->SetZoom(std::max(zy < zx ? zy : zx, TQuillonView::MinZoom));
}

void Tmainform::acDeleteSelectedPointsExecute()
{
    // The rows go in one pass first; the view's events for them then find
    // nothing left to remove, so the whole stays linear in the list.
    const QStringList names = SelectedNames();
    ListModel->DeleteRowsOf(names);
    QuillonView->DeleteSites(names);
    const QModelIndex focused = ListView->currentIndex();
    if (focused.isValid())
        ListView->selectionModel()->select(focused, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    QCoreApplication::processEvents();
}

void Tmainform::acPreferencesExecute()
{
    TfrmPreferences dialog(this);
    dialog.SetupForPreferences();
    dialog.SettingsToControls(*QuillonView->Settings);
    dialog.cbxAskToSave->setChecked(AskBeforeDiscarding());
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.ControlsToSettings(*QuillonView->Settings);
    QuillonView->Settings->SaveSettings();
    // The point and line options are the current series' look.
    Document.CurrentSeries().Look = QuillonView->Settings->Look();
    const bool ask = dialog.cbxAskToSave->isChecked();
    if (ask != AskBeforeDiscarding() && !SetAskBeforeDiscarding(ask))
        throw EFileError(QStringLiteral("The choice to ask before unsaved changes are lost could not be kept."));
    QuillonView->Paint();
}

void Tmainform::acDimensionsExecute()
{
    TQuillonView* v = QuillonView;
    TfrmPreferences dialog(this);
    dialog.SetupForDimensions();
    dialog.ksfT->SetValue(v->YTopValue);
    dialog.ksfL->SetValue(v->XLeftValue);
    dialog.ksfB->SetValue(v->YBottomValue);
    dialog.ksfR->SetValue(v->XRightValue);
    dialog.cbXAxis->setCurrentIndex(v->AxisXMap);
    dialog.cbyaxis->setCurrentIndex(v->AxisYMap);
    if (dialog.exec() != QDialog::Accepted)
        return;
    v->SetAxisValues(dialog.ksfL->Value, dialog.ksfT->Value, dialog.ksfR->Value, dialog.ksfB->Value);
    v->SetAxisKinds(AxisMappingOf(dialog.cbXAxis->currentIndex(), v->AxisXMap),
                    AxisMappingOf(dialog.cbyaxis->currentIndex(), v->AxisYMap));
    v->Paint();
}

QList<int> Tmainform::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& row : ListView->selectionModel()->selectedRows())
        rows << row.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void Tmainform::SelectRowsOf(const QStringList& Names)
{
    QSet<QString> wanted;
    for (const QString& name : Names)
        wanted.insert(name.toCaseFolded());
    QItemSelection selection;
    int first = -1;
    for (int row = 0; row < ListModel->Count(); ++row)
        if (wanted.contains(ListModel->Cell(row, 0).toCaseFolded())) {
            selection.select(ListModel->index(row, 0), ListModel->index(row, ListModel->columnCount() - 1));
            first = first < 0 ? row : first;
        }
    ListView->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (first >= 0)
        ListView->scrollTo(ListModel->index(first, 0));
}

QStringList Tmainform::SelectedNames() const
{
    QStringList names;
    for (int row : SelectedRows())
        names << ListModel->Cell(row, 0);
    return names;
}

QString Tmainform::HelpFileName() const
{
    return FHelpFile;
}

void Tmainform::acHelpExecute()
{
    // A help file beside the program comes first; else the manual, in the
    // browser.
    const QString manual = ProgramManual(QCoreApplication::applicationFilePath());
    if (QFileInfo::exists(HelpFileName()))
        QDesktopServices::openUrl(QUrl::fromLocalFile(HelpFileName()));
    else if (!manual.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(manual));
    else
        QMessageBox::critical(this, QStringLiteral("Error"), QStringLiteral("Cannot find Quillon help file"));
}

#include "main/formMain.h"
#include "WindowDriver.h"
#include "platform/QuillonError.h"

#include "ModalDriver.h"
#include "TestFiles.h"
#include "main/formAbout.h"
#include "widgets/formPreferences.h"
#include "widgets/frmTip.h"
#include "platform/CoordinateText.h"
#include "platform/Registry.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QCheckBox>
#include <QClipboard>
#include <QTimer>
#include <QDesktopServices>
#include <QToolTip>
#include <QWidgetAction>
#include <QMessageBox>
#include <QScrollArea>
#include <QTableView>
#include <QToolBar>
#include <QtTest>

#include <sys/stat.h>
#include <zlib.h>

namespace {

QStringList Items(const QList<QAction*>& actions)
{
    QStringList items;
    for (const QAction* a : actions)
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return items;
}

QString SavePicture(const QString& path, int width, int height)
{
    FIBITMAP* dib = FreeImage_Allocate(width, height, 24);
    const bool saved = FreeImage_Save(FIF_PNG, dib, QFile::encodeName(path).constData(), 0);
    FreeImage_Unload(dib);
    return saved ? path : QString();
}

QStringList ListNames(const TDataListModel& model)
{
    QStringList names;
    for (int r = 0; r < model.Count(); ++r)
        names << model.Cell(r, 0);
    return names;
}

} // namespace

// What the window asks the desktop to open, instead of opening it.
class TOpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& Url) { Urls << Url; }
};

class TestFormMain : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowAndPanels();
    void menusInOrder();
    void toolBar();
    void enablingRules();
    void helpNeedsHelpFile();
    void modeCheckMarks();
    void listFollowsViewEvents();
    void clearWhileHiddenKeepsList();
    void mappingColoursListAndShowsScale();
    void sortToggleIsShared();
    void sortErrorIsShownAndProgramGoesOn();
    void fitToPage();
    void pointsWaitForAWholeMapping_data();
    void pointsWaitForAWholeMapping();
    void aLoadCanBeCancelled_data();
    void aLoadCanBeCancelled();
    void loadUnreadableImageChangesNothing();
    void loadImageKeepsPointsAndResetsMapping();
    void deleteThreeSelectedRows();
    void pictureProblemsAreNamed();
    void zoomPanelTexts();
    void statusFollowsLocale();
    void preferencesSavesAndCancelChangesNothing();
    void dimensionsAppliesValuesAndKinds();
    void tipShowsOnceTheWindowIsUp();
    void aboutBoxFromTheHelpMenu();
    void listAndExportsFollowRotateAndFullBox();
    void statusShowsNoValuesWithoutMapping();
    void fitToPageStaysInMenuRange();
    void startupTipOnceAStart();
    void noHintsOnBarsOrStatus();
    void viewEventsDetachedBeforeTheWindowGoes();

private:
    TScopedConfigHome FHome;
    QTemporaryDir FDir;
    std::unique_ptr<Tmainform> FForm;
};

void TestFormMain::init()
{
    QFile::remove(FHome.SettingsFile());
    StoreStartupTip(false);
    FForm = std::make_unique<Tmainform>();
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
}

void TestFormMain::cleanup()
{
    FForm.reset();
    QLocale::setDefault(QLocale::c());
}

void TestFormMain::windowAndPanels()
{
    Tmainform& f = *FForm;
    QCOMPARE(f.windowTitle(), QStringLiteral("Untitled[*] - Quillon"));
    QVERIFY(!f.isWindowModified());
    QCOMPARE(f.size(), QSize(800, 600));
    QCOMPARE(Drive(f).pnlSeriesName()->text(), QStringLiteral("Digitized Data"));
    QStringList headers;
    for (int c = 0; c < 5; ++c)
        headers << Drive(f).ListModel()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    QCOMPARE(headers, (QStringList{"N", "Data X", "Data Y", "Pixel X", "Pixel Y"}));
    QCOMPARE(Drive(f).ListView()->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(Drive(f).ListView()->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(Drive(f).ListView()->showGrid());
    QCOMPARE(Drive(f).StatusPanels(0)->text(), QStringLiteral("X: "));
    QCOMPARE(Drive(f).StatusPanels(4)->text(), QStringLiteral("Zoom:"));
    QCOMPARE(Drive(f).ScrollBox()->widget(), Drive(f).QuillonView());
    QCOMPARE(Drive(f).QuillonView()->GetMouseAction(), maRubberBand);
}

void TestFormMain::menusInOrder()
{
    const QMenuBar* bar = FForm->menuBar();
    QStringList titles;
    for (const QAction* a : bar->actions())
        titles << a->text();
    QCOMPARE(titles, (QStringList{"File", "&Edit", "Data", "&View", "&Tools", "Image", "&Help", "&Series"}));
    auto menu = [bar](int i) { return Items(bar->actions()[i]->menu()->actions()); };
    // New commands follow the described ones.
    QCOMPARE(menu(0), (QStringList{"&Load Image From File...", "-", "&Aquire Image...", "-", "L&oad Session...",
                                   "&Save Session...", "-", "&Exit", "-", "Open &Recent", "Save Session &As...",
                                   "&Close"}));
    QCOMPARE(menu(1), (QStringList{"Cu&t", "&Copy", "&Paste", "-", "Undo", "Redo"}));
    QCOMPARE(menu(2), (QStringList{"Full Box", "&Dimensions", "-", "Delete Selected Points", "&Clear All Points", "-",
                                   "D&ata To Clipboard", "Data to Space Separated Value File", "-",
                                   "Plotting &Area...", "&Export All Series...", "-", "Extract C&urve...",
                                   "Extract Ma&rkers...", "-", "Calibrate by &Points", "Calibration Poi&nts...",
                                   "Axis Dates and &Times...", "-", "Pick Curve from &Drawing...",
                                   "Axes from Dra&wing...", "Find A&xes..."}));
    QCOMPARE(menu(3), (QStringList{"&Zoom Preview", "-", "&500%", "&400%", "&300%", "&200%", "&100%", "&75%", "5&0%", "25%", "-",
                                   "Fi&t to Page", "-", "Zoom &In", "Zoom O&ut", "-", "Calibration &Grid"}));
    QCOMPARE(menu(4), (QStringList{"P&references", "&Paint"}));
    QCOMPARE(menu(5), (QStringList{"&Flip Image Horizontal", "F&lip Image Vertical", "&Invert"}));
    QCOMPARE(menu(6), (QStringList{"&Tip of the Day...", "&Help...", "-", "&About Quillon..."}));
    QCOMPARE(menu(7), (QStringList{"&New Series", "&Rename Series...", "&Delete Series", "-", "Ne&xt Series",
                                   "&Previous Series"}));
    QCOMPARE(Drive(*FForm).Action("acHelp")->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(Drive(*FForm).Action("EditCopy1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    QCOMPARE(Drive(*FForm).Action("acLoadImage")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(Drive(*FForm).Action("acLoadSession")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    QCOMPARE(Drive(*FForm).Action("acSaveSession")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(Drive(*FForm).Action("FileExit1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    for (const QKeySequence& in : {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)})
        QVERIFY(Drive(*FForm).Action("acZoomIn")->shortcuts().contains(in));
    QVERIFY(Drive(*FForm).Action("acZoomOut")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Minus)));
    // No key is claimed twice in the window.
    QSet<QKeySequence> keys;
    for (const QAction* a : FForm->findChildren<QAction*>())
        for (const QKeySequence& key : a->shortcuts()) {
            QVERIFY2(!keys.contains(key), qPrintable(key.toString()));
            keys.insert(key);
        }
}

void TestFormMain::toolBar()
{
    QStringList items;
    for (const QAction* a : Drive(*FForm).ActionToolBar1()->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->iconText());
    QCOMPARE(items, (QStringList{"Mapping", "Rotate", "Digitise", "-", "Dimensions", "-", "", "-", "Extract Curve",
                                 "Extract Markers", "", "", ""}));
    QCOMPARE(Drive(*FForm).Action("acCalibrateMode")->toolTip(), QStringLiteral("Calibrate by Points"));
    QCOMPARE(Drive(*FForm).Action("acPickDrawing")->toolTip(), QStringLiteral("Pick Curve from Drawing"));
    QCOMPARE(Drive(*FForm).Action("acFindAxes")->toolTip(), QStringLiteral("Find Axes"));
    QCOMPARE(Drive(*FForm).ActionToolBar1()->widgetForAction(Drive(*FForm).ActionToolBar1()->actions()[6]),
             static_cast<QWidget*>(Drive(*FForm).cbSeries()));
    QVERIFY(!Drive(*FForm).Action("acRectangleMode")->icon().isNull());
}

void TestFormMain::enablingRules()
{
    Tmainform& f = *FForm;
    Drive(f).UpdateCommands();
    QVERIFY(!Drive(f).Action("acDeleteSelectedPoints")->isEnabled());
    QVERIFY(!Drive(f).Action("EditCut1")->isEnabled());
    QVERIFY(!Drive(f).Action("EditPaste1")->isEnabled());
    Drive(f).QuillonView()->AddSite(QStringLiteral("1"), 5, 5);
    Drive(f).ListView()->selectRow(0);
    QVERIFY(Drive(f).Action("acDeleteSelectedPoints")->isEnabled());
    Drive(f).ListView()->clearSelection();
    QVERIFY(!Drive(f).Action("acDeleteSelectedPoints")->isEnabled());
}

void TestFormMain::helpNeedsHelpFile()
{
    Tmainform& f = *FForm;
    const QString help = Drive(f).HelpFileName();
    const QString manual = QCoreApplication::applicationDirPath() + QStringLiteral("/manual/index.html");
    QVERIFY(QFileInfo(help).absolutePath() == QCoreApplication::applicationDirPath());
    QFile::remove(help);
    QFile::remove(manual);
    Drive(f).UpdateCommands();
    QVERIFY(!Drive(f).Action("acHelp")->isEnabled());
    TOpenedUrls opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "Open");
    // The help file beside the program first; without it, the manual.
    WriteTextFile(help, "help");
    QDir().mkpath(QFileInfo(manual).absolutePath());
    WriteTextFile(manual, "<html></html>");
    for (const QString& page : {help, manual}) {
        Drive(f).UpdateCommands();
        QVERIFY(Drive(f).Action("acHelp")->isEnabled());
        Drive(f).Action("acHelp")->trigger();
        QCOMPARE(opened.Urls.value(opened.Urls.size() - 1), QUrl::fromLocalFile(page));
        QFile::remove(page);
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDir().rmdir(QFileInfo(manual).absolutePath());
    // Gone by the time of the command: the error box.
    QString message;
    WhenModalShown reader("QMessageBox", ReadInto(message));
    Drive(f).Action("acHelp")->trigger();
    QCOMPARE(message, QStringLiteral("Cannot find Quillon help file"));
}

void TestFormMain::modeCheckMarks()
{
    Tmainform& f = *FForm;
    Drive(f).Action("acClickMode")->trigger();
    QCOMPARE(Drive(f).QuillonView()->GetMouseAction(), maClick);
    QVERIFY(Drive(f).Action("acClickMode")->isChecked());
    for (const char* other : {"acRectangleMode", "acRotateMode", "acNoneMode"})
        QVERIFY(!Drive(f).Action(other)->isChecked());
    // Triggering the checked one again keeps it checked.
    Drive(f).Action("acClickMode")->trigger();
    QVERIFY(Drive(f).Action("acClickMode")->isChecked());
    Drive(f).QuillonView()->SetMouseAction(maRotateV);
    Drive(f).UpdateCommands();
    for (const char* mode : {"acRectangleMode", "acRotateMode", "acClickMode", "acNoneMode"})
        QVERIFY(!Drive(f).Action(mode)->isChecked());
    Drive(f).Action("acRotateMode")->trigger();
    QCOMPARE(Drive(f).QuillonView()->GetMouseAction(), maRotateH);
    Drive(f).Action("acFullBoundingBox")->trigger();
    QVERIFY(Drive(f).Action("acRectangleMode")->isChecked());
}

void TestFormMain::listFollowsViewEvents()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.SetMappingRect({0, 0, 100, 100});
    v.AddSite(QStringLiteral("1"), 25, 75);
    QCOMPARE(Drive(f).ListModel()->Count(), 1);
    const TDataListModel& model = *Drive(f).ListModel();
    const QStringList cells{model.Cell(0, 0), model.Cell(0, 1), model.Cell(0, 2), model.Cell(0, 3), model.Cell(0, 4)};
    QCOMPARE(cells, (QStringList{"1", "25", "25", "25", "75"}));
    v.AddSite(QStringLiteral("x"), 3, 4);
    v.SetAxisValues(0, 200, 200, 0);
    QCOMPARE(Drive(f).ListModel()->Cell(0, 1), QStringLiteral("50"));
    QCOMPARE(Drive(f).ListModel()->Cell(1, 1), QStringLiteral("6"));
    v.DeleteSite(QStringLiteral("1"));
    QCOMPARE(ListNames(*Drive(f).ListModel()), QStringList{"x"});
}

void TestFormMain::clearWhileHiddenKeepsList()
{
    Tmainform& f = *FForm;
    Drive(f).QuillonView()->AddSite(QStringLiteral("1"), 1, 1);
    f.hide();
    Drive(f).QuillonView()->ClearSites();
    QCOMPARE(Drive(f).ListModel()->Count(), 1);
    f.show();
    Drive(f).Action("acClearAllPoints")->trigger();
    QCOMPARE(Drive(f).ListModel()->Count(), 0);
}

void TestFormMain::mappingColoursListAndShowsScale()
{
    Tmainform& f = *FForm;
    QColor during;
    Drive(f).QuillonView()->SetMappingRect({0, 0, 100, 50});
    Drive(f).QuillonView()->Image.SetSize(FIT_BITMAP, 200, 200, 24);
    Drive(f).QuillonView()->Paint();
    Drive(f).QuillonView()->OnMouseMove = nullptr;
    auto before = Drive(f).QuillonView()->OnBeforeMap;
    Drive(f).QuillonView()->OnBeforeMap = [&](QObject* s) {
        before(s);
        during = Drive(f).ListView()->palette().color(QPalette::Base);
    };
    QTest::mouseClick(Drive(f).QuillonView(), Qt::LeftButton, {}, {10, 10});
    QCOMPARE(during, QColor(192, 192, 192));
    QCOMPARE(Drive(f).ListView()->palette().color(QPalette::Base), QColor(255, 255, 255));
    Drive(f).QuillonView()->SetZoom(2);
    Drive(f).QuillonView()->SetAxisValues(0, 10, 50, 0);
    QCOMPARE(Drive(f).StatusPanels(2)->text(), QStringLiteral("X Pix: 0.25"));
    QCOMPARE(Drive(f).StatusPanels(3)->text(), QStringLiteral("Y Pix: 0.1"));
}

void TestFormMain::sortToggleIsShared()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.AddSite(QStringLiteral("1"), 30, 1);
    v.AddSite(QStringLiteral("2"), 10, 3);
    v.AddSite(QStringLiteral("3"), 20, 2);
    QHeaderView* header = Drive(f).ListView()->horizontalHeader();
    auto click = [header](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    click(3); // "Pixel X"
    QCOMPARE(ListNames(*Drive(f).ListModel()), (QStringList{"2", "3", "1"}));
    QCOMPARE(Drive(f).ListTag(), 1);
    click(3);
    QCOMPARE(ListNames(*Drive(f).ListModel()), (QStringList{"1", "3", "2"}));
    click(3);
    click(4); // "Pixel Y" after an ascending sort: descending
    QCOMPARE(ListNames(*Drive(f).ListModel()), (QStringList{"2", "3", "1"}));
    QCOMPARE(Drive(f).ListTag(), 0);
}

void TestFormMain::sortErrorIsShownAndProgramGoesOn()
{
    Tmainform& f = *FForm;
    Drive(f).QuillonView()->AddSite(QStringLiteral("2"), 1, 1);
    Drive(f).QuillonView()->AddSite(QStringLiteral("peak"), 2, 2);
    QString message;
    WhenModalShown reader("QMessageBox", ReadInto(message));
    QHeaderView* header = Drive(f).ListView()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 3, 5));
    QCOMPARE(message, QStringLiteral("'peak' is not a valid integer value"));
    QCOMPARE(ListNames(*Drive(f).ListModel()), (QStringList{"2", "peak"}));
    // The toggle moved with the failed click: the next sort is descending.
    Drive(f).ListViewColumnClick(3);
    QCOMPARE(ListNames(*Drive(f).ListModel()), (QStringList{"peak", "2"}));
}

void TestFormMain::fitToPage()
{
    Tmainform& f = *FForm;
    Drive(f).Action("acFitToPage")->trigger(); // no image: nothing, no message
    QCOMPARE(Drive(f).QuillonView()->Zoom, 1.0f);
    Drive(f).ScrollBox()->setFixedSize(500, 400);
    QCoreApplication::processEvents();
    QCOMPARE(Drive(f).ScrollBox()->size(), QSize(500, 400));
    Drive(f).QuillonView()->Image.SetSize(FIT_BITMAP, 990, 395, 8);
    Drive(f).Action("acFitToPage")->trigger();
    QCOMPARE(Drive(f).QuillonView()->Zoom, 0.5f);
    QCOMPARE(Drive(f).StatusPanels(4)->text(), QStringLiteral("Zoom: 0.5"));
    // Equal ratios: the width ratio.
    Drive(f).QuillonView()->Image.SetSize(FIT_BITMAP, 495, 395, 8);
    Drive(f).Action("acFitToPage")->trigger();
    QCOMPARE(Drive(f).QuillonView()->Zoom, 1.0f);
}

void TestFormMain::fitToPageStaysInMenuRange()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.Image.SetSize(FIT_BITMAP, 990, 395, 8);
    // A pane collapsed below its margin: the smallest zoom, not zero or
    // less.
    Drive(f).ScrollBox()->setFixedSize(3, 2);
    QCoreApplication::processEvents();
    Drive(f).Action("acFitToPage")->trigger();
    QVERIFY(v.Zoom == TQuillonView::MinZoom);
    QCOMPARE(v.size(), QSize(62, 25));
    // A 500 dpi scan fits a full-screen window, below the menu's 25 %.
    Drive(f).ScrollBox()->setFixedSize(1900, 1000);
    QCoreApplication::processEvents();
    v.Image.SetSize(FIT_BITMAP, 6000, 4500, 8);
    Drive(f).Action("acFitToPage")->trigger();
    QVERIFY(v.Zoom < 0.25f);
    QVERIFY(v.width() <= 1900 && v.height() <= 1000);
    // A tiny picture in a large pane: the largest.
    Drive(f).ScrollBox()->setFixedSize(500, 400);
    QCoreApplication::processEvents();
    v.Image.SetSize(FIT_BITMAP, 10, 8, 8);
    Drive(f).Action("acFitToPage")->trigger();
    QVERIFY(v.Zoom == 5.0f);
    QCOMPARE(Drive(f).StatusPanels(4)->text(), QStringLiteral("Zoom: 5"));
}

void TestFormMain::listAndExportsFollowRotateAndFullBox()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    QVERIFY(Drive(f).LoadImageFile(SavePicture(FDir.filePath("chart.png"), 200, 150)));
    // Map by a rubber band, give the values, digitise three points.
    QTest::mouseMove(&v, {20, 130});
    QTest::mousePress(&v, Qt::LeftButton, {}, {20, 130});
    QTest::mouseMove(&v, {180, 20});
    QTest::mouseRelease(&v, Qt::LeftButton, {}, {180, 20});
    QCOMPARE(v.MappingRect, (TRect{20, 20, 180, 130}));
    v.SetAxisValues(0, 50, 10, 0);
    Drive(f).Action("acClickMode")->trigger();
    for (QPoint p : {QPoint(60, 100), QPoint(100, 70), QPoint(150, 40)})
        QTest::mouseClick(&v, Qt::LeftButton, {}, p);
    QCOMPARE(v.SiteCount(), 3);
    // Every line of both exports is PixelToData of its point under the
    // mapping in force.
    auto expected = [&v](QChar separator) {
        QString text;
        for (int i = 0; i < v.SiteCount(); ++i) {
            TDataPoint d;
            v.PixelToData(v.GetSite(i)->Point(), d);
            text += CoordinateText(d.X, 6, 3) + separator + CoordinateText(d.Y, 6, 3) + QStringLiteral("\r\n");
        }
        return text;
    };
    const QString before = expected(u' ');
    Drive(f).Action("acRotateMode")->trigger();
    QTest::mousePress(&v, Qt::LeftButton, {}, {100, 100});
    for (int x : {101, 102, 103})
        QTest::mouseMove(&v, {x, 100});
    QTest::mouseRelease(&v, Qt::LeftButton, {}, {103, 100});
    QVERIFY(v.Angle == 3.0);
    QVERIFY(expected(u' ') != before);
    Drive(f).SaveDataFile(FDir.filePath("turned.txt"));
    QCOMPARE(QString::fromUtf8(ReadTextFile(FDir.filePath("turned.txt"))), expected(u' '));
    Drive(f).Action("acCopyToClipboard")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), expected(u'\t'));
    // Full Box changes the rectangle, and the data with it.
    const QString turned = expected(u' ');
    Drive(f).Action("acFullBoundingBox")->trigger();
    QCOMPARE(v.MappingRect, (TRect{0, 0, 199, 149}));
    QVERIFY(expected(u' ') != turned);
    Drive(f).SaveDataFile(FDir.filePath("full.txt"));
    QCOMPARE(QString::fromUtf8(ReadTextFile(FDir.filePath("full.txt"))), expected(u' '));
    QCOMPARE(Drive(f).StatusPanels(2)->text(), QStringLiteral("X Pix: ") + CoordinateText(10.0 / 199, 6, 3));
}

void TestFormMain::statusShowsNoValuesWithoutMapping()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    QVERIFY(Drive(f).LoadImageFile(SavePicture(FDir.filePath("first.png"), 100, 100)));
    v.SetMappingRect({0, 0, 8, 8});
    v.SetAxisValues(0, 100, 100, 0);
    QTest::mouseMove(&v, {1, 7});
    QCOMPARE(Drive(f).StatusPanels(0)->text(), QStringLiteral("X: 12.5"));
    // A new picture has no mapping yet: its values are nobody's.
    QVERIFY(Drive(f).LoadImageFile(SavePicture(FDir.filePath("second.png"), 100, 100)));
    QCOMPARE(Drive(f).StatusPanels(0)->text(), QStringLiteral("X: "));
    QCOMPARE(Drive(f).StatusPanels(1)->text(), QStringLiteral("Y: "));
    for (TMouseAction mode : {maRubberBand, maClick, maRotateH}) {
        v.SetMouseAction(mode);
        QTest::mouseMove(&v, {40, 30});
        QCOMPARE(Drive(f).StatusPanels(0)->text(), QStringLiteral("X: "));
        QCOMPARE(Drive(f).StatusPanels(1)->text(), QStringLiteral("Y: "));
    }
}

void TestFormMain::startupTipOnceAStart()
{
    FForm.reset();
    StoreStartupTip(true);
    // Closes every tip window that comes up, and counts them.
    int shown = 0;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        if (auto* tip = qobject_cast<TformKSTip*>(QApplication::activeModalWidget()); tip && tip->isVisible()) {
            ++shown;
            tip->bClose->click();
        }
    });
    closer.start(10);
    Tmainform form;
    form.show();
    QTRY_COMPARE(shown, 1);
    // Minimised and restored, twice: no tip again, the stored tip stays.
    for (int i = 0; i < 2; ++i) {
        form.showMinimized();
        QCoreApplication::processEvents();
        form.hide();
        form.showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(50);
    }
    QCOMPARE(shown, 1);
    TRegistry registry;
    QVERIFY(registry.OpenKey(QStringLiteral("\\Software\\Kestrow\\Quillon\\TipOfDay"), false));
    QCOMPARE(registry.ReadString(QStringLiteral("LastTip")), std::optional<QString>(QStringLiteral("0")));
}

void TestFormMain::noHintsOnBarsOrStatus()
{
    Tmainform& f = *FForm;
    Drive(f).QuillonView()->Image.SetSize(FIT_BITMAP, 100, 100, 24);
    Drive(f).QuillonView()->SetMappingRect({0, 0, 8, 8});
    QTest::mouseMove(Drive(f).QuillonView(), {1, 7});
    const QString x = Drive(f).StatusPanels(0)->text();
    for (QAction* a : Drive(f).ActionToolBar1()->actions()) {
        QWidget* button = Drive(f).ActionToolBar1()->widgetForAction(a);
        if (!button || a->isSeparator() || qobject_cast<QWidgetAction*>(a))
            continue;
        // A tool bar button's tip names its command, and the key where it
        // has one.
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(button, &help);
        QVERIFY2(QToolTip::isVisible(), qPrintable(a->text()));
        const QString key = a->shortcut().toString(QKeySequence::NativeText);
        const QString name = a->iconText().remove(QStringLiteral("..."));
        QCOMPARE(QToolTip::text(), key.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, key));
        QToolTip::hideText();
    }
    // The long hint of an edit command never takes the status bar's place.
    QStatusTipEvent tip(Drive(f).Action("EditCut1")->statusTip());
    QCoreApplication::sendEvent(f.menuBar(), &tip);
    QCOMPARE(f.statusBar()->currentMessage(), QString());
    QVERIFY(Drive(f).StatusPanels(0)->isVisible());
    QCOMPARE(Drive(f).StatusPanels(0)->text(), x);
}

void TestFormMain::viewEventsDetachedBeforeTheWindowGoes()
{
    TQuillonView* v = Drive(*FForm).QuillonView();
    v->AddSite(QStringLiteral("1"), 1, 1);
    // Take the view out, so that it outlives the window, as it outlives the
    // window's members while Qt deletes the children.
    QCOMPARE(Drive(*FForm).ScrollBox()->takeWidget(), v);
    FForm.reset();
    QVERIFY(!v->OnAddSite && !v->OnModSite && !v->OnDeleteSite && !v->OnClearSites);
    QVERIFY(!v->OnBeforeMap && !v->OnAfterMap && !v->OnZoom && !v->OnMouseMove);
    delete v; // raises nothing into the window that is gone
}

// Points clicked before the mapping is whole keep their clicks but show no
// data values, the status bar says what to do next, and the exports refuse
// rather than write not-a-number or zeros.
void TestFormMain::pointsWaitForAWholeMapping_data()
{
    QTest::addColumn<bool>("picture");
    QTest::addColumn<bool>("area");
    QTest::addColumn<bool>("values");
    QTest::addColumn<QString>("step");
    const QString drag = QStringLiteral("Drag a rectangle over the plotting area");
    const QString values = QStringLiteral("Set the axis values: Data > Dimensions");
    QTest::newRow("no picture") << false << false << false
                                << "Open a chart: File > Load Image, paste, or drop a file here";
    QTest::newRow("no area") << true << false << false << drag;
    QTest::newRow("no axis values") << true << true << false << values;
    QTest::newRow("whole") << true << true << true << "Click the points of a curve, or Data > Extract Curve";
}

void TestFormMain::pointsWaitForAWholeMapping()
{
    QFETCH(bool, picture);
    QFETCH(bool, area);
    QFETCH(bool, values);
    QFETCH(QString, step);
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    if (picture)
        QVERIFY(Drive(f).LoadImageFile(SavePicture(FDir.filePath("chart.png"), 41, 31)));
    v.SetMappingRect(area ? TRect{0, 0, 40, 30} : TRect{});
    v.SetAxisValues(0, values ? 3 : 0, values ? 4 : 0, 0);
    v.AddSite(QStringLiteral("1"), 10, 15);
    Drive(f).UpdateCommands();
    QCOMPARE(f.findChild<QLabel*>(QStringLiteral("pnlNextStep"))->text(), step);
    // An empty window says how to start over the picture's pane too.
    QCOMPARE(f.findChild<QLabel*>(QStringLiteral("lblStart"))->isVisible(), !picture);
    QCOMPARE(Drive(f).ListModel()->Cell(0, 1), values ? QStringLiteral("1") : QString());
    QString refused;
    try {
        Drive(f).SaveDataFile(FDir.filePath("data.txt"));
    } catch (const EQuillonError& e) {
        refused = e.Message;
    }
    const QString missing = v.MissingStep();
    QCOMPARE(missing.isEmpty(), values);
    QCOMPARE(refused, values ? QString() : QStringLiteral("The points have no data values yet: %1.").arg(missing));
    QCOMPARE(QFileInfo::exists(FDir.filePath("data.txt")), values);
}

// A load waits for its decoder without freezing the window, and holds any
// other input back; Esc, or the status bar's Cancel, ends it with the
// picture and the points as they were and nothing said.
void TestFormMain::aLoadCanBeCancelled_data()
{
    QTest::addColumn<bool>("button");
    QTest::newRow("Esc") << false;
    QTest::newRow("Cancel") << true;
}

void TestFormMain::aLoadCanBeCancelled()
{
    QFETCH(bool, button);
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    QVERIFY(Drive(f).LoadImageFile(SavePicture(FDir.filePath("first.png"), 40, 30)));
    v.AddSite(QStringLiteral("1"), 5, 5);
    Drive(f).Action("acClickMode")->trigger();
    // The test decoder stops itself on a picture of this name.
    const QString stalls = SavePicture(FDir.filePath("stop"), 50, 50);
    v.Image.Decoder.Program = QStringLiteral(QUILLON_DECODER_DOUBLE);
    // Once the wait is said, with its button (later on a loaded machine): a
    // click on the picture, held back, then the cancel.
    QTimer poll;
    connect(&poll, &QTimer::timeout, &f, [&] {
        QWidget* cancel = f.findChild<QWidget*>(QStringLiteral("bCancelLoad"));
        if (!cancel || !cancel->isVisible())
            return;
        poll.stop();
        QTest::mouseClick(&v, Qt::LeftButton, {}, {20, 20});
        if (button)
            QTest::mouseClick(cancel, Qt::LeftButton);
        else
            QTest::keyClick(&f, Qt::Key_Escape);
    });
    poll.start(50);
    QVERIFY(!Drive(f).LoadImageFile(stalls));
    QVERIFY(!poll.isActive());
    v.Image.Decoder.Program.clear();
    QCOMPARE(v.ImageWidth(), 40);
    QCOMPARE(v.SiteCount(), 1);
    QCOMPARE(Drive(f).Document().ImageFileName, FDir.filePath("first.png"));
    QVERIFY(!f.findChild<QWidget*>(QStringLiteral("bCancelLoad")));
}

void TestFormMain::loadUnreadableImageChangesNothing()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    QVERIFY(Drive(f).LoadImageFile(SavePicture(FDir.filePath("first.png"), 40, 30)));
    v.SetMappingRect({1, 2, 30, 20});
    v.SetAxisValues(1, 2, 3, 4);
    v.AddSite(QStringLiteral("1"), 5, 5);
    WriteTextFile(FDir.filePath("broken.png"), "not a picture at all");
    QString message;
    WhenModalShown reader("QMessageBox", ReadInto(message));
    QVERIFY(!Drive(f).LoadImageFile(FDir.filePath("broken.png")));
    QCOMPARE(message, QStringLiteral("Invalid Image Format."));
    QCOMPARE(Drive(f).Document().ImageFileName, FDir.filePath("first.png"));
    QCOMPARE(v.ImageWidth(), 40);
    QCOMPARE(v.MappingRect, (TRect{1, 2, 30, 20}));
    QCOMPARE(v.XRightValue, 3.0);
    QCOMPARE(v.SiteCount(), 1);
}

void TestFormMain::loadImageKeepsPointsAndResetsMapping()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.SetMappingRect({1, 2, 30, 20});
    v.AddSite(QStringLiteral("1"), 5, 5);
    v.Settings->FitOnImageLoad = true;
    Drive(f).ScrollBox()->setFixedSize(405, 305);
    QCoreApplication::processEvents();
    QVERIFY(Drive(f).LoadImageFile(SavePicture(FDir.filePath("chart.png"), 800, 600)));
    QCOMPARE(Drive(f).Document().ImageFileName, FDir.filePath("chart.png"));
    QCOMPARE(v.ImageWidth(), 800);
    QCOMPARE(v.MappingRect, TRect{});
    QCOMPARE(v.XLeftValue, 0.0);
    QCOMPARE(v.XRightValue, 0.0);
    QCOMPARE(v.SiteCount(), 1);
    QCOMPARE(v.Zoom, 0.5f);
    QCOMPARE(v.size(), QSize(400, 300));
}

void TestFormMain::pictureProblemsAreNamed()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    QVERIFY(Drive(f).LoadImageFile(SavePicture(FDir.filePath("first.png"), 40, 30)));
    const auto messageOf = [&](const QString& file, bool& loaded) {
        QString message;
        WhenModalShown reader("QMessageBox", ReadInto(message));
        loaded = Drive(f).LoadImageFile(file);
        return message;
    };
    bool loaded = true;
    const QString fifo = FDir.filePath("fifo.png");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(messageOf(fifo, loaded),
             QStringLiteral("The picture %1 could not be opened: it is not a regular file.").arg(fifo));
    QVERIFY(!loaded);
    // A PNG header that claims 30000 x 30000 pixels and holds a few bytes.
    QByteArray bomb = ReadTextFile(FDir.filePath("first.png"));
    const QByteArray size = QByteArray::fromHex("0000753000007530");
    bomb.replace(16, 8, size);
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(bomb.constData() + 12), 17));
    for (int i = 0; i < 4; ++i)
        bomb[29 + i] = char(crc >> (24 - 8 * i));
    WriteTextFile(FDir.filePath("bomb.png"), bomb);
    QCOMPARE(messageOf(FDir.filePath("bomb.png"), loaded),
             QStringLiteral("The picture %1 is too large: 30000 x 30000 pixels need 2575 MB, more than the %2 MB "
                            "allowed.")
                 .arg(FDir.filePath("bomb.png"))
                 .arg(PictureByteLimit() / (1024 * 1024)));
    QVERIFY(!loaded);
    QCOMPARE(v.ImageWidth(), 40);
    // Damaged: said, and shown all the same.
    FIBITMAP* dib = FreeImage_Allocate(50, 20, 24);
    QVERIFY(FreeImage_Save(FIF_BMP, dib, QFile::encodeName(FDir.filePath("whole.bmp")).constData(), 0));
    FreeImage_Unload(dib);
    WriteTextFile(FDir.filePath("cut.bmp"), ReadTextFile(FDir.filePath("whole.bmp")).left(1000));
    QCOMPARE(messageOf(FDir.filePath("cut.bmp"), loaded),
             QStringLiteral("The picture %1 is damaged: the file ends before the picture does. What could be read "
                            "is shown.")
                 .arg(FDir.filePath("cut.bmp")));
    QVERIFY(loaded);
    QCOMPARE(v.ImageWidth(), 50);
    QCOMPARE(Drive(f).Document().ImageFileName, FDir.filePath("cut.bmp"));
}

void TestFormMain::deleteThreeSelectedRows()
{
    Tmainform& f = *FForm;
    for (int i = 1; i <= 5; ++i)
        Drive(f).QuillonView()->AddSite(QString::number(i), i * 10, i * 10);
    QItemSelectionModel* selection = Drive(f).ListView()->selectionModel();
    for (int row : {0, 2, 4})
        selection->select(Drive(f).ListModel()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Drive(f).Action("acDeleteSelectedPoints")->trigger();
    QCOMPARE(Drive(f).QuillonView()->SiteCount(), 2);
    QCOMPARE(Drive(f).QuillonView()->GetSite(0)->Name, QStringLiteral("2"));
    QCOMPARE(Drive(f).QuillonView()->GetSite(1)->Name, QStringLiteral("4"));
    QCOMPARE(ListNames(*Drive(f).ListModel()), (QStringList{"2", "4"}));
    QVERIFY(!Drive(f).Action("acDeleteSelectedPoints")->isEnabled());
}

void TestFormMain::zoomPanelTexts()
{
    Tmainform& f = *FForm;
    Drive(f).Action("acZoom5x")->trigger();
    QCOMPARE(Drive(f).StatusPanels(4)->text(), QStringLiteral("Zoom: 5"));
    Drive(f).Action("acZoom075")->trigger();
    QCOMPARE(Drive(f).StatusPanels(4)->text(), QStringLiteral("Zoom: 0.75"));
    Drive(f).Action("acZoom025")->trigger();
    QCOMPARE(Drive(f).StatusPanels(4)->text(), QStringLiteral("Zoom: 0.25"));
    Drive(f).Action("acActualSize")->trigger();
    QCOMPARE(Drive(f).QuillonView()->Zoom, 1.0f);
}

void TestFormMain::statusFollowsLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.Image.SetSize(FIT_BITMAP, 200, 200, 24);
    v.Paint();
    v.SetMappingRect({0, 0, 8, 8});
    v.SetAxisValues(0, 100, 100, 0);
    QTest::mouseMove(&v, {1, 7});
    QCOMPARE(Drive(f).StatusPanels(0)->text(), QStringLiteral("X: 12,5"));
    QCOMPARE(Drive(f).StatusPanels(1)->text(), QStringLiteral("Y: 12,5"));
}

void TestFormMain::preferencesSavesAndCancelChangesNothing()
{
    Tmainform& f = *FForm;
    {
        WhenModalShown cancel("TfrmPreferences", [](QWidget* w) {
            auto* dialog = static_cast<TfrmPreferences*>(w);
            dialog->cbPointType->setCurrentText(QStringLiteral("Square Plus"));
            dialog->pnlLineColour->SetColour(0x123456);
            dialog->reject();
        });
        Drive(f).Action("acPreferences")->trigger();
        QVERIFY(cancel.Answered());
    }
    QCOMPARE(Drive(f).QuillonView()->Settings->PointType, ptPlus);
    QVERIFY(!QFile::exists(FHome.SettingsFile()) || !ReadTextFile(FHome.SettingsFile()).contains("PointType"));
    WhenModalShown confirm("TfrmPreferences", [](QWidget* w) {
        auto* dialog = static_cast<TfrmPreferences*>(w);
        dialog->cbPointType->setCurrentText(QStringLiteral("Square Plus"));
        dialog->bOK->click();
    });
    Drive(f).Action("acPreferences")->trigger();
    QVERIFY(confirm.Answered());
    QCOMPARE(int(Drive(f).QuillonView()->Settings->PointType), 9);
    QVERIFY(ReadTextFile(FHome.SettingsFile()).contains("PointType=9"));
}

void TestFormMain::dimensionsAppliesValuesAndKinds()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.SetMappingRect({0, 0, 100, 100});
    v.SetAxisValues(1, 100, 1000, 0);
    v.AddSite(QStringLiteral("1"), 50, 50);
    double offeredTop = 0;
    {
        WhenModalShown cancel("TfrmPreferences", [&](QWidget* w) {
            auto* dialog = static_cast<TfrmPreferences*>(w);
            offeredTop = dialog->ksfT->Value;
            dialog->ksfL->SetValue(5);
            dialog->reject();
        });
        Drive(f).Action("acDimensions")->trigger();
    }
    QCOMPARE(offeredTop, 100.0);
    QCOMPARE(v.XLeftValue, 1.0);
    WhenModalShown confirm("TfrmPreferences", [](QWidget* w) {
        auto* dialog = static_cast<TfrmPreferences*>(w);
        dialog->cbXAxis->setCurrentIndex(1);
        dialog->bOK->click();
    });
    Drive(f).Action("acDimensions")->trigger();
    QCOMPARE(v.AxisXMap, amLog10);
    QCOMPARE(v.AxisYMap, amLinear);
    // Halfway on a log axis from 1 to 1000: 10^1.5, shown under the new kind.
    QCOMPARE(Drive(f).ListModel()->Cell(0, 1), QStringLiteral("31.6228"));
}

void TestFormMain::tipShowsOnceTheWindowIsUp()
{
    FForm.reset();
    StoreStartupTip(true);
    bool mainOnScreen = false;
    QString status;
    {
        WhenModalShown tip("TformKSTip", [&](QWidget* w) {
            auto* window = static_cast<TformKSTip*>(w);
            mainOnScreen = window->parentWidget() && window->parentWidget()->isVisible();
            status = window->status->currentMessage();
            window->cbxShowTips->setChecked(false);
            window->bClose->click();
        });
        Tmainform form;
        form.show();
        QTRY_VERIFY(tip.Answered());
    }
    QVERIFY(mainOnScreen);
    QCOMPARE(status, QStringLiteral("This is tip 1 of 4"));
    // Switched off: no window at start, while the command still shows it.
    Tmainform form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    WhenModalShown tip("TformKSTip", [&](QWidget* w) {
        status = static_cast<TformKSTip*>(w)->status->currentMessage();
        static_cast<TformKSTip*>(w)->bClose->click();
    });
    Drive(form).Action("acTip")->trigger();
    QVERIFY(tip.Answered());
    QCOMPARE(status, QStringLiteral("This is tip 2 of 4"));
}

void TestFormMain::aboutBoxFromTheHelpMenu()
{
    QString version;
    WhenModalShown about("TfrmAbout", [&](QWidget* w) {
        auto* box = static_cast<TfrmAbout*>(w);
        version = box->lblVersion->text();
        box->accept();
    });
    Drive(*FForm).Action("acAboutQuillon")->trigger();
    // This test program carries no version block.
    QCOMPARE(version, QStringLiteral("Release: 0.0.0.0"));
}

QTEST_MAIN(TestFormMain)
#include "test_formmain.moc"

// The window's desktop conveniences: files opened whole (recent list, drop),
// a pasted picture, keys of the data list, zoom steps and the wheel, the
// sort indicator, the scroll bars after a load, the open dialog's formats,
// and the window's remembered placement.
#include "main/formMain.h"
#include "WindowDriver.h"

#include "ModalDriver.h"
#include "TestFiles.h"
#include "image/FreeUtils.h"
#include "main/FileKind.h"
#include "main/WindowPlacement.h"
#include "main/fileDialogs.h"
#include "view/zoomsteps.h"

#include <QAction>
#include <QBuffer>
#include <QFileDialog>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QtTest>

#include <FreeImage.h>

namespace {

QString SavePicture(const QString& path, int width, int height)
{
    FIBITMAP* dib = FreeImage_Allocate(width, height, 24);
    const bool saved = FreeImage_Save(FIF_PNG, dib, QFile::encodeName(path).constData(), 0);
    FreeImage_Unload(dib);
    return saved ? path : QString();
}

void Drop(QWidget* target, QMimeData* data)
{
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QVERIFY(drop.isAccepted());
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void recentListFollowsWhatOpens();
    void droppedFilesOpenByContent();
    void pastedPictureBecomesTheImage();
    void pasteInATextEditStaysText();
    void listKeysCopyAndDelete();
    void pointsPickedInThePictureSelectRows();
    void zoomSteps();
    void wheelZoomKeepsThePointUnderThePointer();
    void sortIndicatorFollowsTheList();
    void scrollBarsShowThePictureAfterALoad();
    void openDialogListsEveryReadableFormat();
    void fileKinds_data();
    void fileKinds();
    void dialogsReturnToTheirFolders();
    void placementIsRemembered();
    void windowFitsTheScreen();

private:
    static QStringList RecentCaptions(Tmainform& form);
    QString Path(const char* name) const { return FDir.filePath(QString::fromLatin1(name)); }

    TScopedConfigHome FHome;
    QTemporaryDir FDir;
    std::unique_ptr<Tmainform> FForm;
};

QStringList TestDesktop::RecentCaptions(Tmainform& form)
{
    Drive(form).FillRecentMenu();
    QStringList captions;
    for (const QAction* a : Drive(form).mnuRecent()->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return captions;
}


void TestDesktop::init()
{
    QFile::remove(FHome.SettingsFile());
    StoreStartupTip(false);
    FForm = std::make_unique<Tmainform>();
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
}

void TestDesktop::cleanup()
{
    FForm.reset();
}

void TestDesktop::recentListFollowsWhatOpens()
{
    Tmainform& f = *FForm;
    QCOMPARE(RecentCaptions(f), (QStringList{"(none)", "-", "Clear Recent List"}));
    for (int i = 1; i <= 9; ++i)
        QVERIFY(Drive(f).OpenFile(SavePicture(Path("p%1.png").arg(i), 20, 20)));
    WriteTextFile(Path("a&b.qsf"), "[dimensions]\r\nx1=0\r\nx2=1\r\ny1=0\r\ny2=1\r\n");
    QVERIFY(Drive(f).OpenFile(Path("a&b.qsf")));
    // Newest first, eight at most, and an ampersand is no access key.
    QStringList expected{QStringLiteral("&1 ") + QString(Path("a&b.qsf")).replace(u'&', QStringLiteral("&&"))};
    for (int i = 9; i >= 3; --i)
        expected << QStringLiteral("&%1 %2").arg(10 - i + 1).arg(Path("p%1.png").arg(i));
    expected << QStringLiteral("-") << QStringLiteral("Clear Recent List");
    QCOMPARE(RecentCaptions(f), expected);
    // Opened again, a file moves to the front instead of coming twice; the
    // list is kept in the store, so another window sees it.
    QVERIFY(Drive(f).OpenFile(Path("p5.png")));
    Tmainform other;
    const QStringList files = Drive(other).Recent().Files();
    QCOMPARE(files.size(), 8);
    QCOMPARE(files.first(), Path("p5.png"));
    QCOMPARE(files.count(Path("p5.png")), 1);
    // Chosen from the menu it opens; gone from disk, it leaves the list.
    QFile::remove(Path("p9.png"));
    Drive(f).FillRecentMenu();
    QAction* p9 = nullptr;
    for (QAction* a : Drive(f).mnuRecent()->actions())
        if (a->text().endsWith(QStringLiteral("p9.png")))
            p9 = a;
    QVERIFY(p9);
    QString message;
    {
        WhenModalShown box("QMessageBox", ReadInto(message));
        p9->trigger();
    }
    QVERIFY(message.contains(QStringLiteral("p9.png")));
    QVERIFY(!Drive(f).Recent().Files().contains(Path("p9.png")));
    QVERIFY(Drive(f).Recent().Clear());
    QCOMPARE(Drive(f).Recent().Files(), QStringList{});
    // A session saved is listed, and chosen it opens as the session, work
    // and all, not as its bare picture.
    Drive(f).QuillonView()->SetAxisValues(0, 10, 10, 0);
    Drive(f).QuillonView()->AddSite(QStringLiteral("1"), 3, 4);
    Drive(f).SaveSessionFile(Path("work.qsf"));
    QCOMPARE(Drive(f).Recent().Files(), QStringList{Path("work.qsf")});
    Drive(f).QuillonView()->ClearSites();
    Drive(f).FillRecentMenu();
    Drive(f).mnuRecent()->actions().first()->trigger();
    QCOMPARE(Drive(f).QuillonView()->SiteCount(), 1);
}

void TestDesktop::droppedFilesOpenByContent()
{
    Tmainform& f = *FForm;
    // A session named like a picture, and a picture named like a session.
    WriteTextFile(Path("session.png"), "[image]\r\nangle=0\r\n[series/series1]\r\n1=5,6\r\n");
    SavePicture(Path("picture.qsf"), 33, 22);
    auto drop = [&](const QString& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        Drop(&f, &data);
    };
    drop(Path("picture.qsf"));
    QCOMPARE(Drive(f).QuillonView()->ImageWidth(), 33);
    QCOMPARE(Drive(f).Document().ImageFileName, Path("picture.qsf"));
    drop(Path("session.png"));
    QCOMPARE(Drive(f).QuillonView()->SiteCount(), 1);
    QCOMPARE(Drive(f).QuillonView()->GetSite(0)->X, 5);
    // Two files at once are not taken.
    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(Path("session.png")), QUrl::fromLocalFile(Path("picture.qsf"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &enter);
    QVERIFY(!enter.isAccepted());
}

void TestDesktop::pastedPictureBecomesTheImage()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.SetMappingRect({1, 2, 10, 12});
    QImage picture(61, 47, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    QGuiApplication::clipboard()->setImage(picture);
    Drive(f).ListView()->setFocus();
    QTRY_VERIFY(Drive(f).Action("EditPaste1")->isEnabled());
    Drive(f).Action("EditPaste1")->trigger();
    QCOMPARE(v.ImageWidth(), 61);
    QCOMPARE(v.ImageHeight(), 47);
    QCOMPARE(v.MappingRect, TRect{});
    // Kept as a file of its own, so a saved session finds it again.
    QVERIFY(Drive(f).Document().ImageFileName.startsWith(FHome.DataPath()));
    QCOMPARE(QImage(Drive(f).Document().ImageFileName).convertToFormat(QImage::Format_RGB32), picture);
    // Nothing on the clipboard to paste: the command is off.
    QGuiApplication::clipboard()->setText(QStringLiteral("words"));
    QTRY_VERIFY(!Drive(f).Action("EditPaste1")->isEnabled());
}

void TestDesktop::pasteInATextEditStaysText()
{
    Tmainform& f = *FForm;
    auto* edit = new QLineEdit(Drive(f).pnlData());
    edit->show();
    edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), edit);
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    auto* data = new QMimeData;
    data->setImageData(picture);
    data->setText(QStringLiteral("12.5"));
    QGuiApplication::clipboard()->setMimeData(data);
    QTRY_VERIFY(Drive(f).Action("EditPaste1")->isEnabled());
    Drive(f).Action("EditPaste1")->trigger();
    QCOMPARE(edit->text(), QStringLiteral("12.5"));
    QCOMPARE(Drive(f).QuillonView()->ImageWidth(), 0);
}

void TestDesktop::listKeysCopyAndDelete()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    v.SetAxisValues(0, 100, 100, 0);
    v.SetMappingRect({0, 0, 100, 100});
    for (int i = 1; i <= 4; ++i)
        v.AddSite(QString::number(i), i * 10, i * 20);
    QItemSelectionModel* selection = Drive(f).ListView()->selectionModel();
    for (int row : {3, 1})
        selection->select(Drive(f).ListModel()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Drive(f).ListView()->setFocus();
    QTRY_VERIFY(Drive(f).ListView()->hasFocus());
    QGuiApplication::clipboard()->clear();
    // Ctrl+C reaches the list although the Edit menu's Copy has that key.
    QTest::keyClick(Drive(f).ListView(), Qt::Key_C, Qt::ControlModifier);
    const TDataListModel& model = *Drive(f).ListModel();
    const QString rows = model.Cell(1, 1) + u'\t' + model.Cell(1, 2) + QStringLiteral("\r\n") + model.Cell(3, 1) +
                         u'\t' + model.Cell(3, 2) + QStringLiteral("\r\n");
    QCOMPARE(QGuiApplication::clipboard()->text(), rows);
    QCOMPARE(rows.count(QStringLiteral("\r\n")), 2);
    QTest::keyClick(Drive(f).ListView(), Qt::Key_Delete);
    QCOMPARE(v.SiteCount(), 2);
    // The same command as the menu's, so it can be undone.
    QCOMPARE(Drive(f).Action("acUndo")->text(), QStringLiteral("Undo Delete Selected Points"));
    QCOMPARE(Drive(f).ListModel()->Cell(0, 0), QStringLiteral("1"));
    QCOMPARE(Drive(f).ListModel()->Cell(1, 0), QStringLiteral("3"));
}

// A Shift drag in Digitise mode and a click on a point in View mode select
// rows; the selected rows are marked in the picture; a Shift click in place
// still adds a point.
void TestDesktop::pointsPickedInThePictureSelectRows()
{
    Tmainform& f = *FForm;
    Drive(f).LoadImageFile(SavePicture(Path("p.png"), 200, 160));
    TQuillonView& v = *Drive(f).QuillonView();
    v.SetZoom(1.0f);
    v.SetMappingRect({0, 0, 199, 159});
    v.SetMouseAction(maClick);
    for (const QPoint p : {QPoint(20, 20), QPoint(60, 40), QPoint(150, 120)})
        QTest::mouseClick(&v, Qt::LeftButton, {}, p);
    QCOMPARE(v.SiteCount(), 3);
    QTest::mouseMove(&v, {10, 10});
    QTest::mousePress(&v, Qt::LeftButton, Qt::ShiftModifier, {10, 10});
    QTest::mouseMove(&v, {80, 60});
    QTest::mouseRelease(&v, Qt::LeftButton, Qt::ShiftModifier, {80, 60});
    QCOMPARE(v.SiteCount(), 3);
    QCOMPARE(Drive(f).SelectedNames(), (QStringList{"1", "2"}));
    // Marked in the picture in the selection's colour: point 2 is, point 3
    // is not.
    const QImage shown = v.grab().toImage();
    const QColor mark = v.palette().highlight().color();
    auto ringed = [&](QPoint p) {
        for (int d = 6; d <= 10; ++d)
            if (shown.pixelColor(p.x() - d, p.y()) == mark)
                return true;
        return false;
    };
    QVERIFY(ringed({60, 40}));
    QVERIFY(!ringed({150, 120}));
    Drive(f).Action("acDeleteSelectedPoints")->trigger();
    QCOMPARE(v.SiteCount(), 1);
    QTest::mouseClick(&v, Qt::LeftButton, Qt::ShiftModifier, {100, 100});
    QCOMPARE(v.SiteCount(), 2);
    v.SetMouseAction(maNone);
    QTest::mouseClick(&v, Qt::LeftButton, {}, {150, 121});
    QCOMPARE(v.SiteCount(), 2);
    QCOMPARE(Drive(f).SelectedNames(), QStringList{Drive(f).ListModel()->Cell(0, 0)});
    QCOMPARE(Drive(f).ListModel()->Cell(0, 0), QStringLiteral("3"));
}

void TestDesktop::zoomSteps()
{
    // Below the menu's zooms, two more for large scans.
    const float steps[] = {0.0625f, 0.125f, 0.25f, 0.5f, 0.75f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
    for (int i = 0; i < 10; ++i) {
        QCOMPARE_EQ(ZoomStep(steps[i], 1), steps[std::min(i + 1, 9)]);
        QCOMPARE_EQ(ZoomStep(steps[i], -1), steps[std::max(i - 1, 0)]);
    }
    // From between two steps (Fit to Page), to the nearer step each way.
    QCOMPARE_EQ(ZoomStep(1.37f, 1), 2.0f);
    QCOMPARE_EQ(ZoomStep(1.37f, -1), 1.0f);
    QCOMPARE_EQ(ZoomStep(0.3f, -1), 0.25f);

    Tmainform& f = *FForm;
    Drive(f).LoadImageFile(SavePicture(Path("z.png"), 100, 80));
    Drive(f).QuillonView()->SetZoom(1.0f);
    Drive(f).Action("acZoomIn")->trigger();
    QCOMPARE_EQ(Drive(f).QuillonView()->Zoom, 2.0f);
    Drive(f).Action("acZoomOut")->trigger();
    Drive(f).Action("acZoomOut")->trigger();
    QCOMPARE_EQ(Drive(f).QuillonView()->Zoom, 0.75f);
}

void TestDesktop::wheelZoomKeepsThePointUnderThePointer()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    QVERIFY(Drive(f).LoadImageFile(SavePicture(Path("big.png"), 1600, 1200)));
    v.SetZoom(1.0f);
    QCoreApplication::processEvents();
    Drive(f).ScrollBox()->horizontalScrollBar()->setValue(300);
    Drive(f).ScrollBox()->verticalScrollBar()->setValue(200);
    QCoreApplication::processEvents();
    // The pointer over picture pixel (450, 330), 150 and 130 into the pane.
    const QPointF at(450, 330);
    const QPoint onScreen = (at + QPointF(v.pos())).toPoint();
    QCOMPARE(onScreen, QPoint(150, 130));
    auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF local = QPointF(onScreen) - QPointF(v.pos());
        QWheelEvent event(local, v.mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&v, &event);
    };
    wheel(120, Qt::ControlModifier);
    QCOMPARE_EQ(v.Zoom, 2.0f);
    QCOMPARE(QPointF(onScreen) - QPointF(v.pos()), at * 2.0);
    // Half notches add up to one step.
    wheel(-60, Qt::ControlModifier);
    QCOMPARE_EQ(v.Zoom, 2.0f);
    wheel(-60, Qt::ControlModifier);
    QCOMPARE_EQ(v.Zoom, 1.0f);
    QCOMPARE(QPointF(onScreen) - QPointF(v.pos()), at);
    // Without Ctrl the wheel scrolls as ever.
    wheel(-120, Qt::NoModifier);
    QCOMPARE_EQ(v.Zoom, 1.0f);
}

void TestDesktop::sortIndicatorFollowsTheList()
{
    Tmainform& f = *FForm;
    for (int i = 1; i <= 3; ++i)
        Drive(f).QuillonView()->AddSite(QString::number(i), i * 10, 50 - i * 10);
    QHeaderView* header = Drive(f).ListView()->horizontalHeader();
    QVERIFY(!header->isSortIndicatorShown());
    Drive(f).ListViewColumnClick(4);
    QVERIFY(header->isSortIndicatorShown());
    QCOMPARE(header->sortIndicatorSection(), 4);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(Drive(f).ListModel()->Cell(0, 0), QStringLiteral("3"));
    Drive(f).ListViewColumnClick(4);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(Drive(f).ListModel()->Cell(0, 0), QStringLiteral("1"));
    // A new point breaks the order: the indicator goes.
    Drive(f).QuillonView()->AddSite(QStringLiteral("4"), 1, 1);
    QVERIFY(!header->isSortIndicatorShown());
}

void TestDesktop::scrollBarsShowThePictureAfterALoad()
{
    Tmainform& f = *FForm;
    TQuillonView& v = *Drive(f).QuillonView();
    QVERIFY(Drive(f).LoadImageFile(SavePicture(Path("one.png"), 3000, 2000)));
    v.SetZoom(1.0f);
    QCoreApplication::processEvents();
    QScrollBar* h = Drive(f).ScrollBox()->horizontalScrollBar();
    QScrollBar* vbar = Drive(f).ScrollBox()->verticalScrollBar();
    h->setValue(h->maximum());
    vbar->setValue(vbar->maximum());
    QCoreApplication::processEvents();
    for (const char* name : {"two.png", "three.png"}) {
        QVERIFY(Drive(f).LoadImageFile(SavePicture(Path(name), 2500, 1800)));
        // The bars say what the pane shows: the new picture's top left.
        QCOMPARE(h->value(), 0);
        QCOMPARE(vbar->value(), 0);
        QCOMPARE(v.pos(), QPoint(0, 0));
        QCoreApplication::processEvents();
        QCOMPARE(v.pos(), QPoint(-h->value(), -vbar->value()));
        h->setValue(h->maximum() / 2);
        QCoreApplication::processEvents();
    }
}

void TestDesktop::openDialogListsEveryReadableFormat()
{
    const QStringList items = Drive(*FForm).OpenPictureFilterText().split(QStringLiteral(";;"));
    QVERIFY(items.first().startsWith(QStringLiteral("All supported formats (")));
    QCOMPARE(items.last(), QStringLiteral("All Files (*)"));
    // The 24 described items first, unchanged.
    const QStringList described = QtFileFilter(OpenPictureFilter()).split(QStringLiteral(";;"));
    QCOMPARE(items.mid(1, 24), described.mid(1, 24));
    for (int fif = 24; fif < FreeImage_GetFIFCount(); ++fif) {
        if (!FreeImage_FIFSupportsReading(FREE_IMAGE_FORMAT(fif)))
            continue;
        const QString mask = FormatExtensionMask(fif).replace(u';', u' ');
        QVERIFY2(items.first().contains(mask), qPrintable(mask));
        bool listed = false;
        for (const QString& item : items.mid(25))
            listed = listed || item.endsWith(u'(' + mask + u')');
        QVERIFY2(listed, qPrintable(mask));
    }
    QVERIFY(items.first().contains(QStringLiteral("*.gif")));
}

void TestDesktop::fileKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImage(4, 4, QImage::Format_RGB32).save(&buffer, "PNG");
    }
    QTest::newRow("session") << "a.qsf" << QByteArray("[image]\r\npath=x\r\n") << int(fkSession);
    QTest::newRow("session by content") << "a.txt" << QByteArray("\xEF\xBB\xBF\r\n[DIMENSIONS]\r\nx1=0\r\n")
                                        << int(fkSession);
    QTest::newRow("mapping first") << "a" << QByteArray("[screenrect]\nx1=0\n") << int(fkSession);
    QTest::newRow("points only") << "a" << QByteArray("[series/series1]\n1=2,3\n") << int(fkSession);
    QTest::newRow("picture by content") << "a.qsf" << png << int(fkPicture);
    QTest::newRow("other ini by extension") << "a.ini" << QByteArray("[general]\n") << int(fkSession);
    QTest::newRow("empty session name") << "a.QSF" << QByteArray() << int(fkSession);
    QTest::newRow("unknown") << "a.dat" << QByteArray("[general]\n") << int(fkPicture);
}

void TestDesktop::fileKinds()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    WriteTextFile(FDir.filePath(name), bytes);
    QTEST(int(FileKindOf(FDir.filePath(name))), "kind");
    // A missing file goes by its name alone.
    QCOMPARE(FileKindOf(FDir.filePath(QStringLiteral("gone.qsf"))), fkSession);
}

void TestDesktop::dialogsReturnToTheirFolders()
{
    QDir(FDir.path()).mkpath(QStringLiteral("sessions"));
    QDir(FDir.path()).mkpath(QStringLiteral("data"));
    const QString sessions = FDir.filePath(QStringLiteral("sessions"));
    RememberFolder(QStringLiteral("Save Session File"), sessions + QStringLiteral("/job.qsf"));
    RememberFolder(QStringLiteral("Save Data to File"), FDir.filePath(QStringLiteral("data/out.txt")));
    QCOMPARE(RememberedFolder(QStringLiteral("Save Session File")), sessions);
    QCOMPARE(RememberedFolder(QStringLiteral("Save Data to File")), FDir.filePath(QStringLiteral("data")));
    QString opened;
    {
        WhenModalShown dialog("QFileDialog", [&](QWidget* w) {
            opened = static_cast<QFileDialog*>(w)->directory().absolutePath();
            static_cast<QFileDialog*>(w)->reject();
        });
        Drive(*FForm).Action("acSaveSession")->trigger();
    }
    QCOMPARE(opened, sessions);
    // A folder that has gone is not offered.
    QDir(sessions).removeRecursively();
    QCOMPARE(RememberedFolder(QStringLiteral("Save Session File")), QString());
}

void TestDesktop::placementIsRemembered()
{
    Tmainform& f = *FForm;
    f.setGeometry(40, 50, 640, 480);
    Drive(f).Splitter1()->setSizes({300, 340});
    QCoreApplication::processEvents();
    const QList<int> sizes = Drive(f).Splitter1()->sizes();
    f.close();
    const TWindowPlacement kept = ReadWindowPlacement();
    QCOMPARE(kept.Geometry, QRect(40, 50, 640, 480));
    QCOMPARE(kept.SplitterSizes, sizes);
    FForm = std::make_unique<Tmainform>();
    QCOMPARE(FForm->geometry(), QRect(40, 50, 640, 480));
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
    QCOMPARE(Drive(*FForm).Splitter1()->sizes().first(), sizes.first());
}

void TestDesktop::windowFitsTheScreen()
{
    const QRect screen(0, 0, 960, 540);
    const QMargins frame(1, 30, 1, 1);
    // The described 800 x 600 on a screen 540 high (1080 at a scale of 2):
    // the title bar stays on screen and the window fits.
    QCOMPARE(FitToScreen(QRect(80, -30, 800, 600), screen, frame), QRect(80, 30, 800, 509));
    // Where it fits, it is only moved, and only as far as needed.
    QCOMPARE(FitToScreen(QRect(900, 400, 300, 200), screen, frame), QRect(659, 339, 300, 200));
    QCOMPARE(FitToScreen(QRect(100, 100, 300, 200), screen, frame), QRect(100, 100, 300, 200));
    // A second screen to the right, at an offset.
    QCOMPARE(FitToScreen(QRect(0, 0, 300, 200), QRect(1920, 100, 1280, 1024), frame), QRect(1921, 130, 300, 200));
    // A window left by a bigger screen is made smaller, never off-screen.
    QCOMPARE(FitToScreen(QRect(-500, -500, 4000, 3000), screen, frame), QRect(1, 30, 960, 509));
}

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"

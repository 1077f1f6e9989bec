// Scanning end to end on real SANE: its "test" backend, through our source
// manager, into the component and the main window.
#include "main/formMain.h"
#include "WindowDriver.h"

#include "ModalDriver.h"
#include "TestFiles.h"

#include <QDir>
#include <QMap>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <vector>

namespace {

// Presses Scan in the source's window.
void PressScan(QWidget* window)
{
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == u"Scan")
            b->click();
}

// The test backend's settings for the scans that follow.
void Configure(const QTemporaryDir& sane, const QByteArray& lines)
{
    WriteTextFile(sane.filePath("test.conf"), "resolution 100\n" + lines);
}

// One scan without the source's window, in the given transfer mode, as a
// picture; a file transfer goes through `file`.
QImage ScanOnce(TTwainTransferMode mode, const QString& file)
{
    TFerroTwain twain;
    twain.TransferMode = mode;
    if (!twain.LoadLibrary() || !twain.LoadSourceManager() || twain.GetSourceCount() < 1)
        return {};
    QImage got;
    bool done = false;
    twain.OnTwainAcquire = [&](void*, int, const QImage& image, bool&) {
        got = image;
        done = true;
    };
    twain.OnSourceSetupFileXfer = [&](void*, int index) { twain.Source(index)->SetupFileTransfer(file, tfBMP); };
    twain.OnSourceFileTransfer = [&](void*, int, const TW_STR255&, TTwainFormat, bool& cancel) {
        got = QImage(file);
        done = true;
        cancel = true;
    };
    TTwainSource* source = twain.Source(0);
    source->ShowUI = false;
    source->TransferMode = mode;
    source->SetLoaded(true);
    source->SetEnabled(true);
    if (!QTest::qWaitFor([&] { return done; }, 20000))
        qWarning("the scan did not finish within 20 s");
    return got;
}

} // namespace

class TestScan : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void withoutTheLibrary();
    void fileTransferWithoutTheSourcesWindow();
    void nativeAndMemoryTransfers();
    void acquireImageFromTheMenu();
    void cancelledSelection();
    void everyFrameSaneDelivers_data();
    void everyFrameSaneDelivers();
    void cancelledSaveOnASecondScanWritesNothing();
    void unwritableTargetIsReported();
    void devicesKeepTheirIdentity();
    void memoryStripsStayInsideTheBuffer();

private:
    TScopedConfigHome FHome;
    QTemporaryDir FSane;
    std::unique_ptr<QTemporaryDir> FDir;
};

void TestScan::initTestCase()
{
    // Only SANE's test backend, whatever else the machine has, at a
    // resolution of its own (its built-in default gives a picture of almost
    // nothing when it finds no test.conf).
    WriteTextFile(FSane.filePath("dll.conf"), "test\n");
    Configure(FSane, {});
    qputenv("SANE_CONFIG_DIR", FSane.path().toLocal8Bit());
}

void TestScan::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    StoreStartupTip(false);
}

void TestScan::cleanup()
{
    FDir.reset();
}

void TestScan::withoutTheLibrary()
{
    Tmainform form;
    Drive(form).FerroTwain().LibraryName = QStringLiteral("libquillon-nowhere.so");
    QString message;
    WhenModalShown box("QMessageBox", [&](QWidget* w) {
        message = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    Drive(form).Action("acAquireTWAIN")->trigger();
    QCOMPARE(message, QStringLiteral("Twain not installed"));
}

void TestScan::fileTransferWithoutTheSourcesWindow()
{
    TFerroTwain twain;
    twain.TransferMode = ttmFile;
    QVERIFY(twain.LoadLibrary());
    QVERIFY(twain.LoadSourceManager());
    QVERIFY(twain.GetSourceCount() >= 1);
    TTwainSource* source = twain.Source(0);
    QVERIFY(!source->ProductName().isEmpty());
    const QString file = FDir->filePath("scan.bmp");
    int setups = 0;
    QString written;
    twain.OnSourceSetupFileXfer = [&](void*, int index) {
        ++setups;
        QVERIFY(twain.Source(index)->SetupFileTransfer(file, tfBMP));
    };
    twain.OnSourceFileTransfer = [&](void*, int, const TW_STR255& name, TTwainFormat format, bool& cancel) {
        written = QString::fromLocal8Bit(name);
        QCOMPARE(format, tfBMP);
        cancel = true;
    };
    source->ShowUI = false;
    source->SetLoaded(true);
    source->SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(!written.isEmpty(), 20000);
    QCOMPARE(setups, 1);
    QCOMPARE(written, file);
    TFreeWinBitmap image;
    QVERIFY(image.Load(file));
    QVERIFY(image.GetWidth() > 10);
    QVERIFY(image.GetHeight() > 10);
    QVERIFY(source->Loaded());
    QVERIFY(!source->Enabled());
}

void TestScan::nativeAndMemoryTransfers()
{
    TFerroTwain twain;
    QVERIFY(twain.LoadLibrary());
    QVERIFY(twain.LoadSourceManager());
    TTwainSource* source = twain.Source(0);
    QImage got;
    twain.OnTwainAcquire = [&](void*, int, const QImage& image, bool&) { got = image; };
    source->ShowUI = false;
    source->SetLoaded(true);
    for (TTwainTransferMode mode : {ttmNative, ttmMemory}) {
        got = QImage();
        source->TransferMode = mode;
        source->SetEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(!got.isNull(), 20000);
        QVERIFY(got.width() > 10);
        QVERIFY(got.height() > 10);
    }
}

void TestScan::acquireImageFromTheMenu()
{
    Tmainform form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TQuillonView& v = *Drive(form).QuillonView();
    v.Settings->FitOnImageLoad = true;
    v.SetZoom(2);
    v.SetMappingRect({1, 2, 30, 40});
    v.AddSite(QStringLiteral("1"), 5, 5);
    const QString file = FDir->filePath("menu-scan.bmp");
    WhenModalShown select("TSelectDialog", [](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
    WhenModalShown scan("TScanDialog", PressScan);
    QString title;
    WhenModalShown save("QFileDialog", [&](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        title = dialog->windowTitle();
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
        static_cast<QDialog*>(dialog)->accept();
    });
    Drive(form).Action("acAquireTWAIN")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(Drive(form).Document().ImageFileName == file, 20000);
    QCOMPARE(title, QStringLiteral("Save Image"));
    QVERIFY(v.ImageWidth() > 10);
    QCOMPARE(v.MappingRect, TRect{});
    QCOMPARE(v.XRightValue, 0.0);
    QCOMPARE(v.SiteCount(), 1);
    QCOMPARE(v.Zoom, 2.0f); // no fit to page after a scan
    // The source's window went away with the transfer.
    QTRY_COMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestScan::cancelledSelection()
{
    Tmainform form;
    QString message;
    WhenModalShown select("TSelectDialog", [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    WhenModalShown box("QMessageBox", [&](QWidget* w) {
        message = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    Drive(form).Action("acAquireTWAIN")->trigger();
    QCOMPARE(message, QStringLiteral("Cancelled"));
}


void TestScan::everyFrameSaneDelivers_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<int>("depth");
    for (const char* mode : {"Gray", "Color"})
        for (int depth : {1, 8, 16})
            QTest::addRow("%s %d", mode, depth) << QByteArray(mode) << depth;
}

void TestScan::everyFrameSaneDelivers()
{
    QFETCH(QByteArray, mode);
    QFETCH(int, depth);
    const bool colour = mode == "Color";
    Configure(FSane, "mode " + mode + "\ndepth " + QByteArray::number(depth) + "\ntest-picture " +
                         (colour ? QByteArray("\"Color pattern\"") : QByteArray("\"Grid\"")) + "\n");
    struct TPixel {
        int X, Y;
        QRgb Colour;
    };
    // The test backend's pictures at 100 dpi. The grid: squares of 40
    // pixels, white at the top left. The colour pattern at 8 bits: rows of
    // cells, black, red, black, green, black, blue, under a grey line; at 1
    // bit: cells of 16 pixels counting black, blue, green, cyan, red, ...
    // along the first row, backwards along the second; at 16 bits: a ramp
    // of red from 0 at x 4 up by one a pixel, then one of green.
    QList<TPixel> expected;
    if (!colour)
        expected = {{5, 5, 0xFFFFFF}, {60, 5, 0x000000}, {5, 60, 0x000000}, {60, 60, 0xFFFFFF}};
    else if (depth == 1)
        expected = {{4, 4, 0x000000},   {20, 4, 0x0000FF},  {36, 4, 0x00FF00},  {68, 4, 0xFF0000},
                    {116, 4, 0xFFFFFF}, {4, 20, 0xFFFFFF}, {52, 20, 0xFF0000}, {100, 20, 0x0000FF}};
    else if (depth == 8)
        expected = {{2, 0, 0x555555}, {2, 2, 0x000000}, {2, 7, 0xFF0000}, {2, 17, 0x00FF00}, {2, 27, 0x0000FF}};
    else
        expected = {{2, 2, 0x555555}, {5, 100, 0x010000}, {130, 100, 0x7E0000}, {258, 100, 0xFE0000},
                    {300, 100, 0x002400}};
    for (TTwainTransferMode transfer : {ttmFile, ttmNative, ttmMemory}) {
        const QString what = QStringLiteral("%1 %2 transfer %3").arg(QString::fromLatin1(mode)).arg(depth).arg(transfer);
        const QImage image = ScanOnce(transfer, FDir->filePath(QStringLiteral("frame.bmp")));
        QVERIFY2(!image.isNull(), qPrintable(what));
        QVERIFY2(image.width() == 314 && image.height() == 393, qPrintable(what));
        for (const TPixel& p : expected)
            QVERIFY2((image.pixel(p.X, p.Y) & 0xFFFFFF) == p.Colour,
                     qPrintable(what + QStringLiteral(" at %1,%2: %3").arg(p.X).arg(p.Y).arg(image.pixel(p.X, p.Y) & 0xFFFFFF, 6, 16)));
    }
    Configure(FSane, {});
}

void TestScan::cancelledSaveOnASecondScanWritesNothing()
{
    QTemporaryDir temp;
    const bool hadTemp = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    Tmainform form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TQuillonView& v = *Drive(form).QuillonView();
    const QString first = FDir->filePath("first.bmp");
    auto scanWith = [&](const std::function<void(QFileDialog*)>& answer) {
        WhenModalShown select("TSelectDialog", [](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
        WhenModalShown scan("TScanDialog", PressScan);
        bool asked = false;
        WhenModalShown save("QFileDialog", [&](QWidget* w) {
            asked = true;
            answer(static_cast<QFileDialog*>(w));
        });
        Drive(form).Action("acAquireTWAIN")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(asked, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeModalWidget(), nullptr, 20000);
    };
    scanWith([&](QFileDialog* d) {
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(first);
        static_cast<QDialog*>(d)->accept();
    });
    QTRY_COMPARE_WITH_TIMEOUT(Drive(form).Document().ImageFileName, first, 20000);
    const QByteArray bytes = ReadTextFile(first);
    QVERIFY(!bytes.isEmpty());
    WriteTextFile(first, bytes + "mark"); // any rewrite would drop the mark
    v.SetMappingRect({1, 2, 30, 40});
    // The second scan: the user cancels the save dialog.
    scanWith([](QFileDialog* d) { d->reject(); });
    QTest::qWait(200);
    if (hadTemp)
        qputenv("TMPDIR", savedTemp);
    else
        qunsetenv("TMPDIR");
    QCOMPARE(ReadTextFile(first), bytes + "mark");
    QCOMPARE(Drive(form).Document().ImageFileName, first);
    QCOMPARE(v.MappingRect, (TRect{1, 2, 30, 40}));
    QCOMPARE(QDir(temp.path()).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir(FDir->path()).entryList(QDir::Files), QStringList{"first.bmp"});
}

void TestScan::unwritableTargetIsReported()
{
    Tmainform form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TQuillonView& v = *Drive(form).QuillonView();
    v.SetMappingRect({1, 2, 30, 40});
    // A folder that is not there: the file cannot be written.
    const QString file = FDir->filePath("no-such-folder/scan.bmp");
    WhenModalShown select("TSelectDialog", [](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
    WhenModalShown scan("TScanDialog", PressScan);
    WhenModalShown save("QFileDialog", [&](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
        // Past the dialog's own checks of a folder that is not there.
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    QString message;
    WhenModalShown box("QMessageBox", [&](QWidget* w) {
        message = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    Drive(form).Action("acAquireTWAIN")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!message.isEmpty(), 20000);
    QVERIFY2(message.startsWith(QStringLiteral("The scanned picture could not be written to /")), qPrintable(message));
    QVERIFY2(message.endsWith(QStringLiteral("/no-such-folder/scan.bmp: the operation failed.")), qPrintable(message));
    QCOMPARE(v.MappingRect, (TRect{1, 2, 30, 40}));
    QCOMPARE(Drive(form).Document().ImageFileName, QString());
}

void TestScan::devicesKeepTheirIdentity()
{
    // First two more devices come before the test backend's in the list,
    // then they are gone, as when a scanner is unplugged: the test devices
    // move up the list but keep the Ids they had.
    TFerroTwain twain;
    QVERIFY(twain.LoadLibrary());
    auto identities = [&twain] {
        QMap<QString, TW_UINT32> ids;
        if (twain.LoadSourceManager())
            for (int i = 0; i < twain.GetSourceCount(); ++i)
                ids[twain.Source(i)->VersionInfo()] = twain.Source(i)->Structure.Id;
        return ids;
    };
    WriteTextFile(FSane.filePath("dll.conf"), "test\npnm\n");
    const QMap<QString, TW_UINT32> four = identities();
    QVERIFY(twain.UnloadSourceManager(false));
    WriteTextFile(FSane.filePath("dll.conf"), "test\n");
    const QMap<QString, TW_UINT32> two = identities();
    QCOMPARE(four.size(), 4);
    QCOMPARE(two.keys(), (QStringList{"test:0", "test:1"}));
    QCOMPARE(two.value(QStringLiteral("test:0")), four.value(QStringLiteral("test:0")));
    QCOMPARE(two.value(QStringLiteral("test:1")), four.value(QStringLiteral("test:1")));
    QVERIFY(two.value(QStringLiteral("test:0")) != two.value(QStringLiteral("test:1")));
    // Each opens as the device it names.
    for (int i = 0; i < twain.GetSourceCount(); ++i) {
        twain.Source(i)->SetLoaded(true);
        QVERIFY(twain.Source(i)->Loaded());
    }
}

void TestScan::memoryStripsStayInsideTheBuffer()
{
    // Straight to the source manager, with buffers of our own: a strip is
    // whole rows that fit, and a buffer smaller than a row is refused.
    Configure(FSane, "mode Color\ndepth 8\n");
    TFerroTwain twain;
    QVERIFY(twain.LoadLibrary() && twain.LoadSourceManager());
    TTwainSource* source = twain.Source(0);
    source->ShowUI = false;
    source->SetLoaded(true);
    source->SetEnabled(true);
    // The scan runs on the manager's own thread; its picture is there once
    // the image information is. No events are processed meanwhile, so the
    // component does not take the picture first.
    TW_IMAGEINFO info{};
    bool ready = false;
    for (int i = 0; i < 1000 && !ready; ++i) {
        QThread::msleep(20);
        ready = twain.Entry(&source->Structure, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) == TWRC_SUCCESS;
    }
    QVERIFY(ready);
    const int stride = ((24 * info.ImageWidth + 31) / 32) * 4;
    auto strip = [&](int length, std::vector<std::uint8_t>& memory) {
        memory.assign(std::size_t(length) + 64, 0xA5);
        TW_IMAGEMEMXFER xfer{};
        xfer.Memory.Length = TW_UINT32(length);
        xfer.Memory.TheMem = memory.data();
        const TW_UINT16 code = twain.Entry(&source->Structure, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        const TW_UINT32 written = xfer.BytesWritten; // the record is packed
        return std::make_pair(code, written);
    };
    std::vector<std::uint8_t> memory;
    const auto tooSmall = strip(stride - 1, memory);
    QCOMPARE(tooSmall.first, TWRC_FAILURE);
    QVERIFY(std::all_of(memory.begin(), memory.end(), [](std::uint8_t b) { return b == 0xA5; }));
    const auto oneAndAHalf = strip(stride + stride / 2, memory);
    QCOMPARE(oneAndAHalf.first, TWRC_SUCCESS);
    QCOMPARE(oneAndAHalf.second, TW_UINT32(stride));
    QVERIFY(std::all_of(memory.begin() + stride, memory.end(), [](std::uint8_t b) { return b == 0xA5; }));
    QVERIFY(!std::all_of(memory.begin(), memory.begin() + stride, [](std::uint8_t b) { return b == 0xA5; }));
    Configure(FSane, {});
}

QTEST_MAIN(TestScan)
#include "test_scan.moc"

// Scanning end to end on real SANE: its "test" backend, through our source
// manager, into the component and the main window.
#include "main/formMain.h"

#include "ModalDriver.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

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
    WriteTextFile(FSane.filePath("test.conf"), "resolution 100\n");
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
    form.FerroTwain.LibraryName = QStringLiteral("libquillon-nowhere.so");
    QString message;
    WhenModalShown box("QMessageBox", [&](QWidget* w) {
        message = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    form.acAquireTWAIN->trigger();
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
    TQuillonView& v = *form.QuillonView;
    v.Settings->FitOnImageLoad = true;
    v.SetZoom(2);
    v.SetMappingRect({1, 2, 30, 40});
    v.AddSite(QStringLiteral("1"), 5, 5);
    const QString file = FDir->filePath("menu-scan.bmp");
    WhenModalShown select("TSelectDialog", [](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
    WhenModalShown scan("TScanDialog", [](QWidget* w) {
        w->findChild<QPushButton*>(QString(), Qt::FindChildrenRecursively);
        for (QPushButton* b : w->findChildren<QPushButton*>())
            if (b->text() == u"Scan")
                b->click();
    });
    QString title;
    WhenModalShown save("QFileDialog", [&](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        title = dialog->windowTitle();
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
        static_cast<QDialog*>(dialog)->accept();
    });
    form.acAquireTWAIN->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(v.ImageFileName == file, 20000);
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
    form.acAquireTWAIN->trigger();
    QCOMPARE(message, QStringLiteral("Cancelled"));
}

QTEST_MAIN(TestScan)
#include "test_scan.moc"

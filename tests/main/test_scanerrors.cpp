// The scanner command's failures that no real source produces on demand,
// against the scripted source manager.
#include "main/formMain.h"
#include "WindowDriver.h"

#include "ModalDriver.h"
#include "TestFiles.h"
#include "../twain/fakedsm.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QtTest>

namespace {

QStringList Log()
{
    return QString::fromLatin1(FakeDsm_Log()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestScanErrors : public QObject {
    Q_OBJECT
private slots:
    void init();
    void refusedOpenIsReported();
    void refusedStartIsReported();
    void tooLongANameCancelsBeforeScanning();

private:
    // The message box a trigger of the scan command shows.
    QString MessageOf(Tmainform& form);
    TScopedConfigHome FHome;
};

void TestScanErrors::init()
{
    StoreStartupTip(false);
    FakeDsm_Reset(1);
}

QString TestScanErrors::MessageOf(Tmainform& form)
{
    QString message;
    WhenModalShown box("QMessageBox", [&](QWidget* w) {
        message = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    Drive(form).Action("acAquireTWAIN")->trigger();
    return message;
}

void TestScanErrors::refusedOpenIsReported()
{
    Tmainform form;
    Drive(form).FerroTwain().LibraryName = QStringLiteral("libquillon_fakedsm.so");
    FakeDsm_SetOpenFails(true);
    QCOMPARE(MessageOf(form), QStringLiteral("The scanner \"Source 1\" could not be opened: the operation failed."));
    QCOMPARE(Drive(form).QuillonView()->ImageWidth(), 0);
}

void TestScanErrors::refusedStartIsReported()
{
    Tmainform form;
    Drive(form).FerroTwain().LibraryName = QStringLiteral("libquillon_fakedsm.so");
    FakeDsm_SetEnableResult(TWRC_FAILURE);
    QVERIFY(MessageOf(form).startsWith(QStringLiteral("The scanner \"Source 1\" could not be started: ")));
}

void TestScanErrors::tooLongANameCancelsBeforeScanning()
{
    Tmainform form;
    Drive(form).FerroTwain().LibraryName = QStringLiteral("libquillon_fakedsm.so");
    QCOMPARE(MessageOf(form), QString()); // the source runs, no word yet
    QTemporaryDir dir;
    const QString deep = dir.filePath(QString(120, u'd') + u'/' + QString(120, u'e'));
    QVERIFY(QDir().mkpath(deep));
    const QString file = deep + QStringLiteral("/scan.bmp");
    QVERIFY(QFile::encodeName(file).size() > 255);
    WhenModalShown save("QFileDialog", [&](QWidget* w) {
        w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
        static_cast<QDialog*>(w)->accept();
    });
    QString message;
    WhenModalShown box("QMessageBox", [&](QWidget* w) {
        message = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    FakeDsm_ClearLog();
    FakeDsm_Post(0, MSG_XFERREADY);
    QTRY_VERIFY(!message.isEmpty());
    QVERIFY2(message.contains(QStringLiteral("longer than the 255 bytes")), qPrintable(message));
    QVERIFY2(message.contains(file), qPrintable(message));
    // Nothing was set up, so nothing was written, under that name or a cut one.
    QCOMPARE(QString::fromLatin1(FakeDsm_FileName()), QString());
    QVERIFY(Log().filter(QStringLiteral("SETUPFILEXFER SET")).isEmpty());
    QVERIFY(Log().filter(QStringLiteral("IMAGEFILEXFER")).isEmpty());
    QVERIFY(Log().contains(QStringLiteral("PENDINGXFERS RESET")));
    QCOMPARE(Drive(form).Document().ImageFileName, QString());
}

QTEST_MAIN(TestScanErrors)
#include "test_scanerrors.moc"

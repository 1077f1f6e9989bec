// The installed program: `cmake --install` into a temporary prefix lays out
// a program that runs from there, finds its own texts and source manager,
// and whose desktop files pass the freedesktop validators.
#include "ProcessRun.h"
#include "TestFiles.h"
#include "main/ProgramData.h"
#include "main/formAbout.h"

#include <QImageReader>
#include <QLabel>
#include <QMimeDatabase>
#include <QTabWidget>
#include <QtTest>

class TestInstall : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void layout();
    void desktopFilesValidate();
    void sessionTypeByNameAndContent();
    void programRunsFromThePrefix();
    void aboutBoxFindsItsTexts();
    void scansWithItsOwnSourceManager();

private:
    QString Installed(const QString& path) const { return FPrefix.filePath(path); }

    QTemporaryDir FPrefix;
    TScopedConfigHome FHome;
};

void TestInstall::initTestCase()
{
    // Never where the build folder is, so nothing can be picked up from it.
    QVERIFY(!FPrefix.path().startsWith(QStringLiteral(QUILLON_BINARY_DIR)));
    const TRun install = RunProcess(QStringLiteral(QUILLON_CMAKE), {QStringLiteral("--install"),
                                                             QStringLiteral(QUILLON_BINARY_DIR),
                                                             QStringLiteral("--prefix"), FPrefix.path()});
    QVERIFY2(install.Status == 0, install.Err.constData());
}

void TestInstall::layout()
{
    for (const char* file : {"bin/quillon", "lib/quillon/libquillon_twaindsm.so", "lib/quillon/quillon-decode", "share/quillon/changes.txt",
                             "share/quillon/credits.txt", "share/applications/com.kestrow.quillon.desktop",
                             "share/metainfo/com.kestrow.quillon.metainfo.xml", "share/mime/packages/quillon.xml",
                             "share/icons/hicolor/scalable/apps/com.kestrow.quillon.svg", "share/man/man1/quillon.1.gz",
                             "share/doc/quillon/copyright", "share/doc/quillon/changelog.gz", "share/doc-base/quillon"})
        QVERIFY2(QFileInfo(Installed(QString::fromLatin1(file))).isFile(), file);
    QVERIFY(QFileInfo(Installed(QStringLiteral("bin/quillon"))).isExecutable());
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString icon = Installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/com.kestrow.quillon.png").arg(size));
        QCOMPARE(QImageReader(icon).size(), QSize(size, size));
    }
    // The man page and the metadata carry the build's one version.
    QVERIFY(RunProcess(QStringLiteral("gzip"), {QStringLiteral("-dc"), Installed(QStringLiteral("share/man/man1/quillon.1.gz"))})
                .Out.contains("Quillon " QUILLON_VERSION));
    // Help finds the installed manual beside bin/.
    QCOMPARE(ProgramManual(Installed(QStringLiteral("bin/quillon"))),
             Installed(QStringLiteral("share/doc/quillon/html/index.html")));
    QVERIFY(ReadTextFile(Installed(QStringLiteral("share/metainfo/com.kestrow.quillon.metainfo.xml")))
                .contains("<release version=\"" QUILLON_VERSION "\""));
}

void TestInstall::desktopFilesValidate()
{
    const TRun desktop = RunProcess(QStringLiteral("desktop-file-validate"),
                             {Installed(QStringLiteral("share/applications/com.kestrow.quillon.desktop"))});
    QVERIFY2(desktop.Status == 0, desktop.Out + desktop.Err);
    QVERIFY2(!desktop.Out.contains("error"), desktop.Out.constData());
    const TRun metainfo =
        RunProcess(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--pedantic"),
                                             Installed(QStringLiteral("share/metainfo/com.kestrow.quillon.metainfo.xml"))});
    QVERIFY2(metainfo.Status == 0, metainfo.Out + metainfo.Err);
    const QByteArray entry = ReadTextFile(Installed(QStringLiteral("share/applications/com.kestrow.quillon.desktop")));
    QVERIFY(entry.contains("Categories=Graphics;Science;"));
    QVERIFY(entry.contains("application/x-quillon-session;"));
    QVERIFY(entry.contains("image/png;"));
}

void TestInstall::sessionTypeByNameAndContent()
{
    // The installed package is read as the desktop reads it.
    qputenv("XDG_DATA_DIRS", (Installed(QStringLiteral("share")) + QStringLiteral(":/usr/share")).toLocal8Bit());
    QMimeDatabase types;
    QTemporaryDir dir;
    WriteTextFile(dir.filePath("job.qsf"), "x1=1\r\n");
    WriteTextFile(dir.filePath("job-with-picture"), "[image]\r\npath=/tmp/a.png\r\n");
    WriteTextFile(dir.filePath("job-without-picture"), "[dimensions]\r\ny1=0\r\n");
    WriteTextFile(dir.filePath("job-picture-moved"), "[screenrect]\r\nx1=0\r\n");
    WriteTextFile(dir.filePath("other"), "[general]\r\nkey=1\r\n");
    const QString session = QStringLiteral("application/x-quillon-session");
    QCOMPARE(types.mimeTypeForFile(dir.filePath("job.qsf"), QMimeDatabase::MatchExtension).name(), session);
    QCOMPARE(types.mimeTypeForFile(dir.filePath("job-with-picture"), QMimeDatabase::MatchContent).name(), session);
    QCOMPARE(types.mimeTypeForFile(dir.filePath("job-without-picture"), QMimeDatabase::MatchContent).name(), session);
    QCOMPARE(types.mimeTypeForFile(dir.filePath("job-picture-moved"), QMimeDatabase::MatchContent).name(), session);
    QVERIFY(types.mimeTypeForFile(dir.filePath("other"), QMimeDatabase::MatchContent).name() != session);
}

void TestInstall::programRunsFromThePrefix()
{
    const QProcessEnvironment env = WithoutDisplay();
    const TRun version = RunProcess(Installed(QStringLiteral("bin/quillon")), {QStringLiteral("--version")}, env);
    QCOMPARE(version.Status, 0);
    QCOMPARE(version.Out, QByteArray("Quillon " QUILLON_VERSION "\n"));
    QTemporaryDir dir;
    WriteTextFile(dir.filePath("s.qsf"), "[screenrect]\r\nx1=0\r\nx2=100\r\ny1=0\r\ny2=100\r\n[dimensions]\r\n"
                                         "y1=0\r\ny2=10\r\nx1=0\r\nx2=10\r\n[series/series1]\r\n1=50,50\r\n");
    const TRun exported = RunProcess(Installed(QStringLiteral("bin/quillon")),
                              {QStringLiteral("--export"), QStringLiteral("-"), dir.filePath("s.qsf")}, env);
    QCOMPARE(exported.Status, 0);
    QCOMPARE(exported.Out.count("\r\n"), 1);
}

void TestInstall::aboutBoxFindsItsTexts()
{
    const QString program = Installed(QStringLiteral("bin/quillon"));
    QCOMPARE(ProgramDataFile(program, QStringLiteral("changes.txt")),
             Installed(QStringLiteral("share/quillon/changes.txt")));
    TfrmAbout about;
    about.FormShow(program);
    QVERIFY(about.PageControl1->isTabVisible(about.PageControl1->indexOf(about.tsChanges)));
    QVERIFY(about.PageControl1->isTabVisible(about.PageControl1->indexOf(about.tsCredits)));
    QCOMPARE(about.lblVersion->text(), QStringLiteral("Release: " QUILLON_VERSION));
    // A file beside the program (the build folder's way) comes first.
    WriteTextFile(Installed(QStringLiteral("bin/changes.txt")), "beside\n");
    QCOMPARE(ProgramDataFile(program, QStringLiteral("changes.txt")), Installed(QStringLiteral("bin/changes.txt")));
    QFile::remove(Installed(QStringLiteral("bin/changes.txt")));
    // Neither: the name beside the program, which the caller finds absent.
    QCOMPARE(ProgramDataFile(program, QStringLiteral("quillon.chm")), Installed(QStringLiteral("bin/quillon.chm")));
}

void TestInstall::scansWithItsOwnSourceManager()
{
    const QString scanner = Installed(QStringLiteral("bin/installed_scan"));
    QVERIFY(QFile::copy(QStringLiteral(QUILLON_INSTALLED_SCAN), scanner));
    QTemporaryDir sane;
    WriteTextFile(sane.filePath("dll.conf"), "test\n");
    WriteTextFile(sane.filePath("test.conf"), "resolution 100\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SANE_CONFIG_DIR"), sane.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const TRun scan = RunProcess(scanner, {}, env);
    QVERIFY2(scan.Status == 0, scan.Out + scan.Err);
    QCOMPARE(QString::fromUtf8(scan.Out.split('\n').first()), Installed(QStringLiteral("lib/quillon/")));
}

QTEST_MAIN(TestInstall)
#include "test_install.moc"

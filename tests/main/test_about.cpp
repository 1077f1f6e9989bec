#include "main/cVersionInfo.h"
#include "main/formAbout.h"
#include "platform/VersionResource.h"

#include "TestFiles.h"

#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QtTest>

namespace {

QDateTime MarchFifth()
{
    return QDateTime(QDate(2005, 3, 5), QTime(14, 7));
}

void Touch(const QString& path, const QDateTime& time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void versionText();
    void programCarriesItsVersionBlock();
    void fileWithoutBlock();
    void otherLanguageGivesNumbersOnly();
    void buildDateFollowsLocale();
    void tabsFollowTheTextFiles();

private:
    QTemporaryDir FDir;
};

void TestAbout::versionText()
{
    TAboutInfo info(FDir.filePath("none"));
    info.Major = 1;
    info.Minor = 10;
    info.Release = 0;
    info.Build = 255;
    QCOMPARE(info.GetVersionText(), QStringLiteral("1.10.0.255"));
    QCOMPARE(int(info.Items.size()), 11);
    QCOMPARE(info.Items[5].Key, QStringLiteral("LegalTradeMarks"));
    QCOMPARE(info.Items[6].Caption, QStringLiteral("Original File Name"));
}

void TestAbout::programCarriesItsVersionBlock()
{
    const TAboutInfo info(QStringLiteral(QUILLON_EXECUTABLE));
    // The block is written from the build's one version number.
    QCOMPARE(info.GetVersionText(), QStringLiteral(QUILLON_VERSION));
    QCOMPARE(info.Items[0].Value, QStringLiteral("Kestrow"));
    QCOMPARE(info.Items[1].Value, QStringLiteral("Quillon"));
    QCOMPARE(info.Items[2].Value, QStringLiteral(QUILLON_VERSION));
    QCOMPARE(info.Items[8].Value, QStringLiteral("1.0.0.0"));
    QCOMPARE(info.Items[10].Value, QString()); // "Author" is not in the block
    QVERIFY(!info.BuildDate.isEmpty());
}

void TestAbout::fileWithoutBlock()
{
    WriteTextFile(FDir.filePath("plain.bin"), "no version here");
    const TAboutInfo plain(FDir.filePath("plain.bin"));
    QCOMPARE(plain.GetVersionText(), QStringLiteral("0.0.0.0"));
    QVERIFY(!plain.BuildDate.isEmpty());
    QCOMPARE(plain.Items[0].Value, QString());
    const TAboutInfo missing(FDir.filePath("missing.bin"));
    QCOMPARE(missing.GetVersionText(), QStringLiteral("0.0.0.0"));
    QCOMPARE(missing.BuildDate, QString());
    // This test program links the reader but carries no block of its own.
    QCOMPARE(TAboutInfo(QCoreApplication::applicationFilePath()).GetVersionText(), QStringLiteral("0.0.0.0"));
}

void TestAbout::otherLanguageGivesNumbersOnly()
{
    // The marker is built at run time, so that this program carries none.
    const QByteArray marker = VersionBlockMarker();
    WriteTextFile(FDir.filePath("us.bin"), "\x7f" "ELF junk" + marker + "\nFIXED 2.3.4.5 1.0.0.0\n"
                                           "BLOCK 040904B0\nCompanyName=Other\nEND\n" + QByteArray(1, '\0') + "tail");
    const TAboutInfo info(FDir.filePath("us.bin"));
    QCOMPARE(info.GetVersionText(), QStringLiteral("2.3.4.5"));
    QCOMPARE(info.Items[0].Value, QString());
    WriteTextFile(FDir.filePath("nofixed.bin"), marker + "\nBLOCK 140904E4\nCompanyName=K\nEND\n");
    const TAboutInfo strings(FDir.filePath("nofixed.bin"));
    QCOMPARE(strings.GetVersionText(), QStringLiteral("0.0.0.0"));
    QCOMPARE(strings.Items[0].Value, QStringLiteral("K"));
}

void TestAbout::buildDateFollowsLocale()
{
    WriteTextFile(FDir.filePath("dated.bin"), "x");
    Touch(FDir.filePath("dated.bin"), MarchFifth());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QCOMPARE(TAboutInfo(FDir.filePath("dated.bin")).BuildDate, QStringLiteral("05-March-2005 14:07"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(TAboutInfo(FDir.filePath("dated.bin")).BuildDate, QStringLiteral("05-März-2005 14:07"));
}

void TestAbout::tabsFollowTheTextFiles()
{
    QTemporaryDir dir;
    const QString program = dir.filePath("quillon");
    QVERIFY(QFile::copy(QStringLiteral(QUILLON_EXECUTABLE), program));
    auto tabs = [&] {
        TfrmAbout about;
        about.FormShow(program);
        QStringList shown;
        for (int i = 0; i < about.PageControl1->count(); ++i)
            if (about.PageControl1->isTabVisible(i))
                shown << about.PageControl1->tabText(i);
        return std::pair{shown, about.lblVersion->text()};
    };
    QCOMPARE(tabs().first, QStringList{"Information"});
    QCOMPARE(tabs().second, QStringLiteral("Release: 1.1.0.4"));
    WriteTextFile(dir.filePath("credits.txt"), "Thanks to everyone.\n");
    QCOMPARE(tabs().first, (QStringList{"Information", "Credits"}));
    WriteTextFile(dir.filePath("changes.txt"), "1.1.0.4: first release\n");
    QCOMPARE(tabs().first, (QStringList{"Information", "Changes", "Credits"}));
    TfrmAbout about;
    about.FormShow(program);
    QCOMPARE(about.memChanges->toPlainText(), QStringLiteral("1.1.0.4: first release\n"));
    QVERIFY(about.lblBuildDate->text().startsWith(QStringLiteral("Built: ")));
    QCOMPARE(about.windowTitle(), QStringLiteral("About Quillon..."));
}

QTEST_MAIN(TestAbout)
#include "test_about.moc"

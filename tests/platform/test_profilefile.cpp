#include "platform/FileError.h"
#include "platform/ProfileFile.h"

#include "TestFiles.h"

#include <QDir>
#include <QtTest>

class TestProfileFile : public QObject {
    Q_OBJECT
private slots:
    void newSectionsAndKeysGoToTheEnd();
    void namesIgnoreCaseAndFirstWins();
    void readsCrLfAndLf();
    void roundTripsThroughAFile();
    void missingFileAndDefaults();
    void refusedWriteNamesTheFileAndKeepsTheOld();

private:
    QTemporaryDir FDir;
};

void TestProfileFile::newSectionsAndKeysGoToTheEnd()
{
    TProfileFile ini;
    ini.WriteString(QStringLiteral("b"), QStringLiteral("k1"), QStringLiteral("1"));
    ini.WriteString(QStringLiteral("a"), QStringLiteral("k"), QStringLiteral("2"));
    ini.WriteString(QStringLiteral("b"), QStringLiteral("k2"), QStringLiteral("3"));
    ini.WriteString(QStringLiteral("B"), QStringLiteral("K1"), QStringLiteral("4"));
    QCOMPARE(ini.Text(), QByteArray("[b]\r\nk1=4\r\nk2=3\r\n[a]\r\nk=2\r\n"));
}

void TestProfileFile::namesIgnoreCaseAndFirstWins()
{
    WriteTextFile(FDir.filePath("dup.ini"), "[S]\nx=1\nX=2\ny = 3 \n[s]\nx=9\n");
    TProfileFile ini;
    QVERIFY(ini.Load(FDir.filePath("dup.ini")));
    QCOMPARE(ini.ReadString(QStringLiteral("s"), QStringLiteral("x"), QString()), QStringLiteral("1"));
    QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("Y"), QString()), QStringLiteral("3"));
    const auto entries = ini.SectionEntries(QStringLiteral("s"));
    QCOMPARE(entries.size(), std::size_t(3));
    QCOMPARE(entries[1].first, QStringLiteral("X"));
    QCOMPARE(entries[1].second, QStringLiteral("2"));
    // What look-ups read: the first of each name, in file order.
    ini.WriteString(QStringLiteral("s"), QStringLiteral("Z"), QStringLiteral("4"));
    ini.WriteString(QStringLiteral("s"), QStringLiteral("Y"), QStringLiteral("5"));
    const auto firsts = ini.FirstEntries(QStringLiteral("S"));
    QCOMPARE(firsts.size(), std::size_t(3));
    QCOMPARE(firsts[0], (TProfileFile::TEntry{"x", "1"}));
    QCOMPARE(firsts[1], (TProfileFile::TEntry{"y", "5"}));
    QCOMPARE(firsts[2], (TProfileFile::TEntry{"Z", "4"}));
    QVERIFY(ini.FirstEntries(QStringLiteral("none")).empty());
}

void TestProfileFile::readsCrLfAndLf()
{
    WriteTextFile(FDir.filePath("mixed.ini"), "[a]\r\nk=1\r\n\r\n; a comment\nj=2\n[b]\r\nnot an entry\r\nm=x=y\r\n");
    TProfileFile ini;
    QVERIFY(ini.Load(FDir.filePath("mixed.ini")));
    QCOMPARE(ini.ReadString(QStringLiteral("a"), QStringLiteral("k"), QString()), QStringLiteral("1"));
    QCOMPARE(ini.ReadString(QStringLiteral("a"), QStringLiteral("j"), QString()), QStringLiteral("2"));
    QCOMPARE(ini.ReadString(QStringLiteral("b"), QStringLiteral("m"), QString()), QStringLiteral("x=y"));
    QCOMPARE(ini.SectionEntries(QStringLiteral("b")).size(), std::size_t(1));
}

void TestProfileFile::roundTripsThroughAFile()
{
    TProfileFile ini;
    ini.WriteString(QStringLiteral("image"), QStringLiteral("path"), QStringLiteral("/home/ü/plot.png"));
    ini.Save(FDir.filePath("round.qsf"));
    TProfileFile back;
    QVERIFY(back.Load(FDir.filePath("round.qsf")));
    QCOMPARE(back.ReadString(QStringLiteral("IMAGE"), QStringLiteral("Path"), QString()),
             QStringLiteral("/home/ü/plot.png"));
    QCOMPARE(back.Text(), ini.Text());
}

void TestProfileFile::missingFileAndDefaults()
{
    TProfileFile ini;
    QVERIFY(!ini.Load(FDir.filePath("none.ini")));
    QCOMPARE(ini.ReadString(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    QVERIFY(ini.SectionEntries(QStringLiteral("a")).empty());
}

void TestProfileFile::refusedWriteNamesTheFileAndKeepsTheOld()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("keep.qsf");
    WriteTextFile(target, "[old]\r\nx=1\r\n");
    TProfileFile ini;
    ini.WriteString(QStringLiteral("new"), QStringLiteral("y"), QStringLiteral("2"));
    const QString missing = dir.filePath("no/such/folder/s.qsf");
    try {
        ini.Save(missing);
        QFAIL("no error raised");
    } catch (const EFileError& e) {
        QCOMPARE(e.Message, QStringLiteral("Unable to write to %1: No such file or directory").arg(missing));
    }
    // A folder where the file should be: the write fails and leaves no
    // temporary file behind.
    QDir().mkpath(dir.filePath("dir.qsf"));
    QVERIFY_THROWS_EXCEPTION(EFileError, ini.Save(dir.filePath("dir.qsf")));
    QCOMPARE(ReadTextFile(target), QByteArray("[old]\r\nx=1\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"keep.qsf"}));
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "test_profilefile.moc"

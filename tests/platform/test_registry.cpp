#include "platform/Registry.h"

#include "TestFiles.h"
#include "Unprivileged.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void defaultFileFollowsXdgConfigHome();
    void writesAndReadsBackAcrossInstances();
    void namesIgnoreCase();
    void openWithoutCreateFailsOnMissingKey();
    void relativeAndAbsoluteKeys();
    void anotherWritersValuesSurvive();
    void awkwardTextRoundTrips();
    void garbledFileKeepsWhatItCanRead();
    void unreadableFileIsNeverReplaced();
    void failedWriteChangesNothing();
    void repeatedKeysAndValuesMergeLastWins();
    void storeThatIsNoRegularFileReadsEmptyAndIsKept();
    void severalValuesInOneWrite();
    void twoProcessesAtOnceKeepEachOthersChanges();
    void leftoversOfOursAreRemoved();
};

void TestRegistry::defaultFileFollowsXdgConfigHome()
{
    TScopedConfigHome home;
    QCOMPARE(TRegistry::DefaultFileName(), home.SettingsFile());
}

void TestRegistry::writesAndReadsBackAcrossInstances()
{
    TScopedConfigHome home;
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Kestrow\\Quillon\\General"), true));
        QVERIFY(reg.WriteString(QStringLiteral("FitOnImageLoad"), QStringLiteral("1")));
    }
    QVERIFY(QFile::exists(home.SettingsFile()));
    TRegistry again;
    QVERIFY(again.OpenKey(QStringLiteral("\\Software\\Kestrow\\Quillon\\General"), false));
    QCOMPARE(again.ReadString(QStringLiteral("FitOnImageLoad")), std::optional<QString>(QStringLiteral("1")));
    QVERIFY(!again.ReadString(QStringLiteral("Missing")).has_value());
    // Nothing but the settings file is left behind by the atomic writes.
    QCOMPARE(QDir(home.Path() + QStringLiteral("/Kestrow")).entryList(QDir::Files), QStringList{"Quillon.conf"});
}

void TestRegistry::namesIgnoreCase()
{
    TScopedConfigHome home;
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("Software\\Kestrow"), true));
    QVERIFY(reg.WriteString(QStringLiteral("Value"), QStringLiteral("a")));
    QVERIFY(reg.WriteString(QStringLiteral("VALUE"), QStringLiteral("b")));
    QCOMPARE(reg.ReadString(QStringLiteral("value")), std::optional<QString>(QStringLiteral("b")));
    QVERIFY(reg.KeyExists(QStringLiteral("\\software\\KESTROW")));
    // One value, not two, in the file.
    QCOMPARE(ReadTextFile(home.SettingsFile()).count("alue="), 1);
}

void TestRegistry::openWithoutCreateFailsOnMissingKey()
{
    TScopedConfigHome home;
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("\\A"), true));
    QVERIFY(!reg.OpenKey(QStringLiteral("B"), false));
    QCOMPARE(reg.CurrentPath(), QStringLiteral("A"));
    QVERIFY(!reg.KeyExists(QStringLiteral("\\A\\B")));
    QVERIFY(!ReadTextFile(home.SettingsFile()).contains("[A\\B]"));
}

void TestRegistry::relativeAndAbsoluteKeys()
{
    TScopedConfigHome home;
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Kestrow\\Quillon\\"), true));
    QVERIFY(reg.OpenKey(QStringLiteral("Points"), true));
    QCOMPARE(reg.CurrentPath(), QStringLiteral("Software\\Kestrow\\Quillon\\Points"));
    QVERIFY(reg.OpenKey(QStringLiteral("\\Software"), false));
    QCOMPARE(reg.CurrentPath(), QStringLiteral("Software"));
    reg.CloseKey();
    QVERIFY(!reg.WriteString(QStringLiteral("AtRoot"), QStringLiteral("x")));
}

void TestRegistry::anotherWritersValuesSurvive()
{
    TScopedConfigHome home;
    TRegistry first;
    TRegistry second;
    QVERIFY(first.OpenKey(QStringLiteral("\\K"), true));
    QVERIFY(second.OpenKey(QStringLiteral("\\K"), true));
    QVERIFY(first.WriteString(QStringLiteral("A"), QStringLiteral("1")));
    QVERIFY(second.WriteString(QStringLiteral("B"), QStringLiteral("2")));
    TRegistry reader;
    QVERIFY(reader.OpenKey(QStringLiteral("\\K"), false));
    QCOMPARE(reader.ReadString(QStringLiteral("A")), std::optional<QString>(QStringLiteral("1")));
    QCOMPARE(reader.ReadString(QStringLiteral("B")), std::optional<QString>(QStringLiteral("2")));
}

void TestRegistry::awkwardTextRoundTrips()
{
    TScopedConfigHome home;
    const QString name = QStringLiteral("a=b\\c");
    const QString value = QStringLiteral("line one\r\nline=two \\ [x] ü");
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey(QStringLiteral("\\K"), true));
        QVERIFY(reg.WriteString(name, value));
        QVERIFY(reg.WriteString(QStringLiteral("Empty"), QString()));
    }
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("\\K"), false));
    QCOMPARE(reg.ReadString(name), std::optional<QString>(value));
    QCOMPARE(reg.ReadString(QStringLiteral("Empty")), std::optional<QString>(QString()));
}

void TestRegistry::garbledFileKeepsWhatItCanRead()
{
    TScopedConfigHome home;
    QDir().mkpath(home.Path() + QStringLiteral("/Kestrow"));
    QByteArray bytes("\x01\x02garbage without a section\n[K]\nGood=1\n=no name\njunk line\n\xff\xfe\n");
    WriteTextFile(home.SettingsFile(), bytes);
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("\\K"), false));
    QCOMPARE(reg.ReadString(QStringLiteral("Good")), std::optional<QString>(QStringLiteral("1")));
    QVERIFY(reg.WriteString(QStringLiteral("More"), QStringLiteral("2")));
    TRegistry again;
    QVERIFY(again.OpenKey(QStringLiteral("\\K"), false));
    QCOMPARE(again.ReadString(QStringLiteral("Good")), std::optional<QString>(QStringLiteral("1")));
    QCOMPARE(again.ReadString(QStringLiteral("More")), std::optional<QString>(QStringLiteral("2")));
}

void TestRegistry::unreadableFileIsNeverReplaced()
{
    TScopedConfigHome home;
    // A file that may be written but not read, in a folder that takes new
    // files: every write would succeed, so only the guard keeps it.
    const QByteArray stored = "[Software\\Kestrow\\Quillon\\General]\nAngleIncrement=2\n\n";
    QVERIFY(QDir().mkpath(home.Path() + QStringLiteral("/Kestrow")));
    WriteTextFile(home.SettingsFile(), stored);
    SetMode(QFile::encodeName(home.Path()).constData(), 0777);
    SetMode(QFile::encodeName(home.Path() + QStringLiteral("/Kestrow")).constData(), 0777);
    SetMode(QFile::encodeName(home.SettingsFile()).constData(), 0222);
    {
        TUnprivileged user;
        TRegistry reg;
        QVERIFY(!reg.KeyExists(QStringLiteral("\\Software")));
        QVERIFY(!reg.OpenKey(QStringLiteral("\\K"), true));
    }
    SetMode(QFile::encodeName(home.SettingsFile()).constData(), 0644);
    QCOMPARE(ReadTextFile(home.SettingsFile()), stored);
}

void TestRegistry::failedWriteChangesNothing()
{
    TScopedConfigHome home;
    TRegistry reg(home.Path() + QStringLiteral("/Kestrow/Quillon.conf"));
    QVERIFY(reg.OpenKey(QStringLiteral("\\K"), true));
    QVERIFY(reg.WriteString(QStringLiteral("A"), QStringLiteral("1")));
    // Replace the folder by a plain file: no write can succeed any more.
    QVERIFY(QDir(home.Path() + QStringLiteral("/Kestrow")).removeRecursively());
    WriteTextFile(home.Path() + QStringLiteral("/Kestrow"), "in the way");
    QVERIFY(!reg.WriteString(QStringLiteral("A"), QStringLiteral("2")));
    QCOMPARE(reg.ReadString(QStringLiteral("A")), std::optional<QString>(QStringLiteral("1")));
    QVERIFY(!reg.OpenKey(QStringLiteral("\\Other"), true));
    QCOMPARE(reg.CurrentPath(), QStringLiteral("K"));
}

void TestRegistry::repeatedKeysAndValuesMergeLastWins()
{
    TScopedConfigHome home;
    QDir().mkpath(home.Path() + QStringLiteral("/Kestrow"));
    // Many keys, so that the look-up by name is what finds the repeated ones.
    QByteArray bytes;
    for (int i = 0; i < 500; ++i)
        bytes += "[K" + QByteArray::number(i) + "]\nv=" + QByteArray::number(i) + "\n";
    bytes += "[k7]\nV=seven\nw=1\n[K\\\\]\nx=root\n[K7]\nW=2\n";
    WriteTextFile(home.SettingsFile(), bytes);
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("\\K7"), false));
    QCOMPARE(reg.ReadString(QStringLiteral("v")), std::optional<QString>(QStringLiteral("seven")));
    QCOMPARE(reg.ReadString(QStringLiteral("w")), std::optional<QString>(QStringLiteral("2")));
    QVERIFY(reg.OpenKey(QStringLiteral("\\K499"), false));
    QCOMPARE(reg.ReadString(QStringLiteral("v")), std::optional<QString>(QStringLiteral("499")));
    QVERIFY(reg.OpenKey(QStringLiteral("\\K"), false));
    QCOMPARE(reg.ReadString(QStringLiteral("x")), std::optional<QString>(QStringLiteral("root")));
}

void TestRegistry::severalValuesInOneWrite()
{
    TScopedConfigHome home;
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("\\K"), true));
    QVERIFY(reg.WriteString(QStringLiteral("b"), QStringLiteral("old")));
    QVERIFY(reg.WriteStrings({{QStringLiteral("A"), QStringLiteral("1")}, {QStringLiteral("B"), QStringLiteral("2")},
                              {QStringLiteral("a"), QStringLiteral("3")}}));
    // An existing name is replaced in place, a new one appended, and a name
    // given twice keeps its last value.
    QCOMPARE(ReadTextFile(home.SettingsFile()), QByteArray("[K]\nb=2\nA=3\n\n"));
    // All or nothing: where the file cannot be replaced, no value changes.
    QVERIFY(QDir(home.Path() + QStringLiteral("/Kestrow")).removeRecursively());
    WriteTextFile(home.Path() + QStringLiteral("/Kestrow"), "in the way");
    QVERIFY(!reg.WriteStrings({{QStringLiteral("A"), QStringLiteral("4")}, {QStringLiteral("C"), QStringLiteral("5")}}));
    QCOMPARE(reg.ReadString(QStringLiteral("A")), std::optional<QString>(QStringLiteral("3")));
    QVERIFY(!reg.ReadString(QStringLiteral("C")).has_value());
}

void TestRegistry::storeThatIsNoRegularFileReadsEmptyAndIsKept()
{
    TScopedConfigHome home;
    QDir().mkpath(home.Path() + QStringLiteral("/Kestrow"));
    QCOMPARE(mkfifo(QFile::encodeName(home.SettingsFile()).constData(), 0600), 0);
    // Opened for reading, the FIFO would wait for a writer forever.
    TRegistry reg;
    QVERIFY(!reg.KeyExists(QStringLiteral("\\Software")));
    QVERIFY(!reg.OpenKey(QStringLiteral("\\K"), true));
    QCOMPARE(reg.ErrorString(), QStringLiteral("it is not a regular file"));
    QFileInfo info(home.SettingsFile());
    QVERIFY(!info.isFile() && info.exists()); // never replaced
}

// Two windows that each open a file and close: each re-reads the store
// and writes it back whole, and a big store makes the window between the
// two wide.
void TestRegistry::twoProcessesAtOnceKeepEachOthersChanges()
{
    TScopedConfigHome home;
    QString padding;
    for (int i = 0; i < 20000; ++i)
        padding += QStringLiteral("Value%1=%2\n").arg(i).arg(QString(60, u'x'));
    QDir().mkpath(QFileInfo(home.SettingsFile()).absolutePath());
    WriteTextFile(home.SettingsFile(), "[Padding]\n" + padding.toUtf8());
    for (int trial = 0; trial < 10; ++trial) {
        const QString n = QString::number(trial);
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const QStringList& arguments :
             {QStringList{"recent", "/charts/a" + n + ".png"}, QStringList{"recent", "/charts/b" + n + ".png"},
              QStringList{"value", "A", n}, QStringList{"value", "B", n}}) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->start(QStringLiteral(STORE_WRITER), QStringList{home.SettingsFile()} + arguments);
        }
        for (const std::unique_ptr<QProcess>& writer : writers) {
            QVERIFY(writer->waitForFinished(30000));
            QCOMPARE(writer->exitCode(), 0);
        }
        TRegistry store;
        QVERIFY(store.OpenKey(QStringLiteral("\\Software\\Kestrow\\Quillon\\Recent"), false));
        QStringList recent;
        for (int i = 1; i <= 8; ++i)
            recent << store.ReadString(QStringLiteral("File%1").arg(i)).value_or(QString());
        QVERIFY2(recent.contains("/charts/a" + n + ".png") && recent.contains("/charts/b" + n + ".png"),
                 qPrintable(recent.join(u' ')));
        QVERIFY(store.OpenKey(QStringLiteral("\\Tests"), false));
        QCOMPARE(store.ReadString(QStringLiteral("A")), std::optional<QString>(n));
        QCOMPARE(store.ReadString(QStringLiteral("B")), std::optional<QString>(n));
    }
}

void TestRegistry::leftoversOfOursAreRemoved()
{
    TScopedConfigHome home;
    TRegistry store;
    QVERIFY(store.OpenKey(QStringLiteral("\\Kept"), true));
    const QDir folder = QFileInfo(home.SettingsFile()).absoluteDir();
    for (const char* name : {"Quillon.conf.Ab12Cd", "Quillon.conf.quillon-x9y8z7", "Quillon.conf.bak", "Other.conf.Ab12Cd",
                             "Quillon.conf.Ab12Cde"})
        WriteTextFile(folder.filePath(QString::fromLatin1(name)), "x");
    store.RemoveLeftovers();
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name),
             (QStringList{"Other.conf.Ab12Cd", "Quillon.conf", "Quillon.conf.Ab12Cde", "Quillon.conf.bak"}));
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "test_registry.moc"

#include "platform/FileError.h"
#include "platform/TextFile.h"

#include "TestFiles.h"
#include "Unprivileged.h"

#include <QtTest>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

QString ErrorOf(const QString& File, const QByteArray& Bytes)
{
    try {
        SaveTextFile(File, Bytes);
    } catch (const EFileError& e) {
        return e.Message;
    }
    return {};
}

mode_t ModeOf(const QString& File)
{
    struct stat info {};
    lstat(QFile::encodeName(File).constData(), &info);
    return info.st_mode;
}

} // namespace

class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    void devicesAndFifosAreWrittenNeverReplaced();
    void linksAndPermissionsAreKept();
    void inPlaceReservesTheRoomBeforeTouchingTheOldBytes();

private:
    QTemporaryDir FDir;
};

void TestTextFile::devicesAndFifosAreWrittenNeverReplaced()
{
    const QString fifo = FDir.filePath("reader.fifo");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // No program reads it: refused at once, never waited on.
    QCOMPARE(ErrorOf(fifo, "x"), QStringLiteral("Unable to write to %1: no program reads from it").arg(fifo));
    auto read = std::async(std::launch::async, [&] {
        QFile in;
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY);
        return in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ? in.readAll() : QByteArray();
    });
    // Until the reader has it open.
    QElapsedTimer waited;
    waited.start();
    QString error = ErrorOf(fifo, "to the reader\n");
    while (!error.isEmpty() && waited.elapsed() < 5000) {
        QThread::msleep(10);
        error = ErrorOf(fifo, "to the reader\n");
    }
    QCOMPARE(error, QString());
    QCOMPARE(read.get(), QByteArray("to the reader\n"));
    QVERIFY(S_ISFIFO(ModeOf(fifo)));

    const QString null = FDir.filePath("null");
    if (mknod(QFile::encodeName(null).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("this process may not make a device node");
    QCOMPARE(SaveTextFile(null, "gone\n"), wrDirect);
    QVERIFY(S_ISCHR(ModeOf(null)));
}

void TestTextFile::linksAndPermissionsAreKept()
{
    const QString target = FDir.filePath("target.txt");
    WriteTextFile(target, "old\n");
    SetMode(QFile::encodeName(target).constData(), 0640);
    QVERIFY(QFile::link(target, FDir.filePath("link.txt")));
    QVERIFY(QFile::link(FDir.filePath("made.txt"), FDir.filePath("dangling.txt")));
    QCOMPARE(SaveTextFile(FDir.filePath("link.txt"), "new\n"), wrReplaced);
    QCOMPARE(SaveTextFile(FDir.filePath("dangling.txt"), "made\n"), wrReplaced);
    QVERIFY(S_ISLNK(ModeOf(FDir.filePath("link.txt"))) && S_ISLNK(ModeOf(FDir.filePath("dangling.txt"))));
    QCOMPARE(ReadTextFile(target), QByteArray("new\n"));
    QCOMPARE(ModeOf(target) & 07777, mode_t(0640));
    QCOMPARE(ReadTextFile(FDir.filePath("made.txt")), QByteArray("made\n"));
    // A name as long as a folder takes still has room for a temporary beside it.
    const QString longest = FDir.filePath(QString(251, u'n') + QStringLiteral(".txt"));
    QCOMPARE(SaveTextFile(longest, "long\n"), wrReplaced);
    QCOMPARE(ReadTextFile(longest), QByteArray("long\n"));
    // Nothing of ours is left beside them.
    QCOMPARE(QDir(FDir.path()).entryList({"*.txt.*"}, QDir::Files | QDir::Hidden), QStringList());
}

void TestTextFile::inPlaceReservesTheRoomBeforeTouchingTheOldBytes()
{
    // A folder that takes no new file, whose file may be written.
    QTemporaryDir top;
    const QString folder = top.filePath("shared");
    const QString file = folder + QStringLiteral("/data.txt");
    QVERIFY(QDir().mkpath(folder));
    const QByteArray old(20000, 'o');
    WriteTextFile(file, old);
    SetMode(QFile::encodeName(top.path()).constData(), 0755);
    SetMode(QFile::encodeName(folder).constData(), 0555);
    SetMode(QFile::encodeName(file).constData(), 0666);
    {
        TUnprivileged user;
        // Room for 24,000 bytes and no more, as on a nearly full disk.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto keep = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tight{24000, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &tight);
        const QString error = ErrorOf(file, QByteArray(30000, 'n'));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, keep);
        QCOMPARE(error, QStringLiteral("Unable to write to %1: %2").arg(file, QString::fromLocal8Bit(std::strerror(EFBIG))));
        QCOMPARE(ReadTextFile(file), old);
        // Shorter than before: nothing of the old bytes stays at the end.
        QCOMPARE(SaveTextFile(file, "new\n"), wrInPlace);
    }
    SetMode(QFile::encodeName(folder).constData(), 0755);
    QCOMPARE(ReadTextFile(file), QByteArray("new\n"));
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "test_textfile.moc"

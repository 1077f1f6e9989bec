#include "platform/FileError.h"
#include "platform/TextFile.h"

#include "TestFiles.h"
#include "Unprivileged.h"

#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <cstring>
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
    return QStringLiteral("no error");
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
    void aFifoNoOneReadsFailsAtOnce();
    void linksAreFollowedToTheirTarget();
    void replacingKeepsTheOldPermissions();
    void inPlaceReservesTheRoomBeforeTouchingTheOldBytes();

private:
    QTemporaryDir FDir;
};

void TestTextFile::devicesAndFifosAreWrittenNeverReplaced()
{
    const QString fifo = FDir.filePath("reader.fifo");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto read = std::async(std::launch::async, [&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY);
        QByteArray got;
        char buffer[64];
        for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            got.append(buffer, n);
        ::close(fd);
        return got;
    });
    // The reader may not have opened yet: a write waits for it, briefly.
    QString error;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        if ((error = ErrorOf(fifo, "to the reader\n")) == QStringLiteral("no error"))
            break;
        QThread::msleep(10);
    }
    QCOMPARE(error, QStringLiteral("no error"));
    QCOMPARE(read.get(), QByteArray("to the reader\n"));
    QVERIFY(S_ISFIFO(ModeOf(fifo)));

    // A null device of our own, where this process may make one.
    const QString null = FDir.filePath("null");
    if (mknod(QFile::encodeName(null).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("this process may not make a device node");
    QCOMPARE(SaveTextFile(null, "gone\n"), wrDirect);
    QVERIFY(S_ISCHR(ModeOf(null)));
}

void TestTextFile::aFifoNoOneReadsFailsAtOnce()
{
    const QString fifo = FDir.filePath("alone.fifo");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(ErrorOf(fifo, "x"), QStringLiteral("Unable to write to %1: no program reads from it").arg(fifo));
    QVERIFY(S_ISFIFO(ModeOf(fifo)));
}

void TestTextFile::linksAreFollowedToTheirTarget()
{
    const QString target = FDir.filePath("target.txt");
    const QString link = FDir.filePath("link.txt");
    const QString dangling = FDir.filePath("dangling.txt");
    WriteTextFile(target, "old\n");
    QVERIFY(QFile::link(target, link));
    QVERIFY(QFile::link(FDir.filePath("made.txt"), dangling));
    QCOMPARE(SaveTextFile(link, "new\n"), wrReplaced);
    QCOMPARE(SaveTextFile(dangling, "made\n"), wrReplaced);
    QVERIFY(S_ISLNK(ModeOf(link)) && S_ISLNK(ModeOf(dangling)));
    QCOMPARE(ReadTextFile(target), QByteArray("new\n"));
    QCOMPARE(ReadTextFile(FDir.filePath("made.txt")), QByteArray("made\n"));
}

void TestTextFile::replacingKeepsTheOldPermissions()
{
    const QString file = FDir.filePath("private.txt");
    WriteTextFile(file, "old\n");
    SetMode(QFile::encodeName(file).constData(), 0640);
    QCOMPARE(SaveTextFile(file, "new\n"), wrReplaced);
    QCOMPARE(ModeOf(file) & 07777, mode_t(0640));
    QCOMPARE(ReadTextFile(file), QByteArray("new\n"));
    // Nothing of ours is left beside it.
    QCOMPARE(QDir(FDir.path()).entryList({"private.txt*"}, QDir::Files | QDir::Hidden), QStringList{"private.txt"});
}

void TestTextFile::inPlaceReservesTheRoomBeforeTouchingTheOldBytes()
{
    // A folder that takes no new file, whose file may be written.
    QTemporaryDir top;
    const QString folder = top.filePath("shared");
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/data.txt");
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
        rlimit tight = saved;
        tight.rlim_cur = 24000;
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

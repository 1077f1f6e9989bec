#include "TextFile.h"

#include "platform/FileError.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char TemporaryMark[] = ".quillon-";

QString Reason(int Error)
{
    return QString::fromLocal8Bit(std::strerror(Error));
}

// A descriptor closed however the write ends.
class TDescriptor {
public:
    explicit TDescriptor(int Fd) : FFd(Fd) {}
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    ~TDescriptor()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    int Get() const { return FFd; }
    // Closed now, for a close can fail where the data meets the disk: the
    // error, or 0.
    int Close()
    {
        const int fd = FFd;
        FFd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int FFd;
};

class TWriter {
public:
    TWriter(const QString& FileName, const QByteArray& Bytes) : FName(FileName), FBytes(Bytes) {}

    TWritten Write()
    {
        const QString target = Target();
        const QByteArray path = QFile::encodeName(target);
        struct stat info {};
        const bool exists = ::stat(path.constData(), &info) == 0;
        if (!exists && errno != ENOENT)
            Fail(Reason(errno));
        if (exists && S_ISDIR(info.st_mode))
            Fail(QStringLiteral("it is a folder"));
        if (exists && !S_ISREG(info.st_mode)) {
            Direct(path);
            return wrDirect;
        }
        const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
        const QByteArray name = QFile::encodeName(QFileInfo(target).fileName());
        // A name near the longest a folder takes is cut to leave room for
        // the temporary's mark.
        const qsizetype room = NAME_MAX - qsizetype(sizeof TemporaryMark - 1) - 6;
        const auto [fd, temporary] = Temporary(folder + '/' + name.left(room));
        if (fd < 0) {
            const int error = errno;
            // A folder that takes no new file, or a disk with no room for a
            // second copy: the old file itself, if it can be written.
            const bool noNewFile = error == EACCES || error == EPERM || error == EROFS || error == ENOSPC ||
                                   error == EDQUOT;
            if (!exists || !noNewFile)
                Fail(Reason(error));
            InPlace(path);
            return wrInPlace;
        }
        Replace(fd, temporary, path, exists ? &info : nullptr, folder);
        return wrReplaced;
    }

private:
    [[noreturn]] void Fail(const QString& Why) const
    {
        throw EFileError(QStringLiteral("Unable to write to %1: %2").arg(FName, Why));
    }

    // The file a symbolic link stands for, even one not made yet.
    QString Target() const
    {
        const QFileInfo info(FName);
        if (!info.isSymLink())
            return FName;
        return info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    }

    void WriteAll(int Fd) const
    {
        const char* at = FBytes.constData();
        qsizetype left = FBytes.size();
        while (left > 0) {
            const ssize_t n = ::write(Fd, at, std::size_t(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                Fail(Reason(n < 0 ? errno : EIO));
            at += n;
            left -= n;
        }
    }

    // A device or a FIFO: opened without waiting, for a FIFO that no
    // program reads would hold the open for ever.
    void Direct(const QByteArray& Path) const
    {
        TDescriptor fd(::open(Path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd.Get() < 0)
            Fail(errno == ENXIO ? QStringLiteral("no program reads from it") : Reason(errno));
        fcntl(fd.Get(), F_SETFL, fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
        WriteAll(fd.Get());
        if (const int error = fd.Close())
            Fail(Reason(error));
    }

    // A new file beside Base, made with the permissions a new file gets.
    static std::pair<int, QByteArray> Temporary(const QByteArray& Base)
    {
        for (;;) {
            // Named as ours, so that one a crash left behind can be told.
            const QByteArray name = Base + TemporaryMark +
                                    QByteArray::number(QRandomGenerator::global()->bounded(qint64(2176782336)), 36)
                                        .rightJustified(6, '0');
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0 || errno != EEXIST)
                return {fd, name};
        }
    }

    void Replace(int Fd, const QByteArray& Temporary, const QByteArray& Path, const struct stat* Old,
                 const QByteArray& Folder) const
    {
        TDescriptor fd(Fd);
        try {
            if (Old) {
                // The old file's owner, where this process may give it, and
                // its permissions.
                [[maybe_unused]] const int owned = fchown(fd.Get(), Old->st_uid, Old->st_gid);
                fchmod(fd.Get(), Old->st_mode & 07777);
            }
            WriteAll(fd.Get());
            if (fdatasync(fd.Get()) != 0)
                Fail(Reason(errno));
            if (const int error = fd.Close())
                Fail(Reason(error));
            if (::rename(Temporary.constData(), Path.constData()) != 0)
                Fail(Reason(errno));
        } catch (...) {
            ::unlink(Temporary.constData());
            throw;
        }
        // The rename itself made lasting.
        const TDescriptor folder(::open(Folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.Get() >= 0)
            fsync(folder.Get());
    }

    // Room for the new bytes is reserved before the first old byte is
    // touched, so that a full disk fails with the old file whole.
    void InPlace(const QByteArray& Path) const
    {
        TDescriptor fd(::open(Path.constData(), O_WRONLY | O_CLOEXEC));
        if (fd.Get() < 0)
            Fail(Reason(errno));
        if (!FBytes.isEmpty())
            if (const int error = posix_fallocate(fd.Get(), 0, off_t(FBytes.size())); error != 0)
                Fail(Reason(error));
        WriteAll(fd.Get());
        if (ftruncate(fd.Get(), off_t(FBytes.size())) != 0 || fdatasync(fd.Get()) != 0)
            Fail(Reason(errno));
        if (const int error = fd.Close())
            Fail(Reason(error));
    }

    const QString& FName;
    const QByteArray& FBytes;
};

} // namespace

TWritten SaveTextFile(const QString& FileName, const QByteArray& Bytes)
{
    return TWriter(FileName, Bytes).Write();
}

QString InPlaceWarning(const QString& FileName)
{
    return QStringLiteral("%1 was written over in place, for its folder cannot take a new file: had the write been "
                          "cut short, the file would have been left torn.")
        .arg(FileName);
}

#include "RegularFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

int OpenRegularFile(const QString& FileName, std::int64_t MaxBytes, QString& Why)
{
    // Non-blocking, so that a FIFO with no writer does not hold the open.
    const int fd = ::open(QFile::encodeName(FileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Why = SystemReason(errno);
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        Why = SystemReason(errno);
    } else if (!S_ISREG(info.st_mode)) {
        Why = QStringLiteral("it is not a regular file");
    } else if (info.st_size > MaxBytes) {
        Why = QStringLiteral("it holds %1 bytes, more than the %2 allowed").arg(info.st_size).arg(MaxBytes);
    } else {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    ::close(fd);
    return -1;
}

std::optional<QByteArray> ReadRegularFile(const QString& FileName, std::int64_t MaxBytes, QString& Why)
{
    const int fd = OpenRegularFile(FileName, MaxBytes, Why);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        Why = file.errorString();
        return std::nullopt;
    }
    // In pieces, for a read of the cap would allocate all of it at once; a
    // file that grows while it is read stops at the cap all the same.
    QByteArray bytes;
    bytes.reserve(qsizetype(std::min<std::int64_t>(file.size(), MaxBytes)));
    while (bytes.size() < MaxBytes) {
        const QByteArray piece = file.read(std::min<std::int64_t>(MaxBytes - bytes.size(), 1 << 20));
        if (file.error() != QFileDevice::NoError) {
            Why = file.errorString();
            return std::nullopt;
        }
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    return bytes;
}

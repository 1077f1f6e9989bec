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
    struct stat info {};
    fstat(fd, &info);
    // Room for the file as it stands and a byte more, to notice one that
    // grows while it is read; it stops at the cap all the same.
    QByteArray bytes;
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used >= MaxBytes)
                break;
            const std::int64_t room = std::max<std::int64_t>(2 * std::int64_t(used), info.st_size + 1);
            bytes.resize(qsizetype(std::min(room, MaxBytes)));
        }
        const ssize_t n = ::read(fd, bytes.data() + used, std::size_t(bytes.size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            Why = SystemReason(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        used += n;
    }
    ::close(fd);
    bytes.truncate(used);
    return bytes;
}

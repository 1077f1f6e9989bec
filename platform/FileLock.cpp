#include "FileLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TFileLock::TFileLock(const QString& Path)
    : FFd(::open(QFile::encodeName(Path).constData(), O_RDONLY | O_CLOEXEC))
{
    if (FFd < 0)
        return;
    while (flock(FFd, LOCK_EX) != 0)
        if (errno != EINTR) {
            ::close(FFd);
            FFd = -1;
            return;
        }
}

TFileLock::~TFileLock()
{
    if (FFd >= 0)
        ::close(FFd);
}

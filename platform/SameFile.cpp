#include "SameFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

bool SameFile(const QString& A, const QString& B)
{
    struct stat a {};
    struct stat b {};
    if (::stat(QFile::encodeName(A).constData(), &a) == 0 && ::stat(QFile::encodeName(B).constData(), &b) == 0)
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    return QDir::cleanPath(QFileInfo(A).absoluteFilePath()) == QDir::cleanPath(QFileInfo(B).absoluteFilePath());
}

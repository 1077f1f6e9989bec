#include "TextFile.h"

#include "platform/FileError.h"

#include <QSaveFile>

void SaveTextFile(const QString& FileName, const QByteArray& Bytes)
{
    QSaveFile out(FileName);
    out.setDirectWriteFallback(true);
    if (!(out.open(QIODevice::WriteOnly) && out.write(Bytes) == Bytes.size() && out.commit()))
        throw EFileError(QStringLiteral("Unable to write to %1: %2").arg(FileName, out.errorString()));
}

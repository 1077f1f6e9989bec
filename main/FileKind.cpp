#include "FileKind.h"

#include "document/SessionFile.h"
#include "platform/RegularFile.h"

#include <QFileInfo>

#include <FreeImage.h>

#include <limits>

#include <unistd.h>

namespace {

bool StartsLikeSession(const QByteArray& head)
{
    QByteArray text = head;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    const QByteArray first = text.trimmed().split('\n').first().trimmed();
    return first.startsWith('[') && first.endsWith(']') &&
           IsSessionSection(QString::fromUtf8(first.mid(1, first.size() - 2)).trimmed());
}

// The first bytes of a regular file; none when it cannot be read.
QByteArray FileHead(const QString& FileName)
{
    QString why;
    const int fd = OpenRegularFile(FileName, std::numeric_limits<std::int64_t>::max(), why);
    if (fd < 0)
        return {};
    QByteArray head(512, '\0');
    const ssize_t got = ::read(fd, head.data(), head.size());
    ::close(fd);
    head.resize(got > 0 ? got : 0);
    return head;
}

bool PictureSignature(QByteArray head)
{
    if (head.isEmpty())
        return false;
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(head.data()), DWORD(head.size()));
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory, int(head.size()));
    FreeImage_CloseMemory(memory);
    return format != FIF_UNKNOWN;
}

} // namespace

TFileKind FileKindOf(const QString& FileName)
{
    const QByteArray head = FileHead(FileName);
    if (StartsLikeSession(head))
        return fkSession;
    if (PictureSignature(head))
        return fkPicture;
    const QString suffix = QFileInfo(FileName).suffix().toLower();
    return suffix == QStringLiteral("qsf") || suffix == QStringLiteral("ini") ? fkSession : fkPicture;
}

bool LooksLikePicture(const QString& FileName)
{
    return PictureSignature(FileHead(FileName));
}

#include "VersionResource.h"

#include <QFile>
#include <QStringList>

namespace {

std::optional<QByteArray> ReadBlock(const QString& FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    const qsizetype start = bytes.indexOf(VersionBlockMarker());
    if (start < 0)
        return std::nullopt;
    const qsizetype end = bytes.indexOf('\0', start);
    return bytes.mid(start, (end < 0 ? bytes.size() : end) - start);
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> ParseVersion(const QString& text)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    std::uint32_t n[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint value = parts[i].toUInt(&ok);
        if (!ok || value > 0xFFFF)
            return std::nullopt;
        n[i] = value;
    }
    return std::pair{(n[0] << 16) | n[1], (n[2] << 16) | n[3]};
}

QStringList Lines(const QByteArray& Block)
{
    return QString::fromUtf8(Block).split(u'\n');
}

} // namespace

QByteArray VersionBlockMarker()
{
    return QByteArray("@@QUILLON-") + QByteArray("VERSION-BLOCK@@");
}

int GetFileVersionInfoSize(const QString& FileName)
{
    const auto block = ReadBlock(FileName);
    return block ? static_cast<int>(block->size()) : 0;
}

bool GetFileVersionInfo(const QString& FileName, QByteArray& Block)
{
    const auto block = ReadBlock(FileName);
    if (!block)
        return false;
    Block = *block;
    return true;
}

std::optional<QString> VerQueryString(const QByteArray& Block, const QString& SubBlock)
{
    const QStringList path = SubBlock.split(u'\\', Qt::SkipEmptyParts);
    if (path.size() != 3 || path[0] != u"StringFileInfo")
        return std::nullopt;
    bool inBlock = false;
    for (const QString& line : Lines(Block)) {
        if (line.startsWith(QStringLiteral("BLOCK ")) || line == u"END") {
            inBlock = line.mid(6).trimmed().compare(path[1], Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inBlock && equals > 0 && line.left(equals) == path[2])
            return line.mid(equals + 1);
    }
    return std::nullopt;
}

std::optional<TFixedFileInfo> VerQueryFixed(const QByteArray& Block)
{
    for (const QString& line : Lines(Block)) {
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (words.size() != 3 || words[0] != u"FIXED")
            continue;
        const auto file = ParseVersion(words[1]);
        const auto product = ParseVersion(words[2]);
        if (!file || !product)
            return std::nullopt;
        return TFixedFileInfo{file->first, file->second, product->first, product->second};
    }
    return std::nullopt;
}

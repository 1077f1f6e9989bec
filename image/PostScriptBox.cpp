#include "PostScriptBox.h"

#include <QList>

namespace {

// The header comments: the lines up to %%EndComments or the first line
// that is no comment.
qsizetype HeaderEnd(const QByteArray& PostScript)
{
    qsizetype at = 0;
    while (at < PostScript.size()) {
        qsizetype end = PostScript.indexOf('\n', at);
        if (end < 0)
            end = PostScript.size();
        const QByteArray line = PostScript.mid(at, end - at).trimmed();
        if (!line.startsWith('%') || line.startsWith("%%EndComments"))
            return at;
        at = end + 1;
    }
    return PostScript.size();
}

// The four numbers of the last line of Text that starts with Key, or
// nothing.
QByteArray LastBox(const QByteArray& Text, const QByteArray& Key)
{
    const qsizetype at = Text.lastIndexOf("\n" + Key);
    if (at < 0)
        return {};
    qsizetype end = Text.indexOf('\n', at + 1);
    if (end < 0)
        end = Text.size();
    const QByteArray box = Text.mid(at + 1 + Key.size(), end - at - 1 - Key.size()).simplified();
    const QList<QByteArray> numbers = box.split(' ');
    if (numbers.size() != 4)
        return {};
    for (const QByteArray& n : numbers) {
        bool number = false;
        n.toDouble(&number);
        if (!number)
            return {};
    }
    return box;
}

} // namespace

QByteArray BoundingBoxBroughtForward(const QByteArray& PostScript)
{
    const qsizetype headerEnd = HeaderEnd(PostScript);
    const QByteArray rest = PostScript.mid(headerEnd);
    QList<QByteArray> lines = PostScript.left(headerEnd).split('\n');
    bool changed = false;
    for (QByteArray& line : lines)
        for (const QByteArray& key : {QByteArray("%%BoundingBox:"), QByteArray("%%HiResBoundingBox:")})
            if (line.startsWith(key) && line.mid(key.size()).trimmed() == "(atend)")
                if (const QByteArray box = LastBox(rest, key); !box.isEmpty()) {
                    line = key + ' ' + box + (line.endsWith('\r') ? "\r" : "");
                    changed = true;
                }
    return changed ? lines.join('\n') + rest : QByteArray();
}

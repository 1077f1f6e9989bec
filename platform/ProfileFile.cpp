#include "ProfileFile.h"

#include "RegularFile.h"
#include "TextFile.h"

void TProfileFile::TSection::Add(const QString& Key, const QString& Value)
{
    // One look-up: a key new to the index is added with this entry, and the
    // first of duplicates wins.
    const qsizetype known = Index.size();
    int& first = Index[Key.toCaseFolded()];
    if (Index.size() != known) {
        first = static_cast<int>(Entries.size());
        Firsts.push_back(first);
    }
    Entries.emplace_back(Key, Value);
}

const TProfileFile::TSection* TProfileFile::Find(const QString& Section) const
{
    for (const TSection& s : FSections)
        if (s.Name.compare(Section, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

bool TProfileFile::Load(const QString& FileName, QString* Why)
{
    FSections.clear();
    QString why;
    const std::optional<QByteArray> bytes = ReadRegularFile(FileName, MaxFileBytes, why);
    if (!bytes) {
        if (Why)
            *Why = why;
        return false;
    }
    Parse(*bytes);
    return true;
}

void TProfileFile::Parse(const QByteArray& Bytes)
{
    FSections.clear();
    FEndsWithLineEnd = Bytes.isEmpty() || Bytes.endsWith('\n');
    TSection* current = nullptr;
    for (qsizetype start = 0; start < Bytes.size();) {
        qsizetype end = Bytes.indexOf('\n', start);
        if (end < 0)
            end = Bytes.size();
        QByteArrayView raw(Bytes.constData() + start, end - start);
        start = end + 1;
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QString line = (raw.isValidUtf8() ? QString::fromUtf8(raw) : QString::fromLatin1(raw)).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            FSections.push_back({line.mid(1, line.size() - 2).trimmed(), {}, {}, {}, {}});
            current = &FSections.back();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (current && equals == 0)
            current->Nameless.append(line);
        if (!current || equals <= 0 || line.startsWith(u';'))
            continue;
        current->Add(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
}

QByteArray TProfileFile::Text() const
{
    QString text;
    for (const TSection& s : FSections) {
        text += u'[' + s.Name + QStringLiteral("]\r\n");
        for (const auto& [key, value] : s.Entries)
            text += key + u'=' + value + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

TWritten TProfileFile::Save(const QString& FileName) const
{
    return SaveTextFile(FileName, Text());
}

void TProfileFile::WriteString(const QString& Section, const QString& Key, const QString& Value)
{
    auto* section = const_cast<TSection*>(Find(Section));
    if (!section) {
        FSections.push_back({Section, {}, {}, {}, {}});
        section = &FSections.back();
    }
    const auto found = section->Index.constFind(Key.toCaseFolded());
    if (found != section->Index.constEnd())
        section->Entries[*found].second = Value;
    else
        section->Add(Key, Value);
}

QString TProfileFile::ReadString(const QString& Section, const QString& Key, const QString& Default) const
{
    const TSection* section = Find(Section);
    if (!section)
        return Default;
    const auto found = section->Index.constFind(Key.toCaseFolded());
    return found == section->Index.constEnd() ? Default : section->Entries[*found].second;
}

QStringList TProfileFile::NamelessLines(const QString& Section) const
{
    const TSection* s = Find(Section);
    return s ? s->Nameless : QStringList();
}

QStringList TProfileFile::SectionNames() const
{
    QStringList names;
    for (const TSection& s : FSections)
        names << s.Name;
    return names;
}

std::vector<TProfileFile::TEntry> TProfileFile::SectionEntries(const QString& Section) const
{
    const TSection* section = Find(Section);
    return section ? section->Entries : std::vector<TEntry>{};
}

std::vector<TProfileFile::TEntry> TProfileFile::FirstEntries(const QString& Section) const
{
    std::vector<TEntry> entries;
    if (const TSection* section = Find(Section)) {
        entries.reserve(section->Firsts.size());
        for (int at : section->Firsts)
            entries.push_back(section->Entries[std::size_t(at)]);
    }
    return entries;
}

#pragma once

#include "platform/TextFile.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// An INI file as the private-profile functions treat it: section and key
// names match without regard to case, the first of duplicates wins, a new
// section goes to the end of the file and a new key to the end of its
// section, keys list in file order. Lines end in CR LF when written and in
// CR LF or LF when read. The file is read once and written whole.
class TProfileFile {
public:
    using TEntry = std::pair<QString, QString>; // key, value

    // Files beyond this size are refused rather than read.
    static constexpr qint64 MaxFileBytes = qint64(256) << 20;

    // Reads FileName; false, with Why set when given, when it does not exist,
    // cannot be read, is not a regular file or exceeds MaxFileBytes.
    bool Load(const QString& FileName, QString* Why = nullptr);
    // Reads the text of a file. A line that is not valid UTF-8 is read as
    // Latin-1, as other programs write it.
    void Parse(const QByteArray& Bytes);
    // Whether the text read last ended with a line end, as a whole file does.
    bool EndsWithLineEnd() const { return FEndsWithLineEnd; }
    // Writes every section to FileName through a temporary file that
    // replaces it only when complete, or in place when the folder takes no
    // new file but FileName may be written. Raises EFileError
    // "Unable to write to %s: " and the system's reason when that fails.
    TWritten Save(const QString& FileName) const;

    void WriteString(const QString& Section, const QString& Key, const QString& Value);
    QString ReadString(const QString& Section, const QString& Key, const QString& Default) const;
    // The entries of a section in file order, duplicates included.
    std::vector<TEntry> SectionEntries(const QString& Section) const;
    // The entries whose key no earlier entry of the section has, case aside:
    // those a key look-up reads.
    std::vector<TEntry> FirstEntries(const QString& Section) const;
    // Section names in file order, as first written.
    QStringList SectionNames() const;
    // The lines of a section that have a value but no key ("=1,2"), which
    // hold no entry.
    QStringList NamelessLines(const QString& Section) const;

    QByteArray Text() const;

private:
    struct TSection {
        QString Name;
        std::vector<TEntry> Entries;
        QHash<QString, int> Index; // case-folded key -> its first entry
        std::vector<int> Firsts;   // those entries, in file order
        QStringList Nameless;      // lines with nothing before their ""
        void Add(const QString& Key, const QString& Value);
    };
    const TSection* Find(const QString& Section) const;

    std::vector<TSection> FSections;
    bool FEndsWithLineEnd = true;
};

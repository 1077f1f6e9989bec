#pragma once

#include <QHash>
#include <QString>

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

    // Reads FileName; false when it does not exist or cannot be read.
    bool Load(const QString& FileName);
    // Writes every section to FileName through a temporary file that
    // replaces it only when complete, or in place when the folder takes no
    // new file but FileName may be written. Raises EFileError
    // "Unable to write to %s" when that fails.
    void Save(const QString& FileName) const;

    void WriteString(const QString& Section, const QString& Key, const QString& Value);
    QString ReadString(const QString& Section, const QString& Key, const QString& Default) const;
    // The entries of a section in file order, duplicates included.
    std::vector<TEntry> SectionEntries(const QString& Section) const;

    QByteArray Text() const;

private:
    struct TSection {
        QString Name;
        std::vector<TEntry> Entries;
        QHash<QString, int> Index; // case-folded key -> its first entry
        void Add(const QString& Key, const QString& Value);
    };
    const TSection* Find(const QString& Section) const;

    std::vector<TSection> FSections;
};

#pragma once

#include "FileLock.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The per-user store that stands in for the registry of the current user: keys
// addressed by backslash paths, each holding string values. It lives in one
// INI-format file, one section per key path; names match without regard to
// case. Every write takes the store's lock, re-reads the file, applies the
// change and replaces the file atomically, so another writer's values survive,
// even one in another process at the same moment, and a crash never leaves a
// truncated file. A missing, unreadable or garbled file reads as empty.
class TRegistry {
public:
    // The file used when none is given: $XDG_CONFIG_HOME/Kestrow/Quillon.conf,
    // with ~/.config when XDG_CONFIG_HOME is unset or empty.
    static QString DefaultFileName();

    // A larger file is taken for garbage and not read.
    static constexpr qint64 MaxFileBytes = qint64(64) << 20;

    explicit TRegistry(QString fileName = DefaultFileName());

    // Reads the file again, for another writer may have changed it.
    void Reload();

    // Opens Key relative to the current key, or from the root when it begins
    // with a backslash; creates it when CanCreate. False leaves the current
    // key as it was.
    bool OpenKey(const QString& key, bool canCreate);
    void CloseKey();
    QString CurrentPath() const { return FCurrentPath; }

    bool KeyExists(const QString& key) const;
    std::optional<QString> ReadString(const QString& name) const;
    // False when the file cannot be written; nothing is changed then.
    bool WriteString(const QString& name, const QString& value);
    // Several values of the current key in one replacement of the file:
    // all are written or none.
    bool WriteStrings(const QList<std::pair<QString, QString>>& values);

    // Runs Work with the store locked against every other writer, so that
    // what it reads is still so when it writes; holds nest.
    template <typename Work>
    auto Locked(Work work) -> decltype(work())
    {
        const THold hold(*this);
        return work();
    }

    // Removes the temporary files that writes cut short by a crash left
    // beside the store; only ours, by their names.
    void RemoveLeftovers();

    QString FileName() const { return FFileName; }
    // Why the last change that failed was refused.
    QString ErrorString() const { return FError; }

private:
    struct TValue {
        QString Name;
        QString Data;
    };
    struct TKey {
        QString Path;
        std::vector<TValue> Values;
    };
    using TKeys = std::vector<TKey>;
    class THold {
    public:
        explicit THold(TRegistry& Registry);
        ~THold();
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        TRegistry& FRegistry;
    };

    QString Resolve(const QString& key) const;
    const QString* Existing(const QString& path) const;
    static TKey* Find(TKeys& keys, const QString& path);
    static const TKey* Find(const TKeys& keys, const QString& path);
    // Whether the file could be read (a missing file reads as empty); Why
    // says what went wrong otherwise.
    bool ReadFile(TKeys& keys, QString& why) const;
    bool WriteFile(const TKeys& keys, QString& why) const;
    template <typename Change>
    bool Modify(Change change);

    QString FFileName;
    QString FCurrentPath;
    TKeys FKeys;
    QString FError;
    int FHolds = 0;
    std::unique_ptr<TFileLock> FLock;
};

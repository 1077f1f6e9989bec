#include "Registry.h"

#include "FileError.h"
#include "RegularFile.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

QString Escape(const QString& text, bool isName)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (isName && c == u'=')
            out += QStringLiteral("\\=");
        else
            out += c;
    }
    return out;
}

QString Unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            const QChar next = text[++i];
            out += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Index of the first '=' that is not escaped, or -1.
qsizetype NameEnd(QStringView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\')
            ++i;
        else if (line[i] == u'=')
            return i;
    }
    return -1;
}

QString Normalise(const QString& path)
{
    QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    return parts.join(u'\\');
}

} // namespace

QString TRegistry::DefaultFileName()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Kestrow/Quillon.conf");
}

TRegistry::TRegistry(QString fileName)
    : FFileName(std::move(fileName))
{
    Reload();
}

void TRegistry::Reload()
{
    QString why;
    ReadFile(FKeys, why);
}

QString TRegistry::Resolve(const QString& key) const
{
    if (key.startsWith(u'\\') || FCurrentPath.isEmpty())
        return Normalise(key);
    return Normalise(FCurrentPath + u'\\' + key);
}

TRegistry::TKey* TRegistry::Find(TKeys& keys, const QString& path)
{
    for (TKey& key : keys)
        if (key.Path.compare(path, Qt::CaseInsensitive) == 0)
            return &key;
    return nullptr;
}

const TRegistry::TKey* TRegistry::Find(const TKeys& keys, const QString& path)
{
    return Find(const_cast<TKeys&>(keys), path);
}

// A key exists when it has a section or when a key below it does, as parents
// exist in the registry once a child was created.
const QString* TRegistry::Existing(const QString& path) const
{
    const QString prefix = path + u'\\';
    for (const TKey& key : FKeys) {
        if (key.Path.compare(path, Qt::CaseInsensitive) == 0)
            return &key.Path;
        if (key.Path.startsWith(prefix, Qt::CaseInsensitive))
            return &path;
    }
    return nullptr;
}

bool TRegistry::OpenKey(const QString& key, bool canCreate)
{
    const QString path = Resolve(key);
    if (path.isEmpty() || path.contains(u'\n') || path.contains(u'\r') || path.contains(u']'))
        return false;
    if (const QString* existing = Existing(path)) {
        FCurrentPath = *existing;
        return true;
    }
    if (!canCreate)
        return false;
    const bool created = Modify([&](TKeys& keys) {
        if (!Find(keys, path))
            keys.push_back({path, {}});
    });
    if (!created)
        return false;
    FCurrentPath = path;
    return true;
}

void TRegistry::CloseKey()
{
    FCurrentPath.clear();
}

bool TRegistry::KeyExists(const QString& key) const
{
    return Existing(Resolve(key)) != nullptr;
}

std::optional<QString> TRegistry::ReadString(const QString& name) const
{
    const TKey* key = Find(FKeys, FCurrentPath);
    if (!key)
        return std::nullopt;
    for (const TValue& value : key->Values)
        if (value.Name.compare(name, Qt::CaseInsensitive) == 0)
            return value.Data;
    return std::nullopt;
}

bool TRegistry::WriteString(const QString& name, const QString& value)
{
    return WriteStrings({{name, value}});
}

bool TRegistry::WriteStrings(const QList<std::pair<QString, QString>>& values)
{
    if (FCurrentPath.isEmpty())
        return false;
    const QString path = FCurrentPath;
    return Modify([&](TKeys& keys) {
        TKey* key = Find(keys, path);
        if (!key) {
            keys.push_back({path, {}});
            key = &keys.back();
        }
        for (const std::pair<QString, QString>& entry : values) {
            const QString& name = entry.first;
            const auto existing = std::find_if(key->Values.begin(), key->Values.end(), [&](const TValue& v) {
                return v.Name.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (existing != key->Values.end())
                existing->Data = entry.second;
            else
                key->Values.push_back({name, entry.second});
        }
    });
}

TRegistry::THold::THold(TRegistry& Registry) : FRegistry(Registry)
{
    // The store's folder is locked: the file itself is replaced by each
    // write, and a lock on it would go with the old one.
    if (FRegistry.FHolds++ == 0) {
        const QString folder = QFileInfo(FRegistry.FFileName).absolutePath();
        QDir().mkpath(folder);
        FRegistry.FLock = std::make_unique<TFileLock>(folder);
    }
}

TRegistry::THold::~THold()
{
    if (--FRegistry.FHolds == 0)
        FRegistry.FLock.reset();
}

template <typename Change>
bool TRegistry::Modify(Change change)
{
    return Locked([&] {
        TKeys keys;
        if (!ReadFile(keys, FError))
            return false; // never replace a file we could not read
        change(keys);
        if (!WriteFile(keys, FError))
            return false;
        FKeys = std::move(keys);
        return true;
    });
}

void TRegistry::RemoveLeftovers()
{
    const QFileInfo store(FFileName);
    // Ours, and those of the writes before ours.
    const QRegularExpression leftover(QStringLiteral("^%1\\.(quillon-)?[A-Za-z0-9]{6}$")
                                          .arg(QRegularExpression::escape(store.fileName())));
    // Under the lock no write is under way, so none of these is in use.
    Locked([&] {
        QDir folder = store.absoluteDir();
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (leftover.match(name).hasMatch())
                folder.remove(name);
    });
}

bool TRegistry::ReadFile(TKeys& keys, QString& why) const
{
    keys.clear();
    if (!QFileInfo::exists(FFileName))
        return true;
    const std::optional<QByteArray> bytes = ReadRegularFile(FFileName, MaxFileBytes, why);
    if (!bytes)
        return false;
    // Look-ups by folded name keep reading linear in the file's size.
    QHash<QString, std::size_t> keyIndex;
    std::vector<QHash<QString, std::size_t>> valueIndex;
    std::size_t current = 0;
    bool inKey = false;
    const QString text = QString::fromUtf8(*bytes);
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QStringView line(text.constData() + start, end - start);
        start = end + 1;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString path = Normalise(line.mid(1, line.size() - 2).toString());
            inKey = !path.isEmpty();
            if (!inKey)
                continue;
            const QString folded = path.toCaseFolded();
            const auto found = keyIndex.constFind(folded);
            if (found != keyIndex.constEnd()) {
                current = *found;
            } else {
                current = keys.size();
                keyIndex.insert(folded, current);
                keys.push_back({path, {}});
                valueIndex.emplace_back();
            }
            continue;
        }
        const qsizetype nameEnd = NameEnd(line);
        if (!inKey || nameEnd <= 0)
            continue; // garbage between sections is skipped, not fatal
        const QString name = Unescape(line.left(nameEnd));
        QString data = Unescape(line.mid(nameEnd + 1));
        std::vector<TValue>& values = keys[current].Values;
        const QString folded = name.toCaseFolded();
        const auto found = valueIndex[current].constFind(folded);
        if (found != valueIndex[current].constEnd()) {
            values[*found].Data = std::move(data);
        } else {
            valueIndex[current].insert(folded, values.size());
            values.push_back({name, std::move(data)});
        }
    }
    return true;
}

bool TRegistry::WriteFile(const TKeys& keys, QString& why) const
{
    const QString folder = QFileInfo(FFileName).absolutePath();
    if (!QDir().mkpath(folder)) {
        why = QStringLiteral("the folder %1 cannot be made").arg(folder);
        return false;
    }
    QString text;
    for (const TKey& key : keys) {
        text += u'[' + key.Path + QStringLiteral("]\n");
        for (const TValue& value : key.Values)
            text += Escape(value.Name, true) + u'=' + Escape(value.Data, false) + u'\n';
        text += u'\n';
    }
    try {
        SaveTextFile(FFileName, text.toUtf8());
    } catch (const EFileError& e) {
        why = e.Message;
        return false;
    }
    return true;
}

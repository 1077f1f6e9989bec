#include "Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

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
qsizetype NameEnd(const QString& line)
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
    ReadFile(FKeys);
}

void TRegistry::Reload()
{
    ReadFile(FKeys);
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
    if (FCurrentPath.isEmpty())
        return false;
    const QString path = FCurrentPath;
    return Modify([&](TKeys& keys) {
        TKey* key = Find(keys, path);
        if (!key) {
            keys.push_back({path, {}});
            key = &keys.back();
        }
        for (TValue& existing : key->Values) {
            if (existing.Name.compare(name, Qt::CaseInsensitive) == 0) {
                existing.Data = value;
                return;
            }
        }
        key->Values.push_back({name, value});
    });
}

template <typename Change>
bool TRegistry::Modify(Change change)
{
    TKeys keys;
    if (!ReadFile(keys))
        return false; // never replace a file we could not read
    change(keys);
    if (!WriteFile(keys))
        return false;
    FKeys = std::move(keys);
    return true;
}

bool TRegistry::ReadFile(TKeys& keys) const
{
    keys.clear();
    QFile file(FFileName);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    TKey* current = nullptr;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString path = Normalise(line.mid(1, line.size() - 2));
            current = path.isEmpty() ? nullptr : Find(keys, path);
            if (!current && !path.isEmpty()) {
                keys.push_back({path, {}});
                current = &keys.back();
            }
            continue;
        }
        const qsizetype end = NameEnd(line);
        if (!current || end <= 0)
            continue; // garbage between sections is skipped, not fatal
        const QString name = Unescape(QStringView(line).left(end));
        const QString data = Unescape(QStringView(line).mid(end + 1));
        auto same = [&](const TValue& v) { return v.Name.compare(name, Qt::CaseInsensitive) == 0; };
        auto found = std::find_if(current->Values.begin(), current->Values.end(), same);
        if (found == current->Values.end())
            current->Values.push_back({name, data});
        else
            found->Data = data;
    }
    return true;
}

bool TRegistry::WriteFile(const TKeys& keys) const
{
    if (!QDir().mkpath(QFileInfo(FFileName).absolutePath()))
        return false;
    QSaveFile file(FFileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QString text;
    for (const TKey& key : keys) {
        text += u'[' + key.Path + QStringLiteral("]\n");
        for (const TValue& value : key.Values)
            text += Escape(value.Name, true) + u'=' + Escape(value.Data, false) + u'\n';
        text += u'\n';
    }
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

#include "RecentFiles.h"

#include <QFileInfo>

namespace {

const QString RecentKey = QStringLiteral("\\Software\\Kestrow\\Quillon\\Recent");

QString ValueName(int Index)
{
    return QStringLiteral("File%1").arg(Index + 1);
}

} // namespace

TRecentFiles::TRecentFiles(QString StoreFileName)
    : FRegistry(std::move(StoreFileName))
{
}

QStringList TRecentFiles::Files()
{
    FRegistry.Reload();
    QStringList files;
    if (!FRegistry.OpenKey(RecentKey, false))
        return files;
    for (int i = 0; i < MaxFiles; ++i) {
        const std::optional<QString> file = FRegistry.ReadString(ValueName(i));
        if (file && !file->isEmpty() && !files.contains(*file))
            files << *file;
    }
    FRegistry.CloseKey();
    return files;
}

// Read and stored under one lock, so that another window's entry, added
// meanwhile, is kept.
bool TRecentFiles::Add(const QString& FileName)
{
    const QString file = QFileInfo(FileName).absoluteFilePath();
    return FRegistry.Locked([&] {
        QStringList files = Files();
        files.removeAll(file);
        files.prepend(file);
        return Store(files.mid(0, MaxFiles));
    });
}

bool TRecentFiles::Remove(const QString& FileName)
{
    return FRegistry.Locked([&] {
        QStringList files = Files();
        if (files.removeAll(FileName) == 0)
            return true;
        return Store(files);
    });
}

bool TRecentFiles::Clear()
{
    return Store({});
}

bool TRecentFiles::Store(const QStringList& Files)
{
    if (!FRegistry.OpenKey(RecentKey, true))
        return false;
    QList<std::pair<QString, QString>> values;
    for (int i = 0; i < MaxFiles; ++i)
        values.append({ValueName(i), Files.value(i)});
    const bool written = FRegistry.WriteStrings(values);
    FRegistry.CloseKey();
    return written;
}

#pragma once

#include "platform/Registry.h"

#include <QStringList>

// The pictures and sessions last opened, newest first, in the per-user
// store under "Software\Kestrow\Quillon\Recent" as File1 to File8. Read
// afresh each time, so that two windows share one list.
class TRecentFiles {
public:
    static constexpr int MaxFiles = 8;

    explicit TRecentFiles(QString StoreFileName = TRegistry::DefaultFileName());

    QStringList Files();
    // Puts FileName (made absolute) first; false, with ErrorString set, when
    // the store cannot be written.
    bool Add(const QString& FileName);
    bool Remove(const QString& FileName);
    bool Clear();
    QString ErrorString() const { return FRegistry.ErrorString(); }

private:
    bool Store(const QStringList& Files);

    TRegistry FRegistry;
};

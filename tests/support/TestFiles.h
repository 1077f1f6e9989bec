#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points XDG_CONFIG_HOME and XDG_DATA_HOME into a fresh temporary folder for
// its lifetime, so that tests never read or write the real per-user files.
class TScopedConfigHome {
public:
    TScopedConfigHome();
    ~TScopedConfigHome();
    QString Path() const { return FDir.path(); }
    QString DataPath() const { return FDir.path() + QStringLiteral("/data"); }
    QString SettingsFile() const;

private:
    QTemporaryDir FDir;
    QByteArray FSaved;
    QByteArray FSavedData;
    bool FHadValue = false;
    bool FHadData = false;
};

void WriteTextFile(const QString& path, const QByteArray& bytes);
QByteArray ReadTextFile(const QString& path);

// Stores whether the tip window is offered at start, as the tip window would;
// windows created in tests must not stop on it.
void StoreStartupTip(bool show);

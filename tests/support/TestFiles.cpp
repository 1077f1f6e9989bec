#include "TestFiles.h"

#include "platform/Registry.h"

#include <QFile>
#include <QtTest>

TScopedConfigHome::TScopedConfigHome()
    : FSaved(qgetenv("XDG_CONFIG_HOME"))
    , FSavedData(qgetenv("XDG_DATA_HOME"))
    , FHadValue(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
    , FHadData(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
{
    qputenv("XDG_CONFIG_HOME", FDir.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", DataPath().toLocal8Bit());
}

TScopedConfigHome::~TScopedConfigHome()
{
    if (FHadValue)
        qputenv("XDG_CONFIG_HOME", FSaved);
    else
        qunsetenv("XDG_CONFIG_HOME");
    if (FHadData)
        qputenv("XDG_DATA_HOME", FSavedData);
    else
        qunsetenv("XDG_DATA_HOME");
}

QString TScopedConfigHome::SettingsFile() const
{
    return FDir.path() + QStringLiteral("/Kestrow/Quillon.conf");
}

void WriteTextFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ReadTextFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void StoreStartupTip(bool show)
{
    TRegistry registry;
    QVERIFY(registry.OpenKey(QStringLiteral("\\Software\\Kestrow\\Quillon\\TipOfDay"), true));
    QVERIFY(registry.WriteString(QStringLiteral("ShowAtStart"), show ? QStringLiteral("1") : QStringLiteral("0")));
}

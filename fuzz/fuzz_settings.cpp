// The per-user settings file as any bytes: read by the store, then by the
// view's settings, whose values must come out within the Preferences' bounds.
#include "view/quillonviewsettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QString SettingsFile()
{
    static QTemporaryDir home;
    static const bool ready = [] {
        setenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()).constData(), 1);
        return QDir().mkpath(home.filePath(QStringLiteral("Kestrow")));
    }();
    (void)ready;
    return home.filePath(QStringLiteral("Kestrow/Quillon.conf"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QFile file(SettingsFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    // The main key is there already, so that reading never turns into a
    // write of the whole file.
    file.write("[Software\\Kestrow\\Quillon]\n");
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    TQuillonViewSettings settings;
    if (settings.PointSize < TQuillonViewSettings::MinPointSize
        || settings.PointSize > TQuillonViewSettings::MaxPointSize
        || !(settings.AngleIncrement >= 0 && settings.AngleIncrement <= TQuillonViewSettings::MaxAngleIncrement))
        __builtin_trap();
    TRegistry store(file.fileName());
    if (store.OpenKey(QStringLiteral("\\Software\\Kestrow\\Quillon\\Points"), false))
        store.ReadString(QStringLiteral("PointSize"));
    return 0;
}

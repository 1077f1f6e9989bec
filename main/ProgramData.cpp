#include "ProgramData.h"

#include <QDir>
#include <QFileInfo>

QString ProgramDataFile(const QString& ProgramFile, const QString& Name)
{
    const QDir program = QFileInfo(ProgramFile).absoluteDir();
    const QString beside = program.filePath(Name);
    const QString installed = QDir::cleanPath(program.filePath(QStringLiteral("../share/quillon/") + Name));
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return installed;
    return beside;
}

QString ProgramManual(const QString& ProgramFile)
{
    const QDir program = QFileInfo(ProgramFile).absoluteDir();
    for (const QString& place : {QStringLiteral("manual/index.html"), QStringLiteral("../share/doc/quillon/html/index.html")})
        if (const QString page = QDir::cleanPath(program.filePath(place)); QFileInfo::exists(page))
            return page;
    return {};
}

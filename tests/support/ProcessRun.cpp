#include "ProcessRun.h"

#include <QProcess>

TRun RunProcess(const QString& Program, const QStringList& Arguments, const QProcessEnvironment& Environment)
{
    QProcess process;
    process.setProcessEnvironment(Environment);
    process.start(Program, Arguments);
    TRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.Status = process.exitCode();
    run.Out = process.readAllStandardOutput();
    run.Err = process.readAllStandardError();
    return run;
}

QProcessEnvironment WithoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

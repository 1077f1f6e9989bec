#include "BatchExport.h"
#include "BatchRun.h"
#include "CommandLine.h"
#include "QuillonApplication.h"
#include "formMain.h"
#include "platform/Registry.h"

#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Qt's own remarks (a runtime folder not set, and the like) are no business
// of someone running a command; the program's messages are written directly.
void QuietQt(QtMsgType Type, const QMessageLogContext&, const QString& Message)
{
    if (Type == QtCriticalMsg || Type == QtFatalMsg)
        QTextStream(stderr) << Message << '\n';
}

bool DisplayMissing()
{
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char* argv[])
{
    // Help, the version and an export need no display: without one the
    // offscreen platform stands in, and only a window is refused.
    const bool headless = DisplayMissing();
    if (headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QtMessageHandler standard = qInstallMessageHandler(QuietQt);
    TQuillonApplication app(argc, argv);
    const TCommandLine line = ParseCommandLine(QCoreApplication::arguments());
    if (line.Action == TCommandLine::caShowWindow)
        qInstallMessageHandler(standard);
    QTextStream out(stdout);
    QTextStream err(stderr);
    switch (line.Action) {
    case TCommandLine::caHelp:
    case TCommandLine::caVersion:
        out << line.Text;
        out.flush();
        if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0) {
            err << "quillon: unable to write to standard output: " << std::strerror(errno) << '\n';
            return 2;
        }
        return 0;
    case TCommandLine::caUsageError:
        err << "quillon: " << line.Text
            << (QCoreApplication::arguments().value(1) == QStringLiteral("batch") ? "\nTry 'quillon batch --help'.\n"
                                                                                   : "\nTry 'quillon --help'.\n");
        return 1;
    case TCommandLine::caExport: {
        // A reader that goes away is a failed write, not a killed program.
        std::signal(SIGPIPE, SIG_IGN);
        // Unbuffered, so that a failed write is seen where it happens.
        QFile output;
        output.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
        if (line.Drawing.Kind != TDrawingRequest::dkNone)
            return ExportDrawingData(line.ExportFile, line.SessionFile, line.Drawing, line.CalibrationFile, output, err);
        return ExportSessionData(line.ExportFile, line.SessionFile, output, err, line.Extract, line.PictureFile,
                                 line.CalibrationFile, line.AutoAxes);
    }
    case TCommandLine::caBatch: {
        std::signal(SIGPIPE, SIG_IGN);
        QFile input;
        input.open(STDIN_FILENO, QIODevice::ReadOnly);
        return RunBatch(line.Batch, input, err, isatty(STDERR_FILENO) == 1);
    }
    case TCommandLine::caShowWindow:
        break;
    }
    if (headless) {
        err << "quillon: there is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are unset).\n";
        return 1;
    }
    TRegistry().RemoveLeftovers();
    Tmainform mainform;
    mainform.show();
    if (!line.File.isEmpty())
        QTimer::singleShot(0, &mainform, [&mainform, file = line.File] { mainform.OpenFile(file); });
    return app.exec();
}

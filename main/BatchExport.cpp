#include "BatchExport.h"

#include "StandardErrorBox.h"
#include "formMain.h"

#include <QIODevice>
#include <QTextStream>

TExportStatus ExportSessionData(const QString& Out, const QString& Session, QIODevice& Output,
                                QTextStream& Errors)
{
    try {
        Tmainform window;
        const QString warning = window.LoadSession(Session);
        if (!warning.isEmpty())
            Errors << warning << Qt::endl;
        if (Out != QStringLiteral("-")) {
            window.SaveDataFile(Out);
            return esWritten;
        }
        const QByteArray bytes = window.DataText(u' ').toUtf8();
        if (Output.write(bytes) != bytes.size()) {
            Errors << QStringLiteral("Unable to write to standard output: %1").arg(Output.errorString())
                   << Qt::endl;
            return esFailed;
        }
        return esWritten;
    } catch (...) {
        Errors << ExceptionMessage(std::current_exception()) << Qt::endl;
        return esFailed;
    }
}

#include "SessionOpening.h"

#include "DrawingFile.h"
#include "PictureProblem.h"
#include "drawing/Drawing.h"
#include "document/JobDocument.h"
#include "document/SessionFile.h"
#include "image/FreeBitmap.h"

#include <QDir>
#include <QFileInfo>

QString OpenSession(const QString& FileName, const TSeriesLook& DefaultLook, TJobDocument& Document,
                    TFreeWinBitmap& Picture, QString* Moved, const QString& Located, TDrawing* Drawing)
{
    // The whole file is read and checked first: a file that cannot be read
    // or holds a malformed point changes nothing.
    TSession s = ReadSession(FileName, DefaultLook);
    QStringList warnings = s.Warnings;
    if (!Located.isEmpty()) {
        s.Path = Located;
        if (!QFileInfo::exists(Located))
            warnings.append(QStringLiteral("The picture %1 was not found.").arg(Located));
    } else if (!s.Path.isEmpty() && !QFileInfo::exists(s.Path)) {
        // Moved along with its session, into another folder.
        const QDir beside = QFileInfo(FileName).absoluteDir();
        const QString stored = s.Path;
        for (const QString& candidate : {beside.filePath(QFileInfo(stored).fileName()), beside.filePath(stored)})
            if (QFileInfo(candidate).isFile()) {
                s.Path = QDir::cleanPath(candidate);
                break;
            }
        if (s.Path == stored)
            warnings.append(QStringLiteral("Its picture %1 was not found, nor beside the session.").arg(stored));
        else if (Moved)
            *Moved = QStringLiteral("The picture was not at %1; %2, beside the session, was opened.").arg(stored, s.Path);
    }
    if (Drawing)
        *Drawing = {};
    // A picture put in place of a drawing's page is a picture.
    if (s.Page > 0 && QFileInfo::exists(s.Path) && !IsDrawingFile(s.Path))
        s.Page = 0;
    if (!s.Path.isEmpty() && QFileInfo::exists(s.Path)) {
        QByteArray paths;
        const TPictureReport report = s.Page > 0 ? Picture.ReplaceWithPage(s.Path, {s.Page, s.Resolution}, paths)
                                                 : Picture.ReplaceWith(s.Path);
        if (Drawing && report.Usable() && !paths.isEmpty() && !ReadDrawing(paths, *Drawing))
            warnings.append(QStringLiteral("The drawing's paths could not be read; its page is shown as a picture."));
        if (const QString problem = PictureProblemText(s.Path, report); !problem.isEmpty())
            warnings.prepend(problem);
    }
    Document.Apply(s);
    if (const QString axes = Document.AxisProblem(); !axes.isEmpty())
        warnings.append(QStringLiteral("Its axis values fail a check of the Dimensions dialog: %1").arg(axes));
    if (warnings.isEmpty())
        return {};
    return QStringLiteral("The session file %1 was loaded.\n\n%2").arg(FileName, warnings.join(u'\n'));
}

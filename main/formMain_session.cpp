// Session files and data export of the main window: it asks for the file
// names and shows the job; the document reads and writes the files.
#include "formMain.h"

#include "DrawingFile.h"

#include "SessionOpening.h"
#include "fileDialogs.h"
#include "document/SeriesCsv.h"
#include "document/SessionFile.h"
#include "platform/QuillonError.h"
#include "platform/TextFile.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

namespace {

const QString SessionFilter = QStringLiteral("Quillon Session File (*.qsf);;All Files (*)");

} // namespace

void Tmainform::acSaveSessionExecute()
{
    const QString file = AskSessionFileName();
    if (!file.isEmpty())
        SaveSessionFile(file);
}

void Tmainform::acSaveSessionAsExecute()
{
    const QString file = AskSessionFileName(true);
    if (!file.isEmpty())
        SaveSessionFile(file);
}

QString Tmainform::AskSessionFileName(bool AsNew)
{
    const QString suggested = AsNew || FSessionFile.isEmpty() ? SuggestedName(QStringLiteral("qsf")) : FSessionFile;
    return AskSaveFileName(this, QStringLiteral("Save Session File"), SessionFilter, QStringLiteral("qsf"), suggested);
}

QString Tmainform::SuggestedName(const QString& Suffix) const
{
    return SuggestedFileName(Document.ImageFileName, Suffix);
}

void Tmainform::ReportExport(const QString& FileName, std::size_t Points)
{
    statusBar()->showMessage(QStringLiteral("%1 %2 written to %3")
                                 .arg(Points)
                                 .arg(Points == 1 ? QStringLiteral("point") : QStringLiteral("points"),
                                      QDir::toNativeSeparators(FileName)),
                             15000);
}

void Tmainform::acLoadSessionExecute()
{
    if (!MayDiscardChanges())
        return;
    const QString file = AskOpenFileName(this, QStringLiteral("Open Session Template"), SessionFilter,
                                         QStringLiteral("ini"));
    if (file.isEmpty())
        return;
    LoadSessionFile(file);
    QuillonView->SetMouseAction(maRubberBand);
    ShowPixelScale();
}

void Tmainform::acCloseExecute()
{
    if (!MayDiscardChanges())
        return;
    // As the window starts: no picture, no points, the view's own mapping.
    TFreeWinBitmap none;
    QuillonView->Image.TakeImage(none);
    TJobDocument empty;
    ShowLoadedDocument(empty);
    FDrawing = {};
    QuillonView->ResetMapping();
    QuillonView->SetMouseAction(maRubberBand);
    ShowMouseData();
    QuillonView->Paint();
    ShowPictureStart();
    StartHistory(QString());
    UpdateCommands();
}

void Tmainform::SaveSessionFile(const QString& FileName)
{
    // Written afresh: nothing of an earlier session in that file survives.
    const TWritten how = SaveSession(FileName, Document, TQuillonViewSettings::StoredLook());
    MarkSaved(FileName);
    NoteRecent(FileName);
    WarnIfInPlace(how, FileName);
}

void Tmainform::LoadSessionFile(const QString& FileName)
{
    const QString warning = LoadSession(FileName);
    ShowPictureStart();
    NoteRecent(FileName);
    StartHistory(FileName);
    if (warning.isEmpty())
        return;
    // A picture that is nowhere can be shown where it is now.
    const bool lost = !Document.ImageFileName.isEmpty() && !QFileInfo::exists(Document.ImageFileName);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), warning, QMessageBox::Ok, this);
    QPushButton* locate = lost ? box.addButton(QStringLiteral("&Locate Picture..."), QMessageBox::ActionRole) : nullptr;
    box.exec();
    if (locate && box.clickedButton() == locate)
        LocatePicture();
}

void Tmainform::LocatePicture()
{
    const QString file = AskOpenFileName(this, QStringLiteral("Locate Picture"), OpenPictureFilterText, QString());
    if (file.isEmpty())
        return;
    // The job stays as it is; only its picture is found again (the same page
    // of a drawing), and the new place is saved with it next time.
    const TPageChoice page{Document.ImagePage, Document.ImageResolution};
    QByteArray drawing;
    const bool drawn = page.Page > 0 && IsDrawingFile(file);
    const TPictureReport report =
        drawn ? QuillonView->Image.ReplaceWithPage(file, page, drawing) : QuillonView->Image.ReplaceWith(file);
    if (report.Usable()) {
        TDrawing paths;
        if (drawn)
            ReadDrawing(drawing, paths);
        SetPictureSource(file, drawn ? page : TPageChoice{0, 0}, std::move(paths));
        QuillonView->Paint();
        ShowPictureStart();
        UndoStack.resetClean();
    }
    ShowPictureProblem(file, report);
}

QString Tmainform::LoadSession(const QString& FileName)
{
    // An axis kind the file does not name stays as the view has it.
    TJobDocument loaded;
    loaded.Mapping() = *QuillonView;
    QString moved;
    TDrawing drawing;
    const QString warning =
        OpenSession(FileName, TQuillonViewSettings::StoredLook(), loaded, QuillonView->Image, &moved, QString(), &drawing);
    ShowLoadedDocument(loaded);
    FDrawing = std::move(drawing);
    if (!moved.isEmpty())
        statusBar()->showMessage(moved, 15000);
    return warning;
}

QString Tmainform::DataText(QChar Separator) const
{
    const TQuillonViewSettings& s = *QuillonView->Settings;
    return Document.DataText(Separator, s.NumberPrecision, s.NumberDigits);
}

void Tmainform::RefuseWithoutDataValues(bool AllSeries) const
{
    const auto hasPoints = [](const TSeries& s) { return !s.Points.empty(); };
    const bool points = AllSeries ? std::any_of(Document.Series.begin(), Document.Series.end(), hasPoints)
                                  : hasPoints(Document.CurrentSeries());
    if (const QString step = Document.Mapping().MissingStep(); points && !step.isEmpty())
        throw EQuillonError(QStringLiteral("The points have no data values yet: %1.").arg(step));
}

void Tmainform::acCopyToClipboardExecute()
{
    RefuseWithoutDataValues(false);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(DataText(u'\t'));
}

void Tmainform::acDataToSSVExecute()
{
    const QString file =
        AskSaveFileName(this, QStringLiteral("Save Data to File"), QStringLiteral("Text File (*.txt);;All Files (*)"),
                        QStringLiteral("txt"), SuggestedName(QStringLiteral("txt")));
    if (!file.isEmpty())
        SaveDataFile(file);
}

void Tmainform::SaveDataFile(const QString& FileName)
{
    RefuseWithoutDataValues(false);
    WarnIfInPlace(SaveTextFile(FileName, DataText(u' ').toUtf8()), FileName);
    ReportExport(FileName, Document.CurrentSeries().Points.size());
}

void Tmainform::WarnIfInPlace(TWritten How, const QString& FileName)
{
    if (How == wrInPlace)
        QMessageBox::warning(this, QStringLiteral("Warning"), InPlaceWarning(FileName));
}

void Tmainform::acExportAllSeriesExecute()
{
    // Refused before a name is asked for.
    RefuseWithoutDataValues(true);
    // The uncertainty is a type of its own, which native dialogs can offer
    // where they could not show a check box.
    const QString withUncertainty = QStringLiteral("CSV File with Uncertainty (*.csv)");
    QString chosen;
    const QString file = AskSaveFileName(this, QStringLiteral("Export All Series"),
                                         QStringLiteral("CSV File (*.csv);;%1;;All Files (*)").arg(withUncertainty),
                                         QStringLiteral("csv"), SuggestedName(QStringLiteral("csv")), &chosen);
    if (file.isEmpty())
        return;
    WarnIfInPlace(SaveTextFile(file, AllSeriesCsv(Document, chosen == withUncertainty)), file);
    std::size_t points = 0;
    for (const TSeries& series : Document.Series)
        points += series.Points.size();
    ReportExport(file, points);
}

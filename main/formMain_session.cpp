// Session files and data export of the main window.
#include "formMain.h"

#include "PictureProblem.h"
#include "SessionFile.h"
#include "fileDialogs.h"
#include "platform/CoordinateText.h"
#include "platform/FileError.h"
#include "platform/ProfileFile.h"
#include "view/axisvalues.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSaveFile>

namespace {

const QString SessionFilter = QStringLiteral("Quillon Session File (*.qsf);;All Files (*)");

QString FloatText(double value)
{
    return CoordinateText(value, 15, 0);
}

TAxisMapping KindOf(int ordinal, TAxisMapping current)
{
    return ordinal == amLinear ? amLinear : ordinal == amLog10 ? amLog10 : current;
}

} // namespace

void Tmainform::acSaveSessionExecute()
{
    const QString file = AskSessionFileName();
    if (!file.isEmpty())
        SaveSessionFile(file);
}

QString Tmainform::AskSessionFileName()
{
    return AskSaveFileName(this, QStringLiteral("Save Session File"), SessionFilter, QStringLiteral("qsf"));
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

void Tmainform::SaveSessionFile(const QString& FileName)
{
    // Written afresh: nothing of an earlier session in that file survives.
    const TQuillonView& v = *QuillonView;
    TProfileFile ini;
    if (!v.ImageFileName.isEmpty() && QFileInfo::exists(v.ImageFileName))
        ini.WriteString(QStringLiteral("image"), QStringLiteral("path"), v.ImageFileName);
    if (v.MappingValid()) {
        ini.WriteString(QStringLiteral("screenrect"), QStringLiteral("x1"), QString::number(v.MappingRect.Left));
        ini.WriteString(QStringLiteral("screenrect"), QStringLiteral("x2"), QString::number(v.MappingRect.Right));
        ini.WriteString(QStringLiteral("screenrect"), QStringLiteral("y1"), QString::number(v.MappingRect.Top));
        ini.WriteString(QStringLiteral("screenrect"), QStringLiteral("y2"), QString::number(v.MappingRect.Bottom));
    }
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("y1"), FloatText(v.YBottomValue));
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("y2"), FloatText(v.YTopValue));
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("x1"), FloatText(v.XLeftValue));
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("x2"), FloatText(v.XRightValue));
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("AxisXMap"), QString::number(v.AxisXMap));
    ini.WriteString(QStringLiteral("dimensions"), QStringLiteral("AxisYMap"), QString::number(v.AxisYMap));
    for (int i = 0; i < v.SiteCount(); ++i) {
        const TSiteObject* site = v.GetSite(i);
        ini.WriteString(SessionSeries, site->Name, QString::number(site->X) + u',' + QString::number(site->Y));
    }
    ini.WriteString(QStringLiteral("image"), QStringLiteral("angle"), FloatText(v.Angle));
    ini.WriteString(QStringLiteral("image"), QStringLiteral("zoom"), FloatText(double(v.Zoom)));
    ini.Save(FileName);
    MarkSaved(FileName);
}

void Tmainform::LoadSessionFile(const QString& FileName)
{
    const QString warning = LoadSession(FileName);
    ShowPictureStart();
    NoteRecent(FileName);
    StartHistory(FileName);
    if (!warning.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Warning"), warning);
}

QString Tmainform::LoadSession(const QString& FileName)
{
    // The whole file is read and checked first: a file that cannot be read
    // or holds a malformed point changes nothing.
    const TSession s = ReadSession(FileName);
    TQuillonView& v = *QuillonView;
    v.ClearSites();
    v.ImageFileName = s.Path;
    QStringList warnings = s.Warnings;
    if (!s.Path.isEmpty() && QFileInfo::exists(s.Path)) {
        TFreeWinBitmap scratch;
        TPictureReport report;
        if (scratch.Load(s.Path, 0, &report))
            v.Image.TakeImage(scratch);
        if (const QString problem = PictureProblemText(s.Path, report); !problem.isEmpty())
            warnings.prepend(problem);
    }
    v.SetMappingRect(s.Rect);
    v.SetAxisValues(s.XLeft, s.YTop, s.XRight, s.YBottom);
    v.AxisXMap = KindOf(s.AxisXMap, v.AxisXMap);
    v.AxisYMap = KindOf(s.AxisYMap, v.AxisYMap);
    for (const TSession::TPointEntry& p : s.Points)
        v.AddSite(p.Name, p.X, p.Y);
    v.RemapSites();
    v.SetAngle(s.Angle);
    v.SetZoom(s.Zoom);
    const QString axes = AxisValuesProblem(v.XLeftValue, v.XRightValue, v.YBottomValue, v.YTopValue,
                                           v.AxisXMap == amLog10, v.AxisYMap == amLog10);
    if (!axes.isEmpty())
        warnings.append(QStringLiteral("Its axis values fail a check of the Dimensions dialog: %1").arg(axes));
    if (warnings.isEmpty())
        return {};
    return QStringLiteral("The session file %1 was loaded.\n\n%2").arg(FileName, warnings.join(u'\n'));
}

QString Tmainform::DataText(QChar Separator) const
{
    QString text;
    for (int row = 0; row < ListModel->Count(); ++row)
        text += RowText(row, Separator);
    return text;
}

QString Tmainform::RowText(int Row, QChar Separator) const
{
    return ListModel->Cell(Row, 1) + Separator + ListModel->Cell(Row, 2) + QStringLiteral("\r\n");
}

void Tmainform::acCopyToClipboardExecute()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(DataText(u'\t'));
}

void Tmainform::acDataToSSVExecute()
{
    const QString file = AskSaveFileName(this, QStringLiteral("Save Data to File"),
                                         QStringLiteral("Text File (*.txt);;All Files (*)"), QStringLiteral("txt"));
    if (!file.isEmpty())
        SaveDataFile(file);
}

void Tmainform::SaveDataFile(const QString& FileName) const
{
    // Through a temporary file, so that a failed export leaves the previous
    // file as it was; in place where the folder allows no temporary file.
    QSaveFile out(FileName);
    out.setDirectWriteFallback(true);
    const QByteArray bytes = DataText(u' ').toUtf8();
    if (!(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit()))
        throw EFileError(QStringLiteral("Unable to write to %1: %2").arg(FileName, out.errorString()));
}

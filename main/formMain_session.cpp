// Session files and data export of the main window.
#include "formMain.h"

#include "fileDialogs.h"
#include "platform/Conversions.h"
#include "platform/CoordinateText.h"
#include "platform/DecimalSeparator.h"
#include "platform/FileError.h"
#include "platform/ProfileFile.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

#include <cmath>

namespace {

const QString SessionFilter = QStringLiteral("Quillon Session File (*.qsf);;All Files (*)");
const QString Series = QStringLiteral("series/series1");

QString FloatText(double value)
{
    return CoordinateText(value, 15, 0);
}

int ReadInteger(const TProfileFile& ini, const QString& section, const QString& key, int fallback)
{
    return TryStrToInt(ini.ReadString(section, key, QString())).value_or(fallback);
}

double ReadFloat(const TProfileFile& ini, const QString& section, const QString& key, double fallback)
{
    const QString text = ini.ReadString(section, key, QString());
    if (text.isEmpty())
        return fallback;
    return TryStrToFloatAnyLocale(text, DecimalSeparator()).value_or(fallback);
}

// Everything a session holds, read and checked before the view is touched.
struct TSession {
    struct TPointEntry {
        QString Name;
        int X = 0;
        int Y = 0;
    };
    QString Path;
    TRect Rect;
    double XLeft = 0, XRight = 100, YBottom = 0, YTop = 100;
    int AxisXMap = 0, AxisYMap = 0;
    std::vector<TPointEntry> Points;
    double Angle = 0;
    float Zoom = 1;
};

// A point entry "name=X,Y": X lies between the first "=" and the first
// comma of the entry text, Y after that comma.
TSession::TPointEntry ParsePoint(const QString& key, const QString& value)
{
    const QString entry = key + u'=' + value;
    const qsizetype p1 = entry.indexOf(u'=');
    const qsizetype p2 = entry.indexOf(u',');
    const QString x = p2 > p1 ? entry.mid(p1 + 1, p2 - p1 - 1) : QString();
    const QString y = p2 >= 0 ? entry.mid(p2 + 1) : entry;
    return {key, StrToInt(x), StrToInt(y)};
}

TSession ReadSession(const QString& FileName)
{
    TProfileFile ini;
    if (!ini.Load(FileName))
        throw EFileError(QStringLiteral("Cannot open the session file %1").arg(FileName));
    TSession s;
    s.Path = ini.ReadString(QStringLiteral("image"), QStringLiteral("path"), QString());
    s.Rect.Left = ReadInteger(ini, QStringLiteral("screenrect"), QStringLiteral("x1"), 0);
    s.Rect.Top = ReadInteger(ini, QStringLiteral("screenrect"), QStringLiteral("y1"), 0);
    s.Rect.Right = ReadInteger(ini, QStringLiteral("screenrect"), QStringLiteral("x2"), 0);
    s.Rect.Bottom = ReadInteger(ini, QStringLiteral("screenrect"), QStringLiteral("y2"), 0);
    s.XLeft = ReadFloat(ini, QStringLiteral("dimensions"), QStringLiteral("x1"), 0);
    s.XRight = ReadFloat(ini, QStringLiteral("dimensions"), QStringLiteral("x2"), 100);
    s.YBottom = ReadFloat(ini, QStringLiteral("dimensions"), QStringLiteral("y1"), 0);
    s.YTop = ReadFloat(ini, QStringLiteral("dimensions"), QStringLiteral("y2"), 100);
    s.AxisXMap = ReadInteger(ini, QStringLiteral("dimensions"), QStringLiteral("AxisXMap"), 0);
    s.AxisYMap = ReadInteger(ini, QStringLiteral("dimensions"), QStringLiteral("AxisYMap"), 0);
    try {
        // A repeated name reads its first entry's text, as a key look-up does.
        for (const auto& entry : ini.SectionEntries(Series))
            s.Points.push_back(ParsePoint(entry.first, ini.ReadString(Series, entry.first, QString())));
    } catch (const EConvertError& e) {
        throw EConvertError(QStringLiteral("The session file %1 cannot be loaded: %2").arg(FileName, e.Message));
    }
    s.Angle = ReadFloat(ini, QStringLiteral("image"), QStringLiteral("angle"), 0);
    s.Zoom = static_cast<float>(ReadFloat(ini, QStringLiteral("image"), QStringLiteral("zoom"), 1));
    if (!(s.Zoom > 0) || !std::isfinite(s.Zoom))
        s.Zoom = 1;
    return s;
}

TAxisMapping KindOf(int ordinal, TAxisMapping current)
{
    return ordinal == amLinear ? amLinear : ordinal == amLog10 ? amLog10 : current;
}

} // namespace

void Tmainform::acSaveSessionExecute()
{
    const QString file = AskSaveFileName(this, QStringLiteral("Save Session File"), SessionFilter,
                                         QStringLiteral("qsf"));
    if (!file.isEmpty())
        SaveSessionFile(file);
}

void Tmainform::acLoadSessionExecute()
{
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
        ini.WriteString(Series, site->Name, QString::number(site->X) + u',' + QString::number(site->Y));
    }
    ini.WriteString(QStringLiteral("image"), QStringLiteral("angle"), FloatText(v.Angle));
    ini.WriteString(QStringLiteral("image"), QStringLiteral("zoom"), FloatText(double(v.Zoom)));
    ini.Save(FileName);
}

void Tmainform::LoadSessionFile(const QString& FileName)
{
    // The whole file is read and checked first: a file that cannot be read
    // or holds a malformed point changes nothing.
    const TSession s = ReadSession(FileName);
    TQuillonView& v = *QuillonView;
    v.ClearSites();
    v.ImageFileName = s.Path;
    if (!s.Path.isEmpty() && QFileInfo::exists(s.Path)) {
        TFreeWinBitmap scratch;
        if (scratch.Load(s.Path, 0))
            v.Image.TakeImage(scratch);
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
}

QString Tmainform::DataText(QChar Separator) const
{
    QString text;
    for (int row = 0; row < ListModel->Count(); ++row)
        text += ListModel->Cell(row, 1) + Separator + ListModel->Cell(row, 2) + QStringLiteral("\r\n");
    return text;
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
        throw EFileError(QStringLiteral("Unable to write to %1").arg(FileName));
}

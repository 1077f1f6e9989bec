#include "DrawingFile.h"

#include <QFile>
#include <QFileInfo>

#include <FreeImage.h>

namespace {

const QString DrawingMasks = QStringLiteral("*.pdf;*.svg;*.svgz;*.eps;*.ps");

} // namespace

bool IsDrawingFile(const QString& FileName)
{
    QFile file(FileName);
    if (QFileInfo(FileName).isFile() && file.open(QIODevice::ReadOnly)) {
        const QByteArray head = file.read(1024);
        if (head.contains("%PDF-") || IsPostScript(FileName))
            return true;
        // An SVG is XML whose root element comes early; a file that only
        // looks so is refused by the renderer, with its reason.
        QByteArray text = head.startsWith("\xEF\xBB\xBF") ? head.mid(3) : head;
        text = text.trimmed();
        if (text.startsWith('<') && text.contains("<svg"))
            return true;
    }
    return QFileInfo(FileName).suffix().compare(QStringLiteral("svgz"), Qt::CaseInsensitive) == 0;
}

QString WithDrawings(const QString& Filter)
{
    QStringList fields = Filter.split(u'|');
    if (fields.size() < 2)
        return Filter;
    fields[1] += u';' + DrawingMasks;
    const qsizetype allFiles = fields.size() >= 4 && fields[fields.size() - 2] == QStringLiteral("All Files")
                                   ? fields.size() - 2
                                   : fields.size();
    fields.insert(allFiles, QStringLiteral("Drawings: PDF, SVG, EPS (") + DrawingMasks + u')');
    fields.insert(allFiles + 1, DrawingMasks);
    return fields.join(u'|');
}

TPageSheet ReadPageSheet(const QString& FileName, const TDecoder& Decoder)
{
    TPageSheet result;
    QByteArray count;
    TDecodedPicture sheet = RenderPage(FileName, {0, 72}, Decoder, count);
    result.Report = sheet.Report;
    if (!sheet.Dib)
        return result;
    result.Pages = count.toInt();
    const int width = int(FreeImage_GetWidth(sheet.Dib)), height = int(FreeImage_GetHeight(sheet.Dib));
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const BYTE* in = FreeImage_GetScanLine(sheet.Dib, height - 1 - y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(in[3 * x + FI_RGBA_RED], in[3 * x + FI_RGBA_GREEN], in[3 * x + FI_RGBA_BLUE]);
    }
    FreeImage_Unload(sheet.Dib);
    result.Sheet = image;
    if (result.Pages < 1) {
        result.Sheet = QImage();
        result.Report.Status = TPictureStatus::Failed;
        result.Report.Detail = QStringLiteral("the renderer did not say how many pages it holds");
    }
    return result;
}

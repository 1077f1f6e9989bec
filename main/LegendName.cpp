#include "LegendName.h"

#include "PictureAxes.h"
#include "axes/LabelReader.h"
#include "document/JobDocument.h"

#include <algorithm>

namespace {

// Ground around the name, as the recogniser reads best with some.
constexpr int Margin = 2;

} // namespace

QString LegendNameOf(const TPixelSource& Source, const TExtractionReport& Report)
{
    // Samples of the colour in two rows of a legend name two series.
    if (!Report.LegendName || Report.LegendLeftOut != 1 || !Source.IsValid())
        return {};
    const TRect& name = *Report.LegendName;
    const int left = std::max(0, name.Left - Margin);
    const int top = std::max(0, name.Top - Margin);
    const int right = std::min(Source.Width() - 1, name.Right + Margin);
    const int bottom = std::min(Source.Height() - 1, name.Bottom + Margin);
    if (right < left || bottom < top)
        return {};
    // Only the name's pixels: a legend lies in a picture of any size.
    const TGrayPicture gray = GrayOf(Source, QRect(QPoint(left, top), QPoint(right, bottom)));
    TLabelReader reader;
    const QRect box(name.Left - left, name.Top - top, name.Right - name.Left + 1, name.Bottom - name.Top + 1);
    return reader.ReadName(gray, box).value_or(QString());
}

void TakeLegendName(TJobDocument& Job, const QString& Name, QTextStream& Errors)
{
    if (Name.isEmpty())
        return;
    Errors << QStringLiteral("The legend names them \"%1\".").arg(Name) << Qt::endl;
    if (Job.NumberedName(Job.Current) && Job.RenameProblem(Job.Current, Name).isEmpty())
        Job.RenameSeries(Job.Current, Name);
}

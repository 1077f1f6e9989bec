#include "PictureProblem.h"

namespace {

const QString InvalidFormat = QStringLiteral("Invalid Image Format.");

QString Megabytes(std::int64_t bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 0);
}

} // namespace

QString PictureProblemText(const QString& FileName, const TPictureReport& Report)
{
    switch (Report.Status) {
    case TPictureStatus::Decoded:
    case TPictureStatus::Cancelled:
        return QString();
    case TPictureStatus::UnknownFormat:
        return InvalidFormat;
    case TPictureStatus::NotAFile:
        return QStringLiteral("The picture %1 could not be opened: %2.").arg(FileName, Report.Detail);
    case TPictureStatus::TooLarge:
        return QStringLiteral("The picture %1 is too large: %2 x %3 pixels need %4 MB, more than the %5 MB allowed.")
            .arg(FileName)
            .arg(Report.Width)
            .arg(Report.Height)
            .arg(Megabytes(Report.Bytes), Megabytes(Report.Limit));
    case TPictureStatus::Damaged:
        return QStringLiteral("The picture %1 is damaged: %2. What could be read is shown.")
            .arg(FileName, Report.Detail);
    case TPictureStatus::Failed:
        break;
    }
    if (Report.Detail.isEmpty())
        return InvalidFormat;
    return InvalidFormat + QStringLiteral(" The picture %1 could not be read: %2.").arg(FileName, Report.Detail);
}

#include "FreeUtils.h"

#include <FreeImage.h>

namespace {

constexpr int LastFilterFormat = 23;

// Strips blanks and control characters at both ends, as the dialog expects.
QString TrimControl(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString FormatExtensionMask(int Fif)
{
    QString result = QStringLiteral("*.");
    const char* list = FreeImage_GetFIFExtensionList(static_cast<FREE_IMAGE_FORMAT>(Fif));
    for (const char* c = list; c && *c; ++c) {
        if (*c == ',')
            result += QStringLiteral(";*.");
        else
            result += QLatin1Char(*c);
    }
    return result;
}

QString AllFormatsExtensionMask()
{
    QString result = FormatExtensionMask(0);
    for (int fif = 1; fif <= LastFilterFormat; ++fif)
        result += u';' + FormatExtensionMask(fif);
    return result;
}

QString FormatFilterEntry(int Fif)
{
    if (Fif == FIF_UNKNOWN)
        return QString();
    const char* description = FreeImage_GetFIFDescription(static_cast<FREE_IMAGE_FORMAT>(Fif));
    const QString mask = FormatExtensionMask(Fif);
    return TrimControl(QString::fromLatin1(description ? description : "")) + u'(' + mask + QStringLiteral(")|") + mask;
}

QString OpenPictureFilter()
{
    QString result = QStringLiteral("All supported formats|") + AllFormatsExtensionMask();
    for (int fif = 0; fif <= LastFilterFormat; ++fif)
        result += u'|' + FormatFilterEntry(fif);
    return result;
}

QString ReadablePictureFilter()
{
    QString masks = AllFormatsExtensionMask();
    QString entries;
    for (int fif = 0; fif <= LastFilterFormat; ++fif)
        entries += u'|' + FormatFilterEntry(fif);
    for (int fif = LastFilterFormat + 1; fif < FreeImage_GetFIFCount(); ++fif) {
        if (!FreeImage_FIFSupportsReading(static_cast<FREE_IMAGE_FORMAT>(fif)))
            continue;
        masks += u';' + FormatExtensionMask(fif);
        entries += u'|' + FormatFilterEntry(fif);
    }
    return QStringLiteral("All supported formats|") + masks + entries + QStringLiteral("|All Files|*");
}

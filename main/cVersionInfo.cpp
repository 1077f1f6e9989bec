#include "cVersionInfo.h"

#include "platform/VersionResource.h"

#include <QFileInfo>
#include <QLocale>

TAboutInfo::TAboutInfo(const QString& FileName)
{
    InitItems();
    ReadFileInfo(FileName);
}

void TAboutInfo::InitItems()
{
    const char* table[][2] = {
        {"CompanyName", "Company Name"},         {"FileDescription", "Description"},
        {"FileVersion", "File Version"},         {"InternalName", "Internal Name"},
        {"LegalCopyright", "Copyright"},         {"LegalTradeMarks", "TradeMarks"},
        {"OriginalFilename", "Original File Name"}, {"ProductName", "Product Name"},
        {"ProductVersion", "Product Version"},   {"Comments", "Comments"},
        {"Author", "Author"},
    };
    for (const auto& [key, caption] : table)
        Items.push_back({QString::fromLatin1(caption), QString::fromLatin1(key), QString()});
}

void TAboutInfo::ReadFileInfo(const QString& FileName)
{
    const QFileInfo file(FileName);
    BuildDate = file.exists()
                    ? QLocale().toString(file.lastModified().toLocalTime(), QStringLiteral("dd-MMMM-yyyy HH:mm"))
                    : QString();
    if (!ReadVersionInfo(FileName, &Major, &Minor, &Release, &Build))
        Major = Minor = Release = Build = 0;
}

bool TAboutInfo::ReadVersionInfo(const QString& FileName, std::uint16_t* AMajor, std::uint16_t* AMinor,
                                 std::uint16_t* ARelease, std::uint16_t* ABuild)
{
    if (GetFileVersionInfoSize(FileName) == 0)
        return false;
    QByteArray block;
    if (!GetFileVersionInfo(FileName, block))
        return false;
    for (TInfoItem& item : Items) {
        const auto value = VerQueryString(block, QStringLiteral("\\StringFileInfo\\140904E4\\") + item.Key);
        if (value && !value->isEmpty())
            item.Value = *value;
    }
    const auto fixed = VerQueryFixed(block);
    if (!fixed)
        return false;
    const std::uint16_t numbers[4] = {std::uint16_t(fixed->FileVersionMS >> 16),
                                      std::uint16_t(fixed->FileVersionMS & 0xFFFF),
                                      std::uint16_t(fixed->FileVersionLS >> 16),
                                      std::uint16_t(fixed->FileVersionLS & 0xFFFF)};
    std::uint16_t* outputs[4] = {AMajor, AMinor, ARelease, ABuild};
    for (int i = 0; i < 4; ++i)
        if (outputs[i])
            *outputs[i] = numbers[i];
    return true;
}

QString TAboutInfo::GetVersionText() const
{
    return QStringLiteral("%1.%2.%3.%4").arg(Major).arg(Minor).arg(Release).arg(Build);
}

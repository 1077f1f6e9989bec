#include "quillonviewsettings.h"

#include "platform/Conversions.h"
#include "platform/CoordinateText.h"
#include "platform/DecimalSeparator.h"
#include "platform/RegistryError.h"

#include <algorithm>

namespace {

const QString MainKey = QStringLiteral("\\Software\\Kestrow\\Quillon\\");

} // namespace

TQuillonViewSettings::TQuillonViewSettings()
    : Registry(std::make_unique<TRegistry>())
{
    SetDefaults();
    LoadSettings();
}

void TQuillonViewSettings::SetDefaults()
{
    AngleIncrement = 1.0;
    DrawLine = false;
    DrawPoints = true;
    FitOnImageLoad = false;
    NumberDigits = 3;
    NumberFormat = ffGeneral;
    NumberPrecision = 6;
    LineColour = 0x000000;
    LineStyle = psSolid;
    PointColour = 0xFF0000;
    PointFillColour = 0x000000;
    PointSize = 3;
    PointSolid = false;
    PointType = ptPlus;
}

void TQuillonViewSettings::SetPointType(int Index)
{
    PointType = (Index >= ptPlus && Index <= ptSmallDot) ? static_cast<TPointType>(Index) : ptPlus;
}

QStringList TQuillonViewSettings::PointTypeNames()
{
    return {QStringLiteral("Plus"),         QStringLiteral("Cross"),
            QStringLiteral("Asterisk"),     QStringLiteral("Circle"),
            QStringLiteral("Square"),       QStringLiteral("Diamond"),
            QStringLiteral("Triangle"),     QStringLiteral("Inverted Triangle"),
            QStringLiteral("Diamond Plus"), QStringLiteral("Square Plus"),
            QStringLiteral("Small Dot")};
}

void TQuillonViewSettings::LoadSettings()
{
    // A store that cannot be written still reads; one that cannot be read
    // leaves the defaults.
    if (!Registry->OpenKey(MainKey, true))
        Registry->OpenKey(MainKey, false);

    FitOnImageLoad = ReadBool(QStringLiteral("General"), QStringLiteral("FitOnImageLoad"), false);
    // The angle increment is locale text; text written under another locale
    // reads too, and anything else falls back to 1.0 rather than stopping
    // the program at start-up.
    const QString angle = ReadText(QStringLiteral("General"), QStringLiteral("AngleIncrement"))
                              .value_or(QStringLiteral("1.0"));
    AngleIncrement = std::clamp(TryStrToFloatAnyLocale(angle, DecimalSeparator()).value_or(1.0), 0.0, MaxAngleIncrement);
    DrawPoints = ReadBool(QStringLiteral("Points"), QStringLiteral("DrawPoints"), true);
    SetPointType(ReadInteger(QStringLiteral("Points"), QStringLiteral("PointType"), 0));
    PointSize = std::clamp(ReadInteger(QStringLiteral("Points"), QStringLiteral("PointSize"), 3), MinPointSize, MaxPointSize);
    PointColour = ReadInteger(QStringLiteral("Points"), QStringLiteral("PointColour"), 0xFF0000);
    PointFillColour = ReadInteger(QStringLiteral("Points"), QStringLiteral("PointFillColour"), 0);
    PointSolid = ReadBool(QStringLiteral("Points"), QStringLiteral("PointSolid"), false);
    DrawLine = ReadBool(QStringLiteral("Line"), QStringLiteral("DrawLine"), false);
    LineColour = ReadInteger(QStringLiteral("Line"), QStringLiteral("LineColour"), 0);

    Registry->CloseKey();
}

void TQuillonViewSettings::SaveSettings()
{
    if (!Registry->OpenKey(MainKey, true))
        throw ERegistryException(QStringLiteral("Failed to create key %1").arg(MainKey.mid(1)) + Where());

    WriteBool(QStringLiteral("General"), QStringLiteral("FitOnImageLoad"), FitOnImageLoad);
    WriteText(QStringLiteral("General"), QStringLiteral("AngleIncrement"), CoordinateText(AngleIncrement, 15, 0));
    WriteBool(QStringLiteral("Points"), QStringLiteral("DrawPoints"), DrawPoints);
    WriteInteger(QStringLiteral("Points"), QStringLiteral("PointType"), PointType);
    WriteInteger(QStringLiteral("Points"), QStringLiteral("PointSize"), PointSize);
    WriteInteger(QStringLiteral("Points"), QStringLiteral("PointColour"), PointColour);
    WriteInteger(QStringLiteral("Points"), QStringLiteral("PointFillColour"), PointFillColour);
    WriteBool(QStringLiteral("Points"), QStringLiteral("PointSolid"), PointSolid);
    WriteBool(QStringLiteral("Line"), QStringLiteral("DrawLine"), DrawLine);
    WriteInteger(QStringLiteral("Line"), QStringLiteral("LineColour"), LineColour);

    Registry->CloseKey();
}

QString TQuillonViewSettings::Where() const
{
    return QStringLiteral(" in %1: %2").arg(Registry->FileName(), Registry->ErrorString());
}

std::optional<QString> TQuillonViewSettings::ReadText(const QString& SubKey, const QString& Name)
{
    const QString open = Registry->CurrentPath();
    std::optional<QString> text;
    if (Registry->OpenKey(SubKey, false))
        text = Registry->ReadString(Name);
    Registry->OpenKey(u'\\' + open, false);
    return text;
}

int TQuillonViewSettings::ReadInteger(const QString& SubKey, const QString& Name, int Default)
{
    const auto text = ReadText(SubKey, Name);
    return text ? TryStrToInt(*text).value_or(Default) : Default;
}

bool TQuillonViewSettings::ReadBool(const QString& SubKey, const QString& Name, bool Default)
{
    return ReadInteger(SubKey, Name, Default ? 1 : 0) != 0;
}

void TQuillonViewSettings::WriteText(const QString& SubKey, const QString& Name, const QString& Value)
{
    const QString open = Registry->CurrentPath();
    if (!Registry->OpenKey(SubKey, true))
        throw ERegistryException(QStringLiteral("Failed to create key %1").arg(SubKey) + Where());
    const bool written = Registry->WriteString(Name, Value);
    Registry->OpenKey(u'\\' + open, false);
    if (!written)
        throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(Name) + Where());
}

void TQuillonViewSettings::WriteInteger(const QString& SubKey, const QString& Name, int Value)
{
    WriteText(SubKey, Name, QString::number(Value));
}

void TQuillonViewSettings::WriteBool(const QString& SubKey, const QString& Name, bool Value)
{
    WriteText(SubKey, Name, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

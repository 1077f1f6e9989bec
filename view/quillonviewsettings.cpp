#include "quillonviewsettings.h"

#include "platform/Conversions.h"
#include "platform/CoordinateText.h"
#include "platform/DecimalSeparator.h"
#include "platform/RegistryError.h"

#include <algorithm>
#include <type_traits>
#include <variant>

namespace {

const QString MainKey = QStringLiteral("\\Software\\Kestrow\\Quillon\\");

using S = TQuillonViewSettings;

// One option: where the store keeps it (no section: it is not kept), its
// member and its default. A stored number outside Min..Max reads as the
// nearest bound; an ordinal outside them reads as the default.
struct TSettingField {
    const char* Section;
    const char* Name;
    std::variant<bool S::*, int S::*, double S::*, TPointType S::*, TPenStyle S::*, TFloatFormat S::*> Member;
    double Default;
    double Min = 0;
    double Max = 0;
};

constexpr TSeriesLook L{};

// In the order the store is written.
const TSettingField Fields[] = {
    {"General", "FitOnImageLoad", &S::FitOnImageLoad, 0},
    {"General", "AngleIncrement", &S::AngleIncrement, 1.0, 0, S::MaxAngleIncrement},
    {"Points", "DrawPoints", &S::DrawPoints, L.DrawPoints},
    {"Points", "PointType", &S::PointType, L.PointType, ptPlus, ptSmallDot},
    {"Points", "PointSize", &S::PointSize, L.PointSize, S::MinPointSize, S::MaxPointSize},
    {"Points", "PointColour", &S::PointColour, L.PointColour},
    {"Points", "PointFillColour", &S::PointFillColour, L.PointFillColour},
    {"Points", "PointSolid", &S::PointSolid, L.PointSolid},
    {"Line", "DrawLine", &S::DrawLine, L.DrawLine},
    {"Line", "LineColour", &S::LineColour, L.LineColour},
    {nullptr, "LineStyle", &S::LineStyle, L.LineStyle},
    {nullptr, "NumberDigits", &S::NumberDigits, 3},
    {nullptr, "NumberFormat", &S::NumberFormat, ffGeneral},
    {nullptr, "NumberPrecision", &S::NumberPrecision, 6},
    {"Clicks", "SubPixelClicks", &S::SubPixelClicks, 0},
};

// The value of Text for Field's member, or nothing when it is no value.
template <class T>
std::optional<T> Parsed(const TSettingField& Field, const QString& Text)
{
    if constexpr (std::is_same_v<T, double>) {
        const auto v = TryStrToFloatAnyLocale(Text, DecimalSeparator());
        if (!v)
            return std::nullopt;
        return Field.Min < Field.Max ? std::clamp(*v, Field.Min, Field.Max) : *v;
    } else {
        const auto v = TryStrToInt(Text);
        if (!v)
            return std::nullopt;
        if constexpr (std::is_same_v<T, bool>) {
            return *v != 0;
        } else if constexpr (std::is_enum_v<T>) {
            if (Field.Min < Field.Max && (*v < Field.Min || *v > Field.Max))
                return static_cast<T>(Field.Default);
            return static_cast<T>(*v);
        } else {
            return Field.Min < Field.Max ? std::clamp(*v, int(Field.Min), int(Field.Max)) : *v;
        }
    }
}

template <class T>
QString Text(T Value)
{
    if constexpr (std::is_same_v<T, double>)
        return CoordinateText(Value, 15, 0);
    else
        return QString::number(int(Value));
}

} // namespace

TQuillonViewSettings::TQuillonViewSettings()
    : Registry(std::make_unique<TRegistry>())
{
    SetDefaults();
    LoadSettings();
}

void TQuillonViewSettings::SetDefaults()
{
    for (const TSettingField& f : Fields)
        std::visit([this, &f](auto member) { this->*member = static_cast<std::remove_reference_t<decltype(this->*member)>>(f.Default); },
                   f.Member);
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

TSeriesLook TQuillonViewSettings::Look() const
{
    return {DrawPoints, PointType, PointSize, PointColour, PointFillColour, PointSolid, DrawLine, LineColour, LineStyle};
}

void TQuillonViewSettings::SetLook(const TSeriesLook& Value)
{
    DrawPoints = Value.DrawPoints;
    PointType = Value.PointType;
    PointSize = Value.PointSize;
    PointColour = Value.PointColour;
    PointFillColour = Value.PointFillColour;
    PointSolid = Value.PointSolid;
    DrawLine = Value.DrawLine;
    LineColour = Value.LineColour;
    LineStyle = Value.LineStyle;
}

TSeriesLook TQuillonViewSettings::StoredLook()
{
    return TQuillonViewSettings().Look();
}

void TQuillonViewSettings::LoadSettings()
{
    // A store that cannot be written still reads; one that cannot be read
    // leaves the defaults. Text written under another locale reads too, and
    // anything unreadable keeps the default rather than stopping the
    // program at start-up.
    if (!Registry->OpenKey(MainKey, true))
        Registry->OpenKey(MainKey, false);
    for (const TSettingField& f : Fields) {
        if (!f.Section)
            continue;
        const std::optional<QString> text = ReadText(QLatin1String(f.Section), QLatin1String(f.Name));
        std::visit(
            [&](auto member) {
                using T = std::remove_reference_t<decltype(this->*member)>;
                const std::optional<T> v = text ? Parsed<T>(f, *text) : std::nullopt;
                this->*member = v.value_or(static_cast<T>(f.Default));
            },
            f.Member);
    }
    Registry->CloseKey();
}

void TQuillonViewSettings::SaveSettings()
{
    if (!Registry->OpenKey(MainKey, true))
        throw ERegistryException(QStringLiteral("Failed to create key %1").arg(MainKey.mid(1)) + Where());
    for (const TSettingField& f : Fields)
        if (f.Section)
            std::visit([&](auto member) { WriteText(QLatin1String(f.Section), QLatin1String(f.Name), Text(this->*member)); },
                       f.Member);
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

#include "ksTipofDay.h"

#include "frmTip.h"
#include "platform/Conversions.h"
#include "platform/RegistryError.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>

namespace {

const QString SubKey = QStringLiteral("TipOfDay");

// The lines of a text file as a string list holds them: LF or CR LF ends a
// line, and a final line end opens no further, empty line.
QStringList TextLines(const QString& text)
{
    QStringList lines = text.split(u'\n');
    if (text.endsWith(u'\n'))
        lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

} // namespace

TKSTipOfDay::TKSTipOfDay()
    : Registry(std::make_unique<TRegistry>())
{
}

void TKSTipOfDay::Loaded()
{
    ReadSettings();
    if (RelativeTipFile.isEmpty())
        return;
    QFile file(QCoreApplication::applicationDirPath() + u'/' + RelativeTipFile);
    if (file.exists() && file.open(QIODevice::ReadOnly))
        Tips = TextLines(QString::fromUtf8(file.readAll()));
}

void TKSTipOfDay::ReadSettings()
{
    Registry->Reload();
    if (!Registry->OpenKey(u'\\' + RegPath, true))
        Registry->OpenKey(u'\\' + RegPath, false);
    std::optional<QString> show;
    std::optional<QString> last;
    if (Registry->OpenKey(SubKey, false)) {
        show = Registry->ReadString(QStringLiteral("ShowAtStart"));
        last = Registry->ReadString(QStringLiteral("LastTip"));
    }
    ShowAtStart = (show ? TryStrToInt(*show).value_or(1) : 1) != 0;
    LastTip = last ? TryStrToInt(*last).value_or(-1) : -1;
    Registry->CloseKey();
}

void TKSTipOfDay::WriteValue(const QString& Name, const QString& Value)
{
    if (!Registry->OpenKey(u'\\' + RegPath, true))
        throw ERegistryException(QStringLiteral("Failed to create key %1").arg(RegPath));
    if (!Registry->OpenKey(SubKey, true)) {
        Registry->CloseKey();
        throw ERegistryException(QStringLiteral("Failed to create key %1").arg(SubKey));
    }
    const bool written = Registry->WriteString(Name, Value);
    Registry->CloseKey();
    if (!written)
        throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(Name));
}

void TKSTipOfDay::SetShowAtStart(bool B)
{
    ShowAtStart = B;
    WriteValue(QStringLiteral("ShowAtStart"), B ? QStringLiteral("1") : QStringLiteral("0"));
}

void TKSTipOfDay::SetLastTip(std::int32_t N)
{
    if (N == LastTip)
        return;
    LastTip = N;
    WriteValue(QStringLiteral("LastTip"), QString::number(N));
}

bool TKSTipOfDay::Execute(QWidget* Parent)
{
    ReadSettings();
    TformKSTip window(Parent);
    window.cbxShowTips->setEnabled(!DisableShowAtStart);
    window.TipList = Tips;
    // A blank line is no tip.
    window.TipList.removeIf([](const QString& tip) { return tip.trimmed().isEmpty(); });
    window.cbxShowTips->setChecked(ShowAtStart);
    window.TipIndex = static_cast<std::uint16_t>(LastTip + 1);
    window.exec();
    SetShowAtStart(window.cbxShowTips->isChecked());
    SetLastTip(window.TipIndex);
    return true;
}

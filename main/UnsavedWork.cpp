#include "UnsavedWork.h"

#include "platform/Registry.h"

namespace {

const QString EditingKey = QStringLiteral("\\Software\\Kestrow\\Quillon\\Editing");
const QString AskName = QStringLiteral("AskToSave");

} // namespace

bool AskBeforeDiscarding()
{
    TRegistry registry;
    if (!registry.OpenKey(EditingKey, false))
        return true;
    return registry.ReadString(AskName) != QStringLiteral("0");
}

bool SetAskBeforeDiscarding(bool Ask)
{
    TRegistry registry;
    return registry.OpenKey(EditingKey, true) &&
           registry.WriteString(AskName, Ask ? QStringLiteral("1") : QStringLiteral("0"));
}

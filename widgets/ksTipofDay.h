#pragma once

#include "platform/Registry.h"

#include <QStringList>

#include <cstdint>
#include <memory>

class QWidget;

// Short help texts shown one at a time in the tip window. Remembers per user,
// under RegPath\TipOfDay, whether to offer the window at start and which tip
// was on show when it was last closed, so that the next showing goes on.
class TKSTipOfDay {
public:
    TKSTipOfDay();

    // Reads the stored state and the optional tips file, once configured.
    void Loaded();
    void ReadSettings();
    // Shows the window modally, then stores its state; always true.
    // Raises ERegistryException when the state cannot be stored.
    bool Execute(QWidget* Parent);
    void SetShowAtStart(bool B);
    void SetLastTip(std::int32_t N);
    void SetTips(const QStringList& L) { Tips = L; }

    bool DisableShowAtStart = false;
    std::int32_t LastTip = 0;
    std::unique_ptr<TRegistry> Registry;
    QString RegPath;
    QString RelativeTipFile;
    bool ShowAtStart = false;
    QStringList Tips;

private:
    void WriteValue(const QString& Name, const QString& Value);
};

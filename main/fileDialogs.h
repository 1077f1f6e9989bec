#pragma once

#include <QString>

class QWidget;

// A file dialog that appends DefaultSuffix to a typed name without one and
// does not ask before overwriting; an empty result when cancelled. Open
// dialogs accept names of files that do not exist yet.
QString AskSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                        const QString& defaultSuffix);
QString AskOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                        const QString& defaultSuffix);

// The folder the dialog named Dialog (its title) was last left in, while it
// exists; "" otherwise.
QString RememberedFolder(const QString& Dialog);
void RememberFolder(const QString& Dialog, const QString& File);

// FreeImage's "description|masks|..." filter in the form Qt's dialogs take.
QString QtFileFilter(const QString& Filter);

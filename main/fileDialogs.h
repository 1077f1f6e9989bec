#pragma once

#include <QString>

class QWidget;

// A file dialog that appends DefaultSuffix to a typed name without one and
// does not ask before overwriting; an empty result when cancelled. Open
// dialogs accept names of files that do not exist yet. A save dialog starts
// with Suggested, when given, in its folder, and tells ChosenFilter, when
// given, which of the filter's types the user chose.
QString AskSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                        const QString& defaultSuffix, const QString& Suggested = QString(),
                        QString* ChosenFilter = nullptr);
QString AskOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                        const QString& defaultSuffix);

// The folder the dialog named Dialog (its title) was last left in, while it
// exists; "" otherwise.
QString RememberedFolder(const QString& Dialog);
void RememberFolder(const QString& Dialog, const QString& File);

// The name a file made from Basis (a picture or a session) is offered under:
// Basis's folder and name with Suffix for its extension; "" for no Basis.
QString SuggestedFileName(const QString& Basis, const QString& Suffix);

// FreeImage's "description|masks|..." filter in the form Qt's dialogs take.
QString QtFileFilter(const QString& Filter);

#include "ksNumericEdit.h"

#include <QKeyEvent>

TKSNumericEdit::TKSNumericEdit(QWidget* parent)
    : QLineEdit(parent)
    , DisplayedText(text())
{
}

void TKSNumericEdit::SetReturnStop(bool B)
{
    if (B != FReturnStop)
        FReturnStop = B && (focusPolicy() & Qt::TabFocus);
}

void TKSNumericEdit::SetText(const QString& S)
{
    if (S.trimmed().isEmpty())
        MakeEmpty();
    else
        CommitParsed(S);
    setText(PlainText());
    DisplayedText = text();
}

void TKSNumericEdit::Commit()
{
    CommitParsed(text());
}

void TKSNumericEdit::Show(const QString& S)
{
    setText(S);
    DisplayedText = text();
}

void TKSNumericEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (ReturnStop()) {
            focusNextChild();
            event->accept();
            return;
        }
        // Committed first, so that a dialog's default button, which the
        // edit passes Return on to, sees the number just typed.
        Commit();
        selectAll();
    }
    else if (typed.size() == 1) {
        const QChar c = typed[0];
        if (c == u' ') {
            event->accept();
            return;
        }
        if (c.unicode() >= 32 && !IsNumberChar(c)) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TKSNumericEdit::focusInEvent(QFocusEvent* event)
{
    // The exact number, to edit; DisplayedText stays, so a formatted value
    // is converted again on leaving. A field selected whole stays so, for
    // typing over.
    const bool whole = hasSelectedText() && selectedText() == text();
    setText(PlainText());
    QLineEdit::focusInEvent(event);
    if (whole)
        selectAll();
}

void TKSNumericEdit::focusOutEvent(QFocusEvent* event)
{
    if (text() != DisplayedText)
        Commit();
    QLineEdit::focusOutEvent(event);
}

#include "ksIntegerEdit.h"

#include "platform/Conversions.h"

TKSIntegerEdit::TKSIntegerEdit(QWidget* parent)
    : TKSNumericEdit(parent)
{
}

void TKSIntegerEdit::SetValue(std::int32_t X)
{
    if (Accepts(X, MinValue, MaxValue)) {
        Empty = false;
        Value = X;
    }
    UpdateDisplay();
}

std::int32_t TKSIntegerEdit::ParseText(const QString& S)
{
    if (S.trimmed().isEmpty()) {
        Empty = true;
        return 0;
    }
    Empty = false;
    QString t = S;
    // "x1F" means hexadecimal too.
    const QString body = t.trimmed();
    if (body.startsWith(u'x', Qt::CaseInsensitive))
        t = u'$' + body.mid(1);
    return TryStrToInt(t).value_or(Value);
}

void TKSIntegerEdit::UpdateDisplay()
{
    Show(PlainText());
}

bool TKSIntegerEdit::IsNumberChar(QChar c) const
{
    return (c >= u'0' && c <= u'9') || c == u'$' || c == u'+' || c == u'-' || c == u'E' || (c >= u'a' && c <= u'f');
}

void TKSIntegerEdit::CommitParsed(const QString& S)
{
    const std::int32_t v = ParseText(S);
    if (Empty) {
        Value = 0; // an empty edit holds 0, whatever the bounds say
        UpdateDisplay();
    } else {
        SetValue(v);
    }
}

void TKSIntegerEdit::MakeEmpty()
{
    SetValue(0);
    Empty = true;
}

QString TKSIntegerEdit::PlainText() const
{
    return Empty ? QString() : QString::number(Value);
}

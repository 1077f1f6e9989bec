#include "ksFloatEdit.h"

#include "platform/Conversions.h"
#include "platform/CoordinateText.h"
#include "platform/DecimalSeparator.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdio>

namespace {

// Applies a printf pattern with exactly one floating-point directive; an
// empty result for any other pattern.
QString FormatFloat(const QString& pattern, double value)
{
    static const QRegularExpression valid(
        QStringLiteral(R"(^(?:[^%]|%%)*%[-+ 0#]*\d{0,3}(?:\.\d{1,3})?[eEfgG](?:[^%]|%%)*$)"));
    if (!valid.match(pattern).hasMatch())
        return {};
    char buffer[512];
    const QByteArray format = pattern.toUtf8();
    const int n = std::snprintf(buffer, sizeof buffer, format.constData(), value);
    if (n < 0 || n >= int(sizeof buffer))
        return {};
    QString text = QString::fromUtf8(buffer, n);
    text.replace(u'.', DecimalSeparator());
    return text;
}

} // namespace

TKSFloatEdit::TKSFloatEdit(QWidget* parent)
    : TKSNumericEdit(parent)
{
}

void TKSFloatEdit::SetFormatString(const QString& S)
{
    if (S == FFormatString)
        return;
    FFormatString = S;
    UpdateDisplay();
}

void TKSFloatEdit::SetValue(double X)
{
    if (std::isnan(X)) {
        Value = 0;
        Empty = true;
    } else if (Accepts(X, MinValue, MaxValue)) {
        Empty = false;
        Value = X;
    }
    UpdateDisplay();
}

double TKSFloatEdit::ParseText(const QString& S)
{
    QString t = S;
    if (t.startsWith(u'E', Qt::CaseInsensitive))
        t.prepend(u'1');
    if (t.startsWith(QStringLiteral("-E"), Qt::CaseInsensitive))
        t.insert(1, u'1');
    FTextRefused = false;
    if (S.trimmed().isEmpty()) {
        Empty = true;
        return 0;
    }
    Empty = false;
    const std::optional<double> parsed = TryStrToFloat(t, DecimalSeparator());
    FTextRefused = !parsed;
    return parsed.value_or(Value);
}

void TKSFloatEdit::UpdateDisplay()
{
    QString text;
    if (!Empty) {
        if (!FFormatString.isEmpty())
            text = FormatFloat(FFormatString, Value);
        if (text.isEmpty())
            text = PlainText();
    }
    Show(text);
}

bool TKSFloatEdit::IsNumberChar(QChar c) const
{
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'E' || c == u'e'
           || DecimalSeparator().contains(c);
}

void TKSFloatEdit::CommitParsed(const QString& S)
{
    const double v = ParseText(S);
    if (Empty) {
        Value = 0; // an empty edit holds 0, whatever the bounds say
        UpdateDisplay();
    } else {
        SetValue(v);
    }
}

void TKSFloatEdit::MakeEmpty()
{
    SetValue(0);
    Empty = true;
}

QString TKSFloatEdit::PlainText() const
{
    return Empty ? QString() : CoordinateText(Value, 15, 0);
}

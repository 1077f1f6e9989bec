#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <stdexcept>

// Raised by the strict conversions; the message is shown to the user as is.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};

// Integer text: optional leading blanks, a sign, decimal digits or hexadecimal
// after "$" or "0x"; nothing may follow. Decimal must fit 32 bits; hexadecimal
// takes 32 bits as they are, so "$FFFFFFFF" is -1.
std::optional<std::int32_t> TryStrToInt(const QString& text);

// TryStrToInt, raising "'%s' is not a valid integer value" when it fails.
std::int32_t StrToInt(const QString& text);

// Float text with the given decimal separator: optional blanks around it, a
// sign, digits with at most one separator, an optional exponent.
std::optional<double> TryStrToFloat(const QString& text, const QString& separator);

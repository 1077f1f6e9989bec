#pragma once

#include "QuillonError.h"

#include <QString>

#include <cstdint>
#include <optional>

// Raised by the strict conversions.
class EConvertError : public EQuillonError {
public:
    using EQuillonError::EQuillonError;
};

// Integer text: optional leading blanks, a sign, decimal digits or hexadecimal
// after "$" or "0x"; nothing may follow. Decimal must fit 32 bits; hexadecimal
// takes 32 bits as they are, so "$FFFFFFFF" is -1.
std::optional<std::int32_t> TryStrToInt(const QString& text);

// TryStrToInt, raising "'%s' is not a valid integer value" when it fails.
std::int32_t StrToInt(const QString& text);

// Text to quote in a message: at most 80 characters, cut with an ellipsis,
// for a file's line may run to megabytes.
QString Excerpt(const QString& text);

// Float text with the given decimal separator: optional blanks around it, a
// sign, digits with at most one separator, an optional exponent.
std::optional<double> TryStrToFloat(const QString& text, const QString& separator);

// TryStrToFloat with the given separator, else with "." or ",": files carry
// no thousands separators, so a number written under any locale reads.
std::optional<double> TryStrToFloatAnyLocale(const QString& text, const QString& separator);

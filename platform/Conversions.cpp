#include "Conversions.h"

#include <charconv>
#include <string>

namespace {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

std::optional<std::uint64_t> ParseDigits(const QString& text, qsizetype from, int base)
{
    if (from >= text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    for (qsizetype i = from; i < text.size(); ++i) {
        const char16_t c = text[i].toLower().unicode();
        int d = -1;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        if (d < 0)
            return std::nullopt;
        value = value * base + d;
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::int32_t> TryStrToInt(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    const auto magnitude = ParseDigits(text, i, base);
    if (!magnitude)
        return std::nullopt;
    if (base == 16) {
        const auto bits = static_cast<std::uint32_t>(*magnitude);
        const auto value = static_cast<std::int32_t>(bits);
        return negative ? static_cast<std::int32_t>(0u - bits) : value;
    }
    const std::int64_t value = negative ? -static_cast<std::int64_t>(*magnitude)
                                        : static_cast<std::int64_t>(*magnitude);
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(const QString& text)
{
    const auto value = TryStrToInt(text);
    if (!value)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(Excerpt(text)));
    return *value;
}

QString Excerpt(const QString& text)
{
    constexpr qsizetype most = 80;
    if (text.size() <= most)
        return text;
    // Not between the halves of a surrogate pair.
    qsizetype cut = most - 1;
    if (text[cut].isLowSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}

std::optional<double> TryStrToFloat(const QString& text, const QString& separator)
{
    const QString trimmed = text.trimmed();
    std::string ascii;
    ascii.reserve(trimmed.size());
    for (qsizetype i = 0; i < trimmed.size();) {
        if (!separator.isEmpty() && trimmed.mid(i, separator.size()) == separator) {
            ascii += '.';
            i += separator.size();
            continue;
        }
        const char16_t c = trimmed[i].unicode();
        const bool allowed = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'e' || c == u'E';
        if (!allowed)
            return std::nullopt;
        ascii += static_cast<char>(c);
        ++i;
    }
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-')
            return std::nullopt;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

std::optional<double> TryStrToFloatAnyLocale(const QString& text, const QString& separator)
{
    for (const QString& s : {separator, QStringLiteral("."), QStringLiteral(",")})
        if (const auto value = TryStrToFloat(text, s))
            return value;
    return std::nullopt;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/IntegerText.h"

#include "db/AppError.h"
#include "platform/Utf8Text.h"

#include <optional>

namespace {

int digitValue(char c, int base)
{
    int value = 99;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Every character the conversion takes is ASCII, so the UTF-8 bytes are
// read directly: a byte of a longer character is no digit and fails.
std::optional<std::int32_t> parseInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';

    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;

    const std::int64_t limit = negative ? std::int64_t(INT32_MAX) + 1 : INT32_MAX;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return std::int32_t(negative ? -magnitude : magnitude);
}

AppError notAnInteger(const QString &text)
{
    return AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

} // namespace

std::int32_t integerFromText(const QString &text)
{
    const std::optional<std::int32_t> value = parseInteger(text.toStdString());
    if (!value)
        throw notAnInteger(text);
    return *value;
}

std::int32_t integerFromUtf8(std::string_view text)
{
    const std::optional<std::int32_t> value = parseInteger(text);
    if (!value)
        throw notAnInteger(fromUtf8(text));
    return *value;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// Spreadsheet programs take a CSV field that begins with "=", "+", "-" or
// "@" for a formula and run it. The export writes such a field with a
// leading apostrophe, which they show as text, unless it is a plain number
// ("-500"); a field that begins with apostrophes followed by one of those
// characters gets one more, so that the import, which takes exactly one
// guard apostrophe off, gives back every text as it was.
namespace csvGuard {

inline bool isPlainNumber(std::string_view text)
{
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return digits(whole) && (point == std::string_view::npos || digits(fraction));
}

// Whether the export writes `text` with a guard apostrophe.
inline bool needsGuard(std::string_view text)
{
    const std::size_t quotes = text.find_first_not_of('\'');
    if (quotes == std::string_view::npos || std::string_view("=+-@").find(text[quotes]) == std::string_view::npos)
        return false;
    return quotes > 0 || !isPlainNumber(text);
}

// A field's text without the guard apostrophe the export gave it.
inline std::string_view withoutGuard(std::string_view field)
{
    if (field.starts_with('\'') && needsGuard(field.substr(1)))
        field.remove_prefix(1);
    return field;
}

} // namespace csvGuard

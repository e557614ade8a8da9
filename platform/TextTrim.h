// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

// `text` without the characters of code 32 or less (blanks and control
// characters) at either end. In UTF-8 those are single bytes of the same
// codes, and no byte of a longer character is one of them, so the text is
// trimmed where it lies.
inline std::string_view trimmedControls(std::string_view text)
{
    while (!text.empty() && std::uint8_t(text.front()) <= 32)
        text.remove_prefix(1);
    while (!text.empty() && std::uint8_t(text.back()) <= 32)
        text.remove_suffix(1);
    return text;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

// Converts a text to a 32-bit signed integer: an optional sign followed by
// decimal digits, or by a hexadecimal number led by "$", "x" or "0x" (either
// case). Leading blanks are allowed; anything else, or a value outside the
// 32-bit range, fails with "'<text>' is not a valid integer value".
std::int32_t integerFromText(const QString &text);
// The same for a UTF-8 text, read where it lies.
std::int32_t integerFromUtf8(std::string_view text);

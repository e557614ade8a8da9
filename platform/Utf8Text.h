// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string_view>

// UTF-8 bytes as a QString, for every text read from the register's file or
// from a spreadsheet. A U+FEFF at the start is kept as a character: it is
// part of the value (QString::fromUtf8 takes it for a byte-order mark and
// drops it, so a value written back would no longer match its row).
QString fromUtf8(std::string_view utf8);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool isUtf8(std::string_view text);

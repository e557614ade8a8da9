// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The shared parts of an .xlsx workbook that its sheets refer to.

// The workbook's shared strings, by index, as UTF-8, held in blocks that
// are never moved.
class SharedStrings {
public:
    void add(std::string_view text);
    std::size_t size() const { return m_strings.size(); }
    std::string_view at(std::size_t index) const { return m_strings[index]; }

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_blockFree = 0;
    char *m_blockEnd = nullptr;
    std::vector<std::string_view> m_strings;
};

// Reads the shared strings part: each string's text runs joined, phonetic
// hints left out.
void readSharedStrings(std::string_view xml, SharedStrings &strings);

// For each cell format of the styles part, whether its number format shows
// a date or a time.
std::vector<bool> readDateStyles(const QByteArray &xml);

// Whether an Excel number format code shows a date or a time ("yyyy/m/d",
// "h:mm", "[$-804]yyyy年m月d日"), not a number ("0.00", "General", "@").
bool isDateFormatCode(std::string_view code);

// OOXML writes characters that XML cannot hold as "_xHHHH_" (a CR as
// "_x000D_", a literal "_x" before four hex digits as "_x005F_x"). Returns
// `text` decoded, using `buffer` when anything changes.
std::string_view decodedOoxmlText(std::string_view text, std::string &buffer);

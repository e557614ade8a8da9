// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/XlsxParts.h"

#include "sheets/SheetReading.h"
#include "sheets/XmlScan.h"

#include <QString>

#include <charconv>
#include <cstring>
#include <map>

namespace {

constexpr std::size_t stringBlockSize = 1 << 20;

std::size_t unsignedValue(std::string_view text)
{
    std::size_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The built-in number formats that show dates or times, Chinese ones
// (27 to 36, 50 to 58) included.
bool isBuiltInDateFormat(std::size_t id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

struct SharedStringsReader : XmlHandler {
    SharedStrings &strings;
    std::string current;
    std::string decoded;
    bool inItem = false;
    bool inText = false;
    int phonetic = 0;

    explicit SharedStringsReader(SharedStrings &target)
        : strings(target)
    {
    }
    void start(std::string_view name, const XmlAttributes &)
    {
        if (name == "si") {
            inItem = true;
            current.clear();
        } else if (name == "rPh") {
            ++phonetic;
        } else if (name == "t") {
            inText = inItem && phonetic == 0;
        }
    }
    void end(std::string_view name)
    {
        if (name == "t") {
            inText = false;
        } else if (name == "rPh") {
            --phonetic;
        } else if (name == "si") {
            inItem = false;
            strings.add(decodedOoxmlText(current, decoded));
        }
    }
    void text(std::string_view characters)
    {
        if (inText)
            current.append(characters);
    }
};

struct StylesReader : XmlHandler {
    std::map<std::size_t, bool> customDateFormats;
    std::vector<bool> dateStyles;
    bool inCellFormats = false;

    void start(std::string_view name, const XmlAttributes &attributes)
    {
        if (name == "numFmt") {
            customDateFormats[unsignedValue(attributes.value("numFmtId"))]
                = isDateFormatCode(attributes.value("formatCode"));
        } else if (name == "cellXfs") {
            inCellFormats = true;
        } else if (name == "xf" && inCellFormats) {
            const std::size_t id = unsignedValue(attributes.value("numFmtId"));
            const auto custom = customDateFormats.find(id);
            dateStyles.push_back(custom != customDateFormats.end() ? custom->second : isBuiltInDateFormat(id));
        }
    }
    void end(std::string_view name)
    {
        if (name == "cellXfs")
            inCellFormats = false;
    }
};

} // namespace

void SharedStrings::add(std::string_view text)
{
    if (text.size() > m_blockFree) {
        const std::size_t size = std::max(stringBlockSize, text.size());
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_blockEnd = m_blocks.back().get();
        m_blockFree = size;
    }
    std::memcpy(m_blockEnd, text.data(), text.size());
    m_strings.emplace_back(m_blockEnd, text.size());
    m_blockEnd += text.size();
    m_blockFree -= text.size();
}

void readSharedStrings(std::string_view xml, SharedStrings &strings)
{
    SharedStringsReader reader(strings);
    scanXml(xml, reader);
}

std::vector<bool> readDateStyles(const QByteArray &xml)
{
    StylesReader reader;
    scanXml(std::string_view(xml.constData(), std::size_t(xml.size())), reader);
    return reader.dateStyles;
}

bool isDateFormatCode(std::string_view code)
{
    // Only the first section counts (positive numbers); quoted texts,
    // escaped characters and bracketed colours or locales show no date.
    bool quoted = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (quoted) {
            quoted = c != '"';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            const std::size_t close = code.find(']', i);
            const std::string_view inside = code.substr(i + 1, close == std::string_view::npos ? 0 : close - i - 1);
            // Elapsed time: [h], [mm], [ss]; not a colour such as [Magenta].
            if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string_view::npos)
                return true;
            if (close == std::string_view::npos)
                return false;
            i = close;
        } else if (c == ';') {
            return false;
        } else if (std::strchr("yYmMdDhHsS", c)) {
            return true;
        }
    }
    return false;
}

std::string_view decodedOoxmlText(std::string_view text, std::string &buffer)
{
    std::size_t at = text.find("_x");
    if (at == std::string_view::npos)
        return text;
    QString decoded;
    std::size_t done = 0;
    for (; at != std::string_view::npos; at = text.find("_x", at + 1)) {
        if (at < done || at + 7 > text.size() || text[at + 6] != '_')
            continue;
        unsigned code = 0;
        const auto [end, error] = std::from_chars(text.data() + at + 2, text.data() + at + 6, code, 16);
        if (error != std::errc() || end != text.data() + at + 6)
            continue;
        decoded += QString::fromUtf8(text.data() + done, qsizetype(at - done));
        decoded += QChar(char16_t(code));
        done = at + 7;
    }
    decoded += QString::fromUtf8(text.data() + done, qsizetype(text.size() - done));
    buffer = decoded.toStdString();
    return buffer;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/CsvReader.h"

#include "sheets/CsvGuard.h"
#include "sheets/MappedBytes.h"
#include "platform/Utf8Text.h"
#include "sheets/SheetReading.h"

#include <QStringDecoder>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr qsizetype decodeChunk = 1 << 20;

bool isUtf8(std::string_view bytes, ReadControl &control)
{
    for (std::size_t at = 0; at < bytes.size();) {
        control.check();
        // A chunk ends before a character's continuation bytes, not among them.
        std::size_t end = std::min<std::size_t>(at + decodeChunk, bytes.size());
        for (int more = 0; more < 3 && end < bytes.size() && (std::uint8_t(bytes[end]) & 0xC0) == 0x80; ++more)
            ++end;
        if (!::isUtf8(bytes.substr(at, end - at)))
            return false;
        at = end;
    }
    return true;
}

// The file's text as UTF-8, in a temporary file.
MappedBytes fromGb18030(std::string_view bytes, ReadControl &control)
{
    QStringDecoder decoder("GB18030");
    MappedBytes utf8 = MappedBytes::temporary();
    for (std::size_t at = 0; at < bytes.size(); at += decodeChunk) {
        control.check();
        const QByteArrayView chunk(bytes.data() + at, qsizetype(std::min<std::size_t>(decodeChunk, bytes.size() - at)));
        const QByteArray text = QString(decoder.decode(chunk)).toUtf8();
        utf8.append(text.constData(), text.size());
    }
    if (!decoder.isValid() || decoder.hasError())
        throw AppError(QStringLiteral("文件的编码既不是 UTF-8 也不是 GBK/GB18030"));
    utf8.map();
    return utf8;
}

// The records of RFC 4180 text, each field handed on as it lies in the
// file (a quoted field with doubled quotes through a buffer). A record ends
// at LF or CRLF; a lone CR separates fields, as a comma does; line breaks
// inside quotes stay in the field. An empty field without quotes is no
// cell; "" is an empty text. Characters after a closing quote belong to
// the field, as spreadsheet programs read them.
class CsvRecords {
public:
    CsvRecords(SheetRowSink &sink, ReadControl &control, MappedBytes &text)
        : m_sink(sink)
        , m_control(control)
        , m_text(text)
    {
    }

    void parse(const char *at, const char *end)
    {
        qint64 row = 0;
        while (at < end) {
            m_sink.beginRow(++row);
            int column = 0;
            bool recordEnds = false;
            while (!recordEnds) {
                const char *next = *at == '"' ? quoted(at + 1, end, column) : plain(at, end, column);
                ++column;
                // `next` is at the field's delimiter or the end.
                if (next >= end) {
                    at = end;
                    recordEnds = true;
                } else if (*next == '\n') {
                    at = next + 1;
                    recordEnds = true;
                } else if (*next == '\r' && next + 1 < end && next[1] == '\n') {
                    at = next + 2;
                    recordEnds = true;
                } else {
                    at = next + 1;
                    recordEnds = at >= end;
                }
            }
            m_sink.endRow();
            if (row % 1024 == 0) {
                m_control.check();
                m_control.report(at - m_text.bytes().data(), qint64(m_text.bytes().size()));
                m_text.releaseBefore(at);
            }
        }
    }

private:
    static bool isDelimiter(char c) { return c == ',' || c == '\r' || c == '\n'; }

    const char *plain(const char *at, const char *end, int column)
    {
        const char *field = at;
        while (at < end && !isDelimiter(*at))
            ++at;
        if (at > field)
            m_sink.cell(column, {SheetValue::Kind::Text, csvGuard::withoutGuard(std::string_view(field, std::size_t(at - field)))});
        return at;
    }

    const char *quoted(const char *at, const char *end, int column)
    {
        const char *field = at;
        const char *quote = static_cast<const char *>(std::memchr(at, '"', std::size_t(end - at)));
        if (!quote)
            throw AppError(QStringLiteral("CSV 文件格式有误（引号没有配对）"));
        // Most quoted fields hold no quote: they are handed on where they lie.
        if (quote + 1 >= end || quote[1] != '"') {
            at = quote + 1;
            if (at >= end || isDelimiter(*at)) {
                m_sink.cell(column, {SheetValue::Kind::Text, csvGuard::withoutGuard(std::string_view(field, std::size_t(quote - field)))});
                return at;
            }
        }
        m_buffer.assign(field, std::size_t(quote - field));
        at = quote;
        bool inQuotes = true;
        while (at < end && (inQuotes || !isDelimiter(*at))) {
            if (inQuotes && *at == '"') {
                if (at + 1 < end && at[1] == '"') {
                    m_buffer += '"';
                    at += 2;
                } else {
                    inQuotes = false;
                    ++at;
                }
                continue;
            }
            if (!inQuotes && *at == '"') {
                inQuotes = true;
                ++at;
                continue;
            }
            m_buffer += *at++;
        }
        if (inQuotes)
            throw AppError(QStringLiteral("CSV 文件格式有误（引号没有配对）"));
        m_sink.cell(column, {SheetValue::Kind::Text, csvGuard::withoutGuard(m_buffer)});
        return at;
    }

    SheetRowSink &m_sink;
    ReadControl &m_control;
    MappedBytes &m_text;
    std::string m_buffer;
};

} // namespace

void readCsv(const QString &path, SheetRowSink &sink, ReadControl &control)
{
    MappedBytes file = MappedBytes::ofFile(path);
    std::string_view bytes = file.bytes();
    if (bytes.find('\0') != std::string_view::npos)
        throw AppError(QStringLiteral("文件不是 CSV 文本（含有二进制数据；UTF-16 编码的文本请另存为 UTF-8 的 CSV）"));
    const bool marked = bytes.starts_with("\xEF\xBB\xBF");
    if (!marked && !isUtf8(bytes, control))
        file = fromGb18030(bytes, control);
    // The file's own byte-order mark is no text; a U+FEFF in a cell is.
    const std::size_t start = marked ? 3 : 0;

    CsvRecords records(sink, control, file);
    records.parse(file.bytes().data() + start, file.bytes().data() + file.bytes().size());

}

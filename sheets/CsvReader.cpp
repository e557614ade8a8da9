// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/CsvReader.h"

#include "sheets/MappedBytes.h"
#include "sheets/SheetReading.h"

#include <orcus/csv_parser.hpp>

#include <QStringDecoder>

#include <vector>

namespace {

constexpr qsizetype decodeChunk = 1 << 20;

bool isUtf8(std::string_view bytes, ReadControl &control)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    std::vector<QChar> scratch;
    for (std::size_t at = 0; at < bytes.size(); at += decodeChunk) {
        control.check();
        const QByteArrayView chunk(bytes.data() + at, qsizetype(std::min<std::size_t>(decodeChunk, bytes.size() - at)));
        scratch.resize(std::size_t(decoder.requiredSpace(chunk.size())));
        decoder.appendToBuffer(scratch.data(), chunk);
        if (decoder.hasError())
            return false;
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

class Rows : public orcus::csv_handler {
public:
    Rows(SheetRowSink &sink, ReadControl &control, MappedBytes &text)
        : m_sink(sink)
        , m_control(control)
        , m_text(text)
    {
    }

    void begin_row()
    {
        m_column = 0;
        m_sink.beginRow(++m_row);
    }
    void end_row()
    {
        m_sink.endRow();
        if (m_row % 1024 == 0) {
            m_control.check();
            m_control.report(m_position - m_text.bytes().data(), qint64(m_text.bytes().size()));
            m_text.releaseBefore(m_position);
        }
    }
    // An empty field without quotes comes as no text at all.
    void cell(const char *text, size_t size, bool transient)
    {
        if (text) {
            m_sink.cell(m_column, {SheetValue::Kind::Text, std::string_view(text, size)});
            if (!transient)
                m_position = text;
        }
        ++m_column;
    }

private:
    SheetRowSink &m_sink;
    ReadControl &m_control;
    MappedBytes &m_text;
    qint64 m_row = 0;
    int m_column = 0;
    const char *m_position = nullptr;
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

    // CR is a delimiter as well as the comma: liborcus ends a record at LF
    // only, so a CRLF line end gives the record one more field, which holds
    // nothing and is dropped. CR inside quotes stays in the field.
    orcus::csv::parser_config config;
    config.delimiters = ",\r";
    config.text_qualifier = '"';
    config.trim_cell_value = false;
    Rows rows(sink, control, file);
    try {
        orcus::csv_parser<Rows> parser(file.bytes().data() + start, file.bytes().size() - start, rows, config);
        parser.parse();
    } catch (const orcus::csv::parse_error &error) {
        throw AppError(QStringLiteral("CSV 文件格式有误（%1）").arg(QString::fromUtf8(error.what())));
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/XlsxWriter.h"

#include "db/PlainAmount.h"
#include "platform/FileSteps.h"
#include "sheets/ExportSource.h"
#include "sheets/SheetReading.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <cerrno>
#include <charconv>

namespace {

constexpr int minimumWidth = 6;
constexpr int maximumWidth = 60;

// The widest line's width in characters, East Asian characters counting two.
int displayWidth(std::string_view text)
{
    int widest = 0;
    int width = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            widest = std::max(widest, width);
            width = 0;
        } else if (byte < 0x80) {
            ++width;
        } else if (byte >= 0xE0) {
            width += 2;  // the lead byte of a three- or four-byte character
        } else if (byte >= 0xC0) {
            ++width;
        }
    }
    return std::max(widest, width);
}

} // namespace

std::string_view escapedOoxmlText(std::string_view text, std::string &buffer)
{
    if (text.find("_x") == std::string_view::npos && text.find('\0') == std::string_view::npos)
        return text;
    const auto isEscape = [&](std::size_t at) {
        return text.substr(at, 2) == "_x" && at + 7 <= text.size() && text[at + 6] == '_'
            && text.substr(at + 2, 4).find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
    };
    buffer.clear();
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\0')
            buffer.append("_x0000_");  // a C string would end here
        else if (isEscape(at))
            buffer.append("_x005F_");
        else
            buffer.push_back(text[at]);
    }
    return buffer;
}

XlsxWriter::XlsxWriter(const QString &path, const QString &sheetName, const QStringList &columns)
    : m_path(path)
    , m_columns(columns)
{
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    m_workbook = workbook_new_opt(file.constData(), &options);
    if (m_workbook)
        m_sheet = workbook_add_worksheet(m_workbook, sheetName.left(31).toUtf8().constData());
    if (!m_sheet)
        throw SpreadsheetError(QStringLiteral("无法建立临时文件（%1）").arg(QDir::toNativeSeparators(QDir::tempPath())));
    m_bold = workbook_add_format(m_workbook);
    format_set_bold(m_bold);
    m_text = workbook_add_format(m_workbook);
    format_set_num_format(m_text, "@");
    m_wrapped = workbook_add_format(m_workbook);
    format_set_text_wrap(m_wrapped);
    for (const QString &column : columns) {
        m_integerColumns.push_back(column == QStringLiteral("租金") || column == QStringLiteral("押金"));
        m_widths.push_back(minimumWidth);
    }
}

XlsxWriter::~XlsxWriter()
{
    // A workbook not finished is freed without writing its file.
    if (m_workbook)
        lxw_workbook_free(m_workbook);
}

void XlsxWriter::check(int error, int column)
{
    if (error == LXW_NO_ERROR)
        return;
    if (error == LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE)
        throw SpreadsheetError(QStringLiteral("记录太多，超过了 .xlsx 工作表的行数上限；请导出为 .csv"));
    if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
        throw SpreadsheetError(QStringLiteral("第 %1 个记录的“%2”超过了 .xlsx 单元格的 32767 个字符上限；请导出为 .csv")
                                   .arg(m_row)
                                   .arg(m_columns.value(column)));
    throw SpreadsheetError(QStringLiteral("写入 .xlsx 时出错（%1）").arg(QString::fromUtf8(lxw_strerror(lxw_error(error)))));
}

void XlsxWriter::writeText(int column, std::string_view text, lxw_format *format)
{
    std::string escaped;
    const std::string_view written = escapedOoxmlText(text, escaped);
    // libxlsxwriter takes texts ending in a NUL.
    m_buffer.assign(written);
    check(worksheet_write_string(m_sheet, m_row, lxw_col_t(column), m_buffer.c_str(), format), column);
    m_widths[std::size_t(column)] = std::max(m_widths[std::size_t(column)], displayWidth(text));
}

void XlsxWriter::header(const QStringList &columns)
{
    for (int column = 0; column < columns.size(); ++column)
        writeText(column, columns.at(column).toStdString(), m_bold);
    worksheet_freeze_panes(m_sheet, 1, 0);
    ++m_row;
}

void XlsxWriter::row(const ExportSource &source)
{
    for (int column = 0; column < int(m_widths.size()); ++column) {
        const std::optional<std::string_view> text = source.cell(column);
        if (!text)
            continue;  // NULL: no cell
        if (text->empty()) {
            check(worksheet_write_blank(m_sheet, m_row, lxw_col_t(column), m_text), column);
        } else if (m_integerColumns[std::size_t(column)] && isPlainAmountAsWritten(*text)) {
            double number = 0;
            std::from_chars(text->data(), text->data() + text->size(), number);
            check(worksheet_write_number(m_sheet, m_row, lxw_col_t(column), number, nullptr), column);
            m_widths[std::size_t(column)] = std::max(m_widths[std::size_t(column)], int(text->size()));
        } else {
            writeText(column, *text, text->find('\n') != std::string_view::npos ? m_wrapped : nullptr);
        }
    }
    ++m_row;
}

void XlsxWriter::finish()
{
    for (int column = 0; column < int(m_widths.size()); ++column)
        worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column),
                             std::min(m_widths[std::size_t(column)] + 2, maximumWidth), nullptr);
    errno = 0;
    const lxw_error error = workbook_close(m_workbook);
    m_workbook = nullptr;
    if (error == LXW_NO_ERROR)
        return;
    if (errno != 0)
        throw SpreadsheetError(writeFailureText(errno, QFileInfo(m_path).absolutePath()));
    throw SpreadsheetError(QStringLiteral("写入 .xlsx 时出错（%1）").arg(QString::fromUtf8(lxw_strerror(error))));
}

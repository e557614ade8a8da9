// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/XlsxWriter.h"

#include "db/PlainAmount.h"
#include "platform/FileSteps.h"
#include "sheets/ExportSource.h"
#include "sheets/SheetReading.h"
#include "sheets/XlsxPackageCheck.h"

#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <stdio_ext.h>
#include <unistd.h>

namespace {

// What a full disk, a quota, a file size limit or a failing disk leave in
// errno when libxlsxwriter's writes to its temporary files fail: it does not
// check them itself.
bool isWriteFailure(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG || error == EIO;
}

// libxlsxwriter prints "[ERROR]" lines of its own to the standard error;
// the program says what went wrong in the user's words instead, so the
// descriptor points to /dev/null while a call that may print runs. It is
// the process's: another thread's lines in that time go there too.
class LibraryMessagesHidden {
public:
    LibraryMessagesHidden()
    {
        const std::lock_guard lock(mutex);
        if (depth++ > 0)
            return;
        std::fflush(stderr);
        saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDERR_FILENO);
            ::close(null);
        }
    }
    ~LibraryMessagesHidden()
    {
        const std::lock_guard lock(mutex);
        if (--depth > 0 || saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        saved = -1;
    }
    LibraryMessagesHidden(const LibraryMessagesHidden &) = delete;
    LibraryMessagesHidden &operator=(const LibraryMessagesHidden &) = delete;

private:
    static inline std::mutex mutex;
    static inline int depth = 0;
    static inline int saved = -1;
};

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
    , m_folder(QFileInfo(path).absolutePath())
    , m_columns(columns)
{
    const QByteArray file = QFile::encodeName(path);
    // The rows wait in temporary files in the target's own folder, not in
    // /tmp: a folder with room for the file has room for them, and they go
    // where the user chose to write.
    m_temporaryFolder = QFile::encodeName(m_folder);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_temporaryFolder.data();
    {
        const LibraryMessagesHidden hidden;
        errno = 0;
        m_workbook = workbook_new_opt(file.constData(), &options);
        if (m_workbook)
            m_sheet = workbook_add_worksheet(m_workbook, sheetName.left(31).toUtf8().constData());
    }
    if (!m_sheet)
        throw AppError(writeFailureText(errno ? errno : EIO, m_folder));
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
    if (!m_workbook)
        return;
    // A workbook not finished is freed without writing its file. Freeing
    // leaves the sheet's temporary file open, to be flushed at exit: its
    // pending rows are dropped and it is closed here.
    if (m_sheet && m_sheet->optimize_tmpfile) {
        __fpurge(m_sheet->optimize_tmpfile);
        std::fclose(m_sheet->optimize_tmpfile);
        m_sheet->optimize_tmpfile = nullptr;
        m_sheet->file = nullptr;
    }
    lxw_workbook_free(m_workbook);
}

void XlsxWriter::checkWrites() const
{
    if (isWriteFailure(errno))
        throw AppError(writeFailureText(errno, m_folder));
}

void XlsxWriter::check(int error, int column)
{
    if (error == LXW_NO_ERROR)
        return;
    if (error == LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE)
        throw AppError(QStringLiteral("记录太多，超过了 .xlsx 工作表的行数上限；请导出为 .csv"));
    if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
        throw AppError(QStringLiteral("第 %1 个记录的“%2”超过了 .xlsx 单元格的 32767 个字符上限；请导出为 .csv")
                                   .arg(m_row)
                                   .arg(m_columns.value(column)));
    throw AppError(QStringLiteral("写入 .xlsx 时出错（%1）").arg(QString::fromUtf8(lxw_strerror(lxw_error(error)))));
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
    errno = 0;
    for (int column = 0; column < columns.size(); ++column)
        writeText(column, columns.at(column).toStdString(), m_bold);
    worksheet_freeze_panes(m_sheet, 1, 0);
    m_rowsWithCells += columns.isEmpty() ? 0 : 1;
    ++m_row;
}

void XlsxWriter::row(const ExportSource &source)
{
    // A row goes to the temporary file when the next one begins.
    errno = 0;
    bool cells = false;
    for (int column = 0; column < int(m_widths.size()); ++column) {
        const std::optional<std::string_view> text = source.cell(column);
        if (!text)
            continue;  // NULL: no cell
        cells = true;
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
    checkWrites();
    m_rowsWithCells += cells ? 1 : 0;
    ++m_row;
}

void XlsxWriter::finish()
{
    for (int column = 0; column < int(m_widths.size()); ++column)
        worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column),
                             std::min(m_widths[std::size_t(column)] + 2, maximumWidth), nullptr);
    lxw_error error = LXW_NO_ERROR;
    int systemError = 0;
    {
        const LibraryMessagesHidden hidden;
        errno = 0;
        error = workbook_close(m_workbook);
        systemError = errno;
    }
    m_workbook = nullptr;
    if (isWriteFailure(systemError) || (error != LXW_NO_ERROR && systemError != 0))
        throw AppError(writeFailureText(systemError, m_folder));
    if (error != LXW_NO_ERROR)
        throw AppError(QStringLiteral("写入 .xlsx 时出错（%1）").arg(QString::fromUtf8(lxw_strerror(error))));
    // A part whose temporary file could not be written whole is packed all
    // the same; only reading the package back tells.
    if (!isWholeExportPackage(m_path, m_rowsWithCells))
        throw AppError(QStringLiteral("写出的文件不完整，可能是磁盘空间不足"));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/CsvWriter.h"

#include "sheets/CsvGuard.h"

#include "platform/FileSteps.h"
#include "sheets/ExportSource.h"
#include "sheets/SheetReading.h"

#include <QFileInfo>

#include <cerrno>

namespace {

constexpr qsizetype flushSize = 1 << 20;

} // namespace

CsvWriter::CsvWriter(const QString &path)
    : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw AppError(writeFailureText(errno ? errno : EIO, QFileInfo(path).absolutePath()));
    m_pending.reserve(flushSize + 4096);
    m_pending.append("\xEF\xBB\xBF");
}

void CsvWriter::field(int column, std::optional<std::string_view> text)
{
    if (column > 0)
        m_pending.append(',');
    if (!text)
        return;
    const bool guarded = csvGuard::needsGuard(*text);
    if (!text->empty() && text->find_first_of(",\"\r\n") == std::string_view::npos) {
        if (guarded)
            m_pending.append('\'');
        m_pending.append(text->data(), qsizetype(text->size()));
        return;
    }
    m_pending.append('"');
    if (guarded)
        m_pending.append('\'');
    for (const char c : *text) {
        if (c == '"')
            m_pending.append('"');
        m_pending.append(c);
    }
    m_pending.append('"');
}

void CsvWriter::endRecord()
{
    m_pending.append("\r\n");
    if (m_pending.size() >= flushSize)
        flush();
}

void CsvWriter::flush()
{
    errno = 0;
    if (m_file.write(m_pending) != m_pending.size())
        throw AppError(writeFailureText(errno ? errno : EIO, QFileInfo(m_file.fileName()).absolutePath()));
    m_pending.clear();
}

void CsvWriter::header(const QStringList &columns)
{
    m_columnCount = int(columns.size());
    for (int column = 0; column < m_columnCount; ++column)
        field(column, columns.at(column).toStdString());
    endRecord();
}

void CsvWriter::row(const ExportSource &source)
{
    for (int column = 0; column < m_columnCount; ++column)
        field(column, source.cell(column));
    endRecord();
}

void CsvWriter::finish()
{
    flush();
    errno = 0;
    if (!m_file.flush())
        throw AppError(writeFailureText(errno ? errno : EIO, QFileInfo(m_file.fileName()).absolutePath()));
    m_file.close();
}

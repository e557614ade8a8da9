// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/ListingExport.h"

#include "sheets/CsvWriter.h"
#include "sheets/ExportSource.h"
#include "platform/FileSteps.h"
#include "sheets/SheetReading.h"
#include "sheets/XlsxWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

ListingExport::Format ListingExport::formatOf(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0 ? Format::Csv
                                                                                               : Format::Xlsx;
}

ListingExport::ListingExport(ExportSource &source, QString target, QString sheetName)
    : m_source(source)
    , m_target(std::move(target))
    , m_sheetName(std::move(sheetName))
{
    m_temporary = partFilePath(m_target);
}

ListingExport::~ListingExport()
{
    m_writer.reset();
    if (!m_published)
        QFile::remove(m_temporary);
}

void ListingExport::start()
{
    // One left by an export that was cut short.
    QFile::remove(m_temporary);
    if (formatOf(m_target) == Format::Csv)
        m_writer = std::make_unique<CsvWriter>(m_temporary);
    else
        m_writer = std::make_unique<XlsxWriter>(m_temporary, m_sheetName, m_source.columns());
    m_writer->header(m_source.columns());
}

bool ListingExport::writeSome(qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (!m_source.next())
            return true;
        m_writer->row(m_source);
        ++m_rows;
    }
    return false;
}

void ListingExport::finish()
{
    m_writer->finish();
}

void ListingExport::publish(bool replace)
{
    const int error = publishFile(m_temporary, m_target, replace ? ExistingFile::Replace : ExistingFile::Keep);
    if (error == EEXIST && !replace)
        throw AppError(QStringLiteral("“%1”已经存在").arg(QDir::toNativeSeparators(m_target)));
    if (error != 0)
        throw AppError(writeFailureText(error, QFileInfo(m_target).absolutePath()));
    m_published = true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SheetChild.h"

#include "platform/ReadingLimits.h"
#include "platform/RegionalFormats.h"
#include "sheets/SheetReading.h"

SheetChild::SheetChild(QObject *parent)
    : ReadingChild(parent)
{
}

void SheetChild::start(const QString &path, int sheetIndex, const RegionalFormats &formats)
{
    m_sheetIndex = sheetIndex;
    startChild({QStringLiteral("--read-sheet"), formats.shortDateFormat, formats.longTimeFormat,
                QString::number(sheetIndex), path});
}

bool SheetChild::readReports()
{
    const int before = m_reader.permille();
    try {
        const QByteArray bytes = process().readAllStandardOutput();
        if (m_reader.take(bytes.constData(), bytes.size()) == SheetStreamReader::State::Unreadable)
            return false;
    } catch (const AppError &error) {
        // More than the program takes, or what no sheet holds.
        refuse(error.text());
        return true;
    }
    if (m_reader.permille() != before)
        emit progressed(m_reader.permille());
    return true;
}

bool SheetChild::hasReported() const
{
    return m_reader.state() == SheetStreamReader::State::Ended || m_reader.state() == SheetStreamReader::State::Failed;
}

bool SheetChild::reportedSuccess() const
{
    return m_reader.state() == SheetStreamReader::State::Ended;
}

void SheetChild::settle(bool cancelled, const QString &failure)
{
    m_cancelled = cancelled;
    if (cancelled)
        return;
    if (!failure.isEmpty())
        m_failure = failure;
    else if (m_reader.state() == SheetStreamReader::State::Failed)
        m_failure = m_reader.failure();
    else
        m_table = std::make_shared<const SheetTable>(m_builder.take(m_reader.facts(), m_sheetIndex));
}

QString SheetChild::crashText() const
{
    return tooLargeOrDamagedText();
}

QString SheetChild::unreadableText() const
{
    return QStringLiteral("读取表格的程序的报告无法识别");
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/SheetStream.h"

#include "platform/Utf8Text.h"
#include "sheets/CellRecord.h"
#include "sheets/SheetReading.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

constexpr std::size_t frameHeader = 5;
constexpr char rowMark = char(0xFF);
// Frames are written at about this size; far larger ones are no report.
constexpr std::size_t flushBytes = 64 * 1024;
constexpr std::size_t largestFrame = 64 * 1024 * 1024;
constexpr std::size_t largestFailure = 64 * 1024;

void putLength(char *at, std::size_t length)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char((length >> (8 * i)) & 0xff);
}

std::size_t lengthAt(const char *at)
{
    std::size_t length = 0;
    for (int i = 0; i < 4; ++i)
        length |= std::size_t(std::uint8_t(at[i])) << (8 * i);
    return length;
}

void putText(std::string &out, std::string_view text)
{
    char number[cellRecord::varintBytes];
    out.append(number, std::size_t(cellRecord::putVarint(number, text.size()) - number));
    out.append(text);
}

void putNumber(std::string &out, std::uint64_t value)
{
    char number[cellRecord::varintBytes];
    out.append(number, std::size_t(cellRecord::putVarint(number, value) - number));
}

} // namespace

SheetStreamWriter::SheetStreamWriter(int descriptor, ReadControl &control)
    : m_descriptor(descriptor)
    , m_control(control)
{
}

void SheetStreamWriter::openCells()
{
    if (m_cellsFrame != std::string::npos)
        return;
    m_cellsFrame = m_out.size();
    m_out.append(frameHeader, 'C');
}

void SheetStreamWriter::closeCells()
{
    if (m_cellsFrame == std::string::npos)
        return;
    putLength(&m_out[m_cellsFrame + 1], m_out.size() - m_cellsFrame - frameHeader);
    m_cellsFrame = std::string::npos;
}

void SheetStreamWriter::frame(char kind, const std::string &payload)
{
    closeCells();
    m_out += kind;
    m_out.append(4, '\0');
    putLength(&m_out[m_out.size() - 4], payload.size());
    m_out += payload;
}

void SheetStreamWriter::flush()
{
    closeCells();
    const char *at = m_out.data();
    std::size_t left = m_out.size();
    while (left > 0) {
        const ssize_t written = ::write(m_descriptor, at, left);
        if (written < 0 && errno == EINTR)
            continue;
        // The program is gone, or stopped listening: nothing more to do.
        if (written <= 0)
            throw ReadCancelled();
        at += written;
        left -= std::size_t(written);
    }
    m_out.clear();
}

void SheetStreamWriter::beginRow(qint64 rowNumber)
{
    openCells();
    m_out += rowMark;
    putNumber(m_out, std::uint64_t(rowNumber));
}

void SheetStreamWriter::cell(const SheetCell &cell)
{
    openCells();
    const std::size_t at = m_out.size();
    m_out.resize(at + cellRecord::headerBytes + cell.text.size());
    m_out.resize(std::size_t(cellRecord::encode(&m_out[at], cell) - m_out.data()));
    if (m_out.size() >= flushBytes)
        flush();
}

void SheetStreamWriter::endRow()
{
    const int permille = m_control.permille.load(std::memory_order_relaxed);
    if (permille != m_permille) {
        m_permille = permille;
        std::string payload;
        putNumber(payload, std::uint64_t(std::clamp(permille, 0, 1000)));
        frame('P', payload);
        flush();
    } else if (m_out.size() >= flushBytes) {
        flush();
    }
}

void SheetStreamWriter::finish(const WorkbookFacts &facts)
{
    std::string payload;
    putNumber(payload, std::uint64_t(facts.sheetNames.size()));
    for (const QString &name : facts.sheetNames) {
        const QByteArray utf8 = name.toUtf8();
        putText(payload, std::string_view(utf8.constData(), std::size_t(utf8.size())));
    }
    payload += char(facts.recalculateOnOpen ? 1 : 0);
    putNumber(payload, std::uint64_t(facts.repairedCells));
    frame('E', payload);
    flush();
}

void SheetStreamWriter::fail(const QString &reason)
{
    const QByteArray utf8 = reason.left(1000).toUtf8();
    frame('F', utf8.toStdString());
    flush();
}

SheetStreamReader::SheetStreamReader(SheetCellSink &sink)
    : m_sink(sink)
{
}

SheetStreamReader::State SheetStreamReader::take(const char *data, qsizetype size)
{
    if (m_state != State::Reading) {
        if (size > 0)
            m_state = State::Unreadable;
        return m_state;
    }
    m_pending.append(data, size);
    qsizetype at = 0;
    while (m_state == State::Reading && m_pending.size() - at >= qsizetype(frameHeader)) {
        const char *header = m_pending.constData() + at;
        const std::size_t length = lengthAt(header + 1);
        if (length > largestFrame) {
            m_state = State::Unreadable;
            break;
        }
        if (std::size_t(m_pending.size() - at) - frameHeader < length)
            break;
        if (!frame(header[0], header + frameHeader, length))
            m_state = State::Unreadable;
        at += qsizetype(frameHeader + length);
    }
    if (m_state == State::Reading)
        m_pending.remove(0, at);
    else if (m_pending.size() > at)
        m_state = State::Unreadable;
    return m_state;
}

bool SheetStreamReader::frame(char kind, const char *payload, std::size_t size)
{
    const char *end = payload + size;
    switch (kind) {
    case 'C':
        return cells(payload, end);
    case 'P': {
        std::uint64_t permille = 0;
        if (cellRecord::getVarint(payload, end, permille) != end || permille > 1000)
            return false;
        m_permille = int(permille);
        return true;
    }
    case 'E':
        return this->end(payload, end);
    case 'F': {
        const std::string_view text(payload, size);
        if (size == 0 || size > largestFailure || !isUtf8(text))
            return false;
        m_failure = QString::fromUtf8(payload, qsizetype(size));
        m_state = State::Failed;
        return true;
    }
    default:
        return false;
    }
}

bool SheetStreamReader::cells(const char *at, const char *end)
{
    while (at < end) {
        if (*at == rowMark) {
            std::uint64_t row = 0;
            at = cellRecord::getVarint(at + 1, end, row);
            if (!at || row > std::uint64_t(INT32_MAX))
                return false;
            if (m_rowOpen)
                m_sink.endRow();
            m_sink.beginRow(qint64(row));
            m_rowOpen = true;
            continue;
        }
        SheetCell cell;
        at = cellRecord::decode(at, end, cell);
        if (!at || !m_rowOpen)
            return false;
        m_sink.cell(cell);
    }
    return true;
}

bool SheetStreamReader::end(const char *at, const char *end)
{
    std::uint64_t count = 0;
    at = cellRecord::getVarint(at, end, count);
    if (!at || count > 100000)
        return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t length = 0;
        at = cellRecord::getVarint(at, end, length);
        if (!at || length > std::uint64_t(end - at) || !isUtf8(std::string_view(at, std::size_t(length))))
            return false;
        m_facts.sheetNames << QString::fromUtf8(at, qsizetype(length));
        at += length;
    }
    if (at == end || std::uint8_t(*at) > 1)
        return false;
    m_facts.recalculateOnOpen = *at++ == 1;
    std::uint64_t repaired = 0;
    at = cellRecord::getVarint(at, end, repaired);
    if (at != end || repaired > std::uint64_t(INT64_MAX))
        return false;
    m_facts.repairedCells = qint64(repaired);
    if (m_rowOpen)
        m_sink.endRow();
    m_rowOpen = false;
    m_state = State::Ended;
    return true;
}

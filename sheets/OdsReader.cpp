// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/OdsReader.h"

#include "platform/Utf8Text.h"
#include "sheets/SheetLimits.h"
#include "sheets/SheetReading.h"
#include "sheets/XmlScan.h"
#include "sheets/ZipArchive.h"

#include <QDate>
#include <QDateTime>

#include <charconv>
#include <optional>
#include <vector>

namespace {

[[noreturn]] void damaged(const QString &detail)
{
    throw AppError(QStringLiteral("文件已损坏（%1）").arg(detail));
}

std::optional<double> number(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// office:date-value: "2026-01-05" or "2026-01-05T14:30:00[.123]", as days
// since 30 December 1899.
std::optional<double> dateDays(std::string_view text)
{
    const QString value = fromUtf8(text);
    QDateTime moment = QDateTime::fromString(value, Qt::ISODateWithMs);
    if (!moment.isValid()) {
        const QDate date = QDate::fromString(value, Qt::ISODate);
        if (!date.isValid())
            return std::nullopt;
        moment = QDateTime(date, QTime(0, 0));
    }
    return double(QDate(1899, 12, 30).daysTo(moment.date())) + moment.time().msecsSinceStartOfDay() / 86400000.0;
}

// office:time-value, a duration: "PT14H30M00S", "PT36H00M00.5S", "-PT1H",
// "P1DT2H", as days.
std::optional<double> durationDays(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() != 'P')
        return std::nullopt;
    text.remove_prefix(1);
    double days = 0;
    bool inTime = false;
    bool any = false;
    while (!text.empty()) {
        if (text.front() == 'T') {
            inTime = true;
            text.remove_prefix(1);
            continue;
        }
        double amount = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), amount);
        if (error != std::errc() || end == text.data() + text.size() || amount < 0)
            return std::nullopt;
        const char unit = *end;
        text.remove_prefix(std::size_t(end - text.data()) + 1);
        if (unit == 'D' && !inTime)
            days += amount;
        else if (unit == 'H' && inTime)
            days += amount / 24;
        else if (unit == 'M' && inTime)
            days += amount / 1440;
        else if (unit == 'S' && inTime)
            days += amount / 86400;
        else
            return std::nullopt;
        any = true;
    }
    if (!any)
        return std::nullopt;
    return negative ? -days : days;
}

// A repeat count: a whole number from 1 up; damage otherwise.
qint64 repeatCount(const XmlAttributes &attributes, std::string_view name)
{
    const std::string_view text = attributes.valueOf("table", name);
    if (text.empty())
        return 1;
    qint64 count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size() || count < 1)
        damaged(QStringLiteral("重复次数“%1”无效").arg(fromUtf8(text.substr(0, 40))));
    return count;
}

// The text a cell shows, paragraph by paragraph, as LibreOffice Calc reads
// it: the characters as they are (blanks and line ends included, which
// pandas writes so and LibreOffice keeps), <text:s text:c="n"/> as n
// blanks, <text:tab/> a tab, <text:line-break/> a line break; paragraphs
// are lines.
class ShownText {
public:
    void clear()
    {
        m_text.clear();
        m_paragraphs = 0;
    }
    void startParagraph()
    {
        if (m_paragraphs++ > 0)
            m_text += '\n';
    }
    void characters(std::string_view text)
    {
        m_text.append(text);
        checkLength();
    }
    void spaces(qint64 count)
    {
        // More blanks than a cell can hold are refused by the length check.
        put(std::min<qint64>(count, sheetLimits::cellCharacters + 1), ' ');
    }
    void put(qint64 count, char c)
    {
        m_text.append(std::size_t(count), c);
        checkLength();
    }
    bool empty() const { return m_text.empty(); }
    const std::string &text() const { return m_text; }

private:
    // The text may be longer than a cell's characters in bytes (UTF-8),
    // never by more than three to one; past that nothing is gathered.
    void checkLength() const
    {
        if (qint64(m_text.size()) > 3 * sheetLimits::cellCharacters)
            throw AppError(QStringLiteral("有单元格超过了表格单元格的 %1 个字符上限，文件已损坏")
                                       .arg(sheetLimits::cellCharacters));
    }

    std::string m_text;
    int m_paragraphs = 0;
};

// The row being read: its cells, each with how often it repeats, kept
// until the row ends, when the row's own repeat count is known to apply.
struct PendingCell {
    int column;
    qint64 repeat;
    SheetValue::Kind kind;
    double number;
    std::size_t textStart, textSize;  // in the row's texts
    bool formula;
};

class ContentReader : public XmlHandler {
public:
    ContentReader(int sheetIndex, SheetRowSink &sink, ReadControl &control, MappedBytes &xml)
        : m_sheetIndex(sheetIndex)
        , m_sink(sink)
        , m_control(control)
        , m_xml(xml)
    {
    }

    QStringList names;
    bool found = false;

    void start(std::string_view name, const XmlAttributes &attributes)
    {
        ++m_depth;
        if (m_skipFrom)
            return;
        if (m_cellDepth) {
            startInCell(name, attributes);
        } else if (prefix == "table" && name == "table") {
            if (m_tableDepth) {
                m_skipFrom = m_depth;  // a table within a table's markup
                return;
            }
            m_tableDepth = m_depth;
            names << fromUtf8(attributes.valueOf("table", "name"));
            m_chosen = names.size() - 1 == m_sheetIndex;
            found = found || m_chosen;
            m_nextRow = 1;
        } else if (!m_chosen) {
            return;
        } else if (prefix == "table" && name == "table-row") {
            m_rowRepeat = repeatCount(attributes, "number-rows-repeated");
            m_column = 0;
            m_cells.clear();
            m_texts.clear();
        } else if (prefix == "table" && (name == "table-cell" || name == "covered-table-cell")) {
            startCell(attributes);
        }
    }

    void end(std::string_view name)
    {
        const int depth = m_depth--;
        if (m_skipFrom) {
            if (depth == m_skipFrom)
                m_skipFrom = 0;
            return;
        }
        if (m_cellDepth) {
            if (depth == m_cellDepth)
                endCell();
            else if (depth == m_paragraphDepth)
                endParagraph();
            return;
        }
        if (depth == m_tableDepth) {
            m_tableDepth = 0;
            m_chosen = false;
        } else if (m_chosen && prefix == "table" && name == "table-row") {
            endRow();
        }
    }

    void text(std::string_view characters)
    {
        if (m_paragraphDepth && !m_skipFrom)
            m_shown.characters(characters);
    }

private:
    void startCell(const XmlAttributes &attributes)
    {
        m_cellDepth = m_depth;
        m_cellRepeat = repeatCount(attributes, "number-columns-repeated");
        m_valueType = attributes.valueOf("office", "value-type");
        m_calculatedType = attributes.valueOf("calcext", "value-type");
        m_formula = attributes.valueOf("table", "formula");
        m_hasStringValue = attributes.has("office", "string-value");
        m_plainValue = attributes.valueOf("office", "value");
        m_value = attributes.valueOf("office", m_valueType == "date"      ? "date-value"
                                                 : m_valueType == "time"    ? "time-value"
                                                 : m_valueType == "boolean" ? "boolean-value"
                                                 : m_valueType == "string"  ? "string-value"
                                                                            : "value");
        m_shown.clear();
    }

    // Within a cell only its paragraphs count: not its comment, the
    // shapes drawn on it, or a table held in it.
    void startInCell(std::string_view name, const XmlAttributes &attributes)
    {
        if (!m_paragraphDepth) {
            if (prefix == "text" && (name == "p" || name == "h") && m_depth == m_cellDepth + 1) {
                m_paragraphDepth = m_depth;
                m_shown.startParagraph();
            } else {
                m_skipFrom = m_depth;
            }
            return;
        }
        if (prefix == "text" && name == "s") {
            const std::string_view count = attributes.valueOf("text", "c");
            qint64 spaces = 1;
            if (!count.empty()) {
                const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), spaces);
                if (error != std::errc() || spaces < 0)
                    spaces = sheetLimits::cellCharacters + 1;
            }
            m_shown.spaces(spaces);
        } else if (prefix == "text" && name == "tab") {
            m_shown.put(1, '\t');
        } else if (prefix == "text" && name == "line-break") {
            m_shown.put(1, '\n');
        } else if ((prefix == "office" && name == "annotation") || (prefix == "text" && name == "note-body")
                   || (prefix == "text" && name == "ruby-text") || prefix == "draw" || prefix == "dr3d") {
            m_skipFrom = m_depth;
        }
    }

    void endParagraph() { m_paragraphDepth = 0; }

    void endCell()
    {
        m_cellDepth = 0;
        m_paragraphDepth = 0;
        const qint64 repeat = m_cellRepeat;
        const int column = m_column;
        // Empty cells may run past the last column (writers fill a row out
        // to it); cells with something in them may not.
        m_column = int(std::min<qint64>(m_column + repeat, sheetLimits::columns));
        PendingCell cell{column, repeat, SheetValue::Kind::Empty, 0, m_texts.size(), 0, !m_formula.empty()};
        if (!value(cell))
            return;
        if (repeat > sheetLimits::columns - column)
            damaged(QStringLiteral("第 %1 行的单元格超出了表格的 %2 列").arg(m_nextRow).arg(sheetLimits::columns));
        cell.textSize = m_texts.size() - cell.textStart;
        m_cells.push_back(cell);
    }

    // The cell's value by its value type; false for an empty cell.
    bool value(PendingCell &cell)
    {
        using Kind = SheetValue::Kind;
        const std::string_view type = m_valueType;
        if (m_calculatedType == "error") {
            cell.kind = Kind::Error;
            m_texts += m_shown.text();
            return true;
        }
        if (type == "float" || type == "currency" || type == "percentage") {
            if (const auto value = number(m_value)) {
                cell.kind = Kind::Number;
                cell.number = *value;
                return true;
            }
        } else if (type == "date" || type == "time") {
            if (const auto days = type == "date" ? dateDays(m_value) : durationDays(m_value)) {
                cell.kind = Kind::DateTime;
                cell.number = *days;
                return true;
            }
        } else if (type == "boolean") {
            // pandas writes the value as office:value.
            if (m_value.empty())
                m_value = m_plainValue;
            if (m_value == "true" || m_value == "false") {
                cell.kind = Kind::Boolean;
                cell.number = m_value == "true" ? 1 : 0;
                return true;
            }
        } else if (type == "string") {
            cell.kind = Kind::Text;
            m_texts += m_hasStringValue ? std::string_view(m_value) : std::string_view(m_shown.text());
            return true;
        } else if (type.empty() && !m_formula.empty()) {
            // A formula never calculated: no value type, no value.
            cell.kind = Kind::Empty;
            const std::string_view formula = m_formula;
            const std::size_t colon = formula.find(':');
            // "of:=SUM([.C3:.C9])": the formula after its namespace.
            m_texts += colon != std::string_view::npos && colon < formula.find('=') ? formula.substr(colon + 1) : formula;
            return true;
        }
        // No value type, or a value that does not read as its type: the
        // text the cell shows.
        if (m_shown.empty())
            return false;
        cell.kind = Kind::Text;
        m_texts += m_shown.text();
        return true;
    }

    void endRow()
    {
        const qint64 first = m_nextRow;
        const qint64 repeat = m_rowRepeat;
        m_nextRow = std::min<qint64>(m_nextRow + repeat, sheetLimits::rows + 1);
        m_control.check();
        m_control.report(offset, qint64(m_xml.bytes().size()));
        m_xml.releaseBefore(m_xml.bytes().data() + offset);
        if (m_cells.empty())
            return;
        if (repeat > sheetLimits::rows - first + 1)
            damaged(QStringLiteral("第 %1 行重复 %2 次，超出了表格的 %3 行").arg(first).arg(repeat).arg(sheetLimits::rows));
        qint64 cells = 0;
        qint64 bytes = 0;
        for (const PendingCell &cell : m_cells) {
            cells += cell.repeat;
            bytes += cell.repeat * qint64(cell.textSize);
        }
        // Both within a sheet's rows, columns and cell lengths: no overflow.
        if (repeat > 1 || cells > qint64(m_cells.size()))
            m_sink.repeatAhead(cells * repeat, bytes * repeat);
        for (qint64 row = first; row < first + repeat; ++row) {
            m_sink.beginRow(row);
            for (const PendingCell &cell : m_cells) {
                SheetValue value{cell.kind, std::string_view(m_texts).substr(cell.textStart, cell.textSize), cell.number,
                                 cell.formula, {}};
                if (cell.kind == SheetValue::Kind::Empty)
                    value.formula = value.text;
                for (qint64 i = 0; i < cell.repeat; ++i)
                    m_sink.cell(cell.column + int(i), value);
            }
            m_sink.endRow();
        }
    }

    const int m_sheetIndex;
    SheetRowSink &m_sink;
    ReadControl &m_control;
    MappedBytes &m_xml;

    int m_depth = 0;
    int m_skipFrom = 0;  // the depth of an element whose content is passed over
    int m_tableDepth = 0;
    bool m_chosen = false;
    qint64 m_nextRow = 1;
    qint64 m_rowRepeat = 1;
    int m_column = 0;
    std::vector<PendingCell> m_cells;
    std::string m_texts;

    int m_cellDepth = 0;
    int m_paragraphDepth = 0;
    qint64 m_cellRepeat = 1;
    std::string m_valueType;
    std::string m_calculatedType;
    std::string m_formula;
    std::string m_value;
    std::string m_plainValue;
    bool m_hasStringValue = false;
    ShownText m_shown;
};

} // namespace

QStringList readOds(const QString &path, int sheetIndex, SheetRowSink &sink, ReadControl &control)
{
    ZipArchive zip(path);
    if (!zip.isOpen())
        throw AppError(QStringLiteral("文件已损坏，或不是 .ods 表格文件"));
    MappedBytes xml = readMappedEntry(zip, QStringLiteral("content.xml"), control);
    ContentReader reader(sheetIndex, sink, control, xml);
    scanXml(xml.bytes(), reader);
    if (reader.names.isEmpty())
        throw AppError(QStringLiteral("文件中没有工作表"));
    if (!reader.found)
        throw AppError(QStringLiteral("工作簿中没有第 %1 个工作表").arg(sheetIndex + 1));
    return reader.names;
}

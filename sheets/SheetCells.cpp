// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/SheetCells.h"

#include "db/RegisterValueText.h"
#include "platform/Utf8Text.h"
#include "sheets/SheetLimits.h"
#include "sheets/SheetReading.h"
#include "sheets/SheetTable.h"
#include "sheets/SpreadsheetReader.h"

namespace {

// The characters of a UTF-8 text as a spreadsheet counts them (UTF-16
// units: a character beyond the first 65,536 is two).
qint64 spreadsheetCharacters(std::string_view text)
{
    qint64 count = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        count += (byte & 0xC0) != 0x80;
        count += byte >= 0xF0;
    }
    return count;
}

// Turns a reader's values into the register's texts, checks each cell and
// the sheet against the limits, and hands them on.
class RegisterTexts : public SheetRowSink {
public:
    RegisterTexts(const RegionalFormats &formats, SheetCellSink &sink, bool plainText)
        : m_formats(formats)
        , m_sink(sink)
        , m_plainText(plainText)
    {
    }

    qint64 repairedCells() const { return m_repaired; }

    void beginRow(qint64 rowNumber) override
    {
        if (rowNumber < 1 || rowNumber > sheetLimits::rows)
            throw AppError(QStringLiteral("工作表超过了 %1 行，文件已损坏或不是本程序能导入的表格").arg(sheetLimits::rows));
        m_row = rowNumber;
        m_sink.beginRow(rowNumber);
    }

    void cell(int column, const SheetValue &value) override
    {
        if (column < 0 || column >= sheetLimits::columns)
            throw AppError(
                QStringLiteral("文件已损坏（第 %1 行的单元格超出了表格的 %2 列）").arg(m_row).arg(sheetLimits::columns));
        SheetCell cell{column, CellKind::Text, value.isFormula, {}};
        switch (value.kind) {
        case SheetValue::Kind::Text:
            cell.text = value.text;
            break;
        case SheetValue::Kind::Error:
            cell.kind = CellKind::Error;
            cell.text = value.text;
            break;
        case SheetValue::Kind::Number:
            cell.kind = CellKind::Number;
            cell.text = generated(plainNumberText(value.number));
            break;
        case SheetValue::Kind::DateTime:
            if (const std::optional<QString> date = dateTimeText(value.number, m_formats)) {
                cell.kind = CellKind::Date;
                cell.text = generated(*date);
            } else {
                cell.kind = CellKind::Number;
                cell.text = generated(plainNumberText(value.number));
            }
            break;
        case SheetValue::Kind::Boolean:
            cell.kind = CellKind::Boolean;
            cell.text = generated(yesNoText(value.number != 0));
            break;
        case SheetValue::Kind::Empty:
            // A cell the file has without a value is an empty text (the
            // export writes an empty text so); a formula without one keeps
            // what the user wrote.
            if (!value.isFormula)
                break;
            cell.kind = CellKind::NoResult;
            cell.formula = true;
            cell.text = value.formula;
            break;
        }
        if (!isUtf8(cell.text))
            cell.text = repaired(cell.text);
        checkLength(cell);
        m_cost += sheetCellCost(qint64(cell.text.size()));
        if (++m_cells > sheetLimits::tableCells || m_cost > sheetLimits::tableBytes)
            throw AppError(sheetTooLargeText());
        m_sink.cell(cell);
    }

    void endRow() override { m_sink.endRow(); }

    void repeatAhead(qint64 cells, qint64 bytes) override
    {
        // Checked before anything is repeated. The readers keep repeats
        // within a sheet's rows and columns, so neither figure overflows.
        if (cells < 0 || bytes < 0 || cells > sheetLimits::tableCells - m_cells
            || bytes + sheetCellCost(0) * cells > sheetLimits::tableBytes - m_cost)
            throw AppError(sheetTooLargeText());
    }

private:
    std::string_view generated(const QString &text)
    {
        m_buffer = text.toStdString();
        return m_buffer;
    }

    // Each byte that is no UTF-8 becomes U+FFFD; a U+FEFF at the start
    // stays (only a file's own byte-order mark is one).
    std::string_view repaired(std::string_view text)
    {
        ++m_repaired;
        m_buffer = fromUtf8(text).toStdString();
        return m_buffer;
    }

    void checkLength(const SheetCell &cell) const
    {
        const qint64 bytes = qint64(cell.text.size());
        const bool tooLong = m_plainText
            ? bytes > sheetLimits::csvCellBytes
            : (bytes > sheetLimits::cellCharacters && spreadsheetCharacters(cell.text) > sheetLimits::cellCharacters);
        if (!tooLong)
            return;
        const QString where = QStringLiteral("第 %1 行第 %2 列的单元格").arg(m_row).arg(cell.column + 1);
        if (m_plainText)
            throw AppError(where + QStringLiteral("超过了 %1 MB").arg(sheetLimits::csvCellBytes / (1024 * 1024)));
        throw AppError(where + QStringLiteral("超过了表格单元格的 %1 个字符上限，文件已损坏").arg(sheetLimits::cellCharacters));
    }

    const RegionalFormats &m_formats;
    SheetCellSink &m_sink;
    const bool m_plainText;
    qint64 m_row = 0;
    qint64 m_cells = 0;
    qint64 m_cost = 0;
    qint64 m_repaired = 0;
    std::string m_buffer;
};

} // namespace

WorkbookFacts readSheetCells(const QString &path, int sheetIndex, const RegionalFormats &formats, SheetCellSink &sink,
                             ReadControl &control)
{
    const SpreadsheetKind kind = spreadsheetKind(path);
    RegisterTexts texts(formats, sink, kind == SpreadsheetKind::Csv);
    WorkbookFacts facts = readSpreadsheet(path, kind, sheetIndex, texts, control);
    facts.repairedCells = texts.repairedCells();
    return facts;
}

// Here rather than beside SheetTable, so that the program, which takes its
// tables from the reading child, links none of the readers.
SheetTable readSheetTable(const QString &path, int sheetIndex, const RegionalFormats &formats, ReadControl &control)
{
    SheetTableBuilder builder(true);
    const WorkbookFacts facts = readSheetCells(path, sheetIndex, formats, builder, control);
    return builder.take(facts, sheetIndex);
}

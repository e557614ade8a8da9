// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/XlsxReader.h"

#include "platform/Utf8Text.h"
#include "sheets/SheetCells.h"
#include "sheets/SheetLimits.h"
#include "sheets/SheetReading.h"
#include "sheets/XlsxPackage.h"
#include "sheets/XlsxParts.h"
#include "sheets/XmlScan.h"

#include <QDateTime>

#include <charconv>
#include <optional>

namespace {

// The column of a cell reference such as "AB12", from 0; -1 if none. A
// reference past the last column (XFD) gives that column's number, past
// every column: the letters are counted no further.
int referencedColumn(std::string_view reference)
{
    int column = 0;
    std::size_t i = 0;
    for (; i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z'; ++i) {
        column = column * 26 + (reference[i] - 'A' + 1);
        if (column > sheetLimits::columns)
            return sheetLimits::columns;
    }
    return i == 0 ? -1 : column - 1;
}

// Excel's day numbers as days since 30 December 1899. Excel counts a 29
// February 1900 that did not exist, so its numbers before 1 March 1900 are
// one day ahead; that day itself is no date.
std::optional<double> daysSince1899(double serial, bool dates1904)
{
    if (dates1904)
        return serial + 1462;
    if (serial >= 61 || serial < 1)
        return serial;
    if (serial < 60)
        return serial + 1;
    return std::nullopt;
}

std::optional<double> isoDateDays(std::string_view text)
{
    const QDateTime moment = QDateTime::fromString(QString::fromLatin1(text.data(), qsizetype(text.size())), Qt::ISODate);
    if (!moment.isValid())
        return std::nullopt;
    return double(QDate(1899, 12, 30).daysTo(moment.date())) + moment.time().msecsSinceStartOfDay() / 86400000.0;
}

class SheetReader : public XmlHandler {
public:
    SheetReader(SheetRowSink &sink, ReadControl &control, const SharedStrings &strings,
                const std::vector<bool> &dateStyles, bool dates1904, MappedBytes &xml)
        : m_sink(sink)
        , m_control(control)
        , m_strings(strings)
        , m_dateStyles(dateStyles)
        , m_dates1904(dates1904)
        , m_xml(xml)
    {
    }

    void start(std::string_view name, const XmlAttributes &attributes)
    {
        if (name == "c") {
            const std::string_view reference = attributes.value("r");
            const int column = referencedColumn(reference);
            if (column >= sheetLimits::columns)
                throw AppError(QStringLiteral("文件已损坏（第 %1 行的单元格“%2”超出了表格的 %3 列）")
                                           .arg(m_row)
                                           .arg(fromUtf8(reference.substr(0, 40)))
                                           .arg(sheetLimits::columns));
            m_column = column >= 0 ? column : m_column + 1;
            m_type = attributes.value("t");
            std::size_t style = 0;
            const std::string_view s = attributes.value("s");
            std::from_chars(s.data(), s.data() + s.size(), style);
            m_dateStyle = style < m_dateStyles.size() && m_dateStyles[style];
            m_value.clear();
            m_formula.clear();
            m_hasFormula = false;
        } else if (name == "v" || name == "f") {
            m_target = name == "v" ? &m_value : &m_formula;
            m_hasFormula = m_hasFormula || name == "f";
        } else if (name == "t") {
            m_target = m_phonetic == 0 ? &m_value : nullptr;
        } else if (name == "rPh") {
            ++m_phonetic;
        } else if (name == "row") {
            startRow(attributes.value("r"));
        }
    }

    void end(std::string_view name)
    {
        if (name == "v" || name == "f" || name == "t") {
            m_target = nullptr;
        } else if (name == "rPh") {
            --m_phonetic;
        } else if (name == "c") {
            m_sink.cell(m_column, cellValue());
        } else if (name == "row") {
            m_sink.endRow();
            m_control.check();
            m_control.report(offset, qint64(m_xml.bytes().size()));
            m_xml.releaseBefore(m_xml.bytes().data() + offset);
        }
    }

    void text(std::string_view characters)
    {
        if (m_target)
            m_target->append(characters);
    }

private:
    void startRow(std::string_view number)
    {
        qint64 row = m_row + 1;
        if (!number.empty()) {
            const auto result = std::from_chars(number.data(), number.data() + number.size(), row);
            if (result.ec != std::errc() || row < 1 || row > sheetLimits::rows)
                throw AppError(QStringLiteral("文件已损坏（行号“%1”不在表格的 1 至 %2 行之内）")
                                           .arg(fromUtf8(number.substr(0, 40)))
                                           .arg(sheetLimits::rows));
        }
        m_row = row;
        m_column = -1;
        m_sink.beginRow(m_row);
    }

    SheetValue textValue(std::string_view text)
    {
        return {SheetValue::Kind::Text, decodedOoxmlText(text, m_decoded)};
    }

    SheetValue cellValue()
    {
        SheetValue value = keptValue();
        value.isFormula = m_hasFormula;
        if (m_hasFormula && value.kind == SheetValue::Kind::Empty) {
            // A formula that was never computed: what the user wrote.
            m_formula.insert(0, 1, '=');
            value.formula = m_formula;
        }
        return value;
    }

    // The value the cell holds; for a formula, the one it was last computed to.
    SheetValue keptValue()
    {
        const std::string_view type = m_type;
        // An empty text is a text; an empty number is no value.
        if (type == "inlineStr" || type == "str")
            return textValue(m_value);
        if (m_value.empty())
            return {};
        if (type == "s") {
            std::size_t index = 0;
            const auto result = std::from_chars(m_value.data(), m_value.data() + m_value.size(), index);
            if (result.ec != std::errc() || index >= m_strings.size())
                throw AppError(QStringLiteral("文件已损坏（第 %1 行引用了不存在的文本）").arg(m_row));
            return {SheetValue::Kind::Text, m_strings.at(index)};
        }
        if (type == "e")
            return {SheetValue::Kind::Error, m_value};
        if (type == "b")
            return {SheetValue::Kind::Boolean, {}, m_value == "1" || m_value == "true" ? 1.0 : 0.0};
        if (type == "d") {
            if (const auto days = isoDateDays(m_value))
                return {SheetValue::Kind::DateTime, {}, *days};
            return textValue(m_value);
        }
        if (!type.empty() && type != "n")
            throw AppError(QStringLiteral("第 %1 行有不认识的单元格类型“%2”")
                                       .arg(m_row)
                                       .arg(fromUtf8(type)));
        double number = 0;
        const auto result = std::from_chars(m_value.data(), m_value.data() + m_value.size(), number);
        if (result.ec != std::errc())
            return textValue(m_value);
        if (m_dateStyle) {
            if (const auto days = daysSince1899(number, m_dates1904))
                return {SheetValue::Kind::DateTime, {}, *days};
        }
        return {SheetValue::Kind::Number, {}, number};
    }

    SheetRowSink &m_sink;
    ReadControl &m_control;
    const SharedStrings &m_strings;
    const std::vector<bool> &m_dateStyles;
    const bool m_dates1904;
    MappedBytes &m_xml;

    qint64 m_row = 0;
    int m_column = -1;
    std::string m_type;
    bool m_dateStyle = false;
    std::string m_value;
    std::string m_formula;
    bool m_hasFormula = false;
    std::string m_decoded;
    std::string *m_target = nullptr;
    int m_phonetic = 0;
};

} // namespace

WorkbookFacts readXlsx(const QString &path, int sheetIndex, SheetRowSink &sink, ReadControl &control)
{
    XlsxPackage package(path);
    WorkbookFacts facts;
    facts.recalculateOnOpen = package.recalculateOnOpen();
    QStringList &names = facts.sheetNames;
    for (const XlsxPackage::Sheet &sheet : package.sheets())
        names << sheet.name;
    if (sheetIndex < 0 || sheetIndex >= names.size())
        throw AppError(QStringLiteral("工作簿中没有工作表"));
    const QString part = package.sheets().at(sheetIndex).part;
    if (part.isEmpty())
        throw AppError(QStringLiteral("“%1”不是存放数据的工作表").arg(names.at(sheetIndex)));

    const std::vector<bool> dateStyles
        = package.stylesPart().isEmpty() ? std::vector<bool>() : readDateStyles(package.read(package.stylesPart()));
    SharedStrings strings;
    if (!package.sharedStringsPart().isEmpty()) {
        const MappedBytes xml = package.readMapped(package.sharedStringsPart(), control);
        readSharedStrings(xml.bytes(), strings);
    }
    MappedBytes xml = package.readMapped(part, control);
    SheetReader reader(sink, control, strings, dateStyles, package.dates1904(), xml);
    scanXml(xml.bytes(), reader);
    return facts;
}

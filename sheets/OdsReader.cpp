// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/OdsReader.h"

#include "sheets/SheetReading.h"

#include <orcus/orcus_ods.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include <QDate>
#include <QFile>
#include <QScopeGuard>

#include <deque>
#include <functional>
#include <string>

namespace ss = orcus::spreadsheet;

namespace {

// liborcus hands the document's styles to whoever builds the document; the
// register needs none of them.
class IgnoredStyles : public ss::iface::import_styles {
public:
    void set_font_count(size_t) override {}
    void set_font_bold(bool) override {}
    void set_font_italic(bool) override {}
    void set_font_name(std::string_view) override {}
    void set_font_size(double) override {}
    void set_font_underline(ss::underline_t) override {}
    void set_font_underline_width(ss::underline_width_t) override {}
    void set_font_underline_mode(ss::underline_mode_t) override {}
    void set_font_underline_type(ss::underline_type_t) override {}
    void set_font_underline_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_strikethrough_style(ss::strikethrough_style_t) override {}
    void set_strikethrough_type(ss::strikethrough_type_t) override {}
    void set_strikethrough_width(ss::strikethrough_width_t) override {}
    void set_strikethrough_text(ss::strikethrough_text_t) override {}
    size_t commit_font() override { return 0; }
    void set_fill_count(size_t) override {}
    void set_fill_pattern_type(ss::fill_pattern_t) override {}
    void set_fill_fg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_fill_bg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    size_t commit_fill() override { return 0; }
    void set_border_count(size_t) override {}
    void set_border_style(ss::border_direction_t, ss::border_style_t) override {}
    void set_border_color(ss::border_direction_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                          ss::color_elem_t) override {}
    void set_border_width(ss::border_direction_t, double, orcus::length_unit_t) override {}
    size_t commit_border() override { return 0; }
    void set_cell_hidden(bool) override {}
    void set_cell_locked(bool) override {}
    void set_cell_print_content(bool) override {}
    void set_cell_formula_hidden(bool) override {}
    size_t commit_cell_protection() override { return 0; }
    void set_number_format_count(size_t) override {}
    void set_number_format_identifier(size_t) override {}
    void set_number_format_code(std::string_view) override {}
    size_t commit_number_format() override { return 0; }
    void set_cell_xf_count(size_t) override {}
    void set_cell_style_xf_count(size_t) override {}
    void set_dxf_count(size_t) override {}
    void set_xf_font(size_t) override {}
    void set_xf_fill(size_t) override {}
    void set_xf_border(size_t) override {}
    void set_xf_protection(size_t) override {}
    void set_xf_number_format(size_t) override {}
    void set_xf_style_xf(size_t) override {}
    void set_xf_apply_alignment(bool) override {}
    void set_xf_horizontal_alignment(ss::hor_alignment_t) override {}
    void set_xf_vertical_alignment(ss::ver_alignment_t) override {}
    size_t commit_cell_xf() override { return 0; }
    size_t commit_cell_style_xf() override { return 0; }
    size_t commit_dxf() override { return 0; }
    void set_cell_style_count(size_t) override {}
    void set_cell_style_name(std::string_view) override {}
    void set_cell_style_xf(size_t) override {}
    void set_cell_style_builtin(size_t) override {}
    void set_cell_style_parent_name(std::string_view) override {}
    size_t commit_cell_style() override { return 0; }
};

// The document's strings; each text cell refers to one by index. liborcus
// adds each paragraph of a cell as a string of its own and gives the cell
// the last one, so a cell's text is made here of all the paragraphs added
// since the previous cell, one line each.
class Strings : public ss::iface::import_shared_strings {
public:
    std::string_view cellText(ss::string_id_t index)
    {
        if (m_cellStart >= index)
            return m_strings.at(index);
        m_joined = m_strings.at(m_cellStart);
        for (std::size_t i = m_cellStart + 1; i <= index; ++i)
            m_joined.append(1, '\n').append(m_strings.at(i));
        return m_joined;
    }
    // The strings added from here on belong to the next cell.
    void cellDone() { m_cellStart = m_strings.size(); }

    size_t append(std::string_view text) override
    {
        m_strings.emplace_back(text);
        return m_strings.size() - 1;
    }
    size_t add(std::string_view text) override { return append(text); }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void append_segment(std::string_view text) override { m_segments.append(text); }
    size_t commit_segments() override
    {
        const size_t index = append(m_segments);
        m_segments.clear();
        return index;
    }

private:
    std::deque<std::string> m_strings;
    std::string m_segments;
    std::size_t m_cellStart = 0;
    std::string m_joined;
};

// A formula's cell: its last computed value, which the file keeps.
class FormulaResult : public ss::iface::import_formula {
public:
    explicit FormulaResult(std::function<void(ss::row_t, ss::col_t, const SheetValue &)> pass)
        : m_pass(std::move(pass))
    {
    }
    void set_position(ss::row_t row, ss::col_t column) override
    {
        m_row = row;
        m_column = column;
        m_value = {};
    }
    void set_formula(ss::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view text) override
    {
        m_text = text;
        m_value = {SheetValue::Kind::Text, m_text};
    }
    void set_result_value(double value) override { m_value = {SheetValue::Kind::Number, {}, value}; }
    void set_result_bool(bool value) override { m_value = {SheetValue::Kind::Boolean, {}, value ? 1.0 : 0.0}; }
    void set_result_empty() override { m_value = {}; }
    void commit() override { m_pass(m_row, m_column, m_value); }

private:
    std::function<void(ss::row_t, ss::col_t, const SheetValue &)> m_pass;
    ss::row_t m_row = 0;
    ss::col_t m_column = 0;
    std::string m_text;
    SheetValue m_value;
};

// One sheet of the document: the chosen one passes its cells on, row by row;
// the others drop them.
class Sheet : public ss::iface::import_sheet {
public:
    Sheet(SheetRowSink *sink, Strings &strings, ReadControl &control)
        : m_sink(sink)
        , m_strings(strings)
        , m_control(control)
        , m_formula([this](ss::row_t row, ss::col_t column, const SheetValue &value) { pass(row, column, value); })
    {
    }
    Sheet(const Sheet &) = delete;
    Sheet &operator=(const Sheet &) = delete;

    void finish()
    {
        if (m_row >= 0)
            m_sink->endRow();
        m_row = -1;
    }

    void set_auto(ss::row_t row, ss::col_t column, std::string_view text) override
    {
        pass(row, column, {SheetValue::Kind::Text, text});
    }
    void set_string(ss::row_t row, ss::col_t column, ss::string_id_t index) override
    {
        pass(row, column, {SheetValue::Kind::Text, m_strings.cellText(index)});
    }
    void set_value(ss::row_t row, ss::col_t column, double value) override
    {
        pass(row, column, {SheetValue::Kind::Number, {}, value});
    }
    void set_bool(ss::row_t row, ss::col_t column, bool value) override
    {
        pass(row, column, {SheetValue::Kind::Boolean, {}, value ? 1.0 : 0.0});
    }
    void set_date_time(ss::row_t row, ss::col_t column, int year, int month, int day, int hour, int minute,
                       double second) override
    {
        const double days = double(QDate(1899, 12, 30).daysTo(QDate(year, month, day)))
            + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
        pass(row, column, {SheetValue::Kind::DateTime, {}, days});
    }
    void set_format(ss::row_t, ss::col_t, size_t) override {}
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, size_t) override {}
    void fill_down_cells(ss::row_t, ss::col_t, ss::row_t) override {}
    ss::range_size_t get_sheet_size() const override { return {1048576, 16384}; }
    ss::iface::import_formula *get_formula() override { return &m_formula; }

private:
    void pass(ss::row_t row, ss::col_t column, const SheetValue &value)
    {
        const auto done = qScopeGuard([this] { m_strings.cellDone(); });
        if (!m_sink)
            return;
        if (row != m_row) {
            finish();
            m_control.check();
            m_row = row;
            m_sink->beginRow(qint64(row) + 1);
        }
        m_sink->cell(column, value);
    }

    SheetRowSink *m_sink;
    Strings &m_strings;
    ReadControl &m_control;
    FormulaResult m_formula;
    ss::row_t m_row = -1;
};

class Factory : public ss::iface::import_factory {
public:
    Factory(int sheetIndex, SheetRowSink &sink, ReadControl &control)
        : m_sheetIndex(sheetIndex)
        , m_sink(sink)
        , m_control(control)
    {
    }

    QStringList names;
    Sheet *chosen = nullptr;

    ss::iface::import_shared_strings *get_shared_strings() override { return &m_strings; }
    ss::iface::import_styles *get_styles() override { return &m_styles; }
    ss::iface::import_sheet *append_sheet(ss::sheet_t index, std::string_view name) override
    {
        names << QString::fromUtf8(name.data(), qsizetype(name.size()));
        m_sheets.emplace_back(index == m_sheetIndex ? &m_sink : nullptr, m_strings, m_control);
        if (index == m_sheetIndex)
            chosen = &m_sheets.back();
        return &m_sheets.back();
    }
    ss::iface::import_sheet *get_sheet(std::string_view name) override
    {
        const qsizetype index = names.indexOf(QString::fromUtf8(name.data(), qsizetype(name.size())));
        return index < 0 ? nullptr : &m_sheets.at(std::size_t(index));
    }
    ss::iface::import_sheet *get_sheet(ss::sheet_t index) override
    {
        return index >= 0 && std::size_t(index) < m_sheets.size() ? &m_sheets.at(std::size_t(index)) : nullptr;
    }
    void finalize() override {}

private:
    const int m_sheetIndex;
    SheetRowSink &m_sink;
    ReadControl &m_control;
    Strings m_strings;
    IgnoredStyles m_styles;
    std::deque<Sheet> m_sheets;  // never moved: liborcus keeps pointers to them
};

} // namespace

QStringList readOds(const QString &path, int sheetIndex, SheetRowSink &sink, ReadControl &control)
{
    Factory factory(sheetIndex, sink, control);
    try {
        orcus::orcus_ods reader(&factory);
        reader.read_file(QFile::encodeName(path).toStdString());
    } catch (const SpreadsheetError &) {
        throw;
    } catch (const ReadCancelled &) {
        throw;
    } catch (const std::exception &error) {
        throw SpreadsheetError(QStringLiteral("文件已损坏（%1）").arg(QString::fromUtf8(error.what())));
    }
    if (factory.names.isEmpty())
        throw SpreadsheetError(QStringLiteral("文件中没有工作表"));
    if (!factory.chosen)
        throw SpreadsheetError(QStringLiteral("工作簿中没有第 %1 个工作表").arg(sheetIndex + 1));
    factory.chosen->finish();
    return factory.names;
}

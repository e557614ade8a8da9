// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ListingPrinter.h"

#include "db/ResultSet.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int wrapFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextWrapAnywhere;
constexpr double pointsPerMillimetre = 72.0 / 25.4;

double millimetres(const QPrinter &printer, double mm)
{
    return mm / 25.4 * printer.resolution();
}

} // namespace

QStringList printFontFamilies()
{
    // The Chinese families installed, in this order; fontconfig finds
    // others for glyphs they lack. In a PDF written with Noto CJK, Qt maps
    // characters such as 金 入 日 一 back to look-alike radicals, so a reader
    // that copies or searches the text finds other characters; the
    // TrueType families first keep the PDF's text as it was printed.
    static const QStringList preferred{QStringLiteral("Droid Sans Fallback"), QStringLiteral("WenQuanYi Zen Hei"),
                                       QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("SimSun"),
                                       QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"),
                                       QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Sans SC")};
    const QStringList installed = QFontDatabase::families();
    QStringList families;
    for (const QString &family : preferred) {
        if (installed.contains(family))
            families << family;
    }
    return families;
}

ListingPrinter::ListingPrinter(const ResultSet &rows, QString title)
    : m_rows(rows)
    , m_title(std::move(title))
{
    // One family: the preview keeps the font with every piece of text it
    // records, and fontconfig finds glyphs the family lacks anyway.
    if (const QStringList families = printFontFamilies(); !families.isEmpty())
        m_font.setFamily(families.first());
    m_font.setPointSizeF(9);
    m_boldFont = m_font;
    m_boldFont.setBold(true);
    m_titleFont = m_boldFont;
    m_titleFont.setPointSizeF(12);
}

void ListingPrinter::setUpPage(QPrinter &printer)
{
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(10, 10, 10, 10) * pointsPerMillimetre, QPageLayout::Point));
}

QString ListingPrinter::cellText(int row, int column) const
{
    QString text = m_rows.text(row, column);
    text.remove(QLatin1Char('\r'));
    return text;
}

// A bound on a line's width that needs no text shaping: a digit or a
// sign of dates and numbers at most the widest of them, another character
// of ASCII at most the widest of ASCII, any other at most the width of a
// Chinese character (and a tenth).
double ListingPrinter::widthBound(std::string_view line) const
{
    int digits = 0;
    int narrow = 0;
    int wide = 0;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= '0' && c <= '9') || (c && std::strchr(" -./:", c)))
            ++digits;
        else if (byte < 0x80)
            narrow += byte >= 32;
        else if (byte >= 0xC0)
            ++wide;
    }
    return digits * m_digitWidth + narrow * m_narrowWidth + wide * m_wideWidth;
}

void ListingPrinter::layOut(const QPrinter &printer)
{
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    if (page.size() == QSizeF(m_width, m_height) && printer.resolution() == m_resolution)
        return;  // laid out for this page already
    m_width = page.width();
    m_height = page.height();
    m_resolution = printer.resolution();
    m_padding = millimetres(printer, 1.0);
    const QFontMetricsF metrics(m_font, &printer);
    const QFontMetricsF boldMetrics(m_boldFont, &printer);
    m_lineHeight = metrics.lineSpacing();
    m_ascent = metrics.ascent();
    m_titleHeight = QFontMetricsF(m_titleFont, &printer).lineSpacing() * 1.6;
    m_headerHeight = boldMetrics.lineSpacing() + 2 * m_padding;
    m_footerHeight = m_lineHeight * 2;
    m_digitWidth = m_narrowWidth = 0;
    for (char16_t c = 32; c < 127; ++c) {
        const double advance = metrics.horizontalAdvance(QChar(c));
        double &widest = (c >= u'0' && c <= u'9') || QStringView(u" -./:").contains(QChar(c)) ? m_digitWidth : m_narrowWidth;
        widest = std::max(widest, advance);
    }
    m_wideWidth = metrics.horizontalAdvance(QStringLiteral("中")) * 1.1;

    // Each column as wide as its widest line, within limits; remarks (else
    // the widest column) take the room left.
    const int columns = m_rows.columnCount();
    const int rows = m_rows.rowCount();
    std::vector<double> natural(std::size_t(columns), 0);
    for (int c = 0; c < columns; ++c)
        natural[std::size_t(c)] = boldMetrics.horizontalAdvance(m_rows.columns().at(c));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            std::string_view text = m_rows.cell(r, c);
            for (std::size_t end; !text.empty(); text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1)) {
                end = text.find('\n');
                natural[std::size_t(c)] = std::max(natural[std::size_t(c)], widthBound(text.substr(0, end)));
            }
        }
    }
    int flexible = int(m_rows.columns().indexOf(QStringLiteral("备注")));
    if (flexible < 0)
        flexible = int(std::max_element(natural.begin(), natural.end()) - natural.begin());
    m_columnWidths.assign(std::size_t(columns), 0);
    double fixed = 0;
    for (int c = 0; c < columns; ++c) {
        if (c != flexible)
            fixed += m_columnWidths[std::size_t(c)] = std::min(natural[std::size_t(c)] + 2 * m_padding, m_width * 0.2);
    }
    if (fixed > m_width * 0.75) {
        for (double &width : m_columnWidths)
            width *= m_width * 0.75 / fixed;
        fixed = m_width * 0.75;
    }
    if (flexible >= 0 && flexible < columns)
        m_columnWidths[std::size_t(flexible)] = m_width - fixed;

    // Each row's lines: a cell whose lines surely fit has as many as its
    // text; only the others are laid out to find where they wrap.
    m_rowLines.assign(std::size_t(rows), 1);
    m_wraps.assign(std::size_t(rows) * std::size_t(columns), false);
    for (int r = 0; r < rows; ++r) {
        int &rowLines = m_rowLines[std::size_t(r)];
        for (int c = 0; c < columns; ++c) {
            const double inner = m_columnWidths[std::size_t(c)] - 2 * m_padding;
            std::string_view text = m_rows.cell(r, c);
            int lines = 0;
            bool fits = true;
            for (std::size_t end; !text.empty(); text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1)) {
                end = text.find('\n');
                fits = fits && widthBound(text.substr(0, end)) <= inner;
                ++lines;
            }
            // The bound is not the width: measure the lines themselves.
            if (!fits) {
                const QStringList texts = cellText(r, c).split(QLatin1Char('\n'));
                fits = std::all_of(texts.begin(), texts.end(),
                                   [&](const QString &line) { return metrics.horizontalAdvance(line) <= inner; });
            }
            if (fits) {
                rowLines = std::max(rowLines, lines);
                continue;
            }
            m_wraps[std::size_t(r) * std::size_t(columns) + std::size_t(c)] = true;
            const QRectF bounds = metrics.boundingRect(QRectF(0, 0, inner, 1e9), wrapFlags, cellText(r, c));
            rowLines = std::max(rowLines, int(std::ceil(bounds.height() / m_lineHeight - 0.25)));
        }
    }
    const double body = m_height - m_titleHeight - m_headerHeight - m_footerHeight;
    const int linesPerPage = std::max(1, int((body - 2 * m_padding) / m_lineHeight));
    m_slices.clear();
    m_pageStarts.assign(1, 0);
    double used = 0;
    for (int r = 0; r < rows; ++r) {
        for (int first = 0; first < m_rowLines[std::size_t(r)];) {
            const int lines = std::min(m_rowLines[std::size_t(r)] - first, linesPerPage);
            const double height = lines * m_lineHeight + 2 * m_padding;
            if (used > 0 && used + height > body) {
                m_pageStarts.push_back(m_slices.size());
                used = 0;
            }
            m_slices.push_back({r, first, lines});
            used += height;
            first += lines;
        }
    }
}

void ListingPrinter::paint(QPrinter *printer)
{
    QPainter painter;
    if (!painter.begin(printer))
        return;
    layOut(*printer);
    for (int page = 0; page < pageCount(); ++page) {
        if (page > 0)
            printer->newPage();
        paintPage(painter, page);
    }
}

void ListingPrinter::paintPage(QPainter &painter, int page)
{
    const int columns = m_rows.columnCount();
    QPen grid(Qt::black);
    grid.setWidthF(std::max(1.0, m_padding / 8));
    painter.setPen(grid);

    painter.setFont(m_titleFont);
    painter.drawText(QRectF(0, 0, m_width, m_titleHeight), Qt::AlignLeft | Qt::AlignVCenter, m_title);

    // The column names.
    double y = m_titleHeight;
    painter.setFont(m_boldFont);
    painter.fillRect(QRectF(0, y, m_width, m_headerHeight), QColor(0xe8, 0xe8, 0xe8));
    double x = 0;
    for (int c = 0; c < columns; ++c) {
        const QRectF cell(x, y, m_columnWidths[std::size_t(c)], m_headerHeight);
        painter.drawText(cell.adjusted(m_padding, 0, -m_padding, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         m_rows.columns().at(c));
        x += cell.width();
    }
    const double top = y;
    y += m_headerHeight;

    // The rows, a line under each; the column lines go once down the page.
    painter.setFont(m_font);
    std::vector<QLineF> lines{QLineF(0, top, m_width, top), QLineF(0, y, m_width, y)};
    const std::size_t end = std::size_t(page) + 1 < m_pageStarts.size() ? m_pageStarts[std::size_t(page) + 1] : m_slices.size();
    for (std::size_t s = m_pageStarts[std::size_t(page)]; s < end; ++s) {
        const Slice &slice = m_slices[s];
        x = 0;
        for (int c = 0; c < columns; ++c) {
            const double width = m_columnWidths[std::size_t(c)];
            if (!m_wraps[std::size_t(slice.row) * std::size_t(columns) + std::size_t(c)]) {
                // Lines that fit, each where it stands.
                const QStringList texts = cellText(slice.row, c).split(QLatin1Char('\n'));
                for (int line = slice.firstLine; line < std::min<int>(int(texts.size()), slice.firstLine + slice.lines); ++line) {
                    if (!texts.at(line).isEmpty())
                        painter.drawText(QPointF(x + m_padding, y + m_padding + m_ascent + (line - slice.firstLine) * m_lineHeight),
                                         texts.at(line));
                }
            } else if (slice.firstLine == 0 && slice.lines == m_rowLines[std::size_t(slice.row)]) {
                painter.drawText(QRectF(x + m_padding, y + m_padding, width - 2 * m_padding, slice.lines * m_lineHeight),
                                 wrapFlags, cellText(slice.row, c));
            } else {
                // The lines of this slice of a row taller than a page: the
                // text moved up by the lines shown on earlier pages, cut to
                // the slice.
                painter.save();
                painter.setClipRect(QRectF(x, y + m_padding, width, slice.lines * m_lineHeight));
                painter.drawText(QRectF(x + m_padding, y + m_padding - slice.firstLine * m_lineHeight,
                                        width - 2 * m_padding, (slice.firstLine + slice.lines) * m_lineHeight),
                                 wrapFlags, cellText(slice.row, c));
                painter.restore();
            }
            x += width;
        }
        y += slice.lines * m_lineHeight + 2 * m_padding;
        lines.emplace_back(0, y, m_width, y);
    }
    x = 0;
    for (int c = 0; c <= columns; ++c) {
        lines.emplace_back(x, top, x, y);
        if (c < columns)
            x += m_columnWidths[std::size_t(c)];
    }
    painter.drawLines(lines.data(), int(lines.size()));

    painter.drawText(QRectF(0, m_height - m_footerHeight, m_width, m_footerHeight), Qt::AlignCenter,
                     QStringLiteral("第 %1 页，共 %2 页").arg(page + 1).arg(pageCount()));
}

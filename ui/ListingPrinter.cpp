// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ListingPrinter.h"

#include "db/ResultSet.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double pointsPerMillimetre = 72.0 / 25.4;

// Wrapped text is laid out this many characters at a time, so that a cell
// of any length takes a bounded amount of memory.
constexpr qsizetype layoutPiece = 8192;

// A cell whose text has a line this long does not fit any column; it is
// wrapped without measuring the line whole first.
constexpr qsizetype surelyTooLong = 1000;

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

void ListingPrinter::setUpPage(QPagedPaintDevice &device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
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

bool ListingPrinter::layOut(const QPagedPaintDevice &device, const Progress &progress)
{
    const int resolution = device.logicalDpiY();
    const QRectF page = device.pageLayout().paintRectPixels(resolution);
    if (m_laidOut && page.size() == QSizeF(m_width, m_height) && resolution == m_resolution)
        return true;  // laid out for this page already
    m_laidOut = false;
    m_width = page.width();
    m_height = page.height();
    m_resolution = resolution;
    m_padding = 1.0 / 25.4 * resolution;  // 1 mm
    const QFontMetricsF metrics(m_font, &device);
    const QFontMetricsF boldMetrics(m_boldFont, &device);
    m_lineHeight = metrics.lineSpacing();
    m_ascent = metrics.ascent();
    m_titleHeight = QFontMetricsF(m_titleFont, &device).lineSpacing() * 1.6;
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
    qint64 totalBytes = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            std::string_view text = m_rows.cell(r, c);
            totalBytes += qint64(text.size());
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
    // text; the others are broken into lines here, once.
    m_rowLines.assign(std::size_t(rows), 1);
    m_wrapped.clear();
    m_lines.clear();
    m_textCell = -1;
    m_text.clear();
    qint64 doneBytes = 0;
    const auto going = [&](qint64 done) { return !progress || progress(done, totalBytes); };
    for (int r = 0; r < rows; ++r) {
        int &rowLines = m_rowLines[std::size_t(r)];
        for (int c = 0; c < columns; ++c) {
            const double inner = m_columnWidths[std::size_t(c)] - 2 * m_padding;
            const std::string_view whole = m_rows.cell(r, c);
            std::string_view text = whole;
            int lines = 0;
            bool fits = true;
            bool measurable = true;
            for (std::size_t end; !text.empty(); text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1)) {
                end = text.find('\n');
                const std::string_view line = text.substr(0, end);
                fits = fits && widthBound(line) <= inner;
                measurable = measurable && qsizetype(line.size()) < surelyTooLong;
                ++lines;
            }
            // The bound is not the width: measure the lines themselves.
            if (!fits && measurable) {
                const QStringList texts = cellText(r, c).split(QLatin1Char('\n'));
                fits = std::all_of(texts.begin(), texts.end(),
                                   [&](const QString &line) { return metrics.horizontalAdvance(line) <= inner; });
            }
            if (!fits) {
                const std::size_t first = m_lines.size();
                m_wrapped.push_back({qint64(r) * columns + c, qint32(first)});
                const QString cell = cellText(r, c);
                const double share = double(whole.size()) / std::max<qsizetype>(cell.size(), 1);
                if (!wrapCell(cell, inner, device, [&](qsizetype at) { return going(doneBytes + qint64(at * share)); }))
                    return false;
                lines = int(m_lines.size() - first);
            }
            rowLines = std::max(rowLines, lines);
            doneBytes += qint64(whole.size());
        }
        if (!going(doneBytes))
            return false;
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
    m_laidOut = true;
    return true;
}

// Breaks `text` into the lines it takes within `width`, as painting the text
// wrapped anywhere in a box of that width would, a paragraph at a time and
// a long paragraph a piece at a time: only the last line of a piece can
// depend on what follows it, and it is laid out again with the next piece.
bool ListingPrinter::wrapCell(const QString &text, double width, const QPaintDevice &device,
                              const std::function<bool(qsizetype)> &going)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAnywhere);
    for (qsizetype paragraph = 0; paragraph <= text.size();) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), paragraph);
        if (end < 0)
            end = text.size();
        if (end == paragraph)
            m_lines.push_back({qint32(paragraph), 0});
        for (qsizetype at = paragraph; at < end;) {
            qsizetype pieceEnd = std::min(end, at + layoutPiece);
            if (pieceEnd < end && text.at(pieceEnd).isLowSurrogate())
                ++pieceEnd;
            QTextLayout layout(text.mid(at, pieceEnd - at), m_font, &device);
            layout.setTextOption(option);
            layout.beginLayout();
            const std::size_t first = m_lines.size();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                m_lines.push_back({qint32(at + line.textStart()), qint32(line.textLength())});
            }
            layout.endLayout();
            if (pieceEnd < end && m_lines.size() - first > 1)
                m_lines.pop_back();
            const qsizetype next = m_lines.back().start + m_lines.back().length;
            at = next > at ? next : pieceEnd;
            if (!going(at))
                return false;
        }
        paragraph = end + 1;
    }
    return true;
}

const ListingPrinter::WrappedCell *ListingPrinter::wrappedCell(int row, int column) const
{
    const qint64 cell = qint64(row) * m_rows.columnCount() + column;
    const auto found = std::lower_bound(m_wrapped.begin(), m_wrapped.end(), cell,
                                        [](const WrappedCell &wrapped, qint64 cell) { return wrapped.cell < cell; });
    return found != m_wrapped.end() && found->cell == cell ? &*found : nullptr;
}

const QString &ListingPrinter::wrappedText(int row, int column)
{
    const qint64 cell = qint64(row) * m_rows.columnCount() + column;
    if (cell != m_textCell) {
        m_text = cellText(row, column);
        m_textCell = cell;
    }
    return m_text;
}

bool ListingPrinter::paint(QPagedPaintDevice *device, const Progress &progress)
{
    if (!layOut(*device, progress))
        return false;
    QPainter painter;
    if (!painter.begin(device))
        return false;
    for (int page = 0; page < pageCount(); ++page) {
        if (page > 0)
            device->newPage();
        paintPage(painter, page);
        if (progress && !progress(page + 1, pageCount()))
            return false;
    }
    return true;
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
    // Each cell draws the lines of its slice, each where it stands.
    painter.setFont(m_font);
    std::vector<QLineF> lines{QLineF(0, top, m_width, top), QLineF(0, y, m_width, y)};
    const std::size_t end = std::size_t(page) + 1 < m_pageStarts.size() ? m_pageStarts[std::size_t(page) + 1] : m_slices.size();
    for (std::size_t s = m_pageStarts[std::size_t(page)]; s < end; ++s) {
        const Slice &slice = m_slices[s];
        const int last = slice.firstLine + slice.lines;
        const auto baseline = [&](int line) { return y + m_padding + m_ascent + (line - slice.firstLine) * m_lineHeight; };
        x = 0;
        for (int c = 0; c < columns; ++c) {
            if (const WrappedCell *wrapped = wrappedCell(slice.row, c)) {
                const QString &text = wrappedText(slice.row, c);
                const std::size_t next = wrapped + 1 < m_wrapped.data() + m_wrapped.size() ? std::size_t(wrapped[1].firstLine)
                                                                                            : m_lines.size();
                const int count = int(next - std::size_t(wrapped->firstLine));
                for (int line = slice.firstLine; line < std::min(count, last); ++line) {
                    const Line &piece = m_lines[std::size_t(wrapped->firstLine + line)];
                    if (piece.length > 0)
                        painter.drawText(QPointF(x + m_padding, baseline(line)), text.mid(piece.start, piece.length));
                }
            } else {
                const QStringList texts = cellText(slice.row, c).split(QLatin1Char('\n'));
                for (int line = slice.firstLine; line < std::min<int>(int(texts.size()), last); ++line) {
                    if (!texts.at(line).isEmpty())
                        painter.drawText(QPointF(x + m_padding, baseline(line)), texts.at(line));
                }
            }
            x += m_columnWidths[std::size_t(c)];
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

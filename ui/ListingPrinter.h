// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>

#include <functional>
#include <string_view>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPaintDevice;
class ResultSet;

// A listing on paper: A4 landscape; at the top of every page a title line
// and the column names; the rows below, each cell's text wrapped within its
// column (remarks get the room that the other columns leave); "第 N 页，共
// M 页" at the foot. A row taller than a page goes on over the next pages,
// cut between lines. Texts are set in a font with Chinese glyphs.
//
// A cell's text is broken into lines once, when the listing is laid out,
// and each page draws only its own lines: a remark of a million characters
// over hundreds of pages costs its length once, not once a page, and the
// pages a print preview keeps hold only what they show.
class ListingPrinter {
public:
    // Told how far laying out or painting has come; returns false to stop.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    ListingPrinter(const ResultSet &rows, QString title);

    // A4 landscape, margins of 10 mm.
    static void setUpPage(QPagedPaintDevice &device);

    // Lays the listing out for the device's page (once for each page size
    // and resolution); false when `progress` stopped it.
    bool layOut(const QPagedPaintDevice &device, const Progress &progress = {});

    // Paints every page onto `device`, laying the listing out first where
    // needed; false when `progress` stopped it part way.
    bool paint(QPagedPaintDevice *device, const Progress &progress = {});

    int pageCount() const { return int(m_pageStarts.size()); }

private:
    // A row, or the part of a tall row, on one page.
    struct Slice {
        int row;
        int firstLine;
        int lines;
    };
    // A line of a wrapped cell: where it is in the cell's text.
    struct Line {
        qint32 start;
        qint32 length;
    };
    // The lines of one wrapped cell start at `firstLine` in m_lines.
    struct WrappedCell {
        qint64 cell;  // row * columns + column
        qint32 firstLine;
    };

    double widthBound(std::string_view line) const;
    bool wrapCell(const QString &text, double width, const QPaintDevice &device,
                  const std::function<bool(qsizetype)> &going);
    const WrappedCell *wrappedCell(int row, int column) const;
    void paintPage(QPainter &painter, int page);
    QString cellText(int row, int column) const;
    const QString &wrappedText(int row, int column);

    const ResultSet &m_rows;
    QString m_title;
    QFont m_font, m_boldFont, m_titleFont;

    // In the device's pixels.
    bool m_laidOut = false;
    int m_resolution = 0;
    double m_width = 0, m_height = 0;
    double m_digitWidth = 0, m_narrowWidth = 0, m_wideWidth = 0;
    double m_padding = 0, m_lineHeight = 0, m_ascent = 0;
    double m_titleHeight = 0, m_headerHeight = 0, m_footerHeight = 0;
    std::vector<double> m_columnWidths;
    std::vector<int> m_rowLines;  // lines of each row
    std::vector<WrappedCell> m_wrapped;  // in the order of their cells
    std::vector<Line> m_lines;
    std::vector<Slice> m_slices;
    std::vector<std::size_t> m_pageStarts;  // first slice of each page

    // The text of the wrapped cell painted last: a tall row's pages each
    // need it.
    qint64 m_textCell = -1;
    QString m_text;
};

// A font family that has Chinese glyphs, for print.
QStringList printFontFamilies();

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>

#include <string_view>
#include <vector>

class QPainter;
class QPrinter;
class ResultSet;

// A listing on paper: A4 landscape; at the top of every page a title line
// and the column names; the rows below, each cell's text wrapped within its
// column (remarks get the room that the other columns leave); "第 N 页，共
// M 页" at the foot. A row taller than a page goes on over the next pages,
// cut between lines. Texts are set in a font with Chinese glyphs.
class ListingPrinter {
public:
    ListingPrinter(const ResultSet &rows, QString title);

    // A4 landscape, margins of 10 mm.
    static void setUpPage(QPrinter &printer);

    // Paints every page onto `printer`; the print preview asks for this.
    void paint(QPrinter *printer);

    int pageCount() const { return int(m_pageStarts.size()); }

private:
    // A row, or the part of a tall row, on one page.
    struct Slice {
        int row;
        int firstLine;
        int lines;
    };

    void layOut(const QPrinter &printer);
    double widthBound(std::string_view line) const;
    void paintPage(QPainter &painter, int page);
    QString cellText(int row, int column) const;

    const ResultSet &m_rows;
    QString m_title;
    QFont m_font, m_boldFont, m_titleFont;

    // In the printer's pixels.
    int m_resolution = 0;
    double m_width = 0, m_height = 0;
    double m_digitWidth = 0, m_narrowWidth = 0, m_wideWidth = 0;
    double m_padding = 0, m_lineHeight = 0, m_ascent = 0;
    double m_titleHeight = 0, m_headerHeight = 0, m_footerHeight = 0;
    std::vector<double> m_columnWidths;
    std::vector<int> m_rowLines;  // lines of each row
    std::vector<bool> m_wraps;    // per cell: whether its text wraps in its column
    std::vector<Slice> m_slices;
    std::vector<std::size_t> m_pageStarts;  // first slice of each page
};

// A font family that has Chinese glyphs, for print.
QStringList printFontFamilies();

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/ListingExport.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// The .xlsx side of ListingExport, with libxlsxwriter in its constant-memory
// mode: each row goes to a temporary file in the target's folder as it is
// written, and the package is put together by finish(), which reads it back
// to see that it is whole.
class XlsxWriter : public ListingExport::Writer {
public:
    XlsxWriter(const QString &path, const QString &sheetName, const QStringList &columns);
    ~XlsxWriter() override;

    void header(const QStringList &columns) override;
    void row(const ExportSource &source) override;
    void finish() override;

private:
    // Throws when a write to libxlsxwriter's temporary files failed since
    // errno was last cleared.
    void checkWrites() const;
    void check(int error, int column);
    void writeText(int column, std::string_view text, lxw_format *format);

    QString m_path;
    QString m_folder;
    QByteArray m_temporaryFolder;  // libxlsxwriter's tmpdir, kept alive
    QStringList m_columns;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_bold = nullptr;
    lxw_format *m_text = nullptr;
    lxw_format *m_wrapped = nullptr;
    std::vector<bool> m_integerColumns;  // 租金 and 押金
    std::vector<int> m_widths;           // in characters, a CJK one counting two
    std::string m_buffer;
    unsigned m_row = 0;
    qint64 m_rowsWithCells = 0;  // the rows the sheet's part holds
};

// "_x" before four hex digits and "_" reads as an escaped character in
// OOXML; its "_" is written as "_x005F_" so the text reads back as it is,
// and a NUL, which would end the text for libxlsxwriter, as "_x0000_".
std::string_view escapedOoxmlText(std::string_view text, std::string &buffer);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/ListingExport.h"

#include <QFile>

// The .csv side of ListingExport: UTF-8 with a byte-order mark (so that
// Excel and WPS on Chinese Windows read it as UTF-8), CRLF line ends, a
// field in double quotes when it holds a comma, a quote or a line break,
// or is an empty text; a NULL is an empty field without quotes. A text a
// spreadsheet program would run as a formula gets a guard apostrophe
// (sheets/CsvGuard.h).
class CsvWriter : public ListingExport::Writer {
public:
    explicit CsvWriter(const QString &path);

    void header(const QStringList &columns) override;
    void row(const ExportSource &source) override;
    void finish() override;

private:
    void field(int column, std::optional<std::string_view> text);
    void endRecord();
    void flush();

    QFile m_file;
    QByteArray m_pending;
    int m_columnCount = 0;
};

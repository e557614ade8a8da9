// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSteps.h"

#include <QString>

#include <memory>

class ExportSource;

// Writes the rows of an ExportSource to a spreadsheet file:
// - .xlsx (libxlsxwriter): one sheet, the column names as a bold header row,
//   frozen, columns as wide as their texts; every value as the text the
//   register holds, never as a formula, except a rent or deposit that is a
//   plain integer, written as a number. An empty text is an empty cell of
//   text format, a NULL no cell at all.
// - .csv: UTF-8 with a byte-order mark, CRLF line ends, quoting as RFC 4180
//   says; an empty text is "", a NULL nothing.
// The file is written under a temporary name beside the target and put in
// place by publishFile() once complete and checked. Failures throw
// AppError with the reason in the user's words; the temporary file
// is then removed and the target left as it was.
class ListingExport {
public:
    enum class Format { Xlsx, Csv };
    static Format formatOf(const QString &path);  // .csv, else .xlsx

    ListingExport(ExportSource &source, QString target, QString sheetName);
    ~ListingExport();

    // Opens the file and writes the header.
    void start();
    // Writes up to `count` more rows; true once every row is written.
    bool writeSome(qsizetype count);
    // Completes the file (for .xlsx the slow part: packing it). Touches
    // nothing but the file, so it may run on another thread.
    void finish();
    // Renames the complete file to the target, replacing what is there only
    // when `replace`.
    void publish(bool replace);

    qint64 rowsWritten() const { return m_rows; }

    // The writer of one format.
    class Writer {
    public:
        virtual ~Writer() = default;
        virtual void header(const QStringList &columns) = 0;
        virtual void row(const ExportSource &source) = 0;
        virtual void finish() = 0;
    };

private:
    // A file size limit is reported as such, not met with SIGXFSZ.
    FileSizeSignalIgnored m_fileSizeSignal;
    ExportSource &m_source;
    QString m_target;
    QString m_temporary;
    QString m_sheetName;
    std::unique_ptr<Writer> m_writer;
    qint64 m_rows = 0;
    bool m_published = false;
};

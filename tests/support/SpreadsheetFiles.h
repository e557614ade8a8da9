// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Small spreadsheet packages written by the tests, as a writer or a
// damaged file would leave them.

struct ZipEntry {
    QString name;
    QByteArray bytes;
    // The size the entry declares, when not its own (a file that lies).
    qint64 declaredSize = -1;
};

// A zip package of `entries`, deflated (the first stored, as .ods has
// its mimetype).
void writeZip(const QString &path, const QList<ZipEntry> &entries, bool firstStored = false);

// An .xlsx workbook of one sheet, "Sheet1", whose sheetData holds `rows`;
// `sheetSize` declares another size for that part.
void writeXlsx(const QString &path, const QByteArray &rows, qint64 sheetSize = -1);
// A row of inline-string cells for writeXlsx: {"A1", "姓名"}, ...
QByteArray xlsxRow(int row, const QList<QPair<QByteArray, QByteArray>> &cells);

// An .ods document of one sheet, "Sheet1", whose table holds `rows`.
void writeOds(const QString &path, const QByteArray &rows);
// A text cell of an .ods row, `repeat` times over.
QByteArray odsText(const QByteArray &text, int repeat = 1);

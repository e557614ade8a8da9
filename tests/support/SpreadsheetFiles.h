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
// `sheetSize` declares another size for that part. `recalculateOnOpen`
// marks the workbook to be calculated when opened, as xlsxwriter does.
void writeXlsx(const QString &path, const QByteArray &rows, qint64 sheetSize = -1, bool recalculateOnOpen = false);
// A landlord's own sheet: a title row, then 序号 姓名 房间号 月租 押金 入住时间
// 到期时间 电话 备注, three tenants (amounts and dates written as text,
// "1500.50" with cents) and a 合计 row whose rent is a formula.
void writeLandlordXlsx(const QString &path);
// A row of inline-string cells for writeXlsx: {"A1", "姓名"}, ...
QByteArray xlsxRow(int row, const QList<QPair<QByteArray, QByteArray>> &cells);

// An .ods document of one sheet, "Sheet1", whose table holds `rows`.
void writeOds(const QString &path, const QByteArray &rows);
// A text cell of an .ods row, `repeat` times over.
QByteArray odsText(const QByteArray &text, int repeat = 1);

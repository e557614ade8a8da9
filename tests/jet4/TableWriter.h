// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes one table: its rows onto data pages (memo overflow onto long-value
// pages), its usage maps, and last its definition page, whose number was
// allocated before the rows so that every data page can name its owner.
#include "jet4/PageFile.h"
#include "jet4/TableLayout.h"

namespace jet4::detail {

bool writeTable(PageFile &file, quint32 definitionPage, const TableLayout &layout,
                const QList<QVariantList> &rows, const QList<int> &deletedRows, int declaredRows, QString *error);

} // namespace jet4::detail

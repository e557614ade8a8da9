// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How the header of a landlord's sheet names the register's columns: by
// their own names (姓名 房号 租金 押金 入住日期 到期日期 备注) or by the names
// landlords use for them (月租, 房间号, 入住时间, ...), blanks, full-width
// forms and a unit "(元)" ignored.

// The register column (an index into importedColumns()) that `header`
// names by its own name, or -1.
int registerColumnNamed(const QString &header);
// The register column that `header` names by another name, or -1.
int registerColumnMeant(const QString &header);
// Whether `header` heads a running number (序号, 编号, No.) or a column
// of the program's own export that an import sets itself (ID, 编辑时间).
bool isNumberingHeader(const QString &header);
// Whether a row whose name is `name` is a totals row (合计, 总计, 小计, 平均).
bool isTotalsName(const QString &name);

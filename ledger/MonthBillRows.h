// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/ResultSet.h"
#include "ledger/Bills.h"

#include <vector>

// The month's list as an export or a print takes it: one row per bill with
// the columns 房号, 姓名, 租金, 水费, 电费, 其他, 合计, 已收, 未收, 状态,
// amounts in 元 with two decimals ("1586.50"); a rent still to be typed
// reads "待填写".
ResultSet monthBillRows(const std::vector<BillSummary> &bills);

// The list's column titles, as the page shows them.
QStringList monthBillColumns();

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/MonthBillRows.h"

#include <array>
#include <string>

QStringList monthBillColumns()
{
    return {QStringLiteral("房号"), QStringLiteral("姓名"), QStringLiteral("租金"), QStringLiteral("水费"),
            QStringLiteral("电费"), QStringLiteral("其他"), QStringLiteral("合计"), QStringLiteral("已收"),
            QStringLiteral("未收"), QStringLiteral("状态")};
}

ResultSet monthBillRows(const std::vector<BillSummary> &bills)
{
    ResultSet rows;
    rows.reset(monthBillColumns());
    for (const BillSummary &bill : bills) {
        const std::array<QString, 10> texts{bill.room,
                                            bill.tenantName,
                                            bill.rent ? plainYuanText(*bill.rent) : QStringLiteral("待填写"),
                                            plainYuanText(bill.water),
                                            plainYuanText(bill.electricity),
                                            plainYuanText(bill.other),
                                            plainYuanText(bill.total),
                                            plainYuanText(bill.paid),
                                            plainYuanText(bill.owed()),
                                            billStateText(bill.state())};
        std::array<std::string, 10> utf8;
        std::array<ResultSet::CellText, 10> cells;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            utf8[i] = texts[i].toStdString();
            cells[i] = utf8[i];
        }
        rows.appendRow(bill.id, cells);
    }
    return rows;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ShownTenant.h"

#include "db/ADOQuery.h"
#include "db/AppError.h"

ShownTenant shownTenant(TADOQuery &list)
{
    list.requireRowsOfCurrentFile();
    const int row = list.RecNo();
    if (!list.Active() || row < 0 || list.result().keyKind() != RowKeyKind::Rowid
        || list.state() == TADOQuery::State::Insert)
        throw AppError(QStringLiteral("请先在列表中选中一位房客"));
    ShownTenant tenant;
    tenant.id = list.result().rowid(row);
    // A listing without one of these columns shows it as empty.
    const auto field = [&](const char *column) {
        const QString name = QString::fromUtf8(column);
        return list.result().columnIndex(name) >= 0 ? list.FieldAsText(name) : QString();
    };
    tenant.name = field("姓名");
    tenant.room = field("房号").trimmed();
    tenant.rent = field("租金");
    tenant.deposit = field("押金");
    tenant.expiry = field("到期日期");
    return tenant;
}

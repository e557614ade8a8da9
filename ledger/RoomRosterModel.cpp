// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/RoomRosterModel.h"

RoomRosterModel::RoomRosterModel(QObject *parent)
    : LedgerTableModel({QStringLiteral("房号"), QStringLiteral("房客"), QStringLiteral("空置天数"),
                        QStringLiteral("最后在租"), QStringLiteral("默认租金"), QStringLiteral("备注")},
                       parent)
{
}

void RoomRosterModel::setRooms(std::vector<RoomStatus> rooms, const QDate &day, const RegionalFormats &formats,
                               unsigned generation)
{
    m_all = std::move(rooms);
    m_day = day;
    m_formats = formats;
    m_generation = generation;
    showFiltered();
}

void RoomRosterModel::setFilter(Filter filter)
{
    m_filter = filter;
    showFiltered();
}

void RoomRosterModel::showFiltered()
{
    std::vector<RoomStatus> shown;
    for (const RoomStatus &room : m_all) {
        if (m_filter == Filter::All || room.isLet() == (m_filter == Filter::Let))
            shown.push_back(room);
    }
    setRows(std::move(shown));
}

int RoomRosterModel::rowOfRoom(const QString &room) const
{
    for (std::size_t row = 0; row < rows().size(); ++row) {
        if (rows()[row].room == room)
            return int(row);
    }
    return -1;
}

QString RoomRosterModel::cellText(const RoomStatus &room, int column) const
{
    switch (column) {
    case Room:
        return room.room;
    case Tenants:
        return room.tenantText();
    case DaysEmpty: {
        if (room.isLet())
            return {};
        const std::optional<qint64> days = room.daysEmpty(m_day);
        return days ? QStringLiteral("%1 天").arg(*days) : QStringLiteral("—");
    }
    case LastLet:
        return room.lastLet ? shortDateText(*room.lastLet, m_formats) : QString();
    case DefaultRent:
        return room.defaultRent ? yuanText(*room.defaultRent) : QString();
    default: {
        QStringList remarks = room.comingTenants;
        if (room.addedByHand)
            remarks << QStringLiteral("手动添加");
        return remarks.join(QStringLiteral("；"));
    }
    }
}

QVariant RoomRosterModel::toolTip(const RoomStatus &room, int column) const
{
    if (column == Tenants && room.tenants.size() > 1)
        return QStringLiteral("登记表中有 %1 位房客登记在这个房间").arg(room.tenants.size());
    if ((column == DaysEmpty || column == LastLet) && !room.isLet()) {
        if (!room.lastLet)
            return QStringLiteral("没有这个房间的租约或账单记录，不知道空了多久");
        return room.lastLetFromBill ? QStringLiteral("最后一份账单所在月份的最后一天")
                                    : QStringLiteral("登记表中上一份租约的到期日期");
    }
    return {};
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerTableModel.h"
#include "ledger/RoomRoster.h"

// The rooms list: 房号, 房客, 空置天数, 最后在租, 默认租金, 备注; every room,
// only the empty ones (空置房间) or only those let.
class RoomRosterModel : public LedgerTableModel<RoomStatus> {
public:
    enum class Filter { All, Vacant, Let };
    enum Column { Room, Tenants, DaysEmpty, LastLet, DefaultRent, Remarks };

    explicit RoomRosterModel(QObject *parent = nullptr);

    // The rooms as they stand on `day`, read from the file of `generation`.
    void setRooms(std::vector<RoomStatus> rooms, const QDate &day, const RegionalFormats &formats,
                  unsigned generation);
    void setFilter(Filter filter);

    const std::vector<RoomStatus> &allRooms() const { return m_all; }
    Filter filter() const { return m_filter; }
    unsigned generation() const { return m_generation; }
    int rowOfRoom(const QString &room) const;

protected:
    QString cellText(const RoomStatus &room, int column) const override;
    QVariant toolTip(const RoomStatus &room, int column) const override;
    bool alignsRight(int column) const override { return column == DaysEmpty || column == DefaultRent; }

private:
    void showFiltered();

    std::vector<RoomStatus> m_all;
    QDate m_day;
    RegionalFormats m_formats;
    Filter m_filter = Filter::All;
    unsigned m_generation = 0;
};

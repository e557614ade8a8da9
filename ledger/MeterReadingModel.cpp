// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/MeterReadingModel.h"

#include "ledger/LeaseCoverage.h"
#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"
#include "ledger/RoomOrder.h"

#include <algorithm>

namespace {

QStringList sheetColumns()
{
    QStringList columns{QStringLiteral("房号"), QStringLiteral("租客")};
    for (const Meter meter : meters) {
        const QString which = meter == Meter::Water ? QStringLiteral("水") : QStringLiteral("电");
        columns << QStringLiteral("上次读数(%1)").arg(which) << QStringLiteral("本次读数(%1)").arg(which)
                << QStringLiteral("用量(%1)").arg(unitName(meter)) << chargeName(meter);
    }
    return columns;
}

Meter meterOfAny(int column)
{
    return column >= MeterReadingModel::ElectricityPrevious ? Meter::Electricity : Meter::Water;
}

} // namespace

MeterReadingModel::MeterReadingModel(QObject *parent)
    : LedgerTableModel(sheetColumns(), parent)
{
}

std::optional<Meter> MeterReadingModel::meterOfColumn(int column)
{
    if (column == WaterCurrent)
        return Meter::Water;
    if (column == ElectricityCurrent)
        return Meter::Electricity;
    return std::nullopt;
}

void MeterReadingModel::read(TADOConnection &connection, const LedgerMonth &month, const RegionalFormats &formats)
{
    const LedgerRead file(connection);
    std::map<QString, QStringList> tenants;
    for (const CoveredTenant &tenant : tenantsCovering(file.db, month, formats).tenants) {
        if (!tenant.room.isEmpty())
            tenants[tenant.room] << tenant.name;
    }
    for (const auto &[room, known] : readKnownRooms(file.db, file.exists)) {
        if (known.addedByHand)
            tenants[room];
    }
    if (file.exists) {
        LedgerStatement read(file.db, "SELECT DISTINCT ro.room FROM ledger_reading r"
                                      " JOIN ledger_room ro ON ro.id = r.room_id WHERE r.month = ?1");
        read.bind(month.key());
        while (read.next())
            tenants[read.text(0)];
    }
    std::vector<QString> rooms;
    for (const auto &[room, names] : tenants)
        rooms.push_back(room);
    std::stable_sort(rooms.begin(), rooms.end(), roomBefore);
    std::map<QString, RoomMeters> meters = readRoomMeters(file.db, file.exists, month, rooms);

    std::vector<MeterSheetRow> sheet;
    for (const QString &room : rooms)
        sheet.push_back({room, tenants[room].join(QStringLiteral("、")), meters[room]});
    m_month = month;
    m_rates = Rates::read(file.db, file.exists);
    m_generation = file.generation;
    setRows(std::move(sheet));
}

void MeterReadingModel::rereadRoom(TADOConnection &connection, int row)
{
    const LedgerRead file(connection);
    MeterSheetRow &sheetRow = mutableRows().at(std::size_t(row));
    sheetRow.meters = readRoomMeters(file.db, file.exists, m_month, {sheetRow.room})[sheetRow.room];
    rowReplaced(row);
}

Qt::ItemFlags MeterReadingModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = LedgerTableModel::flags(index);
    if (index.isValid() && meterOfColumn(index.column()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

QString MeterReadingModel::cellText(const MeterSheetRow &row, int column) const
{
    if (column == RoomColumn)
        return row.room;
    if (column == TenantsColumn)
        return row.tenants;
    const Meter meter = meterOfAny(column);
    const MeterMonth &read = row.meters.meter(meter);
    const int offset = column - (meter == Meter::Water ? WaterPrevious : ElectricityPrevious);
    switch (offset) {
    case 0:
        return read.previous ? readingText(read.previous->value) : QString();
    case 1:
        if (!read.current)
            return {};
        return readingText(read.current->value) + (read.startsCount() ? QStringLiteral(" (起点)") : QString());
    case 2:
        return read.usage() ? readingText(*read.usage()) : QString();
    default: {
        const std::optional<qint64> usage = read.usage();
        const std::optional<Fen> price = m_rates.priceIn(meter, m_month);
        if (!usage || (*usage > 0 && !price))
            return {};
        const std::optional<Fen> charge = *usage > 0 ? chargeWithin(*usage, *price) : Fen(0);
        return charge ? yuanText(*charge) : QStringLiteral("超出范围");
    }
    }
}

QVariant MeterReadingModel::editText(const MeterSheetRow &row, int column) const
{
    const std::optional<Meter> meter = meterOfColumn(column);
    if (!meter)
        return cellText(row, column);
    const std::optional<StoredReading> &current = row.meters.meter(*meter).current;
    return current ? readingText(current->value) : QString();
}

QVariant MeterReadingModel::toolTip(const MeterSheetRow &row, int column) const
{
    const std::optional<Meter> meter = meterOfColumn(column);
    if (meter && row.meters.meter(*meter).startsCount())
        return QStringLiteral("这一读数是起点（第一次抄表或换了新表），本月不计用量");
    return {};
}

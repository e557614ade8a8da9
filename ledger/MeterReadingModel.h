// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerTableModel.h"
#include "ledger/MeterReadings.h"
#include "ledger/Rates.h"
#include "platform/RegionalFormats.h"

class TADOConnection;

// One room of the month's meter sheet.
struct MeterSheetRow {
    QString room;
    QString tenants;     // the names of its tenants that month
    RoomMeters meters;
};

// The month's meter sheet: every room with a tenant that month, every room
// added by hand and every room read that month, in the order of the rooms;
// for water and electricity the last reading, this month's (editable), the
// usage and what it costs at the price in force.
class MeterReadingModel : public LedgerTableModel<MeterSheetRow> {
public:
    enum Column {
        RoomColumn,
        TenantsColumn,
        WaterPrevious,
        WaterCurrent,
        WaterUsage,
        WaterCharge,
        ElectricityPrevious,
        ElectricityCurrent,
        ElectricityUsage,
        ElectricityCharge,
    };

    explicit MeterReadingModel(QObject *parent = nullptr);

    // Reads the sheet of `month` from the register and the ledger.
    void read(TADOConnection &connection, const LedgerMonth &month, const RegionalFormats &formats);
    // Reads one room's meters again, after a write.
    void rereadRoom(TADOConnection &connection, int row);

    const LedgerMonth &month() const { return m_month; }
    unsigned generation() const { return m_generation; }
    const Rates &rates() const { return m_rates; }
    // The meter whose reading of the month a column holds, if it is one.
    static std::optional<Meter> meterOfColumn(int column);
    static int currentColumn(Meter meter) { return meter == Meter::Water ? WaterCurrent : ElectricityCurrent; }

    Qt::ItemFlags flags(const QModelIndex &index) const override;

protected:
    QString cellText(const MeterSheetRow &row, int column) const override;
    QVariant editText(const MeterSheetRow &row, int column) const override;
    QVariant toolTip(const MeterSheetRow &row, int column) const override;
    bool alignsRight(int column) const override { return column >= WaterPrevious; }

private:
    LedgerMonth m_month;
    Rates m_rates;
    unsigned m_generation = 0;
};

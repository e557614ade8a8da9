// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerMonth.h"
#include "ledger/Rates.h"

#include <QString>

#include <array>
#include <map>
#include <optional>
#include <vector>

class TADOConnection;
struct sqlite3;

// A stored reading, with what names it for a write: its row and revision.
struct StoredReading {
    qint64 id = 0;
    qint64 revision = 0;
    LedgerMonth month;
    qint64 value = 0;  // hundredths of a ton or kWh
    bool newStart = false;
    friend bool operator==(const StoredReading &, const StoredReading &) = default;
};

// One meter of a room in a month: the month's reading and the one before it.
struct MeterMonth {
    std::optional<StoredReading> previous;  // the latest of an earlier month
    std::optional<StoredReading> current;

    // Whether this month's reading starts the count: the meter's first
    // reading, or one the landlord marked as a new meter.
    bool startsCount() const { return current && (current->newStart || !previous); }
    // What was used since the last reading; none without this month's
    // reading, 0 for a reading that starts the count.
    std::optional<qint64> usage() const;
    friend bool operator==(const MeterMonth &, const MeterMonth &) = default;
};

// A room's two meters in a month.
struct RoomMeters {
    std::optional<qint64> roomId;  // none: the ledger does not know the room yet
    std::array<MeterMonth, 2> meters;  // water, electricity
    const MeterMonth &meter(Meter m) const { return meters[std::size_t(m)]; }
    MeterMonth &meter(Meter m) { return meters[std::size_t(m)]; }
    friend bool operator==(const RoomMeters &, const RoomMeters &) = default;
};

// The rooms the ledger knows, by room text.
struct KnownRoom {
    qint64 id = 0;
    bool addedByHand = false;
};
std::map<QString, KnownRoom> readKnownRooms(sqlite3 *db, bool ledgerExists);

// The meters of `rooms` in `month`, each room's reading of the month and
// the latest before it.
std::map<QString, RoomMeters> readRoomMeters(sqlite3 *db, bool ledgerExists, const LedgerMonth &month,
                                             const std::vector<QString> &rooms);

// A reading as the landlord enters it, with the readings it was shown beside.
struct ReadingEntry {
    QString room;
    Meter meter = Meter::Water;
    LedgerMonth month;
    std::optional<qint64> value;  // none: this month's reading is removed
    bool newStart = false;        // the meter was replaced: the count starts here
    RoomMeters shown;             // the room's meters as shown
};

// Writes a reading in one transaction: the room comes into the ledger when
// it is new to it. Throws when the room's readings are no longer those shown.
void enterReading(TADOConnection &connection, unsigned shownGeneration, const ReadingEntry &entry);

// Adds a room by hand, so that its meters are read with the others. Returns
// false when it was added by hand before.
bool addRoomByHand(TADOConnection &connection, unsigned shownGeneration, const QString &room);

// Finds a room's id, putting the room into the ledger when it is new to it.
qint64 knownRoomId(sqlite3 *db, const QString &room, bool byHand);

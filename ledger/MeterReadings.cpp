// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/MeterReadings.h"

#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"
#include "platform/ProgramClock.h"

#include <sqlite3.h>

namespace {

StoredReading readingOf(const LedgerStatement &row, int first)
{
    return {row.integer(first), row.integer(first + 1),
            LedgerMonth::fromKey(row.text(first + 2)).value_or(LedgerMonth()), row.integer(first + 3),
            row.integer(first + 4) != 0};
}

const char *const readingColumns = "id, revision, month, reading, new_start";

std::optional<StoredReading> latestBefore(LedgerStatement &statement, qint64 roomId, Meter meter,
                                          const LedgerMonth &month)
{
    statement.rebind();
    statement.bind(roomId).bind(meterKey(meter)).bind(month.key());
    return statement.next() ? std::optional(readingOf(statement, 0)) : std::nullopt;
}

// The room's meters now, inside the write.
RoomMeters metersNow(sqlite3 *db, const QString &room, const LedgerMonth &month)
{
    return readRoomMeters(db, true, month, {room})[room];
}

} // namespace

std::optional<qint64> MeterMonth::usage() const
{
    if (!current)
        return std::nullopt;
    if (startsCount())
        return 0;
    return current->value - previous->value;
}

std::map<QString, KnownRoom> readKnownRooms(sqlite3 *db, bool ledgerExists)
{
    std::map<QString, KnownRoom> rooms;
    if (!ledgerExists)
        return rooms;
    LedgerStatement statement(db, "SELECT room, id, added_by_hand FROM ledger_room");
    while (statement.next())
        rooms[statement.text(0)] = {statement.integer(1), statement.integer(2) != 0};
    return rooms;
}

std::map<QString, RoomMeters> readRoomMeters(sqlite3 *db, bool ledgerExists, const LedgerMonth &month,
                                             const std::vector<QString> &rooms)
{
    std::map<QString, RoomMeters> found;
    for (const QString &room : rooms)
        found[room];
    if (!ledgerExists)
        return found;
    // A few rooms (a reading entered) are looked up one by one; a month's
    // sheet or bills read the month and the one before whole, and look up
    // only the meters not read that month before.
    const bool few = rooms.size() <= 8;
    std::map<qint64, RoomMeters *> byId;
    if (few) {
        LedgerStatement find(db, "SELECT id FROM ledger_room WHERE room = ?1");
        for (auto &[room, meters] : found) {
            find.rebind();
            find.bind(room);
            if (find.next()) {
                meters.roomId = find.integer(0);
                byId[*meters.roomId] = &meters;
            }
        }
    } else {
        const std::map<QString, KnownRoom> known = readKnownRooms(db, true);
        for (auto &[room, meters] : found) {
            if (const auto place = known.find(room); place != known.end()) {
                meters.roomId = place->second.id;
                byId[place->second.id] = &meters;
            }
        }
    }
    const auto meterOf = [](const QString &key) { return key == meterKey(Meter::Water) ? Meter::Water : Meter::Electricity; };
    const auto readMonth = [&](const LedgerMonth &which, bool current) {
        if (few) {
            // Every column of the room's unique key named, so that the
            // lookup goes through it rather than through all of the month.
            LedgerStatement read(db, QByteArray("SELECT ") + readingColumns
                                         + " FROM ledger_reading WHERE room_id = ?1 AND meter = ?2 AND month = ?3");
            for (const auto &[id, meters] : byId) {
                for (const Meter meter : ::meters) {
                    read.rebind();
                    read.bind(id).bind(meterKey(meter)).bind(which.key());
                    if (read.next()) {
                        MeterMonth &month = meters->meter(meter);
                        (current ? month.current : month.previous) = readingOf(read, 0);
                    }
                }
            }
            return;
        }
        LedgerStatement read(db, QByteArray("SELECT room_id, meter, ") + readingColumns
                                     + " FROM ledger_reading WHERE month = ?1");
        read.bind(which.key());
        while (read.next()) {
            if (const auto place = byId.find(read.integer(0)); place != byId.end()) {
                MeterMonth &meter = place->second->meter(meterOf(read.text(1)));
                (current ? meter.current : meter.previous) = readingOf(read, 2);
            }
        }
    };
    readMonth(month, true);
    readMonth(month.previous(), false);
    LedgerStatement before(db, QByteArray("SELECT ") + readingColumns
                                   + " FROM ledger_reading WHERE room_id = ?1 AND meter = ?2 AND month < ?3"
                                     " ORDER BY month DESC LIMIT 1");
    for (const auto &[id, meters] : byId) {
        for (const Meter meter : ::meters) {
            if (!meters->meter(meter).previous)
                meters->meter(meter).previous = latestBefore(before, id, meter, month);
        }
    }
    return found;
}

qint64 knownRoomId(sqlite3 *db, const QString &room, bool byHand)
{
    LedgerStatement find(db, "SELECT id, added_by_hand FROM ledger_room WHERE room = ?1");
    find.bind(room);
    if (find.next()) {
        const qint64 id = find.integer(0);
        if (byHand && find.integer(1) == 0)
            LedgerStatement(db, "UPDATE ledger_room SET added_by_hand = 1, revision = revision + 1 WHERE id = ?1")
                .bind(id)
                .run();
        return id;
    }
    LedgerStatement(db, "INSERT INTO ledger_room (room, added_by_hand, created) VALUES (?1, ?2, ?3)")
        .bind(room)
        .bind(qint64(byHand))
        .bind(momentKey(currentLocalDateTime()))
        .run();
    return sqlite3_last_insert_rowid(db);
}

void enterReading(TADOConnection &connection, unsigned shownGeneration, const ReadingEntry &entry)
{
    LedgerWrite write(connection, shownGeneration);
    sqlite3 *db = write.db();
    if (!(metersNow(db, entry.room, entry.month) == entry.shown))
        throwChangedMeanwhile();
    const std::optional<StoredReading> &current = entry.shown.meter(entry.meter).current;
    const bool startsCount = entry.newStart || !entry.shown.meter(entry.meter).previous;
    if (!entry.value) {
        if (current)
            LedgerStatement(db, "DELETE FROM ledger_reading WHERE id = ?1").bind(current->id).run();
    } else if (current) {
        raiseRevision(db, "ledger_reading", current->id, current->revision);
        LedgerStatement(db, "UPDATE ledger_reading SET reading = ?1, new_start = ?2, entered = ?3 WHERE id = ?4")
            .bind(*entry.value)
            .bind(qint64(startsCount))
            .bind(momentKey(currentLocalDateTime()))
            .bind(current->id)
            .run();
    } else {
        LedgerStatement(db, "INSERT INTO ledger_reading (room_id, meter, month, reading, new_start, entered)"
                            " VALUES (?1, ?2, ?3, ?4, ?5, ?6)")
            .bind(knownRoomId(db, entry.room, false))
            .bind(meterKey(entry.meter))
            .bind(entry.month.key())
            .bind(*entry.value)
            .bind(qint64(startsCount))
            .bind(momentKey(currentLocalDateTime()))
            .run();
    }
    write.commit();
}

bool addRoomByHand(TADOConnection &connection, unsigned shownGeneration, const QString &room)
{
    LedgerWrite write(connection, shownGeneration);
    const std::map<QString, KnownRoom> known = readKnownRooms(write.db(), true);
    if (const auto place = known.find(room); place != known.end() && place->second.addedByHand)
        return false;
    knownRoomId(write.db(), room, true);
    write.commit();
    return true;
}

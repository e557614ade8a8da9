// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/RoomDefaultRent.h"

#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"
#include "ledger/MeterReadings.h"

namespace {

void writeRent(sqlite3 *db, qint64 roomId, std::optional<Fen> rent)
{
    LedgerStatement(db, "UPDATE ledger_room SET default_rent_fen = ?1, revision = revision + 1 WHERE id = ?2")
        .bind(rent)
        .bind(roomId)
        .run();
}

} // namespace

bool addRoomWithRent(TADOConnection &connection, unsigned shownGeneration, const QString &room,
                     std::optional<Fen> defaultRent)
{
    LedgerWrite write(connection, shownGeneration);
    const std::map<QString, KnownRoom> known = readKnownRooms(write.db(), true);
    if (const auto place = known.find(room); place != known.end() && place->second.addedByHand)
        return false;
    const qint64 id = knownRoomId(write.db(), room, true);
    if (defaultRent)
        writeRent(write.db(), id, defaultRent);
    write.commit();
    return true;
}

void setRoomDefaultRent(TADOConnection &connection, unsigned shownGeneration, const QString &room,
                        std::optional<Fen> shownRent, std::optional<Fen> rent)
{
    LedgerWrite write(connection, shownGeneration);
    LedgerStatement find(write.db(), "SELECT default_rent_fen FROM ledger_room WHERE room = ?1");
    find.bind(room);
    const std::optional<Fen> now = find.next() ? find.optionalInteger(0) : std::nullopt;
    if (now != shownRent)
        throwChangedMeanwhile();
    writeRent(write.db(), knownRoomId(write.db(), room, false), rent);
    write.commit();
}

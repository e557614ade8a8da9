// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Money.h"

#include <QString>

#include <optional>

class TADOConnection;

// Adds a room by hand with its default rent (none: none yet), in one
// transaction. Returns false, writing nothing, when it was added by hand
// before.
bool addRoomWithRent(TADOConnection &connection, unsigned shownGeneration, const QString &room,
                     std::optional<Fen> defaultRent);

// Sets (or, with none, clears) the default rent of a room, as it was shown
// with `shownRent`; a room of the register's comes into the ledger. Throws
// when the room's default rent changed since it was shown.
void setRoomDefaultRent(TADOConnection &connection, unsigned shownGeneration, const QString &room,
                        std::optional<Fen> shownRent, std::optional<Fen> rent);

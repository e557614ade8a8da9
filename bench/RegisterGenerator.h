// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RegionalFormats.h"

#include <QDate>
#include <QString>

// Writes a register of `rows` tenants to `path` (a new file): Chinese names,
// room numbers "building-floorunit", rents and deposits in whole yuan, move-in
// and expiry dates in the regional short format, remarks of three lines.
// Every hundredth tenant has the surname searchedSurname, and about a third
// of the leases ended before `today`.
void generateRegister(const QString &path, int rows, const QDate &today, const RegionalFormats &formats);

inline const QString searchedSurname = QStringLiteral("欧阳");
inline const QString searchedRoom = QStringLiteral("12-8");

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>

// The local date and time the program goes by: the system's clock, unless
// a test set a moment of its own.
QDateTime currentLocalDateTime();

// From now on currentLocalDateTime() gives `moment`; an invalid moment gives
// the system's clock back.
void setCurrentLocalDateTime(const QDateTime &moment);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Rooms in the order a landlord walks them: numbers by their value, so that
// "2-101" comes before "2-1001" and "9" before "10"; the other characters as
// they are. Equal rooms keep their order.
bool roomBefore(const QString &a, const QString &b);

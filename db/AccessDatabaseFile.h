// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The text shown when data.mdb is an Access database, which this program
// does not open; empty when the file at `path` is no Access database.
QString accessDatabaseRefusal(const QString &path);

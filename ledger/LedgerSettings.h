// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class TADOConnection;
struct sqlite3;

// The payee's name that receipts carry (收款人); empty until set.
QString readPayee(sqlite3 *db);
// Sets it in one write of the ledger; blanks around it are dropped.
void setPayee(TADOConnection &connection, unsigned shownGeneration, const QString &payee);

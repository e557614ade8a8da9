// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Money.h"

#include <QString>

// An amount in Chinese capital numerals as financial documents write it:
// one 零 for each run of zeros between digits, 元 角 分, and 整 when there
// are no fen ("壹仟零伍元整", "伍角整", "壹万零壹拾元零伍分"). 0 is "零元整".
QString capitalAmountText(Fen fen);

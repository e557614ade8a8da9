// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class RegisterWindow;

// Imports tenants from a spreadsheet as a user does it: asks for the file,
// reads it with a progress dialog, shows the preview, and on 确认导入 backs
// up data.mdb, adds the previewed rows in one transaction and lists the
// register again. Every failure leaves the register as it was and says so.
void ImportWithDialogs(RegisterWindow &window);

// The name of the backup taken before an import at this moment, e.g.
// "导入前_2026-12-09_103000" (a later one in the same second gets "_2", ...).
QString importBackupName();

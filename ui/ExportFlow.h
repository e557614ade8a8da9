// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <memory>

class ExportSource;

// Exports rows as a user does it: asks where (an .xlsx or .csv file,
// proposing `proposedName`), opens the rows with `openRows`, writes the file
// with a progress dialog whose 取消 stops it, and says where the file went
// and how many records it holds, or why it failed. `changed`, when given,
// tells whether the rows changed under the export (it then stops, nothing
// written).
void ExportWithDialogs(const QString &proposedName, const QString &sheetName,
                       const std::function<std::unique_ptr<ExportSource>()> &openRows,
                       const bool *changed = nullptr);

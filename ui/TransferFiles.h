// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// The file dialogs of export, import and PDF printing.

// Asks where to save a file, proposing `proposedName` (without its suffix)
// in the folder last used, with the given name filters, each of the form
// "描述 (*.suffix)". Returns the chosen path, its suffix one of the
// filters', or an empty text when the user cancelled. The dialog asks
// before a file is replaced.
QString askSavePath(const QString &title, const QString &proposedName, const QStringList &filters);

// Asks which file to open; empty when the user cancelled.
QString askOpenPath(const QString &title, const QString &filter);

// A file name's date part: "2026-12-09".
QString fileNameDate();

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;
class ResultSet;

// Shows the print preview of a listing, from which the user prints it or
// saves it as a PDF file (the toolbar's "保存为 PDF"). `proposedName` is the
// PDF file's proposed name, without ".pdf"; the preview belongs to `parent`.
// Laying the listing out and painting its pages show progress with 取消
// when they take more than a moment.
void PrintWithPreview(const ResultSet &rows, const QString &title, const QString &proposedName, QWidget *parent);

// Prints a listing to a PDF file at `path`, replacing what is there only
// once the new file is whole: it is written under a temporary name beside
// it, every write checked, synced and then put in place. Returns the
// failure in the user's words, or an empty text: the file is saved, or the
// user stopped it (then `cancelled`, where given, is set and nothing is
// changed).
QString saveListingPdf(const ResultSet &rows, const QString &title, const QString &path, bool *cancelled = nullptr);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;
class ResultSet;

// Shows the print preview of a listing, from which the user prints it or
// saves it as a PDF file (the toolbar's "保存为 PDF"). `proposedName` is the
// PDF file's proposed name, without ".pdf"; the preview belongs to `parent`.
void PrintWithPreview(const ResultSet &rows, const QString &title, const QString &proposedName, QWidget *parent);

// Prints a listing to a new PDF file at `path`, through a temporary file
// beside it that is renamed into place once complete. Returns the failure in
// the user's words, or an empty text.
QString saveListingPdf(const ResultSet &rows, const QString &title, const QString &path);

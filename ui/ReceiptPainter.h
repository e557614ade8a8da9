// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QPagedPaintDevice;
class QPainter;
class QRectF;
struct Receipt;

// A receipt on paper: an A4 page holds it twice, the stub the landlord keeps
// above the dashed line and the copy for the tenant below it (cut in two,
// each is an A5). Texts are set in a font with Chinese glyphs, as text, so
// that a PDF of it can be searched.

// A4 portrait, margins of 10 mm.
void setUpReceiptPage(QPagedPaintDevice &device);

// Paints the page onto `painter`, whose device is laid out by
// setUpReceiptPage.
void paintReceiptPage(QPainter &painter, const Receipt &receipt);

// Saves the page as a PDF file at `path`, put in place only once whole;
// returns the failure in the user's words, or an empty text.
QString saveReceiptPdf(const Receipt &receipt, const QString &path);

// The name proposed for its PDF: "收据_2026120001".
QString receiptFileName(const Receipt &receipt);

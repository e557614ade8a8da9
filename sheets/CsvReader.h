// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class SheetRowSink;
struct ReadControl;

// Reads a CSV file (RFC 4180: commas, double quotes, CRLF or LF line ends,
// line breaks inside quoted fields) into `sink` with liborcus's CSV parser.
// The text is UTF-8, with or without a byte-order mark, or else GB18030
// (which covers GBK), as Chinese Excel and WPS write it. Every field is
// text, as it stands in the file; an empty field in quotes ("") is an empty
// text, an empty field without them is no cell at all. Throws
// AppError, or ReadCancelled when `control` asks.
void readCsv(const QString &path, SheetRowSink &sink, ReadControl &control);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "access/ConversionResult.h"

#include <QByteArray>

// What a conversion child (larkhaven-convert --progress) tells the program
// on its standard output: one JSON object a line, the progress now and
// then, the result last.

QByteArray progressReport(qint64 done, qint64 total);
QByteArray resultReport(const ConversionResult &result);

struct ChildReport {
    enum class Kind { Progress, Result, Unreadable };
    Kind kind = Kind::Unreadable;
    qint64 done = 0;
    qint64 total = 0;
    ConversionResult result;  // Kind::Result
};

// One line as the child wrote it, without its line end.
ChildReport readChildReport(const QByteArray &line);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// How a conversion of an Access register ended.
struct ConversionResult {
    bool succeeded = false;
    bool cancelled = false;
    QString failure;             // why not, in the user's words, without a final full stop
    qint64 rows = 0;             // rows converted
    qint64 declaredRows = 0;     // the row count the Access file keeps for its table
    QStringList leftOutColumns;  // columns of `data` whose values were not carried over
    QString keptPath;            // the Access file's name afterwards (in-place conversion)

    // Access keeps a table's row count apart from its rows and leaves it
    // stale after a crash until the next compact.
    bool staleRowCount() const { return succeeded && rows != declaredRows; }
};

// Told now and then how many rows are done out of how many (0 when the file
// does not say); returns false to stop the conversion.
using ConversionProgress = std::function<bool(qint64 done, qint64 total)>;

// The reason given for a file that cannot be read whole.
QString damagedText();

// The reason given for a file that is no Access database this program reads.
QString notAccessText(const QString &path);

// The sentence on a stale row count for the message of a successful
// conversion: what the file said, and what was read.
QString staleRowCountText(const ConversionResult &result);

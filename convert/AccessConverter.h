#pragma once

#include <QString>
#include <QStringList>

#include <functional>

struct RegionalFormats;

// Converts the table `data` of an Access database into the program's
// register: the eight named columns by name (a missing one gives NULL), the
// AutoNumber column (else the first integer column that is not one of the
// eight) as ID, otherwise the rows numbered 1, 2, ... in the file's order;
// every value as the text the register holds.

struct ConversionResult {
    bool succeeded = false;
    bool cancelled = false;
    QString failure;             // why not, in the user's words, without a final full stop
    qint64 rows = 0;
    QStringList leftOutColumns;  // columns of `data` whose values were not carried over
    QString keptPath;            // the Access file's name afterwards (in-place conversion)
};

// Told now and then how many rows are done out of how many (0 when the file
// does not say); returns false to stop the conversion.
using ConversionProgress = std::function<bool(qint64 done, qint64 total)>;

// Converts the Access file at `databasePath` (data.mdb) in place. The new
// register is built beside it under a temporary name, checked and synced;
// then the Access file takes its kept name (keptAccessPath(): a hard link,
// else a checked copy) and the register is renamed over `databasePath`. At
// every moment `databasePath` is either the untouched Access file or the
// complete register, and the Access file's bytes are never changed. A
// failed or cancelled run changes nothing and leaves no file behind.
ConversionResult convertAccessDatabaseInPlace(const QString &databasePath, const RegionalFormats &formats,
                                              const ConversionProgress &progress = {});

// Converts the Access file `source` into a new register file `target`,
// which must not exist yet.
ConversionResult convertAccessFile(const QString &source, const QString &target, const RegionalFormats &formats,
                                   const ConversionProgress &progress = {});

// The first free name among "data_access.mdb", "data_access_2.mdb", ...
// beside `databasePath`, under which the Access file is kept. A name that
// already is the same file as `databasePath` (an earlier run stopped short)
// counts as free.
QString keptAccessPath(const QString &databasePath);

// The temporary name the register is built under, beside `target`.
QString conversionTemporaryPath(const QString &target);

// The reason given for a file that cannot be read whole.
QString damagedText();

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where each column of a table sits in its rows: fixed-size values at fixed
// offsets after the column count, variable-size ones (text, memo) after them,
// found through an offset table at the end of the row.
#include "jet4/Jet4Writer.h"

namespace jet4::detail {

// The type codes of the table definition. Integer and Ole appear only in
// the catalog table the writer adds.
enum class Kind : quint8 {
    Boolean = 0x01,
    Integer = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Double = 0x07,
    DateTime = 0x08,
    ExtendedDateTime = 0x14,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Guid = 0x0F,
    Decimal = 0x10,
};

// Bytes a value takes in the fixed part; -1 for variable-size values. A
// Yes/No value lives in the null mask and takes none.
int fixedLengthOf(Kind kind);

struct StoredColumn {
    QString name;
    Kind kind = Kind::Text;
    bool autoNumber = false;
    bool calculated = false;
    int scale = 0;        // Decimal
    bool fixed = false;
    int number = 0;       // position in the row's null mask
    int fixedOffset = 0;  // fixed columns: offset after the column count
    int varIndex = 0;     // variable columns: entry in the offset table
    int length = 0;       // bytes in the fixed part; a text's maximum bytes
};

struct TableLayout {
    QString name;
    bool system = false;
    QList<StoredColumn> columns;
    int fixedSize = 0;
    int varCount = 0;

    TableLayout(const QString &name, bool system, const QList<std::pair<QString, Kind>> &columns,
                const QList<bool> &calculated = {});
    explicit TableLayout(const Table &table);
    int autoNumberColumn() const;
};

} // namespace jet4::detail

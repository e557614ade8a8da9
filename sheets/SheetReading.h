// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/AppError.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <exception>
#include <string_view>

// What the spreadsheet readers share: the cells they deliver, row by row,
// and the control through which another thread follows and stops them.

// Thrown out of a reading that was asked to stop.
class ReadCancelled : public std::exception {
public:
    const char *what() const noexcept override { return "cancelled"; }
};

// Shared by a reading and whoever watches it from another thread.
struct ReadControl {
    std::atomic<bool> cancelled{false};
    std::atomic<int> permille{-1};  // how far the reading is; -1 while unknown

    void check() const
    {
        if (cancelled.load(std::memory_order_relaxed))
            throw ReadCancelled();
    }
    void report(qint64 done, qint64 total)
    {
        if (total > 0)
            permille.store(int(done * 1000 / total), std::memory_order_relaxed);
    }
};

// One cell as the spreadsheet holds it. Dates are days since 30 December
// 1899, the fraction being the time of day. A formula's cell carries the
// value the file kept of its last calculation; when the file kept none,
// its kind is Empty and `formula` holds what the user wrote ("=SUM(C3:C9)").
struct SheetValue {
    enum class Kind { Text, Number, DateTime, Boolean, Error, Empty };
    Kind kind = Kind::Empty;
    std::string_view text;  // Text, Error: UTF-8, valid during the call
    double number = 0;      // Number, DateTime, Boolean (0 or 1)
    bool isFormula = false;
    std::string_view formula = {};  // a formula without a kept value
};

// Receives a sheet's cells in the order of its rows; a cell that is not in
// the file is not delivered.
class SheetRowSink {
public:
    virtual ~SheetRowSink() = default;
    // `rowNumber` counts from 1, as the spreadsheet shows it.
    virtual void beginRow(qint64 rowNumber) = 0;
    // `column` counts from 0.
    virtual void cell(int column, const SheetValue &value) = 0;
    virtual void endRow() = 0;
    // Told before a reader delivers `cells` more cells of `bytes` of text
    // in all by repeating what it read (an .ods row or cell written once
    // with a repeat count); throws AppError when they would make
    // the sheet larger than an import holds.
    virtual void repeatAhead(qint64 cells, qint64 bytes)
    {
        Q_UNUSED(cells);
        Q_UNUSED(bytes);
    }
};

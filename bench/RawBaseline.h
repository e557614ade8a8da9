// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantList>

// Plain SQLite on its own connection: prepare a statement, step every row
// and read every column as text. What each window operation is measured
// against. The connection is opened in SQLite's default threading mode
// (serialized: each call takes the connection's mutex) unless `noMutex`
// asks for the mode the program opens its connection in.
class RawBaseline {
public:
    explicit RawBaseline(const QString &path, bool noMutex = false);
    ~RawBaseline();
    RawBaseline(const RawBaseline &) = delete;
    RawBaseline &operator=(const RawBaseline &) = delete;

    // Runs the statement once; returns the number of rows read.
    long long scan(const char *sql, const QVariantList &parameters = {});

private:
    struct sqlite3 *m_db = nullptr;
};

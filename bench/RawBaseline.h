#pragma once

#include <QString>
#include <QVariantList>

// Plain SQLite on its own connection: prepare a statement, step every row
// and read every column as text. What each window operation is measured
// against.
class RawBaseline {
public:
    explicit RawBaseline(const QString &path);
    ~RawBaseline();
    RawBaseline(const RawBaseline &) = delete;
    RawBaseline &operator=(const RawBaseline &) = delete;

    // Runs the statement once; returns the number of rows read.
    long long scan(const char *sql, const QVariantList &parameters = {});

private:
    struct sqlite3 *m_db = nullptr;
};

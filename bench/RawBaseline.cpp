// SPDX-License-Identifier: GPL-3.0-or-later
#include "RawBaseline.h"

#include "db/LeaseDate.h"

#include <sqlite3.h>

#include <stdexcept>

RawBaseline::RawBaseline(const QString &path, bool noMutex)
{
    const int flags = SQLITE_OPEN_READWRITE | (noMutex ? SQLITE_OPEN_NOMUTEX : 0);
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(m_db));
    registerLeaseDayFunction(m_db);
}

RawBaseline::~RawBaseline()
{
    sqlite3_close(m_db);
}

long long RawBaseline::scan(const char *sql, const QVariantList &parameters)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(m_db));
    for (int i = 0; i < parameters.size(); ++i) {
        const QVariant &value = parameters.at(i);
        if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
            sqlite3_bind_int64(statement, i + 1, value.toLongLong());
        } else {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
    const int columns = sqlite3_column_count(statement);
    long long rows = 0;
    volatile std::size_t bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            sqlite3_column_text(statement, c);
            bytes = bytes + std::size_t(sqlite3_column_bytes(statement, c));
        }
        ++rows;
    }
    sqlite3_finalize(statement);
    return rows;
}

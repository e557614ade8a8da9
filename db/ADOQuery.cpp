#include "db/ADOQuery.h"

#include "db/ADOConnection.h"
#include "db/AppError.h"

#include <sqlite3.h>

namespace {

// Owns a prepared statement for the length of one call.
class Statement {
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt **address() { return &m_statement; }
    sqlite3_stmt *get() const { return m_statement; }

private:
    sqlite3_stmt *m_statement = nullptr;
};

void bindAll(sqlite3 *db, sqlite3_stmt *statement, const QVariantList &parameters)
{
    for (int i = 0; i < parameters.size(); ++i) {
        const QVariant &value = parameters.at(i);
        int rc = SQLITE_OK;
        if (value.isNull()) {
            rc = sqlite3_bind_null(statement, i + 1);
        } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
            rc = sqlite3_bind_int64(statement, i + 1, value.toLongLong());
        } else {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(statement, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK)
            throwEngineError(db);
    }
}

QString quotedIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

TADOQuery::TADOQuery(const QString &name, TADOConnection *connection, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_connection(connection)
{
}

void TADOQuery::setSQL(const QString &sql, const QVariantList &parameters)
{
    Close();
    m_sql = sql;
    m_parameters = parameters;
}

sqlite3_stmt *TADOQuery::prepare(const QString &sql, const QVariantList &parameters)
{
    sqlite3 *db = m_connection->handle();
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
        throwEngineError(db);
    try {
        bindAll(db, statement, parameters);
    } catch (...) {
        sqlite3_finalize(statement);
        throw;
    }
    return statement;
}

void TADOQuery::Open()
{
    if (Active())
        return;
    Statement statement;
    *statement.address() = prepare(m_sql, m_parameters);
    sqlite3_stmt *st = statement.get();

    const int columns = sqlite3_column_count(st);
    QStringList names;
    names.reserve(columns);
    for (int i = 0; i < columns; ++i)
        names << QString::fromUtf8(sqlite3_column_name(st, i));
    ResultSet result = std::move(m_spare);
    result.reset(names);

    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
            result.appendCell(text ? text : "", text ? std::size_t(sqlite3_column_bytes(st, i)) : 0);
        }
    }
    if (rc != SQLITE_DONE)
        throwEngineError(m_connection->openHandle());

    readOrigins(st);
    emit aboutToReset();
    m_result = std::move(result);
    emit reset();
    m_state = State::Browse;
    m_recNo = m_result.rowCount() > 0 ? 0 : -1;
    m_eof = m_result.rowCount() == 0;
    announceCurrentRow();
}

void TADOQuery::readOrigins(sqlite3_stmt *statement)
{
    m_originTables.clear();
    m_originColumns.clear();
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        m_originTables << QString::fromUtf8(sqlite3_column_table_name(statement, i));
        m_originColumns << QString::fromUtf8(sqlite3_column_origin_name(statement, i));
    }
}

void TADOQuery::exec(const QString &sql, const QVariantList &parameters)
{
    Statement statement;
    *statement.address() = prepare(sql, parameters);
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throwEngineError(m_connection->openHandle());
}

void TADOQuery::ExecSQL()
{
    Close();
    exec(m_sql, m_parameters);
}

void TADOQuery::Close()
{
    if (!Active())
        return;
    m_editBuffer.clear();
    m_state = State::Inactive;
    m_originTables.clear();
    m_originColumns.clear();
    emit aboutToReset();
    m_spare = std::move(m_result);
    m_result = ResultSet();
    emit reset();
    m_recNo = -1;
    m_eof = true;
    announceCurrentRow();
}

void TADOQuery::requireActive() const
{
    if (!Active())
        throw AppError(CursorError::closedDataset(m_name));
}

int TADOQuery::fieldIndex(const QString &field) const
{
    const int index = m_result.columnIndex(field);
    if (index < 0)
        throw AppError(CursorError::fieldNotFound(m_name, field));
    return index;
}

int TADOQuery::RecordCount() const
{
    requireActive();
    return m_result.rowCount();
}

void TADOQuery::Next()
{
    requireActive();
    if (m_state != State::Browse)
        Cancel();
    if (m_recNo + 1 < m_result.rowCount()) {
        m_eof = false;
        moveTo(m_recNo + 1);
    } else {
        m_eof = true;
    }
}

void TADOQuery::setRecNo(int row)
{
    if (!Active() || row < 0 || row >= m_result.rowCount() || row == m_recNo)
        return;
    if (m_state != State::Browse)
        Cancel();
    m_eof = false;
    moveTo(row);
}

void TADOQuery::moveTo(int row)
{
    m_recNo = row;
    announceCurrentRow();
}

void TADOQuery::announceCurrentRow()
{
    if (m_disableCount == 0)
        emit currentRowChanged(m_recNo);
}

QString TADOQuery::FieldAsText(const QString &field) const
{
    requireActive();
    const int column = fieldIndex(field);
    if (const auto edited = m_editBuffer.find(column); edited != m_editBuffer.end())
        return edited->second;
    if (m_recNo < 0 || m_state == State::Insert)
        return QString();
    return m_result.text(m_recNo, column);
}

void TADOQuery::Edit()
{
    requireActive();
    if (m_state != State::Browse)
        return;
    m_editBuffer.clear();
    m_state = m_result.rowCount() == 0 ? State::Insert : State::Edit;
}

void TADOQuery::SetFieldText(const QString &field, const QString &text)
{
    requireActive();
    const int column = fieldIndex(field);
    if (m_state == State::Browse)
        throw AppError(m_name + QStringLiteral(": Dataset not in edit or insert mode"));
    m_editBuffer[column] = text;
}

void TADOQuery::Cancel()
{
    m_editBuffer.clear();
    if (Active())
        m_state = State::Browse;
}

QString TADOQuery::baseTable() const
{
    // Rows can be written back only when every column of the result comes
    // from one table.
    QString table;
    for (const QString &origin : m_originTables) {
        if (origin.isEmpty() || (!table.isEmpty() && origin.compare(table, Qt::CaseInsensitive) != 0))
            throw AppError(m_name + QStringLiteral(": Cannot modify a read-only dataset"));
        table = origin;
    }
    if (table.isEmpty())
        throw AppError(m_name + QStringLiteral(": Cannot modify a read-only dataset"));
    return table;
}

int TADOQuery::findKeyColumn(const QString &table)
{
    // The table's primary key, when it is a single column in the result.
    Statement statement;
    *statement.address() = prepare(QStringLiteral("SELECT name FROM pragma_table_info(?1) WHERE pk > 0"), {table});
    QStringList keys;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
        keys << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement.get(), 0)));
    if (rc != SQLITE_DONE)
        throwEngineError(m_connection->openHandle());
    if (keys.size() == 1) {
        for (int i = 0; i < m_originColumns.size(); ++i) {
            if (m_originColumns.at(i).compare(keys.first(), Qt::CaseInsensitive) == 0)
                return i;
        }
    }
    return -1;
}

int TADOQuery::keyColumn(const QString &table)
{
    const int key = findKeyColumn(table);
    if (key < 0)
        throw AppError(m_name + QStringLiteral(": Cannot find the row in table '%1': the listing holds no key column").arg(table));
    return key;
}

void TADOQuery::Post()
{
    requireActive();
    if (m_state == State::Browse)
        return;
    try {
        const QString table = baseTable();
        QStringList columns;
        QVariantList values;
        for (const auto &[column, text] : m_editBuffer) {
            columns << quotedIdentifier(m_originColumns.at(column));
            values << text;
        }
        if (m_state == State::Edit)
            postUpdate(table, columns, values);
        else
            postInsert(table, columns, values);
    } catch (...) {
        Cancel();
        throw;
    }
}

void TADOQuery::postUpdate(const QString &table, const QStringList &columns, QVariantList values)
{
    const int key = keyColumn(table);
    if (!columns.isEmpty()) {
        QStringList assignments;
        for (int i = 0; i < columns.size(); ++i)
            assignments << columns.at(i) + QStringLiteral(" = ?%1").arg(i + 1);
        values << m_result.text(m_recNo, key);
        exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                 .arg(quotedIdentifier(table), assignments.join(QStringLiteral(", ")),
                      quotedIdentifier(m_originColumns.at(key)))
                 .arg(values.size()),
             values);
        for (const auto &[column, text] : m_editBuffer)
            m_result.setCell(m_recNo, column, text.toStdString());
    }
    m_editBuffer.clear();
    m_state = State::Browse;
    if (!columns.isEmpty())
        emit rowChanged(m_recNo);
}

void TADOQuery::postInsert(const QString &table, const QStringList &columns, const QVariantList &values)
{
    QStringList placeholders;
    for (int i = 0; i < columns.size(); ++i)
        placeholders << QStringLiteral("?%1").arg(i + 1);
    exec(columns.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quotedIdentifier(table))
                           : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(quotedIdentifier(table), columns.join(QStringLiteral(", ")),
                                      placeholders.join(QStringLiteral(", "))),
         values);
    const sqlite3_int64 rowid = sqlite3_last_insert_rowid(m_connection->openHandle());
    const int row = m_result.rowCount();
    emit rowAboutToBeAppended(row);
    m_result.appendEmptyRow();
    for (const auto &[column, text] : m_editBuffer)
        m_result.setCell(row, column, text.toStdString());
    // The key the engine gave the new row.
    if (const int key = findKeyColumn(table); key >= 0 && !m_editBuffer.count(key))
        m_result.setCell(row, key, std::to_string(rowid));
    m_editBuffer.clear();
    m_state = State::Browse;
    emit rowAppended(row);
    m_eof = false;
    moveTo(row);
}

void TADOQuery::Delete()
{
    requireActive();
    if (m_state == State::Insert) {
        // A new row that was never posted: dropping it is its deletion.
        Cancel();
        return;
    }
    Cancel();
    if (m_result.rowCount() == 0)
        throw AppError(CursorError::emptyDataset(m_name));
    const QString table = baseTable();
    const int key = keyColumn(table);
    exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?1").arg(quotedIdentifier(table), quotedIdentifier(m_originColumns.at(key))),
         {m_result.text(m_recNo, key)});

    const int row = m_recNo;
    emit rowAboutToBeRemoved(row);
    m_result.removeRow(row);
    emit rowRemoved(row);
    // The row after the deleted one becomes current, or the one before it
    // when the last row went.
    const int rows = m_result.rowCount();
    m_eof = rows == 0;
    moveTo(rows == 0 ? -1 : std::min(row, rows - 1));
}

void TADOQuery::DisableControls()
{
    ++m_disableCount;
}

void TADOQuery::EnableControls()
{
    if (m_disableCount > 0 && --m_disableCount == 0)
        emit currentRowChanged(m_recNo);
}

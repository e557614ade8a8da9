// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/ADOQuery.h"

#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/RowWriteBack.h"
#include "db/SqlStatement.h"

#include <sqlite3.h>

namespace {

void bindAll(SqlStatement &statement, const QVariantList &parameters)
{
    for (int i = 0; i < parameters.size(); ++i) {
        const QVariant &value = parameters.at(i);
        int rc = SQLITE_OK;
        if (value.isNull()) {
            rc = statement.bindNull(i + 1);
        } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
            rc = statement.bindInt64(i + 1, value.toLongLong());
        } else {
            rc = statement.bindText(i + 1, value.toString());
        }
        if (rc != SQLITE_OK)
            statement.throwError();
    }
}

// However a write ends, the connection learns that the program's own
// statement may have changed the file, which is no reason to read it afresh.
class OwnWrite {
public:
    explicit OwnWrite(TADOConnection *connection) : m_connection(connection) {}
    ~OwnWrite() { m_connection->noteOwnWrite(); }
    OwnWrite(const OwnWrite &) = delete;
    OwnWrite &operator=(const OwnWrite &) = delete;

private:
    TADOConnection *m_connection;
};

} // namespace

TADOQuery::TADOQuery(const QString &name, TADOConnection *connection, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_connection(connection)
{
    setObjectName(name);
}

void TADOQuery::setSQL(const QString &sql, const QVariantList &parameters)
{
    Close();
    m_sql = sql;
    m_parameters = parameters;
}

SqlStatement TADOQuery::prepare(const QString &sql, const QVariantList &parameters)
{
    SqlStatement statement(m_connection->handle(), sql.toUtf8());
    bindAll(statement, parameters);
    return statement;
}

void TADOQuery::Open()
{
    if (Active())
        return;
    SqlStatement statement = prepare(m_sql, m_parameters);
    sqlite3 *db = m_connection->openHandle();

    // The key of each row is read with it. When the listing lacks a key
    // column, the statement gets it as a hidden first column; when the
    // engine will not give it there, the rows cannot be written back.
    QString rewritten;
    RowIdentity identity = findRowIdentity(db, statement, m_sql, &rewritten);
    if (!rewritten.isEmpty()) {
        // The engine refuses the extra column in some statements (a
        // compound SELECT): those rows stay without a key.
        SqlStatement keyed;
        try {
            keyed = prepare(rewritten, m_parameters);
        } catch (const AppError &) {
        }
        if (keyed.isPrepared() && identity.deliveredBy(keyed))
            statement = std::move(keyed);
        else
            identity.withoutKey();
    }
    const RowKeyKind keyKind = identity.keyKind;
    const int hidden = identity.hiddenColumns;
    const int columns = statement.columnCount() - hidden;

    QStringList names;
    names.reserve(columns);
    for (int i = 0; i < columns; ++i)
        names << statement.columnName(hidden + i);
    ResultSet result = std::move(m_spare);
    result.reset(names, keyKind, int(identity.keySources.size()));

    std::vector<ResultSet::CellText> cells(std::size_t(columns), std::nullopt);
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW) {
        // The key first: reading a value as text may change its type.
        std::int64_t rowid = 0;
        if (keyKind == RowKeyKind::Rowid) {
            rowid = statement.columnInt64(identity.keySources.front());
        } else if (keyKind == RowKeyKind::PrimaryKey) {
            for (const int source : identity.keySources)
                result.appendKeyValue(statement.columnValue(source));
        }
        // Each text stays valid until the next step.
        for (int i = 0; i < columns; ++i)
            cells[std::size_t(i)] = statement.columnText(hidden + i);
        result.appendRow(rowid, cells);
    }
    if (rc != SQLITE_DONE)
        statement.throwError();

    emit aboutToReset();
    m_result = std::move(result);
    m_identity = std::move(identity);
    m_generation = m_connection->generation();
    emit reset();
    m_state = State::Browse;
    m_recNo = m_result.rowCount() > 0 ? 0 : -1;
    m_eof = m_result.rowCount() == 0;
    m_rowsAsRead = true;
    announceCurrentRow();
}

void TADOQuery::ExecSQL()
{
    Close();
    const OwnWrite write(m_connection);
    prepare(m_sql, m_parameters).run();
}

void TADOQuery::Close()
{
    if (!Active())
        return;
    m_editBuffer.clear();
    m_state = State::Inactive;
    m_identity = RowIdentity();
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

int TADOQuery::FieldNo(const QString &field) const
{
    requireActive();
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
    const int column = FieldNo(field);
    if (const auto edited = m_editBuffer.find(column); edited != m_editBuffer.end())
        return edited->second;
    if (m_recNo < 0 || m_state == State::Insert)
        return QString();
    return m_result.text(m_recNo, column);
}

std::string_view TADOQuery::FieldUtf8(int column) const
{
    if (m_recNo < 0 || m_state == State::Insert)
        return {};
    return m_result.cell(m_recNo, column);
}

bool TADOQuery::AsOpened() const
{
    return m_state == State::Browse && m_rowsAsRead && m_recNo == (m_result.rowCount() > 0 ? 0 : -1)
           && m_eof == (m_result.rowCount() == 0);
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
    const int column = FieldNo(field);
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

void TADOQuery::requireRowsOfCurrentFile()
{
    if (!Active())
        return;
    m_connection->handle();
    if (m_generation != m_connection->generation())
        throw AppError(m_connection->replacedFileNotice());
}

sqlite3 *TADOQuery::writeHandle(bool needsKey)
{
    requireRowsOfCurrentFile();
    if (!m_identity.hasTable())
        throw AppError(m_name + QStringLiteral(": Cannot modify a read-only dataset"));
    if (needsKey && m_identity.keyKind == RowKeyKind::None)
        throw AppError(m_name
                       + QStringLiteral(": Cannot find the row in table '%1': the listing holds no key column")
                             .arg(m_identity.table));
    return m_connection->openHandle();
}

void TADOQuery::Post()
{
    requireActive();
    if (m_state == State::Browse)
        return;
    const OwnWrite write(m_connection);
    try {
        if (m_state == State::Edit)
            postUpdate();
        else
            postInsert();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TADOQuery::postUpdate()
{
    sqlite3 *db = writeHandle(true);
    if (!m_editBuffer.empty()) {
        const ResultSet::Row written = updateRow(db, m_identity, m_result, m_recNo, m_editBuffer);
        m_result.replaceRow(m_recNo, written);
    }
    const bool changed = !m_editBuffer.empty();
    m_rowsAsRead = m_rowsAsRead && !changed;
    m_editBuffer.clear();
    m_state = State::Browse;
    if (changed)
        emit rowChanged(m_recNo);
}

void TADOQuery::postInsert()
{
    sqlite3 *db = writeHandle(false);
    // Everything that can fail comes before the views are told of the row.
    m_result.stageRow(insertRow(db, m_identity, m_editBuffer));
    m_editBuffer.clear();
    m_state = State::Browse;
    m_rowsAsRead = false;
    const int row = m_result.rowCount();
    emit rowAboutToBeAppended(row);
    m_result.commitStagedRow();
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
    const OwnWrite write(m_connection);
    deleteRow(writeHandle(true), m_identity, m_result, m_recNo);
    m_rowsAsRead = false;

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

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/ResultSet.h"
#include "db/RowIdentity.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <map>

class SqlStatement;
class TADOConnection;

// A static, client-side cursor on the connection: opening runs its
// statement and holds every row in memory; the current row, the end-of-rows
// flag, edit / post and delete work on that copy and on the table. Values
// reach SQLite only as bound parameters (?1, ?2, ... in the SQL text).
// Post and delete act on exactly the row the cursor shows, found by its key
// and by the values read from it, or fail and write nothing.
class TADOQuery : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    TADOQuery(const QString &name, TADOConnection *connection, QObject *parent = nullptr);

    TADOConnection *connection() const { return m_connection; }

    // Closes the cursor and makes `sql` its statement, with `parameters`
    // bound in order to ?1, ?2, ...
    void setSQL(const QString &sql, const QVariantList &parameters = {});
    const QString &SQL() const { return m_sql; }
    const QVariantList &parameters() const { return m_parameters; }

    void Open();     // runs the SELECT; on failure the cursor stays closed
    void ExecSQL();  // runs a statement that returns no rows; the cursor stays closed
    void Close();    // a row in edit mode is cancelled

    bool Active() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    int RecordCount() const;
    bool Eof() const { return m_eof; }
    void Next();
    // The current row, 0-based; -1 when the cursor is closed or has no rows.
    int RecNo() const { return m_recNo; }
    void setRecNo(int row);

    // The current row's value of `field` as text, a NULL as empty.
    QString FieldAsText(const QString &field) const;
    // For a walk that reads one column of every row: the column's number
    // (failing as FieldAsText fails), then the current row's UTF-8 text in
    // that column, a NULL as empty, as long as the rows stay as they are.
    int FieldNo(const QString &field) const;
    std::string_view FieldUtf8(int column) const;

    // Whether the cursor is as Open left it: the rows as read, none
    // written, added or deleted since, the first one current, no edit.
    bool AsOpened() const;

    // Edit mode for the current row; over no rows, a new row instead.
    void Edit();
    void SetFieldText(const QString &field, const QString &text);
    void Post();    // writes the edited or new row to the table
    void Cancel();  // drops the edit
    void Delete();  // removes the current row from the table

    // Throws the connection's notice when the rows were read from a file
    // that is no longer the database file: they are not written back, and
    // nothing is done on them, until the cursor is opened again.
    void requireRowsOfCurrentFile();

    const ResultSet &result() const { return m_result; }

    // While controls are disabled, moves of the current row are not
    // announced (a walk over every row repaints nothing); enabling them
    // announces the current row once. Changes of the rows themselves are
    // always announced, so the grid never shows rows that are gone.
    void DisableControls();
    void EnableControls();

signals:
    void aboutToReset();
    void reset();
    void currentRowChanged(int row);
    void rowChanged(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void rowAboutToBeAppended(int row);
    void rowAppended(int row);

private:
    void requireActive() const;
    // The statement prepared on the connection, `parameters` bound.
    SqlStatement prepare(const QString &sql, const QVariantList &parameters);
    // The connection's handle for writing rows of this result back.
    sqlite3 *writeHandle(bool needsKey);
    void postUpdate();
    void postInsert();
    void moveTo(int row);
    void announceCurrentRow();

    QString m_name;
    TADOConnection *m_connection;
    QString m_sql;
    QVariantList m_parameters;

    State m_state = State::Inactive;
    ResultSet m_result;
    ResultSet m_spare;  // the storage of the last closed result, for the next open
    int m_recNo = -1;
    bool m_eof = true;
    bool m_rowsAsRead = false;  // no row written, added or deleted since Open
    RowIdentity m_identity;   // where the rows live and how each is found again
    unsigned m_generation = 0;  // the connection's file that the rows were read from
    std::map<int, QString> m_editBuffer;  // result column -> new text

    int m_disableCount = 0;
};

// RAII form of DisableControls / EnableControls.
class ControlsDisabled {
public:
    explicit ControlsDisabled(TADOQuery *query) : m_query(query) { m_query->DisableControls(); }
    ~ControlsDisabled() { m_query->EnableControls(); }
    ControlsDisabled(const ControlsDisabled &) = delete;
    ControlsDisabled &operator=(const ControlsDisabled &) = delete;

private:
    TADOQuery *m_query;
};

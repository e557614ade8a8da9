// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/LeaseDate.h"
#include "platform/FileIdentity.h"

#include <QObject>
#include <QString>

struct sqlite3;

// The main window's connection to data.mdb, an SQLite 3 database file.
// The database file is set once; the connection opens when a cursor first
// needs it and stays open. It opens the file read-write and never creates it.
class TADOConnection : public QObject {
    Q_OBJECT
public:
    explicit TADOConnection(QObject *parent = nullptr);
    ~TADOConnection() override;

    TADOConnection(const TADOConnection &) = delete;
    TADOConnection &operator=(const TADOConnection &) = delete;

    // The connection's one setting: which file it opens. Opens nothing.
    void setDatabaseFile(const QString &path);
    const QString &databaseFile() const { return m_databaseFile; }

    bool Connected() const { return m_db != nullptr; }

    // The open handle, opening the file first if need be. Throws AppError
    // with the engine's text when the file cannot be opened, and with
    // replacedFileNotice() when the file was removed or replaced since it
    // was opened (the connection is then closed, so the next use opens
    // whatever file is there). When someone else wrote into the file itself
    // since the program last read or wrote it, the file is opened afresh
    // first, so that no page the engine cached of the old bytes is used or
    // written back.
    sqlite3 *handle();

    // Tells the connection that the program's own statement may have
    // written the file: those changes are no one else's.
    void noteOwnWrite();

    // Counts the files opened: rows read under one generation belong to
    // that file, and are not written to a file opened later. Opening the
    // same file afresh keeps the generation.
    unsigned generation() const { return m_generation; }
    QString replacedFileNotice() const;

    // The handle as it is, without opening or checking: for reading the
    // engine's message after a failed call.
    sqlite3 *openHandle() const { return m_db; }

    // The expiry texts that lease_day() could not read, counted across the
    // connection's statements until a listing sets the count back.
    UnreadableLeaseDays &unreadableLeaseDays() { return m_unreadableLeaseDays; }

    void Close();

    // How long a statement waits for another program's lock.
    static constexpr int busyTimeoutMs = 3000;

private:
    void open();
    void checkStillTheSameFile();

    QString m_databaseFile;
    sqlite3 *m_db = nullptr;
    // The opened file as the program last left it, to notice it being
    // removed, replaced or written by someone else.
    FileIdentity m_seen;
    unsigned m_generation = 0;
    UnreadableLeaseDays m_unreadableLeaseDays;
};


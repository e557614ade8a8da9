// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/ModalBoxes.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

// A program directory of its own for one test: a temporary directory with
// (optionally) a register in it, the program's windows created over it and
// destroyed at the end. Regional formats are yyyy/M/d and H:mm:ss unless a
// test sets others; a moment a test sets on the program's clock lasts as
// long as the fixture.
class RegisterFixture {
public:
    RegisterFixture();
    ~RegisterFixture();
    RegisterFixture(const RegisterFixture &) = delete;
    RegisterFixture &operator=(const RegisterFixture &) = delete;

    QString directory() const;
    QString databasePath() const;

    // A register of the program's schema at databasePath(), holding
    // `tenants` (see addTenant).
    void createRegister(const QList<QStringList> &tenants = {});
    // A register whose table `data` is made by `createTable` instead.
    void createRegisterWith(const QString &createTable);

    // Statements on the file through a connection of the test's own.
    void exec(const QString &sql, const QVariantList &parameters = {});
    QList<QStringList> rows(const QString &sql, const QVariantList &parameters = {});
    int count(const QString &where = {});

    // Adds one tenant record: the texts of 姓名, 房号, 租金, 押金, 入住日期,
    // 到期日期, 备注 and 编辑时间, missing ones empty.
    void addTenant(const QStringList &columns);

    // Creates the windows as start-up does and returns the boxes shown.
    QList<SeenBox> startProgram(const QStringList &answers = {});
    // Starts the program, which must show no box, and shows the main window.
    void startShown();

private:
    QTemporaryDir m_directory;
    bool m_started = false;
};

// The rows of `sql` (all columns as text, NULL as a null string) run on the
// SQLite file at `path`, created if missing.
QList<QStringList> sqlRows(const QString &path, const QString &sql, const QVariantList &parameters = {});
// The first value of each row.
QStringList firstColumn(const QList<QStringList> &rows);

QByteArray fileBytes(const QString &path);  // empty if the file cannot be read
void writeFile(const QString &path, const QByteArray &bytes);

#pragma once

#include "support/ModalBoxes.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

// A program directory of its own for one test: a temporary directory with
// (optionally) a register in it, the program's windows created over it and
// destroyed at the end. Regional formats are yyyy/M/d and H:mm:ss unless a
// test sets others.
class RegisterFixture {
public:
    RegisterFixture();
    ~RegisterFixture();
    RegisterFixture(const RegisterFixture &) = delete;
    RegisterFixture &operator=(const RegisterFixture &) = delete;

    QString directory() const;
    QString databasePath() const;

    // An empty register (the program's schema) at databasePath().
    void createRegister();
    // A register whose table `data` is made by `createTable` instead.
    void createRegisterWith(const QString &createTable);

    // Statements on the file through a connection of the test's own.
    void exec(const QString &sql, const QVariantList &parameters = {});
    QList<QStringList> rows(const QString &sql, const QVariantList &parameters = {});
    int count(const QString &where = {});

    // Adds one tenant record with the eight named columns.
    void addTenant(const QString &name, const QString &room = {}, const QString &rent = {},
                   const QString &deposit = {}, const QString &moveIn = {}, const QString &expiry = {},
                   const QString &remarks = {}, const QString &editTime = {});

    // Creates the windows as start-up does and returns the boxes shown.
    QList<SeenBox> startProgram(const QStringList &answers = {});

private:
    QTemporaryDir m_directory;
    bool m_started = false;
};

// Clicks a button or widget with the left mouse button, as the user does.
class QWidget;
void clickWidget(QWidget *widget);

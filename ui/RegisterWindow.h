// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QString;
class QWidget;
class RecordListView;
class TADOConnection;
struct TenantTotals;

// What the main window tells the pages it holds, as signals.
class RegisterEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // Every tenant record has just been listed (start-up, 刷新, an add, a
    // delete, an import, a restore).
    void registerListed();
    // data.mdb was replaced by another file (a restore) and is listed afresh.
    void databaseReplaced();
};

// What a page of the main window asks of the window that holds the
// register, so that no page reaches into the main window itself: the
// connection, the record list with the listing on show, and the listings
// the page can ask for. TForm1 implements it.
class RegisterWindow {
public:
    virtual TADOConnection &connection() = 0;
    // The list cursor, the count text, the listing on show, the message panel.
    virtual RecordListView &recordList() = 0;
    virtual RegisterEvents &registerEvents() = 0;
    // The figures of every tenant record as the last full listing read them,
    // added up when first asked for after it: a walk over the rows the list
    // holds, or a read of its own when the list shows something else since.
    virtual const TenantTotals &registerTotals() = 0;
    // The window that dialogs of a page belong to.
    virtual QWidget *dialogParent() = 0;

    // Lists every tenant record again (the full refresh); an error of the
    // refresh shows in the error box. False when it failed.
    virtual bool relistRegister() = 0;
    // After data.mdb was replaced: opens the file afresh and lists it.
    virtual bool reopenRegister() = 0;
    // Shows the register's first page with `listing` run on the record
    // list; one that finds nothing says `nothingFound` and brings the full
    // list back.
    virtual void showNarrowedListing(const std::function<int(RecordListView &)> &listing,
                                     const QString &nothingFound) = 0;

    // 续租 and 退租 of the tenant record whose ID is `tenantId` (made the
    // record list's current row first), or of the current row when 0.
    virtual void renewLease(qint64 tenantId) = 0;
    virtual void endLease(qint64 tenantId) = 0;

protected:
    ~RegisterWindow() = default;
};

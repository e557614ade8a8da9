// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TransferPage.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/SqlStatement.h"
#include "platform/ProgramClock.h"
#include "platform/RegionalFormats.h"
#include "register/RecordListView.h"
#include "sheets/ExportSource.h"
#include "ui/ExportFlow.h"
#include "ui/GuardedConnect.h"
#include "ui/ImportFlow.h"
#include "ui/MessageBoxes.h"
#include "ui/PrintFlow.h"
#include "ui/RegisterWindow.h"
#include "ui/TransferFiles.h"

#include <sqlite3.h>

namespace {

// Tells whether the list cursor's rows change while it lives.
class ListingChangeWatch {
public:
    explicit ListingChangeWatch(TADOQuery *list)
    {
        const auto mark = [this] { changed = true; };
        m_connections << QObject::connect(list, &TADOQuery::aboutToReset, list, mark)
                      << QObject::connect(list, &TADOQuery::rowChanged, list, mark)
                      << QObject::connect(list, &TADOQuery::rowAboutToBeRemoved, list, mark)
                      << QObject::connect(list, &TADOQuery::rowAboutToBeAppended, list, mark);
    }
    ~ListingChangeWatch()
    {
        for (const QMetaObject::Connection &connection : m_connections)
            QObject::disconnect(connection);
    }
    bool changed = false;

private:
    QList<QMetaObject::Connection> m_connections;
};

qint64 registerRowCount(sqlite3 *db)
{
    SqlStatement statement(db, "select count(*) from data");
    return statement.step() == SQLITE_ROW ? statement.columnInt64(0) : 0;
}

} // namespace

TransferPage::TransferPage(RegisterWindow &window, QWidget *parent)
    : QWidget(parent)
    , m_window(window)
{
    setupUi(this);
    // The page's own background shows through the scroll box.
    transferPageScroll->viewport()->setAutoFillBackground(false);
    transferPageContents->setAutoFillBackground(false);

    connectGuarded(exportListingButton, &QPushButton::clicked, this, &TransferPage::exportListing);
    connectGuarded(exportAllButton, &QPushButton::clicked, this, &TransferPage::exportAll);
    connectGuarded(importButton, &QPushButton::clicked, this, &TransferPage::importFromSpreadsheet);
    connectGuarded(printListingButton, &QPushButton::clicked, this, &TransferPage::printListing);
}

TADOQuery &TransferPage::listCursor()
{
    return m_window.recordList().listCursor();
}

bool TransferPage::listingHasRows()
{
    if (listCursor().Active() && listCursor().RecordCount() > 0)
        return true;
    ShowMessage(QStringLiteral("当前列表中没有记录。"));
    return false;
}

void TransferPage::exportListing()
{
    if (!listingHasRows())
        return;
    ListingChangeWatch watch(&listCursor());
    const QString name = listingName(m_window.recordList().shownListing());
    ExportWithDialogs(
        name + QLatin1Char('_') + fileNameDate(), name,
        [this] { return std::make_unique<ResultSetRows>(listCursor().result()); }, &watch.changed);
}

void TransferPage::exportAll()
{
    if (registerRowCount(m_window.connection().handle()) == 0) {
        ShowMessage(QStringLiteral("登记表中没有记录。"));
        return;
    }
    const QString name = QStringLiteral("房客登记");
    ExportWithDialogs(name + QLatin1Char('_') + fileNameDate(), name,
                      [this] { return std::make_unique<RegisterTableRows>(m_window.connection().databaseFile()); });
}

void TransferPage::importFromSpreadsheet()
{
    ImportWithDialogs(m_window);
}

void TransferPage::printListing()
{
    if (!listingHasRows())
        return;
    // The preview lays out every page before it shows the first.
    constexpr int largeListing = 20000;
    const int rows = listCursor().RecordCount();
    if (rows > largeListing
        && !AskYesNo(applicationTitle,
                     QStringLiteral("当前列表有 %1 个记录，打印预览要排好全部页面才能显示，需要较长时间。\n要继续吗？")
                         .arg(rows)))
        return;
    const QString name = listingName(m_window.recordList().shownListing());
    const QString title = name + QStringLiteral("　") + m_window.recordList().countText() + QStringLiteral("　")
        + shortDateText(currentLocalDateTime().date(), regionalFormats());
    PrintWithPreview(listCursor().result(), title, name + QLatin1Char('_') + fileNameDate(), this);
}

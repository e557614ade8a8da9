// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's page 导入导出 and the list actions of the grid's context
// menu: the listing on show, or the whole register, out to a spreadsheet or
// the printer, and tenants in from a spreadsheet.
#include "sheets/ExportSource.h"
#include "db/ADOQuery.h"
#include "db/SqlStatement.h"
#include "platform/ProgramClock.h"
#include "platform/ProgramDirectory.h"
#include "platform/RegionalFormats.h"
#include "ui/ExportFlow.h"
#include "ui/GuardedConnect.h"
#include "ui/ImportFlow.h"
#include "ui/MessageBoxes.h"
#include "ui/PrintFlow.h"
#include "ui/TransferFiles.h"
#include "ui/Unit1.h"

#include <QMenu>

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

bool TForm1::listingHasRows()
{
    if (ADOQuery1->Active() && ADOQuery1->RecordCount() > 0)
        return true;
    ShowMessage(QStringLiteral("当前列表中没有记录。"));
    return false;
}

void TForm1::setUpTransferPage()
{
    // The page's own background shows through the scroll box.
    transferPageScroll->viewport()->setAutoFillBackground(false);
    transferPageContents->setAutoFillBackground(false);

    PopupMenu1->addSeparator();
    exportListingAction = PopupMenu1->addAction(QStringLiteral("导出当前列表…"));
    exportListingAction->setObjectName(QStringLiteral("exportListingAction"));
    printListingAction = PopupMenu1->addAction(QStringLiteral("打印当前列表…"));
    printListingAction->setObjectName(QStringLiteral("printListingAction"));

    connectGuarded(exportListingButton, &QPushButton::clicked, this, &TForm1::exportListing);
    connectGuarded(exportAllButton, &QPushButton::clicked, this, &TForm1::exportAll);
    connectGuarded(importButton, &QPushButton::clicked, this, &TForm1::importFromSpreadsheet);
    connectGuarded(printListingButton, &QPushButton::clicked, this, &TForm1::printListing);
    connectGuarded(exportListingAction, &QAction::triggered, this, &TForm1::exportListing);
    connectGuarded(printListingAction, &QAction::triggered, this, &TForm1::printListing);
}

void TForm1::exportListing()
{
    if (!listingHasRows())
        return;
    ListingChangeWatch watch(ADOQuery1);
    const QString name = listingName(shownListing());
    ExportWithDialogs(
        name + QLatin1Char('_') + fileNameDate(), name,
        [this] { return std::make_unique<ResultSetRows>(ADOQuery1->result()); }, &watch.changed);
}

void TForm1::exportAll()
{
    if (registerRowCount(ADOConnection1->handle()) == 0) {
        ShowMessage(QStringLiteral("登记表中没有记录。"));
        return;
    }
    const QString name = QStringLiteral("房客登记");
    ExportWithDialogs(name + QLatin1Char('_') + fileNameDate(), name,
                      [] { return std::make_unique<RegisterTableRows>(databasePath()); });
}

void TForm1::importFromSpreadsheet()
{
    ImportWithDialogs();
}

void TForm1::printListing()
{
    if (!listingHasRows())
        return;
    // The preview lays out every page before it shows the first.
    constexpr int largeListing = 20000;
    const int rows = ADOQuery1->RecordCount();
    if (rows > largeListing
        && !AskYesNo(applicationTitle,
                     QStringLiteral("当前列表有 %1 个记录，打印预览要排好全部页面才能显示，需要较长时间。\n要继续吗？")
                         .arg(rows)))
        return;
    const QString name = listingName(shownListing());
    const QString title = name + QStringLiteral("　") + countText() + QStringLiteral("　")
        + shortDateText(currentLocalDateTime().date(), regionalFormats());
    PrintWithPreview(ADOQuery1->result(), title, name + QLatin1Char('_') + fileNameDate());
}

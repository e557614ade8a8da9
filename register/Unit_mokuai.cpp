#include "register/Unit_mokuai.h"

#include "db/ADOQuery.h"
#include "db/AppError.h"
#include "platform/TextTrim.h"
#include "register/IntegerText.h"
#include "ui/ListBox.h"
#include "ui/StatusPanels.h"

#include <QLineEdit>
#include <QScopeGuard>
#include <QTableView>

#include <array>

namespace {

constexpr std::array<int, 9> listColumnWidths{50, 90, 60, 70, 65, 80, 80, 120, 120};

const QString fullListSql = QStringLiteral("select * from data");

// Sets the grid's column widths at positions 0 to 8, as every listing does.
void setListColumnWidths(QTableView &grid)
{
    for (int position = 0; position < int(listColumnWidths.size()); ++position) {
        if (position >= grid.model()->columnCount())
            throw AppError(QStringLiteral("Argument out of range"));
        grid.setColumnWidth(position, listColumnWidths[std::size_t(position)]);
    }
}

} // namespace

QString fullListCountText(int count)
{
    return QStringLiteral("共 ") + QString::number(count) + QStringLiteral(" 个记录");
}

int ShowListing(const RecordListView &view, const std::function<ListingStatement()> &statement,
                QString (*countText)(int))
{
    view.list.Close();
    const ListingStatement listing = statement();
    view.list.setSQL(listing.sql, listing.parameters);
    view.list.Open();
    const int count = view.list.RecordCount();
    view.statusBar.setPanelText(1, countText(count));
    setListColumnWidths(view.grid);
    return count;
}

void RefreshList(const RecordListView &view)
{
    ShowListing(view, [] { return ListingStatement{fullListSql}; }, fullListCountText);
}

void FillRentList(const RecordListView &view, TListBox &rentList)
{
    // The new list takes the memory of the old one.
    TextList rents = rentList.takeTexts();
    rents.clear();
    TADOQuery &query = view.list;
    // The rows that RefreshList has just read are the ones it would read
    // again: a full refresh runs its statement once.
    if (!(query.AsOpened() && query.SQL() == fullListSql && query.parameters().isEmpty()))
        RefreshList(view);
    const int count = query.RecordCount();

    rents.reserve(count);
    {
        // The walk moves the current row through every row; the grid is
        // told only where it ends. Each rent is read where the cursor holds
        // it.
        const ControlsDisabled quiet(&query);
        int column = -1;
        for (int pass = 0; pass < count; ++pass) {
            if (query.Eof())
                continue;
            if (column < 0)
                column = query.FieldNo(QStringLiteral("租金"));
            const std::string_view rent = trimmedControls(query.FieldUtf8(column));
            if (!rent.empty())
                rents.append(rent);
            query.Next();
        }
    }
    rentList.setTexts(std::move(rents));
}

void SumRentList(const TListBox &rentList, QLineEdit &rentTotal)
{
    const TextList &rents = rentList.texts();
    qint64 total = 0;
    // The total shows the sum so far also when an entry fails to convert.
    const auto showTotal = qScopeGuard([&] { rentTotal.setText(QString::number(total)); });
    for (int i = 0; i < rents.size(); ++i)
        total += integerFromUtf8(rents.at(i));
}

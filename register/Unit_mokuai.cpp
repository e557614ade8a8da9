// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/Unit_mokuai.h"

#include "db/ADOQuery.h"
#include "db/AppError.h"
#include "platform/TextTrim.h"
#include "register/IntegerText.h"
#include "register/TextList.h"

#include <QScopeGuard>

#include <array>

namespace {

constexpr std::array<int, 9> listColumnWidths{50, 90, 60, 70, 65, 80, 80, 120, 120};

const QString fullListSql = QStringLiteral("select * from data");

// Sets the list's column widths at positions 0 to 8, as every listing does.
void setListColumnWidths(RecordListView &view)
{
    const int columns = view.listCursor().result().columnCount();
    for (int position = 0; position < int(listColumnWidths.size()); ++position) {
        if (position >= columns)
            throw AppError(QStringLiteral("Argument out of range"));
        view.setColumnWidth(position, listColumnWidths[std::size_t(position)]);
    }
}

} // namespace

QString fullListCountText(int count)
{
    return QStringLiteral("共 ") + QString::number(count) + QStringLiteral(" 个记录");
}

bool fullListIsEmpty(const RecordListView &view)
{
    return view.countText() == fullListCountText(0);
}

int ShowListing(RecordListView &view, ListingKind kind, const std::function<ListingStatement()> &statement,
                QString (*countText)(int))
{
    TADOQuery &list = view.listCursor();
    list.Close();
    const ListingStatement listing = statement();
    list.setSQL(listing.sql, listing.parameters);
    list.Open();
    const int count = list.RecordCount();
    view.setCountText(countText(count));
    view.setShownListing(kind);
    setListColumnWidths(view);
    return count;
}

void RefreshList(RecordListView &view)
{
    ShowListing(view, ListingKind::FullList, [] { return ListingStatement{fullListSql}; }, fullListCountText);
}

void FillRentList(RecordListView &view)
{
    // The new list takes the memory of the old one.
    TextList rents = view.takeRentTexts();
    rents.clear();
    TADOQuery &query = view.listCursor();
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
    view.setRentTexts(std::move(rents));
}

void SumRentList(RecordListView &view)
{
    const TextList &rents = view.rentTexts();
    qint64 total = 0;
    // The total shows the sum so far also when an entry fails to convert.
    const auto showTotal = qScopeGuard([&] { view.setRentTotal(QString::number(total)); });
    for (int i = 0; i < rents.size(); ++i)
        total += integerFromUtf8(rents.at(i));
}

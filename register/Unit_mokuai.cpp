#include "register/Unit_mokuai.h"

#include "db/ADOQuery.h"
#include "db/AppError.h"
#include "register/IntegerText.h"
#include "ui/ListBox.h"
#include "ui/StatusPanels.h"

#include <QLineEdit>
#include <QScopeGuard>
#include <QTableView>

#include <array>

namespace {

constexpr std::array<int, 9> listColumnWidths{50, 90, 60, 70, 65, 80, 80, 120, 120};

// Trims every character of code 32 or less (blanks and control characters)
// from both ends.
QString trimmedControls(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 32)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 32)
        --last;
    return text.mid(first, last - first);
}

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
    ShowListing(view, [] { return ListingStatement{QStringLiteral("select * from data")}; }, fullListCountText);
}

void FillRentList(const RecordListView &view, TListBox &rentList)
{
    rentList.Clear();
    RefreshList(view);
    TADOQuery &query = view.list;
    const int count = query.RecordCount();

    QStringList rents;
    {
        // The walk moves the current row through every row; the grid is
        // told only where it ends.
        const ControlsDisabled quiet(&query);
        for (int pass = 0; pass < count; ++pass) {
            if (query.Eof())
                continue;
            const QString rent = trimmedControls(query.FieldAsText(QStringLiteral("租金")));
            if (!rent.isEmpty())
                rents << rent;
            query.Next();
        }
    }
    rentList.setItems(std::move(rents));
}

void SumRentList(const TListBox &rentList, QLineEdit &rentTotal)
{
    const QStringList rents = rentList.Items();
    qint64 total = 0;
    // The total shows the sum so far also when an entry fails to convert.
    const auto showTotal = qScopeGuard([&] { rentTotal.setText(QString::number(total)); });
    for (const QString &rent : rents)
        total += integerFromText(rent);
}

#include "register/Unit_mokuai.h"

#include "db/ADOQuery.h"
#include "db/AppError.h"
#include "register/IntegerText.h"
#include "ui/Unit1.h"

#include <QScopeGuard>

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

} // namespace

QString fullListCountText(int count)
{
    return QStringLiteral("共 ") + QString::number(count) + QStringLiteral(" 个记录");
}

void SetListColumnWidths()
{
    TDBGrid *grid = Form1->DBGrid1;
    for (int position = 0; position < int(listColumnWidths.size()); ++position) {
        if (position >= grid->model()->columnCount())
            throw AppError(QStringLiteral("Argument out of range"));
        grid->setColumnWidth(position, listColumnWidths[std::size_t(position)]);
    }
}

void RefreshList()
{
    TADOQuery *query = Form1->ADOQuery1;
    query->Close();
    query->setSQL(QStringLiteral("select * from data"));
    query->Open();
    Form1->StatusBar1->setPanelText(1, fullListCountText(query->RecordCount()));
    SetListColumnWidths();
}

void FillRentList()
{
    Form1->ListBoxtjzhichu->Clear();
    RefreshList();
    TADOQuery *query = Form1->ADOQuery1;
    const int count = query->RecordCount();

    QStringList rents;
    {
        // The walk moves the current row through every row; the grid is
        // told only where it ends.
        const ControlsDisabled quiet(query);
        for (int pass = 0; pass < count; ++pass) {
            if (query->Eof())
                continue;
            const QString rent = trimmedControls(query->FieldAsText(QStringLiteral("租金")));
            if (!rent.isEmpty())
                rents << rent;
            query->Next();
        }
    }
    Form1->ListBoxtjzhichu->setItems(std::move(rents));
}

void SumRentList()
{
    const QStringList rents = Form1->ListBoxtjzhichu->Items();
    qint64 total = 0;
    // The total shows the sum so far also when an entry fails to convert.
    const auto showTotal = qScopeGuard([&total] { Form1->Edittjzhichu->setText(QString::number(total)); });
    for (const QString &rent : rents)
        total += integerFromText(rent);
}

void FullRefresh()
{
    RefreshList();
    FillRentList();
    SumRentList();
}

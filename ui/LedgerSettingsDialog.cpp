// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LedgerSettingsDialog.h"

#include "ledger/LedgerSettings.h"
#include "ledger/LedgerWrite.h"
#include "ledger/RateModels.h"
#include "ui/GuardedConnect.h"
#include "ui/LedgerTables.h"
#include "ui/MessageBoxes.h"
#include "ui/MonthEdit.h"
#include "ui/RegisterWindow.h"

#include <QKeyEvent>

namespace {

// The amount typed, or nothing after saying what is wrong with it.
std::optional<Fen> typedAmount(QLineEdit *edit)
{
    QString problem;
    const std::optional<Fen> amount = parseYuan(edit->text(), &problem);
    if (!amount) {
        ShowMessage(problem + QStringLiteral("。"));
        edit->setFocus();
    }
    return amount;
}

} // namespace

LedgerSettingsDialog::LedgerSettingsDialog(RegisterWindow &window, const LedgerMonth &month, QWidget *parent)
    : QDialog(parent)
    , m_window(window)
{
    setupUi(this);
    m_prices = new PriceListModel(this);
    m_fees = new FeeListModel(this);
    priceTable->setModel(m_prices);
    feeTable->setModel(m_fees);
    setUpLedgerTable(priceTable, {100, 100, 120});
    setUpLedgerTable(feeTable, {100, 100, 120});
    for (const Meter meter : meters)
        priceMeterBox->addItem(chargeName(meter));
    setUpMonthEdit(priceMonthEdit, month);
    setUpMonthEdit(feeMonthEdit, month);
    connect(priceMeterBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        priceUnitLabel->setText(QStringLiteral("元/") + unitName(Meter(index)));
    });
    connectGuarded(setPriceButton, &QPushButton::clicked, this, &LedgerSettingsDialog::setPrice);
    connectGuarded(setFeeButton, &QPushButton::clicked, this, &LedgerSettingsDialog::setFee);
    connectGuarded(setPayeeButton, &QPushButton::clicked, this, &LedgerSettingsDialog::setPayee);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    // Enter in a box of a row sets that row's price or fee.
    for (QWidget *box : std::initializer_list<QWidget *>{priceMeterBox, priceMonthEdit, priceEdit, feeNameBox, feeRoomEdit,
                                                         feeAmountEdit, feeMonthEdit, payeeEdit})
        box->installEventFilter(this);
    reload();
}

bool LedgerSettingsDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const bool priceRow = watched == priceMeterBox || watched == priceMonthEdit || watched == priceEdit;
            (watched == payeeEdit ? setPayeeButton : priceRow ? setPriceButton : setFeeButton)->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void LedgerSettingsDialog::reload()
{
    const LedgerRead file(m_window.connection());
    m_rates = Rates::read(file.db, file.exists);
    m_generation = file.generation;
    m_prices->setRows(m_rates.prices());
    m_fees->setRows(m_rates.fees());
    payeeEdit->setText(readPayee(file.db));
}

void LedgerSettingsDialog::setPrice()
{
    const std::optional<Fen> price = typedAmount(priceEdit);
    if (!price)
        return;
    const Meter meter = Meter(priceMeterBox->currentIndex());
    const LedgerMonth from = monthOf(priceMonthEdit);
    const QString what = QStringLiteral("%1起的%2单价").arg(from.text(), chargeName(meter));
    if (*price == 0
        && !AskYesNo(applicationTitle, QStringLiteral("%1为 0 元，这些月份将不收%2。确定吗？").arg(what, chargeName(meter)), this))
        return;
    const PriceChange *replaced = m_rates.priceFrom(meter, from);
    if (replaced
        && !AskYesNo(applicationTitle,
                     QStringLiteral("%1已是 %2 元，改为 %3 元吗？").arg(what, yuanText(replaced->unitFen), yuanText(*price)),
                     this))
        return;
    ::setPrice(m_window.connection(), m_generation, meter, from, *price, replaced);
    priceEdit->clear();
    reload();
}

void LedgerSettingsDialog::setFee()
{
    const QString name = feeNameBox->currentText().trimmed();
    if (name.isEmpty()) {
        ShowMessage(QStringLiteral("请填写费用的名称。"));
        return;
    }
    const std::optional<Fen> amount = typedAmount(feeAmountEdit);
    if (!amount)
        return;
    const QString room = feeRoomEdit->text().trimmed();
    const LedgerMonth from = monthOf(feeMonthEdit);
    const QString where = room.isEmpty() ? QStringLiteral("全部房间") : QStringLiteral("房间 %1").arg(room);
    const FeeChange *replaced = m_rates.feeFrom(name, room, from);
    if (replaced
        && !AskYesNo(applicationTitle,
                     QStringLiteral("%1起%2的%3已是 %4 元，改为 %5 元吗？")
                         .arg(from.text(), where, name, yuanText(replaced->monthlyFen), yuanText(*amount)),
                     this))
        return;
    ::setFee(m_window.connection(), m_generation, name, room, from, *amount, replaced);
    feeAmountEdit->clear();
    reload();
}

void LedgerSettingsDialog::setPayee()
{
    ::setPayee(m_window.connection(), m_generation, payeeEdit->text());
    reload();
}

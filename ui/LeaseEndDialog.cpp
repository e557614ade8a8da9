// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LeaseEndDialog.h"

#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/PlainAmount.h"
#include "ledger/LedgerWrite.h"
#include "platform/ProgramClock.h"
#include "register/RecordListView.h"
#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"
#include "ui/RegisterWindow.h"
#include "ui/ShownTenant.h"
#include "ui/Unit_del_trueorfalse.h"

namespace {

// A plain whole amount of the register ("1000") as fen; empty otherwise.
QString plainRegisterAmount(const QString &text)
{
    long long amount = 0;
    return readPlainAmount(text.toStdString(), amount) && amount >= 0 ? QString::number(amount) : QString();
}

Fen amountIn(const QLineEdit *box, const QString &caption, bool blankIsZero)
{
    QString problem;
    if (box->text().trimmed().isEmpty() && blankIsZero)
        return 0;
    const std::optional<Fen> amount = parseYuan(box->text(), &problem);
    if (!amount)
        throw AppError(QStringLiteral("%1：%2").arg(caption, problem));
    return *amount;
}

std::optional<qint64> readingIn(const QLineEdit *box, const QString &caption)
{
    if (box->text().trimmed().isEmpty())
        return std::nullopt;
    QString problem;
    const std::optional<qint64> reading = parseReading(box->text(), &problem);
    if (!reading)
        throw AppError(QStringLiteral("%1：%2").arg(caption, problem));
    return reading;
}

} // namespace

LeaseEndDialog::LeaseEndDialog(RegisterWindow &window, QWidget *parent)
    : QDialog(parent)
    , m_window(window)
{
    setupUi(this);
    // The boxes' first row below their titles.
    for (QGroupBox *group : {finalBillGroup, depositGroup})
        group->setStyleSheet(QStringLiteral("QGroupBox { padding-top: 12px; }"));
    const ShownTenant tenant = shownTenant(window.recordList().listCursor());
    m_tenant.tenantId = tenant.id;
    m_tenant.tenantName = tenant.name;
    m_tenant.room = tenant.room;
    m_tenant.depositText = tenant.deposit;
    tenantLabel->setText(QStringLiteral("%1　房号 %2　租金 %3　押金 %4")
                             .arg(tenant.name, tenant.room.isEmpty() ? QStringLiteral("无") : tenant.room,
                                  tenant.rent.isEmpty() ? QStringLiteral("无") : tenant.rent,
                                  tenant.deposit.isEmpty() ? QStringLiteral("无") : tenant.deposit));
    movedOutEdit->setDate(currentLocalDateTime().date());
    monthlyRentEdit->setText(plainRegisterAmount(tenant.rent));
    depositEdit->setText(plainRegisterAmount(tenant.deposit));
    // Without a room there are no meters to read.
    finalWaterEdit->setEnabled(!tenant.room.isEmpty());
    finalElectricityEdit->setEnabled(!tenant.room.isEmpty());

    for (QLineEdit *box : {monthlyRentEdit, finalWaterEdit, finalElectricityEdit, depositEdit, keptEdit})
        connectGuarded(box, &QLineEdit::textChanged, this, &LeaseEndDialog::showSettlement);
    connectGuarded(movedOutEdit, &QDateEdit::dateChanged, this, &LeaseEndDialog::showSettlement);
    connectGuarded(byDaysButton, &QRadioButton::toggled, this, &LeaseEndDialog::showSettlement);
    connectGuarded(endLeaseButton, &QPushButton::clicked, this, &LeaseEndDialog::endLease);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    showSettlement();
}

LeaseEnd LeaseEndDialog::enteredEnd() const
{
    LeaseEnd end = m_tenant;
    end.movedOut = movedOutEdit->date();
    end.byDays = byDaysButton->isChecked();
    if (!monthlyRentEdit->text().trimmed().isEmpty())
        end.monthlyRent = amountIn(monthlyRentEdit, QStringLiteral("月租金"), false);
    end.finalWater = readingIn(finalWaterEdit, QStringLiteral("水表终表读数"));
    end.finalElectricity = readingIn(finalElectricityEdit, QStringLiteral("电表终表读数"));
    end.deposit = amountIn(depositEdit, QStringLiteral("押金"), true);
    end.kept = amountIn(keptEdit, QStringLiteral("扣留"), true);
    end.keptReason = keptReasonEdit->text().trimmed();
    if (end.kept > end.deposit)
        throw AppError(QStringLiteral("扣留的押金不能超过押金"));
    return end;
}

void LeaseEndDialog::showSettlement()
{
    const QDate day = movedOutEdit->date();
    byDaysButton->setText(QStringLiteral("按天计算（%1 天 / %2 天）").arg(day.day()).arg(day.daysInMonth()));
    try {
        const LeaseEnd end = enteredEnd();
        const SettlementPreview preview = previewLeaseEnd(m_window.connection().handle(), end);
        QStringList lines;
        for (const BillLine &line : preview.lines)
            lines << QStringLiteral("%1 %2 元").arg(line.label, yuanText(line.amount.value_or(0)));
        QString text = QStringLiteral("结算账单（%1）：%2，合计 %3 元")
                           .arg(preview.month.text(),
                                lines.isEmpty() ? QStringLiteral("无") : lines.join(QStringLiteral("，")),
                                yuanText(preview.finalTotal));
        if (preview.monthBilled)
            text += QStringLiteral("\n本月账单已生成，房租已在其中，结算账单不再计房租。");
        text += QStringLiteral("\n其他账单未收 %1 元；共欠 %2 元。").arg(yuanText(preview.owedBefore), yuanText(preview.owed()));
        const Fen balance = preview.balance(end.deposit, end.kept);
        text += QStringLiteral("\n押金 %1 元，扣留 %2 元。").arg(yuanText(end.deposit), yuanText(end.kept));
        text += balance >= 0 ? QStringLiteral("\n结余：应退还房客 %1 元。").arg(yuanText(balance))
                             : QStringLiteral("\n结余：房客还应补交 %1 元。").arg(yuanText(-balance));
        summaryLabel->setText(text);
        summaryLabel->setStyleSheet(QString());
        endLeaseButton->setEnabled(true);
    } catch (const AppError &error) {
        summaryLabel->setText(error.text());
        summaryLabel->setStyleSheet(QStringLiteral("color: #c01010"));
        endLeaseButton->setEnabled(false);
    }
}

void LeaseEndDialog::endLease()
{
    const LeaseEnd end = enteredEnd();
    const SettlementPreview shown = previewLeaseEnd(m_window.connection().handle(), end);
    const Fen balance = shown.balance(end.deposit, end.kept);
    const QString question =
        QStringLiteral("为 %1%2 办理退租（%3）？\n%4\n\n登记表中的这条记录将被删除；账单、收款和结算留在账本中。")
            .arg(end.tenantName, end.room.isEmpty() ? QString() : QStringLiteral("（%1）").arg(end.room),
                 end.movedOut.toString(QStringLiteral("yyyy/M/d")),
                 balance >= 0 ? QStringLiteral("应退还房客 %1 元。").arg(yuanText(balance))
                              : QStringLiteral("房客还应补交 %1 元。").arg(yuanText(-balance)));
    if (!AskYesNo(QStringLiteral("退租"), question, this))
        return;
    if (shownTenant(m_window.recordList().listCursor()).id != end.tenantId)
        throw AppError(QStringLiteral("列表中选中的房客已经变了，没有退租"));
    recordLeaseEnd(m_window.connection(), end, &shown);
    // The register's own delete: exactly the row shown, or its error (the
    // settlement then stays, and 退租 again replaces it).
    deleteCurrentRecord();
    m_window.recordList().setMessageText(QStringLiteral("%1 已退租").arg(end.tenantName));
    accept();
}

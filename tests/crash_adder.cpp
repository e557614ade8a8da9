// SPDX-License-Identifier: GPL-3.0-or-later
// Works on a register through the real windows, one step after another,
// until it is killed, and says on stdout which steps the program reported
// as done, so that the test that kills it can check them:
//
//   crash_adder <program directory>
//       adds tenants through the add page; after each add the program
//       reports (the message panel reads "<name>添加成功!") it prints
//       "ADDED <name>";
//   crash_adder <program directory> --restore <backup> <backup>
//       restores the two backups in turn from the page 数据备份; after each
//       restore the program reports it prints "RESTORED <safety backup>",
//       the name data.mdb was kept under first;
//   crash_adder <program directory> --pay
//       records payments of 0.01 元 against this month's bills in turn from
//       the page 收租; after each payment the program reports (the message
//       panel names its number) it prints "PAID <number>";
//   crash_adder <program directory> --receipts
//       gives the payments their receipts in turn, as 收据 does, again and
//       again; after each receipt it prints "RECEIPT <payment> <number>"
//       the first time, "REPRINT <payment> <number>" after.
#include "platform/ProgramDirectory.h"
#include "platform/RegionalFormats.h"
#include "support/ModalBoxes.h"
#include "ledger/BillListModel.h"
#include "ledger/LedgerStatement.h"
#include "ledger/Receipts.h"
#include "ui/PaymentDialog.h"
#include "ui/ProgramWindows.h"
#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"

#include <QApplication>
#include <QRegularExpression>

#include <cstdio>

namespace {

void report(const char *step, const QString &what)
{
    std::printf("%s %s\n", step, what.toUtf8().constData());
    std::fflush(stdout);
}

[[noreturn]] void addTenants()
{
    for (long i = 0;; ++i) {
        const QString name = QStringLiteral("租客%1-%2").arg(QCoreApplication::applicationPid()).arg(i);
        Form1->Buttonaddnewinfo->click();
        Form2->ComboBox_XingMing->setEditText(name);
        Form2->ComboBox_FangHao->setEditText(QString::number(100 + i % 900));
        Form2->Buttonaddinfo->click();
        if (Form1->StatusBar1->panelText(4) == name + QStringLiteral("添加成功!"))
            report("ADDED", name);
    }
}

[[noreturn]] void restoreInTurn(const QStringList &backups)
{
    static const QRegularExpression kept(QStringLiteral("已恢复备份.*\n恢复前的数据库已备份为“(.+)”。"));
    Form1->PageControl1->setCurrentWidget(Form1->TabSheet3);
    for (long i = 0;; ++i) {
        const auto found = Form1->restoreGroup->backupList->findItems(backups.at(i % 2), Qt::MatchExactly);
        if (found.isEmpty())
            std::exit(3);
        Form1->restoreGroup->backupList->setCurrentItem(found.first());
        const auto boxes = runAnsweringBoxes([] { Form1->restoreGroup->restoreButton->click(); }, {QStringLiteral("&Yes")});
        if (const auto match = kept.match(boxes.value(1).text); match.hasMatch())
            report("RESTORED", match.captured(1));
    }
}

[[noreturn]] void payInTurn()
{
    static const QRegularExpression recorded(QStringLiteral("已付，收款编号 (\\d+)$"));
    RentRoundPage *page = Form1->rentRoundPage;
    Form1->PageControl1->setCurrentWidget(page);
    const DialogWork pay = [](QDialog *dialog) {
        auto *payment = qobject_cast<PaymentDialog *>(dialog);
        payment->amountEdit->setText(QStringLiteral("0.01"));
        payment->acceptPaymentButton->click();
    };
    for (long i = 0;; ++i) {
        if (page->billModel()->rowCount() == 0)
            std::exit(3);
        page->billTable->setCurrentIndex(page->billModel()->index(int(i % page->billModel()->rowCount()), 0));
        Form1->StatusBar1->setPanelText(4, QString());
        runAnsweringBoxes([page] { page->recordPaymentButton->click(); }, {}, {pay});
        if (const auto match = recorded.match(Form1->StatusBar1->panelText(4)); match.hasMatch())
            report("PAID", match.captured(1));
    }
}

[[noreturn]] void receiptsInTurn()
{
    std::vector<qint64> bills;
    LedgerStatement payments(Form1->connection().handle(), "SELECT bill_id FROM ledger_payment ORDER BY id");
    while (payments.next())
        bills.push_back(payments.integer(0));
    if (bills.empty())
        std::exit(3);
    for (std::size_t i = 0;; ++i) {
        const std::optional<BillDetail> detail = readBill(Form1->connection().handle(), bills[i % bills.size()]);
        for (const Payment &payment : detail->payments) {
            const Receipt receipt = issueReceipt(Form1->connection(), Form1->connection().generation(), payment);
            report(receipt.reprint() ? "REPRINT" : "RECEIPT", QStringLiteral("%1 %2").arg(payment.id).arg(receipt.number));
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const bool paying = arguments.size() == 3 && arguments.at(2) == QStringLiteral("--pay");
    const bool receipts = arguments.size() == 3 && arguments.at(2) == QStringLiteral("--receipts");
    if (arguments.size() != 2 && !paying && !receipts && !(arguments.size() == 5 && arguments.at(2) == QStringLiteral("--restore")))
        return 2;
    setProgramDirectory(arguments.at(1));
    setRegionalFormats(RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss"));
    createProgramWindows();
    if (arguments.size() == 5)
        restoreInTurn(arguments.mid(3));
    if (paying)
        payInTurn();
    if (receipts)
        receiptsInTurn();
    addTenants();
}

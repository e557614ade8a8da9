// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MeterReadingDialog.h"

#include "ledger/MeterReadingModel.h"
#include "platform/RegionalFormats.h"
#include "ui/GuardedConnect.h"
#include "ui/LedgerTables.h"
#include "ui/MessageBoxes.h"
#include "ui/RegisterWindow.h"
#include "ui/ShortInputDialog.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace {

// The editor of a reading: Enter saves it through the dialog and moves down
// to the same meter of the next room; a reading the dialog did not save
// stays in the editor to be typed again. Leaving the cell otherwise saves
// it too. While the dialog asks or explains, the editor's lost focus saves
// nothing.
class ReadingDelegate : public QStyledItemDelegate {
public:
    ReadingDelegate(MeterReadingDialog *dialog, QTableView *table)
        : QStyledItemDelegate(table)
        , m_dialog(dialog)
        , m_table(table)
    {
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        if (m_busy)
            return;
        const QString text = static_cast<QLineEdit *>(editor)->text();
        m_busy = true;
        runGuarded("ReadingDelegate::setModelData", [&] { m_dialog->enterReading(index, text); });
        m_busy = false;
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *editor = qobject_cast<QLineEdit *>(object);
        if (!editor)
            return QStyledItemDelegate::eventFilter(object, event);
        if (m_busy && (event->type() == QEvent::FocusOut || event->type() == QEvent::Hide))
            return false;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                saveAndMoveDown(editor);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    void saveAndMoveDown(QLineEdit *editor)
    {
        const QModelIndex cell = m_table->currentIndex();
        bool saved = false;
        m_busy = true;
        runGuarded("ReadingDelegate, on Enter", [&] { saved = m_dialog->enterReading(cell, editor->text()); });
        if (!saved) {
            m_busy = false;
            editor->setFocus();
            editor->selectAll();
            return;
        }
        // Closing the editor asks for its data once more: it is saved.
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        m_busy = false;
        const QModelIndex below = cell.sibling(cell.row() + 1, cell.column());
        if (below.isValid()) {
            m_table->setCurrentIndex(below);
            m_table->edit(below);
        }
    }

    MeterReadingDialog *m_dialog;
    QTableView *m_table;
    mutable bool m_busy = false;
};

} // namespace

MeterReadingDialog::MeterReadingDialog(RegisterWindow &window, const LedgerMonth &month, QWidget *parent)
    : QDialog(parent)
    , m_window(window)
{
    setupUi(this);
    setWindowTitle(QStringLiteral("抄表 - %1").arg(month.text()));
    m_sheet = new MeterReadingModel(this);
    m_sheet->read(window.connection(), month, regionalFormats());
    readingTable->setModel(m_sheet);
    readingTable->setItemDelegate(new ReadingDelegate(this, readingTable));
    // Typing starts a reading at once; a click on the current cell waiting
    // for a double click would swallow the first keys.
    readingTable->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                  | QAbstractItemView::AnyKeyPressed);
    setUpLedgerTable(readingTable, {60, 90, 78, 78, 68, 68, 78, 78, 68, 68});
    readingTable->installEventFilter(this);
    if (m_sheet->rowCount() > 0)
        readingTable->setCurrentIndex(m_sheet->index(0, MeterReadingModel::WaterCurrent));

    connectGuarded(addRoomButton, &QPushButton::clicked, this, &MeterReadingDialog::addRoom);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

bool MeterReadingDialog::enterReading(const QModelIndex &cell, const QString &text)
{
    const std::optional<Meter> meter = MeterReadingModel::meterOfColumn(cell.column());
    if (!cell.isValid() || !meter)
        return true;
    const MeterSheetRow &row = m_sheet->rowAt(cell.row());
    const MeterMonth &shown = row.meters.meter(*meter);
    ReadingEntry entry{row.room, *meter, m_sheet->month(), {}, false, row.meters};
    const QString meterName = *meter == Meter::Water ? QStringLiteral("水表") : QStringLiteral("电表");

    if (text.trimmed().isEmpty()) {
        if (!shown.current)
            return true;
        if (!AskYesNo(applicationTitle,
                      QStringLiteral("删除 %1 在%2的%3读数 %4 吗？")
                          .arg(row.room, m_sheet->month().text(), meterName, readingText(shown.current->value)),
                      this))
            return false;
    } else {
        QString problem;
        entry.value = parseReading(text, &problem);
        if (!entry.value) {
            ShowMessage(problem + QStringLiteral("。"));
            return false;
        }
        if (shown.current && shown.current->value == *entry.value)
            return true;
        if (shown.previous && *entry.value < shown.previous->value) {
            QMessageBox question(QMessageBox::Question, applicationTitle,
                                 QStringLiteral("%1 的本次%2读数 %3 比上次（%4）的 %5 小。\n"
                                                "是换了新表（这一读数作为新表的起点，本月不计用量），还是输错了？")
                                     .arg(row.room, meterName, readingText(*entry.value),
                                          shown.previous->month.text(), readingText(shown.previous->value)),
                                 QMessageBox::NoButton, this, programBoxFlags());
            QPushButton *replaced = question.addButton(QStringLiteral("换了新表"), QMessageBox::AcceptRole);
            QPushButton *mistyped = question.addButton(QStringLiteral("输错了"), QMessageBox::RejectRole);
            question.setDefaultButton(mistyped);
            question.setEscapeButton(mistyped);
            question.exec();
            if (question.clickedButton() != replaced)
                return false;
            entry.newStart = true;
        }
    }
    ::enterReading(m_window.connection(), m_sheet->generation(), entry);
    m_sheet->rereadRoom(m_window.connection(), cell.row());
    return true;
}

void MeterReadingDialog::addRoom()
{
    const std::optional<QString> room = askShortText(
        QStringLiteral("添加房间"), QStringLiteral("房号（登记表中没有租客的房间也可以抄表）："),
        [](const QString &text) { return text.isEmpty() ? QStringLiteral("请填写房号") : QString(); }, this);
    if (!room)
        return;
    if (!addRoomByHand(m_window.connection(), m_sheet->generation(), *room))
        ShowMessage(QStringLiteral("房间 %1 已在列表中。").arg(*room));
    m_sheet->read(m_window.connection(), m_sheet->month(), regionalFormats());
    for (int row = 0; row < m_sheet->rowCount(); ++row) {
        if (m_sheet->rowAt(row).room == *room)
            readingTable->setCurrentIndex(m_sheet->index(row, MeterReadingModel::WaterCurrent));
    }
}

bool MeterReadingDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on the sheet, not editing, starts typing the current reading.
    if (watched == readingTable && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            readingTable->edit(readingTable->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

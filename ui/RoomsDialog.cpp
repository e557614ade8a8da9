// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RoomsDialog.h"

#include "ledger/LedgerWrite.h"
#include "ledger/RoomDefaultRent.h"
#include "ledger/RoomRosterModel.h"
#include "platform/ProgramClock.h"
#include "ui/GuardedConnect.h"
#include "ui/LedgerTables.h"
#include "ui/MessageBoxes.h"
#include "ui/RegisterWindow.h"
#include "ui/ShortInputDialog.h"

namespace {

// A default rent as typed: nothing typed is no default rent.
QString rentProblem(const QString &text)
{
    QString problem;
    if (!text.isEmpty() && !parseYuan(text, &problem))
        return problem;
    return {};
}

std::optional<Fen> typedRent(const QString &text)
{
    QString problem;
    return text.isEmpty() ? std::nullopt : parseYuan(text, &problem);
}

} // namespace

RoomsDialog::RoomsDialog(RegisterWindow &window, QWidget *parent)
    : QDialog(parent)
    , m_window(window)
{
    setupUi(this);
    m_rooms = new RoomRosterModel(this);
    roomTable->setModel(m_rooms);
    setUpLedgerTable(roomTable, {70, 180, 70, 90, 80});
    connectGuarded(roomFilterBox, &QComboBox::currentIndexChanged, this,
                   [this](int index) { m_rooms->setFilter(RoomRosterModel::Filter(index)); });
    connectGuarded(addRoomButton, &QPushButton::clicked, this, &RoomsDialog::addRoom);
    connectGuarded(defaultRentButton, &QPushButton::clicked, this, &RoomsDialog::setDefaultRent);
    connectGuarded(roomTable, &QAbstractItemView::doubleClicked, this, &RoomsDialog::setDefaultRent);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    reload();
}

void RoomsDialog::reload()
{
    const QModelIndex current = roomTable->currentIndex();
    const QString chosen = current.isValid() ? m_rooms->rowAt(current.row()).room : QString();
    const LedgerRead file(m_window.connection());
    const QDate today = currentLocalDateTime().date();
    m_rooms->setRooms(readRoomRoster(file.db, file.exists, today, regionalFormats()), today, regionalFormats(),
                      file.generation);
    const Occupancy occupancy = occupancyOf(m_rooms->allRooms());
    summaryLabel->setText(occupancy.known == 0
                              ? QStringLiteral("还没有房间：登记表中的房号、抄过表的房间和手动添加的房间都会列在这里。")
                              : QStringLiteral("共 %1 个房间：在租 %2 个，空置 %3 个，出租率 %4。")
                                    .arg(occupancy.known)
                                    .arg(occupancy.let)
                                    .arg(occupancy.known - occupancy.let)
                                    .arg(occupancy.rateText()));
    choose(chosen);
}

void RoomsDialog::choose(const QString &room)
{
    if (const int row = m_rooms->rowOfRoom(room); row >= 0)
        roomTable->setCurrentIndex(m_rooms->index(row, 0));
}

void RoomsDialog::addRoom()
{
    const std::optional<QString> room = askShortText(
        QStringLiteral("添加房间"), QStringLiteral("房号（登记表中没有租客的房间也可以添加）："),
        [](const QString &text) { return text.isEmpty() ? QStringLiteral("请填写房号") : QString(); }, this);
    if (!room)
        return;
    const std::optional<QString> rent = askShortText(QStringLiteral("添加房间"),
                                                     QStringLiteral("房间 %1 的默认租金（元，可以不填）：").arg(*room),
                                                     rentProblem, this);
    if (!rent)
        return;
    if (!addRoomWithRent(m_window.connection(), m_rooms->generation(), *room, typedRent(*rent)))
        ShowMessage(QStringLiteral("房间 %1 已在列表中。").arg(*room));
    reload();
    if (m_rooms->rowOfRoom(*room) < 0)
        roomFilterBox->setCurrentIndex(int(RoomRosterModel::Filter::All));
    choose(*room);
}

void RoomsDialog::setDefaultRent()
{
    const QModelIndex current = roomTable->currentIndex();
    if (!current.isValid()) {
        ShowMessage(QStringLiteral("请先在列表中选中一个房间。"));
        return;
    }
    const RoomStatus room = m_rooms->rowAt(current.row());
    const std::optional<QString> rent = askShortText(
        QStringLiteral("默认租金"), QStringLiteral("房间 %1 的默认租金（元，不填则清除）：").arg(room.room), rentProblem,
        this, room.defaultRent ? plainYuanText(*room.defaultRent) : QString());
    if (!rent)
        return;
    setRoomDefaultRent(m_window.connection(), m_rooms->generation(), room.room, room.defaultRent, typedRent(*rent));
    reload();
}

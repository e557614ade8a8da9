// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui_RoomsDialog.h"

#include <QDialog>

class RegisterWindow;
class RoomRosterModel;

// 房间: every room the program knows, with its tenants or 空置 and how long
// it has stood empty; 空置房间 lists only the empty ones. Rooms are added by
// hand here too, and a room's default rent set.
class RoomsDialog : public QDialog, public Ui::RoomsDialog {
    Q_OBJECT
public:
    RoomsDialog(RegisterWindow &window, QWidget *parent = nullptr);

    RoomRosterModel *model() const { return m_rooms; }
    // Reads the rooms from the file again, the chosen one kept chosen.
    void reload();
    void addRoom();
    void setDefaultRent();

private:
    void choose(const QString &room);

    RegisterWindow &m_window;
    RoomRosterModel *m_rooms = nullptr;
};

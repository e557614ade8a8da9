// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Unit_del_trueorfalse.h"

#include "db/ADOQuery.h"
#include "register/Unit_mokuai.h"
#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"
#include "ui/ToolWindow.h"
#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"

#include <QShowEvent>

TForm3 *Form3 = nullptr;

TForm3::TForm3(QWidget *parent)
    : QWidget(parent, toolWindowFlags(Qt::WindowCloseButtonHint))
{
    Form3 = this;
    setupUi(this);
    setFixedSize(size());  // the layout's size
    setWindowIcon(QIcon(QStringLiteral(":/icons/DeleteConfirm.png")));

    connectGuarded(Buttondelyes, &QPushButton::clicked, this, &TForm3::ButtondelyesClick);
    connectGuarded(Buttonnodel, &QPushButton::clicked, this, &TForm3::ButtonnodelClick);
}

TForm3::~TForm3()
{
    if (Form3 == this)
        Form3 = nullptr;
}

void TForm3::showConfirmation()
{
    showToolWindow(this);
}

void TForm3::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        centreAsShown(this);
    QWidget::showEvent(event);
}

void TForm3::ButtondelyesClick()
{
    if (fullListIsEmpty(*Form1)) {
        ShowMessage(QStringLiteral("没信息了!"));
        return;
    }
    deleteCurrentRecord();
    Form2->close();
    close();
}

void deleteCurrentRecord()
{
    // A new row that was never posted is dropped instead.
    Form1->ADOQuery1->Delete();
    RefreshList();
    Form1->setMessageText(QStringLiteral("删除成功!"));
}

void TForm3::ButtonnodelClick()
{
    close();
}

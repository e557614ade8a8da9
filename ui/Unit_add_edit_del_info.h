// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui_Unit_add_edit_del_info.h"

#include <QWidget>

#include <functional>
#include <map>
#include <utility>
#include <vector>

class QDataWidgetMapper;
class TADOQuery;

// The add and edit window "信息添加/编辑". The add page's free boxes add one
// tenant record; the edit page's boxes show the list cursor's current row
// and 修改 writes them back. One page shows at a time; opening and closing
// only show and hide the window, so its boxes keep their texts.
class TForm2 : public QWidget, public Ui::TForm2 {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

    // Show the window on one page, the other page's tab hidden.
    void showAddPage();
    void showEditPage();

    // Handlers, named after control and event.
    void FormCreate();
    void ButtonaddinfoClick();
    void ButtoncClick();
    void ButtoneditClick();
    void Button1Click();
    void ButtondelClick();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void connectHandlers();
    void bindEditPage();
    void mapEditPageColumns();
    void showCursorRow(int row);
    void rememberShownTexts();
    bool changedByUser(QWidget *box) const;
    void showPage(QWidget *page);

    QDataWidgetMapper *m_editBinding = nullptr;
    // The edit page's bound boxes and the columns they show.
    std::vector<std::pair<QWidget *, QString>> m_boundBoxes;
    // What each bound box showed of the current row: 修改 writes back only
    // the boxes whose text differs from it.
    std::map<QWidget *, QString> m_shownTexts;
};

// The single add and edit window, set as soon as its construction begins.
extern TForm2 *Form2;

// 修改's write of the list cursor's current row (a new row over no rows):
// `setTexts` sets the columns it changes, then the last-edit time is set and
// the row posted, which writes exactly the row as it was read, or nothing
// and the engine's error.
void postRecordEdit(TADOQuery &list, const std::function<void(TADOQuery &list, bool newRow)> &setTexts);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui_ShortInputDialog.h"

#include <QDialog>

#include <functional>
#include <optional>

// A question answered with one short text: a room to add, the reason a
// payment is cancelled, a rent to type. 确定 closes only when `check` finds
// nothing wrong with the text (it returns why, in the landlord's words).
class ShortInputDialog : public QDialog, public Ui::ShortInputDialog {
    Q_OBJECT
public:
    ShortInputDialog(const QString &title, const QString &prompt, std::function<QString(const QString &)> check,
                     QWidget *parent = nullptr);
    void accept() override;

private:
    std::function<QString(const QString &)> m_check;
};

// The text typed, trimmed, or nothing when the landlord cancelled.
std::optional<QString> askShortText(const QString &title, const QString &prompt,
                                    const std::function<QString(const QString &)> &check, QWidget *parent,
                                    const QString &proposed = {});

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ShortInputDialog.h"

#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"

ShortInputDialog::ShortInputDialog(const QString &title, const QString &prompt,
                                   std::function<QString(const QString &)> check, QWidget *parent)
    : QDialog(parent)
    , m_check(std::move(check))
{
    setupUi(this);
    setWindowTitle(title);
    promptLabel->setText(prompt);
    connectGuarded(acceptInputButton, &QPushButton::clicked, this, &ShortInputDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void ShortInputDialog::accept()
{
    if (const QString problem = m_check(inputEdit->text().trimmed()); !problem.isEmpty()) {
        ShowMessage(problem + QStringLiteral("。"));
        inputEdit->setFocus();
        inputEdit->selectAll();
        return;
    }
    QDialog::accept();
}

std::optional<QString> askShortText(const QString &title, const QString &prompt,
                                    const std::function<QString(const QString &)> &check, QWidget *parent,
                                    const QString &proposed)
{
    ShortInputDialog dialog(title, prompt, check, parent);
    dialog.inputEdit->setText(proposed);
    dialog.inputEdit->selectAll();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.inputEdit->text().trimmed();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EnterPressesFocusedButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace {

const QString filterName = QStringLiteral("enterPressesFocusedButton");

class EnterFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto *button = qobject_cast<QPushButton *>(watched);
        // A key reaches a button only while it has the focus. A dialog's
        // buttons (autoDefault) and a default button click themselves.
        if (!button || button->autoDefault() || button->isDefault() || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
};

} // namespace

void pressFocusedButtonsOnEnter()
{
    auto *application = QCoreApplication::instance();
    // Once per application, however often the windows are made.
    if (!application || application->findChild<QObject *>(filterName, Qt::FindDirectChildrenOnly))
        return;
    auto *filter = new EnterFilter(application);
    filter->setObjectName(filterName);
    application->installEventFilter(filter);
}

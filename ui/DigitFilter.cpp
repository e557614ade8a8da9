// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DigitFilter.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace {

bool isDigit(QChar character)
{
    return character >= u'0' && character <= u'9';
}

// Whether a key press types text rather than edits or commands. Keys that
// edit carry no text or a control character as text: on X11 Delete arrives
// as DEL, Backspace as BS, Enter as CR and Ctrl+A as SOH. With Ctrl, Alt or
// Meta held a key is a shortcut, whatever its text.
bool typesText(const QKeyEvent *key)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))
        return false;
    const QString text = key->text();
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

QString digitsOnly(const QString &text)
{
    QString kept;
    for (const QChar c : text) {
        if (isDigit(c))
            kept += c;
    }
    return kept;
}

} // namespace

DigitFilter::DigitFilter(QObject *parent)
    : QObject(parent)
{
}

void DigitFilter::install(QWidget *box)
{
    auto *filter = new DigitFilter(box);
    box->installEventFilter(filter);
    // A combo box hands its keys on to its line edit, which may also get
    // them directly.
    if (auto *combo = qobject_cast<QComboBox *>(box); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(filter);
}

bool DigitFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (typesText(key) && digitsOnly(key->text()) != key->text())
            return true;
    } else if (event->type() == QEvent::InputMethod) {
        // Text composed by an input method is typed text too.
        auto *input = static_cast<QInputMethodEvent *>(event);
        const QString kept = digitsOnly(input->commitString());
        if (kept != input->commitString())
            input->setCommitString(kept, input->replacementStart(), input->replacementLength());
    }
    return QObject::eventFilter(watched, event);
}

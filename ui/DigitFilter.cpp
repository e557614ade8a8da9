#include "ui/DigitFilter.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

// Keys that are commands rather than typed characters.
bool isCommandKey(const QKeyEvent *key)
{
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return true;
    return key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier);
}

QString acceptedOnly(const QString &text)
{
    QString kept;
    for (const QChar c : text) {
        if (DigitFilter::isAcceptedCharacter(c))
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

bool DigitFilter::isAcceptedCharacter(QChar character)
{
    return character.unicode() == 8 || (character >= u'0' && character <= u'9');
}

bool DigitFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->text().isEmpty() && !isCommandKey(key) && acceptedOnly(key->text()) != key->text())
            return true;
    } else if (event->type() == QEvent::InputMethod) {
        // Text composed by an input method is typed text too.
        auto *input = static_cast<QInputMethodEvent *>(event);
        const QString kept = acceptedOnly(input->commitString());
        if (kept != input->commitString())
            input->setCommitString(kept, input->replacementStart(), input->replacementLength());
    }
    return QObject::eventFilter(watched, event);
}

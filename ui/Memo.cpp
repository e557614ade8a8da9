// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Memo.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <limits>

TMemo::TMemo(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

QString TMemo::Text() const
{
    // The raw text keeps every character as typed (toPlainText() would turn
    // no-break spaces into blanks); only the line breaks become CR LF.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

qsizetype TMemo::room() const
{
    if (m_maxLength <= 0)
        return std::numeric_limits<qsizetype>::max();
    const QTextCursor cursor = textCursor();
    const qsizetype length = toPlainText().size() - (cursor.selectionEnd() - cursor.selectionStart());
    return std::max<qsizetype>(0, m_maxLength - length);
}

QString TMemo::fitted(const QString &text) const
{
    return text.left(std::min(text.size(), room()));
}

void TMemo::keyPressEvent(QKeyEvent *event)
{
    // Enter types one line break; other keys type their printable text.
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString text = event->text();
    const bool types = lineBreak
        || (!text.isEmpty() && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
            && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); }));
    if (types && room() < (lineBreak ? 1 : text.size())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TMemo::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty()) {
        const QString kept = fitted(event->commitString());
        if (kept != event->commitString())
            event->setCommitString(kept, event->replacementStart(), event->replacementLength());
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void TMemo::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    insertPlainText(fitted(source->text()));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A failure whose text the user sees in the error box: an engine error
// (SQLite's own message), a cursor error ("ADOQuery1: ..."), or a failed
// conversion. Handlers let it propagate; the guarded connection shows it.
class AppError : public std::exception {
public:
    explicit AppError(QString text);

    const QString &text() const noexcept { return m_text; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

// The cursor's own failures, led by the cursor's name and ": ".
namespace CursorError {
QString closedDataset(const QString &cursorName);
QString emptyDataset(const QString &cursorName);
QString fieldNotFound(const QString &cursorName, const QString &field);
} // namespace CursorError

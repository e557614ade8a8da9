// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The one exception of the libraries below the windows: a failure whose text
// the user sees, in the user's words — an engine error (SQLite's own
// message), a cursor error ("ADOQuery1: ..."), a failed conversion, a file
// that cannot be read or written as a spreadsheet (the reason, with no final
// full stop). Handlers let it propagate; the guarded connection shows it in
// the error box, and the command line prints it.
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/AppError.h"

AppError::AppError(QString text)
    : m_text(std::move(text))
    , m_utf8(m_text.toUtf8())
{
}

namespace CursorError {

QString closedDataset(const QString &cursorName)
{
    return cursorName + QStringLiteral(": Cannot perform this operation on a closed dataset");
}

QString emptyDataset(const QString &cursorName)
{
    return cursorName + QStringLiteral(": Cannot perform this operation on an empty dataset");
}

QString fieldNotFound(const QString &cursorName, const QString &field)
{
    return cursorName + QStringLiteral(": Field '%1' not found").arg(field);
}

} // namespace CursorError

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/GuardedConnect.h"

#include <QtGlobal>

void ShowUnexpectedError(const QByteArray &handler, const QString &text)
{
    qCritical("Error escaped from %s: %s", handler.constData(), qUtf8Printable(text));
    ShowErrorBox(text);
}

QByteArray handlerName(const QObject *sender, const QMetaMethod &signal, const QObject *receiver)
{
    const auto nameOf = [](const QObject *object) {
        return object->objectName().isEmpty() ? QByteArray(object->metaObject()->className())
                                              : object->objectName().toUtf8();
    };
    return nameOf(receiver) + ", on " + nameOf(sender) + '.' + signal.name();
}

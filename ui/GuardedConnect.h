#pragma once

#include "db/AppError.h"
#include "ui/MessageBoxes.h"

#include <QObject>

#include <exception>
#include <utility>

// Runs a handler and shows an error that escapes it in the error box, as
// the application's default error handler. No exception may cross Qt's
// event loop, so every handler runs through here; this is the program's only
// catch of a handler's errors.
template <typename Handler>
void runGuarded(Handler &&handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const AppError &error) {
        ShowErrorBox(error.text());
    } catch (const std::exception &error) {
        ShowErrorBox(QString::fromLocal8Bit(error.what()));
    }
}

// connect() for event handlers: the slot runs through runGuarded. The
// handler takes the signal's first arguments or none of them (Qt drops the
// rest), so clicked(bool) runs ButtonreClick().
template <typename Sender, typename Signal, typename Receiver, typename Class, typename... Arguments>
QMetaObject::Connection connectGuarded(Sender *sender, Signal signal, Receiver *receiver,
                                       void (Class::*handler)(Arguments...))
{
    return QObject::connect(sender, signal, receiver, [receiver, handler](Arguments... arguments) {
        runGuarded([&] { (receiver->*handler)(std::forward<Arguments>(arguments)...); });
    });
}

#pragma once

#include "db/AppError.h"
#include "ui/MessageBoxes.h"

#include <QObject>

#include <exception>
#include <functional>
#include <type_traits>
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
// signal's arguments are passed on to a handler that takes them and dropped
// for one that takes none (clicked(bool) runs ButtonreClick()).
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection connectGuarded(Sender *sender, Signal signal, Receiver *receiver, Handler handler)
{
    return QObject::connect(sender, signal, receiver, [receiver, handler](const auto &...arguments) {
        if constexpr (std::is_invocable_v<Handler, Receiver *, decltype(arguments)...>)
            runGuarded([&] { std::invoke(handler, receiver, arguments...); });
        else
            runGuarded([&] { std::invoke(handler, receiver); });
    });
}

#pragma once

#include "db/AppError.h"
#include "ui/MessageBoxes.h"

#include <QObject>

#include <exception>
#include <utility>

// Runs a handler and shows whatever escapes it in the error box, as the
// application's default error handler. No exception may leave a slot or
// cross Qt's event loop, so every handler and every slot that can throw
// runs through here; this is the program's only catch of a handler's errors.
template <typename Handler>
void runGuarded(Handler &&handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const AppError &error) {
        ShowErrorBox(error.text());
    } catch (const std::exception &error) {
        ShowErrorBox(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowErrorBox(QStringLiteral("未知错误"));
    }
}

// A slot for connect() that runs `function` through runGuarded, with the
// signal's arguments.
template <typename Function>
auto guarded(Function function)
{
    return [function](auto &&...arguments) {
        runGuarded([&] { function(std::forward<decltype(arguments)>(arguments)...); });
    };
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

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/AppError.h"
#include "ui/MessageBoxes.h"

#include <QByteArray>
#include <QMetaMethod>
#include <QObject>

#include <concepts>
#include <exception>
#include <type_traits>
#include <utility>

// Shows an error that is no AppError (a fault of the program rather than
// of the user's data or file) in the error box, and writes it once with
// qCritical, naming the handler it escaped from, so that a user's report
// can be followed up.
void ShowUnexpectedError(const QByteArray &handler, const QString &text);

// "TForm1, on Buttonre.clicked": the handler of `signal` of `sender` in
// `receiver`, as the trace names it.
QByteArray handlerName(const QObject *sender, const QMetaMethod &signal, const QObject *receiver);

// Runs the handler named `handler` and shows whatever escapes it in the
// error box, as the application's default error handler. No exception may
// leave a slot or cross Qt's event loop, so every handler and every slot
// that can throw runs through here; this is the program's only catch of a
// handler's errors.
template <typename Handler>
void runGuarded(const QByteArray &handler, Handler &&function)
{
    try {
        std::forward<Handler>(function)();
    } catch (const AppError &error) {
        ShowErrorBox(error.text());
    } catch (const std::exception &error) {
        ShowUnexpectedError(handler, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowUnexpectedError(handler, QStringLiteral("未知错误"));
    }
}

// connect() for event handlers: the slot runs through runGuarded. The
// handler takes the signal's first arguments or none of them (Qt drops the
// rest), so clicked(bool) runs ButtonreClick().
template <typename Sender, typename Signal, typename Receiver, typename Class, typename... Arguments>
QMetaObject::Connection connectGuarded(Sender *sender, Signal signal, Receiver *receiver,
                                       void (Class::*handler)(Arguments...))
{
    const QByteArray name = handlerName(sender, QMetaMethod::fromSignal(signal), receiver);
    return QObject::connect(sender, signal, receiver, [receiver, handler, name](Arguments... arguments) {
        runGuarded(name, [&] { (receiver->*handler)(std::forward<Arguments>(arguments)...); });
    });
}

// The same for a function, run while `context` lives. It takes the signal's
// first arguments or none of them: the slot offers Qt only the calls the
// function can take, and Qt drops the rest.
template <typename Sender, typename Signal, typename Function>
    requires(!std::is_member_function_pointer_v<Function>)
QMetaObject::Connection connectGuarded(Sender *sender, Signal signal, const QObject *context, Function function)
{
    const QByteArray name = handlerName(sender, QMetaMethod::fromSignal(signal), context);
    return QObject::connect(sender, signal, context,
                            [function, name](auto &&...arguments)
                                requires std::invocable<const Function &, decltype(arguments)...>
                            { runGuarded(name, [&] { function(std::forward<decltype(arguments)>(arguments)...); }); });
}

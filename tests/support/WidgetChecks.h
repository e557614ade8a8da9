// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What tests read from a window's widgets as a whole.
#include <QGuiApplication>
#include <QMetaProperty>
#include <QScreen>
#include <QWidget>

// The widgets of `expected` in the order the Tab key visits them from the first.
inline QList<QWidget *> focusOrder(const QList<QWidget *> &expected)
{
    QList<QWidget *> visited;
    QWidget *widget = expected.first();
    for (int steps = 0; visited.size() < expected.size() && steps < 200; ++steps) {
        if (expected.contains(widget) && !visited.contains(widget))
            visited << widget;
        widget = widget->nextInFocusChain();
    }
    return visited;
}

// The texts of boxes of any kind, through the property that holds them.
inline QStringList widgetTexts(const QList<QWidget *> &boxes)
{
    QStringList texts;
    for (const QWidget *box : boxes)
        texts << box->metaObject()->userProperty().read(box).toString();
    return texts;
}

// Whether `window` shows in the middle of the screen's work area.
inline bool centredInWorkArea(const QWidget *window)
{
    const QPoint centre = window->screen()->availableGeometry().center();
    return (window->frameGeometry().center() - centre).manhattanLength() <= 2;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>
#include <QFile>
#include <QMetaObject>
#include <QObject>
#include <QWidget>

#include <functional>
#include <time.h>
#include <utility>

// Measures shared by the benchmark and its children.

// CLOCK_MONOTONIC, which every process of the machine shares: a parent's
// reading before it starts a child and the child's own reading compare.
inline qint64 monotonicNanoseconds()
{
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// This process's peak resident memory in kilobytes (its own, not counting
// the process it was forked from), or -1.
inline long peakResidentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Runs `then` once `widget` has been painted for the first time: after the
// paint event, when the window's painting has been flushed.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget *widget, std::function<void()> then)
        : QObject(widget)
        , m_then(std::move(then))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_then) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(this, std::exchange(m_then, {}), Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

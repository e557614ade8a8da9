// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ToolWindow.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// The frame that the window system reports around `window`; none while it
// is still being framed (X11 may then report a frame of negative size).
QMargins reportedFrame(const QWidget *window)
{
    const QMargins frame = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0)
        return {};
    return frame;
}

// Centres `window`, with the frame that the window system reports now, in
// the work area of the main window's screen; a maximised or full-screen
// window stays as it is. Returns that frame. A window larger than the work
// area (a small screen, or a large scale) is made the largest size that
// fits, as far as its smallest size allows, so that its title bar and every
// control can be reached; one that still does not fit shows its top left.
QMargins centreInWorkArea(QWidget *window)
{
    const QWidget *owner = window->parentWidget() ? window->parentWidget()->window() : window;
    const QScreen *screen = owner->screen();
    const QMargins frame = reportedFrame(window);
    if (!screen || (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return frame;
    const QRect area = screen->availableGeometry();
    const QSize fitting = window->size().boundedTo(area.size().shrunkBy(frame)).expandedTo(window->minimumSize());
    QRect outer = QRect(QPoint(), fitting).marginsAdded(frame);
    outer.moveCenter(area.center());
    outer.moveTopLeft(QPoint(std::max(outer.left(), area.left()), std::max(outer.top(), area.top())));
    window->setGeometry(outer.marginsRemoved(frame));
    return frame;
}

// Centres a window again whenever the frame that the window system reports
// changes. On X11 a window gets its frame only when it is mapped, and its
// size is told some time after (first guesses included), so the first
// centring of a window goes by its inner area alone. The watch ends at the
// user's first press of a key or mouse button in the window and when the
// window is hidden.
class CentreWhenFramed : public QObject {
public:
    CentreWhenFramed(QWidget *window, QMargins frame)
        : QObject(window)
        , m_window(window)
        , m_frame(frame)
    {
        setObjectName(QStringLiteral("CentreWhenFramed"));
        window->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Hide:
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
            stop(watched);
            break;
        default:
            if (reportedFrame(m_window) != m_frame)
                m_frame = centreInWorkArea(m_window);
            break;
        }
        return false;
    }

private:
    void stop(QObject *watched)
    {
        watched->removeEventFilter(this);
        setObjectName(QString());
        deleteLater();
    }

    QWidget *m_window;
    QMargins m_frame;
};

} // namespace

Qt::WindowFlags toolWindowFlags(Qt::WindowFlags boxes)
{
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint | boxes;
}

void centreAsShown(QWidget *window)
{
    const QMargins frame = centreInWorkArea(window);
    if (frame.isNull() && window->windowHandle()
        && !window->findChild<QObject *>(QStringLiteral("CentreWhenFramed"), Qt::FindDirectChildrenOnly))
        new CentreWhenFramed(window, frame);
}

void showToolWindow(QWidget *window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

#include "ui/ToolWindow.h"

#include <QScreen>
#include <QWidget>

Qt::WindowFlags toolWindowFlags(Qt::WindowFlags boxes)
{
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint | boxes;
}

void centreInWorkArea(QWidget *window)
{
    const QWidget *owner = window->parentWidget() ? window->parentWidget()->window() : window;
    const QScreen *screen = owner->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void showToolWindow(QWidget *window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

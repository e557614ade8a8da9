// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BackgroundWork.h"

#include "sheets/SheetReading.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <exception>
#include <memory>

int progressDialogDelayMs = 500;

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// Keeps the user's input from the program's windows that are not modal
// (the main window and its like) while a job runs: a modal dialog blocks
// them only once it shows, half a second in.
class OtherWindowsInputBlock : public QObject {
public:
    explicit OtherWindowsInputBlock(QProgressDialog *dialog)
        : QObject(dialog)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!isUserInput(event->type()) || !watched->isWidgetType())
            return false;
        const QWidget *window = static_cast<QWidget *>(watched)->window();
        if (window->isModal() || window->windowModality() != Qt::NonModal)
            return false;
        // Overridden, the key is no shortcut; then the key itself is dropped.
        event->setAccepted(event->type() == QEvent::ShortcutOverride);
        return true;
    }
};

} // namespace

QProgressDialog *makeProgressDialog(const QString &label)
{
    auto *dialog = new QProgressDialog(label, QStringLiteral("取消"), 0, 1000);
    new OtherWindowsInputBlock(dialog);
    dialog->setWindowTitle(applicationTitle);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setMinimumDuration(progressDialogDelayMs);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    dialog->setMinimumWidth(380);
    dialog->setValue(0);
    return dialog;
}

void runInBackground(const QString &label, ReadControl &control, const std::function<void()> &work)
{
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    const std::unique_ptr<QProgressDialog> dialog(makeProgressDialog(label));
    QObject::connect(dialog.get(), &QProgressDialog::canceled, dialog.get(), [&] {
        control.cancelled = true;
        dialog->setLabelText(QStringLiteral("正在取消……"));
    });

    // The dialog follows the work's progress; the loop ends with the thread.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, dialog.get(), [&] {
        const int permille = control.permille.load();
        // Without a figure the bar only shows that work goes on.
        dialog->setMaximum(permille < 0 ? 0 : 1000);
        dialog->setValue(std::max(permille, 0));
    });
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    poll.start(100);
    thread->start();
    // finished() comes queued from the thread, so it ends the loop also when
    // the work is over before the loop runs.
    loop.exec();
    thread->wait();
    if (failure)
        std::rethrow_exception(failure);
}

StepProgress::StepProgress(const QString &label)
    : m_dialog(makeProgressDialog(label))
{
    m_started.start();
}

StepProgress::~StepProgress() = default;

bool StepProgress::report(qint64 done, qint64 total)
{
    if (m_lastUpdate.isValid() && m_lastUpdate.elapsed() < 50)
        return !m_dialog->wasCanceled();
    m_lastUpdate.start();
    if (!m_dialog->isVisible() && m_started.elapsed() >= progressDialogDelayMs)
        m_dialog->show();
    m_dialog->setValue(total > 0 ? int(std::clamp<qint64>(done * 1000 / total, 0, 1000)) : 0);
    // The dialog is painted and its 取消 taken only while events are let through.
    if (m_dialog->isVisible())
        QCoreApplication::processEvents();
    return !m_dialog->wasCanceled();
}

bool StepProgress::cancelled() const
{
    return m_dialog->wasCanceled();
}

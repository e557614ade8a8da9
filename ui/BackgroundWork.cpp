// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BackgroundWork.h"

#include "sheets/SheetReading.h"
#include "ui/MessageBoxes.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <exception>
#include <memory>

int progressDialogDelayMs = 500;

QProgressDialog *makeProgressDialog(const QString &label)
{
    auto *dialog = new QProgressDialog(label, QStringLiteral("取消"), 0, 1000);
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

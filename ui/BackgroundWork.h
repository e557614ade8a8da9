// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
struct ReadControl;

// The progress dialog of the program's long jobs (reading, writing and
// printing lists): modal over the whole program, titled "Larkhaven", with
// 取消, shown once the job has taken half a second. From the moment it is
// made until it is gone, the program's other windows take no clicks or
// keys (message boxes and the dialog itself do): a job that lets events
// through before its dialog shows must not have the window change the
// register under it, and a quick job shows nothing at all.
QProgressDialog *makeProgressDialog(const QString &label);

// Runs `work` on a thread of its own while the progress dialog shows
// `label` and how far `control` says the work is; the window stays
// responsive. 取消 asks the work to stop (control.cancelled) and waits for
// it to end. What `work` throws is rethrown here.
void runInBackground(const QString &label, ReadControl &control, const std::function<void()> &work);

// Work done on the window's thread in steps, behind the progress dialog:
// between steps the work reports how far it is, and the dialog shows, is
// painted and takes 取消.
class StepProgress {
public:
    explicit StepProgress(const QString &label);
    ~StepProgress();
    StepProgress(const StepProgress &) = delete;
    StepProgress &operator=(const StepProgress &) = delete;

    // `done` of `total`; false once the user pressed 取消. Cheap enough for
    // every step: the dialog is brought up to date a few times a second.
    bool report(qint64 done, qint64 total);
    bool cancelled() const;

private:
    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_started;
    QElapsedTimer m_lastUpdate;
};

// How long a job runs before its progress dialog shows, in ms.
extern int progressDialogDelayMs;

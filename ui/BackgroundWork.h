// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QProgressDialog;
struct ReadControl;

// The progress dialog of the program's long jobs (reading, writing and
// printing lists): modal over the whole program, titled "Larkhaven", with
// 取消, shown once the job has taken half a second.
QProgressDialog *makeProgressDialog(const QString &label);

// Runs `work` on a thread of its own while the progress dialog shows
// `label` and how far `control` says the work is; the window stays
// responsive. 取消 asks the work to stop (control.cancelled) and waits for
// it to end. What `work` throws is rethrown here.
void runInBackground(const QString &label, ReadControl &control, const std::function<void()> &work);

// How long a job runs before its progress dialog shows, in ms.
extern int progressDialogDelayMs;

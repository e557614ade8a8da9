// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "access/ConversionResult.h"

#include <QObject>
#include <QProcess>

#include <functional>

struct RegionalFormats;

// The reading of an Access file, done by the conversion child
// (larkhaven-convert --progress) while the event loop turns: the window
// stays responsive, and a crash, a hang or a runaway allocation in libmdb
// ends the child only.
class ConversionChild : public QObject {
    Q_OBJECT
public:
    explicit ConversionChild(QObject *parent = nullptr);
    ~ConversionChild() override;

    // Starts the child reading `source` into a new register at `target`.
    // finished() follows, also when the child cannot be started.
    void start(const QString &source, const QString &target, const RegionalFormats &formats);
    // Ends the child at once; finished() follows with the result cancelled.
    void cancel();
    // After finished(): the child's result, or why it gave none.
    const ConversionResult &result() const { return m_result; }

signals:
    void progressed(qint64 done, qint64 total);
    void finished();

private:
    void readReports();
    void childEnded(int exitCode, QProcess::ExitStatus status);
    // Once: the result stands (with `failure`, the child gave none), and
    // finished() is on its way.
    void end(const QString &failure = {});

    QProcess m_process;
    ConversionResult m_result;
    bool m_reported = false;   // the child wrote its result
    bool m_cancelled = false;
    bool m_unreadable = false; // the child wrote something that is no report
    bool m_done = false;
};

// The conversion program: larkhaven-convert beside the running program,
// unless a test named another.
QString conversionChildProgram();
void setConversionChildProgram(const QString &path);

// Converts the Access file at `databasePath` in place (convert/InPlaceConversion.h),
// the reading done by a ConversionChild while a local event loop turns.
// `watch` sees the child before it starts, to follow its progress and to
// cancel it.
ConversionResult convertInPlace(const QString &databasePath, const RegionalFormats &formats,
                                const std::function<void(ConversionChild &)> &watch = {});

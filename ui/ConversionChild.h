// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "access/ConversionResult.h"

#include <QObject>
#include <QProcess>

#include <functional>

struct RegionalFormats;

// A reading child: larkhaven-convert in one of its child modes
// (app/ChildMode.h), run while the event loop turns, so that the window
// stays responsive and a crash, a hang or a runaway allocation in a reader
// ends the child only. The child reports on its standard output, which
// nothing a library in it prints can reach. A child that crashes, hits
// its limits or says what is no report gives a failure in the landlord's
// words; a subclass reads the reports of its kind.
class ReadingChild : public QObject {
    Q_OBJECT
public:
    ~ReadingChild() override;

    // Ends the child at once; finished() follows, cancelled.
    void cancel();

signals:
    void finished();

protected:
    explicit ReadingChild(QObject *parent);
    // Starts the conversion program with `arguments`. finished() follows,
    // also when it cannot be started.
    void startChild(const QStringList &arguments);

    QProcess &process() { return m_process; }
    // Reads what the child wrote; false when it is no report.
    virtual bool readReports() = 0;
    // Whether the child gave its last report, and whether it told of
    // success.
    virtual bool hasReported() const = 0;
    virtual bool reportedSuccess() const = 0;
    // The child is over: cancelled, failed (the reason), or as it reported.
    virtual void settle(bool cancelled, const QString &failure) = 0;
    virtual QString crashText() const = 0;
    virtual QString unreadableText() const = 0;
    // Ends the child for a reason of the program's own (what it sent is
    // more than the program takes).
    void refuse(const QString &reason);

private:
    void takeReports();
    void childEnded(int exitCode, QProcess::ExitStatus status);
    // Once: the outcome stands, and finished() is on its way.
    void end(const QString &failure = {});

    QProcess m_process;
    bool m_cancelled = false;
    bool m_unreadable = false;
    QString m_refusal;
    bool m_done = false;
};

// The reading of an Access file by the conversion child
// (larkhaven-convert --progress).
class ConversionChild : public ReadingChild {
    Q_OBJECT
public:
    explicit ConversionChild(QObject *parent = nullptr);

    // Starts the child reading `source` into a new register at `target`.
    void start(const QString &source, const QString &target, const RegionalFormats &formats);
    // After finished(): the child's result, or why it gave none.
    const ConversionResult &result() const { return m_result; }

signals:
    void progressed(qint64 done, qint64 total);

private:
    bool readReports() override;
    bool hasReported() const override { return m_reported; }
    bool reportedSuccess() const override { return m_result.succeeded; }
    void settle(bool cancelled, const QString &failure) override;
    QString crashText() const override;
    QString unreadableText() const override;

    ConversionResult m_result;
    bool m_reported = false;
};

// The conversion program: larkhaven-convert beside the running program,
// unless a test named another.
QString conversionChildProgram();
void setConversionChildProgram(const QString &path);

// Converts the Access file at `databasePath` in place (access/InPlaceConversion.h),
// the reading done by a ConversionChild while a local event loop turns.
// `watch` sees the child before it starts, to follow its progress and to
// cancel it.
ConversionResult convertInPlace(const QString &databasePath, const RegionalFormats &formats,
                                const std::function<void(ConversionChild &)> &watch = {});

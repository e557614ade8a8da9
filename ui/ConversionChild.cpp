// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ConversionChild.h"

#include "access/ConversionReport.h"
#include "access/InPlaceConversion.h"
#include "platform/ReadingLimits.h"
#include "platform/RegionalFormats.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>

#include <csignal>

namespace {

// A report line is short; a child that writes more without a line end is
// not reporting.
constexpr qint64 maxReportBytes = 1 << 20;

QString &chosenProgram()
{
    static QString program;
    return program;
}

} // namespace

QString conversionChildProgram()
{
    if (!chosenProgram().isEmpty())
        return chosenProgram();
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("larkhaven-convert"));
}

void setConversionChildProgram(const QString &path)
{
    chosenProgram() = path;
}

ReadingChild::ReadingChild(QObject *parent)
    : QObject(parent)
{
    // The child's own warnings are kept from the terminal by the child;
    // anything else it prints is for whoever watches the program's.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardInputFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ReadingChild::takeReports);
    connect(&m_process, &QProcess::finished, this, &ReadingChild::childEnded);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end(QStringLiteral("无法启动转换程序“%1”").arg(QDir::toNativeSeparators(m_process.program())));
    });
}

ReadingChild::~ReadingChild()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void ReadingChild::startChild(const QStringList &arguments)
{
    m_process.start(conversionChildProgram(), arguments);
}

void ReadingChild::cancel()
{
    if (m_done)
        return;
    m_cancelled = true;
    m_process.kill();
}

void ReadingChild::refuse(const QString &reason)
{
    if (m_refusal.isEmpty())
        m_refusal = reason;
    m_process.kill();
}

void ReadingChild::takeReports()
{
    if (m_unreadable || !m_refusal.isEmpty() || m_cancelled)
        return;
    if (!readReports()) {
        m_unreadable = true;
        m_process.kill();
    }
}

void ReadingChild::childEnded(int exitCode, QProcess::ExitStatus status)
{
    takeReports();
    using namespace readingLimits;
    if (m_cancelled) {
        end();
    } else if (!m_refusal.isEmpty()) {
        end(m_refusal);
    } else if (m_unreadable) {
        end(unreadableText());
    } else if (status == QProcess::CrashExit) {
        // Qt gives a crashed child's signal as its exit code. The program
        // kills a child only when it cancels or refuses; a SIGKILL from
        // elsewhere is the processor-time limit's last word, or the
        // system's when memory ran out.
        end(exitCode == SIGKILL ? tooLargeOrDamagedText() : crashText());
    } else if (!hasReported() && exitCode == limitExitStatus) {
        end(tooLargeOrDamagedText());
    } else if (!hasReported() && exitCode == readFaultExitStatus) {
        end(fileChangedWhileReadingText());
    } else if (!hasReported() || (exitCode == 0) != reportedSuccess()) {
        end(QStringLiteral("转换程序出错退出（退出码 %1）").arg(exitCode));
    } else {
        end();
    }
}

void ReadingChild::end(const QString &failure)
{
    if (m_done)
        return;
    m_done = true;
    settle(m_cancelled, failure);
    // Always from the event loop, so that whoever waits for it is waiting.
    QMetaObject::invokeMethod(this, &ReadingChild::finished, Qt::QueuedConnection);
}

ConversionChild::ConversionChild(QObject *parent)
    : ReadingChild(parent)
{
}

void ConversionChild::start(const QString &source, const QString &target, const RegionalFormats &formats)
{
    startChild({QStringLiteral("--progress"), formats.shortDateFormat, formats.longTimeFormat, source, target});
}

bool ConversionChild::readReports()
{
    QProcess &child = process();
    while (child.canReadLine()) {
        const ChildReport report = readChildReport(child.readLine().trimmed());
        if (report.kind == ChildReport::Kind::Progress && !m_reported) {
            emit progressed(report.done, report.total);
        } else if (report.kind == ChildReport::Kind::Result && !m_reported) {
            m_result = report.result;
            m_reported = true;
        } else {
            return false;
        }
    }
    return child.bytesAvailable() <= maxReportBytes;
}

void ConversionChild::settle(bool cancelled, const QString &failure)
{
    if (cancelled) {
        m_result = {};
        m_result.cancelled = true;
    } else if (!failure.isEmpty()) {
        m_result = {};
        m_result.failure = failure;
    }
}

QString ConversionChild::crashText() const
{
    return QStringLiteral("读取文件的转换程序意外终止，文件可能已损坏（可先在 Access 中“压缩和修复”该数据库后再转换）");
}

QString ConversionChild::unreadableText() const
{
    return QStringLiteral("转换程序的报告无法识别");
}

ConversionResult convertInPlace(const QString &databasePath, const RegionalFormats &formats,
                                const std::function<void(ConversionChild &)> &watch)
{
    if (const QString refusal = prepareInPlaceConversion(databasePath); !refusal.isEmpty()) {
        ConversionResult result;
        result.failure = refusal;
        return result;
    }
    const FileIdentity before = fileIdentityOf(databasePath);
    const QString temporary = conversionTemporaryPath(databasePath);
    ConversionChild child;
    QEventLoop loop;
    QObject::connect(&child, &ConversionChild::finished, &loop, &QEventLoop::quit);
    if (watch)
        watch(child);
    child.start(databasePath, temporary, formats);
    loop.exec();
    if (!child.result().succeeded) {
        // A child that was killed, crashed or gave up may have left its file.
        QFile::remove(temporary);
        return child.result();
    }
    return finishInPlaceConversion(databasePath, before, child.result());
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ConversionChild.h"

#include "access/ConversionReport.h"
#include "access/InPlaceConversion.h"
#include "platform/RegionalFormats.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>

namespace {

// A report line is short; a child that writes more without a line end is
// not reporting.
constexpr qint64 maxReportBytes = 1 << 20;

QString &chosenProgram()
{
    static QString program;
    return program;
}

QString crashText()
{
    return QStringLiteral("读取文件的转换程序意外终止，文件可能已损坏（可先在 Access 中“压缩和修复”该数据库后再转换）");
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

ConversionChild::ConversionChild(QObject *parent)
    : QObject(parent)
{
    // The child's own warnings are kept from the terminal by the child;
    // anything else it prints is for whoever watches the program's.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardInputFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ConversionChild::readReports);
    connect(&m_process, &QProcess::finished, this, &ConversionChild::childEnded);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end(QStringLiteral("无法启动转换程序“%1”").arg(QDir::toNativeSeparators(m_process.program())));
    });
}

ConversionChild::~ConversionChild()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void ConversionChild::start(const QString &source, const QString &target, const RegionalFormats &formats)
{
    m_process.start(conversionChildProgram(), {QStringLiteral("--progress"), formats.shortDateFormat,
                                               formats.longTimeFormat, source, target});
}

void ConversionChild::cancel()
{
    if (m_done)
        return;
    m_cancelled = true;
    m_process.kill();
}

void ConversionChild::readReports()
{
    while (m_process.canReadLine()) {
        const ChildReport report = readChildReport(m_process.readLine().trimmed());
        if (report.kind == ChildReport::Kind::Progress && !m_reported) {
            emit progressed(report.done, report.total);
        } else if (report.kind == ChildReport::Kind::Result && !m_reported) {
            m_result = report.result;
            m_reported = true;
        } else {
            m_unreadable = true;
        }
    }
    if (m_process.bytesAvailable() > maxReportBytes)
        m_unreadable = true;
    if (m_unreadable)
        m_process.kill();
}

void ConversionChild::childEnded(int exitCode, QProcess::ExitStatus status)
{
    readReports();
    if (m_cancelled) {
        m_result = {};
        m_result.cancelled = true;
        end();
    } else if (m_unreadable) {
        end(QStringLiteral("转换程序的报告无法识别"));
    } else if (status == QProcess::CrashExit) {
        end(crashText());
    } else if (!m_reported || (exitCode == 0) != m_result.succeeded) {
        end(QStringLiteral("转换程序出错退出（退出码 %1）").arg(exitCode));
    } else {
        end();
    }
}

void ConversionChild::end(const QString &failure)
{
    if (m_done)
        return;
    m_done = true;
    if (!failure.isEmpty()) {
        m_result = {};
        m_result.failure = failure;
    }
    // Always from the event loop, so that whoever waits for it is waiting.
    QMetaObject::invokeMethod(this, &ConversionChild::finished, Qt::QueuedConnection);
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

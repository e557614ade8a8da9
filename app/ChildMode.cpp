// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ChildMode.h"

#include "access/AccessConverter.h"
#include "access/ConversionReport.h"
#include "platform/ReadingLimits.h"
#include "platform/RegionalFormats.h"
#include "sheets/SheetReading.h"
#include "sheets/SheetStream.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <new>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// Where a limit or a vanished file ends a child: with its exit status,
// which the program turns into the reason. Only calls that are safe in a
// signal handler.
void onLimit(int)
{
    ::_exit(readingLimits::limitExitStatus);
}

void onReadFault(int)
{
    ::_exit(readingLimits::readFaultExitStatus);
}

// Takes standard output for the reports and puts /dev/null in its place;
// -1 when that fails.
int takeReportChannel()
{
    const int reports = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (reports < 0 || nowhere < 0 || ::dup2(nowhere, STDOUT_FILENO) < 0)
        return -1;
    ::close(nowhere);
    return reports;
}

// What every reading child does first; the report descriptor, or -1.
int startChild()
{
    // A child whose program is gone has no one to report to: it ends with
    // the program, and one that started after the program ended stops at
    // its first report, before it writes anything.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    std::signal(SIGPIPE, SIG_IGN);
    limitReadingProcess();
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = onLimit;
    for (const int signal : {SIGXCPU, SIGABRT})
        sigaction(signal, &action, nullptr);
    action.sa_handler = onReadFault;
    sigaction(SIGBUS, &action, nullptr);
    return takeReportChannel();
}

// Whether the whole line reached the program: when it is gone, the
// conversion stops.
bool report(int descriptor, const QByteArray &line)
{
    const char *at = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, at, std::size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        left -= written;
    }
    return true;
}

} // namespace

int runConversionChild(const QStringList &arguments)
{
    if (arguments.size() != 4)
        return 2;
    const int reports = startChild();
    if (reports < 0)
        return 1;
    const RegionalFormats formats = RegionalFormats::fromFormats(arguments[0], arguments[1]);
    ConversionResult result;
    try {
        result = buildRegisterFromAccess(arguments[2], arguments[3], formats, [reports](qint64 done, qint64 total) {
            return report(reports, progressReport(done, total));
        });
    } catch (const std::bad_alloc &) {
        result = {};
        result.failure = tooLargeOrDamagedText();
    }
    report(reports, resultReport(result));
    return result.succeeded ? 0 : 1;
}

int runSheetChild(const QStringList &arguments)
{
    bool isNumber = false;
    const int sheet = arguments.value(2).toInt(&isNumber);
    if (arguments.size() != 4 || !isNumber || sheet < 0)
        return 2;
    const int reports = startChild();
    if (reports < 0)
        return 1;
    const RegionalFormats formats = RegionalFormats::fromFormats(arguments[0], arguments[1]);
    ReadControl control;
    SheetStreamWriter writer(reports, control);
    try {
        try {
            writer.finish(readSheetCells(arguments[3], sheet, formats, writer, control));
            return 0;
        } catch (const AppError &error) {
            writer.fail(error.text());
        } catch (const std::bad_alloc &) {
            writer.fail(tooLargeOrDamagedText());
        }
    } catch (const ReadCancelled &) {
        // The program is gone.
    }
    return 1;
}

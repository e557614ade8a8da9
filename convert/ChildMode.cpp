#include "convert/ChildMode.h"

#include "convert/AccessConverter.h"
#include "convert/ConversionReport.h"
#include "platform/RegionalFormats.h"

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

void report(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

} // namespace

int runConversionChild(const QStringList &arguments)
{
    if (arguments.size() != 4)
        return 2;
    // A child whose program is gone has no one to report to.
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        return 1;

    const RegionalFormats formats = RegionalFormats::fromFormats(arguments[0], arguments[1]);
    const ConversionResult result =
        buildRegisterFromAccess(arguments[2], arguments[3], formats, [](qint64 done, qint64 total) {
            report(progressReport(done, total));
            return true;
        });
    report(resultReport(result));
    return result.succeeded ? 0 : 1;
}

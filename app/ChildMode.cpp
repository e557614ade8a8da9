// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ChildMode.h"

#include "access/AccessConverter.h"
#include "access/ConversionReport.h"
#include "platform/RegionalFormats.h"

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

namespace {

// Whether the line reached the program: when it is gone, the conversion stops.
bool report(const QByteArray &line)
{
    return std::fwrite(line.constData(), 1, size_t(line.size()), stdout) == size_t(line.size())
        && std::fflush(stdout) == 0;
}

} // namespace

int runConversionChild(const QStringList &arguments)
{
    if (arguments.size() != 4)
        return 2;
    // A child whose program is gone has no one to report to: it ends with
    // the program, and one that started after the program ended stops at
    // its first report, before it writes anything.
    prctl(PR_SET_PDEATHSIG, SIGKILL);

    const RegionalFormats formats = RegionalFormats::fromFormats(arguments[0], arguments[1]);
    const ConversionResult result =
        buildRegisterFromAccess(arguments[2], arguments[3], formats, [](qint64 done, qint64 total) {
            return report(progressReport(done, total));
        });
    report(resultReport(result));
    return result.succeeded ? 0 : 1;
}

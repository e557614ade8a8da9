// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ReadingLimits.h"

#include <algorithm>

#include <sys/resource.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool addressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool addressSanitizer = true;
#else
constexpr bool addressSanitizer = false;
#endif
#else
constexpr bool addressSanitizer = false;
#endif

// Lowers a limit, never raises it past what the process was given.
void lower(int resource, rlim_t soft, rlim_t hard)
{
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0)
        return;
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < hard)
        hard = limit.rlim_max;
    // Processor time warns (SIGXCPU) before it kills, also under a lower
    // hard limit the process was given.
    if (resource == RLIMIT_CPU && soft >= hard && hard > 1)
        soft = hard - 1;
    limit.rlim_cur = std::min(soft, hard);
    limit.rlim_max = hard;
    setrlimit(resource, &limit);
}

} // namespace

void limitReadingProcess()
{
    using namespace readingLimits;
    if (!addressSanitizer) {
        lower(RLIMIT_AS, rlim_t(addressSpaceBytes), rlim_t(addressSpaceBytes));
        lower(RLIMIT_DATA, rlim_t(dataBytes), rlim_t(dataBytes));
    }
    lower(RLIMIT_CPU, rlim_t(cpuSeconds), rlim_t(cpuSecondsHard));
    lower(RLIMIT_CORE, 0, 0);
}

QString tooLargeOrDamagedText()
{
    return QStringLiteral("文件太大或已损坏");
}

QString fileChangedWhileReadingText()
{
    return QStringLiteral("读取时文件被改动或被移走（例如 U 盘已拔出），请再试一次");
}

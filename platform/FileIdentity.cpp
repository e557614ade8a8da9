// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

namespace {

long long nanoseconds(const timespec &time)
{
    return static_cast<long long>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

FileIdentity fileIdentityOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {true, (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0, info.st_dev, info.st_ino, info.st_size,
            nanoseconds(info.st_mtim), nanoseconds(info.st_ctim)};
}

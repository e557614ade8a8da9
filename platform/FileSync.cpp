// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSync.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

int syncDescriptorOf(const QString &path, int flags)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    int error = 0;
    // Some file systems cannot sync a directory; their entries are as safe
    // as they get.
    if (::fsync(descriptor) != 0 && !((flags & O_DIRECTORY) && (errno == EINVAL || errno == ENOTSUP)))
        error = errno;
    ::close(descriptor);
    return error;
}

} // namespace

int syncFile(const QString &path)
{
    return syncDescriptorOf(path, O_RDONLY);
}

int syncDirectory(const QString &directory)
{
    return syncDescriptorOf(directory, O_RDONLY | O_DIRECTORY);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSteps.h"

#include "platform/FileCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// The file systems that have no hard links say so with one of these.
bool linksUnsupported(int error)
{
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == EXDEV || error == EMLINK
        || error == ENOSYS;
}

} // namespace

int writeAllBytes(int descriptor, const char *bytes, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, bytes, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes += written;
        size -= written;
    }
    return 0;
}

QString conversionTemporaryPath(const QString &target)
{
    return target + QStringLiteral(".converting");
}

QString partFilePath(const QString &target)
{
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".part");
}

int publishFile(const QString &temporary, const QString &target, ExistingFile existing)
{
    if (const int error = syncFile(temporary); error != 0)
        return error;
    if (existing == ExistingFile::Keep) {
        if (const int error = moveWithoutReplacing(temporary, target); error != 0)
            return error;
    } else if (std::rename(encoded(temporary).constData(), encoded(target).constData()) != 0) {
        return errno;
    }
    syncDirectory(QFileInfo(target).absolutePath());
    return 0;
}

int keepUnderName(const QString &from, const QString &to)
{
    if (::link(encoded(from).constData(), encoded(to).constData()) == 0)
        return 0;
    const int error = errno;
    return linksUnsupported(error) ? keepByCopy(from, to) : error;
}

int keepByCopy(const QString &from, const QString &to)
{
    const QString temporary = to + QStringLiteral(".copying");
    ::unlink(encoded(temporary).constData());
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return EIO;
    const int descriptor = ::open(encoded(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return errno;
    int error = 0;
    constexpr qint64 chunk = 1 << 16;
    while (error == 0 && !source.atEnd()) {
        const QByteArray bytes = source.read(chunk);
        error = bytes.isEmpty() ? EIO : writeAllBytes(descriptor, bytes.constData(), bytes.size());
    }
    if (error == 0 && ::fsync(descriptor) != 0)
        error = errno;
    ::close(descriptor);
    if (error == 0 && !sameFileBytes(from, temporary))
        error = EIO;
    if (error == 0)
        error = moveWithoutReplacing(temporary, to);
    if (error != 0)
        ::unlink(encoded(temporary).constData());
    return error;
}

int moveWithoutReplacing(const QString &from, const QString &to)
{
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // Without an atomic way, look first; a conversion is the only writer of
    // these names.
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return EEXIST;
    return std::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

FileSizeSignalIgnored::FileSizeSignalIgnored()
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &m_previous);
}

FileSizeSignalIgnored::~FileSizeSignalIgnored()
{
    sigaction(SIGXFSZ, &m_previous, nullptr);
}

QString writeFailureText(int systemError, const QString &directory)
{
    switch (systemError) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间不足");
    case EFBIG:
        return QStringLiteral("新文件超出了系统允许的文件大小");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("文件夹“%1”不允许写入").arg(QDir::toNativeSeparators(directory));
    default:
        return QStringLiteral("写入文件时出错（%1）").arg(QString::fromLocal8Bit(std::strerror(systemError)));
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileCopy.h"

#include "platform/FileSteps.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// A copy that may not have reached the disk is not reported as made.
bool flushToDisk(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

bool writeCopy(QFile &source, QFile &target)
{
    const qint64 length = source.size();
    constexpr qint64 chunkSize = 1 << 16;
    qint64 copied = 0;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(chunkSize);
        if (chunk.isEmpty() || target.write(chunk) != chunk.size())
            return false;
        copied += chunk.size();
    }
    return copied == length && flushToDisk(target) && target.size() == length;
}

} // namespace

bool copyToNewFile(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QFile target(to);
    // NewOnly: created here, never an existing file or the file a link names.
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = writeCopy(source, target);
    target.close();
    if (!written)
        QFile::remove(to);
    return written;
}

bool copyFileReplacing(const QString &from, const QString &to, const QString &temporary)
{
    // Whatever is at the temporary path is a copy cut short by an earlier
    // run, or a link planted there: removed, never written through.
    QFile::remove(temporary);
    if (!copyToNewFile(from, temporary))
        return false;

    // Renaming replaces the entry at `to` itself: a link there is replaced
    // by the copy, and the file it names is left as it was.
    if (publishFile(temporary, to, ExistingFile::Replace) != 0) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

bool sameFileBytes(const QString &first, const QString &second)
{
    QFile a(first);
    QFile b(second);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    constexpr qint64 chunk = 1 << 16;
    while (!a.atEnd()) {
        if (a.read(chunk) != b.read(chunk))
            return false;
    }
    return b.atEnd();
}

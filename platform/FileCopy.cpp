#include "platform/FileCopy.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

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

bool copyFileReplacing(const QString &from, const QString &to, const QString &temporary)
{
    // Whatever is at the temporary path is a copy cut short by an earlier
    // run, or a link planted there: removed, never written through.
    QFile::remove(temporary);

    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QFile target(temporary);
    // NewOnly: created here, never an existing file or the file a link names.
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = writeCopy(source, target);
    target.close();

    // Renaming replaces the entry at `to` itself: a link there is replaced
    // by the copy, and the file it names is left as it was.
    std::error_code error;
    if (written)
        std::filesystem::rename(QFileInfo(temporary).filesystemFilePath(), QFileInfo(to).filesystemFilePath(), error);
    if (!written || error) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

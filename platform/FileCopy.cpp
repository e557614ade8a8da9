#include "platform/FileCopy.h"

#include <QFile>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// QSaveFile::commit() syncs too, but ignores a failure; a backup that may
// not have reached the disk is not reported as made.
bool flushToDisk(QSaveFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

} // namespace

bool copyFileReplacing(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const qint64 length = source.size();

    // Leaving this function without commit() discards the temporary file.
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return false;

    constexpr qint64 chunkSize = 1 << 16;
    qint64 copied = 0;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(chunkSize);
        if (chunk.isEmpty() || target.write(chunk) != chunk.size())
            return false;
        copied += chunk.size();
    }
    if (copied != length || !flushToDisk(target) || target.size() != length)
        return false;
    return target.commit();
}

#include "platform/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString singleInstanceLockPath(const QString &name)
{
    // XDG_RUNTIME_DIR is private to the user, so each user has a guard of
    // their own; Qt falls back to a per-user directory under /tmp.
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    return directory + QLatin1Char('/') + name + QStringLiteral(".lock");
}

} // namespace

InstanceGuardResult acquireSingleInstanceGuard(const QString &name)
{
    const QByteArray path = QFile::encodeName(singleInstanceLockPath(name));
    // O_CLOEXEC: a browser started by the program must not inherit the lock.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return InstanceGuardResult::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? InstanceGuardResult::AlreadyRunning : InstanceGuardResult::Failed;
    }
    // The descriptor stays open on purpose until the process ends.
    return InstanceGuardResult::Acquired;
}

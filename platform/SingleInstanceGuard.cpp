// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// XDG_RUNTIME_DIR is private to the user, so each user has a guard and a
// door of their own; Qt falls back to a per-user directory under /tmp.
QString runtimePath(const QString &fileName)
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    return directory + QLatin1Char('/') + fileName;
}

QString singleInstanceLockPath(const QString &name)
{
    return runtimePath(name + QStringLiteral(".lock"));
}

QString activationSocketPath(const QString &name)
{
    return runtimePath(name + QStringLiteral(".socket"));
}

constexpr int activationTimeoutMs = 1000;

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

InstanceActivation::InstanceActivation(const QString &name, QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
{
    const QString path = activationSocketPath(name);
    QLocalServer::removeServer(path);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Without the door the program runs as before: a second start still ends.
    m_server->listen(path);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        // Connecting is the whole request.
        while (QLocalSocket *socket = m_server->nextPendingConnection())
            socket->deleteLater();
        emit activationRequested();
    });
}

bool requestActivation(const QString &name)
{
    QLocalSocket socket;
    socket.connectToServer(activationSocketPath(name));
    const bool asked = socket.waitForConnected(activationTimeoutMs);
    socket.disconnectFromServer();
    return asked;
}

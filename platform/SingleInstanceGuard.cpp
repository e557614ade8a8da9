// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A folder (not a link to one) of this user's that no one else can read,
// enter or write into.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat status {};
    return !path.isEmpty() && ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

QString runtimePath(const QString &fileName)
{
    const QString directory = instanceRuntimeDirectory();
    return directory.isEmpty() ? QString() : directory + QLatin1Char('/') + fileName;
}

QString activationSocketPath(const QString &name)
{
    return runtimePath(name + QStringLiteral(".socket"));
}

// This user's own socket at `path`, not a link to one.
bool isOwnSocket(const QByteArray &path)
{
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode) && status.st_uid == ::geteuid();
}

// True when a program accepts connections on the socket at `path`. The
// connection asks nothing of it: a request is a line sent (see below).
bool someoneListens(const QByteArray &path)
{
    sockaddr_un address {};
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return true;  // cannot be checked: taken as live
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0)
        return true;
    const bool refused = ::connect(probe, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        && (errno == ECONNREFUSED || errno == ENOENT);
    ::close(probe);
    return !refused;
}

// What a second start sends through the door.
const QByteArray activationRequest = QByteArrayLiteral("activate\n");

constexpr int activationTimeoutMs = 1000;

} // namespace

QString instanceRuntimeDirectory()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateFolder(runtime))
        return QFile::decodeName(runtime);
    const QByteArray own = QFile::encodeName(QDir::tempPath() + QStringLiteral("/larkhaven-%1").arg(::geteuid()));
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateFolder(own) ? QFile::decodeName(own) : QString();
}

InstanceGuardResult acquireSingleInstanceGuard(const QString &name)
{
    const QString lockPath = runtimePath(name + QStringLiteral(".lock"));
    if (lockPath.isEmpty())
        return InstanceGuardResult::Failed;
    // O_CLOEXEC: a browser started by the program must not inherit the lock.
    // O_NOFOLLOW: a link in the lock's place is not followed.
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY,
                          0600);
    if (fd < 0)
        return InstanceGuardResult::Failed;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
        ::close(fd);
        return InstanceGuardResult::Failed;
    }
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
    // Without the door the program runs as before: a second start still ends.
    const QString path = activationSocketPath(name);
    if (path.isEmpty())
        return;
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(encoded.constData(), &status) == 0) {
        if (!isOwnSocket(encoded) || someoneListens(encoded))
            return;
        ::unlink(encoded.constData());  // left by an instance that is gone
    }
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(path);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            auto readRequest = [this, socket] {
                if (!socket->canReadLine())
                    return;
                const bool asked = socket->readLine() == activationRequest;
                socket->disconnect(this);  // one request a connection
                if (asked)
                    emit activationRequested();
            };
            connect(socket, &QLocalSocket::readyRead, this, readRequest);
            readRequest();
        }
    });
}

bool InstanceActivation::isListening() const
{
    return m_server->isListening();
}

bool requestActivation(const QString &name)
{
    const QString path = activationSocketPath(name);
    if (path.isEmpty() || !isOwnSocket(QFile::encodeName(path)))
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(activationTimeoutMs))
        return false;
    socket.write(activationRequest);
    const bool asked = socket.waitForBytesWritten(activationTimeoutMs);
    socket.disconnectFromServer();
    return asked;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running instance per logged-on user. The guard is an exclusive lock on
// a file named after `name` in the user's private runtime folder; the
// operating system drops the lock when the process ends, however it ends.
enum class InstanceGuardResult {
    Acquired,        // this process is the only instance; the lock is held until exit
    AlreadyRunning,  // another instance of this user holds the lock
    Failed,          // the lock could not be made; no other instance is known of
};

InstanceGuardResult acquireSingleInstanceGuard(const QString &name);

// The folder that holds the guard's lock and door: XDG_RUNTIME_DIR when it
// is a folder of this user's that no one else may enter, else
// <temp>/larkhaven-<user id>, made so (0700) and checked the same way; empty
// when neither is. Another user's folder, or a link, is never used: whoever
// could put a lock or socket there could stop the program from starting.
QString instanceRuntimeDirectory();

// The running instance's door for a second start: a local socket beside the
// guard's lock. Made only by the process that holds the guard. A socket that
// an instance killed earlier left behind is replaced; one that a live
// program listens on, or anything that is not this user's socket, is left
// alone, and this instance then has no door.
class InstanceActivation : public QObject {
    Q_OBJECT
public:
    explicit InstanceActivation(const QString &name, QObject *parent = nullptr);

    // True when the door is open.
    bool isListening() const;

signals:
    // A second start asked this instance to come to the front.
    void activationRequested();

private:
    QLocalServer *m_server;
};

// For a second start: asks the running instance of `name` to come to the
// front. False when no instance answers (one that is still starting has no
// door yet); the second start ends silently either way.
bool requestActivation(const QString &name);

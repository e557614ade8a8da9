#pragma once

#include <QString>

// One running instance per logged-on user. The guard is an exclusive lock on
// a file named after `name` in the user's runtime directory; the operating
// system drops the lock when the process ends, however it ends.
enum class InstanceGuardResult {
    Acquired,        // this process is the only instance; the lock is held until exit
    AlreadyRunning,  // another instance of this user holds the lock
    Failed,          // the lock could not be made; no other instance is known of
};

InstanceGuardResult acquireSingleInstanceGuard(const QString &name);

#pragma once
// Keeps the program to one running copy per user with a lock file. A lock
// left behind by a copy that crashed (its process is gone) does not count,
// however old or new it is; a lock held by a running copy always does.
#include <QLockFile>
#include <QString>

namespace dzq {

class SingleInstance {
public:
    // lockPath: the lock file; by default one in the user's runtime folder.
    explicit SingleInstance(const QString &lockPath = defaultLockPath());
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Takes the lock. False only when another running copy holds it; when the
    // lock file cannot be made at all the program may start (true), and
    // problem() says why there is no guard.
    bool tryAcquire();
    // Whether this object holds the lock (it is released on destruction).
    bool isHeld() const { return lock_.isLocked(); }
    QString problem() const { return problem_; }

    static QString defaultLockPath();

private:
    QLockFile lock_;
    QString problem_;
};

} // namespace dzq

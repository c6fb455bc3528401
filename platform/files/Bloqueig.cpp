#include "platform/files/Bloqueig.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kovel::files {

namespace {

// A lock file with no owner's id in it is taken over once it is this old: its writer puts
// the id in within microseconds of making it.
constexpr qint64 kEmptyLockGraceMs = 500;
// How often a waiting writer looks again for a lock whose owner has gone.
constexpr int kLockSliceMs = 100;

// A lock file whose owner is gone: nobody holds the lock on it that a live QLockFile holds,
// and its process id names no living process (or, with no id written, it is old enough).
// Qt finds a dead owner's id by itself, but leaves an empty lock, and an empty ".rmlock"
// beside a lock, to its 30-second age rule: every write in that time gave up.
bool isDeadLock(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (free)
        ::flock(fd, LOCK_UN);
    char buffer[256] = {};
    const ssize_t n = free ? ::read(fd, buffer, sizeof buffer - 1) : -1;
    ::close(fd);
    if (!free || n < 0)
        return false;
    const QByteArray content(buffer, int(n));
    bool ok = false;
    const qint64 pid = content.split('\n').value(0).trimmed().toLongLong(&ok);
    if (ok && pid > 0) {
        const QByteArray host = content.split('\n').value(2).trimmed();
        if (!host.isEmpty() && host != QSysInfo::machineHostName().toLocal8Bit())
            return false; // another machine's writer: only its age can tell
        return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
    }
    const QDateTime made = QFileInfo(path).lastModified();
    return made.isValid() && made.msecsTo(QDateTime::currentDateTime()) >= kEmptyLockGraceMs;
}

void removeDeadLocks(const QString& lockPath)
{
    const QString rmlockPath = lockPath + QStringLiteral(".rmlock");
    if (QFileInfo(rmlockPath).isFile() && isDeadLock(rmlockPath) && QFile::remove(rmlockPath))
        std::fprintf(stderr, "%s: lock of a writer that is gone removed\n", qPrintable(rmlockPath));
    if (!QFileInfo(lockPath).isFile() || !isDeadLock(lockPath))
        return;
    // Whoever removes a lock holds ".rmlock" (as QLockFile does), so the file looked at is
    // the file removed.
    QLockFile remover(rmlockPath);
    if (remover.tryLock(0) && isDeadLock(lockPath) && QFile::remove(lockPath))
        std::fprintf(stderr, "%s: lock of a writer that is gone removed\n", qPrintable(lockPath));
}

} // namespace

bool PrenBloqueig(QLockFile& lock, int timeoutMs)
{
    const QString lockPath = lock.fileName();
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        removeDeadLocks(lockPath);
        const qint64 left = timeoutMs - waited.elapsed();
        if (lock.tryLock(int(std::clamp<qint64>(left, 0, kLockSliceMs))))
            return true;
        if (lock.error() != QLockFile::LockFailedError || left <= 0)
            return false;
    }
}

} // namespace kovel::files

#include "platform/files/EscripturaAtomica.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kovel::files {

namespace {

constexpr qint64 kSenseLimit = -1;

qint64 limitInicial()
{
    bool ok = false;
    const qint64 v = qEnvironmentVariable("KOVEL_FAULT_WRITE_LIMIT").toLongLong(&ok);
    return ok && v >= 0 ? v : kSenseLimit;
}

// Bytes the test hook still lets through (-1: no limit).
std::atomic<qint64>& restant()
{
    static std::atomic<qint64> r{limitInicial()};
    return r;
}

// write() until everything is out; -1 with errno on failure (ENOSPC from the test hook too).
bool escriuTot(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        qint64 n = size;
        qint64 lim = restant().load();
        if (lim >= 0) {
            if (lim == 0) {
                errno = ENOSPC;
                return false;
            }
            n = std::min(n, lim);
        }
        const ssize_t w = ::write(fd, data, size_t(n));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0) {
            errno = ENOSPC;
            return false;
        }
        if (lim >= 0)
            restant().fetch_sub(w);
        data += w;
        size -= w;
    }
    return true;
}

// Some file systems cannot sync a file or a folder; that is not a failed write.
bool syncOk(int fd) { return ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP || errno == EROFS; }

QString missatge(const QString& path, const QString& what, int err)
{
    QString m = path + QStringLiteral(": ");
    if (!what.isEmpty())
        m += what + QStringLiteral(": ");
    return m + QString::fromLocal8Bit(std::strerror(err));
}

QString nomTemporal(const QString& path)
{
    static constexpr char lletres[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString sufix(6, u'X');
    for (QChar& c : sufix)
        c = QLatin1Char(lletres[QRandomGenerator::global()->bounded(int(sizeof lletres - 1))]);
    return path + u'.' + sufix;
}

bool esSufixTemporal(QStringView s)
{
    if (s.size() != 6)
        return false;
    for (QChar c : s)
        if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')))
            return false;
    return true;
}

} // namespace

EscripturaAtomica::EscripturaAtomica(QString path) : path_(std::move(path)) {}

EscripturaAtomica::~EscripturaAtomica()
{
    if (!acabat_)
        descarta();
}

bool EscripturaAtomica::falla(const QString& what, int err)
{
    if (!fallat_) {
        error_ = missatge(path_, what, err);
        errno_ = err;
    }
    fallat_ = true;
    descarta();
    return false;
}

bool EscripturaAtomica::obre()
{
    if (path_.isEmpty() || QFileInfo(path_).fileName().isEmpty())
        return falla(QStringLiteral("no file name"), EINVAL);
    // An existing file keeps its permissions; a new one gets the usual ones (umask).
    struct stat abans {};
    const QByteArray desti = QFile::encodeName(path_);
    const bool existeix = ::lstat(desti.constData(), &abans) == 0 && S_ISREG(abans.st_mode);
    for (int intent = 0; intent < 16; ++intent) {
        temporal_ = nomTemporal(path_);
        fd_ = ::open(QFile::encodeName(temporal_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        const int err = errno;
        temporal_.clear();
        return falla(QString(), err);
    }
    if (existeix)
        (void)::fchmod(fd_, abans.st_mode & 07777);
    return true;
}

bool EscripturaAtomica::escriu(const char* data, qint64 size)
{
    if (fallat_ || acabat_)
        return false;
    if (fd_ < 0 && !obre())
        return false;
    if (!escriuTot(fd_, data, size))
        return falla(QString(), errno);
    return true;
}

bool EscripturaAtomica::confirma()
{
    if (fallat_ || acabat_)
        return false;
    if (fd_ < 0 && !obre()) // an empty file
        return false;
    if (!syncOk(fd_))
        return falla(QString(), errno);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0)
        return falla(QString(), errno);
    if (::rename(QFile::encodeName(temporal_).constData(), QFile::encodeName(path_).constData()) != 0)
        return falla(QString(), errno);
    temporal_.clear();
    acabat_ = true;
    // The rename itself reaches the disk only with its folder.
    const int dir = ::open(QFile::encodeName(QFileInfo(path_).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        const bool ok = syncOk(dir);
        const int err = errno;
        ::close(dir);
        if (!ok) {
            error_ = missatge(path_, QStringLiteral("folder not synced"), err);
            errno_ = err;
            return false;
        }
    }
    return true;
}

void EscripturaAtomica::descarta()
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!temporal_.isEmpty())
        ::unlink(QFile::encodeName(std::exchange(temporal_, QString())).constData());
    acabat_ = true;
}

bool EscriuAtomic(const QString& path, const QByteArray& bytes, QString* error)
{
    EscripturaAtomica f(path);
    if (f.escriu(bytes) && f.confirma())
        return true;
    if (error)
        *error = f.error();
    return false;
}

bool AfegeixSegur(const QString& path, const QByteArray& bytes, QString* error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (error)
            *error = missatge(path, QString(), errno);
        return false;
    }
    // Writers of the same log take turns, so cutting back a failed line never cuts another's.
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct stat abans {};
    bool ok = ::fstat(fd, &abans) == 0 && escriuTot(fd, bytes.constData(), bytes.size());
    int err = errno;
    if (!ok && abans.st_size >= 0)
        (void)::ftruncate(fd, abans.st_size);
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok && error)
        *error = missatge(path, QString(), err);
    return ok;
}

int EsborraTemporalsOrfes(const QString& path, int edatMinimaSegons)
{
    const QFileInfo desti(path);
    const QString nom = desti.fileName();
    if (nom.isEmpty())
        return 0;
    const QDateTime limit = QDateTime::currentDateTime().addSecs(-edatMinimaSegons);
    int esborrats = 0;
    // Compared by hand: a name may hold characters that a wildcard pattern would read.
    const QFileInfoList candidats = QDir(desti.absolutePath()).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& f : candidats) {
        if (f.isSymLink() || !f.fileName().startsWith(nom + u'.') || !esSufixTemporal(QStringView(f.fileName()).mid(nom.size() + 1)))
            continue;
        if (edatMinimaSegons > 0 && f.lastModified() > limit)
            continue;
        if (QFile::remove(f.absoluteFilePath()))
            ++esborrats;
    }
    return esborrats;
}

void LimitaEscripturesPerProva(qint64 bytes) { restant().store(bytes < 0 ? kSenseLimit : bytes); }

} // namespace kovel::files

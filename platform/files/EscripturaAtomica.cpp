#include "platform/files/EscripturaAtomica.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
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

// Temporaries are "<name>.kovel-RRRRRRRRCCCCCCCC": eight random characters, then eight that
// a hash of the target's name and those eight gives. A name the user made, or one that only
// looks like a temporary, does not carry the check, so the sweep never takes it for one.
constexpr QLatin1StringView kMarca(".kovel-");
constexpr int kLlargadaAtzar = 8;
constexpr int kLlargadaSufix = 2 * kLlargadaAtzar;
constexpr char kLletres[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// The check characters of the temporaries of `desti` with the random part `atzar`.
QString control(QStringView desti, QStringView atzar)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(QByteArrayView("kovel temporary\n"));
    h.addData(desti.toUtf8());
    h.addData(QByteArrayView("\n"));
    h.addData(atzar.toUtf8());
    const QByteArray d = h.result();
    QString c(kLlargadaAtzar, u'0');
    for (int i = 0; i < kLlargadaAtzar; ++i)
        c[i] = QLatin1Char(kLletres[uchar(d[i]) % (sizeof kLletres - 1)]);
    return c;
}

QString nomTemporal(const QString& path)
{
    QString atzar(kLlargadaAtzar, u'X');
    for (QChar& c : atzar)
        c = QLatin1Char(kLletres[QRandomGenerator::global()->bounded(int(sizeof kLletres - 1))]);
    return path + kMarca + atzar + control(QFileInfo(path).fileName(), atzar);
}

// Whether `nom` is a temporary this writer made for the file named `desti`.
bool esTemporalDe(QStringView nom, QStringView desti)
{
    if (nom.size() != desti.size() + kMarca.size() + kLlargadaSufix || !nom.startsWith(desti)
        || nom.sliced(desti.size(), kMarca.size()) != kMarca)
        return false;
    const QStringView sufix = nom.sliced(desti.size() + kMarca.size());
    return control(desti, sufix.first(kLlargadaAtzar)) == sufix.sliced(kLlargadaAtzar);
}

// No save takes this long between two writes to its temporary, which keep it new; a lock
// held is the first proof of a live writer, this age the second.
constexpr qint64 kEdatMinimaOrfeNs = 10LL * 60 * 1000000000;

qint64 nanos(const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; }

qint64 ara()
{
    timespec t {};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return nanos(t);
}

// What this process's writes share: when each folder was last swept, and the temporaries
// being written now. A sweep never opens this process's own temporaries: where locks are
// emulated by record locks (NFS), closing any descriptor of a file drops the process's lock.
struct Compartit {
    std::mutex mutex;
    QHash<QString, qint64> escombrades; // folder: when this process last swept it
    QSet<QByteArray> temporals;         // absolute paths
};

Compartit& compartit()
{
    static Compartit c;
    return c;
}

QByteArray absolut(const QString& path) { return QFile::encodeName(QFileInfo(path).absoluteFilePath()); }

bool esPropi(const QByteArray& cami)
{
    Compartit& c = compartit();
    const std::lock_guard<std::mutex> lock(c.mutex);
    return c.temporals.contains(cami);
}

void marcaPropi(const QString& temporal, bool viu)
{
    Compartit& c = compartit();
    const std::lock_guard<std::mutex> lock(c.mutex);
    if (viu)
        c.temporals.insert(absolut(temporal));
    else
        c.temporals.remove(absolut(temporal));
}

// Removes the temporary at `cami` when it is an orphan: a regular file of this user, last
// written before `abansDe` (ns), on which nobody holds a lock. The lock is taken before the
// file is removed and held meanwhile, so a writer that only now gets to lock its new
// temporary finds it unlinked and starts another (see obre()).
bool esborraSiOrfe(const QByteArray& cami, qint64 abansDe)
{
    struct stat abans {};
    if (::lstat(cami.constData(), &abans) != 0 || !S_ISREG(abans.st_mode))
        return false;
    int fd = ::open(cami.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno == EACCES)
        fd = ::open(cami.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    struct stat nom {};
    const bool orfe = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()
        && nanos(st.st_mtim) < abansDe && ::flock(fd, LOCK_EX | LOCK_NB) == 0
        // Still the same file under that name.
        && ::lstat(cami.constData(), &nom) == 0 && nom.st_dev == st.st_dev && nom.st_ino == st.st_ino;
    const bool esborrat = orfe && ::unlink(cami.constData()) == 0;
    ::close(fd);
    return esborrat;
}

// A file's temporaries are looked for at most this often by one process, so that many
// writes of one file do not each read its folder whole.
constexpr qint64 kIntervalEscombradaNs = 5LL * 1000000000;

// Removes the orphan temporaries of `path`, last written before `abansDe`. Only the file's
// own: the folder may be one the user chose, where any other name could be the user's.
// Names are compared by hand: a name may hold characters that a wildcard pattern reads.
int escombra(const QString& path, qint64 abansDe)
{
    const QString desti = QFileInfo(path).fileName();
    if (desti.isEmpty())
        return 0;
    const QByteArray carpeta = QFile::encodeName(QFileInfo(path).absolutePath()) + '/';
    DIR* dir = ::opendir(carpeta.constData());
    if (!dir)
        return 0;
    int esborrats = 0;
    while (const dirent* e = ::readdir(dir))
        if ((e->d_type == DT_REG || e->d_type == DT_UNKNOWN) && esTemporalDe(QFile::decodeName(e->d_name), desti)
            && !esPropi(carpeta + e->d_name) && esborraSiOrfe(carpeta + e->d_name, abansDe))
            ++esborrats;
    ::closedir(dir);
    return esborrats;
}

// Whether this process should sweep the temporaries of `path` now; notes that it does.
bool tocaEscombrar(const QString& path, qint64 ara)
{
    const QString carpeta = QFileInfo(path).absoluteFilePath();
    Compartit& c = compartit();
    const std::lock_guard<std::mutex> lock(c.mutex);
    auto it = c.escombrades.find(carpeta);
    if (it != c.escombrades.end() && ara - *it < kIntervalEscombradaNs && ara >= *it)
        return false;
    if (c.escombrades.size() > 256)
        c.escombrades.removeIf([ara](const auto& e) { return ara - e.value() >= kIntervalEscombradaNs; });
    c.escombrades.insert(carpeta, ara);
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
    const qint64 inici = ara();
    if (tocaEscombrar(path_, inici))
        escombra(path_, inici - kEdatMinimaOrfeNs);
    for (int intent = 0; intent < 16; ++intent) {
        temporal_ = nomTemporal(path_);
        fd_ = ::open(QFile::encodeName(temporal_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        // Held until the temporary is renamed or removed: it tells the sweeps of other writes
        // that this one is alive. Where the file system has no locks, sweeps find none either
        // and leave the temporary alone.
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat st {};
        if (::fstat(fd_, &st) == 0 && st.st_nlink > 0) {
            marcaPropi(temporal_, true);
            break;
        }
        // A sweep took it between its creation and the lock: another name.
        ::close(std::exchange(fd_, -1));
        errno = EEXIST;
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
    // The lock stays on through the rename: closing fd_ alone would let a sweep take the
    // finished temporary for an orphan.
    bloqueig_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (bloqueig_ < 0)
        return falla(QString(), errno);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0)
        return falla(QString(), errno);
    if (::rename(QFile::encodeName(temporal_).constData(), QFile::encodeName(path_).constData()) != 0)
        return falla(QString(), errno);
    marcaPropi(std::exchange(temporal_, QString()), false);
    ::close(std::exchange(bloqueig_, -1));
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
    // Removed before its lock goes, so no sweep ever sees it unlocked.
    if (!temporal_.isEmpty()) {
        ::unlink(QFile::encodeName(temporal_).constData());
        marcaPropi(std::exchange(temporal_, QString()), false);
    }
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (bloqueig_ >= 0)
        ::close(std::exchange(bloqueig_, -1));
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
    const qint64 edat = std::max(qint64(std::max(edatMinimaSegons, 0)) * 1000000000, kEdatMinimaOrfeNs);
    return escombra(path, ara() - edat);
}

void LimitaEscripturesPerProva(qint64 bytes) { restant().store(bytes < 0 ? kSenseLimit : bytes); }

} // namespace kovel::files

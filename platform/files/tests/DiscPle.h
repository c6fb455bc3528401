#pragma once
// A small tmpfs of the test's own, to fill up: the real full disk. Mounting needs root (CI
// runs as root); where it is not allowed, muntat() is false and the test skips that part
// and covers it by injection (kovel::files::LimitaEscripturesPerProva).
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace kovel::test {

class DiscPetit {
public:
    explicit DiscPetit(int kilobytes = 64)
    {
        if (!dir_.isValid())
            return;
        const QByteArray opcions = "size=" + QByteArray::number(kilobytes) + "k";
        muntat_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, opcions.constData()) == 0;
    }
    ~DiscPetit()
    {
        if (muntat_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    bool muntat() const { return muntat_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& nom) const { return dir_.filePath(nom); }

    // Fills what is left with one file, so the next write of any size fails.
    void omple()
    {
        const int fd = ::open(QFile::encodeName(dir_.filePath(QStringLiteral(".farciment"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0)
            return;
        char bloc[4096] = {};
        for (std::size_t n = sizeof bloc; n > 0;) {
            const ssize_t w = ::write(fd, bloc, n);
            if (w < 0)
                n /= 2;
        }
        ::close(fd);
    }
    // Frees the filler.
    void buida() { QFile::remove(dir_.filePath(QStringLiteral(".farciment"))); }

private:
    QTemporaryDir dir_;
    bool muntat_ = false;
};

} // namespace kovel::test

#pragma once
// The wizard and the update service write their files through here (settings, saved designs,
// label documents), so that a full disk, a killed process or a symlink in the way never costs
// the user the file that was there before. The installers and the build's tools (with QSaveFile,
// and LibreOffice's unopkg) and the .xls reader (LibreOffice or FreeXL in a private temporary
// folder) write otherwise.
//
//   QString error;
//   if (!kovel::files::EscriuAtomic(path, bytes, &error)) { /* tell the user `error` */ }
//
// or, for a file written piece by piece:
//
//   kovel::files::EscripturaAtomica f(path);
//   if (!f.escriu(part1) || !f.escriu(part2) || !f.confirma()) { /* f.error() */ }
//
// The bytes go to a temporary file "<name>.kovel-<16 letters>" in the target's own folder; every
// write, the sync and the close are checked, and only then is the temporary renamed over the
// target and the folder synced. On any failure the old file stays as it was, the temporary is
// removed and the call returns false with a message naming the file. A target that is a
// symbolic link is replaced by the new file: the link's target is never written.
//
// A writer that is killed cannot remove its temporary. So the writer holds an advisory lock
// (flock) on its temporary from creating it until it is renamed or removed, and each write
// first sweeps the orphans of its own target: a file goes only when its name is one this
// writer made for that target (the last letters are a check of the rest and of the target's
// name), nobody holds it locked, it is this user's regular file and nothing has written it
// for ten minutes. The kernel drops a dead process's locks, so a live writer's temporary, in
// this process or another, is never taken for one. Nothing else in the folder is looked at:
// it may be a folder the user chose.
#include <QByteArray>
#include <QString>

namespace kovel::files {

class EscripturaAtomica {
public:
    explicit EscripturaAtomica(QString path);
    ~EscripturaAtomica(); // without confirma(): the temporary is removed, the target untouched
    EscripturaAtomica(const EscripturaAtomica&) = delete;
    EscripturaAtomica& operator=(const EscripturaAtomica&) = delete;

    // Each returns false once anything has failed; the first failure is kept in error().
    bool escriu(const char* data, qint64 size);
    bool escriu(const QByteArray& bytes) { return escriu(bytes.constData(), bytes.size()); }
    // Syncs, closes and renames over the target.
    bool confirma();
    void descarta();

    const QString& path() const { return path_; }
    const QString& error() const { return error_; }
    int codiError() const { return errno_; } // the errno of the first failure; 0 when none

private:
    bool obre();
    bool falla(const QString& what, int err);
    QString path_;
    QString temporal_;
    QString error_;
    int fd_ = -1;
    int bloqueig_ = -1; // a second descriptor of the temporary: its lock outlives fd_'s close
    int errno_ = 0;
    bool fallat_ = false;
    bool acabat_ = false;
};

// The whole file in one call.
bool EscriuAtomic(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Appends to a log-like file (created when missing). A write that fails is cut back, so the
// file keeps exactly what it held before; false with the reason in `error`.
bool AfegeixSegur(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The sweep a write of `path` makes by itself (at most once every few seconds a file), now,
// for orphans at least `edatMinimaSegons` old (never less than the ten minutes above).
// Returns how many were removed.
int EsborraTemporalsOrfes(const QString& path, int edatMinimaSegons = 0);

// For tests: every write through this file fails with "no space left" once so many bytes
// have been written in total (-1: never). The variable KOVEL_FAULT_WRITE_LIMIT sets it for a
// whole process.
void LimitaEscripturesPerProva(qint64 bytes);

} // namespace kovel::files

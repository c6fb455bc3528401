#pragma once
// What a writer killed half way through a save leaves: its temporary, made by the writer
// itself in a child process that dies without a word, then aged as if that happened long
// ago. Returns the temporary's path, or "" when the child could not be run.
#include "platform/files/EscripturaAtomica.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kovel::test {

// Sets the time of last change of `path` and, for a folder, of all it holds, `segons` back.
inline void Envelleix(const QString& path, int segons)
{
    const timespec t[2] = {{::time(nullptr) - segons, 0}, {::time(nullptr) - segons, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), t, AT_SYMLINK_NOFOLLOW);
    if (!QFileInfo(path).isDir() || QFileInfo(path).isSymLink())
        return;
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        ::utimensat(AT_FDCWD, QFile::encodeName(it.next()).constData(), t, AT_SYMLINK_NOFOLLOW);
}

inline QString OrfeDe(const QString& path, int segons = 3600)
{
    const QFileInfo fi(path);
    const QStringList abans = QDir(fi.absolutePath()).entryList(QDir::Files | QDir::Hidden);
    const pid_t pid = ::fork();
    if (pid == 0) {
        files::EscripturaAtomica f(path);
        ::_exit(f.escriu("half a save") ? 0 : 1);
    }
    int estat = 0;
    if (pid < 0 || ::waitpid(pid, &estat, 0) != pid || !WIFEXITED(estat) || WEXITSTATUS(estat) != 0)
        return {};
    for (const QString& nom : QDir(fi.absolutePath()).entryList(QDir::Files | QDir::Hidden))
        if (!abans.contains(nom) && nom.startsWith(fi.fileName() + QStringLiteral(".kovel-"))) {
            Envelleix(fi.dir().filePath(nom), segons);
            return fi.dir().filePath(nom);
        }
    return {};
}

} // namespace kovel::test

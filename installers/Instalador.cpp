#include "installers/Instalador.h"

#include "common/Cp1252.h"
#include "platform/office/Unopkg.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

namespace Instalador {

using kovel::office::Host;

namespace {

// The text after a switch: up to the other switch when that one follows, else to the end;
// the blanks and double quotes around it are dropped, whether the quotes enclosed the value
// ("/BITMAP:\"/a b.bmp\"") or the whole switch ("\"/BITMAP:/a b.bmp\"").
QString valorSwitch(const QString& linia, qsizetype inici, qsizetype longitud, qsizetype altre)
{
    const qsizetype desde = inici + longitud;
    const qsizetype fins = altre > inici ? altre : linia.size();
    QString v = linia.mid(desde, fins - desde);
    const auto vora = [](QChar c) { return c == u'"' || c.isSpace(); };
    while (!v.isEmpty() && vora(v.front()))
        v.remove(0, 1);
    while (!v.isEmpty() && vora(v.back()))
        v.chop(1);
    return v;
}

bool esEscrivible(const QString& path)
{
    const QFileInfo fi(path);
    return fi.isDir() && fi.isWritable();
}

// The profile must take the package: the nearest folder of it that exists, and the folders
// inside it that the deployment writes into, must be folders we can write.
bool perfilEscrivible(const kovel::office::Profile& profile, QString* carpeta)
{
    QString dir = profile.dir;
    while (!QFileInfo::exists(dir) && !QFileInfo(dir).isSymLink()) {
        const QString parent = QFileInfo(dir).path();
        if (parent == dir)
            break;
        dir = parent;
    }
    *carpeta = dir;
    if (!esEscrivible(dir))
        return false;
    for (const char* sub : {"/user", "/user/uno_packages", "/user/template"}) {
        const QString p = profile.dir + QLatin1String(sub);
        if (QFileInfo(p).exists() && !esEscrivible(p)) {
            *carpeta = p;
            return false;
        }
    }
    return true;
}

QString identificador(Host host)
{
    return QLatin1String(kovel::office::names(host).identifier);
}

bool escriureRuta(const kovel::office::Profile& profile, const QString& executable, QString* error)
{
    const QString carpeta = profile.templatesDir();
    const QString path = carpeta + u'/' + QLatin1String(NomRuta);
    if (!QDir().mkpath(carpeta)) {
        *error = QStringLiteral("The office's templates folder cannot be made: %1").arg(carpeta);
        return false;
    }
    // One line: the program's folder in double quotes, as the quoted-write convention has it.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    file.write('"' + kovel::cp1252::fromUnicode(CarpetaPrograma(executable)) + "\"\r\n");
    if (!file.commit()) {
        *error = QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

Accio AccioWord(const QString& linia)
{
    const QString s = linia.trimmed().toUpper();
    if (s == QLatin1String("/I"))
        return Accio::Instal_lar;
    if (s.isEmpty() || s == QLatin1String("/U") || s == QLatin1String("AUTOMATIC") || s == QLatin1String("CUSTOM"))
        return Accio::Desinstal_lar;
    return Accio::Cap;
}

LiniaOrdres LlegirLinia(const QString& linia)
{
    LiniaOrdres r;
    if (linia == QLatin1String(" ") || linia == QLatin1String("Automatic") || linia == QLatin1String("Custom")) {
        r.accio = Accio::Desinstal_lar;
        return r;
    }
    static const QString exe = QStringLiteral("/PATH_EXE:");
    static const QString bmp = QStringLiteral("/BITMAP:");
    const qsizetype posExe = linia.indexOf(exe, 0, Qt::CaseInsensitive);
    const qsizetype posBmp = linia.indexOf(bmp, 0, Qt::CaseInsensitive);
    if (posExe < 0 || posBmp < 0)
        return r;
    r.accio = Accio::Instal_lar;
    r.executable = valorSwitch(linia, posExe, exe.size(), posBmp);
    r.imatge = valorSwitch(linia, posBmp, bmp.size(), posExe);
    return r;
}

QString CarpetaPrograma(const QString& executable)
{
    const qsizetype slash = executable.lastIndexOf(u'/');
    return slash < 0 ? QString() : executable.left(slash + 1);
}

Resultat Instal_lar(const kovel::office::EntryPoint& entry, const kovel::office::Profile& profile)
{
    if (entry.program.isEmpty() || entry.program.contains(u'"') || !QDir::isAbsolutePath(entry.program))
        return {false, QStringLiteral("The program to start must be named by its full path: \"%1\"").arg(entry.program)};
    QString carpeta;
    if (!perfilEscrivible(profile, &carpeta))
        return {false, QStringLiteral("The office profile folder cannot be written: %1").arg(carpeta)};
    kovel::office::Unopkg unopkg(profile);
    if (!unopkg.available())
        return {false, QStringLiteral("LibreOffice's extension manager (unopkg) is not installed.")};

    QTemporaryDir tmp;
    if (!tmp.isValid())
        return {false, QStringLiteral("A temporary folder cannot be made: %1").arg(tmp.errorString())};
    const QString paquet = tmp.path() + u'/' + identificador(entry.host) + QStringLiteral(".oxt");
    QString error;
    if (!kovel::office::writeZip(paquet, kovel::office::packageFiles(entry), &error))
        return {false, error};
    if (!unopkg.add(paquet, &error)) {
        QString ignored;
        unopkg.remove(identificador(entry.host), &ignored);
        return {false, error};
    }
    if (entry.host == Host::Calc && !escriureRuta(profile, entry.program, &error)) {
        QString ignored;
        unopkg.remove(identificador(entry.host), &ignored);
        return {false, error};
    }
    return {};
}

Resultat Desinstal_lar(Host host, const kovel::office::Profile& profile)
{
    kovel::office::Unopkg unopkg(profile);
    QString error;
    // Without LibreOffice no package can be there.
    if (unopkg.available() && !unopkg.remove(identificador(host), &error))
        return {false, error};
    if (host == Host::Calc) {
        // Only the file this installer wrote: the program folder it names is left alone.
        const QString path = profile.templatesDir() + u'/' + QLatin1String(NomRuta);
        const QFileInfo fi(path);
        if ((fi.exists() || fi.isSymLink()) && !QFile::remove(path))
            return {false, QStringLiteral("%1 cannot be deleted").arg(path)};
    }
    return {};
}

} // namespace Instalador

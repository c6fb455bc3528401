#include "common/Fitxers.h"

#include "common/BasicRules.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "platform/files/EscripturaAtomica.h"
#include "platform/paths/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

QString CarpetaDades;

namespace fitxers {

QString CarpetaAppData()
{
    const QString dir = kovel::paths::appDataDir();
    if (!QFileInfo(dir).isDir()) {
        Portapapers::MissatgePopUp(QStringLiteral("The folder does not exist"), 0, QString());
        return {};
    }
    return dir;
}

QString CarpetaDadesPerDefecte()
{
    const QString appData = CarpetaAppData();
    return appData.isEmpty() ? QString() : appData + QStringLiteral("/KOVEL Videvoviv/");
}

bool EsFitxer(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(QString(path).replace(u'\\', u'/'));
    return info.exists() && !info.isDir();
}

} // namespace fitxers

namespace directoris {

QString DirectoriTmp()
{
    QString base = CarpetaDades.isEmpty() ? fitxers::CarpetaDadesPerDefecte() : CarpetaDades;
    if (base.isEmpty())
        return {}; // no data folder: the pop-up has said so
    const QString dir = kovel::paths::withoutTrailingSlash(base) + QStringLiteral("/tmp");
    if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir))
        std::fprintf(stderr, "%s: the folder cannot be created\n", qPrintable(dir));
    return dir;
}

bool CopiaFitxer(const QString& source, const QString& target)
{
    if (!ModTraduccion::ExisteixFitxer(source))
        return false;
    QString src = source;
    src.replace(u'\\', u'/');
    if (!QFileInfo::exists(src))
        src = kovel::paths::findCaseInsensitive(QFileInfo(src).isAbsolute() ? QStringLiteral("/") : QDir::currentPath(), src);
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    // Written beside the target and renamed over it, so a failed copy leaves it whole.
    kovel::files::EscripturaAtomica out(QString(target).replace(u'\\', u'/'));
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!out.escriu(buffer, n))
            break;
    }
    if (out.confirma())
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(out.error()));
    return false;
}

} // namespace directoris

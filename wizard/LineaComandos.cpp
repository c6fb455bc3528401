#include "wizard/LineaComandos.h"

#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "wizard/ModoImpresion.h"

#include <QDir>
#include <QFile>

namespace ModTolvWiz {

AccioLinia ClassificaLinia(const QString& linia)
{
    if (linia.compare(QLatin1String("/W"), Qt::CaseInsensitive) == 0)
        return AccioLinia::Word;
    if (linia.compare(QLatin1String("/A"), Qt::CaseInsensitive) == 0)
        return AccioLinia::Access;
    if (linia.compare(QLatin1String("/E"), Qt::CaseInsensitive) == 0)
        return AccioLinia::Excel;
    if (linia.left(2).compare(QLatin1String("/P"), Qt::CaseInsensitive) == 0)
        return AccioLinia::Impressio;
    return AccioLinia::Cap;
}

kovel::HostOffice HostDeLinia(const QString& linia)
{
    switch (ClassificaLinia(linia)) {
    case AccioLinia::Word: return kovel::HostOffice::Word;
    case AccioLinia::Excel: return kovel::HostOffice::Excel;
    case AccioLinia::Access: return kovel::HostOffice::Access;
    default: return kovel::HostOffice::Cap;
    }
}

bool ModoLogDeLinia(const QString& linia)
{
    return linia.compare(QLatin1String("LOG"), Qt::CaseInsensitive) == 0;
}

void FixaRutesDeLEntorn(const QString& carpetaActual)
{
    for (const char* nom : {"KOVEL_ACTIVE_WORKBOOK", "KOVEL_CURRENT_DATABASE"}) {
        const QString valor = qEnvironmentVariable(nom);
        if (!valor.isEmpty() && QDir::isRelativePath(valor))
            qputenv(nom, QFile::encodeName(QDir::cleanPath(QDir(carpetaActual).absoluteFilePath(valor))));
    }
}

std::optional<int> Lee_LineaComandos(const QString& linia, const QString& carpetaActual)
{
    if (linia.isEmpty()) {
        Mensaje_Error(ModTraduccion::Literal(6200));
        return 1;
    }
    return Procesa_LineaComandos(linia, carpetaActual);
}

std::optional<int> Procesa_LineaComandos(const QString& linia, const QString& carpetaActual)
{
    if (ClassificaLinia(linia) == AccioLinia::Impressio)
        return ModoImpresion(linia, carpetaActual);
    // Any other text sets no host: the name stays empty and every panel number 0.
    if (const kovel::HostOffice host = HostDeLinia(linia); host != kovel::HostOffice::Cap)
        kovel::EstablirHost(host);
    return std::nullopt;
}

} // namespace ModTolvWiz

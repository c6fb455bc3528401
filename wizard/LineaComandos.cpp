#include "wizard/LineaComandos.h"

#include "common/BasicRules.h"
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "wizard/ModoImpresion.h"

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

ComandaImpressio LlegeixComandaImpressio(const QString& linia)
{
    ComandaImpressio c;
    const QChar mode = linia.size() > 2 ? linia.at(2).toUpper() : QChar();
    if (mode == QLatin1Char('V'))
        c.modeOrientacio = 1;
    else if (mode == QLatin1Char('H'))
        c.modeOrientacio = 2;

    // The folder follows the first blank at or after the fifth character. The number is read
    // only up to that blank: a folder whose name starts with digits must not lengthen it.
    const qsizetype blanc = linia.indexOf(QLatin1Char(' '), 4);
    const QString numero = linia.mid(3, blanc < 0 ? -1 : blanc - 3);
    try {
        c.numeroEtiqueta = kovel::basic::CLng(kovel::basic::Val(numero));
    } catch (const kovel::basic::OverflowError&) {
        c.numeroEtiqueta = 0;
    }
    if (blanc >= 0)
        c.carpeta = linia.mid(blanc + 1).trimmed();
    return c;
}

QString NomFitxerImpressio(const QString& carpeta, std::int32_t numero, bool horitzontal)
{
    QString nom = carpeta;
    if (!nom.endsWith(QLatin1Char('/')))
        nom += QLatin1Char('/');
    nom += QStringLiteral("wp_");
    // Zero-filled to six digits; the loop form of the old code never ended for 0.
    if (numero > 0) {
        for (std::int64_t n = numero; n < 100000; n *= 10)
            nom += QLatin1Char('0');
    }
    nom += QString::number(numero);
    if (horitzontal)
        nom += QLatin1Char('H');
    nom += QStringLiteral(".docx");
    return nom;
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

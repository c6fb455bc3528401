#include "wizard/BannerWeb.h"

#include "common/BasicRules.h"
#include "common/ModAutoUpdate2.h"
#include "common/ModReg.h"

#include <algorithm>

namespace ModTolvWiz {

ConfigBanner LlegirConfigBanner()
{
    const QString clau = ModReg::ClauProducte + QStringLiteral("Banner");
    ConfigBanner c;
    c.altura = ModReg::LlegirEnter(ModReg::HKEY_LOCAL_MACHINE, clau, QStringLiteral("altura"));
    c.url = ModReg::LlegirCadena(ModReg::HKEY_LOCAL_MACHINE, clau, QStringLiteral("url"));
    return c;
}

std::int32_t AlturaBannerTwips(int alturaPixels, double twipsPerPixel)
{
    // A 16-bit height times a screen's twips per pixel always fits.
    return std::max<std::int32_t>(0, kovel::basic::CLng(alturaPixels * twipsPerPixel));
}

QString ConsultaBanner(std::uint32_t lid, const QString& versio, int alturaPixels, const QString& programaOffice)
{
    return QStringLiteral("?LID=") + QString::number(lid) + QStringLiteral("&versio=") + versio + QStringLiteral("&altura=")
        + QString::number(alturaPixels) + QStringLiteral("&aplicacio_office=") + programaOffice;
}

QString AdrecaBanner(const ConfigBanner& config, const QString& programaOffice)
{
    // The version is read from the update folder of the settings as they stand now.
    ModAutoUpdate2::LlegirConfiguracio();
    return config.url
        + ConsultaBanner(ModAutoUpdate2::LlegirEstadistiquesLID(), ModAutoUpdate2::VersioDelLog(), config.altura, programaOffice);
}

bool EstatBanner::DocumentComplete()
{
    if (fase_ != Fase::Navegant)
        return false;
    fase_ = Fase::Mostrat;
    return true;
}

void EstatBanner::NavigateError()
{
    if (fase_ == Fase::Navegant)
        fase_ = Fase::Fallat;
}

} // namespace ModTolvWiz

#include "datasources/FontDades.h"

#include <QFileInfo>

namespace kovel::datasources {

namespace {
std::function<void()> g_amagar, g_mostrar;
DemanaFitxer g_demana;
}

void setDemanaFitxer(DemanaFitxer demana) { g_demana = std::move(demana); }

std::optional<QString> TriaFitxer(const PeticioFitxer& peticio)
{
    if (!g_demana)
        return std::nullopt;
    std::optional<QString> triat = g_demana(peticio);
    // The dialog's own buffer held 255 characters; an answer that is no existing file is none.
    if (!triat || triat->isEmpty() || triat->size() > 254 || !QFileInfo(*triat).isFile())
        return std::nullopt;
    return triat;
}

void setPresentacio(std::function<void()> amagar, std::function<void()> mostrar)
{
    g_amagar = std::move(amagar);
    g_mostrar = std::move(mostrar);
}

void AmagarPresentacio()
{
    if (g_amagar) g_amagar();
}

void MostrarPresentacio()
{
    if (g_mostrar) g_mostrar();
}

} // namespace kovel::datasources

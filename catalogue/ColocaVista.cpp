#include "catalogue/ColocaVista.h"

#include "common/BasicRules.h"

#include <algorithm>

namespace kovel::catalogue {

namespace {
int redondea(double v) { return int(kovel::basic::RoundHalfEven(v)); }
} // namespace

void AjustaMarco(EscenaVista& e, int anchoMaximoMarco)
{
    e.marco.width = std::min(e.anchoImagen, anchoMaximoMarco);
    e.marco.height = e.altoImagen;
}

void ColocadorVista::Olvida()
{
    ultimoCodigoVistaPequena_.clear();
    ultimaClaveVistaGrande_.clear();
    ultimoOrigenVistaGrande_.clear();
}

bool ColocadorVista::Coloca_VistaPrevia(const ClaveVista& k, const Visual::TwipsPerPixel& s, const std::array<int, 7>& m,
                                        EscenaVista& e)
{
    const double escalaX = s.EscalaX(), escalaY = s.EscalaY();
    const bool grande = k.indiceVista != 0;
    int disponible = 0, centro = 0;
    // The catalogue index goes into the keys: two formats with one model number are two layouts.
    const QString formato = QString::number(k.indiceCatalogo) + QLatin1Char(':') + QString::number(k.codigo);
    if (!grande) {
        disponible = redondea(m[4] * escalaX);
        centro = redondea(m[0] * escalaX);
        if (formato.compare(ultimoCodigoVistaPequena_, Qt::CaseInsensitive) == 0)
            return false;
        ultimoCodigoVistaPequena_ = formato;
    } else {
        if (k.horizontal) {
            disponible = e.marco.width;
            centro = redondea(m[3] * escalaX);
        } else {
            disponible = k.tipoPapel == PapelContinuo ? redondea(m[5] * escalaX) : e.anchoImagen;
            centro = redondea((k.origen0 ? m[2] : m[1]) * escalaX);
        }
        const QString clave = formato + QString::number(k.girado);
        if (clave.compare(ultimaClaveVistaGrande_, Qt::CaseInsensitive) == 0
            && ultimoOrigenVistaGrande_ == QString::number(k.origenDatos))
            return false;
        ultimaClaveVistaGrande_ = clave;
        ultimoOrigenVistaGrande_ = QString::number(k.origenDatos);
    }

    const int t0 = e.documentoTop + 40;
    const int b0 = e.panelAlto;
    if (grande) {
        // Uses the bar's visibility of the previous layout; the frame's bottom edge is kept below.
        const int alto = e.marco.height + (e.barra.visible ? e.barra.rect.height : 0);
        e.marco.top = redondea((t0 + ((b0 - t0) - alto) / 2.0) * escalaY);
    }
    e.barra.valor = 0;
    e.marco.top = e.marco.top + e.marco.height - e.altoImagen;
    e.marco.height = e.altoImagen;

    if (e.anchoImagen > disponible && !k.horizontal) {
        e.barra.rect.width = disponible;
        e.marco.width = disponible;
        e.barra.visible = true;
        if (grande)
            e.marco.top = redondea(t0 + ((b0 - t0) - (e.barra.rect.height + e.marco.height)) / 2.0);
        e.barra.rect.top = e.marco.top + e.marco.height + 1;
        e.barra.maximo = e.anchoImagen - disponible;
        e.barra.pasoPequeno = redondea(disponible / 10.0);
        e.barra.pasoGrande = disponible;
        e.barra.valor = 0;
    } else {
        e.marco.width = e.anchoImagen;
        e.barra.visible = false;
    }
    e.marco.left = redondea(centro - e.marco.width / 2.0);
    e.barra.rect.left = e.marco.left;
    return true;
}

} // namespace kovel::catalogue

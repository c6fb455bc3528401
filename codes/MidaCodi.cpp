#include "codes/MidaCodi.h"

#include "platform/barcode/ActiveBC.h"

#include <algorithm>
#include <cmath>

namespace kovel::codes {

double ModulMinimBarresMm(std::int16_t tipus)
{
    using namespace kovel::barcode;
    switch (tipus) {
    case EAN8:
    case EAN13:
    case UPCA:
    case UPCE:
    case EANAddon2:
    case EANAddon5:
        return 0.264;   // 80 % of the nominal 0.33 mm
    case ITF14:
        return 0.495;
    case EAN14:
    case GS1_128:
    case SSCC18:
        return 0.25;
    default:
        return 0.19;
    }
}

MidaCodi Encaixa(const ImatgeCodi& imatge, const std::optional<QSizeF>& espai, double modulMinimMm)
{
    MidaCodi mida{imatge.ample, imatge.alt, false, true};
    if (!espai || imatge.ample <= 0 || imatge.alt <= 0) return mida;
    // Points to pixels of 96 dpi; a hundredth of a point is layout noise.
    const double ample = std::max(0.0, espai->width()) * 96.0 / 72.0 + 0.01;
    const double alt = std::max(0.0, espai->height()) * 96.0 / 72.0 + 0.01;
    if (imatge.ample <= ample && imatge.alt <= alt) return mida;
    double escala = std::min(ample / imatge.ample, alt / imatge.alt);
    if (imatge.modulMm > 0) {
        const double modul = imatge.modulMm * escala;
        const double punts = std::floor(modul / 25.4 * PuntsPerPolzada + 1e-9);
        const double sencer = punts * 25.4 / PuntsPerPolzada;
        if (sencer >= modulMinimMm)
            escala = sencer / imatge.modulMm;
        else if (modul < modulMinimMm) {
            mida.llegible = false;
            return mida;
        }
    }
    mida.ample = float(imatge.ample * escala);
    mida.alt = float(imatge.alt * escala);
    mida.reduida = true;
    return mida;
}

} // namespace kovel::codes

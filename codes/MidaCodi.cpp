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

Colocacio Coloca(const ImatgeCodi& imatge, const std::optional<EspaiLinia>& espai, double modulMinimMm)
{
    if (!espai)
        return {Encaixa(imatge, std::nullopt, modulMinimMm), Encaix::Costat};
    const MidaCodi costat = Encaixa(imatge, espai->costat, modulMinimMm);
    if (costat.llegible)
        return {costat, Encaix::Costat};
    if (espai->AmbText())
        if (const MidaCodi sol = Encaixa(imatge, espai->sol, modulMinimMm); sol.llegible)
            return {sol, Encaix::TextMogut};
    if (const MidaCodi sencer = Encaixa(imatge, espai->sencer, modulMinimMm); sencer.llegible)
        return {sencer, Encaix::LiniesFora};
    // Cut whatever its size: at its smallest printable one, the least of it is lost.
    const ImatgeCodi minima = imatge.modulMm > modulMinimMm ? AlModul(imatge, modulMinimMm) : imatge;
    return {MidaCodi{minima.ample, minima.alt, minima.ample < imatge.ample, false}, Encaix::Tallat};
}

ImatgeCodi AlModul(const ImatgeCodi& imatge, double modulMm)
{
    if (modulMm <= 0 || imatge.modulMm <= 0)
        return imatge;
    ImatgeCodi r = imatge;
    const double escala = modulMm / imatge.modulMm;
    r.ample = float(imatge.ample * escala);
    r.alt = float(imatge.alt * escala);
    r.modulMm = modulMm;
    return r;
}

LimitsMida Limits(const ImatgeCodi& imatge, const std::optional<QSizeF>& espai, double modulMinimMm)
{
    LimitsMida l;
    const double minima = imatge.modulMm > 0 ? modulMinimMm / imatge.modulMm : 1.0;
    l.minima = QSizeF(imatge.ample * minima, imatge.alt * minima);
    if (!espai || imatge.ample <= 0 || imatge.alt <= 0)
        return l;
    // Points to pixels of 96 dpi; the largest size stays within Encaixa's allowance.
    const double ample = std::max(0.0, espai->width()) * 96.0 / 72.0;
    const double alt = std::max(0.0, espai->height()) * 96.0 / 72.0;
    const double maxima = std::min(ample / imatge.ample, alt / imatge.alt);
    l.maxima = QSizeF(imatge.ample * maxima, imatge.alt * maxima);
    l.cap = maxima < minima;
    return l;
}

double ModulTriat(const ImatgeCodi& imatge, double escala, const LimitsMida& limits)
{
    if (imatge.modulMm <= 0 || imatge.ample <= 0)
        return 0;
    const double minim = imatge.modulMm * limits.minima.width() / imatge.ample;
    const double maxim = std::min(ModulMaximMm, limits.maxima ? imatge.modulMm * limits.maxima->width() / imatge.ample
                                                               : ModulMaximMm);
    if (limits.cap)
        return minim;
    const double modul = std::clamp(imatge.modulMm * escala, minim, std::max(minim, maxim));
    // The limits themselves are sizes to choose; between them, the nearest whole dots.
    if (modul <= minim || modul >= maxim)
        return modul;
    const double punt = 25.4 / PuntsPerPolzada;
    const double sencer = std::round(modul / punt) * punt;
    return sencer < minim || sencer > maxim ? modul : sencer;
}

} // namespace kovel::codes

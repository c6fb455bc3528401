#include "codes/MidaDialeg.h"

#include "codes/EntornDisseny.h"

namespace kovel::codes {

namespace {
constexpr double MmPerPixel = 25.4 / 96.0;
}

const std::optional<QSizeF>& MidaDialeg::Espai() const
{
    if (!espai_) {
        EntornDisseny* e = Entorn();
        espai_ = e ? e->EspaiCodi() : std::nullopt;
    }
    return *espai_;
}

MidaDialeg::Mides MidaDialeg::De(const ImatgeCodi& propia, double modulMm, double modulMinimMm) const
{
    const LimitsMida l = Limits(propia, Espai(), modulMinimMm);
    const MidaCodi m = Encaixa(AlModul(propia, modulMm), Espai(), modulMinimMm);
    Mides r;
    r.actual = QSizeF(m.ample, m.alt) * MmPerPixel;
    r.minima = l.minima * MmPerPixel;
    if (l.maxima)
        r.maxima = *l.maxima * MmPerPixel;
    r.cap = l.cap;
    return r;
}

std::optional<double> MidaDialeg::ModulPer(const ImatgeCodi& propia, const QString& mm, bool ample, double modulMinimMm) const
{
    QString t = mm.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    const double propi = (ample ? propia.ample : propia.alt) * MmPerPixel;
    if (!ok || !(v > 0) || !(propi > 0))
        return std::nullopt;
    return ModulTriat(propia, v / propi, Limits(propia, Espai(), modulMinimMm));
}

} // namespace kovel::codes

#include "codes/MidaDialeg.h"

#include "codes/EntornDisseny.h"
#include "common/ModTraduccion.h"

#include <cmath>

namespace kovel::codes {

namespace {
constexpr double MmPerPixel = 25.4 / 96.0;

QString Mm(const QSizeF& s) { return QStringLiteral("%1 x %2").arg(s.width(), 0, 'f', 1).arg(s.height(), 0, 'f', 1); }
} // namespace

QString NoHiCap(const QSizeF& minima, const QSizeF& espai)
{
    return ModTraduccion::TextPrograma("CaixesMida.NoHiCap",
                                       QStringLiteral("Even at its smallest printable size, %1 mm, the code does not fit the "
                                                      "room the label leaves it here, %2 mm."))
        .arg(Mm(minima), Mm(espai));
}

QString MidaDialeg::Abast(const Mides& m)
{
    using ModTraduccion::TextPrograma;
    if (m.cap && m.espai)
        return NoHiCap(m.minima, *m.espai);
    if (m.maxima)
        return TextPrograma("CaixesMida.Limits", QStringLiteral("From %1 to %2 mm; width and height change together."))
            .arg(Mm(m.minima), Mm(*m.maxima));
    return TextPrograma("CaixesMida.Minima", QStringLiteral("From %1 mm; width and height change together.")).arg(Mm(m.minima));
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
    if (Espai())
        r.espai = QSizeF(std::max(0.0, Espai()->width()), std::max(0.0, Espai()->height())) * (25.4 / 72.0);
    r.cap = l.cap;
    return r;
}

std::optional<ModelAmbMida::Mides> ModelAmbMida::MidesCodi() const
{
    ImatgeCodi propia;
    if (!ImatgePropia(propia))
        return std::nullopt;
    return mida_.De(propia, ModulMm(), ModulMinimMm());
}

void ModelAmbMida::CanviarMida(const QString& mm, bool ample)
{
    ImatgeCodi propia;
    if (!ImatgePropia(propia))
        return;
    if (const auto modul = mida_.ModulPer(propia, mm, ample, ModulMinimMm()))
        PosarModulMm(*modul);
}

std::optional<double> MidaDialeg::ModulPer(const ImatgeCodi& propia, const QString& mm, bool ample, double modulMinimMm)
{
    ajust_.clear();
    QString t = mm.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    const double propi = (ample ? propia.ample : propia.alt) * MmPerPixel;
    if (!ok || !(v > 0) || !(propi > 0))
        return std::nullopt;
    const double modul = ModulTriat(propia, v / propi, Limits(propia, Espai(), modulMinimMm));
    // Whole dots move a size by half a dot a module at most: more is the limits' doing.
    const double demanat = propia.modulMm * v / propi;
    if (propia.modulMm > 0 && std::abs(modul - demanat) > 25.4 / PuntsPerPolzada / 2 + 1e-9) {
        const Mides m = De(propia, modul, modulMinimMm);
        const QString tipus = QString::number(v, 'f', 1);
        ajust_ = modul > demanat
                     ? ModTraduccion::TextPrograma("CaixesMida.SotaMinima",
                                                   QStringLiteral("%1 mm is under the smallest printable size: the code is "
                                                                  "%2 mm, its smallest."))
                           .arg(tipus, Mm(m.actual))
                     : ModTraduccion::TextPrograma("CaixesMida.SobreMaxima",
                                                   QStringLiteral("%1 mm is over the largest size offered: the code is %2 mm, "
                                                                  "its largest."))
                           .arg(tipus, Mm(m.actual));
    }
    return modul;
}

} // namespace kovel::codes

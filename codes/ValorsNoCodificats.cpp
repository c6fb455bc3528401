#include "codes/ValorsNoCodificats.h"

#include "common/ModTraduccion.h"

#include <QStringList>

namespace kovel::codes {

void ValorsNoCodificats::Comencar()
{
    nombre_ = 0;
    registre_ = 0;
    primers_.clear();
}

void ValorsNoCodificats::Afegir(std::int32_t registre, const QString& camp, const QString& valor, const QString& motiu)
{
    ++nombre_;
    if (primers_.size() < MaxGuardats) primers_.append(Cas{registre, camp, valor.left(60), motiu});
}

QString ValorsNoCodificats::Resum(int maxRegistres) const
{
    if (nombre_ == 0) return {};
    QStringList records;
    for (const Cas& c : primers_) {
        const QString r = c.registre > 0 ? QString::number(c.registre) : QLatin1Char('"') + c.valor + QLatin1Char('"');
        if (!records.contains(r)) records << r;
        if (records.size() >= maxRegistres) break;
    }
    const bool un = nombre_ == 1;
    QString text = ModTraduccion::CercarLiteral(un ? clauU_ : clau_);
    if (text.isEmpty()) text = un ? textU_ : text_;
    text.replace(QStringLiteral("%1"), QString::number(nombre_));
    text.replace(QStringLiteral("%2"), records.join(QStringLiteral(", ")));
    if (!primers_.isEmpty() && !primers_.front().motiu.isEmpty())
        text += QStringLiteral(" (") + primers_.front().motiu + QLatin1Char(')');
    return text;
}

ValorsNoCodificats& NoCodificats()
{
    static ValorsNoCodificats collector(
        QStringLiteral("CodiBarres.NoCodificats"),
        QStringLiteral("%1 values could not be encoded as barcodes or QR codes; their places were left empty. First "
                       "records affected: %2."),
        QStringLiteral("CodiBarres.NoCodificat"),
        QStringLiteral("1 value could not be encoded as a barcode or QR code; its place was left empty. Record "
                       "affected: %2."));
    return collector;
}

ValorsNoCodificats& NoLlegibles()
{
    static ValorsNoCodificats collector(
        QStringLiteral("CodiBarres.NoLlegibles"),
        QStringLiteral("%1 codes do not fit their labels beside the text on their line, even with the narrowest "
                       "printable modules; they were left at their own size, cut at the label's edge or with that text "
                       "pushed below them, and may not scan. First records affected: %2."),
        QStringLiteral("CodiBarres.NoLlegible"),
        QStringLiteral("1 code does not fit its label beside the text on its line, even with the narrowest printable "
                       "modules; it was left at its own size, cut at the label's edge or with that text pushed below it, "
                       "and may not scan. Record affected: %2."));
    return collector;
}

} // namespace kovel::codes

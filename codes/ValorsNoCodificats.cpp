#include "codes/ValorsNoCodificats.h"

#include "common/ModTraduccion.h"

#include <QStringList>

namespace kovel::codes {

void ValorsNoCodificats::Comencar()
{
    nombre_ = 0;
    lloc_ = {};
    primers_.clear();
}

QString ValorsNoCodificats::Nom(const Lloc& l)
{
    using ModTraduccion::TextPrograma;
    if (l.registre <= 0)
        return {};
    const QString font = l.filaFull ? TextPrograma("CodiBarres.FilaFull", QStringLiteral("worksheet row %1")).arg(l.registre)
                                    : TextPrograma("CodiBarres.Registre", QStringLiteral("record %1")).arg(l.registre);
    if (l.full <= 0)
        return font;
    const QString lloc = l.etiqueta > 0
                             ? TextPrograma("CodiBarres.EtiquetaFull", QStringLiteral("label %1 of sheet %2")).arg(l.etiqueta).arg(l.full)
                             : TextPrograma("CodiBarres.Full", QStringLiteral("sheet %1")).arg(l.full);
    return lloc + QStringLiteral(" (") + font + QLatin1Char(')');
}

void ValorsNoCodificats::Afegir(std::int32_t registre, const QString& camp, const QString& valor, const QString& motiu)
{
    ++nombre_;
    if (primers_.size() < MaxGuardats)
        primers_.append(Cas{registre == lloc_.registre ? lloc_ : Lloc{registre}, camp, valor.left(60), motiu});
}

QString ValorsNoCodificats::Resum(int maxRegistres) const
{
    if (nombre_ == 0) return {};
    QStringList records;
    for (const Cas& c : primers_) {
        const QString r = c.lloc.registre > 0 ? Nom(c.lloc) : QLatin1Char('"') + c.valor + QLatin1Char('"');
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
        QStringLiteral("%1 values could not be written as barcodes or QR codes; their places on the labels were left empty. "
                       "First affected: %2."),
        QStringLiteral("CodiBarres.NoCodificat"),
        QStringLiteral("1 value could not be written as a barcode or QR code; its place on the label was left empty. "
                       "Affected: %2."));
    return collector;
}

ValorsNoCodificats& NoLlegibles()
{
    static ValorsNoCodificats collector(
        QStringLiteral("CodiBarres.NoLlegibles"),
        QStringLiteral("%1 codes do not fit their labels even at their smallest printable size: they were printed at that "
                       "size, cut at the label's edge, and may not scan. First affected: %2."),
        QStringLiteral("CodiBarres.NoLlegible"),
        QStringLiteral("1 code does not fit its label even at its smallest printable size: it was printed at that size, cut "
                       "at the label's edge, and may not scan. Affected: %2."));
    return collector;
}

ValorsNoCodificats& TextsMoguts()
{
    static ValorsNoCodificats collector(
        QStringLiteral("CodiBarres.TextsMoguts"),
        QStringLiteral("On %1 labels the code and the text beside it no longer fit on one line, even at the code's smallest "
                       "printable size: that text went to the next line, and the code is whole. First affected: %2."),
        QStringLiteral("CodiBarres.TextMogut"),
        QStringLiteral("On 1 label the code and the text beside it no longer fit on one line, even at the code's smallest "
                       "printable size: that text went to the next line, and the code is whole. Affected: %2."));
    return collector;
}

ValorsNoCodificats& LiniesFora()
{
    static ValorsNoCodificats collector(
        QStringLiteral("CodiBarres.LiniesFora"),
        QStringLiteral("On %1 labels the code fits only on a line of its own, even at its smallest printable size: it is "
                       "whole, but the lines under it fall past the label's foot and are cut. First affected: %2."),
        QStringLiteral("CodiBarres.LiniaFora"),
        QStringLiteral("On 1 label the code fits only on a line of its own, even at its smallest printable size: it is "
                       "whole, but the lines under it fall past the label's foot and are cut. Affected: %2."));
    return collector;
}

} // namespace kovel::codes

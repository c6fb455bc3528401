#include "codes/ui/CaixesMida.h"

#include "common/ModTraduccion.h"
#include "common/ui/Finestres.h"

#include <QLabel>
#include <QLineEdit>

#include <initializer_list>

using kovel::ui::Control;
using kovel::ui::Tw;

namespace kovel::codes {

CaixesMida::CaixesMida(QWidget* pare, int x, int y)
{
    rotol = Control<QLabel>(pare, "lblMida", Tw(x, y + 40, 1500, 300));
    ample = Control<QLineEdit>(pare, "txtAmple", Tw(x + 1560, y, 900, 360));
    auto* per = Control<QLabel>(pare, "lblPer", Tw(x + 2500, y + 40, 240, 300));
    alt = Control<QLineEdit>(pare, "txtAlt", Tw(x + 2780, y, 900, 360));
    rotol->setText(QStringLiteral("Size (mm)"));
    rotol->setBuddy(ample);
    per->setText(QStringLiteral("x"));
    per->setAlignment(Qt::AlignCenter);
}

void CaixesMida::Connectar(const std::function<void(bool, const QString&)>& canviar, const std::function<void()>& mostrar) const
{
    for (QLineEdit* caixa : {ample, alt})
        QObject::connect(caixa, &QLineEdit::editingFinished, caixa, [caixa, esAmple = caixa == ample, canviar, mostrar] {
            if (!caixa->isModified()) return;
            canviar(esAmple, caixa->text());
            caixa->setModified(false);
            mostrar();
        });
}

void CaixesMida::Mostrar(const std::optional<MidaDialeg::Mides>& mides) const
{
    for (QLineEdit* caixa : {ample, alt}) {
        caixa->setEnabled(mides.has_value());
        if (caixa->hasFocus() && caixa->isModified()) continue;
        caixa->setText(mides ? QString::number(caixa == ample ? mides->actual.width() : mides->actual.height(), 'f', 1) : QString());
    }
    if (!mides) return;
    const auto mm = [](const QSizeF& s) { return QStringLiteral("%1 x %2").arg(s.width(), 0, 'f', 1).arg(s.height(), 0, 'f', 1); };
    QString ajuda;
    if (mides->cap)
        ajuda = ModTraduccion::TextPrograma("CaixesMida.NoHiCap",
                                            QStringLiteral("Even at its smallest printable size, %1 mm, the code does not fit "
                                                           "the room the label leaves it, %2 mm."))
                    .arg(mm(mides->minima), mm(*mides->maxima));
    else if (mides->maxima)
        ajuda = ModTraduccion::TextPrograma("CaixesMida.Limits",
                                            QStringLiteral("From %1 mm, its smallest printable size, up to %2 mm, the room the "
                                                           "label leaves it; between them in steps that keep every module "
                                                           "whole dots of the printer."))
                    .arg(mm(mides->minima), mm(*mides->maxima));
    else
        ajuda = ModTraduccion::TextPrograma("CaixesMida.Minima", QStringLiteral("From %1 mm, its smallest printable size."))
                    .arg(mm(mides->minima));
    for (QWidget* w : std::initializer_list<QWidget*>{rotol, ample, alt}) w->setToolTip(ajuda);
}

} // namespace kovel::codes

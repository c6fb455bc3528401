#include "codes/ui/CaixesMida.h"

#include "common/ui/Finestres.h"

#include <QLabel>
#include <QLineEdit>

#include <initializer_list>

using kovel::ui::Control;
using kovel::ui::Tw;

namespace kovel::codes {

CaixesMida::CaixesMida(QWidget* pare, int x, int y, int altNota)
{
    rotol = Control<QLabel>(pare, "lblMida", Tw(x, y + 40, 1500, 300));
    ample = Control<QLineEdit>(pare, "txtAmple", Tw(x + 1560, y, 900, 360));
    auto* per = Control<QLabel>(pare, "lblPer", Tw(x + 2500, y + 40, 240, 300));
    alt = Control<QLineEdit>(pare, "txtAlt", Tw(x + 2780, y, 900, 360));
    rotol->setText(QStringLiteral("Size (mm)"));
    rotol->setBuddy(ample);
    per->setText(QStringLiteral("x"));
    per->setAlignment(Qt::AlignCenter);
    abast = Control<QLabel>(pare, "lblAbastMida", Tw(x, y + 400, 3680, altNota));
    abast->setWordWrap(true);
    abast->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CaixesMida::Connectar(ModelAmbMida& model, const std::function<void()>& mostrar) const
{
    for (QLineEdit* caixa : {ample, alt})
        QObject::connect(caixa, &QLineEdit::editingFinished, caixa, [caixa, esAmple = caixa == ample, &model, mostrar] {
            if (!caixa->isModified()) return;
            esAmple ? model.CanviarAmple(caixa->text()) : model.CanviarAlt(caixa->text());
            caixa->setModified(false);
            mostrar();
        });
}

void CaixesMida::Mostrar(const std::optional<MidaDialeg::Mides>& mides, const QString& ajust) const
{
    const bool oferta = mides && !mides->cap;
    for (QLineEdit* caixa : {ample, alt}) {
        caixa->setEnabled(oferta);
        if (caixa->hasFocus() && caixa->isModified()) continue;
        caixa->setText(oferta ? QString::number(caixa == ample ? mides->actual.width() : mides->actual.height(), 'f', 1) : QString());
    }
    const QString limits = mides ? MidaDialeg::Abast(*mides) : QString();
    abast->setText(oferta && !ajust.isEmpty() ? ajust : limits);
    for (QWidget* w : std::initializer_list<QWidget*>{rotol, ample, alt, abast}) w->setToolTip(limits);
}

} // namespace kovel::codes

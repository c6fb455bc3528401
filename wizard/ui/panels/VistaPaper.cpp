#include "wizard/ui/panels/VistaPaper.h"

#include "appearance/ui/Aparenca.h"
#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/ModTolvWiz.h"
#include "common/ui/BotoImatge.h"
#include "wizard/panels/PasPaper.h"
#include "wizard/ui/FrmTolvWiz.h"

#include <QEvent>
#include <QLabel>

#include <algorithm>

namespace kovel::wizard {

using namespace controls;

VistaPaper::VistaPaper(FrmTolvWiz& finestra, PasPaper& model) : VistaPas(finestra, model, 1) {}

PasPaper& VistaPaper::paper() const { return static_cast<PasPaper&>(model_); }

void VistaPaper::construeix()
{
    QWidget* p = panel();
    static const char* const opts[5] = {"optDinA4", "optContinuo", "optLetter", "optDinA5", "optTermic"};
    static const char* const descr[5] = {"lblDescrDinA4", "lblDescrContinuo", "lblDescrLetter", "lblDescrDinA5", "lblDescrTermic"};
    static const char* const imgs[5] = {"ImgDinA4", "ImgContinuo", "ImgLetter", "ImgDinA5", "ImgTermic"};
    for (int t = 0; t < 5; ++t) {
        // Designed one under another in the order A5, A4, continuous, Letter, thermal.
        static const int fila[5] = {1, 2, 3, 0, 4};
        optPapel[t] = Opcio(p, opts[t], Tw(900, 1760 + 789 * fila[t], 330, 330));
        lblDescrPapel[t] = Etiqueta(p, descr[t], Tw(1350, 1760 + 789 * fila[t], 4200, 330));
        lblDescrPapel[t]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Clicable(lblDescrPapel[t], this);
        ImgPapel[t] = Etiqueta(p, imgs[t], Tw(6500, 1300, 3200, 3900));
        ImgPapel[t]->setFrameShape(QFrame::Box);
        ImgPapel[t]->hide();
        connect(optPapel[t], &QAbstractButton::clicked, this, [this, t] { optPapel_Click(t); });
    }
    static const char* const mides[6] = {"lblMidesA4amp", "lblMidesA4llarg", "lblMidesLetterAmp",
                                         "lblMidesLetterLlarg", "lblMidesA5amp", "lblMidesA5llarg"};
    static const char* const textos[6] = {"210 mm", "297 mm", "8.5 in", "11 in", "148 mm", "210 mm"};
    for (int i = 0; i < 6; ++i) {
        lblMides[i] = Etiqueta(p, mides[i], i % 2 == 0 ? Tw(6500, 5300, 3200, 300) : Tw(9800, 1300, 1300, 300),
                               QString::fromLatin1(textos[i]));
        lblMides[i]->setAlignment(Qt::AlignCenter);
        lblMides[i]->hide();
    }
}

void VistaPaper::textos() { AlineaOpcionsPaper(); }

void VistaPaper::aparenca()
{
    // The paper pictures stand in their frames without a box, and the frames scale with the
    // window like every other control.
    for (QLabel* img : ImgPapel)
        if (!img->pixmap().isNull()) {
            img->setFrameShape(QFrame::NoFrame);
            img->setAlignment(Qt::AlignCenter);
            img->setProperty("imatge", false);
        }
}

void VistaPaper::mostra()
{
    const auto& opt = estat().pasPaper().optPapel;
    static const int parella[5] = {0, -1, 2, 4, -1};   // first size caption of each paper
    for (QLabel* l : lblMides)
        l->hide();
    for (int t = 0; t < 5; ++t) {
        Posa(optPapel[t], opt[t]);
        ImgPapel[t]->setVisible(opt[t]);
        if (opt[t] && parella[t] >= 0) {
            lblMides[parella[t]]->show();
            lblMides[parella[t] + 1]->show();
        }
    }
}

void VistaPaper::optPapel_Click(int tipus)
{
    paper().optPapel_Click(tipus);
    w_.mostra();
}

bool VistaPaper::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease)
        for (int t = 0; t < 5; ++t)
            if (watched == lblDescrPapel[t])
                optPapel[t]->click();
    return QObject::eventFilter(watched, event);
}

void VistaPaper::AlineaOpcionsPaper()
{
    const auto visibles = paper().TiposPapelVisibles();
    static const int ordre[5] = {PapelA5, PapelA4, PapelContinuo, PapelLetter, PapelTermico};
    std::array<bool, 5> enOrdre{};
    for (int t = 0; t < 5; ++t) {
        lblDescrPapel[t]->setVisible(visibles[t]);
        optPapel[t]->setVisible(visibles[t]);
    }
    for (int i = 0; i < 5; ++i)
        enOrdre[i] = visibles[ordre[i]];
    // The look's stacking rule; with no paper type offered nothing moves.
    const auto tops = KOVEL_espec::AlineaOpcionsPaper(enOrdre);
    if (std::none_of(tops.begin(), tops.end(), [](const auto& t) { return t.has_value(); }))
        return;
    for (int i = 0; i < 5; ++i)
        if (tops[i]) {
            optPapel[ordre[i]]->move(optPapel[ordre[i]]->x(), kovel::ui::Px(*tops[i]));
            lblDescrPapel[ordre[i]]->move(lblDescrPapel[ordre[i]]->x(), kovel::ui::Px(*tops[i]));
        }
    // The catalogue loader then closes the gaps of missing paper types: the continuous
    // paper's place goes to Letter and Letter's to thermal, then Letter's to thermal again.
    const auto pren = [this](int qui, int de) {
        optPapel[qui]->move(optPapel[qui]->x(), optPapel[de]->y());
        lblDescrPapel[qui]->move(lblDescrPapel[qui]->x(), lblDescrPapel[de]->y());
    };
    if (!visibles[PapelContinuo]) {
        pren(PapelTermico, PapelLetter);
        pren(PapelLetter, PapelContinuo);
    }
    if (!visibles[PapelLetter])
        pren(PapelTermico, PapelLetter);
}

} // namespace kovel::wizard

#include "wizard/ui/panels/VistaFinal.h"

#include "appearance/ui/Aparenca.h"
#include "common/BasicRules.h"
#include "common/HostProfile.h"
#include "common/ModTraduccion.h"
#include "common/ui/BotoImatge.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasDisseny.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/ui/FrmTolvWiz.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>

namespace kovel::wizard {

using namespace controls;

VistaFinal::VistaFinal(FrmTolvWiz& finestra, PasFinal& model) : VistaPas(finestra, model, 6) {}

PasFinal& VistaFinal::final_() const { return static_cast<PasFinal&>(model_); }

void VistaFinal::aparenca() { KOVEL_espec::PosaFons(panel(), QStringLiteral("fonsfinal_comu.dat")); }

bool VistaFinal::treball(bool comenca)
{
    PctProgressBar->setVisible(comenca);
    LblProgreso->setVisible(comenca);
    return true;
}

QProgressBar* VistaFinal::barraProgres() { return PctProgressBar; }

bool VistaFinal::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 2; ++i)
            if (watched == lblEtiqpag[i])
                OpcEtiqpag[i]->click();
        return false;
    }
    if (event->type() == QEvent::MouseButtonDblClick)
        return false;
    auto* e = qobject_cast<QLineEdit*>(watched);
    if (e && (e == txtFila_inicial || e == txtFila_final)) {
        if (event->type() == QEvent::KeyPress) {
            const QString t = static_cast<QKeyEvent*>(event)->text();
            if (!t.isEmpty() && !kovel::basic::TeclaDeNumero(t[0].unicode())) {
                QApplication::beep();
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            QMetaObject::invokeMethod(e, &QLineEdit::selectAll, Qt::QueuedConnection);
        } else if (event->type() == QEvent::FocusOut && !filaEnCurs_) {
            txtFila_Validate(e == txtFila_inicial);
        }
    }
    return QObject::eventFilter(watched, event);
}

void VistaFinal::construeix()
{
    QWidget* p = panel();
    img_final1 = Etiqueta(p, "img_final1", Tw(600, 1100, 5000, 4300));
    img_final2 = Etiqueta(p, "img_final2", Tw(600, 1100, 5000, 4300));
    LblPresentacion = Etiqueta(p, "LblPresentacion", Tw(600, 1100, 5000, 600));
    LblPresentacion2 = Etiqueta(p, "LblPresentacion2", Tw(6200, 2500, 5000, 2000));
    LblDistribucion = Etiqueta(p, "LblDistribucion", Tw(6100, 3000, 5100, 300));
    for (int i = 0; i < 2; ++i) {
        OpcEtiqpag[i] = Membre<BotoImatge>(p, "OpcEtiqpag", i, Tw(6200, 4500 + 400 * i, 330, 330));
        FesOpcio(OpcEtiqpag[i]);
        lblEtiqpag[i] = Membre<QLabel>(p, "lblEtiqpag", i, Tw(6650, 4500 + 400 * i, 4600, 330));
        lblEtiqpag[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Clicable(lblEtiqpag[i], this);
        connect(OpcEtiqpag[i], &QAbstractButton::clicked, this, [this, i] {
            final_().OpcEtiqpag_Click(i);
            mostra();
        });
    }
    lblFila_inicial = Etiqueta(p, "lblFila_inicial", Tw(6500, 4500, 1900, 300));
    txtFila_inicial = Control<QLineEdit>(p, "txtFila_inicial", Tw(8500, 4400, 1000, 315));
    lblFila_final = Etiqueta(p, "lblFila_final", Tw(6500, 4900, 1900, 300));
    txtFila_final = Control<QLineEdit>(p, "txtFila_final", Tw(8500, 4800, 1000, 315));
    for (QLineEdit* e : {txtFila_inicial, txtFila_final}) {
        e->setMaxLength(9);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this,
                [this] { final_().txtFila_Change(txtFila_inicial->text(), txtFila_final->text()); });
    }
    cmdPresentacion = Control<BotoImatge>(p, "cmdPresentacion", Tw(9300, 5300, 1900, 400));
    connect(cmdPresentacion, &QAbstractButton::clicked, this, [this] { cmdPresentacion_Click(); });
    PctProgressBar = Control<QProgressBar>(p, "PctProgressBar", Tw(600, 5950, 10600, 220));
    LblProgreso = Etiqueta(p, "LblProgreso", Tw(600, 5650, 5000, 300));
    PctProgressBar->hide();
    LblProgreso->hide();
}

void VistaFinal::AjustaTitolPanel()
{
    titol()->setGeometry(Tw(6200, 1500, 5000, titol()->height() * 15));
    LblPresentacion2->setText(Lit(504));
    LblPresentacion2->setGeometry(Tw(6200, 2500, 5000, 2000));
}

void VistaFinal::AjustaPanelDistribucio()
{
    titol()->setGeometry(Tw(6100, 900, 5100, titol()->height() * 15));
    // The text names what the panel shows: the rows only where there are rows.
    const QString text = estat().esExcel()
        ? ModTraduccion::TextPrograma("FrmTolvWiz.LblPresentacion2.Files",
                                      QStringLiteral("Your labels are ready to be made. Choose how many labels each record "
                                                     "gets and the rows of the worksheet to print, then press Finish."))
        : Lit(504);
    LblPresentacion2->setText(text + QStringLiteral("\r\n") + Lit(506));
    LblPresentacion2->setGeometry(Tw(6100, 1700, 5100, 1500));
    // As high as its text, so that it never reaches the choice under it.
    LblPresentacion2->resize(LblPresentacion2->width(),
                             std::min(LblPresentacion2->height(), LblPresentacion2->heightForWidth(LblPresentacion2->width())));
    LblDistribucion->setGeometry(Tw(6100, 3000, 5100, 300));
    OpcEtiqpag[0]->move(Tw(6100, 3400, 0, 0).topLeft());
    OpcEtiqpag[1]->move(Tw(6100, 3800, 0, 0).topLeft());
    lblEtiqpag[0]->setGeometry(Tw(6550, 3400, 4650, 330));
    lblEtiqpag[1]->setGeometry(Tw(6550, 3800, 4650, 330));
    txtFila_inicial->move(Tw(8500, 4400, 0, 0).topLeft());
    lblFila_inicial->move(Tw(6500, 4450, 0, 0).topLeft());
    txtFila_final->move(Tw(8500, 4800, 0, 0).topLeft());
    lblFila_final->move(Tw(6500, 4850, 0, 0).topLeft());
}

void VistaFinal::cmdPresentacion_Click()
{
    if (estat().Generando)
        return;
    treball(true);
    w_.modoEspera(true);
    const Avis avis = estat().Presentacion();
    w_.modoEspera(false);
    treball(false);
    w_.avisa(avis);
}

void VistaFinal::txtFila_Validate(bool inicial)
{
    filaEnCurs_ = true;
    QLineEdit* box = inicial ? txtFila_inicial : txtFila_final;
    QLineEdit* altre = inicial ? txtFila_final : txtFila_inicial;
    const ValidacioFila v = final_().txtFila_Validate(inicial, box->text(), altre->text());
    box->setText(v.text);
    if (v.canviaAltre)
        altre->setText(v.textAltre);
    if (v.beep)
        QApplication::beep();
    if (v.cancel)
        box->setFocus();
    else if (v.focusAltre)
        altre->setFocus();
    filaEnCurs_ = false;
}

void VistaFinal::mostra()
{
    const bool abans = omplint();
    omplint() = true;
    const ControlsFinal v = final_().controls();
    if (estat().esWord())
        AjustaTitolPanel();
    else
        AjustaPanelDistribucio();
    for (int i = 0; i < 2; ++i) {
        Posa(OpcEtiqpag[i], final_().OpcEtiqpag[i]);
        const bool visible = i == 0 ? v.OpcEtiqpag0 : v.OpcEtiqpag1;
        OpcEtiqpag[i]->setVisible(visible);
        lblEtiqpag[i]->setVisible(visible);
        // The chosen option's caption stands out; the other's is plain.
        QFont f = lblEtiqpag[i]->font();
        f.setBold(final_().OpcEtiqpag[i]);
        lblEtiqpag[i]->setFont(f);
        lblEtiqpag[i]->setStyleSheet(final_().OpcEtiqpag[i] ? QStringLiteral("color: white") : QStringLiteral("color: #b8c8e0"));
    }
    LblPresentacion2->setVisible(v.LblPresentacion2);
    LblDistribucion->setVisible(!estat().esWord());
    img_final1->setVisible(v.img_final1);
    img_final2->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{txtFila_inicial, txtFila_final, lblFila_inicial, lblFila_final})
        w->setVisible(v.files);
    if (txtFila_inicial->text() != final_().txtFila_inicial)
        txtFila_inicial->setText(final_().txtFila_inicial);
    if (txtFila_final->text() != final_().txtFila_final)
        txtFila_final->setText(final_().txtFila_final);
    omplint() = abans;
}

} // namespace kovel::wizard

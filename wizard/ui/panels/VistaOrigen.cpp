#include "wizard/ui/panels/VistaOrigen.h"

#include "appearance/ui/Aparenca.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/ModTolvWiz.h"
#include "common/ui/BotoImatge.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasOrigen.h"
#include "wizard/ui/FrmTolvWiz.h"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>

namespace kovel::wizard {

using namespace controls;

VistaOrigen::VistaOrigen(FrmTolvWiz& finestra, PasOrigen& model) : VistaPas(finestra, model, 3) {}

PasOrigen& VistaOrigen::origen() const { return static_cast<PasOrigen&>(model_); }

void VistaOrigen::construeix()
{
    QWidget* p = panel();
    for (int i = 0; i < 4; ++i) {
        opcOrigDatos[i] = Membre<BotoImatge>(p, "opcOrigDatos", i, Tw(900, 1500 + 800 * i, 330, 330));
        FesOpcio(opcOrigDatos[i]);
        Label_opcDatos[i] = Membre<QLabel>(p, "Label_opcDatos", i, Tw(1350, 1500 + 800 * i, 4800, 700));
        Label_opcDatos[i]->setWordWrap(true);
        Label_opcDatos[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        Clicable(Label_opcDatos[i], this);
        connect(opcOrigDatos[i], &QAbstractButton::clicked, this, [this, i] {
            origen().opcOrigDatos_Click(i);
            mostra();
            w_.botoSiguiente()->setFocus();
        });
    }
    LstHojas = Control<QListWidget>(p, "LstHojas", Tw(900, 1500, 4800, 3900));
    LstTablas = Control<QListWidget>(p, "LstTablas", Tw(900, 1500, 4800, 3900));
    connect(LstHojas, &QListWidget::currentRowChanged, this, [this](int r) {
        if (!omplint())
            origen().LstHojas_Click(r);
    });
    connect(LstTablas, &QListWidget::currentRowChanged, this, [this](int r) {
        if (!omplint())
            origen().LstTablas_Click(r);
    });
    connect(LstHojas, &QListWidget::itemDoubleClicked, this, [this] { w_.MostrarPanel(+1); });
    connect(LstTablas, &QListWidget::itemDoubleClicked, this, [this] { w_.MostrarPanel(+1); });
    PctProgressBarHojas = Control<QProgressBar>(p, "PctProgressBarHojas", Tw(900, 5500, 4800, 250));
    lblProgresoHojas = Etiqueta(p, "lblProgresoHojas", Tw(900, 5200, 4800, 300));
    pctProgressBarTablas = Control<QProgressBar>(p, "pctProgressBarTablas", Tw(900, 5500, 4800, 250));
    lblProgresoTablas = Etiqueta(p, "lblProgresoTablas", Tw(900, 5200, 4800, 300));
    pctExcelPanel3 = Etiqueta(p, "pctExcelPanel3", Tw(6400, 1300, 4900, 4300));
    pctAccessPanel3 = Etiqueta(p, "pctAccessPanel3", Tw(6400, 1300, 4900, 4300));
    // The hosts' backgrounds of the panel's right side: other controls may stand on them.
    pctExcelPanel3->setProperty("fons", true);
    pctAccessPanel3->setProperty("fons", true);
    for (QWidget* w : std::initializer_list<QWidget*>{LstHojas, LstTablas, PctProgressBarHojas, lblProgresoHojas,
                                                      pctProgressBarTablas, lblProgresoTablas, pctExcelPanel3,
                                                      pctAccessPanel3})
        w->hide();
}

void VistaOrigen::textos()
{
    if (estat().esAccess()) {
        titol()->setText(Lit(6021));
    } else if (estat().esExcel()) {
        titol()->resize(int(w_.width() - 1.5 * titol()->x()), titol()->height());
        titol()->setText(Lit(6020));
    }
}

void VistaOrigen::aparenca()
{
    KOVEL_espec::PosaFons(pctAccessPanel3, QStringLiteral("fons_dreta.dat"));
    KOVEL_espec::PosaFons(pctExcelPanel3, QStringLiteral("fons_dreta.dat"));
    for (QLabel* fons : {pctExcelPanel3, pctAccessPanel3})
        fons->setProperty("imatge", false);
}

void VistaOrigen::mostra()
{
    const bool abans = omplint();
    omplint() = true;
    const EstatAssistent& e = estat();
    const auto& opc = origen().opcOrigDatos;
    for (int i = 0; i < 4; ++i) {
        Posa(opcOrigDatos[i], opc[i]);
        const bool visible = origen().opcioOferta(i);
        opcOrigDatos[i]->setVisible(visible);
        Label_opcDatos[i]->setVisible(visible);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{PctProgressBarHojas, lblProgresoHojas, pctProgressBarTablas,
                                                      lblProgresoTablas})
        w->hide();
    titol()->show();
    pctExcelPanel3->setVisible(e.esExcel());
    pctAccessPanel3->setVisible(e.esAccess());
    QListWidget* llista = e.esExcel() ? LstHojas : e.esAccess() ? LstTablas : nullptr;
    if (llista) {
        const QStringList& noms = e.esExcel() ? origen().LstHojas : origen().LstTablas;
        QStringList ara;
        for (int i = 0; i < llista->count(); ++i)
            ara << llista->item(i)->text();
        if (ara != noms) {
            llista->clear();
            llista->addItems(noms);
        }
        llista->setCurrentRow(e.esExcel() ? origen().LstHojasIndex : origen().LstTablasIndex);
        llista->show();
    }
    omplint() = abans;
}

QProgressBar* VistaOrigen::barraProgres()
{
    if (estat().esWord())
        return nullptr;
    const bool access = estat().esAccess();
    QProgressBar* barra = access ? pctProgressBarTablas : PctProgressBarHojas;
    QLabel* text = access ? lblProgresoTablas : lblProgresoHojas;
    if (!barra->isVisible()) {
        barra->resize(panel()->width() - barra->x() - kovel::ui::Px(100), barra->height());
        (access ? LstTablas : LstHojas)->hide();
        titol()->hide();
        barra->show();
        text->show();
        panel()->show();
    }
    return barra;
}

bool VistaOrigen::eventFilter(QObject* watched, QEvent* event)
{
    for (int i = 0; i < 4; ++i)
        if (watched == Label_opcDatos[i]) {
            if (event->type() == QEvent::MouseButtonRelease)
                opcOrigDatos[i]->click();
            else if (event->type() == QEvent::MouseButtonDblClick)
                w_.MostrarPanel(+1);
        }
    return QObject::eventFilter(watched, event);
}

} // namespace kovel::wizard

#pragma once
// The product look applied to the windows: skin pictures, fonts, colours and layout, by
// control name. Every step that cannot be done (a control the window lacks, a picture that
// is missing or unreadable) is passed over and logged: the control keeps its plain look and
// the window is shown all the same.
#include "appearance/KOVEL_espec.h"

#include <QList>
#include <QPixmap>
#include <QStringList>

class QWidget;
class frm_rvtMsgBox;

namespace KOVEL_espec {

// The window's controls of that name: with `index` ≥ 0 the element of a control array
// (property "index"), else every control of the name.
QList<QWidget*> Controls(QWidget* finestra, const QString& nom, int index = -1);

// A picture of the program's DATA folder (found without regard to case; the 2x picture
// beside it serves screens at 200%); a null pixmap when it is missing or unreadable.
QPixmap CarregaImatge(const QString& fitxer);

// What a pass could not do: one line per control or picture passed over.
using Informe = QStringList;

Informe AplicaPells(QWidget* finestra, const std::vector<Pell>& pells, bool esWord);
Informe Carga_ImagenesWizard(QWidget* frmTolvWiz);
Informe Carga_ImagenesMsgBox(frm_rvtMsgBox* box);
Informe Carga_ImagenesOpciones(QWidget* frmOptions);
// A window's or picture box's background picture.
bool PosaFons(QWidget* w, const QString& fitxer);

Informe EstilFormulari(QWidget* frmTolvWiz, kovel::HostOffice host);
Informe EstilOpcions(QWidget* frmOptions);
Informe DimensionaFormulari(QWidget* frmTolvWiz);
// With no paper type shown nothing moves.
Informe AlineaOpcionsPaper(QWidget* frmTolvWiz);
Informe AjustaTitolPanel(QWidget* frmTolvWiz);
Informe AjustaPanelDistribucio(QWidget* frmTolvWiz, kovel::HostOffice host);

// The message box takes its skin whenever it is made.
void InstallaAparencaMissatges();

} // namespace KOVEL_espec

#pragma once
// The program's start-up once the literals are loaded and the command line has chosen the
// host: the program folder, the look, the icons, the update offer, the splash, the wizard
// window, then the steps that need the loaded window.
#include "common/HostProfile.h"
#include "wizard/TiposEspeciales.h"

#include <QIcon>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace kovel::wizard {

// What start-up hands the wizard window's entry.
struct ArrencadaAssistent {
    kovel::HostOffice host = kovel::HostOffice::Cap;
    QString liniaComandes;
    QString versio;   // first line of "versio.txt"; "" without it (lbl_version: "v. " and this)
    TaulaTiposEspeciales tiposEspeciales;   // "special.uni", read before the window loads
    // The entry calls this once its window has loaded and shows (FrmTolvWiz.Cargar gave
    // True), before it runs the window's events: the system language, the banner, the
    // redraw, the "LOG" switch, the progress bar on the host's controls, the printer check
    // and bringing the window to the front. `formatsOmesos`: what the window's catalogue left
    // out when it loaded (FormatosOmitidos), logged once the log is on; `fontDades`: the
    // path of the workbook or database the window opened ("" without one). Returns the
    // system language read (IdiomaDelSistema).
    std::function<std::int16_t(QWidget* finestra, const QStringList& formatsOmesos, const QString& fontDades)>
        finestraCarregada;
};

// The wizard window's entry: loads the window (its loading closes the splash and turns the
// hourglass off), calls finestraCarregada, runs the window until it closes and returns the
// exit status (non-zero when the window could not load; it has shown its message). The
// program sets ExecutaAssistent; with none set start-up ends there with status 2.
using EntradaAssistent = std::function<int(const ArrencadaAssistent&)>;
void setEntradaAssistent(EntradaAssistent entrada);

// Steps of other parts of the program that start-up runs in their place; any may be empty.
struct PassosExterns {
    std::function<void()> estilFormulari;        // the product look, before any window
    std::function<bool()> ofertaInstallador;     // update settings and a downloaded installer; false ends
    std::function<void(QWidget*)> iniciaBanner;  // the web banner of the loaded window
};
void setPassosExterns(PassosExterns passos);

// Start-up from the program folder on (the whole command line as one text). Returns the
// program's exit status.
int Arrencada(const QString& linia);

// The splash's closing before every message box of start-up, its hiding while a data source
// asks for a file, and the open-file dialog as the data sources' file chooser.
void InstallaServeisArrencada();

// What finestraCarregada runs for the window of this start-up; returns the system language.
std::int16_t DespresDeCarregar(QWidget* finestra, const QString& linia, const QStringList& formatsOmesos = {},
                               const QString& fontDades = {});

// The program's icon (drawn, so no picture file is needed) given to every window.
QIcon IconaPrograma();
void Asigna_Iconos();

// The printer check: with no printer installed, literal 45 asks whether to add one; Yes starts
// the system's printer settings without waiting for them. Tests give their own printers and
// starter; empty functions put back the print system's.
using LlistaImpressores = std::function<QStringList()>;
using AfegeixImpressora = std::function<void()>;
void setImpressores(LlistaImpressores llista, AfegeixImpressora afegeix);
void Comprueba_Impresora();

} // namespace kovel::wizard

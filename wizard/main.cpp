// KovelAssist: the program's entry. Start-up order: the hourglass, a second copy ends at once,
// the literals are loaded, the command line picks the host or runs the print mode; the rest
// of start-up (wizard/ui/Arrencada.h) leads to the wizard window.
#include "appearance/ui/Aparenca.h"
#include "catalogue/ui/frmOptions.h"
#include "common/HostProfile.h"
#include "common/ModAutoUpdate2.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/ModTolvWizUi.h"
#include "platform/paths/Paths.h"
#include "wizard/ui/Arrencada.h"
#include "wizard/CopiaUnica.h"
#include "wizard/LineaComandos.h"
#include "wizard/ui/Assistent.h"
#include "wizard/ui/BannerHTML.h"

#include <QApplication>
#include <QDir>
#include <QStringList>

int main(int argc, char** argv)
{
    // The command line as one text, as the program has always read it.
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts << QString::fromLocal8Bit(argv[i]);
    const QString linia = parts.join(QLatin1Char(' '));
    const ModTolvWiz::AccioLinia accio = ModTolvWiz::ClassificaLinia(linia);

    const bool senseDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if ((accio == ModTolvWiz::AccioLinia::Impressio || senseDisplay) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString carpetaActual = QDir::currentPath();
    ModTolvWiz::FixaRutesDeLEntorn(carpetaActual);
    // Nobody watches the print mode: its messages go to stderr (offscreen already does that).
    if (accio == ModTolvWiz::AccioLinia::Impressio)
        mod_rvtMsgBox::setSensePersona(true);
    // The message box wears the product's skin in every mode.
    KOVEL_espec::InstallaAparencaMissatges();

    ModTolvWiz::Puntero_Espera(true);

    // One copy of the window per user; print runs one at a time.
    ModTolvWiz::CopiaUnica copiaUnica;
    if (const std::optional<int> estat = copiaUnica.Pren(accio))
        return *estat;

    QString missatge;
    if (!ModTraduccion::CarregarLiterals(missatge)) {
        ModTolvWiz::Puntero_Espera(false);
        ModTolvWiz::Mensaje_Error(missatge);
        return 1;
    }
    if (const std::optional<int> estat = ModTolvWiz::Lee_LineaComandos(linia, carpetaActual)) {
        ModTolvWiz::Puntero_Espera(false);
        return *estat;
    }
    kovel::wizard::setEntradaAssistent(&kovel::wizard::ExecutaAssistent);
    kovel::wizard::setPassosExterns({
        [] { KOVEL_espec::InstallaAparencaMissatges(); },
        [] {
            ModAutoUpdate2::LlegirConfiguracio();
            return !ModAutoUpdate2::ExecutarInstalPendent(ProgramaOffice);
        },
        [](QWidget* finestra) { ModTolvWiz::Carga_Banner(finestra, ProgramaOffice); },
    });
    frmOptions::setAparenca([](frmOptions* f) { KOVEL_espec::Carga_ImagenesOpciones(f); });
    return kovel::wizard::Arrencada(linia);
}

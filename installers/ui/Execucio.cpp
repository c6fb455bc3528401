#include "installers/ui/Execucio.h"

#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/MsgBox.h"
#include "installers/ui/FrmEspera.h"

#include <QApplication>
#include <QDir>
#include <QStringList>

namespace Instalador {

void TriaPlataforma()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QString LiniaDe(int argc, char** argv)
{
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts << QString::fromLocal8Bit(argv[i]);
    return parts.join(QLatin1Char(' '));
}

int Executa(Accio accio, const kovel::office::EntryPoint& entry, const Titols& titols, int charset)
{
    if (accio == Accio::Cap)
        return 0;
    const bool instal_lant = accio == Accio::Instal_lar;
    FrmEspera espera(titols.instal_lar, titols.desinstal_lar, charset);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    espera.Cargar(instal_lant);
    const kovel::office::Profile profile = kovel::office::profile();
    const Resultat r = instal_lant ? Instal_lar(entry, profile) : Desinstal_lar(entry.host, profile);
    espera.DesCargar();
    QApplication::restoreOverrideCursor();
    if (r.ok)
        return 0;
    mod_rvtMsgBox::rvtMsgBox(r.missatge, mod_rvtMsgBox::vbCritical, QStringLiteral("KOVEL Videvoviv"));
    return 1;
}

void MostraIEsborra(const Titols& titols, int charset)
{
    FrmEspera espera(titols.instal_lar, titols.desinstal_lar, charset);
    espera.Cargar(true);
    espera.DesCargar();
}

int Main(kovel::office::Host host, int argc, char** argv)
{
    using kovel::office::Host;
    const QString linia = LiniaDe(argc, argv);
    TriaPlataforma();
    QApplication app(argc, argv);
    switch (host) {
    case Host::Writer: Word_espec::Inicialitzar(); break;
    case Host::Calc: Excel_espec::Inicialitzar(); break;
    case Host::Base: Access_espec::Inicialitzar(); break;
    }
    // The word processor's installer ends at once on a line it does not know.
    if (host == Host::Writer && AccioWord(linia) == Accio::Cap)
        return 0;

    const QString carpeta = ModReg::RutaPrograma();
    Literales_Instalador::Texts texts;
    Literales_Instalador::LlegirLiterals(texts, carpeta);
    const int charset = Literales_Instalador::JocCaracters(texts);
    Titols titols;
    switch (host) {
    case Host::Writer: titols = {texts.msgInstalarWord, texts.msgDesinstalarWord}; break;
    case Host::Calc: titols = {texts.msgInstalarExcel, texts.msgDesinstalarExcel}; break;
    case Host::Base: titols = {texts.msgInstalarAccess, texts.msgDesinstalarAccess}; break;
    }
    kovel::office::EntryPoint entry;
    entry.host = host;
    entry.menuText = texts.toolsMenuText;
    entry.tooltip = texts.tolvTooltip;
    Accio accio;
    if (host == Host::Writer) {
        accio = AccioWord(linia);
        // The program lives beside its installers; its button has the default picture.
        entry.program = carpeta + QStringLiteral("/KovelAssist");
    } else {
        const LiniaOrdres ordres = LlegirLinia(linia);
        if (ordres.accio == Accio::Cap) {
            MostraIEsborra(titols, charset);
            return 0;
        }
        accio = ordres.accio;
        if (!ordres.executable.isEmpty())
            entry.program = QDir::current().absoluteFilePath(ordres.executable);
        entry.face = kovel::office::faceFromFile(ordres.imatge);
    }
    return Executa(accio, entry, titols, charset);
}

} // namespace Instalador

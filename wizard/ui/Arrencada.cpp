#include "wizard/ui/Arrencada.h"

#include "common/Idioma.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/DialegObrir.h"
#include "common/ui/FrmPresent.h"
#include "common/ui/ModTolvWizUi.h"
#include "common/ui/ProgresBarUi.h"
#include "datasources/FontDades.h"
#include "wizard/LineaComandos.h"
#include "wizard/TiposEspeciales.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

namespace kovel::wizard {

namespace {

// What the program and its tests put in place of start-up's own steps.
struct Substituts {
    EntradaAssistent entrada;
    PassosExterns passos;
    LlistaImpressores llistaImpressores;
    AfegeixImpressora afegeixImpressora;
};

Substituts& substituts()
{
    static Substituts s;
    return s;
}

EntradaAssistent& entrada() { return substituts().entrada; }
PassosExterns& passos() { return substituts().passos; }
LlistaImpressores& llistaImpressores() { return substituts().llistaImpressores; }
AfegeixImpressora& afegeixImpressora() { return substituts().afegeixImpressora; }

// The system's printer settings, where one can add a printer: the desktop's tool when there
// is one, else the print system's own pages.
void ObreAfegirImpressora()
{
    for (const char* eina : {"system-config-printer", "gnome-control-center"}) {
        const QString cami = QStandardPaths::findExecutable(QLatin1String(eina));
        if (cami.isEmpty())
            continue;
        const QStringList args = QLatin1String(eina) == QLatin1String("gnome-control-center")
            ? QStringList{QStringLiteral("printers")}
            : QStringList{};
        if (QProcess::startDetached(cami, args))
            return;
    }
    ModTolvWiz::Abre_Documento(QStringLiteral("http://localhost:631/admin"));
}

void FalloArrencada(const QString& missatge)
{
    ModTolvWiz::Puntero_Espera(false);
    if (!missatge.isEmpty())
        ModTolvWiz::Mensaje_Error(missatge);
    FrmPresent::DesCargar();
}

} // namespace

void setEntradaAssistent(EntradaAssistent e) { entrada() = std::move(e); }
void setPassosExterns(PassosExterns p) { passos() = std::move(p); }

void setImpressores(LlistaImpressores llista, AfegeixImpressora afegeix)
{
    llistaImpressores() = std::move(llista);
    afegeixImpressora() = std::move(afegeix);
}

void InstallaServeisArrencada()
{
    ModTolvWiz::setAbansDeMissatge(&FrmPresent::DesCargar);
    kovel::datasources::setPresentacio(&FrmPresent::Amagar, &FrmPresent::Mostrar);
    kovel::datasources::setDemanaFitxer([](const kovel::datasources::PeticioFitxer& p) -> std::optional<QString> {
        QString cami;
        if (!CommDlg::ObrirFitxer(cami, QString(), p.titol, p.filtre, p.extensioDefecte))
            return std::nullopt;
        return cami;
    });
}

QIcon IconaPrograma()
{
    // A label sheet: a white page with two columns of rounded labels, in the product's blue.
    QPixmap pix(64, 64);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1f, 0x5f, 0xa8), 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(10, 3, 44, 58), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 118, 196));
    for (int fila = 0; fila < 4; ++fila)
        for (int col = 0; col < 2; ++col)
            p.drawRoundedRect(QRectF(15 + col * 18, 8 + fila * 13, 16, 10), 2.5, 2.5);
    p.end();
    return QIcon(pix);
}

void Asigna_Iconos()
{
    // Every window of the program, the message box and the details window among them,
    // takes the application's icon.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setWindowIcon(IconaPrograma());
}

void Comprueba_Impresora()
{
    const QStringList impressores = llistaImpressores() ? llistaImpressores()() : QPrinterInfo::availablePrinterNames();
    if (!impressores.isEmpty())
        return;
    if (!ModTolvWiz::Pregunta_SiNo(ModTraduccion::Literal(45)))
        return;
    if (afegeixImpressora())
        afegeixImpressora()();
    else
        ObreAfegirImpressora();
}

std::int16_t DespresDeCarregar(QWidget* finestra, const QString& linia, const QStringList& formatsOmesos,
                               const QString& fontDades)
{
    const std::int16_t idiomaSistema = ModTolvWiz::IdiomaDelSistema();
    if (passos().iniciaBanner)
        passos().iniciaBanner(finestra);
    if (finestra)
        finestra->repaint();
    ModoLog = ModTolvWiz::ModoLogDeLinia(linia);
    ModTolvWiz::Escribe_Log(QStringLiteral("Start-up: host \"%1\", language %2, data source \"%3\"")
                                .arg(ProgramaOffice).arg(idiomaSistema).arg(fontDades));
    // The catalogue loaded before the log was on: what it left out is written now.
    for (const QString& omes : formatsOmesos)
        ModTolvWiz::Escribe_Log(omes);
    ModTolvWiz::LligaBarraProgreso(finestra, kovel::Host());
    Comprueba_Impresora();
    if (finestra && QApplication::activeWindow() != finestra
        && QGuiApplication::platformName() != QLatin1String("offscreen")) {
        finestra->raise();
        finestra->activateWindow();
    }
    return idiomaSistema;
}

int Arrencada(const QString& linia)
{
    ModReg::InicialitzarRutesOffice();
    if (passos().estilFormulari)
        passos().estilFormulari();
    Asigna_Iconos();
    if (passos().ofertaInstallador && !passos().ofertaInstallador()) {
        ModTolvWiz::Puntero_Espera(false);
        return 0;
    }
    InstallaServeisArrencada();
    FrmPresent::Cargar();

    // Read while the wizard window loads; without it the program does not start.
    ArrencadaAssistent a;
    QString missatge;
    if (!Cargar_Tipos_Especiales(a.tiposEspeciales, missatge)) {
        FalloArrencada(missatge);
        return 1;
    }

    a.host = kovel::Host();
    a.liniaComandes = linia;
    a.versio = ModTolvWiz::LlegirVersio();
    a.finestraCarregada = [linia](QWidget* finestra, const QStringList& formatsOmesos, const QString& fontDades) {
        return DespresDeCarregar(finestra, linia, formatsOmesos, fontDades);
    };
    const int estat = entrada() ? entrada()(a) : 2;
    // However the window's loading ended, no splash or hourglass is left behind.
    FrmPresent::DesCargar();
    ModTolvWiz::Puntero_Espera(false);
    return estat;
}

} // namespace kovel::wizard

#include "wizard/EstatAssistent.h"

#include "catalogue/ListaEtiquetas.h"
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "documents/generar_doc.h"
#include "platform/word/Document.h"
#include "wizard/Guardats.h"
#include "wizard/panels/PasDisseny.h"
#include "wizard/panels/PasEtiqueta.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasGuardats.h"
#include "wizard/panels/PasOrigen.h"
#include "wizard/panels/PasPaper.h"


#include <utility>

namespace kovel::wizard {

// ---------------------------------------------------------------------------------------------
// The codes of the run, with a turn of the event pump for every record, so that the window
// stays painted while the labels are filled.

class EstatAssistent::CodisAmbBomba : public generar_doc::CodisGeneracio {
public:
    explicit CodisAmbBomba(EstatAssistent& estat) : estat_(estat) {}

    void inserirCodiBarres(kovel::word::Range& lloc, std::int32_t n, const QString& camp, const QString& valor,
                           const QString& textAlternatiu) override
    {
        real(textAlternatiu).inserirCodiBarres(lloc, n, camp, valor, textAlternatiu);
    }
    void inserirCodiQR(kovel::word::Range& lloc, std::int32_t n, const QString& s, const QString& dades,
                       const QString& textAlternatiu) override
    {
        real(textAlternatiu).inserirCodiQR(lloc, n, s, dades, textAlternatiu);
    }
    QString codificarText(const QString& text) override { return real(text).codificarText(text); }
    QString codificarValorQR(const QString& valor) override { return real(valor).codificarValorQR(valor); }
    QString prefixDadesQR() override { return real(QString()).prefixDadesQR(); }
    QString plantillaQR(std::int32_t index) override { return real(QString::number(index)).plantillaQR(index); }
    void espaiCodi(const std::optional<kovel::codes::EspaiLinia>& punts) override
    {
        if (estat_.codisPrograma_)
            estat_.codisPrograma_->espaiCodi(punts);
    }
    // Each QR code keeps its own character-set options, and its registration tells a field
    // named like a number from a data template: both are the run's codes' to answer.
    void codiQRActual(std::int32_t n) override
    {
        if (estat_.codisPrograma_)
            estat_.codisPrograma_->codiQRActual(n);
    }
    bool esPlantillaQR(std::int32_t n, const QString& s) override
    {
        return estat_.codisPrograma_ ? estat_.codisPrograma_->esPlantillaQR(n, s) : CodisGeneracio::esPlantillaQR(n, s);
    }
    QString omplirPlantillaQR(const QString& plantilla, const std::function<QString(const QString&)>& valor) override
    {
        return real(plantilla).omplirPlantillaQR(plantilla, valor);
    }
    void iniciGeneracio() override
    {
        if (estat_.codisPrograma_)
            estat_.codisPrograma_->iniciGeneracio();
    }
    void registreActual(std::int32_t registre, bool filaFull, std::int32_t full, std::int32_t etiqueta) override
    {
        if (estat_.codisPrograma_)
            estat_.codisPrograma_->registreActual(registre, filaFull, full, etiqueta);
        estat_.entorn().bomba();
    }
    void finalGeneracio() override
    {
        if (estat_.codisPrograma_)
            estat_.codisPrograma_->finalGeneracio();
    }

private:
    generar_doc::CodisGeneracio& real(const QString& text)
    {
        if (!estat_.codisPrograma_)
            throw generar_doc::GeneracioError(
                QStringLiteral("The design holds a code (\"%1\") that this run did not make.").arg(text));
        return *estat_.codisPrograma_;
    }

    EstatAssistent& estat_;
};

generar_doc::CodisGeneracio* EstatAssistent::codis()
{
    if (!codis_)
        codis_ = std::make_unique<CodisAmbBomba>(*this);
    return codis_.get();
}

// ---------------------------------------------------------------------------------------------
// Loading

EstatAssistent::EstatAssistent(QString programa)
{
    if (programa.isEmpty())
        programa = ProgramaOffice;
    host_ = kovel::HostDeNom(programa, Qt::CaseInsensitive);
    inici_ = std::make_unique<PasInici>(*this);
    guardats_ = std::make_unique<PasGuardats>(*this);
    paper_ = std::make_unique<PasPaper>(*this);
    etiqueta_ = std::make_unique<PasEtiqueta>(*this);
    origen_ = std::make_unique<PasOrigen>(*this);
    disseny_ = std::make_unique<PasDisseny>(*this);
    final_ = std::make_unique<PasFinal>(*this);
    desats_ = std::make_unique<Guardats>(*this);
    const kovel::NumerosPanel& n = numeros_;
    const std::pair<std::uint8_t, Pas*> panels[] = {
        {n.PanelFinal, final_.get()},       {n.PanelDiseno, disseny_.get()}, {n.PanelOrigenDatos, origen_.get()},
        {n.PanelEtiqueta, etiqueta_.get()}, {n.PanelFormato, paper_.get()},  {n.PanelGuardados, guardats_.get()},
        {n.PanelInicio, inici_.get()}};
    for (const auto& [numero, p] : panels)
        if (numero < taula_.size())
            taula_[numero] = p;
    Prepara();
}

EstatAssistent::~EstatAssistent() = default;

QString EstatAssistent::TextVersio(const QString& carpeta)
{
    return QStringLiteral("v. ") + ModTolvWiz::LlegirVersio(carpeta);
}

void EstatAssistent::Prepara()
{
    PanelesLlenos.fill(0);
    Historial.fill(0);
    PanelActual = -1;
}

void EstatAssistent::marca(int panel, std::int16_t valor)
{
    if (panel >= 0 && panel < int(PanelesLlenos.size()))
        PanelesLlenos[panel] = valor;
}

Pas* EstatAssistent::pas(std::int16_t panel)
{
    if (panel < 0 || std::size_t(panel) >= taula_.size())
        return nullptr;
    return taula_[std::size_t(panel)];
}

// ---------------------------------------------------------------------------------------------
// Navigation

// The road: home, the saved designs when there are some, paper, format, source, design,
// final; the first number that matches decides.
std::int16_t EstatAssistent::NuevoPanel(std::int16_t p) const
{
    const kovel::NumerosPanel& n = numeros_;
    if (p == n.PanelInicio)
        return entorn_->hiHaGuardats() ? n.PanelGuardados : n.PanelFormato;
    const std::pair<std::uint8_t, std::int16_t> seguent[] = {
        {n.PanelGuardados, n.PanelFormato},  {n.PanelFormato, n.PanelEtiqueta}, {n.PanelEtiqueta, n.PanelOrigenDatos},
        {n.PanelOrigenDatos, n.PanelDiseno}, {n.PanelDiseno, n.PanelFinal},     {n.PanelFinal, -1}};
    for (const auto& [de, a] : seguent)
        if (p == de)
            return a;
    return n.PanelInicio;
}

bool EstatAssistent::anteriorVisible() const
{
    return PanelActual >= 0 && PanelActual < kovel::NombrePanels && Historial[PanelActual] >= 0;
}

Moviment EstatAssistent::MostrarPanel(int dir)
{
    Moviment m;
    if (dir > 0) {
        if (!ValidarPanel(PanelActual, m.avis))
            return m;
        if (PanelActual >= 0 && NuevoPanel(PanelActual) == -1) {
            AsistenteActivo = false;
            m.acabat = true;
            return m;
        }
    } else if (!anteriorVisible()) {
        // No way back from here (the history holds -1): the move is ignored.
        return m;
    }

    const std::int16_t deixat = PanelActual;
    const kovel::NumerosPanel& n = numeros_;
    if (deixat >= 0)
        PanelesLlenos[deixat] = -1;
    if (dir <= 0) {
        PanelActual = Historial[deixat];
    } else {
        const std::int16_t nou = NuevoPanel(deixat);
        Historial[nou] = (deixat == n.PanelInicio || deixat < 0) ? std::int16_t(-1) : deixat;
        PanelActual = nou;
    }
    LlenarPanel(PanelActual);
    m.mogut = true;
    return m;
}

void EstatAssistent::LlenarPanel(std::int16_t panel)
{
    focusTarget_.clear();
    if (Pas* p = pas(panel))
        p->Llenar();
}

bool EstatAssistent::ValidarPanel(std::int16_t panel, Avis& avis)
{
    avis = {};
    Pas* p = pas(panel);
    return !p || p->Validar(avis);
}

Avis EstatAssistent::Presentacion()
{
    Avis avis;
    if (Generando)
        return avis;
    Generando = true;
    ValidarPanel(numeros_.PanelFinal, avis);
    Generando = false;
    return avis;
}

kovel::word::Document* EstatAssistent::disseny() { return disseny_->disseny(); }
std::int32_t EstatAssistent::numCaselles() const { return disseny_->caselles.NumCaselles; }
QString EstatAssistent::nomCasella(std::int32_t i) const { return disseny_->caselles.NomsCaselles.value(i); }
void EstatAssistent::desaCasellaActual() { disseny_->DesaCasellaActual(); }

// ---------------------------------------------------------------------------------------------
// The generator's view

QString EstatAssistent::programaOffice() const { return kovel::NomHost(host_); }

std::int16_t EstatAssistent::formatSeleccionat() const
{
    return ModTolvWiz::FormatSeleccionat(cataleg());
}

bool EstatAssistent::horitzontal() const
{
    return etiqueta_->opt_Horizontal;
}

bool EstatAssistent::unaEtiquetaPerRegistre() const { return final_->OpcEtiqpag[0]; }
QString EstatAssistent::textFilaInicial() const { return final_->txtFila_inicial; }
QString EstatAssistent::textFilaFinal() const { return final_->txtFila_final; }
QString EstatAssistent::documentGenerat() const { return final_->documentGenerat(); }
void EstatAssistent::avancaProgres() { final_->avancaProgres(); }

generar_doc::FullDades* EstatAssistent::fullDades()
{
    if (!full_ && font_ && origen_->LstHojasIndex >= 0)
        full_ = font_->full(origen_->LstHojasIndex + 1);
    return full_;
}

std::unique_ptr<generar_doc::RegistresDades> EstatAssistent::obreRegistres()
{
    const int i = origen_->LstTablasIndex;
    if (!font_ || i < 0 || i >= origen_->LstTablas.size())
        return nullptr;
    return font_->registres(origen_->LstTablas[i]);
}

QString EstatAssistent::carpetaDades() const
{
    return carpetaDades_.isEmpty() ? OpcionsGeneracio::carpetaDades() : carpetaDades_;
}

} // namespace kovel::wizard

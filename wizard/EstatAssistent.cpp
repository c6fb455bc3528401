#include "wizard/EstatAssistent.h"

#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/BasicRules.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "documents/generar_doc.h"
#include "platform/word/Document.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <thread>
#include <cmath>
#include <limits>

namespace kovel::wizard {

using kovel::basic::RoundHalfEven;
using kovel::basic::Val;

namespace {

using ModTraduccion::TextPrograma;

Avis AvisLiteral(int numero)
{
    return Avis{numero, ModTraduccion::Literal(numero)};
}

// A stored or typed number: its leading number, to the nearest whole number (half to even),
// clamped to what a 32-bit row number holds.
std::int32_t Enter(const QString& text)
{
    const double v = RoundHalfEven(Val(text));
    if (v >= double(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (v <= double(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(v);
}

QString Numero(std::int32_t n) { return QString::number(n); }

bool DinsCatalogo(const Cataleg& cat, int idx) { return idx >= 0 && idx < cat.NumEtiquetas && idx < cat.Etiquetas.size(); }

} // namespace

// ---------------------------------------------------------------------------------------------
// Row boxes

ValidacioFila Valida_FilaInicial(const QString& inicial, const QString& final_, std::int32_t ultimaFila)
{
    ValidacioFila r;
    r.text = inicial;
    const std::int32_t f = Enter(inicial);
    if (ultimaFila < 1) {
        // Nothing to print: the box is put right once and never holds the focus.
        if (f != 1) {
            r.text = QStringLiteral("1");
            r.beep = true;
        }
        return r;
    }
    if (f < 1) {
        r.text = QStringLiteral("1");
        r.beep = r.cancel = true;
    }
    if (f > ultimaFila) {
        r.text = Numero(ultimaFila);
        r.beep = r.cancel = true;
    }
    // The typed number, not the corrected one, as the box has always compared.
    if (Val(final_) < double(f)) {
        r.canviaAltre = true;
        r.textAltre = Numero(f);
        r.beep = true;
        r.focusAltre = true;
    }
    return r;
}

ValidacioFila Valida_FilaFinal(const QString& final_, const QString& inicial, std::int32_t ultimaFila)
{
    ValidacioFila r;
    r.text = final_;
    const std::int32_t l = Enter(final_);
    if (ultimaFila < 1) {
        if (l != 1) {
            r.text = QStringLiteral("1");
            r.beep = true;
        }
        return r;
    }
    if (l < 1) {
        r.text = QStringLiteral("1");
        r.beep = r.cancel = true;
    }
    if (l > ultimaFila) {
        r.text = Numero(ultimaFila);
        r.beep = r.cancel = true;
    }
    if (Val(inicial) > double(l)) {
        r.canviaAltre = true;
        r.textAltre = Numero(l);
        r.focusAltre = true;
    }
    return r;
}

bool RangFilesValid(const QString& inicial, const QString& final_, std::int32_t ultimaFila)
{
    const std::int32_t f = Enter(inicial), l = Enter(final_);
    return ultimaFila >= 1 && f >= 1 && f <= l && l <= ultimaFila;
}

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
    void espaiCodi(const std::optional<QSizeF>& punts) override
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
    void registreActual(std::int32_t registre) override
    {
        if (estat_.codisPrograma_)
            estat_.codisPrograma_->registreActual(registre);
        if (estat_.bomba)
            estat_.bomba();
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
    EstadoPanelEtiquetas& p = cataleg().Panel;
    p.marcarPanelPorLlenar = [this](int panel) { marca(panel, 0); };
    // Until a format is turned the labels stand upright.
    if (!p.opt_Horizontal)
        p.opt_Vertical = true;
    // The spreadsheet and database hosts ask for the labels-per-page choice.
    if (!esWord())
        OpcEtiqpag = {false, false};
    Prepara();
}

EstatAssistent::~EstatAssistent()
{
    cataleg().Panel.marcarPanelPorLlenar = nullptr;
}

QString EstatAssistent::TextVersio(const QString& carpeta)
{
    QFile f(QDir(carpeta).filePath(QStringLiteral("versio.txt")));
    QString linia;
    if (f.open(QIODevice::ReadOnly | QIODevice::Text))
        linia = QString::fromUtf8(f.readLine(256)).trimmed();
    return QStringLiteral("v. ") + linia;
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

// ---------------------------------------------------------------------------------------------
// Navigation

std::int16_t EstatAssistent::NuevoPanel(std::int16_t p) const
{
    if (p == PanelInicio)
        return (hiHaGuardats && hiHaGuardats()) ? PanelGuardados : PanelFormato;
    if (p == PanelGuardados)
        return PanelFormato;
    if (p == PanelFormato)
        return PanelEtiqueta;
    if (p == PanelEtiqueta)
        return PanelOrigenDatos;
    if (p == PanelOrigenDatos)
        return PanelDiseno;
    if (p == PanelDiseno)
        return PanelFinal;
    if (p == PanelFinal)
        return -1;
    return PanelInicio;
}

bool EstatAssistent::anteriorVisible() const
{
    return PanelActual >= 0 && PanelActual < 10 && Historial[PanelActual] >= 0;
}

Moviment EstatAssistent::MostrarPanel(int dir)
{
    Moviment m;
    if (dir > 0) {
        if (ModTolvWiz::Valida_PanelFormato(cataleg(), PanelActual)) {
            m.avis = AvisLiteral(6012);
            return m;
        }
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
    if (deixat >= 0 && !(deixat == PanelExtra7 && PanelExtra7 != PanelInicio && dir != 1))
        PanelesLlenos[deixat] = -1;
    if (dir <= 0) {
        PanelActual = Historial[deixat];
    } else {
        const std::int16_t n = NuevoPanel(deixat);
        Historial[n] = (deixat == PanelInicio || deixat < 0) ? std::int16_t(-1) : deixat;
        PanelActual = n;
    }
    LlenarPanel(PanelActual);
    m.mogut = true;
    return m;
}

// ---------------------------------------------------------------------------------------------
// Filling

void EstatAssistent::LlenarPanel(std::int16_t panel)
{
    focusTarget_.clear();
    if (panel < 0)
        return;
    if (panel == PanelInicio)
        return;
    if (panel == PanelGuardados) {
        cmdObrir = cmdCrear = false;
        lstGuardatsIndex = -1;
        return;
    }
    if (panel == PanelFormato)
        omplePaper();
    else if (panel == PanelEtiqueta)
        ompleEtiqueta();
    else if (panel == PanelOrigenDatos)
        ompleOrigen();
    else if (panel == PanelDiseno)
        ompleDisseny();
    else if (panel == PanelFinal)
        ompleFinal();
}

std::array<bool, 5> EstatAssistent::TiposPapelVisibles() const
{
    return ModTolvWiz::TiposPapelPresentes(cataleg());
}

int EstatAssistent::tipusPapel() const
{
    const auto& opt = cataleg().Panel.optPapel;
    for (int i = 0; i < 5; ++i)
        if (opt[i])
            return i;
    return -1;
}

void EstatAssistent::omplePaper()
{
    // A fresh run preselects no paper type; a restored design brings its own.
    const std::int32_t t = DissenyRestaurat ? Enter(ModReg::LlegirSeleccio(QStringLiteral("TipoPag"))) : 100;
    auto& opt = cataleg().Panel.optPapel;
    for (int i = 0; i < 5; ++i)
        opt[i] = t == i;
    cataleg().Unidades = t == PapelLetter ? 2 : 1;
}

void EstatAssistent::ompleEtiqueta()
{
    EstadoPanelEtiquetas& p = cataleg().Panel;
    std::int32_t o = Enter(ModReg::LlegirSeleccio(QStringLiteral("OrdenEtiq")));
    if (o < 0 || o > 2)
        o = 0;   // a stale order: the reference order
    for (int i = 0; i < 3; ++i)
        p.optOrden[i] = i == o;
    p.cboOrdenar.listIndex = o < p.cboOrdenar.entradas.size() ? int(o) : -1;
    if (p.cboOrdenar.listIndex >= 0)
        p.cboOrdenar.texto = p.cboOrdenar.entradas[o];
    p.listaVisible = true;

    // The paper type chosen on the paper panel is the stored one (its buttons store it); a
    // stored type the catalogue does not offer gives way to the first it offers.
    std::int32_t t = Enter(ModReg::LlegirSeleccio(QStringLiteral("TipoPag")));
    const auto presents = TiposPapelVisibles();
    if (t < 0 || t > 4 || !presents[t]) {
        const auto it = std::find(presents.begin(), presents.end(), true);
        t = it == presents.end() ? 0 : std::int32_t(it - presents.begin());
    }
    ModTolvWiz::Llena_ListaEtiquetas(cataleg(), std::int16_t(t), std::int16_t(o), 0, 0);
    ModTolvWiz::Llena_MedidasFiltro(cataleg(), std::int16_t(t));
    ModTolvWiz::Busca_EtiquetaReferencia(cataleg(), ModReg::LlegirSeleccio(QStringLiteral("Etiqueta")), true);
    ListaEtiquetasLlena = false;
    focusTarget_ = QStringLiteral("LstEtiquetas");
    ValorPanel = std::int32_t(ModTolvWiz::IndexFormat(cataleg()));
    orientacioDelFormat();
}

bool EstatAssistent::unaEtiquetaPerFull() const
{
    const int idx = ModTolvWiz::FormatSeleccionat(cataleg());
    return DinsCatalogo(cataleg(), idx) && cataleg().Etiquetas[idx].Filas == 1 && cataleg().Etiquetas[idx].Columnas == 1;
}

void EstatAssistent::ompleOrigen()
{
    // The panel preselects nothing: an option stays as the user or a restored design left it.
    auto& opc = cataleg().Panel.opcOrigDatos;
    if (unaEtiquetaPerFull()) {
        if (opc[0]) {
            opc[1] = true;
            opc[0] = false;
        }
        opcOrigDatos0Visible = false;
    } else {
        opcOrigDatos0Visible = true;
    }
    ValorPanel = OpcionDatos();
    focusTarget_ = QStringLiteral("CmdSiguiente");
    if (!esExcel() && !esAccess())
        return;

    QStringList& llista = esExcel() ? LstHojas : LstTablas;
    int& index = esExcel() ? LstHojasIndex : LstTablasIndex;
    if (progres)
        progres(0, 0);
    const int p = index;
    const std::function<void(int, int)> cap = [](int, int) {};
    llista = font_ ? font_->llistes(progres ? progres : cap) : QStringList();
    if (esExcel())
        NumHojas = std::int16_t(std::min<qsizetype>(llista.size(), 32767));
    else
        NumTablas = std::int16_t(std::min<qsizetype>(llista.size(), 32767));
    if (!llista.isEmpty() && p == -1)
        index = 0;
    else
        index = p < llista.size() ? p : -1;
    ValorPanel = index >= 0 ? llista[index] : QString();
    focusTarget_ = esExcel() ? QStringLiteral("LstHojas") : QStringLiteral("LstTablas");
}

void EstatAssistent::preparaDisseny()
{
    const int idx = ModTolvWiz::FormatSeleccionat(cataleg());
    if (!DinsCatalogo(cataleg(), idx))
        return;
    const QString clau = horitzontal() ? QStringLiteral("H") : QStringLiteral("V");
    if (disseny_ && IndexDocumentBase == idx && ClauDocumentBase == clau)
        return;
    if (disseny_ && DissenyObert && ClauDocumentBase.isEmpty()) {
        // A design just restored keeps its documents; a later change of format replaces them.
        IndexDocumentBase = idx;
        ClauDocumentBase = clau;
        return;
    }
    const QString tmp = carpetaDades() + QStringLiteral("tmp");
    QDir().mkpath(tmp);
    generar_doc::DocumentBase base =
        generar_doc::PreparaDocumentBase(generar_doc::MidesDeCatalogo(cataleg(), idx), horitzontal(), carpetaPrograma(), tmp);
    disseny_ = std::move(base.document);
    IndexDocumentBase = idx;
    ClauDocumentBase = clau;
}

void EstatAssistent::ompleDisseny()
{
    try {
        // A hosted frame prepares its own base document.
        if (!documentMarc)
            preparaDisseny();
    } catch (const std::exception& e) {
        // The panel is still shown; the check of the design refuses an empty one.
        ModTolvWiz::Escribe_Log(QStringLiteral("Design base: ") + QString::fromLocal8Bit(e.what()));
    }
    marca(PanelFinal, 0);
    if (esExcel() && font_ && LstHojasIndex >= 0) {
        std::int32_t r1 = 1, c1 = 1, r2 = 0, c2 = 0;
        if (font_->rangUsat(LstHojasIndex + 1, r1, c1, r2, c2)) {
            NumColumnasHoja = c2 - c1 + 1;
            NumFilasHoja = r2 - r1 + 1;
            UltimaFilaHoja = r2;
            QStringList camps;
            for (std::int32_t c = c1; c <= c2; ++c)
                camps << font_->nomColumna(c);
            mnuCampo = camps;
        } else {
            NumColumnasHoja = NumFilasHoja = UltimaFilaHoja = 0;
            mnuCampo.clear();
            r1 = r2 = 1;
        }
        if (!DissenyObert) {
            txtFila_inicial = Numero(r1);
            txtFila_final = Numero(r2);
        }
    } else if (esAccess() && font_ && LstTablasIndex >= 0) {
        mnuCampo = font_->campsTaula(LstTablas.value(LstTablasIndex), CamposDeTabla);
        TotalCampos = std::int16_t(std::min<qsizetype>(mnuCampo.size(), 32767));
    }
    focusTarget_ = QStringLiteral("dsoFraWord");
}

void EstatAssistent::ompleFinal()
{
    const bool una = unaEtiquetaPerFull();
    if (PanelesLlenos[PanelFinal] == 0) {
        if (esWord()) {
            const bool l = es_lista();
            vistaFinal_.LblPresentacion2 = l;
            vistaFinal_.OpcEtiqpag0 = una ? false : l;
            vistaFinal_.OpcEtiqpag1 = l;
            vistaFinal_.img_final1 = l;
            Check_Copias = 1;
            const std::int32_t v = Enter(ModReg::LlegirSeleccio(QStringLiteral("EtiqDif")));
            OpcEtiqpag[0] = v == 0;
            OpcEtiqpag[1] = v != 0;
        } else {
            vistaFinal_.OpcEtiqpag0 = vistaFinal_.OpcEtiqpag1 = true;
            vistaFinal_.LblPresentacion2 = true;
        }
        if (esWord() && una && OpcEtiqpag[0]) {
            OpcEtiqpag[1] = true;
            OpcEtiqpag[0] = false;
        }
    }
    if (!esWord()) {
        if (una) {
            if (OpcEtiqpag[0]) {
                OpcEtiqpag[1] = true;
                OpcEtiqpag[0] = false;
            }
            vistaFinal_.OpcEtiqpag0 = false;
        } else {
            vistaFinal_.OpcEtiqpag0 = true;
        }
    }
    vistaFinal_.files = esExcel();
    ValorPanel = OpcEtiqpag[0];
}

// ---------------------------------------------------------------------------------------------
// Checks before leaving a panel

bool EstatAssistent::ValidarPanel(std::int16_t panel, Avis& avis)
{
    avis = {};
    if (panel < 0 || panel == PanelInicio)
        return true;
    if (panel == PanelGuardados) {
        // Opening needs a design chosen in the list.
        if ((!cmdObrir && !cmdCrear) || (cmdObrir && lstGuardatsIndex < 0)) {
            avis = AvisLiteral(7005);
            return false;
        }
        if (cmdObrir && recuperaDisseny)
            recuperaDisseny(lstGuardatsIndex + 1);
        return true;
    }
    if (panel == PanelEtiqueta) {
        const int idx = ModTolvWiz::FormatSeleccionat(cataleg());
        if (!DinsCatalogo(cataleg(), idx)) {
            // An empty list (no format of this paper, or none left in the catalogue).
            avis = AvisLiteral(6012);
            return false;
        }
        if (ModTolvWiz::IndexFormat(cataleg()) != ValorPanel.toInt()) {
            marca(PanelExtra7, 0);
            marca(PanelDiseno, 0);
            marca(PanelFinal, 0);
        }
        const int t = tipusPapel();
        ModReg::DesarSeleccio(QStringLiteral("TipoPag"), Numero(t < 0 ? 4 : t));
        ModReg::DesarSeleccio(QStringLiteral("Etiqueta"), Numero(cataleg().Etiquetas[idx].Codigo));
        const auto& ord = cataleg().Panel.optOrden;
        ModReg::DesarSeleccio(QStringLiteral("OrdenEtiq"), Numero(ord[0] ? 0 : ord[1] ? 1 : 2));
        return true;
    }
    if (panel == PanelOrigenDatos)
        return validaOrigen(avis);
    if (panel == PanelDiseno) {
        if (!esWord()) {
            bool camp = false;
            if (kovel::word::Document* d = disseny()) {
                for (const kovel::word::InlinePicture* p : d->content().inlinePictures())
                    camp = camp || p->alternativeText().contains(QLatin1String("TOLV_"), Qt::CaseInsensitive);
            }
            if (!camp) {
                avis = AvisLiteral(12);
                return false;
            }
        }
        marca(PanelFinal, 0);
        return true;
    }
    if (panel == PanelFinal)
        return validaFinal(avis);
    return true;
}

bool EstatAssistent::validaOrigen(Avis& avis)
{
    // A source that gives no records is refused here, before anything depends on it.
    if (esExcel() || esAccess()) {
        const bool excel = esExcel();
        const int index = excel ? LstHojasIndex : LstTablasIndex;
        const QString fitxer = font_ ? font_->fitxer() : QString();
        if (index < 0) {
            avis = excel ? Avis{0, TextPrograma("FrmTolvWiz.SenseFull", QStringLiteral("The workbook %1 has no worksheet to choose.")).arg(fitxer)}
                         : Avis{0, TextPrograma("FrmTolvWiz.SenseTaula", QStringLiteral("The database %1 has no table or query to choose.")).arg(fitxer)};
            if (excel ? !LstHojas.isEmpty() : !LstTablas.isEmpty())
                avis = AvisLiteral(6012);
            return false;
        }
        bool buida = false;
        try {
            if (excel) {
                std::int32_t r1, c1, r2, c2;
                buida = !font_ || !font_->rangUsat(index + 1, r1, c1, r2, c2);
            } else {
                std::unique_ptr<generar_doc::RegistresDades> rs = font_ ? font_->registres(LstTablas[index]) : nullptr;
                buida = !rs || rs->recordCount() == 0;
            }
        } catch (const std::exception& e) {
            avis.text = QString::fromLocal8Bit(e.what());
            return false;
        }
        if (buida) {
            avis.text = excel ? TextPrograma("FrmTolvWiz.FullBuit", QStringLiteral("The worksheet %1 holds no rows.")).arg(LstHojas[index])
                              : TextPrograma("FrmTolvWiz.TaulaBuida", QStringLiteral("The table or query %1 holds no records.")).arg(LstTablas[index]);
            return false;
        }
    }
    const std::int16_t opcio = OpcionDatos();
    if (opcio == ValorPanel.toInt() && PanelesLlenos[PanelOrigenDatos] != 0)
        return true;
    marca(PanelExtra7, 0);
    marca(PanelExtra8, 0);
    const int abans = ValorPanel.toInt();
    const bool llistaAbans = abans == 2 || abans == 3, llistaAra = opcio == 2 || opcio == 3;
    const bool altraAbans = abans == 0 || abans == 1, altraAra = opcio == 0 || opcio == 1;
    if ((llistaAbans && altraAra) || (altraAbans && llistaAra))
        marca(PanelDiseno, 0);
    marca(PanelFinal, 0);
    ModReg::DesarSeleccio(QStringLiteral("Opcion"), Numero(opcio));
    return true;
}

bool EstatAssistent::validaFinal(Avis& avis)
{
    if (!esWord() && OpcEtiqpag[0] == OpcEtiqpag[1]) {
        avis = AvisLiteral(6012);
        return false;
    }
    if (esExcel() && !RangFilesValid(txtFila_inicial, txtFila_final, UltimaFilaHoja)) {
        avis.text = TextPrograma("FrmTolvWiz.FilesNoValides",
                                 QStringLiteral("Please give the rows to print: a first row of 1 or more, and a last row not "
                                                "before it and not after %1, the last row of the worksheet."))
                        .arg(UltimaFilaHoja);
        return false;
    }
    if (PanelesLlenos[PanelFinal] == 0 && !genera(avis))
        return false;
    ModReg::DesarSeleccio(QStringLiteral("EtiqDif"), OpcEtiqpag[0] ? QStringLiteral("0") : QStringLiteral("-1"));
    return true;
}

bool EstatAssistent::genera(Avis& avis)
{
    // One step for every sheet after the first; how many is known beforehand for a range of
    // worksheet rows only.
    pasProgres_ = 0;
    maxProgres_ = 0;
    const int idx = ModTolvWiz::FormatSeleccionat(cataleg());
    if (esExcel() && DinsCatalogo(cataleg(), idx)) {
        const std::int32_t files = Enter(txtFila_final) - Enter(txtFila_inicial) + 1;
        const std::int32_t perFull = std::max(1, cataleg().Etiquetas[idx].Filas * cataleg().Etiquetas[idx].Columnas);
        maxProgres_ = std::max(0, (OpcEtiqpag[0] ? (files - 1) / perFull + 1 : files) - 1);
    }
    if (progres)
        progres(0, maxProgres_);
    try {
        if (!disseny())
            preparaDisseny();
        std::unique_ptr<kovel::word::Document> doc = generar_doc::GeneraDocument(-1, *this);
        full_ = nullptr;
        if (!doc)
            return false;   // the user gave up saving it: nothing to show
        // The generator saved the sheet when it made it; the labels are filled since.
        documentGenerat_ = doc->fullName();
        desa(*doc, documentGenerat_);
        doc.reset();
    } catch (const generar_doc::GeneracioError& e) {
        avis.text = e.message();
    } catch (const kovel::word::WordError& e) {
        avis.text = e.message();
    } catch (const std::exception& e) {
        avis.text = QString::fromLocal8Bit(e.what());
    }
    full_ = nullptr;
    if (!avis.buit())
        return false;
    PanelesLlenos[PanelFinal] = -1;
    if (obridor)
        obridor(documentGenerat_);
    return true;
}

// A long document is written by a helper thread while the window keeps being painted; the
// document is touched by nobody else meanwhile.
void EstatAssistent::desa(kovel::word::Document& doc, const QString& cami)
{
    if (!bomba) {
        doc.saveAs(cami);
        return;
    }
    std::exception_ptr error;
    std::atomic<bool> fet{false};
    std::thread escriptor([&] {
        try {
            doc.saveAs(cami);
        } catch (...) {
            error = std::current_exception();
        }
        fet = true;
    });
    while (!fet) {
        bomba();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    escriptor.join();
    if (error)
        std::rethrow_exception(error);
}

Avis EstatAssistent::Presentacion()
{
    Avis avis;
    if (Generando)
        return avis;
    Generando = true;
    ValidarPanel(PanelFinal, avis);
    Generando = false;
    return avis;
}

// ---------------------------------------------------------------------------------------------
// Option handlers

void EstatAssistent::optPapel_Click(int tipus)
{
    if (tipus < 0 || tipus > 4)
        return;
    auto& opt = cataleg().Panel.optPapel;
    for (int i = 0; i < 5; ++i)
        opt[i] = i == tipus;
    ListaEtiquetasLlena = false;
    marca(PanelEtiqueta, 0);
    marca(PanelFormato, 0);
    cataleg().Unidades = tipus == PapelLetter ? 2 : 1;
    ModReg::DesarSeleccio(QStringLiteral("TipoPag"), Numero(tipus));
}

void EstatAssistent::Opt_Horizontal_Click()
{
    EstadoPanelEtiquetas& p = cataleg().Panel;
    p.opt_Horizontal = true;
    p.opt_Vertical = false;
    // With no format selected there is nothing to turn.
    const int idx = ModTolvWiz::FormatSeleccionat(cataleg());
    if (DinsCatalogo(cataleg(), idx) && idx < cataleg().EtiquetasMarca.size() && !cataleg().EtiquetasMarca[idx])
        ModTolvWiz::GirarFormat(cataleg());
    marca(PanelOrigenDatos, 0);
}

void EstatAssistent::Opt_Vertical_Click()
{
    EstadoPanelEtiquetas& p = cataleg().Panel;
    p.opt_Vertical = true;
    p.opt_Horizontal = false;
    const int idx = ModTolvWiz::FormatSeleccionat(cataleg());
    if (DinsCatalogo(cataleg(), idx) && idx < cataleg().EtiquetasMarca.size() && cataleg().EtiquetasMarca[idx])
        ModTolvWiz::GirarFormat(cataleg());
    marca(PanelOrigenDatos, 0);
}

void EstatAssistent::optOrden_Click(int orden)
{
    if (orden < 0 || orden > 2)
        return;
    ModTolvWiz::Establece_Orden(cataleg(), orden);
}

void EstatAssistent::LstEtiquetas_Click(int linia)
{
    cataleg().Lista.setListIndex(linia);
    orientacioDelFormat();
}

void EstatAssistent::orientacioDelFormat()
{
    // The orientation options show whether the format now selected is turned.
    const int idx = ModTolvWiz::FormatSeleccionat(cataleg());
    if (DinsCatalogo(cataleg(), idx) && idx < cataleg().EtiquetasMarca.size()) {
        EstadoPanelEtiquetas& p = cataleg().Panel;
        p.opt_Horizontal = cataleg().EtiquetasMarca[idx];
        p.opt_Vertical = !p.opt_Horizontal;
    }
}

std::int16_t EstatAssistent::OpcionDatos() const
{
    const auto& opc = cataleg().Panel.opcOrigDatos;
    std::int16_t r = -1;
    for (int i = 0; i < 4; ++i)
        if (opc[i])
            r = std::int16_t(i);
    return r;
}

bool EstatAssistent::es_lista() const
{
    const std::int16_t o = OpcionDatos();
    return o == 2 || o == 3;
}

void EstatAssistent::opcOrigDatos_Click(int index)
{
    if (index < 0 || index > 3)
        return;
    auto& opc = cataleg().Panel.opcOrigDatos;
    for (int i = 0; i < 4; ++i)
        opc[i] = i == index;
    marca(PanelDiseno, 0);
    focusTarget_ = QStringLiteral("CmdSiguiente");
}

void EstatAssistent::LstHojas_Click(int index)
{
    LstHojasIndex = index >= 0 && index < LstHojas.size() ? index : -1;
    marca(PanelDiseno, 0);
}

void EstatAssistent::LstTablas_Click(int index)
{
    LstTablasIndex = index >= 0 && index < LstTablas.size() ? index : -1;
    marca(PanelDiseno, 0);
}

void EstatAssistent::OpcEtiqpag_Click(int index)
{
    if (index < 0 || index > 1)
        return;
    OpcEtiqpag[index] = true;
    OpcEtiqpag[1 - index] = false;
    if (PanelActual == PanelFinal && OpcEtiqpag[0] != ValorPanel.toBool())
        marca(PanelFinal, 0);
}

void EstatAssistent::txt_copias_Change(const QString& text)
{
    txt_copias = text;
    marca(PanelFinal, 0);
}

void EstatAssistent::Check_Copias_Click(bool marcat)
{
    bool numeric = false;
    txt_copias.toDouble(&numeric);
    if (!numeric)
        txt_copias = QStringLiteral("2");
    Check_Copias = marcat ? 1 : 0;
    marca(PanelFinal, 0);
}

// ---------------------------------------------------------------------------------------------
// The design

bool EstatAssistent::ObreDisseny(const QString& cami)
{
    if (obreDisseny)
        return obreDisseny(cami);
    try {
        disseny_ = kovel::word::Document::open(cami);
    } catch (const kovel::word::WordError& e) {
        ModTolvWiz::Escribe_Log(e.message());
        return false;
    }
    return true;
}

QString EstatAssistent::TitolDisseny(const QString& titolBase)
{
    if (TituloDiseno.isEmpty())
        TituloDiseno = titolBase;
    const int idx = ModTolvWiz::FormatSeleccionat(cataleg());
    if (!DinsCatalogo(cataleg(), idx))
        return TituloDiseno;
    QString ref = cataleg().Etiquetas[idx].Referencia;
    while (ref.endsWith(u' '))
        ref.chop(1);
    const QString prefix = QStringLiteral("KOVEL");
    return TituloDiseno + u' ' + ModTolvWiz::Separa_Referencia(ref, int(ref.size() - prefix.size()), prefix, prefix);
}

// ---------------------------------------------------------------------------------------------
// The generator's view

QString EstatAssistent::programaOffice() const { return kovel::NomHost(host_); }

std::int16_t EstatAssistent::formatSeleccionat() const
{
    return ModTolvWiz::FormatSeleccionat(cataleg());
}

bool EstatAssistent::horitzontal() const
{
    return cataleg().Panel.opt_Horizontal;
}

generar_doc::FullDades* EstatAssistent::fullDades()
{
    if (!full_ && font_ && LstHojasIndex >= 0)
        full_ = font_->full(LstHojasIndex + 1);
    return full_;
}

std::unique_ptr<generar_doc::RegistresDades> EstatAssistent::obreRegistres()
{
    if (!font_ || LstTablasIndex < 0 || LstTablasIndex >= LstTablas.size())
        return nullptr;
    return font_->registres(LstTablas[LstTablasIndex]);
}

void EstatAssistent::avancaProgres()
{
    ++pasProgres_;
    if (progres)
        progres(pasProgres_, maxProgres_);
    if (bomba)
        bomba();
}

QString EstatAssistent::carpetaDades() const
{
    return carpetaDades_.isEmpty() ? OpcionsGeneracio::carpetaDades() : carpetaDades_;
}

} // namespace kovel::wizard

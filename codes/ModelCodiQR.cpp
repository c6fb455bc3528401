#include "codes/ModelCodiQR.h"

#include "codes/CodiQR.h"
#include "codes/EntornDisseny.h"
#include "codes/RegistreCodis.h"
#include "common/HostProfile.h"
#include "common/ModTraduccion.h"
#include "platform/word/Document.h"

#include <algorithm>

using kovel::qr::QRCodeCtrl;
using kovel::qr::QrError;

namespace kovel::codes {

namespace {

const QString MarcaOrdre = QStringLiteral("\\xEF\\xBB\\xBF");

// Text and web address keep their typed content in one slot.
std::size_t Ranura(int tab) { return static_cast<std::size_t>(tab == ModelCodiQR::Web ? ModelCodiQR::Text : tab); }

} // namespace

ModelCodiQR::ModelCodiQR(RegistreCodis& registre) : registre_(registre)
{
    textos_[Web][0] = QStringLiteral("http://");
    qr_.setDataToEncode(QString());
    Refrescar();
}

QStringList ModelCodiQR::Versions()
{
    QStringList v{QStringLiteral("Auto")};
    for (int n = 21; n <= 177; n += 4) v << QStringLiteral("%1x%1").arg(n);
    return v;
}

QStringList ModelCodiQR::Modes()
{
    QStringList m;
    for (int i = 0; i < 5; ++i) m << ModTraduccion::Literal(8250 + i);
    return m;
}

QStringList ModelCodiQR::Correccions()
{
    return {QStringLiteral("L (7%)"), QStringLiteral("M (15%)"), QStringLiteral("Q (25%)"), QStringLiteral("H (30%)")};
}

void ModelCodiQR::OmplirCamps()
{
    if (kovel::Host() == kovel::HostOffice::Word) {
        opcionsCamp_ = false;
    } else if (HostAmbCamps()) {
        campsEntorn_.Omplir();
        const QString primer = campsEntorn_.Llista().value(0);
        for (int tab = 0; tab < NombrePestanyes; ++tab) {
            for (int i = 0; i < MaxCaselles; ++i) camps_[idx(tab)][idx(i)] = Opcional(tab, i) ? QString() : primer;
            campsEditables_[idx(tab)] = false;
        }
    }
}

QList<ModelCodiQR::OpcioLlista> ModelCodiQR::OpcionsLlista(int tab, int i) const
{
    QList<OpcioLlista> opcions;
    if (Opcional(tab, i)) opcions.push_back({});
    for (qsizetype k = 0; k < campsEntorn_.Llista().size(); ++k) opcions.push_back({campsEntorn_.Rotols().value(k, campsEntorn_.Llista()[k]), campsEntorn_.Llista()[k]});
    return opcions;
}

void ModelCodiQR::Activar()
{
    OmplirCamps();
    versio_ = qr_.PreferredVersion();
    mode_ = qr_.EncodingMode();
    correccio_ = qr_.ErrorCorrectionLevel();
    orientacio_ = qr_.Orientation() / 90;
    indexECI_ = 3;
    deCamp_[Text] = false;
    avisCamp_ = false;
    // The character-set options are those the boxes show: a code made earlier keeps its own,
    // and this one never takes another dialog's unseen.
    CodiQR::OpcionsCodi& o = registre_.OpcionsQR;
    o.eci = eci_;
    o.indexEci = std::max(0, indexECI_);
    o.utf8 = utf8_;
    o.prefix = CodiQR::PrefixPer(eci_, o.indexEci, utf8_, bom_);
    activat_ = true;
}

// ---- Data builders ----

// A change the control may refuse: refused, the data are marked invalid.
template <typename F> void ModelCodiQR::ProvarCanvi(F&& canvi)
{
    DadesInvalides = 0;
    try {
        canvi();
    } catch (const QrError&) {
        DadesInvalides = -1;
    }
}

void ModelCodiQR::PosarDades(const QString& data)
{
    ProvarCanvi([&] { qr_.setDataToEncode(data); });
    qr_.setRefrescat(false);
    Modificat = -1;
    Refrescar();
}

void ModelCodiQR::CanviarText(int tab, int i, const QString& text)
{
    if (tab < 0 || tab >= NombrePestanyes || i < 0 || i >= Caselles[idx(tab)]) return;
    textos_[idx(tab)][idx(i)] = text;
    Construir(tab);
}

// A field's sample value is data, as the records' values will be: its backslashes are
// never escapes. Typed texts keep theirs. A contact card typed in is a change like any
// other: closing asks before losing it.
QString ModelCodiQR::Dades(int tab, const CodiQR::OpcionsCodi& o, bool literals) const
{
    const auto& t = textos_[idx(tab)];
    switch (tab) {
    case Text:
    case Web: return CodiQR::DadesText(o, t[0], literals);
    case SMS: return CodiQR::DadesSMS(o, t[0], t[1], literals);
    default: return CodiQR::DadesVCard(o, t[0], t[1], t[2], t[3], t[4], literals);
    }
}

void ModelCodiQR::Construir(int tab)
{
    if (tab < 0 || tab >= NombrePestanyes) return;
    const QString data = Dades(tab, registre_.OpcionsQR, deCamp_[idx(tab)]);
    if (tab != SMS || data != qr_.DataToEncode()) PosarDades(data);
}

QString ModelCodiQR::TextCodificat() const
{
    const int tab = pestanya_;
    // Data the control refuses are encoded as nothing: its error says why.
    if (tab < 0 || tab >= NombrePestanyes || DeCamp(tab) || !qr_.Valid()) return {};
    // The same content with every backslash its own character, the prefix kept: as typed.
    CodiQR::OpcionsCodi literal;
    literal.prefix = registre_.OpcionsQR.prefix;
    const QString llegit = kovel::qr::TextLlegit(qr_.DataToEncode());
    return llegit == kovel::qr::TextLlegit(Dades(tab, literal, true)) ? QString() : llegit;
}

QString ModelCodiQR::NotaJoc() const { return qr_.Valid() ? qr_.CanviJoc() : QString(); }

// ---- Character set and prefix ----

void ModelCodiQR::AplicarJocs()
{
    CodiQR::OpcionsCodi& o = registre_.OpcionsQR;
    o.eci = eci_;
    o.indexEci = std::max(0, indexECI_);
    o.utf8 = utf8_;
    o.prefix = eci_ ? CodiQR::PrefixPer(true, o.indexEci, false, false) : bom_ ? MarcaOrdre : QString();
    Construir(pestanya_);
}

void ModelCodiQR::MarcarECI(bool on)
{
    eci_ = on;
    if (on) utf8_ = bom_ = false;
    AplicarJocs();
}

void ModelCodiQR::TriarECI(int index)
{
    indexECI_ = index;
    if (activat_) AplicarJocs();
}

void ModelCodiQR::MarcarUTF8(bool on)
{
    utf8_ = on;
    if (on) eci_ = false;
    else bom_ = false;
    AplicarJocs();
}

void ModelCodiQR::MarcarBOM(bool on)
{
    bom_ = on;
    AplicarJocs();
}

// ---- Symbol options ----

void ModelCodiQR::TriarOpcio(int& index, int i, int actual, void (QRCodeCtrl::*set)(int))
{
    index = i;
    if (!activat_ || i == actual) return;
    ProvarCanvi([&] { (qr_.*set)(std::max(0, i)); });
    Refrescar();
}

void ModelCodiQR::TriarVersio(int i) { TriarOpcio(versio_, i, qr_.PreferredVersion(), &QRCodeCtrl::setPreferredVersion); }
void ModelCodiQR::TriarMode(int i) { TriarOpcio(mode_, i, qr_.EncodingMode(), &QRCodeCtrl::setEncodingMode); }
void ModelCodiQR::TriarCorreccio(int i)
{
    TriarOpcio(correccio_, i, qr_.ErrorCorrectionLevel(), &QRCodeCtrl::setErrorCorrectionLevel);
}

void ModelCodiQR::TriarOrientacio(int i)
{
    orientacio_ = i;
    if (!activat_) return;
    orientacio_ = std::max(0, i);
    qr_.setOrientation(orientacio_ * 90);
    Modificat = -1;
    Refrescar();
}

void ModelCodiQR::MarcarTransparent(bool on)
{
    if (on == qr_.Transparent()) return;
    qr_.setTransparent(on);
    Refrescar();
}

void ModelCodiQR::MarcarQuietZone(bool on)
{
    qr_.setQuietZone(on);
    Refrescar();
}

// ---- Content source of a tab ----

void ModelCodiQR::TriarCamp(int tab)
{
    if (tab < 0 || tab >= NombrePestanyes) return;
    const std::size_t t = idx(tab);
    deCamp_[t] = true;
    for (int i = 0; i < Caselles[t]; ++i) {
        const std::size_t c = idx(i);
        fixos_[Ranura(tab)][c] = textos_[t][c];
        textos_[t][c] = CodiQR::ValorCamp(camps_[t][c], fixos_[Ranura(tab)][c]);
    }
    textsEditables_[t] = false;
    campsEditables_[t] = true;
    Construir(tab);
    avisCamp_ = true;
}

void ModelCodiQR::TriarFix(int tab)
{
    if (tab < 0 || tab >= NombrePestanyes) return;
    const std::size_t t = idx(tab);
    deCamp_[t] = false;
    for (int i = 0; i < Caselles[t]; ++i) textos_[t][idx(i)] = fixos_[Ranura(tab)][idx(i)];
    textsEditables_[t] = true;
    campsEditables_[t] = false;
    Construir(tab);
    avisCamp_ = false;
}

void ModelCodiQR::CanviarPestanya(int tab)
{
    const int anterior = pestanya_;
    pestanya_ = tab;
    if (tab == anterior) return;
    // Text and web addresses are encoded in the automatic mode.
    if ((tab == Text || tab == Web) && mode_ >= 0) {
        TriarMode(0);
        modeEditable_ = false;
    }
    if (tab >= 0 && tab < NombrePestanyes && textsEditables_[idx(tab)]) Construir(tab);
}

// ---- Validity ----

void ModelCodiQR::Refrescar()
{
    const bool deCamp = DeCamp();
    if (!qr_.DataToEncode().isEmpty()) {
        vistaPrevia_ = !DadesInvalides;
        acceptable_ = !DadesInvalides || deCamp;
        invalid_ = DadesInvalides != 0;
        if (!DadesInvalides && qr_.Valid()) ultimesDades_ = qr_.DataToEncode();
    } else {
        // Empty fixed data are only not typed yet; a field's empty sample is worth the warning.
        vistaPrevia_ = false;
        invalid_ = deCamp;
        acceptable_ = deCamp;
    }
    // Every record's code would be refused: a field-linked code is no better than fixed data.
    if (deCamp && !kovel::qr::MotiuIlegible(registre_.OpcionsQR.prefix).isEmpty()) acceptable_ = false;
}

QString ModelCodiQR::DadesDibuixables() const
{
    // The last data the control took, or else the field's name: a picture of the right
    // size and kind, which every record replaces.
    QRCodeCtrl prova;
    CodiQR::CopiarPropietatsQR(qr_, prova);
    const QString camp = camps_[idx(std::clamp(pestanya_, 0, NombrePestanyes - 1))][0];
    for (const QString& d : {ultimesDades_, camp, QStringLiteral("KOVEL")}) {
        if (d.isEmpty()) continue;
        try {
            prova.setDataToEncode(d);
            if (prova.Valid()) return d;
        } catch (const QrError&) {
        }
    }
    return QString();
}

// ---- Size ----

bool ModelCodiQR::ImatgePropia(ImatgeCodi& imatge) const
{
    if (qr_.Valid())
        return CodiQR::FerImatge(qr_, imatge);
    // A linked code's sample the control refuses: the picture the design would show.
    if (!DeCamp())
        return false;
    QRCodeCtrl mostra;
    CodiQR::CopiarPropietatsQR(qr_, mostra);
    try {
        mostra.setDataToEncode(DadesDibuixables());
    } catch (const QrError&) {
        return false;
    }
    return CodiQR::FerImatge(mostra, imatge);
}

// ---- Insertion ----

bool ModelCodiQR::Inserir(QString& why)
{
    why.clear();
    if (Inserint) return false;
    Inserint = -1;
    auto fallar = [this, &why](const QString& motiu) {
        Inserint = 0;
        why = motiu;
        return false;
    };
    // Fixed data the control refuses never reach the design, whichever way the insertion is
    // asked; a field's sample that it refuses only changes the picture the design shows.
    if (!DeCamp() && (DadesInvalides || !qr_.Valid()))
        return fallar(ModTraduccion::Literal(8201) + (qr_.Error().isEmpty() ? QString() : QStringLiteral("\n") + qr_.Error()));
    if (const QString motiu = kovel::qr::MotiuIlegible(registre_.OpcionsQR.prefix); DeCamp() && !motiu.isEmpty())
        return fallar(motiu);
    EntornDisseny* e = Entorn();
    kovel::word::Range* sel = e ? e->Seleccio() : nullptr;
    if (!sel)
        return fallar(ModTraduccion::TextPrograma("frmCodiQR.SenseDisseny", QStringLiteral("No label design is open to put the code in.")));
    const int tab = std::clamp(pestanya_, 0, NombrePestanyes - 1);
    const auto& c = camps_[idx(tab)];
    try {
        QString spare;
        if (!DeCamp()) {
            qr_.setTag(QString());
        } else if (tab == Text || tab == Web) {
            spare = c[0];
            if (spare.isEmpty())
                return fallar(ModTraduccion::TextPrograma("frmCodiQR.SenseCamp", QStringLiteral("Choose the data field of the QR code first.")));
            CodiQR::RegistrarClon(registre_, qr_, spare);
        } else if (tab == SMS) {
            CodiQR::RegistrarClonPlantilla(registre_, qr_, CodiQR::PlantillaSMS(registre_.OpcionsQR, c[0], c[1]), false);
        } else {
            CodiQR::RegistrarClonPlantilla(registre_, qr_, CodiQR::PlantillaVCard(registre_.OpcionsQR, c[0], c[1], c[2], c[3], c[4]),
                                           true);
        }
        const QString tag = qr_.Tag();
        // The design shows the sample record's code, the one the size boxes measured, never
        // the template's: its room beside and below is the first record's.
        QRCodeCtrl* drawn = &qr_;
        QRCodeCtrl mostra;
        if (!drawn->Valid()) {
            CodiQR::CopiarPropietatsQR(*drawn, mostra);
            mostra.setDataToEncode(DadesDibuixables());
            drawn = &mostra;
        }
        float h = 0, w = 0;
        QString motiu;
        if (!CodiQR::InserirImatgeQR(*sel, tag, *drawn, spare, h, w, QString(), &motiu, mida_.Espai())) return fallar(motiu);
    } catch (const std::exception& ex) {
        return fallar(ModTraduccion::TextPrograma("frmCodiQR.ErrorInsercio", QStringLiteral("The code could not be put on the label: %1"))
                          .replace(QStringLiteral("%1"), QString::fromStdString(ex.what())));
    }
    Inserint = 0;
    return true;
}

} // namespace kovel::codes

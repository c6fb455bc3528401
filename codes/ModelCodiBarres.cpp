#include "codes/ModelCodiBarres.h"

#include "codes/CodiBarres.h"
#include "codes/EntornDisseny.h"
#include "codes/MidaCodi.h"
#include "common/BasicRules.h"
#include "common/HostProfile.h"
#include "common/ModTraduccion.h"
#include "platform/word/Document.h"

#include <algorithm>
#include <array>
#include <cmath>

using kovel::barcode::ActiveBC;

namespace kovel::codes {

namespace {

// Maximum text length of each bar type (0: no limit).
constexpr std::array<int, kovel::barcode::NombreTipus> LongitudsMaximes = {
    23, 14, 11, 11, 22, 19, 13, 34, 2, 5, 7, 12, 13, 11, 0, 34, 19, 0, 14, 21, 21, 13};
constexpr int SenseLimit = 32767;

int LimitTipus(int tipus)
{
    return LongitudsMaximes[static_cast<std::size_t>(std::clamp(tipus, 0, kovel::barcode::NombreTipus - 1))];
}

} // namespace

ModelCodiBarres::ModelCodiBarres(RegistreCodis& registre) : registre_(registre)
{
    textAvis_ = ModTraduccion::Literal(8001);
    ultimValid_ = bc_.BarText();
    // Before any window's own connection: the window shows the state this leaves.
    QObject::connect(&bc_, &ActiveBC::Canviat, &bc_, [this] { CodiCanviat(); });
}

QStringList ModelCodiBarres::NomsTipus()
{
    using ModTraduccion::Literal;
    return {Literal(8050), Literal(8051), Literal(8052), Literal(8053), Literal(8054),
            QStringLiteral("Codabar"), QStringLiteral("MSI"), Literal(8055), QStringLiteral("EAN Addon-2"),
            QStringLiteral("EAN Addon-5"), QStringLiteral("EAN-8"), QStringLiteral("EAN-13"),
            QStringLiteral("EAN-14"), QStringLiteral("UPC-A"), QStringLiteral("UPC-E"),
            QStringLiteral("UCC/EAN 128"), QStringLiteral("SSCC-18"), QStringLiteral("PostNet"),
            QStringLiteral("PlaNet"), Literal(8056), Literal(8057), QStringLiteral("ITF 14")};
}

QStringList ModelCodiBarres::Alineacions()
{
    using ModTraduccion::Literal;
    return {Literal(8020), Literal(8021), Literal(8022)};
}

QStringList ModelCodiBarres::AlineacionsText() const
{
    using ModTraduccion::Literal;
    QStringList a{Literal(8020), Literal(8021), Literal(8022), Literal(8023)};
    const int t = bc_.BarType();
    if (t > 9 && t < 16) a << QStringLiteral("EAN1") << QStringLiteral("EAN2") << QStringLiteral("EAN3");
    return a;
}

QStringList ModelCodiBarres::PosicionsText() { return {ModTraduccion::Literal(8030), ModTraduccion::Literal(8031)}; }

QStringList ModelCodiBarres::JocsCaracters()
{
    using ModTraduccion::Literal;
    return {Literal(8040), Literal(8041), Literal(8042), Literal(8043)};
}

void ModelCodiBarres::OmplirCamps()
{
    if (kovel::Host() == kovel::HostOffice::Word) {
        opcioCamp_ = false;
    } else if (HostAmbCamps()) {
        campsEntorn_.Omplir();
        indexCamp_ = campsEntorn_.Llista().isEmpty() ? -1 : 0;
    }
}

void ModelCodiBarres::Activar()
{
    activat_ = true;
    OmplirCamps();
    deCamp_ = false;
    campEditable_ = false;
    PosarText(bc_.BarText());
    TriarTipus(kovel::barcode::EAN13);
}

// ---- Text and field ----

int ModelCodiBarres::LongitudMaxima() const
{
    // The limit is for typing: a field's sample value is shown whole, as the code will
    // take the records' values whole.
    const int limit = LimitTipus(bc_.BarType());
    return deCamp_ || limit <= 0 ? SenseLimit : limit;
}

bool ModelCodiBarres::CanviarText(const QString& text)
{
    text_ = text;
    if (text.isEmpty()) {
        invalid_ = true;
        ++refusos_;
        return false;
    }
    bc_.setBarText(text);
    return true;
}

// The box takes a text as a line edit does: cut to its limit, a change only when it differs.
void ModelCodiBarres::PosarText(const QString& text)
{
    const QString t = text.left(LongitudMaxima());
    if (t != text_) CanviarText(t);
}

void ModelCodiBarres::AplicarLimit()
{
    if (text_.size() > LongitudMaxima()) CanviarText(text_.left(LongitudMaxima()));
}

void ModelCodiBarres::CampActivat()
{
    if (!deCamp_) return;
    PosarText(CodiBarres::ValorCamp(Camp(), textFix_));
    Modificat = -1;
}

void ModelCodiBarres::TriarCamp()
{
    deCamp_ = true;
    if (indexCamp_ < 0) OmplirCamps();
    textFix_ = text_;
    PosarText(CodiBarres::ValorCamp(Camp(), textFix_));
    textEditable_ = false;
    campEditable_ = true;
}

void ModelCodiBarres::TriarFix()
{
    deCamp_ = false;
    AplicarLimit();
    textEditable_ = true;
    PosarText(textFix_);
    campEditable_ = false;
}

// ---- Bar type and options ----

void ModelCodiBarres::TriarTipus(int tipus)
{
    if (tipus < 0) return;
    bc_.setBarType(static_cast<std::int16_t>(tipus));
    AplicarLimit();
    RefrescarHabilitats();
}

void ModelCodiBarres::RefrescarHabilitats()
{
    const int t = bc_.BarType();
    habilitats_.jocCaracters = t == 7;
    habilitats_.caractEspecials = t == 2 || t == 3 || t == 5 || t == 7 || t == 15 || t == 18 || t == 19;
    habilitats_.mostrarCheck = t == 19 || t == 20;
    habilitats_.calcCheck = t == 19 || t == 20;
    habilitats_.txtEANFull = t > 10 && t < 16;
    habilitats_.guard = t > 10 && t < 16;
    ++revisio_;
    // With data fields and none chosen yet, the first is the code's.
    if (HostAmbCamps()) {
        opcioCamp_ = true;
        if (indexCamp_ < 0 && !campsEntorn_.Llista().isEmpty()) {
            deCamp_ = true;
            indexCamp_ = 0;
        }
    }
}

void ModelCodiBarres::TriarOrientacio(int index)
{
    const int i = std::max(0, index);
    const int w = bc_.Width(), h = bc_.Height();
    if ((i % 2 == 0 && h > w) || (i % 2 == 1 && h < w)) {
        bc_.setWidth(h);
        bc_.setHeight(w);
    }
    bc_.setOrientation(static_cast<std::int16_t>(i * 90));
}

void ModelCodiBarres::MarcarMostrarText(bool on)
{
    bc_.setShowText(on);
    habilitats_.propietatsText = habilitats_.mostrarCheck = habilitats_.mostrarStSt = habilitats_.caractEspecials = on;
}

void ModelCodiBarres::MarcarTransparent(bool on)
{
    bc_.setTransparent(on);
    habilitats_.colorEspais = !on;
}

void ModelCodiBarres::CanviarReduccio(const QString& text)
{
    const double v = kovel::basic::Val(text);
    bc_.setBarWidthReduction(std::abs(v) > 1e9 ? (v > 0 ? 99 : -99) : static_cast<std::int32_t>(kovel::basic::RoundHalfEven(v)));
}

QString ModelCodiBarres::ReduccioValidada(const QString& text) const
{
    const double raw = kovel::basic::Val(text);
    // Beyond any integer the value is clamped like any other out-of-range one.
    const double v = std::abs(raw) > 1e9 ? raw : kovel::basic::RoundHalfEven(raw);
    if (v > 99) return QStringLiteral("99");
    if (v < -99) return QStringLiteral("-99");
    return QString::number(static_cast<int>(v));
}

void ModelCodiBarres::CanviarRelacio(const QString& text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const float v = t.toFloat(&ok);
    if (ok) bc_.setWide2NarrowRatio(v);
}

// ---- Validity ----

void ModelCodiBarres::CodiCanviat()
{
    if (bc_.TextValid() && bc_.CheckValid()) {
        ultimValid_ = bc_.BarText();
        invalid_ = false;
        return;
    }
    textAvis_ = ModTraduccion::Literal(8001);
    // A field's sample: the code still goes in, and the warning says what it shows.
    if (deCamp_)
        textAvis_ += u' ' + ModTraduccion::TextPrograma("frmCodiBarres.MostraAnterior",
                                                        QStringLiteral("The design shows %1; each label gets its own value."))
                                .replace(QStringLiteral("%1"), TextDibuixable());
    invalid_ = true;
    ++refusos_;
}

QString ModelCodiBarres::TextDibuixable() const
{
    // The control's last valid text, or else digits of a length the bar type takes.
    ActiveBC prova;
    CodiBarres::CopiarPropietats(bc_, prova);
    QStringList candidats{ultimValid_};
    const int limit = LimitTipus(bc_.BarType());
    for (int n : {limit, limit - 1, 12, 11, 7, 6, 5, 2})
        if (n > 0) candidats << QStringLiteral("1234567890123456789012345678901234").left(n);
    for (const QString& c : candidats) {
        prova.setBarText(c);
        if (prova.Valid()) return c;
    }
    return ultimValid_;
}

// ---- Size ----

bool ModelCodiBarres::Mostra(ActiveBC& mostra) const
{
    if (bc_.Valid())
        return false;
    CodiBarres::CopiarPropietats(bc_, mostra);
    mostra.setBarText(TextDibuixable());
    return true;
}

bool ModelCodiBarres::ImatgePropia(ImatgeCodi& imatge) const
{
    ActiveBC mostra;
    return CodiBarres::FerImatge(Mostra(mostra) ? mostra : bc_, 0, 0, imatge);
}

// ---- Insertion ----

bool ModelCodiBarres::Inserir(QString& why)
{
    why.clear();
    if (Inserint) return false;
    Inserint = -1;
    auto refusar = [this, &why](const QString& motiu) {
        Inserint = 0;
        why = motiu;
        return false;
    };
    auto fallar = [this, &refusar](const QString& motiu) {
        invalid_ = true;
        return refusar(motiu);
    };
    // A fixed barcode needs its text: an empty box is refused, never drawn with an older text.
    if (!deCamp_ && text_.isEmpty())
        return fallar(ModTraduccion::TextPrograma("frmCodiBarres.TextBuit", QStringLiteral("Type the text of the barcode first.")));
    if (deCamp_ && Camp().isEmpty())
        return fallar(ModTraduccion::TextPrograma("frmCodiBarres.SenseCamp", QStringLiteral("Choose the data field of the barcode first.")));
    // A fixed text is printed as it stands: one the bar type cannot hold is not inserted.
    // A field's sample only stands for the records' values: the code goes in whatever the
    // sample row holds, drawn with the last text the bars could hold.
    if (!deCamp_ && !bc_.Valid()) return fallar(ModTraduccion::Literal(8001) + QStringLiteral("\n") + bc_.Error());
    EntornDisseny* e = Entorn();
    kovel::word::Range* sel = e ? e->Seleccio() : nullptr;
    if (!sel)
        return fallar(ModTraduccion::TextPrograma("frmCodiBarres.SenseDisseny", QStringLiteral("No label design is open to put the code in.")));
    try {
        // Fitted to its room before anything is registered: a code that cannot fit leaves
        // the run's codes as they were.
        ActiveBC mostra;
        ActiveBC* drawn = Mostra(mostra) ? &mostra : &bc_;
        ImatgeCodi propia;
        QString motiu;
        if (!CodiBarres::FerImatge(*drawn, 0, 0, propia, &motiu)) return fallar(motiu);
        const std::optional<QSizeF> mida =
            CodiBarres::MidaDisseny(propia, bc_.ModulMm(), mida_.Espai(), ModulMinimBarresMm(bc_.BarType()), motiu);
        if (!mida) return refusar(motiu);
        QString tag;
        if (deCamp_) {
            ActiveBC& clon = CodiBarres::RegistrarClon(registre_, bc_, Camp());
            tag = bc_.Tag();
            if (drawn == &bc_) drawn = &clon;
        } else {
            bc_.setTag(QString());
        }
        float h = 0, w = 0;
        if (!CodiBarres::InserirImatgeCodi(*sel, tag, *drawn, QString(), h, w, QString(), &motiu, *mida)) return fallar(motiu);
    } catch (const std::exception& ex) {
        return fallar(ModTraduccion::TextPrograma("frmCodiBarres.ErrorInsercio", QStringLiteral("The code could not be put on the label: %1"))
                          .replace(QStringLiteral("%1"), QString::fromStdString(ex.what())));
    }
    Inserint = 0;
    return true;
}

} // namespace kovel::codes

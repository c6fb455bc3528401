#include "wizard/ModoImpresion.h"

#include "catalogue/Cataleg.h"
#include "common/BasicRules.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "documents/generar_doc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace ModTolvWiz {

ComandaImpressio LlegeixComandaImpressio(const QString& linia)
{
    ComandaImpressio c;
    const QChar mode = linia.size() > 2 ? linia.at(2).toUpper() : QChar();
    if (mode == QLatin1Char('V'))
        c.modeOrientacio = 1;
    else if (mode == QLatin1Char('H'))
        c.modeOrientacio = 2;

    // The folder follows the first blank at or after the fifth character. The number is read
    // only up to that blank: a folder whose name starts with digits must not lengthen it.
    const qsizetype blanc = linia.indexOf(QLatin1Char(' '), 4);
    const QString numero = linia.mid(3, blanc < 0 ? -1 : blanc - 3);
    try {
        c.numeroEtiqueta = kovel::basic::CLng(kovel::basic::Val(numero));
    } catch (const kovel::basic::OverflowError&) {
        c.numeroEtiqueta = 0;
    }
    if (blanc >= 0)
        c.carpeta = linia.mid(blanc + 1).trimmed();
    return c;
}

QString NomFitxerImpressio(const QString& carpeta, std::int32_t numero, bool horitzontal)
{
    QString nom = carpeta;
    if (!nom.endsWith(QLatin1Char('/')))
        nom += QLatin1Char('/');
    nom += QStringLiteral("wp_");
    // Zero-filled to six digits; the loop form of the old code never ended for 0.
    if (numero > 0) {
        for (std::int64_t n = numero; n < 100000; n *= 10)
            nom += QLatin1Char('0');
    }
    nom += QString::number(numero);
    if (horitzontal)
        nom += QLatin1Char('H');
    nom += QStringLiteral(".docx");
    return nom;
}

namespace {

using ModTraduccion::TextPrograma;

// The wizard window of this mode is created but never shown: its options stand here.
class OpcionsImpressio : public generar_doc::OpcionsGeneracio {
public:
    OpcionsImpressio(const Cataleg& cat, bool horitzontal, kovel::word::Document* disseny)
        : cat_(cat), horitzontal_(horitzontal), disseny_(disseny) {}
    const Cataleg& cataleg() const override { return cat_; }
    std::int16_t formatSeleccionat() const override { return -1; }
    bool horitzontal() const override { return horitzontal_; }
    bool unaEtiquetaPerRegistre() const override { return true; }
    kovel::word::Document* dissenyAllotjat() override { return disseny_; }

private:
    const Cataleg& cat_;
    bool horitzontal_;
    kovel::word::Document* disseny_;
};

// The format turned to landscape in place, as this mode has always turned it: sizes,
// pitches, counts and insets swap, and each margin moves on by one side.
void GiraFormat(Cataleg& cat, int index)
{
    EtiquetaCatalogo& e = cat.Etiquetas[index];
    EtiquetaExtendida& x = cat.EtiquetasExt[index];
    std::swap(e.Ancho, e.Alto);
    std::swap(e.PasoHorizontal, e.PasoVertical);
    std::swap(e.Columnas, e.Filas);
    std::swap(e.Holgura[0], e.Holgura[1]);
    const float esquerre = e.MargenIzquierdo;
    e.MargenIzquierdo = e.MargenSuperior;
    e.MargenSuperior = float(x.MargenDerecho);
    x.MargenDerecho = x.MargenInferior;
    x.MargenInferior = esquerre;
}

} // namespace

int ModoImpresion(const QString& linia, const QString& carpetaActual)
{
    Word_espec::Inicialitzar();
    const ComandaImpressio comanda = LlegeixComandaImpressio(linia);
    ModReg::InicialitzarRutesOffice();

    // This mode's own catalogue: the run makes one document and ends.
    Cataleg cat;
    QString missatge;
    if (!Carga_Catalogo(cat, missatge)) {
        Portapapers::MissatgePopUp(QStringLiteral("Error carregant fitxers"), 0, QString());
        return 1;
    }
    // Neither case has an end in the old rules (the zero fill of 0 never stops, an unknown
    // number reaches past the catalogue): both end here with a message.
    if (comanda.numeroEtiqueta <= 0) {
        Mensaje_Error(TextPrograma("ModoImpresion.EtiquetaNoValida",
                                   QStringLiteral("The print mode needs a label number above 0: \"%1\"."))
                          .arg(linia));
        return 2;
    }
    if (comanda.carpeta.isEmpty()) {
        Mensaje_Error(TextPrograma("ModoImpresion.SenseCarpeta",
                                   QStringLiteral("The print mode needs a folder after the label number, as in /PV%1 out."))
                          .arg(comanda.numeroEtiqueta));
        return 2;
    }
    int index = 0;
    while (index < cat.NumEtiquetas && cat.Etiquetas.at(index).Codigo != comanda.numeroEtiqueta)
        ++index;
    if (index >= cat.NumEtiquetas) {
        Mensaje_Error(TextPrograma("ModoImpresion.EtiquetaDesconeguda",
                                   QStringLiteral("The label %1 is not in the catalogue."))
                          .arg(comanda.numeroEtiqueta));
        return 2;
    }
    if (comanda.horitzontal())
        GiraFormat(cat, index);

    const QString carpeta = QDir::cleanPath(QDir(carpetaActual).absoluteFilePath(comanda.carpeta));
    // A name (the folder's, or the one the program was started in) whose bytes were not valid
    // text reached here with replacement characters: used as it stands it would be a
    // differently named folder.
    if (carpeta.contains(QChar::ReplacementCharacter) || QFile::decodeName(QFile::encodeName(carpeta)) != carpeta) {
        Mensaje_Error(TextPrograma("ModoImpresion.NomCarpetaNoValid",
                                   QStringLiteral("The folder name \"%1\" is not valid text in this system's encoding; "
                                                  "rename the folder or give another one."))
                          .arg(carpeta));
        return 3;
    }
    if (!QDir().mkpath(carpeta) || !QFileInfo(carpeta).isDir()) {
        Mensaje_Error(TextPrograma("ModoImpresion.CarpetaNoValida",
                                   QStringLiteral("The folder \"%1\" cannot be created."))
                          .arg(carpeta));
        return 3;
    }
    const QString cami = NomFitxerImpressio(carpeta, comanda.numeroEtiqueta, comanda.horitzontal());
    const auto noDesat = [&](const QString& motiu) {
        Mensaje_Error(TextPrograma("ModoImpresion.NoDesat", QStringLiteral("The label document \"%1\" was not written: %2"))
                          .arg(cami, motiu));
        return 4;
    };

    try {
        // The design frame starts with the general blank template.
        const QString blanc = generar_doc::DocumentBlancGeneral(ModReg::RutaPrograma());
        std::unique_ptr<kovel::word::Document> disseny = kovel::word::Document::open(blanc);
        OpcionsImpressio opcions(cat, comanda.horitzontal(), disseny.get());
        std::unique_ptr<kovel::word::Document> doc = generar_doc::GeneraDocument(std::int16_t(index), opcions);
        if (!doc) {
            Mensaje_Error(TextPrograma("ModoImpresion.NoGenerat", QStringLiteral("The label document was not made.")));
            return 4;
        }
        // As the output document's own save: the message of a document that cannot be
        // saved, tried again while the answer asks for it. Giving up is never a success.
        for (int intent = 0;; ++intent) {
            try {
                doc->saveAs(cami);
                break;
            } catch (const kovel::word::WordError& e) {
                const std::int16_t r = mod_rvtMsgBox::rvtMsgBox(
                    ModTraduccion::Literal(7030) + QStringLiteral("\r\r") + e.message(), 1, QStringLiteral("KOVEL Videvoviv"));
                if (r == mod_rvtMsgBox::vbCancel || r == mod_rvtMsgBox::vbNo || intent >= 99)
                    return 4;
            }
        }
    } catch (const kovel::word::WordError& e) {
        return noDesat(e.message());
    } catch (const generar_doc::GeneracioError& e) {
        return noDesat(e.message());
    } catch (const std::exception& e) {
        return noDesat(QString::fromLocal8Bit(e.what()));
    }
    return 0;
}

} // namespace ModTolvWiz

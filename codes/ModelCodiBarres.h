#pragma once
// The rules of the barcode dialog without its window: the fixed text or the data field,
// the typing limit of each bar type, which options each bar type and the shown text allow,
// the warning when the bars cannot hold the text, and the insertion into the design. One
// live barcode control is the store of the settings. The dialog (ui/frmCodiBarres) shows
// this state and forwards the user's actions here.
#include "codes/EntornDisseny.h"
#include "codes/MidaDialeg.h"
#include "platform/barcode/ActiveBC.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace kovel::codes {

struct RegistreCodis;
struct ImatgeCodi;

// The size boxes' rules are ModelAmbMida's (MidaDialeg.h).
class ModelCodiBarres : public ModelAmbMida {
public:
    // A code linked to a field is registered in `registre`, which outlives the model.
    explicit ModelCodiBarres(RegistreCodis& registre);

    int Modificat = 0;   // closing asks whether to insert
    int Inserint = 0;    // an insertion is under way

    kovel::barcode::ActiveBC& Codi() { return bc_; }
    const kovel::barcode::ActiveBC& Codi() const { return bc_; }

    // The choices the dialog lists.
    static QStringList NomsTipus();
    static QStringList Alineacions();      // of the bars
    QStringList AlineacionsText() const;   // of the text: the EAN ones for the EAN types
    static QStringList PosicionsText();
    static QStringList JocsCaracters();

    // The design's data fields: none under the word processor (the field option is off).
    void OmplirCamps();
    const QStringList& LlistaCamps() const { return campsEntorn_.Llista(); }
    // What the list shows of each field: its name, with its header name when there is one.
    const QStringList& Rotols() const { return campsEntorn_.Rotols(); }
    int Ompliments() const { return campsEntorn_.Ompliments(); }   // counts the refills of LlistaCamps

    // The first showing: fixed text, EAN-13.
    void Activar();
    bool Activat() const { return activat_; }

    // The text box and the field.
    const QString& Text() const { return text_; }
    // The user's text; false (nothing drawn) for an empty one, which the window signals.
    bool CanviarText(const QString& text);
    QString TextFix() const { return textFix_; }
    int LongitudMaxima() const;   // of the text box
    bool TextEditable() const { return textEditable_; }
    int IndexCamp() const { return indexCamp_; }
    QString Camp() const { return campsEntorn_.Llista().value(indexCamp_); }
    void SeleccionarCamp(int index) { indexCamp_ = index; }
    void CampActivat();   // a field picked from the list: its sample, at once
    bool DeCamp() const { return deCamp_; }
    bool OpcioCamp() const { return opcioCamp_; }
    bool CampEditable() const { return campEditable_; }
    void TriarCamp();   // the box shows the field's sample
    void TriarFix();    // the box shows the typed text again

    // The bar type, and the options it allows. Revisio() counts the changes after which a
    // window shows all the control's options again.
    void TriarTipus(int tipus);
    int Revisio() const { return revisio_; }
    void TriarOrientacio(int index);   // a quarter turn swaps width and height
    void MarcarMostrarText(bool on);
    void MarcarTransparent(bool on);
    void CanviarReduccio(const QString& text);
    QString ReduccioValidada(const QString& text) const;   // -99..99, whole
    void CanviarRelacio(const QString& text);   // not a number: the ratio stays

    struct Habilitats {
        bool jocCaracters = true, caractEspecials = true, mostrarCheck = true, calcCheck = true,
             txtEANFull = true, guard = true, propietatsText = true, mostrarStSt = true, colorEspais = true;
    };
    const Habilitats& Habilitat() const { return habilitats_; }

    // The warning panel and its text.
    bool Invalid() const { return invalid_; }
    // Counts the refusals the window signals with a beep.
    int Refusos() const { return refusos_; }
    const QString& TextAvis() const { return textAvis_; }

    // The text the design's picture is drawn with while the control's own cannot be drawn.
    QString TextDibuixable() const;

    // Inserts the code into the design, fitted to its room. False with `why` when it could
    // not (`why` empty when an insertion is already under way).
    bool Inserir(QString& why);

private:
    // While the control cannot be drawn, the design's picture shows `mostra`: the control
    // with its last drawable text. False (`mostra` untouched) when the control can be.
    bool Mostra(kovel::barcode::ActiveBC& mostra) const;
    bool ImatgePropia(ImatgeCodi& imatge) const override;
    double ModulMm() const override { return bc_.ModulMm(); }
    void PosarModulMm(double modulMm) override { bc_.setModulMm(modulMm); }
    double ModulMinimMm() const override { return ModulMinimBarresMm(bc_.BarType()); }

    void CodiCanviat();
    void PosarText(const QString& text);
    void RefrescarHabilitats();
    void AplicarLimit();

    RegistreCodis& registre_;
    kovel::barcode::ActiveBC bc_;
    bool activat_ = false;
    CampsEntorn campsEntorn_;
    int indexCamp_ = -1;
    QString text_, textFix_;
    bool deCamp_ = false, opcioCamp_ = true, campEditable_ = true, textEditable_ = true;
    int revisio_ = 0;
    Habilitats habilitats_;
    bool invalid_ = true;
    int refusos_ = 0;
    QString textAvis_;
    QString ultimValid_;   // the last text the control could draw
};

} // namespace kovel::codes

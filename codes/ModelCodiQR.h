#pragma once
// The rules of the QR-code dialog without its window: four contents (text, web address,
// SMS, contact card), each typed in or taken from data fields; the character-set options
// and the prefix they put before the data; the symbol's options; whether the data can be
// accepted; and the insertion into the design. The dialog (ui/frmCodiQR) shows this state
// and forwards the user's actions here.
#include "codes/EntornDisseny.h"
#include "codes/MidaDialeg.h"
#include "platform/qr/QRCodeCtrl.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

namespace CodiQR { struct OpcionsCodi; }

namespace kovel::codes {

struct RegistreCodis;

// The size boxes' rules are ModelAmbMida's (MidaDialeg.h).
class ModelCodiQR : public ModelAmbMida {
public:
    enum Pestanya { Text = 0, Web = 1, SMS = 2, Targeta = 3 };
    static constexpr int NombrePestanyes = 4;
    static constexpr int MaxCaselles = 5;
    // The boxes of each content: text, web address, number and message, the card's five
    // (name, phone, web address, e-mail, address).
    static constexpr std::array<int, NombrePestanyes> Caselles{1, 1, 2, 5};
    enum CasellaTargeta { Nom = 0, Telefon = 1, AdrecaWeb = 2, Correu = 3, Adreca = 4 };
    // A card's fields after the name may be left out: their lists start with an empty choice,
    // chosen at first, and an empty box puts nothing in the card.
    static bool Opcional(int tab, int i) { return tab == Targeta && i > Nom; }

    // The character-set options are `registre`'s, and a code linked to fields is registered
    // there; it outlives the model.
    explicit ModelCodiQR(RegistreCodis& registre);

    int Modificat = 0;         // closing asks whether to insert
    int Inserint = 0;          // an insertion is under way
    int DadesInvalides = -1;   // the control refused the last data or option

    kovel::qr::QRCodeCtrl& Qr() { return qr_; }
    const kovel::qr::QRCodeCtrl& Qr() const { return qr_; }

    // The choices the dialog lists.
    static QStringList Versions();
    static QStringList Modes();
    static QStringList Correccions();

    // The design's data fields: none under the word processor (the field options are off).
    void OmplirCamps();
    bool OpcionsCamp() const { return opcionsCamp_; }
    const QStringList& LlistaCamps() const { return campsEntorn_.Llista(); }
    // One choice of a box's field list: what it shows, and the field (empty: left out).
    struct OpcioLlista {
        QString rotol, camp;
    };
    QList<OpcioLlista> OpcionsLlista(int tab, int i) const;
    // Counts the refills of LlistaCamps, so a view refills its lists once per change.
    int Ompliments() const { return campsEntorn_.Ompliments(); }

    // The first showing: options from the control, character sets from the boxes' defaults.
    void Activar();
    bool Activat() const { return activat_; }

    int PestanyaActual() const { return pestanya_; }
    void CanviarPestanya(int tab);

    // One box of a content: its text, the field it is linked to, and the source of a content.
    const QString& TextCasella(int tab, int i) const { return textos_[idx(tab)][idx(i)]; }
    void CanviarText(int tab, int i, const QString& text);
    const QString& CampCasella(int tab, int i) const { return camps_[idx(tab)][idx(i)]; }
    void TriarCampCasella(int tab, int i, const QString& camp) { camps_[idx(tab)][idx(i)] = camp; }
    bool DeCamp(int tab) const { return deCamp_[idx(tab)]; }
    bool DeCamp() const { return DeCamp(pestanya_); }
    bool TextsEditables(int tab) const { return textsEditables_[idx(tab)]; }
    bool CampsEditables(int tab) const { return campsEditables_[idx(tab)]; }
    void TriarCamp(int tab);   // the boxes show the fields' samples
    void TriarFix(int tab);    // the boxes show the typed content again
    bool AvisCamp() const { return avisCamp_; }   // the size warning of a linked code

    // Character sets: ECI and UTF-8 exclude each other; the byte-order mark needs UTF-8.
    bool ECI() const { return eci_; }
    int IndexECI() const { return indexECI_; }
    bool UTF8() const { return utf8_; }
    bool BOM() const { return bom_; }
    void MarcarECI(bool on);
    void TriarECI(int index);
    void MarcarUTF8(bool on);
    void MarcarBOM(bool on);

    // Symbol options: the index each list shows (-1 before activation).
    int Versio() const { return versio_; }
    int Mode() const { return mode_; }
    bool ModeEditable() const { return modeEditable_; }
    int Correccio() const { return correccio_; }
    int Orientacio() const { return orientacio_; }
    void TriarVersio(int i);
    void TriarMode(int i);
    void TriarCorreccio(int i);
    void TriarOrientacio(int i);
    void MarcarTransparent(bool on);
    bool ColorFonsEditable() const { return !qr_.Transparent(); }
    void MarcarQuietZone(bool on);

    // Validity: the preview or the warning, and whether OK inserts. A field's sample only
    // stands for the records' values: OK inserts whatever it holds. Nothing typed yet is no
    // fault: neither preview nor warning, and OK waits.
    bool VistaPrevia() const { return vistaPrevia_; }
    bool Invalid() const { return invalid_; }
    bool Acceptable() const { return acceptable_; }
    // The warning adds that the design shows a sample.
    bool AvisMostra() const { return DeCamp() && invalid_; }

    // What a reader will get when escapes typed in the boxes (a designator "\0000dd", a
    // byte "\xHH") change the text; empty when it is the text as typed, a field's sample, or
    // data the control refuses.
    QString TextCodificat() const;
    // The control's note that the chosen character set could not hold the text, which went
    // in UTF-8; empty otherwise.
    QString NotaJoc() const;

    // The data the design's picture is drawn with while the control's own cannot be drawn.
    QString DadesDibuixables() const;

    // Inserts the code into the design, fitted to its room. False with `why` when it could
    // not (`why` empty when an insertion is already under way); never inserts fixed data the
    // control refuses.
    bool Inserir(QString& why);

private:
    static std::size_t idx(int i) { return static_cast<std::size_t>(std::max(0, i)); }
    void Refrescar();
    void Construir(int tab);
    QString Dades(int tab, const CodiQR::OpcionsCodi& o, bool literals) const;
    void PosarDades(const QString& data);
    void AplicarJocs();
    template <typename F> void ProvarCanvi(F&& canvi);
    void TriarOpcio(int& index, int i, int actual, void (kovel::qr::QRCodeCtrl::*set)(int));
    bool ImatgePropia(ImatgeCodi& imatge) const override;
    double ModulMm() const override { return qr_.ModulMm(); }
    void PosarModulMm(double modulMm) override { qr_.setModulMm(modulMm); }
    double ModulMinimMm() const override { return ModulMinimQRMm; }

    RegistreCodis& registre_;
    kovel::qr::QRCodeCtrl qr_;
    bool activat_ = false;
    bool opcionsCamp_ = true;
    CampsEntorn campsEntorn_;
    int pestanya_ = 0;
    std::array<std::array<QString, MaxCaselles>, NombrePestanyes> textos_{};
    std::array<std::array<QString, MaxCaselles>, NombrePestanyes> camps_{};
    // Typed contents kept while a tab shows samples; text and web address share one.
    std::array<std::array<QString, MaxCaselles>, NombrePestanyes> fixos_{};
    std::array<bool, NombrePestanyes> deCamp_{};
    std::array<bool, NombrePestanyes> textsEditables_{true, true, true, true};
    std::array<bool, NombrePestanyes> campsEditables_{true, true, true, true};
    bool avisCamp_ = false;
    bool eci_ = false, utf8_ = false, bom_ = false;
    int indexECI_ = -1;
    int versio_ = -1, mode_ = -1, correccio_ = -1, orientacio_ = -1;
    bool modeEditable_ = true;
    bool vistaPrevia_ = true, invalid_ = true, acceptable_ = false;
    QString ultimesDades_;   // the last data the control took
};

} // namespace kovel::codes

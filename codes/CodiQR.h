#pragma once
// QR data: the character-set handling of the QR dialog, the content formats (text, web
// address, SMS, contact card), the templates of field-linked codes, the QR pictures in
// the design and the field-linked QR codes that the generator remakes for every record.
#include "codes/CodiBarres.h"
#include "platform/qr/QRCodeCtrl.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kovel::word { class Range; }

// Field-linked QR codes since the program started: one configured control and one tag
// each (item n-1 for the tag's n); the data templates of SMS and contact-card codes (item
// k for the tag "n_k"), and their count. Only appended to.
extern std::vector<std::unique_ptr<kovel::qr::QRCodeCtrl>> ClonsQR;
extern QStringList EtiquetesQR;
extern QStringList PlantillesQR;
extern std::int32_t ComptadorPlantillesQR;
// Put in front of every data text and template: an ECI designator or the UTF-8 byte-order mark.
extern QString PrefixDadesQR;

namespace CodiQR {

// Character-set options of the dialog (module state read by CodificarText).
extern bool ECIActiu;
extern std::int32_t IndexECI;   // index of the character-set list = ECI number; 19 automatic
extern bool UTF8Actiu;
inline constexpr std::int32_t IndexECIAuto = 19;
// The 21 entries of the character-set list.
QStringList LlistaECI();

// The text as the QR control must receive it under the current options: unchanged;
// with automatic designators ("\0000dd") before each run of another character set; or,
// in UTF-8 mode, every character above 0x7F as its UTF-8 bytes "\xHH" (a surrogate pair
// is one character of four bytes).
QString CodificarText(const QString& text);
QString DosDigitsHex(int byte);

// The prefix for the options (ECI index, or UTF-8 with or without byte-order mark).
QString PrefixPer(bool eci, std::int32_t index, bool utf8, bool bom);

// A record's value as literal QR data: each backslash becomes the byte escape "\x5C", so a
// value such as "C:\000123" or "a\x41" never reads as a character-set designator or a
// byte. Only record values (and a field's sample) pass here; a text typed in the dialog
// keeps its escapes. CodificarText leaves the escape as it is (ASCII only).
QString ValorLiteral(const QString& valor);

// Data texts of the four contents (each value through CodificarText; P = PrefixDadesQR).
// `literals`: the values are a field's sample, taken through ValorLiteral as a record's are.
QString DadesText(const QString& text, bool literals = false);
QString DadesSMS(const QString& numero, const QString& missatge, bool literals = false);
// Contact card: the reserved characters \ ; , : " of each value are escaped with "\".
QString DadesVCard(const QString& nom, const QString& telefon, const QString& web,
                   const QString& email, const QString& adreca, bool literals = false);
QString EscapaMeCard(const QString& value);

// Templates of field-linked SMS and contact-card codes (field names between [ ]).
QString PlantillaSMS(const QString& campNumero, const QString& campMissatge);
QString PlantillaVCard(const QString& campNom, const QString& campTelefon, const QString& campWeb,
                       const QString& campEmail, const QString& campAdreca);

// Fills a template with a record: each "[name]" becomes valor(name), taken literally
// (ValorLiteral); the values of a contact-card template are escaped as DadesVCard does.
// False, with `error`, for a "[" without a later "]".
bool OmplirPlantilla(const QString& plantilla, const std::function<QString(const QString&)>& valor,
                     QString& resultat, QString* error = nullptr);

// The n-th clone as tags count (from 1); nullptr when there is none.
kovel::qr::QRCodeCtrl* Clon(int n);

// What a field-linked code was registered with: the dialog's character-set options at that
// moment (a later code with other options leaves it as it was), and whether its tag's
// number names a data template rather than a field (a field may be called "2024").
struct OpcionsCodi {
    bool eci = false;
    std::int32_t indexEci = 3;
    bool utf8 = false;
    QString prefix;
    bool plantilla = false;
};
// Code n's (from 1); nullptr for a code this run did not register.
const OpcionsCodi* Opcions(int n);

// Sets the module's character-set options to a code's for the life of the object, then
// puts the dialog's back.
class AmbOpcions {
public:
    explicit AmbOpcions(const OpcionsCodi* opcions);
    ~AmbOpcions();
    AmbOpcions(const AmbOpcions&) = delete;
    AmbOpcions& operator=(const AmbOpcions&) = delete;

private:
    OpcionsCodi desades_;
    bool actiu_ = false;
};
// The k-th template as the tag "n_k" counts it (from 0); nullptr when there is none.
const QString* Plantilla(int k);

// Inserts the picture of `qr` (FerImatge) at `selection`: the sizes are always the
// control's at three pixels a module with its quiet zone (four modules), handed back in
// pixels at 96 dpi. Bitmap file at those sizes as CodiBarres::FitxerImatge; alternative text `altText`, else "TOLV_qr_" + tag, else
// "TOLV_qr". When the data cannot be encoded nothing is inserted, `motiu` says why and the
// result is false. A file failure raises kovel::qr::QrError.
bool InserirImatgeQR(kovel::word::Range& selection, const QString& tag, kovel::qr::QRCodeCtrl& qr,
                     const QString& spare, float& height, float& width, const QString& altText,
                     QString* motiu = nullptr);

// Device pixels a module in a QR code's picture: the code is shown at three pixels of 96
// dpi a module, so ten make every module whole pixels at 320 dpi of the printed size.
inline constexpr int PixelsModul = 10;

// The picture of `qr` for printing, in memory: shown at the control's size for three
// pixels a module with its quiet zone, drawn at PixelsModul pixels a module; palette PNG.
// False, with `motiu`, when the data cannot be encoded.
bool FerImatge(const kovel::qr::QRCodeCtrl& qr, kovel::codes::ImatgeCodi& imatge, QString* motiu = nullptr);

// The generator's QR code of one record: as InserirImatgeQR, but no bitmap file is written
// and data drawn before in the generation (same tag, same data) takes its picture from
// `memoria`. Sized to `espai` as CodiBarres::InserirImatgeRegistre, with modules of at
// least kovel::codes::ModulMinimQRMm.
bool InserirImatgeRegistre(kovel::word::Range& selection, const QString& tag, kovel::qr::QRCodeCtrl& qr,
                           const QString& spare, const QString& altText, kovel::codes::MemoriaImatges& memoria,
                           QString* motiu = nullptr, const std::optional<QSizeF>& espai = std::nullopt);

// Copies the 10 settings of one QR code.
void CopiarPropietatsQR(const kovel::qr::QRCodeCtrl& source, kovel::qr::QRCodeCtrl& destination);

// Sample value of a field for the QR dialog (as CodiBarres::ValorCamp).
QString ValorCamp(const QString& camp, const QString& textFix);

// Registers a field-linked text or URL code (tag n + "_" + field) or, with a template, an
// SMS or contact-card code (tag n + "_" + k, the template stored and the clone's data set
// to it). Returns the clone.
kovel::qr::QRCodeCtrl& RegistrarClon(kovel::qr::QRCodeCtrl& dialogControl, const QString& camp);
kovel::qr::QRCodeCtrl& RegistrarClonPlantilla(kovel::qr::QRCodeCtrl& dialogControl, const QString& plantilla,
                                              bool dadesDePlantilla);

} // namespace CodiQR

// The options of each field-linked QR code, item n-1 for the tag's n (see CodiQR::Opcions).
extern std::vector<CodiQR::OpcionsCodi> OpcionsQR;

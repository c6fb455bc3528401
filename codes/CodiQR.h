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
namespace kovel::codes { struct RegistreCodis; }

namespace CodiQR {

// Character-set options: the dialog's (kovel::codes::RegistreCodis::OpcionsQR), and each
// field-linked code's as it was registered (a later code with other options leaves it as it
// was), with whether its tag's number names a data template rather than a field (a field
// may be called "2024").
struct OpcionsCodi {
    bool eci = false;
    std::int32_t indexEci = 3;   // index of the character-set list = ECI number; 19 automatic
    bool utf8 = false;
    // Put in front of every data text and template: an ECI designator or the UTF-8 byte-order mark.
    QString prefix;
    bool plantilla = false;
};

inline constexpr std::int32_t IndexECIAuto = 19;
// The 21 entries of the character-set list.
QStringList LlistaECI();

// The text as the QR control must receive it under the options `o`: unchanged;
// with automatic designators ("\0000dd") before each run of another character set; or,
// in UTF-8 mode, every character above 0x7F as its UTF-8 bytes "\xHH" (a surrogate pair
// is one character of four bytes).
QString CodificarText(const OpcionsCodi& o, const QString& text);
QString DosDigitsHex(int byte);

// The prefix for the options (ECI index, or UTF-8 with or without byte-order mark).
QString PrefixPer(bool eci, std::int32_t index, bool utf8, bool bom);

// A record's value as literal QR data: each backslash becomes the byte escape "\x5C", so a
// value such as "C:\000123" or "a\x41" never reads as a character-set designator or a
// byte. Only record values (and a field's sample) pass here; a text typed in the dialog
// keeps its escapes. CodificarText leaves the escape as it is (ASCII only).
QString ValorLiteral(const QString& valor);

// Data texts of the four contents under the options `o` (each value through CodificarText,
// o.prefix in front). `literals`: the values are a field's sample, taken through
// ValorLiteral as a record's are.
QString DadesText(const OpcionsCodi& o, const QString& text, bool literals = false);
QString DadesSMS(const OpcionsCodi& o, const QString& numero, const QString& missatge, bool literals = false);
// Contact card: the reserved characters \ ; , : " of each value are escaped with "\". Every
// field but the name is left out, key and all, when its value is empty.
QString DadesVCard(const OpcionsCodi& o, const QString& nom, const QString& telefon, const QString& web,
                   const QString& email, const QString& adreca, bool literals = false);
QString EscapaMeCard(const QString& value);

// Templates of field-linked SMS and contact-card codes (field names between [ ]), o.prefix
// in front. A card's field other than the name without a data field (empty) is left out.
QString PlantillaSMS(const OpcionsCodi& o, const QString& campNumero, const QString& campMissatge);
QString PlantillaVCard(const OpcionsCodi& o, const QString& campNom, const QString& campTelefon, const QString& campWeb,
                       const QString& campEmail, const QString& campAdreca);

// Fills a template with a record: each "[name]" becomes valor(name), taken literally
// (ValorLiteral); the values of a contact-card template are escaped as DadesVCard does, and
// its optional fields whose value is empty are left out as DadesVCard leaves them.
// False, with `error`, for a "[" without a later "]".
bool OmplirPlantilla(const QString& plantilla, const std::function<QString(const QString&)>& valor,
                     QString& resultat, QString* error = nullptr);

// The n-th clone of `registre` as tags count (from 1); nullptr when there is none.
kovel::qr::QRCodeCtrl* Clon(kovel::codes::RegistreCodis& registre, int n);

// Code n's options (from 1); nullptr for a code `registre` does not hold.
const OpcionsCodi* Opcions(const kovel::codes::RegistreCodis& registre, int n);
// The k-th template as the tag "n_k" counts it (from 0); nullptr when there is none.
const QString* Plantilla(const kovel::codes::RegistreCodis& registre, int k);

// Inserts the picture of `qr` (FerImatge) at `selection`: the sizes are the control's at its
// ModulMm a module (0: three pixels a module) with its quiet zone (four modules), made
// smaller to fit `espai` (points) as a record's code is (CodiBarres::MidaDisseny), handed
// back in pixels at 96 dpi; a code that cannot fit even at its smallest printable size is
// not inserted. Bitmap file at its own size as CodiBarres::FitxerImatge; alternative text
// `altText`, else "TOLV_qr_" + tag, else
// "TOLV_qr". When the data cannot be encoded nothing is inserted, `motiu` says why and the
// result is false. A file failure raises kovel::qr::QrError.
bool InserirImatgeQR(kovel::word::Range& selection, const QString& tag, kovel::qr::QRCodeCtrl& qr,
                     const QString& spare, float& height, float& width, const QString& altText,
                     QString* motiu = nullptr, const std::optional<QSizeF>& espai = std::nullopt);

// Device pixels a module in a QR code's picture: the code is shown at three pixels of 96
// dpi a module, so ten make every module whole pixels at 320 dpi of the printed size.
inline constexpr int PixelsModul = 10;

// The picture of `qr` for printing, in memory: shown at the control's size for three
// pixels a module with its quiet zone, drawn at PixelsModul pixels a module; palette PNG.
// False, with `motiu`, when the data cannot be encoded.
bool FerImatge(const kovel::qr::QRCodeCtrl& qr, kovel::codes::ImatgeCodi& imatge, QString* motiu = nullptr);

// The generator's QR code of one record: as InserirImatgeQR, but no bitmap file is written
// and data drawn before in the generation (same tag, same data) takes its picture from
// `memoria`. `qr` is a field-linked clone: data it cannot encode are counted for the end of
// the generation. Drawn at the clone's ModulMm and sized to `espai` as
// CodiBarres::InserirImatgeRegistre, with modules of at least kovel::codes::ModulMinimQRMm.
bool InserirImatgeRegistre(kovel::word::Range& selection, const QString& tag, kovel::qr::QRCodeCtrl& qr,
                           const QString& spare, const QString& altText, kovel::codes::MemoriaImatges& memoria,
                           QString* motiu = nullptr, const std::optional<kovel::codes::EspaiLinia>& espai = std::nullopt);

// Copies the 11 settings of one QR code (its printed size among them).
void CopiarPropietatsQR(const kovel::qr::QRCodeCtrl& source, kovel::qr::QRCodeCtrl& destination);

// Sample value of a field for the QR dialog (as CodiBarres::ValorCamp).
QString ValorCamp(const QString& camp, const QString& textFix);

// Registers in `registre` a field-linked text or URL code (tag n + "_" + field) or, with a
// template, an SMS or contact-card code (tag n + "_" + k, the template stored and the
// clone's data set to it), with the registry's present options. Returns the clone.
kovel::qr::QRCodeCtrl& RegistrarClon(kovel::codes::RegistreCodis& registre, kovel::qr::QRCodeCtrl& dialogControl,
                                     const QString& camp);
kovel::qr::QRCodeCtrl& RegistrarClonPlantilla(kovel::codes::RegistreCodis& registre, kovel::qr::QRCodeCtrl& dialogControl,
                                              const QString& plantilla, bool dadesDePlantilla);

} // namespace CodiQR

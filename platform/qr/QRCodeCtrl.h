#pragma once
// The QR-code control: data text, preferred version, encoding mode, error correction,
// orientation and colours of one QR code, and its picture.
//
// The data text may carry the program's escapes: a backslash and six digits ("\000009")
// starts an ECI segment in that character set, "\xHH" is one byte. The segments go to
// Zint as ECI segments; bytes escaped as valid UTF-8 are marked UTF-8 (ECI 26).
//
// No character is ever replaced: a reader returns exactly TextLlegit(data). Each run is
// encoded in a set that gives its characters back: a run without a designator in none
// when it is ASCII, else Latin-1 (ECI 3) or UTF-8 (ECI 26), never in a set the reader
// would have to guess; a designated run, or the Kanji mode, whose set cannot hold a
// character, or holds \ ~ ¥ ‾ only as other characters (Shift JIS), goes in UTF-8 and
// CanviJoc() says so. A designator of a set that readers do not know, or of raw bytes, is
// refused: such a code cannot be read as text.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace kovel::qr {

// Raised when the control cannot encode the data with the settings (the setter that made
// the combination invalid raises it, and the value stays set), or a file cannot be written.
class QrError : public std::runtime_error {
public:
    explicit QrError(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};

// One ECI segment of the data: its character set and its bytes in that set.
struct Segment {
    int eci = 0;          // 0: no designator
    QByteArray bytes;
    bool operator==(const Segment&) const = default;
};

// Splits a data text into the ECI segments given to Zint, escapes resolved: each segment's
// ECI as the control chooses it (0 for an ASCII run without designator) and its text in
// UTF-8, which Zint writes in that character set. A run that Zint then finds the set
// cannot hold is encoded in UTF-8 instead (the control learns it while encoding).
QList<Segment> Segments(const QString& data);

// The text a reader returns for `data`: escapes resolved, designators gone.
QString TextLlegit(const QString& data);
// Readers turn ECI `eci` into text: the character sets of 0 to 30 but 14 and 19, and 170.
bool EciConegut(int eci);
// Why no reader could turn `data` into text (a designator of an unknown set or of raw
// bytes); empty when none.
QString MotiuIlegible(const QString& data);

enum ModeCodificacio : std::int32_t { ModeAuto = 0, ModeNumeric = 1, ModeAlfanumeric = 2, ModeByte = 3, ModeKanji = 4 };
enum NivellCorreccio : std::int32_t { NivellL = 0, NivellM = 1, NivellQ = 2, NivellH = 3 };

class QRCodeCtrl : public QObject {
    Q_OBJECT
public:
    explicit QRCodeCtrl(QObject* parent = nullptr);
    ~QRCodeCtrl() override;

    // DISPID 1. QrError when the data cannot be encoded (too long for the version, a
    // character the mode or the character set cannot hold); the text stays set and the
    // control is then not valid. Empty data is allowed and draws nothing.
    QString DataToEncode() const { return data_; }
    void setDataToEncode(const QString& data);
    // DISPID 2: 0 automatic, 1 … 40 the version (side 17 + 4 × version modules).
    std::int32_t PreferredVersion() const { return version_; }
    void setPreferredVersion(std::int32_t v);
    // DISPID 3: ModeCodificacio.
    std::int32_t EncodingMode() const { return mode_; }
    void setEncodingMode(std::int32_t v);
    // DISPID 4: NivellCorreccio.
    std::int32_t ErrorCorrectionLevel() const { return level_; }
    void setErrorCorrectionLevel(std::int32_t v);
    std::int32_t Orientation() const { return orientation_; }   // degrees
    void setOrientation(std::int32_t degrees);
    bool Transparent() const { return transparent_; }
    void setTransparent(bool v);
    std::uint32_t BackColor() const { return backColor_; }      // &HBBGGRR
    void setBackColor(std::uint32_t v);
    std::uint32_t ForeColor() const { return foreColor_; }
    void setForeColor(std::uint32_t v);
    bool QuietZone() const { return quietZone_; }
    void setQuietZone(bool v);
    // A picture larger than the symbol is filled by stretching whole modules.
    bool StretchBarcode() const { return stretch_; }
    void setStretchBarcode(bool v);
    // DISPID 11: set to false after every new data text.
    bool Refrescat() const { return refrescat_; }
    void setRefrescat(bool v) { refrescat_ = v; }

    // False: a setter that makes the settings unencodable raises nothing; Valid() and
    // Error() tell. For copies that a generation remakes unattended.
    bool Excepcions() const { return excepcions_; }
    void setExcepcions(bool on) { excepcions_ = on; }

    QString Tag() const { return tag_; }
    void setTag(const QString& t) { tag_ = t; }
    bool Visible() const { return visible_; }
    void setVisible(bool v) { visible_ = v; }
    // The module the code is printed at in a document, millimetres; 0: its own size. Only
    // the size the picture is shown at: the symbol is alike, and no Canviat is raised.
    double ModulMm() const { return modulMm_; }
    void setModulMm(double v) { modulMm_ = v; }

    // True when the current settings encode the data (and the data is not empty).
    bool Valid() const;
    QString Error() const;
    // When a run could not go in its chosen set (or the Kanji mode) and went in UTF-8: says
    // which; empty otherwise.
    QString CanviJoc() const { return canviJoc_; }
    // Side of the symbol in modules (0 when not valid), and its version.
    int Moduls() const;
    int Versio() const;

    // Picture size in pixels for `modulePixels` pixels a module at the given resolution
    // (96 keeps the module size; 192 doubles it), with `quietModules` modules of quiet
    // zone on each side when QuietZone is set (never fewer than the standard's four); 0
    // when not valid.
    std::int32_t GetMatrixWidth(std::int32_t modulePixels, std::int32_t dpiX, std::int32_t dpiY,
                                std::int32_t quietModulesX, std::int32_t quietModulesY) const;
    std::int32_t GetMatrixHeight(std::int32_t modulePixels, std::int32_t dpiX, std::int32_t dpiY,
                                 std::int32_t quietModulesX, std::int32_t quietModulesY) const;
    // The symbol drawn into exactly `pixels`: whole pixels a module (the most that leave
    // four modules of quiet zone when it is shown), centred, turned by Orientation, the
    // quiet zone in the space colour (or transparent). Null when not valid.
    QImage Dibuixar(QSize pixels) const;
    // Writes Dibuixar(width × height) as a BMP file at `dpi`; `modulePixels` is the module
    // size the size was computed for. QrError when not valid or the file cannot be written.
    void SaveToImageFile(std::int32_t width, std::int32_t height, const QString& fileName,
                         std::int32_t dpi, std::int32_t modulePixels) const;

    // The modules, row by row ('1' dark), for checks.
    QStringList Matriu() const;
    // The modules as Moduls() × Moduls() bytes, row by row, 1 dark; empty when not valid.
    const QByteArray& MatriuBytes() const { return modules_; }

signals:
    void Canviat();

private:
    struct Simbol;
    void recodificar();   // throws QrError when the settings cannot encode the data
    void canvi();

    QString data_;
    std::int32_t version_ = 0;
    std::int32_t mode_ = ModeAuto;
    std::int32_t level_ = NivellM;
    std::int32_t orientation_ = 0;
    bool transparent_ = false;
    std::uint32_t backColor_ = 0xFFFFFF;
    std::uint32_t foreColor_ = 0x000000;
    bool quietZone_ = true;
    bool stretch_ = false;
    bool refrescat_ = false;
    QString tag_;
    bool visible_ = true;
    bool excepcions_ = true;
    double modulMm_ = 0;

    // Encoded modules; empty when not valid.
    int side_ = 0;
    int versio_ = 0;
    QByteArray modules_;   // side_ × side_, 1 dark
    QString error_;
    QString canviJoc_;
};

} // namespace kovel::qr

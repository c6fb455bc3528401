#pragma once
// The barcode control: the settings of one barcode, its validity and its picture.
//
// Every bar type of the barcode dialog is encoded by Zint; this class keeps the control's
// properties, re-encodes on demand and draws the symbol into a picture of a given size in
// pixels, with whole pixels per module. Colours are Basic numbers (&HBBGGRR).
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QObject>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace kovel::barcode {

// Bar types, in the order of the dialog's list (the list index is BarType).
enum TipusBarres : std::int16_t {
    Code39 = 0,
    Code11 = 1,
    Code39Complet = 2,   // full ASCII
    Code93Complet = 3,   // full ASCII
    Code93 = 4,          // the 47 basic characters only
    Codabar = 5,
    MSI = 6,
    Code128 = 7,         // Code128CharSet: 0 automatic, 1 set A, 2 set B, 3 set C
    EANAddon2 = 8,
    EANAddon5 = 9,
    EAN8 = 10,
    EAN13 = 11,
    EAN14 = 12,
    UPCA = 13,
    UPCE = 14,
    GS1_128 = 15,        // UCC/EAN 128: "[01]…" or "(01)…"
    SSCC18 = 16,
    PostNet = 17,
    Planet = 18,
    Interleaved2of5 = 19,
    Standard2of5 = 20,
    ITF14 = 21,
};
inline constexpr int NombreTipus = 22;

// The Zint symbology that draws a bar type (BARCODE_… of zint.h); 0 for an unknown type.
int SimbologiaZint(int barType);

// The font of the human-readable text.
struct FontCodi {
    QString name = QStringLiteral("Arial");
    double size = 8.0;   // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const FontCodi&) const = default;
};

// Raised by SaveToImageFile when the file cannot be written (names the file) or the code
// cannot be drawn.
class BarcodeError : public std::runtime_error {
public:
    explicit BarcodeError(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};

class ActiveBC : public QObject {
    Q_OBJECT
public:
    explicit ActiveBC(QObject* parent = nullptr);
    ~ActiveBC() override;

    // ---- Properties (each setter emits Canviat after the change) ----
    std::int16_t TextAlign() const { return textAlign_; }      // 0 left, 1 centre, 2 right, 3 justify, 4..6 EAN layouts
    void setTextAlign(std::int16_t v);
    std::uint32_t BackColor() const { return backColor_; }     // space colour
    void setBackColor(std::uint32_t v);
    std::uint32_t ForeColor() const { return foreColor_; }     // bar colour
    void setForeColor(std::uint32_t v);
    std::int16_t Orientation() const { return orientation_; }  // degrees: 0, 90, 180, 270
    void setOrientation(std::int16_t degrees);
    QString BarText() const { return barText_; }
    void setBarText(const QString& v);
    std::int16_t BarType() const { return barType_; }
    void setBarType(std::int16_t v);
    bool CalcCheck() const { return calcCheck_; }              // 2 of 5 types: add a check digit
    void setCalcCheck(bool v);
    bool Transparent() const { return transparent_; }
    void setTransparent(bool v);
    bool ShowCheck() const { return showCheck_; }              // check digit in the text
    void setShowCheck(bool v);
    bool ShowGuard() const { return showGuard_; }              // EAN/UPC guard bars descend
    void setShowGuard(bool v);
    bool ShowStSt() const { return showStSt_; }                // start/stop characters in the text
    void setShowStSt(bool v);
    bool ShowText() const { return showText_; }
    void setShowText(bool v);
    bool ShowQuietZone() const { return showQuietZone_; }
    void setShowQuietZone(bool v);
    std::uint32_t TextColor() const { return textColor_; }
    void setTextColor(std::uint32_t v);
    bool TextBottomTop() const { return textBottomTop_; }      // true: text above the bars
    void setTextBottomTop(bool v);
    bool TxtEANFull() const { return txtEANFull_; }
    void setTxtEANFull(bool v);
    std::int16_t BarAlign() const { return barAlign_; }        // 0 left, 1 centre, 2 right
    void setBarAlign(std::int16_t v);
    std::int16_t Code128CharSet() const { return code128CharSet_; }
    void setCode128CharSet(std::int16_t v);
    float Wide2NarrowRatio() const { return wide2Narrow_; }    // 2.0 … 3.0 where the type has two widths
    void setWide2NarrowRatio(float v);
    bool NonPrintingToTxt() const { return nonPrintingToTxt_; } // control characters shown in the text
    void setNonPrintingToTxt(bool v);
    std::int32_t BarWidthReduction() const { return barWidthReduction_; } // percent, -99 … 99
    void setBarWidthReduction(std::int32_t v);
    std::int32_t JPEGQuality() const { return jpegQuality_; }
    void setJPEGQuality(std::int32_t v);
    FontCodi Font() const { return font_; }
    void setFont(const FontCodi& f);

    // Container (extender) properties.
    int Width() const { return width_; }
    void setWidth(int v) { width_ = v; }
    int Height() const { return height_; }
    void setHeight(int v) { height_ = v; }
    QString Tag() const { return tag_; }
    void setTag(const QString& v) { tag_ = v; }
    // The module the code is printed at in a document, millimetres; 0: its own size. Only
    // the size the picture is shown at: the drawing is alike, and no Canviat is raised.
    double ModulMm() const { return modulMm_; }
    void setModulMm(double v) { modulMm_ = v; }

    // ---- Validity (read only) ----
    // DISPID 24: the bar type can encode the text (characters and length).
    bool TextValid() const;
    // DISPID 25: a check digit given in the text is the right one.
    bool CheckValid() const;
    bool Valid() const { return TextValid() && CheckValid(); }
    // Why the text is not valid, for messages ("" when valid).
    QString Error() const;
    // The data a reader gets back from the symbol, check digits included ("" when invalid).
    QString DadesCodificades() const;
    // The human-readable text as drawn.
    QString TextHuma() const;

    // ---- Pictures ----
    // Smallest picture width in pixels (96 dpi) at two pixels a module, quiet zones included
    // when shown, turned with the orientation; 0 when the code is not valid.
    float MinBarcodeWidth() const;
    // The symbol drawn into exactly `pixels`: whole pixels a module (the largest count that
    // fits, at least one), aligned by BarAlign, turned by Orientation. A null image when the
    // code is not valid or the size is empty.
    QImage Dibuixar(QSize pixels) const;
    // Picture width in pixels at `modulePixels` pixels a module (MinBarcodeWidth is that of
    // 2), before turning; 0 when the code is not valid.
    int AmpladaPixels(int modulePixels) const;
    // A picture kept as its different rows: row y of the picture is row fila[y] of `linies`
    // (the bars of a one-row code are one row, however high).
    struct ImatgeFiles {
        QImage linies;
        std::vector<int> fila;
    };
    // The symbol for printing: exactly `modulePixels` pixels a module, `height` pixels high
    // (before turning), and the text drawn without smoothing so that the picture keeps the
    // control's own colours only. A null `linies` when the code is not valid.
    ImatgeFiles DibuixarPerImprimir(int modulePixels, int height) const;
    // The same symbol as shapes, for a vector picture: filled outlines in picture pixels
    // (after turning), by colour in drawing order, over the space colour unless transparent.
    // Empty `capes` when the code is not valid.
    // The text of an upright code stays text (`textos`, in `font`, each piece from its
    // baseline point with every character's advance); a turned code's text is outlines.
    struct Vectors {
        struct Text {
            QPointF base;
            QString text;
            std::vector<qreal> avancos;
        };
        QSize mida;
        QRgb fons = 0;
        bool transparent = false;
        std::vector<std::pair<QRgb, QPainterPath>> capes;
        QFont font;
        QRgb colorText = 0;
        std::vector<Text> textos;
    };
    Vectors DibuixarVectors(int modulePixels, int height) const;
    // Writes Dibuixar(width × height) as a bitmap file (BMP, 96 dpi). BarcodeError when the
    // code is not valid or the file cannot be written.
    void SaveToImageFile(float width, float height, const QString& fileName) const;

    // The encoded modules ('1' bar, '0' space), one line per row of the symbol (two for
    // PostNet and PLANET: the tall part, then the full row), for checks of the pattern.
    QString PatroModuls() const;

signals:
    // Raised after every change of a property (event 11).
    void Canviat();

private:
    struct Codificacio;
    // moduleForced 0: the largest module that fits `pixels`.
    // compactText: the bars drawn one pixel high and the text band's height handed back.
    // vec: the shapes are collected there instead of drawn.
    QImage dibuixa(QSize pixels, int moduleForced, bool smoothText, int* compactText, Vectors* vec) const;
    const Codificacio& codificacio() const;
    void canvi();

    std::int16_t textAlign_ = 1;
    std::uint32_t backColor_ = 0xFFFFFF;
    std::uint32_t foreColor_ = 0x000000;
    std::int16_t orientation_ = 0;
    QString barText_ = QStringLiteral("123456789012");
    std::int16_t barType_ = EAN13;
    bool calcCheck_ = false;
    bool transparent_ = false;
    bool showCheck_ = true;
    bool showGuard_ = true;
    bool showStSt_ = false;
    bool showText_ = true;
    bool showQuietZone_ = true;
    std::uint32_t textColor_ = 0x000000;
    bool textBottomTop_ = false;
    bool txtEANFull_ = true;
    std::int16_t barAlign_ = 1;
    std::int16_t code128CharSet_ = 0;
    float wide2Narrow_ = 3.0f;
    bool nonPrintingToTxt_ = false;
    std::int32_t barWidthReduction_ = 0;
    std::int32_t jpegQuality_ = 100;
    FontCodi font_;
    int width_ = 3600;   // twips
    int height_ = 1440;
    QString tag_;
    double modulMm_ = 0;

    mutable std::unique_ptr<Codificacio> cache_;
};

} // namespace kovel::barcode

#include "platform/barcode/ActiveBC.h"
#include "platform/barcode/SimbolZint.h"

#include "platform/files/EscripturaAtomica.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageWriter>
#include <QHash>
#include <QPainter>
#include <QBuffer>
#include <QPainterPath>
#include <QTransform>

#include <zint.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace kovel::barcode {

BarcodeError::BarcodeError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

int SimbologiaZint(int barType)
{
    switch (barType) {
    case Code39: return BARCODE_CODE39;
    case Code11: return BARCODE_CODE11;
    case Code39Complet: return BARCODE_EXCODE39;
    case Code93Complet: return BARCODE_CODE93;
    case Code93: return BARCODE_CODE93;
    case Codabar: return BARCODE_CODABAR;
    case MSI: return BARCODE_MSI_PLESSEY;
    case Code128: return BARCODE_CODE128;
    case EANAddon2: return BARCODE_EANX;
    case EANAddon5: return BARCODE_EANX;
    case EAN8: return BARCODE_EANX;
    case EAN13: return BARCODE_EANX;
    case EAN14: return BARCODE_EAN14;
    case UPCA: return BARCODE_UPCA;
    case UPCE: return BARCODE_UPCE;
    case GS1_128: return BARCODE_GS1_128;
    case SSCC18: return BARCODE_NVE18;
    case PostNet: return BARCODE_POSTNET;
    case Planet: return BARCODE_PLANET;
    case Interleaved2of5: return BARCODE_C25INTER;
    // The standard (industrial) 2 of 5: the digits in the bars, every space narrow. Zint's
    // "standard" is the matrix code, which also codes in the spaces.
    case Standard2of5: return BARCODE_C25IND;
    case ITF14: return BARCODE_ITF14;
    default: return 0;
    }
}

namespace {

// Code 128 symbol patterns (bar, space, bar, space, bar, space widths), values 0 … 105;
// the stop pattern has a seventh element.
constexpr std::array<const char*, 106> Code128Patrons = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr const char* Code128Stop = "2331112";

// Code 128 in one forced set: values of the symbols, or an error text.
bool Code128Forcat(const QString& text, int set, std::vector<int>& values, QString& error)
{
    values.clear();
    if (set == 1) {
        values.push_back(103);
        for (QChar ch : text) {
            const ushort c = ch.unicode();
            if (c < 32) values.push_back(c + 64);
            else if (c <= 95) values.push_back(c - 32);
            else {
                error = QStringLiteral("Code 128 set A holds no lower-case letters or characters above underscore");
                return false;
            }
        }
    } else {
        values.push_back(105);
        if (text.size() % 2 != 0) {
            error = QStringLiteral("Code 128 set C needs an even count of digits");
            return false;
        }
        for (int i = 0; i < text.size(); i += 2) {
            const QChar a = text[i], b = text[i + 1];
            if (!a.isDigit() || !b.isDigit() || a.unicode() > '9' || b.unicode() > '9') {
                error = QStringLiteral("Code 128 set C holds digits only");
                return false;
            }
            values.push_back((a.unicode() - '0') * 10 + (b.unicode() - '0'));
        }
    }
    if (values.size() < 2) {
        error = QStringLiteral("No data");
        return false;
    }
    long sum = values[0];
    for (size_t i = 1; i < values.size(); ++i) sum += static_cast<long>(i) * values[i];
    values.push_back(static_cast<int>(sum % 103));
    return true;
}

std::vector<std::uint8_t> ModulsCode128(const std::vector<int>& values)
{
    std::vector<std::uint8_t> row;
    auto afegir = [&row](const char* widths) {
        bool bar = true;
        for (const char* p = widths; *p; ++p, bar = !bar)
            row.insert(row.end(), static_cast<size_t>(*p - '0'), bar ? 1 : 0);
    };
    for (int v : values) afegir(Code128Patrons[static_cast<size_t>(v)]);
    afegir(Code128Stop);
    return row;
}

bool EsDigits(const QString& s)
{
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c.unicode() < '0' || c.unicode() > '9') return false;
    return true;
}

// Types whose elements have two widths: the modules of a wide element as Zint encodes it,
// which the wide-to-narrow ratio then sets; 0 for the other types.
int AmpladaAmple(int type)
{
    switch (type) {
    case Code39: case Code39Complet: case Codabar: case Code11: case MSI:
        return 2;
    case Interleaved2of5: case Standard2of5: case ITF14:
        return 3;
    default:
        return 0;
    }
}

bool TipusEAN(int type)
{
    return type == EAN8 || type == EAN13 || type == UPCA || type == UPCE;
}

QColor ColorBasic(std::uint32_t v)
{
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

// Quiet zones in modules, left and right, as the symbologies' standards ask.
std::pair<int, int> ZonesSilenci(int type)
{
    switch (type) {
    case EAN13: return {11, 7};
    case EAN8: return {7, 7};
    case UPCA: return {9, 9};
    case UPCE: return {9, 7};
    case EANAddon2: case EANAddon5: return {7, 5};
    case PostNet: case Planet: return {6, 6};
    default: return {10, 10};
    }
}

struct Guarda { int from, to; };

// GS1 modulo-10 check digit of a run of digits (weights 3, 1, 3… from the right).
int DigitControlGS1(const QString& digits)
{
    int sum = 0, weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum += (digits[i].unicode() - '0') * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

constexpr int MaxText = 256;

} // namespace

struct ActiveBC::Codificacio {
    bool textValid = false;
    bool checkValid = true;
    QString error;
    std::vector<std::vector<std::uint8_t>> rows;   // modules of each row
    std::vector<float> rowHeights;                 // parts of the whole height
    int width = 0;                                 // modules
    QString zintText;                              // the symbol's own human-readable text
    QString dades;                                 // what a reader returns
    std::vector<Guarda> guards;                    // EAN/UPC guard modules
};

ActiveBC::ActiveBC(QObject* parent) : QObject(parent) {}
ActiveBC::~ActiveBC() = default;

void ActiveBC::canvi()
{
    cache_.reset();
    emit Canviat();
}

#define KOVEL_SETTER(Name, member, Type)                                                       \
    void ActiveBC::set##Name(Type v)                                                           \
    {                                                                                          \
        member = v;                                                                            \
        canvi();                                                                               \
    }
KOVEL_SETTER(TextAlign, textAlign_, std::int16_t)
KOVEL_SETTER(BackColor, backColor_, std::uint32_t)
KOVEL_SETTER(ForeColor, foreColor_, std::uint32_t)
KOVEL_SETTER(BarText, barText_, const QString&)
KOVEL_SETTER(CalcCheck, calcCheck_, bool)
KOVEL_SETTER(Transparent, transparent_, bool)
KOVEL_SETTER(ShowCheck, showCheck_, bool)
KOVEL_SETTER(ShowGuard, showGuard_, bool)
KOVEL_SETTER(ShowStSt, showStSt_, bool)
KOVEL_SETTER(ShowText, showText_, bool)
KOVEL_SETTER(ShowQuietZone, showQuietZone_, bool)
KOVEL_SETTER(TextColor, textColor_, std::uint32_t)
KOVEL_SETTER(TextBottomTop, textBottomTop_, bool)
KOVEL_SETTER(TxtEANFull, txtEANFull_, bool)
KOVEL_SETTER(BarAlign, barAlign_, std::int16_t)
KOVEL_SETTER(Code128CharSet, code128CharSet_, std::int16_t)
KOVEL_SETTER(NonPrintingToTxt, nonPrintingToTxt_, bool)
KOVEL_SETTER(JPEGQuality, jpegQuality_, std::int32_t)
KOVEL_SETTER(Font, font_, const FontCodi&)
#undef KOVEL_SETTER

void ActiveBC::setOrientation(std::int16_t degrees)
{
    int d = degrees % 360;
    if (d < 0) d += 360;
    orientation_ = static_cast<std::int16_t>((d / 90) * 90);
    canvi();
}

void ActiveBC::setBarType(std::int16_t v)
{
    barType_ = (v >= 0 && v < NombreTipus) ? v : std::int16_t(EAN13);
    canvi();
}

void ActiveBC::setWide2NarrowRatio(float v)
{
    // Readers accept 2:1 to 3:1.
    wide2Narrow_ = std::isfinite(v) ? std::clamp(v, 2.0f, 3.0f) : 3.0f;
    canvi();
}

void ActiveBC::setBarWidthReduction(std::int32_t v)
{
    barWidthReduction_ = std::clamp(v, -99, 99);
    canvi();
}

const ActiveBC::Codificacio& ActiveBC::codificacio() const
{
    if (cache_) return *cache_;
    auto c = std::make_unique<Codificacio>();
    const int type = barType_;
    QString text = barText_;

    auto acabar = [&]() -> const Codificacio& {
        if (c->textValid && c->checkValid) {
            c->width = 0;
            for (const auto& r : c->rows) c->width = std::max<int>(c->width, static_cast<int>(r.size()));
        } else {
            c->rows.clear();
        }
        cache_ = std::move(c);
        return *cache_;
    };

    if (text.isEmpty()) {
        c->textValid = false;
        c->error = QStringLiteral("No data");
        return acabar();
    }
    // No linear symbol holds more; a longer record value is refused before any work.
    if (text.size() > MaxText) {
        c->error = QStringLiteral("The text is too long for a barcode (more than %1 characters)").arg(MaxText);
        return acabar();
    }

    // Code 128 in a forced set A or C: Zint chooses the sets itself, so these are built here.
    if (type == Code128 && (code128CharSet_ == 1 || code128CharSet_ == 3)) {
        std::vector<int> values;
        if (!Code128Forcat(text, code128CharSet_, values, c->error)) {
            c->textValid = false;
            return acabar();
        }
        c->textValid = true;
        c->rows.push_back(ModulsCode128(values));
        c->rowHeights.push_back(1.0f);
        c->zintText = text;
        c->dades = text;
        return acabar();
    }

    if (type == Code93) {
        static const QString basic = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ -.$/+%");
        for (QChar ch : text)
            if (!basic.contains(ch)) {
                c->error = QStringLiteral("Code 93 holds digits, capital letters and - . $ / + % and space");
                return acabar();
            }
    }
    if (type == EANAddon2 && (!EsDigits(text) || text.size() > 2)) {
        c->error = QStringLiteral("An EAN-2 add-on holds two digits");
        return acabar();
    }
    if (type == EANAddon5 && (!EsDigits(text) || text.size() > 5)) {
        c->error = QStringLiteral("An EAN-5 add-on holds five digits");
        return acabar();
    }
    // Zint draws one or two digits as an EAN-2: an EAN-5 takes them with leading zeros.
    if (type == EANAddon5) text = text.rightJustified(5, QLatin1Char('0'));
    // EAN-14, ITF-14 and SSCC-18 take their data digits, or the data with the check digit,
    // after the application identifier when it is written ("(01)", "(00)", or for SSCC-18
    // "00" in front of all the digits). A check digit given is checked, then left to Zint.
    if (type == EAN14 || type == ITF14 || type == SSCC18) {
        const int dades = type == SSCC18 ? 17 : 13;
        const QString ai = type == SSCC18 ? QStringLiteral("00") : QStringLiteral("01");
        if (text.startsWith(QLatin1Char('(') + ai + QLatin1Char(')')) && type != ITF14) text = text.mid(4);
        else if (type == SSCC18 && (text.size() == dades + 2 || text.size() == dades + 3) && text.startsWith(ai))
            text = text.mid(2);
        if (EsDigits(text) && text.size() == dades + 1) {
            if (DigitControlGS1(text.left(dades)) != text.back().unicode() - '0') {
                c->textValid = true;
                c->checkValid = false;
                c->error = QStringLiteral("The check digit is not %1").arg(DigitControlGS1(text.left(dades)));
                return acabar();
            }
            text.chop(1);
        }
    }
    if (TipusEAN(type)) {
        // An add-on may follow after "+" or a blank.
        QString main = text, addon;
        qsizetype sep = text.indexOf(QLatin1Char('+'));
        if (sep < 0) sep = text.indexOf(QLatin1Char(' '));
        if (sep >= 0) {
            main = text.left(sep);
            addon = text.mid(sep + 1);
        }
        const int n = static_cast<int>(main.size());
        bool ok = EsDigits(main) && (addon.isEmpty() || (EsDigits(addon) && (addon.size() == 2 || addon.size() == 5)));
        if (type == EAN8) ok = ok && (n == 7 || n == 8);
        if (type == EAN13) ok = ok && (n == 12 || n == 13);
        if (type == UPCA) ok = ok && (n == 11 || n == 12);
        if (type == UPCE) ok = ok && (n >= 6 && n <= 8);
        if (!ok) {
            c->error = type == EAN8  ? QStringLiteral("EAN-8 holds 7 digits (8 with its check digit)")
                     : type == EAN13 ? QStringLiteral("EAN-13 holds 12 digits (13 with its check digit)")
                     : type == UPCA ? QStringLiteral("UPC-A holds 11 digits (12 with its check digit)")
                                    : QStringLiteral("UPC-E holds 6 to 8 digits");
            return acabar();
        }
        text = addon.isEmpty() ? main : main + QLatin1Char('+') + addon;
    }
    if (type == Codabar) {
        // Start and stop characters A to D; added when the text has none.
        auto inici = [](QChar ch) { return QStringLiteral("ABCDabcd").contains(ch); };
        if (!(text.size() >= 2 && inici(text.front()) && inici(text.back())))
            text = QLatin1Char('A') + text + QLatin1Char('A');
        text = text.toUpper();
    }

    struct zint_symbol* s = kovel::zintutil::SimbolNet();
    if (!s) {
        c->error = QStringLiteral("Out of memory");
        return acabar();
    }
    s->symbology = SimbologiaZint(type);
    s->input_mode = UNICODE_MODE;
    s->show_hrt = 1;
    if (type == Code128 && code128CharSet_ == 2) s->symbology = BARCODE_CODE128B;
    // Given with its check digit, an EAN is checked; plain EANX would read eight digits as
    // an EAN-13 with leading zeros.
    if ((type == EAN8 || type == EAN13) && text.section(QLatin1Char('+'), 0, 0).size() == (type == EAN8 ? 8 : 13))
        s->symbology = BARCODE_EANX_CHK;
    if (type == GS1_128) {
        s->input_mode = GS1_MODE;
        if (text.startsWith(QLatin1Char('('))) s->input_mode |= GS1PARENS_MODE;
    }
    if (type == MSI) s->option_2 = 1;   // modulo-10 check digit
    if ((type == Interleaved2of5 || type == Standard2of5) && calcCheck_) s->option_2 = showCheck_ ? 1 : 2;
    const QByteArray bytes = text.toUtf8();
    const int r = ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(bytes.constData()),
                                  static_cast<int>(bytes.size()));
    if (r >= ZINT_ERROR) {
        c->error = kovel::zintutil::TextError(*s);
        if (r == ZINT_ERROR_INVALID_CHECK) {
            c->textValid = true;
            c->checkValid = false;
        }
        return acabar();
    }
    c->textValid = true;
    float total = 0;
    for (int row = 0; row < s->rows; ++row) total += s->row_height[row];
    for (int row = 0; row < s->rows; ++row) {
        std::vector<std::uint8_t> m(static_cast<size_t>(s->width));
        for (int col = 0; col < s->width; ++col)
            m[static_cast<size_t>(col)] = (s->encoded_data[row][col >> 3] >> (col & 7)) & 1;
        c->rows.push_back(std::move(m));
        c->rowHeights.push_back(total > 0 ? s->row_height[row] / total : 1.0f / static_cast<float>(s->rows));
    }
    c->zintText = QString::fromUtf8(reinterpret_cast<const char*>(s->text));

    // What a reader returns: the human-readable text without the framing characters.
    QString d = c->zintText;
    if (type == Code39 || type == Code39Complet) {
        if (d.startsWith(QLatin1Char('*')) && d.endsWith(QLatin1Char('*')) && d.size() >= 2) d = d.mid(1, d.size() - 2);
        if (type == Code39Complet || d.isEmpty()) d = barText_;
    } else if (type == GS1_128 || type == EAN14 || type == SSCC18) {
        d.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    } else if (type == Code128 || type == Code93 || type == Code93Complet) {
        d = barText_;
    } else if (TipusEAN(type)) {
        d.replace(QLatin1Char('+'), QLatin1Char(' '));
    } else if (type == Codabar && d.size() >= 2) {
        d = d.mid(1, d.size() - 2);   // readers leave the start and stop characters out
    } else if ((type == Interleaved2of5 || type == Standard2of5) && calcCheck_ && !showCheck_) {
        d += QLatin1Char(static_cast<char>('0' + DigitControlGS1(d)));   // in the bars, not in the text
    }
    c->dades = d;

    if (type == EAN13 && !c->rows.empty()) c->guards = {{0, 3}, {45, 50}, {92, 95}};
    if (type == EAN8 && !c->rows.empty()) c->guards = {{0, 3}, {31, 36}, {64, 67}};
    if (type == UPCA && !c->rows.empty()) c->guards = {{0, 10}, {45, 50}, {85, 95}};
    if (type == UPCE && !c->rows.empty()) c->guards = {{0, 3}, {45, 51}};
    return acabar();
}

bool ActiveBC::TextValid() const { return codificacio().textValid; }
bool ActiveBC::CheckValid() const { return codificacio().checkValid; }
QString ActiveBC::Error() const { return Valid() ? QString() : codificacio().error; }
QString ActiveBC::DadesCodificades() const { return Valid() ? codificacio().dades : QString(); }

QString ActiveBC::TextHuma() const
{
    const Codificacio& c = codificacio();
    if (!Valid()) return {};
    QString t = c.zintText;
    if (barType_ == Code39 || barType_ == Code39Complet) {
        if (t.startsWith(QLatin1Char('*')) && t.endsWith(QLatin1Char('*')) && t.size() >= 2) t = t.mid(1, t.size() - 2);
        if (barType_ == Code39Complet) t = barText_;
        if (showStSt_) t = QLatin1Char('*') + t + QLatin1Char('*');
    } else if (barType_ == Code128 || barType_ == Code93Complet || barType_ == GS1_128) {
        if (barType_ != GS1_128) t = barText_;
    }
    if (barType_ == Codabar && !showStSt_ && t.size() >= 2) t = t.mid(1, t.size() - 2);
    // Control characters: shown as their pictures, or left out.
    QString out;
    for (QChar ch : t) {
        if (ch.unicode() < 32 || ch.unicode() == 127) {
            if (nonPrintingToTxt_) out += QChar(ch.unicode() == 127 ? 0x2421 : 0x2400 + ch.unicode());
        } else {
            out += ch;
        }
    }
    return out;
}

QString ActiveBC::PatroModuls() const
{
    const Codificacio& c = codificacio();
    QStringList lines;
    for (const auto& r : c.rows) {
        QString line;
        line.reserve(static_cast<qsizetype>(r.size()));
        for (auto m : r) line += m ? QLatin1Char('1') : QLatin1Char('0');
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

namespace {

// Element runs of a module row: (is bar, modules).
std::vector<std::pair<bool, int>> Runs(const std::vector<std::uint8_t>& row)
{
    std::vector<std::pair<bool, int>> runs;
    for (size_t i = 0; i < row.size();) {
        size_t j = i;
        while (j < row.size() && row[j] == row[i]) ++j;
        runs.push_back({row[i] != 0, static_cast<int>(j - i)});
        i = j;
    }
    return runs;
}

// Width in pixels of a row's element runs at n pixels a module, with `quiet` modules of
// quiet zone: wide elements stretch by the ratio.
int AmpladaRuns(const std::vector<std::pair<bool, int>>& runs, int wide, float ratio, int quiet, int n)
{
    int px = quiet * n;
    for (const auto& [bar, len] : runs) {
        Q_UNUSED(bar);
        px += (len == wide) ? static_cast<int>(std::lround(ratio * n)) : len * n;
    }
    return px;
}

bool HiHaFonts()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

float ActiveBC::MinBarcodeWidth() const { return static_cast<float>(AmpladaPixels(2)); }

int ActiveBC::AmpladaPixels(int modulePixels) const
{
    const Codificacio& c = codificacio();
    if (!Valid() || c.rows.empty() || modulePixels < 1) return 0;
    const auto [ql, qr] = ZonesSilenci(barType_);
    return AmpladaRuns(Runs(c.rows.back()), AmpladaAmple(barType_), wide2Narrow_, showQuietZone_ ? ql + qr : 0,
                       modulePixels);
}

QImage ActiveBC::Dibuixar(QSize pixels) const { return dibuixa(pixels, 0, true, nullptr, nullptr); }

ActiveBC::ImatgeFiles ActiveBC::DibuixarPerImprimir(int modulePixels, int height) const
{
    ImatgeFiles out;
    const int w = AmpladaPixels(modulePixels);
    if (w <= 0 || height <= 0) return out;
    if (codificacio().rows.size() == 1 && orientation_ == 0) {
        // One row of bars: drawn once, its rows all pointing at it.
        int textPx = 0;
        out.linies = dibuixa(QSize(w, height), modulePixels, false, &textPx, nullptr);
        if (out.linies.isNull()) return out;
        const bool ambText = textPx > 0;
        const int barsH = std::max(1, height - textPx);
        const int barsTop = (ambText && textBottomTop_) ? textPx : 0;
        const int filaBarres = barsTop;   // the bars' row in the compact picture
        out.fila.resize(static_cast<size_t>(std::max(height, barsTop + barsH)));
        for (int y = 0; y < int(out.fila.size()); ++y) {
            if (y >= barsTop && y < barsTop + barsH) out.fila[size_t(y)] = filaBarres;
            else if (y < barsTop) out.fila[size_t(y)] = y;                       // text above
            else out.fila[size_t(y)] = std::min(textPx, 1 + (y - barsH));      // text below
        }
        return out;
    }
    const bool turned = orientation_ == 90 || orientation_ == 270;
    out.linies = dibuixa(turned ? QSize(height, w) : QSize(w, height), modulePixels, false, nullptr, nullptr);
    out.fila.resize(static_cast<size_t>(out.linies.height()));
    for (int y = 0; y < out.linies.height(); ++y) out.fila[size_t(y)] = y;
    return out;
}

QImage ActiveBC::dibuixa(QSize pixels, int moduleForced, bool smoothText, int* compactText, Vectors* vec) const
{
    const Codificacio& c = codificacio();
    if (!Valid() || c.rows.empty() || pixels.isEmpty()) return {};
    const bool turned = orientation_ == 90 || orientation_ == 270;
    const int W = turned ? pixels.height() : pixels.width();
    int H = turned ? pixels.width() : pixels.height();

    const auto [ql, qr] = ZonesSilenci(barType_);
    const int wide = AmpladaAmple(barType_);
    // Element widths at n pixels a module: columns of each module of the widest row.
    const auto& base = c.rows.back();
    const auto runs = Runs(base);
    auto amplada = [&](int n) { return AmpladaRuns(runs, wide, wide2Narrow_, showQuietZone_ ? ql + qr : 0, n); };
    int n = moduleForced > 0 ? moduleForced : std::max(1, W / std::max(1, amplada(1)));
    while (moduleForced <= 0 && n > 1 && amplada(n) > W) --n;
    const int total = amplada(n);

    // Pixel start of every module: wide elements stretch by the ratio.
    std::vector<int> x0(base.size() + 1, 0);
    {
        int x = 0;
        size_t i = 0;
        for (const auto& [bar, len] : runs) {
            Q_UNUSED(bar);
            const int w = (len == wide) ? static_cast<int>(std::lround(wide2Narrow_ * n)) : len * n;
            for (int k = 0; k < len; ++k) x0[i + static_cast<size_t>(k)] = x + (w * k) / len;
            x += w;
            i += static_cast<size_t>(len);
        }
        x0[base.size()] = x;
    }
    int left = barAlign_ == 0 ? 0 : barAlign_ == 2 ? W - total : (W - total) / 2;
    const int barsLeft = left + (showQuietZone_ ? ql * n : 0);

    // Text band.
    const bool fonts = HiHaFonts();
    const QString hrt = showText_ ? TextHuma() : QString();
    const bool ambText = !hrt.isEmpty() && fonts && barType_ != PostNet && barType_ != Planet;
    QFont font(font_.name);
    int textPx = 0;
    if (ambText) {
        font.setPixelSize(std::max(6, static_cast<int>(std::lround(font_.size * 96.0 / 72.0 * n / 2.0))));
        font.setBold(font_.bold);
        font.setItalic(font_.italic);
        font.setUnderline(font_.underline);
        if (!smoothText) font.setStyleStrategy(QFont::NoAntialias);
        textPx = QFontMetrics(font).height() + n;
    }
    // Compact: the bars one pixel high, the text band whole.
    if (compactText) {
        *compactText = textPx;
        H = textPx + 1;
    }
    // Shapes instead of pixels: the picture holds one line, never written.
    QImage img(W, vec ? 1 : H, transparent_ ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    img.fill(transparent_ ? QColor(Qt::transparent) : ColorBasic(backColor_));
    const QRgb fore = ColorBasic(foreColor_).rgb() | 0xFF000000u;
    QPainterPath barres;
    const int barsH = std::max(1, H - textPx);
    const int barsTop = (ambText && textBottomTop_) ? textPx : 0;
    const bool eanLayout = ambText && TipusEAN(barType_) && (txtEANFull_ || textAlign_ >= 4);
    const int guardExtra = (eanLayout && showGuard_) ? textPx / 2 : 0;

    // Bars: each row of the symbol takes its part of the height (PostNet and PLANET rows
    // are the tall tops and the full bars).
    const int reduction = static_cast<int>(std::lround(barWidthReduction_ / 100.0 * n));
    // One scan line of each row is drawn and copied down; guard bars then go on into the
    // text band. The lines are reached through one pointer: scanLine() checks sharing
    // on every call.
    uchar* const bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    auto linia = [bits, bpl](int yy) { return reinterpret_cast<QRgb*>(bits + yy * bpl); };
    int y = barsTop;
    for (size_t r = 0; r < c.rows.size(); ++r) {
        const int h = (r + 1 == c.rows.size()) ? barsTop + barsH - y
                                              : static_cast<int>(std::lround(c.rowHeights[r] * barsH));
        const auto& row = c.rows[r];
        const int y0 = std::max(0, y), y1 = std::min(H, y + h);
        const int yg = std::min(H, y + h + guardExtra);
        for (size_t m = 0; m < row.size();) {
            if (!row[m]) { ++m; continue; }
            size_t e = m;
            while (e < row.size() && row[e]) ++e;
            bool guard = false;
            for (const auto& g : c.guards)
                if (static_cast<int>(m) >= g.from && static_cast<int>(m) < g.to) guard = true;
            int xa = barsLeft + x0[std::min(m, base.size())];
            int xb = barsLeft + x0[std::min(e, base.size())];
            // Ink spread: a positive reduction narrows each bar, a negative one widens it.
            xa += reduction / 2;
            xb -= reduction - reduction / 2;
            if (xb <= xa) xb = xa + 1;
            xa = std::max(0, xa);
            xb = std::min(W, xb);
            if (vec) {
                const int yb = guard ? std::max(y1, yg) : y1;
                if (y0 < yb && xa < xb) barres.addRect(xa, y0, xb - xa, yb - y0);
                m = e;
                continue;
            }
            if (y0 < y1)
                std::fill(linia(y0) + xa, linia(y0) + std::max(xa, xb), fore);
            if (guard)
                for (int yy = std::max(y1, 0); yy < yg; ++yy) std::fill(linia(yy) + xa, linia(yy) + std::max(xa, xb), fore);
            m = e;
        }
        if (!vec)
            for (int yy = y0 + 1; yy < y1; ++yy) std::memcpy(linia(yy), linia(y0), static_cast<size_t>(W) * sizeof(QRgb));
        y += h;
    }

    QPainterPath lletres;
    if (vec) {
        vec->capes.clear();
        vec->textos.clear();
    }
    if (ambText) {
        QPainter p;
        if (!vec) {
            p.begin(&img);
            p.setFont(font);
            p.setPen(ColorBasic(textColor_));
        }
        // The text drawn, or its outlines placed as drawText places it.
        const QFontMetricsF fm(font);
        struct Escriptor {
            QPainter& p;
            QPainterPath* cami;
            const QFont& font;
            const QFontMetricsF& fm;
            QString clauFont;
            std::vector<ActiveBC::Vectors::Text>* textos;
            void drawText(const QRectF& r, int flags, const QString& t) const
            {
                if (!cami) {
                    p.drawText(r, flags, t);
                    return;
                }
                // Each character's outline is flattened once and kept: a merge draws the same
                // digits thousands of times.
                struct Lletra {
                    QPainterPath forma;
                    qreal avanc = 0;
                };
                thread_local QHash<QString, Lletra> lletres;
                std::vector<const Lletra*> text;
                qreal amp = 0;
                for (QChar ch : t) {
                    const QString clau = clauFont + ch;
                    auto it = lletres.find(clau);
                    if (it == lletres.end()) {
                        QPainterPath contorn;
                        contorn.addText(QPointF(0, 0), font, QString(ch));
                        Lletra l;
                        for (const QPolygonF& pol : contorn.toSubpathPolygons()) l.forma.addPolygon(pol);
                        l.avanc = fm.horizontalAdvance(ch);
                        it = lletres.insert(clau, l);
                    }
                    text.push_back(&*it);
                    amp += it->avanc;
                }
                qreal x = (flags & Qt::AlignRight) ? r.x() + r.width() - amp
                        : (flags & Qt::AlignHCenter) ? r.x() + (r.width() - amp) / 2
                                                     : r.x();
                const qreal base = r.y() + (r.height() - fm.height()) / 2 + fm.ascent();
                if (textos) {
                    ActiveBC::Vectors::Text peca{QPointF(x, base), t, {}};
                    for (const Lletra* l : text) peca.avancos.push_back(l->avanc);
                    textos->push_back(std::move(peca));
                    return;
                }
                for (const Lletra* l : text) {
                    cami->addPath(l->forma.translated(x, base));
                    x += l->avanc;
                }
            }
        } escriptor{p, vec ? &lletres : nullptr, font, fm, vec ? font.key() + QChar(0) : QString(),
                    vec && orientation_ == 0 ? &vec->textos : nullptr};
        auto& pinta = escriptor;
        const int ty = textBottomTop_ ? 0 : barsH;
        auto posX = [&](int module) { return barsLeft + x0[std::clamp<size_t>(static_cast<size_t>(module), 0, base.size())]; };
        if (eanLayout && c.zintText.size() >= 8) {
            QString digits = c.zintText.section(QLatin1Char('+'), 0, 0);
            auto grup = [&](int a, int b, const QString& t) {
                pinta.drawText(QRect(posX(a), ty, posX(b) - posX(a), textPx), Qt::AlignHCenter | Qt::AlignVCenter, t);
            };
            auto fora = [&](bool leftSide, const QString& t) {
                const int wq = 9 * n;
                if (leftSide) pinta.drawText(QRect(posX(0) - wq, ty, wq - n, textPx), Qt::AlignRight | Qt::AlignVCenter, t);
                else pinta.drawText(QRect(posX(static_cast<int>(base.size())) + n, ty, wq, textPx), Qt::AlignLeft | Qt::AlignVCenter, t);
            };
            if (barType_ == EAN13 && digits.size() == 13) {
                fora(true, digits.left(1));
                grup(3, 45, digits.mid(1, 6));
                grup(50, 92, digits.mid(7, 6));
            } else if (barType_ == EAN8 && digits.size() == 8) {
                grup(3, 31, digits.left(4));
                grup(36, 64, digits.mid(4, 4));
            } else if (barType_ == UPCA && digits.size() == 12) {
                fora(true, digits.left(1));
                grup(10, 45, digits.mid(1, 5));
                grup(50, 85, digits.mid(6, 5));
                fora(false, digits.right(1));
            } else if (barType_ == UPCE && digits.size() == 8) {
                fora(true, digits.left(1));
                grup(3, 45, digits.mid(1, 6));
                fora(false, digits.right(1));
            } else {
                grup(0, static_cast<int>(base.size()), digits);
            }
        } else {
            const QRect band(posX(0), ty, posX(static_cast<int>(base.size())) - posX(0), textPx);
            if (textAlign_ == 3 && hrt.size() > 1) {
                // Justified: the characters spread evenly over the bars.
                const double step = static_cast<double>(band.width()) / hrt.size();
                for (int i = 0; i < hrt.size(); ++i)
                    pinta.drawText(QRectF(band.left() + i * step, ty, step, textPx), Qt::AlignCenter, hrt.mid(i, 1));
            } else {
                const Qt::Alignment a = textAlign_ == 0 ? Qt::AlignLeft : textAlign_ == 2 ? Qt::AlignRight : Qt::AlignHCenter;
                pinta.drawText(band, a | Qt::AlignVCenter, hrt);
            }
        }
    }

    if (vec) {
        // Turned as the picture would be: the transform that lands it at the origin.
        const QTransform t = QImage::trueMatrix(QTransform().rotate(orientation_), W, H);
        const bool turned = orientation_ == 90 || orientation_ == 270;
        vec->mida = turned ? QSize(H, W) : QSize(W, H);
        vec->transparent = transparent_;
        vec->fons = ColorBasic(backColor_).rgb() | 0xFF000000u;
        vec->font = font;
        vec->colorText = ColorBasic(textColor_).rgb() | 0xFF000000u;
        if (!barres.isEmpty()) vec->capes.push_back({fore, t.map(barres)});
        if (!lletres.isEmpty()) vec->capes.push_back({ColorBasic(textColor_).rgb() | 0xFF000000u, t.map(lletres)});
        return {};
    }
    if (orientation_ != 0) img = img.transformed(QTransform().rotate(orientation_));
    return img;
}

ActiveBC::Vectors ActiveBC::DibuixarVectors(int modulePixels, int height) const
{
    Vectors out;
    const int w = AmpladaPixels(modulePixels);
    if (w <= 0 || height <= 0) return out;
    const bool turned = orientation_ == 90 || orientation_ == 270;
    dibuixa(turned ? QSize(height, w) : QSize(w, height), modulePixels, true, nullptr, &out);
    return out;
}

void ActiveBC::SaveToImageFile(float width, float height, const QString& fileName) const
{
    if (!Valid()) throw BarcodeError(QStringLiteral("The barcode cannot be drawn: %1").arg(Error()));
    const QSize size(std::max(1, static_cast<int>(std::lround(width))), std::max(1, static_cast<int>(std::lround(height))));
    QImage img = Dibuixar(size);
    if (img.isNull()) throw BarcodeError(QStringLiteral("The barcode cannot be drawn at %1 x %2").arg(size.width()).arg(size.height()));
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    QString error;
    if (!buffer.open(QIODevice::WriteOnly) || !img.save(&buffer, "BMP") || !kovel::files::EscriuAtomic(fileName, bmp, &error))
        throw BarcodeError(QStringLiteral("Cannot write the picture file %1 %2").arg(fileName, error));
}

} // namespace kovel::barcode

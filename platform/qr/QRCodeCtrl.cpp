#include "platform/qr/QRCodeCtrl.h"

#include "platform/barcode/SimbolZint.h"
#include "platform/files/EscripturaAtomica.h"

#include <QColor>
#include <QBuffer>
#include <QStringDecoder>
#include <QTransform>

#include <zint.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace kovel::qr {

QrError::QrError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}

namespace {

bool EsHex(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

bool EsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Bytes escaped in a run become text: UTF-8 when they form it (marked as UTF-8 unless the
// run has a character set of its own), else each byte one Latin-1 character.
QString TextDeBytes(const QByteArray& bytes, bool& utf8)
{
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = dec.decode(bytes);
    if (!dec.hasError()) {
        utf8 = true;
        return s;
    }
    utf8 = false;
    return QString::fromLatin1(bytes);
}

struct Tros {
    int eci = 0;
    bool designated = false;
    QString text;
    bool utf8 = false;
};

QList<Tros> Trossos(const QString& data)
{
    QList<Tros> out;
    Tros cur;
    QByteArray pending;   // escaped bytes not yet turned into text
    bool anyNonAsciiByte = false;
    auto buidarBytes = [&]() {
        if (pending.isEmpty()) return;
        bool utf8 = false;
        cur.text += TextDeBytes(pending, utf8);
        if (utf8 && anyNonAsciiByte) cur.utf8 = true;
        pending.clear();
        anyNonAsciiByte = false;
    };
    auto tancar = [&]() {
        buidarBytes();
        if (!cur.text.isEmpty() || cur.designated) out << cur;
        cur = Tros();
    };
    const int n = static_cast<int>(data.size());
    for (int i = 0; i < n;) {
        const QChar c = data[i];
        if (c == QLatin1Char('\\') && i + 6 < n) {
            bool six = true;
            for (int k = 1; six && k <= 6; ++k) six = EsDigit(data[i + k]);
            if (six) {
                tancar();
                cur.eci = data.mid(i + 1, 6).toInt();
                cur.designated = true;
                i += 7;
                continue;
            }
        }
        if (c == QLatin1Char('\\') && i + 3 < n && (data[i + 1] == QLatin1Char('x') || data[i + 1] == QLatin1Char('X'))
            && EsHex(data[i + 2]) && EsHex(data[i + 3])) {
            const int b = data.mid(i + 2, 2).toInt(nullptr, 16);
            pending.append(static_cast<char>(b));
            if (b >= 0x80) anyNonAsciiByte = true;
            i += 4;
            continue;
        }
        buidarBytes();
        cur.text += c;
        ++i;
    }
    tancar();
    return out;
}

// The ECI that Zint writes for a designator: 1 (the first Latin-1 assignment) and 2 (the
// second code page 437 one) are the same sets as 3 and 0, which Zint knows.
int EciZint(const Tros& t)
{
    if (!t.designated) return t.utf8 ? 26 : 0;
    if (t.eci == 1) return 3;
    if (t.eci == 2) return 0;
    return t.eci;
}

bool Fins(const QString& t, char16_t limit)
{
    return std::all_of(t.begin(), t.end(), [limit](QChar c) { return c.unicode() < limit; });
}

// Shift JIS holds \ ~ ¥ ‾ only as one another or as the fullwidth backslash: a reader
// gives back another character.
bool SJISExacte(const QString& t)
{
    return std::none_of(t.begin(), t.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u == 0x5C || u == 0x7E || u == 0xA5 || u == 0x203E;
    });
}

constexpr int EciUTF8 = 26;

// The set a run goes in, so that a reader returns its characters: a run without a
// designator is ASCII (any reader), Latin-1 marked as such (readers guess unmarked bytes:
// "°" reads as a katakana), the Kanji mode's Shift JIS when it gives the text back, or
// UTF-8. A designated set is kept unless it is Shift JIS and cannot; whether a set holds
// the other characters only Zint tells (Zint refuses them).
int EciExacte(int eci, const QString& text, bool kanji)
{
    if (eci == 0) {
        if (Fins(text, 0x80)) return 0;
        if (kanji) return SJISExacte(text) ? 0 : EciUTF8;
        return Fins(text, 0x100) ? 3 : EciUTF8;
    }
    if (eci == 20 && !SJISExacte(text)) return EciUTF8;
    return eci;
}

// A QR symbol at Zint's defaults, taking UTF-8 (the thread's one, kovel::zintutil::SimbolNet).
zint_symbol* SimbolQR()
{
    zint_symbol* s = kovel::zintutil::SimbolNet();
    if (s) {
        s->symbology = BARCODE_QRCODE;
        s->input_mode = UNICODE_MODE;
    }
    return s;
}

// A run as it goes to Zint, with the set its designator (or the Kanji mode) chose.
struct Tram {
    int eci = 0;
    int triat = 0;   // 0: no set was chosen
    QString text;
};

// The runs of `data` in their sets; empty with `error` for a designator no reader knows.
QList<Tram> Trams(const QString& data, bool kanji, QString* error = nullptr)
{
    QList<Tram> out;
    for (const Tros& t : Trossos(data)) {
        if (t.designated && !EciConegut(t.eci)) {
            if (error) *error = MotiuIlegible(data);
            return {};
        }
        Tram r;
        r.text = t.text;
        r.triat = t.designated ? EciZint(t) : kanji ? 20 : 0;
        r.eci = EciExacte(EciZint(t), t.text, kanji);
        out << r;
    }
    return out;
}

// A quiet zone narrower than the standard's four modules fails readers next to print.
constexpr int ZonaSilenciMinima = 4;

// A line of a symbol, up to 192 modules, as bits (bit i: module i, dark 1): the penalty
// rules then take a word of modules at a time.
struct Linia {
    std::uint64_t w[3] = {0, 0, 0};
    bool operator[](int i) const { return (w[i >> 6] >> (i & 63)) & 1u; }
    // Module i of the result is module i + k of this line (0 past its end).
    Linia desde(int k) const
    {
        Linia r;
        const int p = k >> 6, b = k & 63;
        for (int i = 0; i < 3; ++i) {
            const std::uint64_t a = i + p < 3 ? w[i + p] : 0, c = i + p + 1 < 3 ? w[i + p + 1] : 0;
            r.w[i] = b ? (a >> b) | (c << (64 - b)) : a;
        }
        return r;
    }
    // Modules [0, n) only.
    int compta(int n) const
    {
        int c = 0;
        for (int i = 0; i < 3 && 64 * i < n; ++i) {
            const std::uint64_t m = n - 64 * i >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << (n - 64 * i)) - 1;
            c += std::popcount(w[i] & m);
        }
        return c;
    }
};

Linia operator&(Linia a, const Linia& b) { for (int i = 0; i < 3; ++i) a.w[i] &= b.w[i]; return a; }
Linia operator^(Linia a, const Linia& b) { for (int i = 0; i < 3; ++i) a.w[i] ^= b.w[i]; return a; }
Linia operator~(Linia a) { for (auto& x : a.w) x = ~x; return a; }

// The same for a line of at most 64 modules (symbols up to version 11): one word.
long PenalitzacioParaula(std::uint64_t l, int n)
{
    const std::uint64_t dins = n == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << n) - 1;
    long p = 0;
    std::uint64_t inicis = ((l ^ (l << 1)) & dins & ~std::uint64_t(1));
    int inici = 0;
    while (inicis) {
        const int s = std::countr_zero(inicis);
        p += (s - inici >= 5) * long(s - inici - 2);
        inici = s;
        inicis &= inicis - 1;
    }
    p += (n - inici >= 5) * long(n - inici - 2);
    if (n >= 11) {
        // Bit a of each word: the window of modules a .. a + 10 matches.
        std::uint64_t a = ~std::uint64_t(0), b = ~std::uint64_t(0);
        static constexpr std::uint16_t A = 0b10111010000, B = 0b00001011101;   // module a + j at bit j
        for (int j = 0; j < 11; ++j) {
            const std::uint64_t d = l >> j;
            a &= (A >> j) & 1u ? d : ~d;
            b &= (B >> j) & 1u ? d : ~d;
        }
        const std::uint64_t finestres = (std::uint64_t(1) << (n - 10)) - 1;
        p += 40L * (std::popcount(a & finestres) + std::popcount(b & finestres));
    }
    return p;
}

// Penalty of one line (runs of five or more, finder-like patterns in full windows).
long PenalitzacioLinia(const Linia& l, int n)
{
    if (n <= 64) return PenalitzacioParaula(l.w[0], n);
    long p = 0;
    // Runs: a new one starts at 0 and wherever a module differs from the one before it.
    Linia abans;   // module i: module i - 1
    for (int i = 0; i < 3; ++i) abans.w[i] = (l.w[i] << 1) | (i ? l.w[i - 1] >> 63 : 0);
    Linia inicis = l ^ abans;
    inicis.w[0] |= 1;
    int inici = 0;
    for (int i = 0; i < 3 && 64 * i < n; ++i) {
        std::uint64_t v = inicis.w[i];
        if (i == 0) v &= ~std::uint64_t(1);
        while (v) {
            const int s = 64 * i + std::countr_zero(v);
            if (s >= n) break;
            const int llarg = s - inici;
            p += (llarg >= 5) * long(llarg - 2);
            inici = s;
            v &= v - 1;
        }
    }
    p += (n - inici >= 5) * long(n - inici - 2);
    // 1011101 with four light modules on one side, all within the line.
    if (n >= 11) {
        static constexpr char A[] = "00001011101", B[] = "10111010000";
        Linia a = ~Linia{}, b = ~Linia{};
        for (int j = 0; j < 11; ++j) {
            const Linia d = l.desde(j), nd = ~d;
            a = a & (A[j] == '1' ? d : nd);
            b = b & (B[j] == '1' ? d : nd);
        }
        p += 40L * (a.compta(n - 10) + b.compta(n - 10));
    }
    return p;
}

// Mask penalty of a symbol (ISO/IEC 18004, 7.8.3) from its rows and columns as bits.
long PenalitzacioBits(const std::vector<Linia>& files, const std::vector<Linia>& columnes, int n)
{
    long p = 0, dark = 0, blocs = 0;
    for (int y = 0; y < n; ++y) {
        p += PenalitzacioLinia(files[size_t(y)], n) + PenalitzacioLinia(columnes[size_t(y)], n);
        dark += files[size_t(y)].compta(n);
        if (y + 1 < n) {
            const Linia& a = files[size_t(y)];
            const Linia& b = files[size_t(y) + 1];
            blocs += (~(a ^ a.desde(1)) & ~(a ^ b) & ~(b ^ b.desde(1))).compta(n - 1);
        }
    }
    p += 3 * blocs;
    const long total = static_cast<long>(n) * n;
    p += 10 * (std::labs(dark * 100 / total - 50) / 5);
    return p;
}

} // namespace

QList<Segment> Segments(const QString& data)
{
    QList<Segment> out;
    for (const Tram& t : Trams(data, false)) out << Segment{t.eci, t.text.toUtf8()};
    return out;
}

QString TextLlegit(const QString& data)
{
    QString out;
    for (const Tros& t : Trossos(data)) out += t.text;
    return out;
}

bool EciConegut(int eci)
{
    return (eci >= 0 && eci <= 30 && eci != 14 && eci != 19) || eci == 170;
}

QString MotiuIlegible(const QString& data)
{
    for (const Tros& t : Trossos(data)) {
        if (!t.designated || EciConegut(t.eci)) continue;
        const QString eci = QStringLiteral("%1").arg(t.eci, 6, 10, QLatin1Char('0'));
        return t.eci == 899 ? QStringLiteral("The designator \\%1 marks raw bytes: a reader cannot turn the code into text").arg(eci)
                            : QStringLiteral("No reader knows the character set of the designator \\%1 (ECI %2): it could not "
                                             "turn the code into text").arg(eci).arg(t.eci);
    }
    return {};
}

QRCodeCtrl::QRCodeCtrl(QObject* parent) : QObject(parent) {}
QRCodeCtrl::~QRCodeCtrl() = default;

void QRCodeCtrl::canvi() { emit Canviat(); }

void QRCodeCtrl::recodificar()
{
    side_ = 0;
    versio_ = 0;
    modules_.clear();
    error_.clear();
    canviJoc_.clear();
    if (data_.isEmpty()) {
        error_ = QStringLiteral("No data");
        return;
    }
    // The encoding mode limits the characters.
    const QString all = TextLlegit(data_);
    static const QString alnum = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:");
    for (QChar ch : all) {
        if (mode_ == ModeNumeric && !EsDigit(ch)) {
            error_ = QStringLiteral("The numeric mode holds digits only");
            break;
        }
        if (mode_ == ModeAlfanumeric && !alnum.contains(ch)) {
            error_ = QStringLiteral("The alphanumeric mode holds digits, capital letters and space $ % * + - . / :");
            break;
        }
        if (mode_ == ModeKanji && ch.unicode() < 0x100) {
            error_ = QStringLiteral("The Kanji mode holds Kanji characters only");
            break;
        }
    }
    if (!error_.isEmpty()) return;
    const bool kanji = mode_ == ModeKanji;
    QList<Tram> trams = Trams(data_, kanji, &error_);
    if (!error_.isEmpty()) return;
    // Zint wants a segment of data in every segment; an ECI with nothing after it only
    // switches the character set, which an empty run does not need.
    trams.removeIf([](const Tram& t) { return t.text.isEmpty(); });
    if (trams.isEmpty()) {
        error_ = QStringLiteral("No data");
        return;
    }
    if (trams.size() > ZINT_MAX_SEG_COUNT) {
        error_ = QStringLiteral("Too many character-set changes");
        return;
    }
    // The segments as Zint takes them, and whether the Kanji mode's Shift JIS is kept.
    std::vector<QByteArray> bytes;
    std::vector<zint_seg> used;
    bool multibyte = kanji;
    auto segments = [&] {
        bytes.clear();
        used.clear();
        bytes.reserve(static_cast<size_t>(trams.size()));
        multibyte = kanji;
        for (const Tram& t : trams) {
            bytes.push_back(t.text.toUtf8());
            zint_seg s{};
            s.source = reinterpret_cast<unsigned char*>(bytes.back().data());
            s.length = static_cast<int>(bytes.back().size());
            s.eci = t.eci;
            used.push_back(s);
            if (t.eci == EciUTF8) multibyte = false;
            if (t.eci != EciUTF8 || t.triat == 0 || t.triat == EciUTF8 || !canviJoc_.isEmpty()) continue;
            canviJoc_ = t.triat == 20 ? QStringLiteral("Shift JIS cannot give back every character: the text is encoded in UTF-8 (ECI 26).")
                                      : QStringLiteral("The character set ECI %1 cannot hold every character: the text is "
                                                       "encoded in UTF-8 (ECI 26).").arg(t.triat);
        }
    };
    segments();
    // Only Zint tells whether a set holds a run, by refusing it as invalid data: when it
    // refuses the data, each run that is not plain ASCII is tried alone, and one it refuses
    // goes in UTF-8. Data it takes pay nothing for the check.
    auto utf8 = [&]() -> bool {
        bool canvi = false;
        for (Tram& t : trams) {
            if (t.eci == 0 || t.eci == EciUTF8 || t.eci == 25 || Fins(t.text, t.eci == 3 ? 0x100 : 0x80)) continue;
            zint_symbol* prova = SimbolQR();
            if (!prova) return false;
            const QByteArray b = t.text.toUtf8();
            zint_seg seg{reinterpret_cast<unsigned char*>(const_cast<char*>(b.constData())), static_cast<int>(b.size()), t.eci};
            if (ZBarcode_Encode_Segs(prova, &seg, 1) == ZINT_ERROR_INVALID_DATA) {
                t.eci = EciUTF8;
                canvi = true;
            }
        }
        return canvi;
    };
    bool provat = false;

    // Zint's own mask search tries all eight masks and is ten times slower than one
    // encoding; a generation remakes thousands of codes. Two masks of different geometry
    // are encoded and the one with the lower penalty (ISO/IEC 18004 rules) is kept, which
    // avoids the finder-like patterns and imbalances that a single fixed mask can give.
    // The rows and columns of both masks as bits, kept from code to code on the thread:
    // fresh buffers cost more than scoring them in a merge's crowded heap.
    thread_local std::vector<Linia> files[2], columnes;
    int best = -1, bestSide = 0;
    long bestPenalty = 0;
    for (int k = 0; k < 2; ++k) {
        const int mask = k == 0 ? 0 : 3;
        zint_symbol* sym = SimbolQR();
        if (!sym) {
            error_ = QStringLiteral("Out of memory");
            return;
        }
        sym->option_1 = std::clamp(level_, 0, 3) + 1;
        if (version_ >= 1 && version_ <= 40) sym->option_2 = version_;
        sym->option_3 = ((mask + 1) << 8) | (multibyte ? ZINT_FULL_MULTIBYTE : 0);
        sym->warn_level = WARN_DEFAULT;
        const int r = ZBarcode_Encode_Segs(sym, used.data(), static_cast<int>(used.size()));
        if (r == ZINT_ERROR_INVALID_DATA && !provat) {
            provat = true;
            if (utf8()) {
                segments();
                k = -1;   // both masks again, with the new sets
                continue;
            }
        }
        if (r >= ZINT_ERROR) {
            error_ = kovel::zintutil::TextError(*sym);
            return;
        }
        const int side = sym->width;
        if (side < 1 || side > 192 || sym->rows != side) {
            error_ = QStringLiteral("Unexpected symbol size");
            return;
        }
        // Zint keeps a row as bits already, module x at bit x % 8 of byte x / 8.
        files[k].assign(static_cast<size_t>(side), Linia{});
        columnes.assign(static_cast<size_t>(side), Linia{});
        for (int y = 0; y < side; ++y) {
            Linia& f = files[k][size_t(y)];
            for (int x = 0; x < side; ++x) {
                const std::uint64_t v = (sym->encoded_data[y][x >> 3] >> (x & 7)) & 1u;
                f.w[x >> 6] |= v << (x & 63);
                columnes[size_t(x)].w[y >> 6] |= v << (y & 63);
            }
        }
        const long p = PenalitzacioBits(files[k], columnes, side);
        if (best < 0 || p < bestPenalty) {
            best = k;
            bestSide = side;
            bestPenalty = p;
        }
    }
    side_ = bestSide;
    versio_ = (side_ - 17) / 4;
    modules_ = QByteArray(qsizetype(side_) * side_, Qt::Uninitialized);
    for (int y = 0; y < side_; ++y)
        for (int x = 0; x < side_; ++x) modules_[qsizetype(y) * side_ + x] = char(files[best][size_t(y)][x]);
}

namespace {
void Comprovar(const QRCodeCtrl& c, const QString& what)
{
    if (c.Excepcions() && !c.DataToEncode().isEmpty() && !c.Valid())
        throw QrError(QStringLiteral("%1: %2").arg(what, c.Error()));
}
} // namespace

void QRCodeCtrl::setDataToEncode(const QString& data)
{
    data_ = data;
    recodificar();
    canvi();
    Comprovar(*this, QStringLiteral("The QR code cannot hold these data"));
}

void QRCodeCtrl::setPreferredVersion(std::int32_t v)
{
    version_ = std::clamp(v, 0, 40);
    recodificar();
    canvi();
    Comprovar(*this, QStringLiteral("The QR code version cannot hold these data"));
}

void QRCodeCtrl::setEncodingMode(std::int32_t v)
{
    mode_ = std::clamp(v, 0, 4);
    recodificar();
    canvi();
    Comprovar(*this, QStringLiteral("The encoding mode cannot hold these data"));
}

void QRCodeCtrl::setErrorCorrectionLevel(std::int32_t v)
{
    level_ = std::clamp(v, 0, 3);
    recodificar();
    canvi();
    Comprovar(*this, QStringLiteral("The error-correction level leaves no room for these data"));
}

void QRCodeCtrl::setOrientation(std::int32_t degrees)
{
    int d = degrees % 360;
    if (d < 0) d += 360;
    orientation_ = (d / 90) * 90;
    canvi();
}

void QRCodeCtrl::setTransparent(bool v) { transparent_ = v; canvi(); }
void QRCodeCtrl::setBackColor(std::uint32_t v) { backColor_ = v; canvi(); }
void QRCodeCtrl::setForeColor(std::uint32_t v) { foreColor_ = v; canvi(); }
void QRCodeCtrl::setQuietZone(bool v) { quietZone_ = v; canvi(); }
void QRCodeCtrl::setStretchBarcode(bool v) { stretch_ = v; canvi(); }

bool QRCodeCtrl::Valid() const { return side_ > 0; }
QString QRCodeCtrl::Error() const { return error_; }
int QRCodeCtrl::Moduls() const { return side_; }
int QRCodeCtrl::Versio() const { return versio_; }

std::int32_t QRCodeCtrl::GetMatrixWidth(std::int32_t modulePixels, std::int32_t dpiX, std::int32_t,
                                        std::int32_t quietModulesX, std::int32_t) const
{
    if (!Valid() || modulePixels <= 0 || dpiX <= 0) return 0;
    const int n = std::max(1, static_cast<int>(std::lround(modulePixels * dpiX / 96.0)));
    return (side_ + (quietZone_ ? 2 * std::max(ZonaSilenciMinima, quietModulesX) : 0)) * n;
}

std::int32_t QRCodeCtrl::GetMatrixHeight(std::int32_t modulePixels, std::int32_t, std::int32_t dpiY,
                                         std::int32_t, std::int32_t quietModulesY) const
{
    if (!Valid() || modulePixels <= 0 || dpiY <= 0) return 0;
    const int n = std::max(1, static_cast<int>(std::lround(modulePixels * dpiY / 96.0)));
    return (side_ + (quietZone_ ? 2 * std::max(ZonaSilenciMinima, quietModulesY) : 0)) * n;
}

namespace {
QRgb ColorBasic(std::uint32_t v)
{
    return qRgb(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}
} // namespace

QImage QRCodeCtrl::Dibuixar(QSize pixels) const
{
    if (!Valid() || pixels.isEmpty()) return {};
    const int W = pixels.width(), H = pixels.height();
    const int need = side_ + (quietZone_ ? 2 * ZonaSilenciMinima : 0);
    int nx = std::max(1, W / need), ny = std::max(1, H / need);
    if (!stretch_) nx = ny = std::min(nx, ny);
    QImage img(W, H, transparent_ ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    img.fill(transparent_ ? 0u : ColorBasic(backColor_));
    const QRgb fore = ColorBasic(foreColor_);
    const int left = (W - side_ * nx) / 2, top = (H - side_ * ny) / 2;
    // Each module row is drawn once and copied down its pixel rows.
    uchar* const bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    for (int y = 0; y < side_; ++y) {
        const char* row = modules_.constData() + static_cast<qsizetype>(y) * side_;
        const int y0 = std::max(0, top + y * ny), y1 = std::min(H, top + (y + 1) * ny);
        if (y0 >= y1) continue;
        auto* line = reinterpret_cast<QRgb*>(bits + y0 * bpl);
        for (int x = 0; x < side_; ++x) {
            if (!row[x]) continue;
            const int xa = std::max(0, left + x * nx), xb = std::min(W, left + (x + 1) * nx);
            for (int xx = xa; xx < xb; ++xx) line[xx] = fore;
        }
        for (int yy = y0 + 1; yy < y1; ++yy) std::memcpy(bits + yy * bpl, line, static_cast<size_t>(W) * sizeof(QRgb));
    }
    if (orientation_ != 0) img = img.transformed(QTransform().rotate(orientation_));
    return img;
}

void QRCodeCtrl::SaveToImageFile(std::int32_t width, std::int32_t height, const QString& fileName,
                                 std::int32_t dpi, std::int32_t) const
{
    if (!Valid()) throw QrError(QStringLiteral("The QR code cannot be drawn: %1").arg(Error()));
    QImage img = Dibuixar(QSize(width, height));
    if (img.isNull()) throw QrError(QStringLiteral("The QR code cannot be drawn at %1 x %2").arg(width).arg(height));
    const int dpm = static_cast<int>(std::lround(std::max(1, dpi) / 0.0254));
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    QString error;
    if (!buffer.open(QIODevice::WriteOnly) || !img.save(&buffer, "BMP") || !kovel::files::EscriuAtomic(fileName, bmp, &error))
        throw QrError(QStringLiteral("Cannot write the picture file %1 %2").arg(fileName, error));
}

QStringList QRCodeCtrl::Matriu() const
{
    QStringList rows;
    for (int y = 0; y < side_; ++y) {
        QString r;
        for (int x = 0; x < side_; ++x) r += modules_[y * side_ + x] ? QLatin1Char('1') : QLatin1Char('0');
        rows << r;
    }
    return rows;
}

} // namespace kovel::qr

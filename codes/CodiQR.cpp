#include "codes/CodiQR.h"
#include "codes/MidaCodi.h"

#include "codes/GlifCodi.h"
#include "codes/ImatgeEmf.h"
#include "codes/RegistreCodis.h"
#include "codes/ValorsNoCodificats.h"
#include "platform/word/Document.h"

#include <QFile>
#include <QImage>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace CodiQR {

using kovel::qr::QRCodeCtrl;
using kovel::qr::QrError;

QStringList LlistaECI()
{
    return {QStringLiteral("0: Cp437"), QStringLiteral("1: ISO-8859-1 (Latin-1)"), QStringLiteral("2: Cp437"),
            QStringLiteral("3: Latin-1: Western European"), QStringLiteral("4: Latin-2: Central European"),
            QStringLiteral("5: Latin-3: South European"), QStringLiteral("6: Latin-4: North European"),
            QStringLiteral("7: Cyrilic"), QStringLiteral("8: Arabic"), QStringLiteral("9: Greek"),
            QStringLiteral("10: Hebrew"), QStringLiteral("11: Turkish"), QStringLiteral("12: Nordic"),
            QStringLiteral("13: Thai"), QStringLiteral("14: Devengari"), QStringLiteral("15: Baltic"),
            QStringLiteral("16: Celtic"), QStringLiteral("17: Latin-9: Western European"),
            QStringLiteral("18: South-Eastern European"), QStringLiteral("19: Auto"), QStringLiteral("20: Shift-JIS")};
}

QString DosDigitsHex(int byte)
{
    return QStringLiteral("%1").arg(byte & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

namespace {

// Code points of a text: a surrogate pair is one character; a lone surrogate is U+FFFD.
template <typename F>
void PerCaracter(const QString& text, F&& f)
{
    const int n = static_cast<int>(text.size());
    for (int i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            f(QChar::surrogateToUcs4(u, text[i + 1].unicode()), text.mid(i, 2));
            ++i;
        } else if (QChar::isSurrogate(u)) {
            f(char32_t(0xFFFD), QString(QChar(0xFFFD)));
        } else {
            f(char32_t(u), QString(text[i]));
        }
    }
}

QString DesignadorAuto(char32_t u, const QString& ch)
{
    if (u >= 0x370 && u <= 0x3FF) return QStringLiteral("\\000009");
    if (u >= 0x400 && u <= 0x45F) return QStringLiteral("\\000007");
    if (u >= 0x600 && u <= 0x6FF) return QStringLiteral("\\000008");
    if (u == 0x11E || u == 0x11F || u == 0x130 || u == 0x131 || u == 0x15E || u == 0x15F) return QStringLiteral("\\000011");
    if (ch == QStringLiteral("€")) return QStringLiteral("\\000017");
    if ((u >= 0x3041 && u <= 0x30FF) || (u >= 0x32D0 && u <= 0x32FE) || (u >= 0xFF61 && u <= 0xFF9E))
        return QStringLiteral("\\000020");
    // Latin-1 cannot hold any other character: UTF-8 holds them all.
    return QStringLiteral("\\000026");
}

} // namespace

QString CodificarText(const OpcionsCodi& o, const QString& text)
{
    if (o.eci) {
        if (o.indexEci != IndexECIAuto) return text;
        QString out, current;
        out.reserve(text.size() + 8);
        PerCaracter(text, [&](char32_t u, const QString& ch) {
            if (u < 0x80) {
                out += ch;
                return;
            }
            QString d;
            if (u < 0x100) {
                // Latin-1 letters are the default set; after another set they need it back.
                if (current.isEmpty() || current == QStringLiteral("\\000003")) {
                    out += ch;
                    return;
                }
                d = QStringLiteral("\\000003");
            } else {
                d = DesignadorAuto(u, ch);
            }
            if (d != current) {
                out += d;
                current = d;
            }
            out += ch;
        });
        return out;
    }
    if (o.utf8) {
        QString out;
        out.reserve(text.size() * 2);
        PerCaracter(text, [&](char32_t u, const QString& ch) {
            if (u < 0x80) {
                out += ch;
                return;
            }
            QByteArray b = ch.toUtf8();
            for (char c : b) out += QStringLiteral("\\x") + DosDigitsHex(static_cast<unsigned char>(c));
        });
        return out;
    }
    return text;
}

QString PrefixPer(bool eci, std::int32_t index, bool utf8, bool bom)
{
    if (eci) {
        if (index == IndexECIAuto) return {};
        if (index >= 0 && index < 10) return QStringLiteral("\\00000") + QString::number(index);
        return QStringLiteral("\\0000") + QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0'));
    }
    if (utf8 && bom) return QStringLiteral("\\xEF\\xBB\\xBF");
    return {};
}

QString ValorLiteral(const QString& valor)
{
    if (!valor.contains(QLatin1Char('\\'))) return valor;
    QString out = valor;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\x5C"));
    return out;
}

namespace {
QString Valor(const OpcionsCodi& o, const QString& v, bool literal) { return CodificarText(o, literal ? ValorLiteral(v) : v); }
} // namespace

QString DadesText(const OpcionsCodi& o, const QString& text, bool literals) { return o.prefix + Valor(o, text, literals); }

QString DadesSMS(const OpcionsCodi& o, const QString& numero, const QString& missatge, bool literals)
{
    return o.prefix + QStringLiteral("smsto:") + Valor(o, numero, literals) + QLatin1Char(':') + Valor(o, missatge, literals);
}

QString EscapaMeCard(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(',') || c == QLatin1Char(':')
            || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

namespace {

// The contact card's fields after the name, in the card's order; a field left out (an empty
// value, or no field chosen) has no key at all, so a reader never shows an empty one.
const std::array<QLatin1String, 4> ClausTargeta{QLatin1String("TEL:"), QLatin1String("URL:"), QLatin1String("EMAIL:"),
                                                QLatin1String("ADR:")};

QString Targeta(const QString& prefix, const QString& nom, const std::array<QString, 4>& altres)
{
    QString out = prefix + QStringLiteral("MECARD:N:") + nom + QLatin1Char(';');
    for (std::size_t i = 0; i < ClausTargeta.size(); ++i)
        if (!altres[i].isEmpty()) out += ClausTargeta[i] + altres[i] + QLatin1Char(';');
    return out + QLatin1Char(';');
}

} // namespace

QString DadesVCard(const OpcionsCodi& o, const QString& nom, const QString& telefon, const QString& web,
                   const QString& email, const QString& adreca, bool literals)
{
    auto e = [&o, literals](const QString& v) { return Valor(o, EscapaMeCard(v), literals); };
    return Targeta(o.prefix, e(nom), {e(telefon), e(web), e(email), e(adreca)});
}

QString PlantillaSMS(const OpcionsCodi& o, const QString& campNumero, const QString& campMissatge)
{
    return o.prefix + QStringLiteral("smsto:[") + campNumero + QStringLiteral("]:[") + campMissatge
         + QLatin1Char(']');
}

QString PlantillaVCard(const OpcionsCodi& o, const QString& campNom, const QString& campTelefon, const QString& campWeb,
                       const QString& campEmail, const QString& campAdreca)
{
    auto c = [](const QString& camp) { return camp.isEmpty() ? camp : u'[' + camp + u']'; };
    return Targeta(o.prefix, c(campNom), {c(campTelefon), c(campWeb), c(campEmail), c(campAdreca)});
}

bool OmplirPlantilla(const QString& plantilla, const std::function<QString(const QString&)>& valor,
                     QString& resultat, QString* error)
{
    const bool mecard = plantilla.contains(QLatin1String("MECARD:"));
    resultat.clear();
    qsizetype pos = 0;
    qsizetype a = plantilla.indexOf(QLatin1Char('['));
    while (a >= 0) {
        resultat += plantilla.mid(pos, a - pos);
        const qsizetype b = plantilla.indexOf(QLatin1Char(']'), a + 1);
        if (b < 0) {
            if (error) *error = QStringLiteral("The QR data template has a \"[\" without \"]\": %1").arg(plantilla);
            return false;
        }
        const QString v = valor(plantilla.mid(a + 1, b - a - 1));
        // A record without a value for one of the card's optional fields leaves its key out,
        // as a card typed without it does.
        QStringView clau = QStringView(plantilla).mid(pos, a - pos);
        if (clau.startsWith(u';')) clau = clau.mid(1);   // the end of the field before
        if (mecard && v.isEmpty() && plantilla.mid(b + 1, 1) == QLatin1String(";")
            && std::any_of(ClausTargeta.begin(), ClausTargeta.end(), [&](QLatin1String k) { return clau == k; })) {
            resultat.chop(clau.size());
            pos = b + 2;
            a = plantilla.indexOf(QLatin1Char('['), pos);
            continue;
        }
        resultat += ValorLiteral(mecard ? EscapaMeCard(v) : v);
        pos = b + 1;
        a = plantilla.indexOf(QLatin1Char('['), pos);
    }
    if (pos < plantilla.size()) resultat += plantilla.mid(pos);
    return true;
}

QRCodeCtrl* Clon(kovel::codes::RegistreCodis& registre, int n)
{
    if (n < 1 || n > static_cast<int>(registre.ClonsQR.size())) return nullptr;
    return registre.ClonsQR[static_cast<size_t>(n - 1)].get();
}

const OpcionsCodi* Opcions(const kovel::codes::RegistreCodis& registre, int n)
{
    if (n < 1 || n > static_cast<int>(registre.OpcionsClonsQR.size())) return nullptr;
    return &registre.OpcionsClonsQR[static_cast<size_t>(n - 1)];
}

const QString* Plantilla(const kovel::codes::RegistreCodis& registre, int k)
{
    if (k < 0 || k >= registre.PlantillesQR.size()) return nullptr;
    return &registre.PlantillesQR[k];
}

namespace {

QString TextAlternatiu(const QString& altText, const QString& tag)
{
    return !altText.isEmpty() ? altText : tag.isEmpty() ? QStringLiteral("TOLV_qr") : QStringLiteral("TOLV_qr_") + tag;
}

} // namespace

bool FerImatge(const QRCodeCtrl& qr, kovel::codes::ImatgeCodi& imatge, QString* motiu)
{
    if (!qr.Valid()) {
        if (motiu) *motiu = qr.Error();
        return false;
    }
    const int w = qr.GetMatrixWidth(3, 96, 96, 3, 3);
    const int h = qr.GetMatrixHeight(3, 96, 96, 3, 3);
    // The modules as shapes on a grid of PixelsModul pixels a module, quiet zone around.
    const int costat = w / 3 * PixelsModul;
    const int costatModuls = qr.Moduls();
    const char* const matriu = qr.MatriuBytes().constData();
    const int marge = (costat / PixelsModul - costatModuls) / 2 * PixelsModul;
    const auto color = [](std::uint32_t basic) {
        return qRgb(int(basic & 0xFF), int((basic >> 8) & 0xFF), int((basic >> 16) & 0xFF));
    };
    const QSizeF mm(w * 25.4 / 96.0, h * 25.4 / 96.0);
    // Each run of dark modules is one rectangle, as high as the rows below repeat it; turned
    // as the picture turns.
    const QTransform gir = QImage::trueMatrix(QTransform().rotate(qr.Orientation()), costat, costat);
    struct Tram {
        int x, e, y0, y1;
    };
    // Kept on the thread from code to code: a merge makes thousands, and fresh memory for
    // each costs more than the drawing.
    thread_local std::vector<QRectF> rectangles;
    thread_local std::vector<Tram> oberts, nous;
    rectangles.clear();
    oberts.clear();
    auto tanca = [&](const Tram& t) {
        const qreal x0 = marge + t.x * PixelsModul, x1 = marge + t.e * PixelsModul;
        const qreal y0 = marge + t.y0 * PixelsModul, y1 = marge + t.y1 * PixelsModul;
        const QRectF rect(QPointF(x0, y0), QPointF(x1, y1));
        rectangles.push_back(qr.Orientation() != 0 ? gir.mapRect(rect) : rect);
    };
    // A row's modules as bits, its runs found a word at a time: a symbol's modules are as good
    // as random, and a test a module would be mispredicted half the time.
    const int paraules = (costatModuls + 63) / 64;
    thread_local std::vector<std::uint64_t> bits;
    bits.assign(static_cast<size_t>(paraules), 0);
    const auto seguent = [&](int p, bool fosc) {   // the first module from p that is (not) dark
        for (int i = p >> 6; i < paraules; ++i) {
            std::uint64_t v = fosc ? bits[size_t(i)] : ~bits[size_t(i)];
            if (i == p >> 6) v &= ~std::uint64_t(0) << (p & 63);
            if (v) return std::min(costatModuls, i * 64 + std::countr_zero(v));
        }
        return costatModuls;
    };
    for (int y = 0; y <= costatModuls; ++y) {
        nous.clear();
        if (y < costatModuls) {
            const char* const f = matriu + qsizetype(y) * costatModuls;
            std::fill(bits.begin(), bits.end(), 0);
            for (int x = 0; x < costatModuls; ++x) bits[size_t(x >> 6)] |= std::uint64_t(f[x] != 0) << (x & 63);
            for (int x = seguent(0, true); x < costatModuls;) {
                const int e = seguent(x, false);
                nous.push_back({x, e, y, y + 1});
                x = seguent(e, true);
            }
        }
        // A run the row above had too goes on; the others end there.
        size_t j = 0;
        for (const Tram& t : oberts) {
            while (j < nous.size() && nous[j].x < t.x) ++j;
            if (j < nous.size() && nous[j].x == t.x && nous[j].e == t.e)
                nous[j].y0 = t.y0;
            else
                tanca(t);
        }
        std::swap(oberts, nous);
    }
    // The same drawing as a glyph's outlines, over the paper when it has no white behind it.
    imatge.glif = kovel::codes::Glif(QSize(costat, costat), qr.Transparent() ? std::nullopt : std::optional<QRgb>(color(qr.BackColor())),
                                     color(qr.ForeColor()), rectangles);
    if (!qr.Transparent()) {
        // On its space colour: the grid of modules itself, one bit a module.
        const int n = costat / PixelsModul, m0 = marge / PixelsModul;
        QImage moduls(n, n, QImage::Format_Mono);
        moduls.setColorTable({color(qr.BackColor()), color(qr.ForeColor())});
        moduls.fill(0);
        // Format_Mono: the most significant bit first.
        for (int y = 0; y < costatModuls; ++y) {
            uchar* const linia = moduls.scanLine(m0 + y);
            const char* const fila = matriu + qsizetype(y) * costatModuls;
            for (int x = 0; x < costatModuls; ++x)
                linia[(m0 + x) >> 3] |= uchar(uchar(fila[x] != 0) << (7 - ((m0 + x) & 7)));
        }
        if (qr.Orientation() != 0) moduls = moduls.transformed(QTransform().rotate(qr.Orientation()));
        imatge.png = kovel::codes::EmfModuls(moduls, mm, color(qr.BackColor()), color(qr.ForeColor()));
    } else {
        QList<QPolygonF> poligons;
        poligons.reserve(qsizetype(rectangles.size()));
        for (const QRectF& r : rectangles) poligons << QPolygonF({r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()});
        imatge.png = kovel::codes::Emf(QSize(costat, costat), mm, std::nullopt,
                                       std::vector<std::pair<QRgb, QList<QPolygonF>>>{{color(qr.ForeColor()), poligons}});
    }
    imatge.pixels = QSize(costat, costat);
    imatge.ample = float(w);
    imatge.alt = float(h);
    imatge.modulMm = 25.4 * 3.0 / 96.0;   // three pixels of 96 dpi
    if (imatge.png.isEmpty()) {
        if (motiu) *motiu = QStringLiteral("The QR code's picture cannot be made");
        return false;
    }
    return true;
}

bool InserirImatgeQR(kovel::word::Range& selection, const QString& tag, QRCodeCtrl& qr, const QString& /*spare*/,
                     float& height, float& width, const QString& altText, QString* motiu, const std::optional<QSizeF>& espai)
{
    if (!qr.Valid()) {
        if (motiu) *motiu = qr.Error();
        return false;
    }
    QString file;
    try {
        file = CodiBarres::FitxerImatge(tag);
    } catch (const kovel::barcode::BarcodeError& e) {
        throw QrError(e.message());
    }
    if (QFile::exists(file)) QFile::remove(file);
    kovel::codes::ImatgeCodi imatge;
    if (!FerImatge(qr, imatge, motiu)) return false;
    QString noHiCap;
    const std::optional<QSizeF> mida = CodiBarres::MidaDisseny(imatge, qr.ModulMm(), espai, kovel::codes::ModulMinimQRMm, noHiCap);
    if (!mida) {
        if (motiu) *motiu = noHiCap;
        return false;
    }
    // The bitmap file of the tag, at the shown size and 96 dpi.
    qr.SaveToImageFile(int(imatge.ample), int(imatge.alt), file, 96, 3);
    width = float(mida->width());
    height = float(mida->height());
    CodiBarres::InserirImatge(selection, imatge, TextAlternatiu(altText, tag), *mida);
    return true;
}

bool InserirImatgeRegistre(kovel::word::Range& selection, const QString& tag, QRCodeCtrl& qr, const QString& spare,
                           const QString& altText, kovel::codes::MemoriaImatges& memoria, QString* motiu,
                           const std::optional<kovel::codes::EspaiLinia>& espai)
{
    const QString clau = QStringLiteral("Q") + tag + QChar(0) + qr.DataToEncode();
    const QString camp = spare.isEmpty() ? tag : spare;
    if (const kovel::codes::ImatgeCodi* feta = memoria.Cerca(clau)) {
        CodiBarres::InserirAjustada(selection, kovel::codes::AlModul(*feta, qr.ModulMm()), TextAlternatiu(altText, tag), espai,
                                    kovel::codes::ModulMinimQRMm, camp, qr.DataToEncode());
        return true;
    }
    if (!qr.Valid()) {
        if (motiu) *motiu = qr.Error();
        // Record data that the field-linked code cannot hold: reported once at the end.
        auto& nc = kovel::codes::NoCodificats();
        nc.Afegir(nc.Registre(), camp, qr.DataToEncode(), qr.Error());
        return false;
    }
    kovel::codes::ImatgeCodi imatge;
    if (!FerImatge(qr, imatge, motiu)) return false;
    memoria.Desa(clau, imatge);
    CodiBarres::InserirAjustada(selection, kovel::codes::AlModul(imatge, qr.ModulMm()), TextAlternatiu(altText, tag), espai,
                                kovel::codes::ModulMinimQRMm, camp, qr.DataToEncode());
    return true;
}

void CopiarPropietatsQR(const QRCodeCtrl& s, QRCodeCtrl& d)
{
    // Each property is copied even when an intermediate combination cannot be encoded;
    // the destination ends with the source's settings.
    auto prova = [](auto&& f) {
        try {
            f();
        } catch (const QrError&) {
        }
    };
    d.setBackColor(s.BackColor());
    d.setForeColor(s.ForeColor());
    d.setOrientation(s.Orientation());
    d.setQuietZone(s.QuietZone());
    d.setTransparent(s.Transparent());
    prova([&] { d.setDataToEncode(s.DataToEncode()); });
    prova([&] { d.setPreferredVersion(s.PreferredVersion()); });
    prova([&] { d.setEncodingMode(s.EncodingMode()); });
    prova([&] { d.setErrorCorrectionLevel(s.ErrorCorrectionLevel()); });
    d.setStretchBarcode(s.StretchBarcode());
    d.setModulMm(s.ModulMm());
}

QString ValorCamp(const QString& camp, const QString& textFix) { return CodiBarres::ValorCamp(camp, textFix); }

namespace {
// Registers in `registre` a clone of the dialog's control under the tag just given to it,
// with `dades` for its data when there are some.
QRCodeCtrl& AfegirClon(kovel::codes::RegistreCodis& registre, QRCodeCtrl& dialogControl, const QString* dades, bool plantilla)
{
    OpcionsCodi opcions = registre.OpcionsQR;
    opcions.plantilla = plantilla;
    registre.OpcionsClonsQR.push_back(opcions);
    auto clone = std::make_unique<QRCodeCtrl>();
    CopiarPropietatsQR(dialogControl, *clone);
    if (dades) {
        try {
            clone->setDataToEncode(*dades);
        } catch (const QrError&) {
        }
    }
    clone->setTag(dialogControl.Tag());
    // The generation sets each record's data: a value it cannot encode is reported, not raised.
    clone->setExcepcions(false);
    registre.ClonsQR.push_back(std::move(clone));
    registre.EtiquetesQR << dialogControl.Tag();
    return *registre.ClonsQR.back();
}
} // namespace

QRCodeCtrl& RegistrarClon(kovel::codes::RegistreCodis& registre, QRCodeCtrl& dialogControl, const QString& camp)
{
    const int n = static_cast<int>(registre.ClonsQR.size()) + 1;
    dialogControl.setTag(QString::number(n) + QLatin1Char('_') + camp);
    return AfegirClon(registre, dialogControl, nullptr, false);
}

QRCodeCtrl& RegistrarClonPlantilla(kovel::codes::RegistreCodis& registre, QRCodeCtrl& dialogControl, const QString& plantilla,
                                   bool dadesDePlantilla)
{
    const int n = static_cast<int>(registre.ClonsQR.size()) + 1;
    dialogControl.setTag(QString::number(n) + QLatin1Char('_') + QString::number(registre.ComptadorPlantillesQR));
    registre.PlantillesQR << plantilla;
    ++registre.ComptadorPlantillesQR;
    return AfegirClon(registre, dialogControl, dadesDePlantilla ? &plantilla : nullptr, true);
}

} // namespace CodiQR

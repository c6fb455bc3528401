#include "codes/CodiBarres.h"

#include "codes/EntornDisseny.h"
#include "codes/GlifCodi.h"
#include "codes/ImatgeEmf.h"
#include "codes/ImatgePng.h"
#include "codes/MidaCodi.h"
#include "codes/MidaDialeg.h"
#include "codes/RegistreCodis.h"
#include "codes/ValorsNoCodificats.h"
#include "common/Fitxers.h"
#include "common/ModTraduccion.h"
#include "platform/word/Document.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <utility>

namespace kovel::codes {

const ImatgeCodi* MemoriaImatges::Cerca(const QString& clau) const
{
    auto it = imatges_.constFind(clau);
    return it == imatges_.constEnd() ? nullptr : &*it;
}

} // namespace kovel::codes

namespace CodiBarres {

using kovel::barcode::ActiveBC;
using kovel::barcode::BarcodeError;

ActiveBC* Clon(kovel::codes::RegistreCodis& registre, int n)
{
    if (n < 1 || n > static_cast<int>(registre.ClonsBarres.size())) return nullptr;
    return registre.ClonsBarres[static_cast<size_t>(n - 1)].get();
}

QString NomSegurFitxer(const QString& tag)
{
    QString out;
    out.reserve(tag.size());
    for (QChar c : tag) {
        const bool ascii = c.unicode() < 0x80;
        if ((ascii && (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_'))) || (!ascii && c.isLetterOrNumber()))
            out += c;
        else
            out += QLatin1Char('_');
        if (out.size() >= 100) break;
    }
    return out;
}

QString FitxerImatge(const QString& tag)
{
    const QString tmp = directoris::DirectoriTmp();
    // Without a data folder there is no tmp folder to write in (never the file-system root).
    if (tmp.isEmpty()) throw BarcodeError(QStringLiteral("The data folder cannot be found: no picture can be written"));
    return tmp + QStringLiteral("/imatge_camp_") + NomSegurFitxer(tag) + QStringLiteral(".bmp");
}

namespace {

// The shown size of a barcode given 0 x 0: its own.
void MidaPropia(const ActiveBC& barcode, float& w, float& h)
{
    w = barcode.MinBarcodeWidth();
    h = w / 2.5f;
    if (barcode.Orientation() % 180 == 90) std::swap(w, h);
}

QString TextAlternatiu(const QString& altText, const QString& tag)
{
    return !altText.isEmpty() ? altText : tag.isEmpty() ? QStringLiteral("TOLV_barres") : QStringLiteral("TOLV_barres_") + tag;
}

} // namespace

bool FerImatge(const ActiveBC& barcode, float width, float height, kovel::codes::ImatgeCodi& imatge, QString* motiu)
{
    if (!barcode.Valid()) {
        if (motiu) *motiu = barcode.Error();
        return false;
    }
    float w = width, h = height;
    if (w == 0) {
        MidaPropia(barcode, w, h);
        const bool girat = barcode.Orientation() % 180 == 90;
        const float alcada = girat ? w : h;   // before turning
        // Shapes on a grid of PixelsModul pixels a module: the bars fix the shown width,
        // PixelsModul pixels being 2 pixels of 96 dpi.
        const auto v = barcode.DibuixarVectors(PixelsModul, std::max(1, int(std::lround(alcada * PixelsModul / 2.0f))));
        (girat ? h : w) = barcode.AmpladaPixels(PixelsModul) * 2.0f / PixelsModul;
        if (!v.capes.empty() || !v.textos.empty()) {
            const QSizeF mm(w * 25.4 / 96.0, h * 25.4 / 96.0);
            kovel::codes::TextsEmf texts;
            texts.font = v.font;
            texts.color = v.colorText;
            for (const auto& t : v.textos) texts.peces.push_back({t.base, t.text, t.avancos});
            const auto fons = v.transparent ? std::nullopt : std::optional<QRgb>(v.fons);
            // One reading of the shapes for both forms, when the code has a glyph form.
            imatge.glif = kovel::codes::Glif(v.mida, fons, v.capes, &texts);
            imatge.png = imatge.glif ? kovel::codes::Emf(v.mida, mm, fons, *imatge.glif, &texts)
                                     : kovel::codes::Emf(v.mida, mm, fons, v.capes, &texts);
            imatge.pixels = v.mida;
            imatge.modulMm = 25.4 * 2.0 / 96.0;   // two pixels of 96 dpi
        }
    } else {
        const QSize size(std::max(1, int(std::lround(w * PixelsModul / 2.0f))), std::max(1, int(std::lround(h * PixelsModul / 2.0f))));
        const QImage img = barcode.Dibuixar(size);
        imatge.png = kovel::codes::PngCompacte(img);
        imatge.pixels = img.size();
    }
    imatge.ample = w;
    imatge.alt = h;
    if (imatge.png.isEmpty()) {
        if (motiu) *motiu = QStringLiteral("The barcode cannot be drawn at %1 x %2 pixels").arg(w).arg(h);
        return false;
    }
    return true;
}

void InserirImatge(kovel::word::Range& selection, const kovel::codes::ImatgeCodi& imatge, const QString& altText,
                   QSizeF mostrada)
{
    if (mostrada.isEmpty()) mostrada = QSizeF(imatge.ample, imatge.alt);
    kovel::word::InlinePicture& pic = selection.insertPicture(kovel::word::InlinePicture::fromEncoded(imatge.png, imatge.pixels));
    pic.setAlternativeText(altText);
    pic.setGlyphOutline(imatge.glif);
    // Shown at 96 dpi: 0.75 points a pixel.
    pic.setWidth(kovel::word::Points(mostrada.width() * 0.75));
    pic.setHeight(kovel::word::Points(mostrada.height() * 0.75));
    selection.collapse(kovel::word::Collapse::End);
}

void InserirAjustada(kovel::word::Range& selection, const kovel::codes::ImatgeCodi& imatge, const QString& altText,
                     const std::optional<kovel::codes::EspaiLinia>& espai, double modulMinimMm, const QString& camp,
                     const QString& valor)
{
    using kovel::codes::Encaix;
    const kovel::codes::Colocacio c = kovel::codes::Coloca(imatge, espai, modulMinimMm);
    if (c.encaix != Encaix::Costat) {
        auto& col = c.encaix == Encaix::Tallat       ? kovel::codes::NoLlegibles()
                    : c.encaix == Encaix::TextMogut ? kovel::codes::TextsMoguts()
                                                     : kovel::codes::LiniesFora();
        const QSizeF& room = c.encaix == Encaix::Tallat ? espai->sencer : espai->sol;
        col.Afegir(col.Registre(), camp, valor,
                   c.encaix == Encaix::Tallat ? QStringLiteral("%1 x %2 mm of room")
                                                    .arg(room.width() * 25.4 / 72.0, 0, 'f', 1)
                                                    .arg(room.height() * 25.4 / 72.0, 0, 'f', 1)
                                              : QString());
    }
    InserirImatge(selection, imatge, altText, QSizeF(c.mida.ample, c.mida.alt));
}

bool InserirImatgeCodi(kovel::word::Range& selection, const QString& tag, ActiveBC& barcode, const QString& /*spare*/,
                       float& height, float& width, const QString& altText, QString* motiu, QSizeF mostrada)
{
    if (!barcode.Valid()) {
        if (motiu) *motiu = barcode.Error();
        return false;
    }
    const QString file = FitxerImatge(tag);
    if (QFile::exists(file)) QFile::remove(file);

    float w = width, h = height;
    if (w == 0) MidaPropia(barcode, w, h);
    kovel::codes::ImatgeCodi imatge;
    if (!FerImatge(barcode, width == 0 ? 0 : w, h, imatge, motiu)) return false;
    // The bitmap file of the tag, at the shown size and 96 dpi.
    if (width == 0 && !mostrada.isEmpty()) {
        w = float(mostrada.width());
        h = float(mostrada.height());
    }
    barcode.SaveToImageFile(w, h, file);
    InserirImatge(selection, imatge, TextAlternatiu(altText, tag), QSizeF(w, h));
    width = w;
    height = h;
    return true;
}

bool InserirImatgeRegistre(kovel::word::Range& selection, const QString& tag, ActiveBC& barcode, const QString& spare,
                           const QString& altText, kovel::codes::MemoriaImatges& memoria, QString* motiu,
                           const std::optional<kovel::codes::EspaiLinia>& espai)
{
    const QString clau = QStringLiteral("B") + tag + QChar(0) + barcode.BarText();
    const double minim = kovel::codes::ModulMinimBarresMm(barcode.BarType());
    const QString camp = spare.isEmpty() ? tag : spare;
    if (const kovel::codes::ImatgeCodi* feta = memoria.Cerca(clau)) {
        InserirAjustada(selection, kovel::codes::AlModul(*feta, barcode.ModulMm()), TextAlternatiu(altText, tag), espai, minim, camp,
                        barcode.BarText());
        return true;
    }
    if (!barcode.Valid()) {
        if (motiu) *motiu = barcode.Error();
        // A record's value that the field-linked code cannot hold: reported once at the end.
        auto& nc = kovel::codes::NoCodificats();
        nc.Afegir(nc.Registre(), camp, barcode.BarText(), barcode.Error());
        return false;
    }
    kovel::codes::ImatgeCodi imatge;
    if (!FerImatge(barcode, 0, 0, imatge, motiu)) return false;
    memoria.Desa(clau, imatge);
    InserirAjustada(selection, kovel::codes::AlModul(imatge, barcode.ModulMm()), TextAlternatiu(altText, tag), espai, minim, camp,
                    barcode.BarText());
    return true;
}

std::optional<QSizeF> MidaDisseny(const kovel::codes::ImatgeCodi& propia, double modulMm, const std::optional<QSizeF>& espai,
                                  double modulMinimMm, QString& motiu)
{
    const kovel::codes::MidaCodi mida = kovel::codes::Encaixa(kovel::codes::AlModul(propia, modulMm), espai, modulMinimMm);
    if (mida.llegible)
        return QSizeF(mida.ample, mida.alt);
    // The same words, and the same room, as the dialog's size boxes give.
    const kovel::codes::LimitsMida l = kovel::codes::Limits(propia, espai, modulMinimMm);
    const QSizeF sala(std::max(0.0, espai->width()) * 25.4 / 72.0, std::max(0.0, espai->height()) * 25.4 / 72.0);
    motiu = kovel::codes::NoHiCap(l.minima * (25.4 / 96.0), sala) + QLatin1Char(' ') +
            ModTraduccion::TextPrograma("CodiBarres.FesLloc", QStringLiteral("Make room first (smaller text or fewer lines) "
                                                                             "and then insert it again."));
    return std::nullopt;
}

void CopiarPropietats(const ActiveBC& s, ActiveBC& d)
{
    d.setBackColor(s.BackColor());
    d.setBarAlign(s.BarAlign());
    d.setBarText(s.BarText());
    d.setBarType(s.BarType());
    d.setBarWidthReduction(s.BarWidthReduction());
    d.setCalcCheck(s.CalcCheck());
    d.setCode128CharSet(s.Code128CharSet());
    d.setFont(s.Font());
    d.setForeColor(s.ForeColor());
    d.setJPEGQuality(s.JPEGQuality());
    d.setNonPrintingToTxt(s.NonPrintingToTxt());
    d.setOrientation(s.Orientation());
    d.setShowStSt(s.ShowStSt());
    d.setShowText(s.ShowText());
    d.setShowCheck(s.ShowCheck());
    d.setShowGuard(s.ShowGuard());
    d.setShowQuietZone(s.ShowQuietZone());
    d.setTextAlign(s.TextAlign());
    d.setTextBottomTop(s.TextBottomTop());
    d.setTextColor(s.TextColor());
    d.setTransparent(s.Transparent());
    d.setTxtEANFull(s.TxtEANFull());
    d.setWide2NarrowRatio(s.Wide2NarrowRatio());
    d.setModulMm(s.ModulMm());
}

QStringList Orientacions()
{
    QStringList o;
    for (const char* g : {"0º", "90º", "180º", "270º"}) o << QString::fromUtf8(g);
    return o;
}

QString ValorCamp(const QString& camp, const QString& textFix)
{
    if (!kovel::codes::HostAmbCamps()) return textFix;
    kovel::codes::EntornDisseny* e = kovel::codes::Entorn();
    if (!e || camp.isEmpty()) return {};   // no field chosen
    QString v = e->ValorMostra(camp);
    // The spreadsheet hands cells over with a line end.
    if (v.endsWith(QLatin1String("\r\n"))) v.chop(2);
    return v;
}

ActiveBC& RegistrarClon(kovel::codes::RegistreCodis& registre, ActiveBC& dialogControl, const QString& camp)
{
    const int n = static_cast<int>(registre.ClonsBarres.size()) + 1;
    dialogControl.setTag(QString::number(n) + QLatin1Char('_') + camp);
    auto clone = std::make_unique<ActiveBC>();
    CopiarPropietats(dialogControl, *clone);
    clone->setTag(dialogControl.Tag());
    registre.ClonsBarres.push_back(std::move(clone));
    registre.EtiquetesBarres << dialogControl.Tag();
    return *registre.ClonsBarres.back();
}

} // namespace CodiBarres

#include "codes/CodiBarres.h"

#include "codes/EntornDisseny.h"
#include "codes/ValorsNoCodificats.h"
#include "common/Fitxers.h"
#include "platform/word/Document.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <utility>

std::vector<std::unique_ptr<kovel::barcode::ActiveBC>> ClonsBarres;
QStringList EtiquetesBarres;

namespace CodiBarres {

using kovel::barcode::ActiveBC;
using kovel::barcode::BarcodeError;

ActiveBC* Clon(int n)
{
    if (n < 1 || n > static_cast<int>(ClonsBarres.size())) return nullptr;
    return ClonsBarres[static_cast<size_t>(n - 1)].get();
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

bool InserirImatgeCodi(kovel::word::Range& selection, const QString& tag, ActiveBC& barcode, const QString& spare,
                       float& height, float& width, const QString& altText, QString* motiu)
{
    if (!barcode.Valid()) {
        if (motiu) *motiu = barcode.Error();
        // A record's value that a field-linked code cannot hold: reported once at the end.
        for (const auto& c : ClonsBarres)
            if (c.get() == &barcode) {
                auto& nc = kovel::codes::NoCodificats();
                nc.Afegir(nc.Registre(), spare.isEmpty() ? tag : spare, barcode.BarText(), barcode.Error());
            }
        return false;
    }
    const QString file = FitxerImatge(tag);
    if (QFile::exists(file)) QFile::remove(file);

    float w = width, h = height;
    if (w == 0) {
        w = barcode.MinBarcodeWidth();
        h = w / 2.5f;
        if (barcode.Orientation() % 180 == 90) std::swap(w, h);
    }
    const QSize size(std::max(1, static_cast<int>(std::lround(w))), std::max(1, static_cast<int>(std::lround(h))));
    QImage img = barcode.Dibuixar(size);
    if (img.isNull()) {
        if (motiu) *motiu = QStringLiteral("The barcode cannot be drawn at %1 x %2 pixels").arg(size.width()).arg(size.height());
        return false;
    }
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    if (!img.save(file, "BMP")) throw BarcodeError(QStringLiteral("Cannot write the picture file %1").arg(file));

    kovel::word::InlinePicture& pic = selection.insertPicture(kovel::word::InlinePicture::fromImage(img));
    pic.setAlternativeText(!altText.isEmpty() ? altText
                           : tag.isEmpty()    ? QStringLiteral("TOLV_barres")
                                              : QStringLiteral("TOLV_barres_") + tag);
    // Shown at 96 dpi: 0.75 points a pixel.
    pic.setWidth(kovel::word::Points(w * 0.75));
    pic.setHeight(kovel::word::Points(h * 0.75));
    selection.collapse(kovel::word::Collapse::End);
    width = w;
    height = h;
    return true;
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
}

QString ValorCamp(const QString& camp, const QString& textFix)
{
    if (!kovel::codes::HostAmbCamps()) return textFix;
    kovel::codes::EntornDisseny* e = kovel::codes::Entorn();
    if (!e) return {};
    QString v = e->ValorMostra(camp);
    // The spreadsheet hands cells over with a line end.
    if (v.endsWith(QLatin1String("\r\n"))) v.chop(2);
    return v;
}

ActiveBC& RegistrarClon(ActiveBC& dialogControl, const QString& camp)
{
    const int n = static_cast<int>(ClonsBarres.size()) + 1;
    dialogControl.setTag(QString::number(n) + QLatin1Char('_') + camp);
    auto clone = std::make_unique<ActiveBC>();
    CopiarPropietats(dialogControl, *clone);
    clone->setTag(dialogControl.Tag());
    ClonsBarres.push_back(std::move(clone));
    EtiquetesBarres << dialogControl.Tag();
    return *ClonsBarres.back();
}

} // namespace CodiBarres

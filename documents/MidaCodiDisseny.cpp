#include "documents/MidaCodiDisseny.h"

#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/MidaCodi.h"
#include "codes/RegistreCodis.h"
#include "documents/CodisDesats.h"
#include "documents/EspaiCodi.h"

#include <algorithm>

using namespace kovel::word;

namespace generar_doc {

QSizeF CaixaDisseny(const Document& disseny)
{
    const PageSetup& ps = disseny.pageSetup();
    return CaixaEtiqueta(QSizeF(ps.pageWidth().value, ps.pageHeight().value), &disseny);
}

std::optional<QSizeF> MidaCodiDisseny(const Document& disseny, std::size_t index, const kovel::codes::RegistreCodis* codis)
{
    std::unique_ptr<Document> copia = disseny.clone();
    const std::vector<InlinePicture*> imatges = copia->inlinePictures();
    if (index >= imatges.size())
        return std::nullopt;
    const InlinePicture& pic = *imatges[index];
    const QString alt = pic.alternativeText();
    // A fixed code stays as it is; only a field-linked one is fitted to each record's room.
    const bool qr = alt.startsWith(QLatin1String("TOLV_qr_")) && alt.size() > 8;
    if (!qr && !(alt.startsWith(QLatin1String("TOLV_barres_")) && alt.size() > 12))
        return std::nullopt;
    kovel::codes::ImatgeCodi imatge;
    imatge.ample = float(pic.width().value * 96.0 / 72.0);
    imatge.alt = float(pic.height().value * 96.0 / 72.0);
    // The program draws a code at a whole number of pixels a module: its modules from them.
    const int moduls = pic.pixelSize().width() / (qr ? CodiQR::PixelsModul : CodiBarres::PixelsModul);
    if ((qr || pic.isVector()) && moduls > 0)
        imatge.modulMm = pic.width().value * 25.4 / 72.0 / moduls;
    // A barcode's type is its settings', found by the tag's number as the generation finds its
    // code; without them, the narrowest of all types.
    double minim = qr ? kovel::codes::ModulMinimQRMm : kovel::codes::ModulMinimBarresMm(-1);
    const std::optional<guardar::EtiquetaCodi> etiqueta = guardar::EtiquetaDe(alt);
    if (!qr && codis && etiqueta && etiqueta->n <= std::int64_t(codis->ClonsBarres.size()))
        minim = kovel::codes::ModulMinimBarresMm(codis->ClonsBarres[std::size_t(etiqueta->n - 1)]->BarType());
    Range lloc = copia->pictureRange(pic.id());
    lloc.deleteContent();
    const kovel::codes::MidaCodi mida = kovel::codes::Encaixa(imatge, EspaiCodi(*copia, lloc, CaixaDisseny(*copia)), minim);
    return QSizeF(mida.ample * 72.0 / 96.0, mida.alt * 72.0 / 96.0);
}

} // namespace generar_doc

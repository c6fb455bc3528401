// Fuzzes the catalogue loader over the three files, then drives the list, the size texts, the
// search and the rotation over whatever it accepted.
// Input: two little-endian 16-bit lengths (ETIQSCAP.UNI, ETIQSEXT.UNI), then those two files,
// then the rest as ETIQS.UNI.
#include "catalogue/Cataleg.h"
#include "catalogue/Unidades.h"
#include "common/MsgBox.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool preparado = [] {
        mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) -> std::int16_t {
            return mod_rvtMsgBox::vbYes;
        });
        return true;
    }();
    (void)preparado;
    if (size < 4)
        return 0;
    const std::size_t largoCap = std::size_t(data[0] | (data[1] << 8));
    const std::size_t largoExt = std::size_t(data[2] | (data[3] << 8));
    if (4 + largoCap + largoExt > size)
        return 0;
    const char* p = reinterpret_cast<const char*>(data) + 4;
    const QByteArrayView cap(p, qsizetype(largoCap));
    const QByteArrayView ext(p + largoCap, qsizetype(largoExt));
    const QByteArrayView etiqs(p + largoCap + largoExt, qsizetype(size - 4 - largoCap - largoExt));

    Cataleg cat;
    const auto antes = cat.Etiquetas;
    const auto antesExt = cat.EtiquetasExt;
    const auto antesNum = cat.NumEtiquetas;
    QString mensaje;
    if (!ModTolvWiz::Carga_CatalogoDeDatos(cat, cap, ext, etiqs, mensaje)) {
        if (mensaje.isEmpty() || !(cat.Etiquetas == antes) || !(cat.EtiquetasExt == antesExt)
            || cat.NumEtiquetas != antesNum)
            std::abort();   // a failure must say why and change nothing
        return 0;
    }
    if (cat.NumEtiquetas != cat.Etiquetas.size() || cat.EtiquetasExt.size() != cat.Etiquetas.size())
        std::abort();

    ModTolvWiz::TextoMedidas texto;
    texto.anchoDe = [](const QString& s) { return int(s.size()) * 90; };
    for (std::int16_t unidad : {1, 2}) {
        cat.Unidades = unidad;
        for (std::int16_t papel = 0; papel < 5; ++papel) {
            for (std::int16_t modo = 0; modo < 3; ++modo) {
                ModTolvWiz::Llena_ListaEtiquetas(cat, papel, modo, modo == 2 ? 70 : 0, 0);
                ModTolvWiz::SeleccionarFormat(cat, 0);
                const int i = ModTolvWiz::FormatSeleccionat(cat);
                if (i >= cat.NumEtiquetas)
                    std::abort();
                if (i >= 0)
                    ModTolvWiz::Muestra_MedidasEtiqueta(cat, i, texto);
            }
        }
    }
    if (cat.NumEtiquetas > 0) {
        QString referencia = QString::number(cat.Etiquetas.last().Codigo);
        ModTolvWiz::Busca_EtiquetaReferencia(cat, referencia, false);
        const EtiquetaCatalogo e = cat.Etiquetas.first();
        const EtiquetaExtendida x = cat.EtiquetasExt.first();
        ModTolvWiz::GirarEtiqueta(cat, 0);
        ModTolvWiz::GirarEtiqueta(cat, 0);
        // Turning twice gives the record back, bit for bit (NaN-free: the loader refuses those).
        if (!(cat.Etiquetas.first() == e) || !(cat.EtiquetasExt.first() == x) || cat.EtiquetasMarca.first())
            std::abort();
    }
    cat.Unidades = 1;
    return 0;
}

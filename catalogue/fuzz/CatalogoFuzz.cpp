// Fuzzes the catalogue loader over the three files, then drives the list, the size texts, the
// search and the rotation over whatever it accepted.
// Input: two little-endian 16-bit lengths (ETIQSCAP.UNI, ETIQSEXT.UNI), then those two files,
// then the rest as ETIQS.UNI.
#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"
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

    const auto antes = Etiquetas;
    const auto antesExt = EtiquetasExt;
    const auto antesNum = NumEtiquetas;
    QString mensaje;
    if (!ModTolvWiz::Carga_CatalogoDeDatos(cap, ext, etiqs, mensaje)) {
        if (mensaje.isEmpty() || !(Etiquetas == antes) || !(EtiquetasExt == antesExt) || NumEtiquetas != antesNum)
            std::abort();   // a failure must say why and change nothing
        return 0;
    }
    if (NumEtiquetas != Etiquetas.size() || EtiquetasExt.size() != Etiquetas.size())
        std::abort();

    ModTolvWiz::PanelEtiquetas().optPapel = {true, false, false, false, false};
    ModTolvWiz::TextoMedidas texto;
    texto.anchoDe = [](const QString& s) { return int(s.size()) * 90; };
    for (std::int16_t unidad : {1, 2}) {
        Unidades = unidad;
        for (std::int16_t papel = 0; papel < 5; ++papel) {
            for (std::int16_t modo = 0; modo < 3; ++modo) {
                ModTolvWiz::Llena_ListaEtiquetas(papel, modo, modo == 2 ? 70 : 0, 0);
                ModTolvWiz::SeleccionarFormat(0);
                const int i = ModTolvWiz::FormatSeleccionat();
                if (i >= NumEtiquetas)
                    std::abort();
                if (i >= 0)
                    ModTolvWiz::Muestra_MedidasEtiqueta(i, texto);
            }
        }
    }
    if (NumEtiquetas > 0) {
        QString referencia = QString::number(Etiquetas.last().Codigo);
        ModTolvWiz::Busca_EtiquetaReferencia(referencia, false);
        const EtiquetaCatalogo e = Etiquetas.first();
        const EtiquetaExtendida x = EtiquetasExt.first();
        ModTolvWiz::GirarEtiqueta(0);
        ModTolvWiz::GirarEtiqueta(0);
        // Turning twice gives the record back, bit for bit (NaN-free: the loader refuses those).
        if (!(Etiquetas.first() == e) || !(EtiquetasExt.first() == x) || EtiquetasMarca.first())
            std::abort();
    }
    Unidades = 1;
    return 0;
}

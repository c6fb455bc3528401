#include "catalogue/bench/CatalogoGran.h"

#include "catalogue/Catalogo.h"
#include "tools/catalogue/EscritorCatalogo.h"

#include <QFile>
#include <QString>

namespace kovel::catalogue {

FicherosCatalogo CatalogoGran(int formatos)
{
    FicherosCatalogo r;
    const QList<CampoCabecera> campos = CamposEstandar();
    r.cap = Cabecera(campos);
    const char* tipos[] = {"Address labels", "Multipurpose labels", "Mini labels", "Shipping labels"};
    for (int i = 0; i < formatos; ++i) {
        EtiquetaCatalogo e;
        const int numero = (i * 7919) % 99991 + 1;
        e.Referencia = QStringLiteral("KOVEL %1").arg(numero);
        e.Codigo = numero;
        const float ancho = 2.0f + float(i % 170) / 10.0f;
        const float alto = 1.0f + float(i % 97) / 10.0f;
        e.Descripcion = QStringLiteral("%1 %2 x %3 mm, white, laser and inkjet")
                            .arg(QLatin1String(tipos[i % 4])).arg(ancho * 10).arg(alto * 10);
        e.Forma = std::int16_t(i % 10);
        e.Ancho = ancho;
        e.Alto = alto;
        e.PasoHorizontal = ancho + 0.2f;
        e.PasoVertical = alto;
        e.Filas = 8;
        e.Columnas = 3;
        e.TipoPapel = std::uint8_t(i % 2 == 0 ? 0 : 1 + (i / 2) % 4);
        EtiquetaExtendida x;
        x.AnchoCom = ancho;
        x.AltoCom = alto;
        x.AnchoPag = 21;
        x.AltoPag = 29.7;
        x.Sufix = i % 5 == 0 ? QStringLiteral("T") : QString();
        r.etiqs += RegistroEtiqs(e);
        r.ext += RegistroExtension(x, campos);
    }
    return r;
}

bool EscribeFicheros(const FicherosCatalogo& f, const QString& carpeta)
{
    for (const auto& [nombre, datos] : {std::pair{"/ETIQSCAP.UNI", &f.cap}, {"/ETIQSEXT.UNI", &f.ext}, {"/ETIQS.UNI", &f.etiqs}}) {
        QFile out(carpeta + QLatin1String(nombre));
        if (!out.open(QIODevice::WriteOnly) || out.write(*datos) != datos->size())
            return false;
    }
    return true;
}

} // namespace kovel::catalogue

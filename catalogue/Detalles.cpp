#include "catalogue/Detalles.h"

#include "catalogue/Cataleg.h"
#include "catalogue/Unidades.h"
#include "common/BasicRules.h"

#include <QLocale>

namespace kovel::catalogue {

QString TextoNumero(float valor)
{
    QString t = kovel::basic::CStrSingle(valor);
    const QString sep = QLocale().decimalPoint();
    if (sep != QLatin1String("."))
        t.replace(QLatin1Char('.'), sep);
    return t;
}

namespace {

QString Milimetros(double cm)
{
    return TextoNumero(ModTolvWiz::Redondea(float(cm * 10), 2));
}

QString Longitud(double cm, bool pulgadas)
{
    if (pulgadas)
        return TextoNumero(ModTolvWiz::Redondea(float(ModTolvWiz::CmAPulgadas(cm)), 2)) + QLatin1String(" \"");
    return Milimetros(cm) + QLatin1String(" mm");
}

} // namespace

std::array<bool, 6> UsosDeDescripcion(const QString& d)
{
    struct Clase {
        const char* etiqueta;
        std::array<bool, 6> marcas;
    };
    static constexpr Clase clases[] = {
        {"(ILC)", {true, true, true, false, false, false}},
        {"(LC)", {false, true, true, false, false, false}},
        {"(L)", {false, true, false, false, true, false}},
        {"(C)", {false, false, true, false, false, false}},
        {"(I)", {true, false, false, false, false, false}},
        {"(M)", {false, false, false, false, false, true}},
        {"(T)", {false, false, false, true, false, false}},
    };
    for (const Clase& c : clases)
        if (d.contains(QLatin1String(c.etiqueta), Qt::CaseInsensitive))
            return c.marcas;
    return {};
}

DetallesFormato CalculaDetalles(const Cataleg& cat, int i, bool pulgadas, const std::array<QString, 5>& captionPapel)
{
    DetallesFormato d;
    if (i < 0 || i >= cat.NumEtiquetas || i >= cat.Etiquetas.size() || i >= cat.EtiquetasExt.size())
        return d;
    const EtiquetaCatalogo& e = cat.Etiquetas[i];
    const EtiquetaExtendida& x = cat.EtiquetasExt[i];
    d.descripcion[0] = e.Referencia.trimmed();
    d.descripcion[1] = e.Descripcion.trimmed();
    d.descripcion[2] = QString::number(e.ValorAdicional);

    auto tiraContinua = [&] {
        const double w = (double(e.Columnas) * e.PasoHorizontal + 2.0 * e.MargenIzquierdo) * 10;
        const double h = (double(e.Filas) * e.PasoVertical + 2.0 * e.MargenSuperior) * 10;
        return QLatin1String(" (") + TextoNumero(ModTolvWiz::Redondea(float(w), 2)) + QLatin1String(" x ")
            + TextoNumero(ModTolvWiz::Redondea(float(h), 2)) + QLatin1String(" mm)");
    };
    const QString caption = e.TipoPapel < captionPapel.size() ? captionPapel[e.TipoPapel] : QString();
    switch (e.TipoPapel) {
    case PapelA4:
        d.papel = caption + QLatin1String(" (210 x 297 mm)");
        pulgadas = false;
        break;
    case PapelContinuo:
        d.papel = caption + tiraContinua();
        pulgadas = false;
        break;
    case PapelLetter:
        if (pulgadas)
            d.papel = caption + QLatin1String(" (") + TextoNumero(ModTolvWiz::Redondea(float(ModTolvWiz::CmAPulgadas(21.6)), 2))
                + QLatin1String(" x ") + TextoNumero(ModTolvWiz::Redondea(float(ModTolvWiz::CmAPulgadas(27.9)), 2))
                + QLatin1String(" \" )");
        else
            d.papel = caption + QLatin1String(" (215,9 x 279,4 mm)");
        break;
    case PapelA5:
        d.papel = caption + QLatin1String(" (148 x 210 mm)");
        pulgadas = false;
        break;
    case PapelTermico:
        d.papel = caption + tiraContinua();
        break;
    default:
        break;
    }
    d.unidadesDisponibles = e.TipoPapel == PapelLetter;

    d.medidas[0] = Longitud(e.MargenSuperior, pulgadas);
    d.medidas[1] = Longitud(x.AltoCom, pulgadas);
    d.medidas[2] = Longitud(e.MargenIzquierdo, pulgadas);
    d.medidas[3] = Longitud(x.AnchoCom, pulgadas);
    d.medidas[4] = Longitud(e.PasoVertical, pulgadas);
    d.medidas[5] = Longitud(e.PasoHorizontal, pulgadas);
    d.medidas[6] = QString::number(e.Columnas);
    d.medidas[7] = QString::number(e.Filas);

    d.usos = UsosDeDescripcion(d.descripcion[1]);
    return d;
}

} // namespace kovel::catalogue

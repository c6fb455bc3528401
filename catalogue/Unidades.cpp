#include "catalogue/Unidades.h"

#include "catalogue/Cataleg.h"
#include "common/BasicRules.h"

#include <QLocale>
#include <array>
#include <cmath>
#include <limits>

namespace {

struct Quebrado {
    double valor;
    const char* texto;
};
constexpr Quebrado kQuebrados[] = {
    {1.0 / 8, "1/8"}, {1.0 / 6, "1/6"}, {1.0 / 4, "1/4"}, {1.0 / 3, "1/3"}, {3.0 / 8, "3/8"}, {1.0 / 2, "1/2"},
    {5.0 / 8, "5/8"}, {2.0 / 3, "2/3"}, {3.0 / 4, "3/4"}, {5.0 / 6, "5/6"}, {7.0 / 8, "7/8"},
};

QString pulgadasEnteras(double entero)
{
    return ModTolvWiz::Formatea_Alineado(entero, QStringLiteral("#0"), 2);
}

} // namespace

namespace ModTolvWiz {

float Redondea(float valor, std::uint8_t decimales)
{
    // 10^d must be a 32-bit whole number, and so must the scaled value; otherwise 0.
    if (decimales > 9)
        return 0;
    static constexpr double potencias[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const double p = potencias[decimales];
    const double escalado = double(valor) * p;
    if (!std::isfinite(escalado))
        return 0;
    const double r = kovel::basic::RoundHalfEven(escalado);
    if (r < double(std::numeric_limits<std::int32_t>::min()) || r > double(std::numeric_limits<std::int32_t>::max()))
        return 0;
    return float(r / p);
}

double CmAPulgadas(double centimetros)
{
    return Redondea(float(centimetros * 0.3937), 2);
}

QString QuebradoPulgada(double f, bool& acarreo)
{
    static const auto textos = [] {
        std::array<QString, std::size(kQuebrados)> t;
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = QString::fromLatin1(kQuebrados[i].texto);
        return t;
    }();
    acarreo = false;
    if (f < 0.0625)
        return {};
    constexpr int n = int(std::size(kQuebrados));
    for (int i = 0; i < n; ++i) {
        const double siguiente = i + 1 < n ? kQuebrados[i + 1].valor : 1.0;
        if (f < (kQuebrados[i].valor + siguiente) / 2)
            return textos[i];
    }
    acarreo = true;
    return {};
}

QString TextoPulgadas(double w, double h)
{
    bool acarreo = false;
    double enteroH = std::floor(h);
    const QString fh = QuebradoPulgada(h - enteroH, acarreo);
    if (acarreo)
        enteroH += 1;
    QString texto = pulgadasEnteras(enteroH);
    if (!fh.isEmpty())
        texto += QLatin1Char(' ') + fh + QLatin1String(" x ");
    else
        texto += QLatin1String("        x ");

    double enteroW = std::floor(w);
    const QString fw = QuebradoPulgada(w - enteroW, acarreo);
    if (acarreo)
        enteroW += 1;
    texto += pulgadasEnteras(enteroW);
    if (!fw.isEmpty())
        texto += QLatin1Char(' ') + fw + QLatin1Char('"');
    else
        texto += QLatin1Char('"') + QString(fh.isEmpty() ? 6 : 7, QLatin1Char(' '));
    return texto;
}

QString TextoMilimetros(double anchoCm, double altoCm)
{
    const QString sep = QLocale().decimalPoint();
    auto mm = [&](double cm) {
        QString t = kovel::basic::CStrSingle(Redondea(float(cm * 10), 1));
        if (sep != QLatin1String("."))
            t.replace(QLatin1Char('.'), sep);
        return t;
    };
    return mm(anchoCm) + QLatin1String(" x ") + mm(altoCm) + QLatin1String(" mm");
}

namespace {
void ajustaAnchos(TextoMedidas& t)
{
    if (!t.anchoDe)
        return;
    for (PiezaTexto& p : t.pieza)
        p.width = t.anchoDe(p.caption);
}
} // namespace

void Muestra_PulgadasEtiqueta(const Cataleg& cat, int indice, TextoMedidas& t)
{
    if (indice < 0 || indice >= cat.EtiquetasExt.size())
        return;
    const double w = CmAPulgadas(cat.EtiquetasExt[indice].AnchoCom);
    const double h = CmAPulgadas(cat.EtiquetasExt[indice].AltoCom);
    auto& p = t.pieza;
    p[0].caption.clear();
    p[1].caption.clear();
    p[3].caption.clear();
    p[4].caption.clear();
    p[2].caption = QStringLiteral(" \" x ");
    p[5].caption = QStringLiteral(" \"");
    for (int i = 1; i <= 5; ++i)
        p[i].top = p[0].top;

    bool acarreo = false;
    double entero = std::floor(w);
    p[1].caption = QuebradoPulgada(w - entero, acarreo);
    if (acarreo)
        entero += 1;
    if (entero != 0)
        p[0].caption = pulgadasEnteras(entero);

    entero = std::floor(h);
    p[4].caption = QuebradoPulgada(h - entero, acarreo);
    if (acarreo)
        entero += 1;
    if (entero != 0)
        p[3].caption = pulgadasEnteras(entero);

    // A fraction standing alone sits a little lower, as a raised fraction would look odd.
    p[1].top = p[0].caption.isEmpty() ? p[0].top + 30 : p[0].top;
    p[4].top = p[3].caption.isEmpty() ? p[0].top + 30 : p[0].top;
    ajustaAnchos(t);
}

void Muestra_MedidasEtiqueta(const Cataleg& cat, int indice, TextoMedidas& t)
{
    if (cat.Lista.ListIndex() == -1)
        return;
    if (indice < 0 || indice >= cat.EtiquetasExt.size())
        return;
    if (cat.Unidades == 1) {
        t.pieza[0].caption = TextoMilimetros(cat.EtiquetasExt[indice].AnchoCom, cat.EtiquetasExt[indice].AltoCom);
        for (int i = 1; i <= 5; ++i)
            t.pieza[i].visible = false;
        ajustaAnchos(t);
    } else if (cat.Unidades == 2) {
        Muestra_PulgadasEtiqueta(cat, indice, t);
    } else {
        return;
    }
    Centra_MedidasEtiqueta(cat.Unidades, t);
}

void Centra_MedidasEtiqueta(std::int16_t unidad, TextoMedidas& t)
{
    auto& p = t.pieza;
    const int l0 = p[0].left;
    if (unidad == 2) {
        // An empty piece takes no room: a width kept from an earlier text would push the
        // others apart and off centre.
        for (PiezaTexto& pieza : p)
            if (pieza.caption.isEmpty())
                pieza.width = 0;
    }
    long long w = p[0].width;
    if (unidad == 2) {
        for (int i = 1; i <= 5; ++i) {
            p[i].visible = !p[i].caption.isEmpty();
            p[i].left = p[i - 1].left + p[i - 1].width;
            w += p[i].width;
        }
    }
    const long long objetivo = 2900 - w / 2;
    const int delta = int(objetivo - l0);
    for (PiezaTexto& pieza : p)
        pieza.left += delta;
}

} // namespace ModTolvWiz

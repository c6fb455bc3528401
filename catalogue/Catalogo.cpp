#include "catalogue/Catalogo.h"

#include "platform/paths/Paths.h"
#include "catalogue/Cataleg.h"
#include "common/BasicRules.h"
#include "common/Cp1252.h"
#include "common/ModReg.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"

#include <QFile>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr qint64 kCabeceraCap = 20;
constexpr qint64 kEntradaCap = 259;
// Generous bounds: the real files are a few hundred bytes of field table and records of a
// few dozen bytes; anything far beyond is a damaged file, not a catalogue.
constexpr qint32 kMaxCampos = 4096;
constexpr qint32 kMaxLongitudExt = 1 << 16;
constexpr qint64 kMaxFormatos = std::numeric_limits<std::int16_t>::max();

template <typename T>
T leer(const uchar* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return qFromLittleEndian(v);
}

float leerSingle(const uchar* p)
{
    const quint32 bits = leer<quint32>(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

double leerDouble(const uchar* p)
{
    const quint64 bits = leer<quint64>(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

QString rtrimBlancos(QString s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    s.truncate(n);
    return s;
}

QString trimBlancos(const QString& s)
{
    qsizetype a = 0;
    while (a < s.size() && s.at(a) == QLatin1Char(' '))
        ++a;
    return rtrimBlancos(s.mid(a));
}

QString mensajeFalta(const QString& ruta)
{
    const QString texto = ModTraduccion::Literal(1, ruta);
    return texto.isEmpty() ? ruta + QStringLiteral(" Not Found !") : texto;
}

// A file of the program folder, mapped rather than copied so that a huge file costs no memory.
class FicheroLeido {
public:
    bool abrir(const QString& ruta, QString& mensaje)
    {
        file_.setFileName(ruta);
        if (!file_.open(QIODevice::ReadOnly)) {
            mensaje = QStringLiteral("%1: %2").arg(ruta, file_.errorString());
            return false;
        }
        size_ = file_.size();
        if (size_ > 0) {
            data_ = file_.map(0, size_);
            if (!data_) {
                // Some file systems cannot map; read it, within the bound that matters to us.
                if (size_ > (qint64(1) << 31)) {
                    mensaje = QStringLiteral("%1: file too large").arg(ruta);
                    return false;
                }
                copia_ = file_.readAll();
                if (copia_.size() != size_) {
                    mensaje = QStringLiteral("%1: %2").arg(ruta, file_.errorString());
                    return false;
                }
                data_ = reinterpret_cast<uchar*>(copia_.data());
            }
        }
        return true;
    }
    // The file of that name in the folder, whatever the case of its letters; a missing file
    // gets the program's "not found" message.
    bool abrirDe(const QString& carpeta, const char* nombre, QString& ruta, QString& mensaje)
    {
        ruta = kovel::paths::findCaseInsensitive(carpeta, QString::fromLatin1(nombre));
        if (!ModTraduccion::ExisteixFitxer(ruta)) {
            mensaje = mensajeFalta(ruta);
            return false;
        }
        return abrir(ruta, mensaje);
    }
    QByteArrayView vista() const { return QByteArrayView(data_, size_); }

private:
    QFile file_;
    QByteArray copia_;
    uchar* data_ = nullptr;
    qint64 size_ = 0;
};

// Where each known extension field lies, worked out once per load.
struct PlanCampo {
    std::int32_t offset = -1;
    std::int16_t tipo = 0;
    std::int16_t tamano = 0;
};
struct PlanExtension {
    PlanCampo anchoCom, altoCom, anchoPag, altoPag, categoria, uso, sufix, margenDer, margenInf;
};

PlanCampo buscaPlan(std::int32_t n, const QList<CampoCabecera>& campos, const char* nombre)
{
    PlanCampo p;
    p.offset = ModTolvWiz::Busca_CampoCabecera(n, campos, QString::fromLatin1(nombre), p.tipo, p.tamano);
    return p;
}

PlanExtension hazPlan(std::int32_t n, const QList<CampoCabecera>& campos)
{
    return {buscaPlan(n, campos, "AnchoCom"), buscaPlan(n, campos, "AltoCom"),
            buscaPlan(n, campos, "AnchoPag"), buscaPlan(n, campos, "AltoPag"),
            buscaPlan(n, campos, "Categoria"), buscaPlan(n, campos, "Uso"),
            buscaPlan(n, campos, "Sufix"), buscaPlan(n, campos, "Margen Derecho mm"),
            buscaPlan(n, campos, "Margen Inferior mm")};
}

bool cabe(const PlanCampo& p, qsizetype longitud)
{
    return p.offset >= 0 && p.tamano >= 0 && qint64(p.offset) + p.tamano <= longitud;
}

double leeDoble(const PlanCampo& p, QByteArrayView r, double porDefecto)
{
    if (p.tipo != 5 || p.tamano != 8 || !cabe(p, r.size()))
        return porDefecto;
    return leerDouble(reinterpret_cast<const uchar*>(r.data()) + p.offset);
}

std::int32_t leeEntero(const PlanCampo& p, QByteArrayView r)
{
    if (p.tipo != 3 || p.tamano != 4 || !cabe(p, r.size()))
        return 0;
    return leer<qint32>(reinterpret_cast<const uchar*>(r.data()) + p.offset);
}

QString leeTexto(const PlanCampo& p, QByteArrayView r)
{
    if (p.tipo != 8 || !cabe(p, r.size()))
        return {};
    // Some writers pad text fields with NUL bytes rather than blanks; both are padding here,
    // since the suffix becomes part of file names.
    QByteArrayView bytes = r.sliced(p.offset, p.tamano);
    while (!bytes.isEmpty() && (bytes.back() == '\0' || bytes.back() == ' '))
        bytes.chop(1);
    return kovel::cp1252::toUnicode(bytes);
}

EtiquetaExtendida leeConPlan(const PlanExtension& plan, QByteArrayView r)
{
    EtiquetaExtendida x;
    x.AnchoCom = leeDoble(plan.anchoCom, r, 0);   // 0 stands for "the label's size"
    x.AltoCom = leeDoble(plan.altoCom, r, 0);
    x.AnchoPag = leeDoble(plan.anchoPag, r, 0);
    x.AltoPag = leeDoble(plan.altoPag, r, 0);
    x.Categoria = leeEntero(plan.categoria, r);
    x.Uso = leeEntero(plan.uso, r);
    x.Sufix = leeTexto(plan.sufix, r);
    x.MargenDerecho = leeDoble(plan.margenDer, r, 0);
    x.MargenInferior = leeDoble(plan.margenInf, r, 0);
    return x;
}

bool finito(float v) { return std::isfinite(v); }

// Out of line on purpose: GCC 12's vectoriser at -O2 drops two neighbouring double-to-single-
// to-double round trips as if they changed nothing.
[[gnu::noinline]] double aPrecisionSimple(double v)
{
    return double(float(v));
}

// Why a format cannot be laid out on a page, or nothing when it can.
std::optional<QString> geometriaImposible(const EtiquetaCatalogo& e, const EtiquetaExtendida& x)
{
    if (!(e.Ancho > 0) || !(e.Alto > 0) || !finito(e.Ancho) || !finito(e.Alto))
        return QStringLiteral("label size %1 x %2").arg(double(e.Ancho)).arg(double(e.Alto));
    if (!(e.PasoHorizontal > 0) || !(e.PasoVertical > 0) || !finito(e.PasoHorizontal) || !finito(e.PasoVertical))
        return QStringLiteral("pitch %1 x %2").arg(double(e.PasoHorizontal)).arg(double(e.PasoVertical));
    if (e.Filas < 1 || e.Columnas < 1)
        return QStringLiteral("%1 across and %2 down").arg(e.Columnas).arg(e.Filas);
    if (e.ColumnasOmitidas < 0 || e.FilasOmitidas < 0)
        return QStringLiteral("negative count of empty rows or columns");
    const qint64 celdas = qint64(e.Columnas) * e.Filas - qint64(e.Columnas) * e.FilasOmitidas
        - qint64(e.Filas) * e.ColumnasOmitidas;
    if (celdas < 1)
        return QStringLiteral("no labels on the sheet");
    if (!finito(e.MargenIzquierdo) || !finito(e.MargenSuperior) || !finito(e.Holgura[0]) || !finito(e.Holgura[1]))
        return QStringLiteral("a margin or inset that is not a number");
    for (double v : {x.AnchoCom, x.AltoCom, x.AnchoPag, x.AltoPag, x.MargenDerecho, x.MargenInferior})
        if (!std::isfinite(v))
            return QStringLiteral("an extension size that is not a number");
    return std::nullopt;
}

// The suffix becomes part of file names; it must not reach outside the program's folders.
bool sufijoSeguro(const QString& s)
{
    if (s.contains(QLatin1String("..")))
        return false;
    for (QChar c : s)
        if (c.unicode() < 32 || c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            return false;
    return true;
}

QString nombreRef(const EtiquetaCatalogo& e)
{
    return trimBlancos(e.Referencia);
}

struct CabeceraExtension {
    QList<CampoCabecera> campos;
    std::int32_t numCampos = 0;
    std::int32_t longitud = 0;
};

bool leeCabecera(const QString& ruta, QByteArrayView cap, CabeceraExtension& c, QString& mensaje)
{
    const auto* datos = reinterpret_cast<const uchar*>(cap.data());
    if (cap.size() < kCabeceraCap) {
        mensaje = QStringLiteral("%1: the header is incomplete (%2 bytes)").arg(ruta).arg(cap.size());
        return false;
    }
    c.numCampos = leer<qint32>(datos + 8);
    c.longitud = leer<qint32>(datos + 12);
    if (c.longitud < 0 || c.longitud > kMaxLongitudExt) {
        mensaje = QStringLiteral("%1: invalid extension record length %2").arg(ruta).arg(c.longitud);
        return false;
    }
    // A count of 0 or less means no field entries: every extension field takes its default.
    if (c.numCampos > kMaxCampos || (c.numCampos > 0 && kCabeceraCap + qint64(c.numCampos) * kEntradaCap > cap.size())) {
        mensaje = QStringLiteral("%1: the header announces %2 fields but the file holds fewer").arg(ruta).arg(c.numCampos);
        return false;
    }
    qint64 offset = 0;
    for (std::int32_t i = 0; i < c.numCampos; ++i) {
        const uchar* p = datos + kCabeceraCap + qint64(i) * kEntradaCap;
        CampoCabecera campo;
        campo.Nombre = trimBlancos(kovel::cp1252::toUnicode(QByteArrayView(p, 255)));
        campo.TipoVar = leer<qint16>(p + 255);
        campo.Tamano = leer<qint16>(p + 257);
        if (campo.Tamano < 0 || offset + campo.Tamano > c.longitud) {
            mensaje = QStringLiteral("%1: the field \"%2\" (size %3) does not fit in the extension record of %4 bytes")
                          .arg(ruta, campo.Nombre).arg(campo.Tamano).arg(c.longitud);
            return false;
        }
        offset += campo.Tamano;
        c.campos.append(std::move(campo));
    }
    return true;
}

bool leeRegistros(Cataleg& cat, const CabeceraExtension& c, const QString& rutaExt, QByteArrayView ext,
                  const QString& rutaEtq, QByteArrayView etq, QString& mensaje)
{
    // Only complete records count; the count must fit the 16-bit NumEtiquetas.
    const qint64 cuenta = etq.size() / ModTolvWiz::LongitudRegistroEtiqs;
    if (cuenta > kMaxFormatos) {
        mensaje = QStringLiteral("%1: %2 label formats, more than the %3 the program can hold")
                      .arg(rutaEtq).arg(cuenta).arg(kMaxFormatos);
        return false;
    }
    if (qint64(c.longitud) * cuenta > ext.size()) {
        const qint64 completos = c.longitud > 0 ? ext.size() / c.longitud : 0;
        mensaje = QStringLiteral("%1: %2 extension records for %3 label formats").arg(rutaExt).arg(completos).arg(cuenta);
        return false;
    }

    const PlanExtension plan = hazPlan(c.numCampos, c.campos);
    QStringList omitidos;
    // One bad record must not keep the program from starting: it is left out of the lists
    // and named in the log, and the rest loads.
    const auto omite = [&omitidos](const QString& porque) {
        omitidos.append(porque);
        qWarning("%s", qPrintable(porque));
        ModTolvWiz::Escribe_Log(porque);
    };
    QList<EtiquetaCatalogo> nuevas;
    QList<EtiquetaExtendida> nuevasExt;
    nuevas.reserve(cuenta);
    nuevasExt.reserve(cuenta);
    for (qint64 k = 0; k < cuenta; ++k) {
        EtiquetaCatalogo e;
        ModTolvWiz::Convierte_RegistroEtiqs(e, etq.sliced(k * ModTolvWiz::LongitudRegistroEtiqs, ModTolvWiz::LongitudRegistroEtiqs));
        // A turned flag is a Boolean: any non-zero value is True (-1), so that the rotation's
        // bitwise Not always turns it off again.
        if (e.Girado != 0)
            e.Girado = -1;
        if (e.Codigo == 0) {
            try {
                e.Codigo = ModTolvWiz::CodigoDeReferencia(e.Referencia);
            } catch (const kovel::basic::OverflowError&) {
                omite(QStringLiteral("%1: the label format \"%2\" (record %3) is left out: its model number is out of range")
                          .arg(rutaEtq, nombreRef(e)).arg(k + 1));
                continue;
            }
        }
        EtiquetaExtendida x = leeConPlan(plan, ext.sliced(k * c.longitud, c.longitud));
        if (x.AltoCom == 0)
            x.AltoCom = e.Alto;
        if (x.AnchoCom == 0)
            x.AnchoCom = e.Ancho;
        // Turning a format moves these into the single-precision margins and back; held at
        // single precision from the start, turning twice gives the record back exactly.
        x.MargenDerecho = aPrecisionSimple(x.MargenDerecho);
        x.MargenInferior = aPrecisionSimple(x.MargenInferior);
        if (auto porque = geometriaImposible(e, x)) {
            omite(QStringLiteral("%1: the label format \"%2\" (record %3) is left out: it cannot be laid out: %4")
                      .arg(rutaEtq, nombreRef(e)).arg(k + 1).arg(*porque));
            continue;
        }
        if (!sufijoSeguro(x.Sufix)) {
            omite(QStringLiteral("%1: the label format \"%2\" (record %3) is left out: its suffix \"%4\" is unsafe")
                      .arg(rutaExt, nombreRef(e)).arg(k + 1).arg(x.Sufix));
            continue;
        }
        nuevas.append(std::move(e));
        nuevasExt.append(std::move(x));
    }

    // Everything read: only now does the catalogue in memory change.
    cat.NumEtiquetas = std::int16_t(nuevas.size());
    cat.Etiquetas = std::move(nuevas);
    cat.EtiquetasExt = std::move(nuevasExt);
    cat.EtiquetasMarca = QList<bool>(cat.NumEtiquetas, false);
    cat.Omitidos = std::move(omitidos);
    return true;
}

} // namespace

namespace ModTolvWiz {

std::int32_t Busca_CampoCabecera(std::int32_t numCampos, const QList<CampoCabecera>& campos,
                                 const QString& nombre, std::int16_t& tipo, std::int16_t& tamano)
{
    if (numCampos < 1)
        return -1;
    qint64 offset = 0;
    const qsizetype n = std::min<qsizetype>(numCampos, campos.size());
    for (qsizetype i = 0; i < n; ++i) {
        const CampoCabecera& c = campos[i];
        if (c.Nombre.compare(nombre, Qt::CaseInsensitive) == 0) {
            tipo = c.TipoVar;
            tamano = c.Tamano;
            return offset > std::numeric_limits<std::int32_t>::max() ? -1 : std::int32_t(offset);
        }
        offset += c.Tamano;
    }
    return -1;
}

EtiquetaExtendida Lee_EtiquetaExtendida(QByteArrayView registro, std::int32_t numCampos,
                                        const QList<CampoCabecera>& campos)
{
    return leeConPlan(hazPlan(numCampos, campos), registro);
}

void Convierte_RegistroEtiqs(EtiquetaCatalogo& e, QByteArrayView registro)
{
    if (registro.size() < LongitudRegistroEtiqs)
        return;
    const auto* p = reinterpret_cast<const uchar*>(registro.data());
    e.Referencia = kovel::cp1252::toUnicode(registro.sliced(0, 15));
    e.Codigo = leer<qint32>(p + 15);
    // 255 UTF-16LE characters; the 511th byte is padding.
    char16_t desc[255];
    int largo = 0;
    for (; largo < 255; ++largo) {
        desc[largo] = leer<quint16>(p + 19 + 2 * largo);
        if (desc[largo] == 0)
            break;
    }
    e.Descripcion = QString(255, QLatin1Char(' '));
    std::memcpy(e.Descripcion.data(), desc, sizeof(char16_t) * largo);
    e.Girado = leer<qint16>(p + 530);
    e.Forma = leer<qint16>(p + 532);
    e.Ancho = leerSingle(p + 534);
    e.Alto = leerSingle(p + 538);
    e.MargenIzquierdo = leerSingle(p + 542);
    e.MargenSuperior = leerSingle(p + 546);
    e.PasoHorizontal = leerSingle(p + 550);
    e.PasoVertical = leerSingle(p + 554);
    e.Filas = leer<qint16>(p + 558);
    e.Columnas = leer<qint16>(p + 560);
    e.TextoAdicional = kovel::cp1252::toUnicode(registro.sliced(562, 25));
    e.ColumnasOmitidas = leer<qint16>(p + 587);
    e.FilasOmitidas = leer<qint16>(p + 589);
    e.Holgura[0] = leerSingle(p + 591);
    e.Holgura[1] = leerSingle(p + 595);
    e.ValorAdicional = leer<qint16>(p + 599);
    e.TipoPapel = p[601];
}

std::int32_t CodigoDeReferencia(const QString& referencia)
{
    // "KOVEL" plus the separator: the number starts at the seventh character.
    return kovel::basic::CLng(kovel::basic::Val(QStringView(referencia).mid(std::min<qsizetype>(6, referencia.size()))));
}

bool Carga_Catalogo(Cataleg& cat, QString& mensaje)
{
    return Carga_CatalogoDe(cat, ModReg::RutaPrograma(), mensaje);
}

bool Carga_CatalogoDe(Cataleg& cat, const QString& carpeta, QString& mensaje)
{
    // Each file is checked just before it is first opened, in this order.
    QString rutaCap, rutaExt, rutaEtq;
    CabeceraExtension cabecera;
    {
        FicheroLeido cap;
        if (!cap.abrirDe(carpeta, "ETIQSCAP.UNI", rutaCap, mensaje)
            || !leeCabecera(rutaCap, cap.vista(), cabecera, mensaje))
            return false;
    }
    FicheroLeido ext, etq;
    if (!ext.abrirDe(carpeta, "ETIQSEXT.UNI", rutaExt, mensaje) || !etq.abrirDe(carpeta, "ETIQS.UNI", rutaEtq, mensaje))
        return false;
    return leeRegistros(cat, cabecera, rutaExt, ext.vista(), rutaEtq, etq.vista(), mensaje);
}

bool Carga_CatalogoDeDatos(Cataleg& cat, QByteArrayView cap, QByteArrayView ext, QByteArrayView etiqs, QString& mensaje)
{
    CabeceraExtension cabecera;
    return leeCabecera(QStringLiteral("ETIQSCAP.UNI"), cap, cabecera, mensaje)
        && leeRegistros(cat, cabecera, QStringLiteral("ETIQSEXT.UNI"), ext, QStringLiteral("ETIQS.UNI"), etiqs,
                        mensaje);
}

QStringList FormatosOmitidos(const Cataleg& cat) { return cat.Omitidos; }

std::array<bool, NumTiposPapel> TiposPapelPresentes(const Cataleg& cat)
{
    std::array<bool, NumTiposPapel> hay{};
    for (qsizetype i = 0; i < cat.Etiquetas.size() && i < cat.NumEtiquetas; ++i)
        if (cat.Etiquetas[i].TipoPapel < NumTiposPapel)
            hay[cat.Etiquetas[i].TipoPapel] = true;
    return hay;
}

void GirarRegistro(EtiquetaCatalogo& e, EtiquetaExtendida& x, bool& marca)
{
    marca = !marca;
    // The margins pass between single and double precision without any change of unit.
    const double izq = e.MargenIzquierdo, sup = e.MargenSuperior, der = x.MargenDerecho, inf = x.MargenInferior;
    if (marca) {
        e.MargenSuperior = float(izq);
        e.MargenIzquierdo = float(inf);
        x.MargenInferior = der;
        x.MargenDerecho = sup;
    } else {
        e.MargenSuperior = float(der);
        x.MargenDerecho = inf;
        x.MargenInferior = izq;
        e.MargenIzquierdo = float(sup);
    }
    std::swap(e.Ancho, e.Alto);
    std::swap(e.PasoHorizontal, e.PasoVertical);
    std::swap(e.Columnas, e.Filas);
    std::swap(e.Holgura[0], e.Holgura[1]);
    e.Girado = std::int16_t(~e.Girado);
}

void GirarEtiqueta(Cataleg& cat, int i)
{
    if (i < 0 || i >= cat.NumEtiquetas || i >= cat.Etiquetas.size() || i >= cat.EtiquetasExt.size()
        || i >= cat.EtiquetasMarca.size())
        return;
    bool marca = cat.EtiquetasMarca[i];
    GirarRegistro(cat.Etiquetas[i], cat.EtiquetasExt[i], marca);
    cat.EtiquetasMarca[i] = marca;
}

void GirarFormat(Cataleg& cat)
{
    GirarEtiqueta(cat, FormatSeleccionat(cat));
}

} // namespace ModTolvWiz

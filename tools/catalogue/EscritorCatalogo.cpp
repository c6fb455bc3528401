#include "tools/catalogue/EscritorCatalogo.h"

#include "catalogue/Detalles.h"
#include "common/BasicRules.h"
#include "common/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace kovel::catalogue {

namespace {

template <typename T>
void pon(QByteArray& b, qsizetype at, T v)
{
    v = qToLittleEndian(v);
    std::memcpy(b.data() + at, &v, sizeof v);
}

void ponSingle(QByteArray& b, qsizetype at, float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    pon(b, at, bits);
}

void ponDouble(QByteArray& b, qsizetype at, double d)
{
    quint64 bits;
    std::memcpy(&bits, &d, sizeof bits);
    pon(b, at, bits);
}

// Fixed-length ANSI text, padded with blanks (cut when longer).
void ponTexto(QByteArray& b, qsizetype at, const QString& s, int largo)
{
    QByteArray bytes = cp1252::fromUnicode(s).left(largo);
    bytes.append(QByteArray(largo - bytes.size(), ' '));
    std::memcpy(b.data() + at, bytes.constData(), largo);
}

bool escribeFichero(const QString& ruta, const QByteArray& datos, QString& error)
{
    QSaveFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(datos) != datos.size() || !f.commit()) {
        error = QStringLiteral("%1: %2").arg(ruta, f.errorString());
        return false;
    }
    return true;
}

// One CSV line of RFC 4180 fields; a quoted field may hold commas and doubled quotes.
bool divideCsv(const QString& linea, QStringList& campos)
{
    campos.clear();
    QString actual;
    bool entreComillas = false;
    bool eraCitado = false;
    for (qsizetype i = 0; i < linea.size(); ++i) {
        const QChar c = linea[i];
        if (entreComillas) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < linea.size() && linea[i + 1] == QLatin1Char('"')) {
                    actual += c;
                    ++i;
                } else {
                    entreComillas = false;
                }
            } else {
                actual += c;
            }
        } else if (c == QLatin1Char('"') && actual.isEmpty() && !eraCitado) {
            entreComillas = true;
            eraCitado = true;
        } else if (c == QLatin1Char(',')) {
            campos.append(eraCitado ? actual : actual.trimmed());
            actual.clear();
            eraCitado = false;
        } else {
            actual += c;
        }
    }
    if (entreComillas)
        return false;
    campos.append(eraCitado ? actual : actual.trimmed());
    return true;
}

bool leeLineas(const QString& ruta, QStringList& lineas, QString& error)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(ruta, f.errorString());
        return false;
    }
    if (f.size() > 64 * 1024 * 1024) {
        error = QStringLiteral("%1: too large for a catalogue source").arg(ruta);
        return false;
    }
    QString texto = QString::fromUtf8(f.readAll());
    if (texto.startsWith(QChar(0xFEFF)))
        texto.remove(0, 1);
    lineas = texto.split(QLatin1Char('\n'));
    for (QString& l : lineas)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    return true;
}

bool esComentarioOVacia(const QString& l)
{
    const QString t = l.trimmed();
    return t.isEmpty() || t.startsWith(QLatin1Char('#'));
}

} // namespace

QList<CampoCabecera> CamposEstandar()
{
    return {
        {QStringLiteral("AnchoCom"), 5, 8},
        {QStringLiteral("AltoCom"), 5, 8},
        {QStringLiteral("AnchoPag"), 5, 8},
        {QStringLiteral("AltoPag"), 5, 8},
        {QStringLiteral("Categoria"), 3, 4},
        {QStringLiteral("Uso"), 3, 4},
        {QStringLiteral("Sufix"), 8, 10},
        {QStringLiteral("Margen Derecho mm"), 5, 8},
        {QStringLiteral("Margen Inferior mm"), 5, 8},
    };
}

std::int32_t LongitudCampos(const QList<CampoCabecera>& campos)
{
    std::int32_t n = 0;
    for (const CampoCabecera& c : campos)
        n += c.Tamano;
    return n;
}

QByteArray RegistroEtiqs(const EtiquetaCatalogo& e)
{
    QByteArray b(ModTolvWiz::LongitudRegistroEtiqs, '\0');
    ponTexto(b, 0, e.Referencia, 15);
    pon<qint32>(b, 15, e.Codigo);
    // In memory the description is padded with blanks; on file it ends at a NUL.
    QStringView desc = QStringView(e.Descripcion).left(255);
    while (!desc.isEmpty() && desc.back() == QLatin1Char(' '))
        desc.chop(1);
    for (qsizetype i = 0; i < desc.size(); ++i)
        pon<quint16>(b, 19 + 2 * i, desc[i].unicode());
    pon<qint16>(b, 530, e.Girado);
    pon<qint16>(b, 532, e.Forma);
    ponSingle(b, 534, e.Ancho);
    ponSingle(b, 538, e.Alto);
    ponSingle(b, 542, e.MargenIzquierdo);
    ponSingle(b, 546, e.MargenSuperior);
    ponSingle(b, 550, e.PasoHorizontal);
    ponSingle(b, 554, e.PasoVertical);
    pon<qint16>(b, 558, e.Filas);
    pon<qint16>(b, 560, e.Columnas);
    ponTexto(b, 562, e.TextoAdicional, 25);
    pon<qint16>(b, 587, e.ColumnasOmitidas);
    pon<qint16>(b, 589, e.FilasOmitidas);
    ponSingle(b, 591, e.Holgura[0]);
    ponSingle(b, 595, e.Holgura[1]);
    pon<qint16>(b, 599, e.ValorAdicional);
    b[601] = char(e.TipoPapel);
    return b;
}

QByteArray RegistroExtension(const EtiquetaExtendida& x, const QList<CampoCabecera>& campos, std::int32_t longitud)
{
    if (longitud < 0)
        longitud = LongitudCampos(campos);
    QByteArray b(longitud, '\0');
    qint64 offset = 0;
    for (const CampoCabecera& c : campos) {
        const qint64 fin = offset + c.Tamano;
        if (c.Tamano < 0 || fin > longitud)
            break;
        const QString nombre = c.Nombre.trimmed();
        auto es = [&](const char* n) { return nombre.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
        if (c.TipoVar == 5 && c.Tamano == 8) {
            const double* v = es("AnchoCom") ? &x.AnchoCom
                : es("AltoCom")             ? &x.AltoCom
                : es("AnchoPag")            ? &x.AnchoPag
                : es("AltoPag")             ? &x.AltoPag
                : es("Margen Derecho mm")   ? &x.MargenDerecho
                : es("Margen Inferior mm")  ? &x.MargenInferior
                                            : nullptr;
            if (v)
                ponDouble(b, offset, *v);
        } else if (c.TipoVar == 3 && c.Tamano == 4) {
            if (es("Categoria"))
                pon<qint32>(b, offset, x.Categoria);
            else if (es("Uso"))
                pon<qint32>(b, offset, x.Uso);
        } else if (c.TipoVar == 8) {
            ponTexto(b, offset, es("Sufix") ? x.Sufix : QString(), c.Tamano);
        }
        offset = fin;
    }
    return b;
}

QByteArray Cabecera(const QList<CampoCabecera>& campos, std::optional<std::int32_t> numCampos,
                    std::optional<std::int32_t> longitud)
{
    QByteArray b(20 + 259 * campos.size(), '\0');
    pon<qint32>(b, 0, 1);        // format version
    pon<qint16>(b, 4, 6);        // program version the table was made for
    pon<qint16>(b, 6, 0);
    pon<qint32>(b, 8, numCampos.value_or(std::int32_t(campos.size())));
    pon<qint32>(b, 12, longitud.value_or(LongitudCampos(campos)));
    pon<qint32>(b, 16, 0);
    for (qsizetype i = 0; i < campos.size(); ++i) {
        const qsizetype at = 20 + 259 * i;
        ponTexto(b, at, campos[i].Nombre, 255);
        pon<qint16>(b, at + 255, campos[i].TipoVar);
        pon<qint16>(b, at + 257, campos[i].Tamano);
    }
    return b;
}

bool EscribeCatalogo(const QString& carpeta, const QList<Formato>& formatos, const QList<CampoCabecera>& campos,
                     QString& error)
{
    if (!QDir().mkpath(carpeta)) {
        error = QStringLiteral("%1: cannot create the folder").arg(carpeta);
        return false;
    }
    QByteArray etiqs;
    QByteArray ext;
    etiqs.reserve(formatos.size() * ModTolvWiz::LongitudRegistroEtiqs);
    for (const Formato& f : formatos) {
        etiqs += RegistroEtiqs(f.etiqueta);
        ext += RegistroExtension(f.extension, campos);
    }
    return escribeFichero(carpeta + QStringLiteral("/ETIQSCAP.UNI"), Cabecera(campos), error)
        && escribeFichero(carpeta + QStringLiteral("/ETIQSEXT.UNI"), ext, error)
        && escribeFichero(carpeta + QStringLiteral("/ETIQS.UNI"), etiqs, error);
}

bool LeeCamposCsv(const QString& ruta, QList<CampoCabecera>& campos, QString& error)
{
    QStringList lineas;
    if (!leeLineas(ruta, lineas, error))
        return false;
    campos.clear();
    for (qsizetype n = 0; n < lineas.size(); ++n) {
        if (esComentarioOVacia(lineas[n]))
            continue;
        QStringList v;
        bool okTipo = false, okTam = false;
        if (!divideCsv(lineas[n], v) || v.size() != 3) {
            error = QStringLiteral("%1:%2: expected name,type,size").arg(ruta).arg(n + 1);
            return false;
        }
        const int tipo = v[1].toInt(&okTipo);
        const int tam = v[2].toInt(&okTam);
        if (!okTipo || !okTam || tam < 0 || tam > 255 || v[0].isEmpty() || v[0].size() > 255
            || !cp1252::canEncode(v[0])) {
            error = QStringLiteral("%1:%2: invalid field entry").arg(ruta).arg(n + 1);
            return false;
        }
        campos.append({v[0], std::int16_t(tipo), std::int16_t(tam)});
    }
    return true;
}

bool LeeFormatosCsv(const QString& ruta, QList<Formato>& formatos, QString& error)
{
    QStringList lineas;
    if (!leeLineas(ruta, lineas, error))
        return false;
    formatos.clear();
    static const QStringList columnas = {
        "Referencia", "Codigo", "Descripcion", "Girado", "Forma", "Ancho", "Alto", "MargenIzquierdo",
        "MargenSuperior", "PasoHorizontal", "PasoVertical", "Filas", "Columnas", "TextoAdicional",
        "ColumnasOmitidas", "FilasOmitidas", "HolguraHorizontal", "HolguraVertical", "ValorAdicional", "TipoPapel",
        "AnchoCom", "AltoCom", "AnchoPag", "AltoPag", "Categoria", "Uso", "Sufix", "MargenDerecho", "MargenInferior",
        "Clases",
    };
    QHash<QString, int> posicion;
    qsizetype n = 0;
    for (; n < lineas.size(); ++n) {
        if (esComentarioOVacia(lineas[n]))
            continue;
        QStringList cab;
        divideCsv(lineas[n], cab);
        for (int i = 0; i < cab.size(); ++i)
            posicion.insert(cab[i], i);
        for (const QString& c : columnas) {
            if (!posicion.contains(c)) {
                error = QStringLiteral("%1:%2: the header lacks the column %3").arg(ruta).arg(n + 1).arg(c);
                return false;
            }
        }
        ++n;
        break;
    }
    if (posicion.isEmpty()) {
        error = QStringLiteral("%1: no header line").arg(ruta);
        return false;
    }

    for (; n < lineas.size(); ++n) {
        if (esComentarioOVacia(lineas[n]))
            continue;
        const QString donde = QStringLiteral("%1:%2").arg(ruta).arg(n + 1);
        QStringList v;
        if (!divideCsv(lineas[n], v) || v.size() != posicion.size()) {
            error = QStringLiteral("%1: expected %2 values").arg(donde).arg(posicion.size());
            return false;
        }
        QString fallo;
        auto texto = [&](const char* col, int maximo) {
            const QString s = v[posicion.value(QLatin1String(col))];
            if (s.size() > maximo && fallo.isEmpty())
                fallo = QStringLiteral("%1 longer than %2 characters").arg(QLatin1String(col)).arg(maximo);
            return s;
        };
        auto ansi = [&](const char* col, int maximo) {
            const QString s = texto(col, maximo);
            if (!cp1252::canEncode(s) && fallo.isEmpty())
                fallo = QStringLiteral("%1 has characters outside Windows-1252").arg(QLatin1String(col));
            return s;
        };
        auto entero = [&](const char* col, long long minimo, long long maximo) {
            bool ok = false;
            const long long x = v[posicion.value(QLatin1String(col))].toLongLong(&ok);
            if ((!ok || x < minimo || x > maximo) && fallo.isEmpty())
                fallo = QStringLiteral("%1 is not a whole number from %2 to %3").arg(QLatin1String(col)).arg(minimo).arg(maximo);
            return x;
        };
        auto real = [&](const char* col) {
            bool ok = false;
            const double x = v[posicion.value(QLatin1String(col))].toDouble(&ok);
            if ((!ok || !std::isfinite(x) || std::fabs(x) > 1e6) && fallo.isEmpty())
                fallo = QStringLiteral("%1 is not a number").arg(QLatin1String(col));
            return x;
        };
        constexpr long long i16min = std::numeric_limits<std::int16_t>::min(), i16max = std::numeric_limits<std::int16_t>::max();
        constexpr long long i32min = std::numeric_limits<std::int32_t>::min(), i32max = std::numeric_limits<std::int32_t>::max();

        Formato f;
        f.linea = int(n + 1);
        EtiquetaCatalogo& e = f.etiqueta;
        EtiquetaExtendida& x = f.extension;
        e.Referencia = ansi("Referencia", 15).leftJustified(15, QLatin1Char(' '));
        e.Codigo = std::int32_t(entero("Codigo", i32min, i32max));
        // The printer classes travel as the tag that ends the description, where the details
        // window looks for them.
        const QString clases = texto("Clases", 3);
        const QString etiquetaClase = QStringLiteral(" (%1)").arg(clases);
        const auto usos = UsosDeDescripcion(etiquetaClase);
        const bool letras = std::all_of(clases.begin(), clases.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
        if ((!letras || std::none_of(usos.begin(), usos.end(), [](bool u) { return u; })) && fallo.isEmpty())
            fallo = QStringLiteral("Clases \"%1\" is not a printer class tag (ILC, LC, L, C, I, M, T)").arg(clases);
        e.Descripcion = (texto("Descripcion", 255 - int(etiquetaClase.size())) + etiquetaClase).leftJustified(255, QLatin1Char(' '));
        e.Girado = std::int16_t(entero("Girado", i16min, i16max));
        e.Forma = std::int16_t(entero("Forma", i16min, i16max));
        e.Ancho = float(real("Ancho"));
        e.Alto = float(real("Alto"));
        e.MargenIzquierdo = float(real("MargenIzquierdo"));
        e.MargenSuperior = float(real("MargenSuperior"));
        e.PasoHorizontal = float(real("PasoHorizontal"));
        e.PasoVertical = float(real("PasoVertical"));
        e.Filas = std::int16_t(entero("Filas", i16min, i16max));
        e.Columnas = std::int16_t(entero("Columnas", i16min, i16max));
        e.TextoAdicional = ansi("TextoAdicional", 25).leftJustified(25, QLatin1Char(' '));
        e.ColumnasOmitidas = std::int16_t(entero("ColumnasOmitidas", i16min, i16max));
        e.FilasOmitidas = std::int16_t(entero("FilasOmitidas", i16min, i16max));
        e.Holgura[0] = float(real("HolguraHorizontal"));
        e.Holgura[1] = float(real("HolguraVertical"));
        e.ValorAdicional = std::int16_t(entero("ValorAdicional", i16min, i16max));
        e.TipoPapel = std::uint8_t(entero("TipoPapel", 0, 255));
        x.AnchoCom = real("AnchoCom");
        x.AltoCom = real("AltoCom");
        x.AnchoPag = real("AnchoPag");
        x.AltoPag = real("AltoPag");
        x.Categoria = std::int32_t(entero("Categoria", i32min, i32max));
        x.Uso = std::int32_t(entero("Uso", i32min, i32max));
        x.Sufix = ansi("Sufix", 255);
        // Kept at single precision: the rotation moves these into the single-precision
        // margins and back, which then gives exactly the same values.
        x.MargenDerecho = double(float(real("MargenDerecho")));
        x.MargenInferior = double(float(real("MargenInferior")));
        if (!fallo.isEmpty()) {
            error = QStringLiteral("%1: %2").arg(donde, fallo);
            return false;
        }
        formatos.append(std::move(f));
    }
    return true;
}

QString CompruebaFormato(const Formato& f)
{
    const EtiquetaCatalogo& e = f.etiqueta;
    const EtiquetaExtendida& x = f.extension;
    QStringList p;
    constexpr double tolerancia = 0.0051;   // cm: the source is written to 0.01 cm or finer
    auto cerca = [](double a, double b, double t) { return std::fabs(a - b) <= t; };
    const QString ref = e.Referencia.trimmed();
    if (!ref.startsWith(QLatin1String("KOVEL")) || ref.size() < 7) {
        p << QStringLiteral("the reference must be KOVEL, a separator and the number");
    } else if (e.Codigo != 0) {
        // The number printed after the product word is the one the user types in the search.
        double numero = -1;
        try {
            numero = basic::Round(basic::Val(QStringView(ref).mid(6)));
        } catch (const basic::OverflowError&) {
        }
        if (numero != e.Codigo)
            p << QStringLiteral("the reference's number is not the model number %1").arg(e.Codigo);
    }
    if (e.Descripcion.trimmed().isEmpty())
        p << QStringLiteral("no description");
    if (e.Girado != 0)
        p << QStringLiteral("a shipped format is upright (Girado 0)");
    if (e.TipoPapel > 4)
        p << QStringLiteral("unknown paper type %1").arg(e.TipoPapel);
    static const QList<int> formas = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17};
    if (!formas.contains(e.Forma))
        p << QStringLiteral("unknown shape code %1").arg(e.Forma);
    if (!(e.Ancho > 0 && e.Alto > 0))
        p << QStringLiteral("label size must be positive");
    if (e.Filas < 1 || e.Columnas < 1)
        p << QStringLiteral("at least one label across and down");
    if (e.PasoHorizontal + tolerancia < e.Ancho || e.PasoVertical + tolerancia < e.Alto)
        p << QStringLiteral("pitch smaller than the label");
    if (e.MargenIzquierdo < 0 || e.MargenSuperior < 0 || x.MargenDerecho < 0 || x.MargenInferior < 0)
        p << QStringLiteral("negative margin");
    if (e.Holgura[0] < 0 || e.Holgura[1] < 0 || e.Holgura[0] * 2 >= e.Ancho || e.Holgura[1] * 2 >= e.Alto)
        p << QStringLiteral("inset negative or as large as the label");
    if (e.ColumnasOmitidas < 0 || e.FilasOmitidas < 0 || e.ColumnasOmitidas >= e.Columnas || e.FilasOmitidas >= e.Filas)
        p << QStringLiteral("empty rows or columns out of range");
    // The size shown to the user is the label's (0 stands for it).
    if ((x.AnchoCom != 0 && !cerca(x.AnchoCom, e.Ancho, 0.05)) || (x.AltoCom != 0 && !cerca(x.AltoCom, e.Alto, 0.05)))
        p << QStringLiteral("the shown size %1 x %2 is not the label's").arg(x.AnchoCom).arg(x.AltoCom);
    if (!(x.AnchoPag > 0 && x.AltoPag > 0)) {
        p << QStringLiteral("page size missing");
    } else {
        // Sheets are their paper; a continuous or roll "page" is a whole number of rows.
        struct Hoja {
            double ancho, alto;
        };
        static const Hoja hojas[] = {{21, 29.7}, {0, 0}, {21.59, 27.94}, {14.8, 21}, {0, 0}};
        if (e.TipoPapel <= 4 && hojas[e.TipoPapel].ancho > 0) {
            const Hoja& h = hojas[e.TipoPapel];
            if (!cerca(x.AnchoPag, h.ancho, 0.011) || !cerca(x.AltoPag, h.alto, 0.011))
                p << QStringLiteral("page %1 x %2 is not the size of its paper type").arg(x.AnchoPag).arg(x.AltoPag);
        } else if (e.TipoPapel <= 4 && !cerca(x.AltoPag, e.Filas * double(e.PasoVertical), 0.011)) {
            p << QStringLiteral("page height %1 is not %2 rows of %3").arg(x.AltoPag).arg(e.Filas).arg(e.PasoVertical);
        }
        const double ocupadoAncho = e.MargenIzquierdo + (e.Columnas - 1) * double(e.PasoHorizontal) + e.Ancho;
        const double ocupadoAlto = e.MargenSuperior + (e.Filas - 1) * double(e.PasoVertical) + e.Alto;
        if (ocupadoAncho > x.AnchoPag + tolerancia || ocupadoAlto > x.AltoPag + tolerancia)
            p << QStringLiteral("labels reach past the page (%1 x %2 of %3 x %4 cm)")
                     .arg(ocupadoAncho).arg(ocupadoAlto).arg(x.AnchoPag).arg(x.AltoPag);
        if (!cerca(x.AnchoPag - ocupadoAncho, x.MargenDerecho, 0.011)
            || !cerca(x.AltoPag - ocupadoAlto, x.MargenInferior, 0.011))
            p << QStringLiteral("right or bottom margin does not match the page (%1, %2 expected)")
                     .arg(x.AnchoPag - ocupadoAncho).arg(x.AltoPag - ocupadoAlto);
    }
    if (x.Sufix.contains(QLatin1Char('/')) || x.Sufix.contains(QLatin1Char('\\')) || x.Sufix.contains(QLatin1Char(' '))
        || x.Sufix.contains(QLatin1String("..")))
        p << QStringLiteral("the suffix must be a plain part of a file name");
    return p.join(QLatin1Char('\n'));
}

QStringList CompruebaCatalogo(const QList<Formato>& formatos, const QList<CampoCabecera>& campos)
{
    qsizetype tamanoSufix = 0;
    for (const CampoCabecera& c : campos)
        if (c.Nombre.trimmed().compare(QLatin1String("Sufix"), Qt::CaseInsensitive) == 0 && c.TipoVar == 8)
            tamanoSufix = c.Tamano;
    QStringList problemas;
    QSet<std::int32_t> codigos;
    QSet<QString> referencias;
    for (const Formato& f : formatos) {
        const QString ref = f.etiqueta.Referencia.trimmed();
        QString p = CompruebaFormato(f);
        if (f.extension.Sufix.size() > tamanoSufix)
            p += QStringLiteral("\nthe suffix is longer than its field (%1)").arg(tamanoSufix);
        if (f.etiqueta.Codigo != 0 && codigos.contains(f.etiqueta.Codigo))
            p += QStringLiteral("\nthe model number %1 is used twice").arg(f.etiqueta.Codigo);
        if (referencias.contains(ref.toUpper()))
            p += QStringLiteral("\nthe reference is used twice");
        codigos.insert(f.etiqueta.Codigo);
        referencias.insert(ref.toUpper());
        for (const QString& linea : p.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            problemas << (f.linea > 0 ? QStringLiteral("line %1: ").arg(f.linea) : QString()) + ref + QStringLiteral(": ")
                    + linea;
    }
    return problemas;
}

} // namespace kovel::catalogue

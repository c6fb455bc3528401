#include "catalogue/tests/Ayudas.h"

#include "catalogue/Detalles.h"
#include "catalogue/ListaEtiquetas.h"
#include "common/HostProfile.h"

#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

using namespace kovel::catalogue;
using pruebas::UnFormato;

namespace {

QByteArray conEntero32(QByteArray b, int at, qint32 v)
{
    v = qToLittleEndian(v);
    std::memcpy(b.data() + at, &v, 4);
    return b;
}

class CatalogoDanado : public ::testing::Test {
protected:
    Cataleg cat;
    void SetUp() override
    {
        pruebas::CargaLiterales();
        ASSERT_TRUE(dir.isValid());
        formatos = {UnFormato(4711), UnFormato(815, PapelLetter)};
        // What is in memory before each damaged load; it must survive every failure.
        pruebas::CargaCatalogo(cat, {UnFormato(1), UnFormato(2), UnFormato(3)});
        antes = cat.Etiquetas;
        antesExt = cat.EtiquetasExt;
        QString error;
        ASSERT_TRUE(EscribeCatalogo(dir.path(), formatos, CamposEstandar(), error)) << qPrintable(error);
    }
    QString ruta(const char* nombre) const { return dir.path() + QLatin1Char('/') + QLatin1String(nombre); }
    QByteArray lee(const char* nombre) const
    {
        QFile f(ruta(nombre));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Loads the folder, expects failure with a message containing `nombra`, and the catalogue
    // in memory untouched.
    void FallaNombrando(const QString& nombra)
    {
        QString mensaje;
        EXPECT_FALSE(ModTolvWiz::Carga_CatalogoDe(cat, dir.path(), mensaje));
        EXPECT_TRUE(mensaje.contains(nombra)) << qPrintable(mensaje);
        EXPECT_EQ(cat.NumEtiquetas, 3);
        EXPECT_EQ(cat.Etiquetas, antes);
        EXPECT_EQ(cat.EtiquetasExt, antesExt);
        EXPECT_EQ(cat.EtiquetasMarca.size(), 3);
    }

    QTemporaryDir dir;
    QList<kovel::catalogue::Formato> formatos;
    QList<EtiquetaCatalogo> antes;
    QList<EtiquetaExtendida> antesExt;
};

} // namespace

TEST(Catalogo, RecordFieldsAndTheirFallbacks)
{
    Cataleg cat;
    auto sinCodigo = UnFormato(0);
    sinCodigo.etiqueta.Referencia = QStringLiteral("KOVEL 0815").leftJustified(15);
    auto largo = UnFormato(20, PapelA5, QString(255, QChar(0x00E9)));
    auto corto = UnFormato(21, PapelA5, QStringLiteral("Ten chars!"));
    corto.etiqueta.Descripcion = QStringLiteral("Ten chars!");   // written NUL-padded
    auto noAscii = UnFormato(22, PapelTermico, QStringLiteral("Étiquettes – 99,1 × 38,1 mm ✓"));
    noAscii.etiqueta.Referencia = QStringLiteral("KOVEL-Ä22").leftJustified(15);
    noAscii.etiqueta.Girado = 1;
    auto tamanoCero = UnFormato(23, PapelContinuo);
    tamanoCero.extension.AnchoCom = 0;
    tamanoCero.extension.AltoCom = 0;
    pruebas::CargaCatalogo(cat, {sinCodigo, largo, corto, noAscii, tamanoCero});

    ASSERT_EQ(cat.NumEtiquetas, 5);
    EXPECT_EQ(cat.Etiquetas[0].Codigo, 815);
    EXPECT_EQ(cat.Etiquetas[1].Descripcion, QString(255, QChar(0x00E9)));
    EXPECT_EQ(cat.Etiquetas[2].Descripcion, QStringLiteral("Ten chars!").leftJustified(255));
    EXPECT_EQ(cat.Etiquetas[3].Descripcion.trimmed(), QStringLiteral("Étiquettes – 99,1 × 38,1 mm ✓"));
    EXPECT_EQ(cat.Etiquetas[3].Referencia, QStringLiteral("KOVEL-Ä22").leftJustified(15));
    EXPECT_EQ(cat.Etiquetas[3].Girado, -1);
    EXPECT_EQ(cat.Etiquetas[3].TipoPapel, PapelTermico);
    EXPECT_FLOAT_EQ(cat.Etiquetas[3].Holgura[1], 0.2f);
    EXPECT_DOUBLE_EQ(cat.EtiquetasExt[4].AnchoCom, double(7.0f));
    EXPECT_DOUBLE_EQ(cat.EtiquetasExt[4].AltoCom, double(3.7f));
    EXPECT_EQ(cat.EtiquetasMarca, QList<bool>(5, false));

    const auto hay = ModTolvWiz::TiposPapelPresentes(cat);
    EXPECT_TRUE(hay[PapelA4] && hay[PapelContinuo] && hay[PapelA5] && hay[PapelTermico]);
    EXPECT_FALSE(hay[PapelLetter]);
}

TEST(Catalogo, FieldTableIsReadByNameWhateverItsOrderCaseOrPadding)
{
    Cataleg cat;
    auto f = UnFormato(30);
    f.extension.AltoPag = 29.7;
    f.extension.Sufix = QStringLiteral("B");
    f.extension.MargenDerecho = 0.25;
    // Written with a table in program order; read with names that differ in case and blanks,
    // an unknown field, and an "AltoPag" of the wrong type that still takes its 8 bytes.
    const QList<CampoCabecera> escritura = {
        {"AnchoCom", 5, 8}, {"Extra", 8, 7}, {"AltoPag", 5, 8}, {"Sufix", 8, 4}, {"Margen Derecho mm", 5, 8}};
    const QList<CampoCabecera> lectura = {
        {"  ANCHOCOM  ", 5, 8}, {"Extra", 8, 7}, {"AltoPag", 4, 8}, {"sufix   ", 8, 4}, {"MARGEN DERECHO MM", 5, 8}};
    QTemporaryDir dir;
    QByteArray ext = RegistroExtension(f.extension, escritura);
    ext[8 + 7 + 8 + 1] = '\0';   // the suffix padded with NUL bytes rather than blanks
    ext[8 + 7 + 8 + 3] = '\0';
    pruebas::Escribe(dir.path() + "/ETIQSCAP.UNI", Cabecera(lectura));
    pruebas::Escribe(dir.path() + "/ETIQSEXT.UNI", ext);
    pruebas::Escribe(dir.path() + "/ETIQS.UNI", RegistroEtiqs(f.etiqueta));
    QString m;
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, dir.path(), m)) << qPrintable(m);
    EXPECT_DOUBLE_EQ(cat.EtiquetasExt[0].AnchoCom, 7.0);
    EXPECT_DOUBLE_EQ(cat.EtiquetasExt[0].AltoPag, 0.0);
    EXPECT_EQ(cat.EtiquetasExt[0].Sufix, QStringLiteral("B"));
    EXPECT_DOUBLE_EQ(cat.EtiquetasExt[0].MargenDerecho, 0.25);
    EXPECT_DOUBLE_EQ(cat.EtiquetasExt[0].AltoCom, double(3.7f));   // absent: the label's height

    const QList<CampoCabecera> leidos = {
        {"ANCHOCOM", 5, 8}, {"Extra", 8, 7}, {"AltoPag", 4, 8}, {"sufix", 8, 4}, {"MARGEN DERECHO MM", 5, 8}};
    std::int16_t tipo = 99, tam = 99;
    EXPECT_EQ(ModTolvWiz::Busca_CampoCabecera(5, leidos, "Sufix", tipo, tam), 8 + 7 + 8);
    EXPECT_EQ(tipo, 8);
    EXPECT_EQ(tam, 4);
    tipo = tam = 99;
    EXPECT_EQ(ModTolvWiz::Busca_CampoCabecera(0, leidos, "AnchoCom", tipo, tam), -1);
    EXPECT_EQ(ModTolvWiz::Busca_CampoCabecera(3, leidos, "Sufix", tipo, tam), -1);
    EXPECT_EQ(tipo, 99);
    EXPECT_EQ(tam, 99);
}

TEST(Catalogo, NoFieldEntriesGiveTheDefaults)
{
    Cataleg cat;
    for (qint32 n : {0, -1, std::numeric_limits<qint32>::min()}) {
        auto f = UnFormato(40);
        f.extension.Sufix = QStringLiteral("X");
        QTemporaryDir dir;
        pruebas::Escribe(dir.path() + "/ETIQSCAP.UNI", Cabecera({}, n, 16));
        pruebas::Escribe(dir.path() + "/ETIQSEXT.UNI", QByteArray(16, '\x7f'));
        pruebas::Escribe(dir.path() + "/ETIQS.UNI", RegistroEtiqs(f.etiqueta));
        QString m;
        ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, dir.path(), m)) << n << qPrintable(m);
        EXPECT_EQ(cat.EtiquetasExt[0].Sufix, QString());
        EXPECT_DOUBLE_EQ(cat.EtiquetasExt[0].AnchoCom, 7.0);
        EXPECT_EQ(cat.EtiquetasExt[0].Categoria, 0);
    }
}

TEST(Catalogo, PartialLastRecordIsLeftOutAndFileNamesIgnoreCase)
{
    Cataleg cat;
    QTemporaryDir dir;
    const QList<kovel::catalogue::Formato> fs = {UnFormato(1), UnFormato(2)};
    QString m;
    ASSERT_TRUE(EscribeCatalogo(dir.path(), fs, CamposEstandar(), m));
    QFile::rename(dir.path() + "/ETIQS.UNI", dir.path() + "/etiqs.uni");
    QFile f(dir.path() + "/etiqs.uni");
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(601, '\1'));
    f.close();
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, dir.path(), m)) << qPrintable(m);
    EXPECT_EQ(cat.NumEtiquetas, 2);
}

TEST_F(CatalogoDanado, MissingFilesAreReportedInOrderWithLiteral1)
{
    QFile::remove(ruta("ETIQS.UNI"));
    QString mensaje;
    EXPECT_FALSE(ModTolvWiz::Carga_CatalogoDe(cat, dir.path(), mensaje));
    if (!ModTraduccion::Literal(1, ruta("ETIQS.UNI")).isEmpty()) {
        EXPECT_EQ(mensaje, ModTraduccion::Literal(1, ruta("ETIQS.UNI")));
    }
    FallaNombrando(ruta("ETIQS.UNI"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ETIQS.UNI")));   // a folder is not the file
    FallaNombrando(ruta("ETIQS.UNI"));
    QFile::remove(ruta("ETIQSEXT.UNI"));
    FallaNombrando(ruta("ETIQSEXT.UNI"));
    QFile::remove(ruta("ETIQSCAP.UNI"));
    FallaNombrando(ruta("ETIQSCAP.UNI"));
}

TEST_F(CatalogoDanado, DamagedHeaderFailsNamingTheFile)
{
    const QByteArray cap = lee("ETIQSCAP.UNI");
    const QList<QByteArray> danados = {
        cap.left(19),                                           // header incomplete
        conEntero32(cap, 8, std::numeric_limits<qint32>::max()),  // huge field count
        conEntero32(cap, 8, 10),                                // more fields than the file holds
        conEntero32(cap, 12, -1),                               // negative record length
        conEntero32(cap, 12, std::numeric_limits<qint32>::max()),
        conEntero32(cap, 12, 20),                               // fields end past the record
        Cabecera({{"AnchoCom", 5, -8}}, std::nullopt, 8),      // negative field size
    };
    for (const QByteArray& d : danados) {
        pruebas::Escribe(ruta("ETIQSCAP.UNI"), d);
        FallaNombrando(QStringLiteral("ETIQSCAP.UNI"));
    }
}

TEST_F(CatalogoDanado, ShortExtensionOrTooManyFormatsFail)
{
    pruebas::Escribe(ruta("ETIQSEXT.UNI"), lee("ETIQSEXT.UNI").chopped(1));
    FallaNombrando(QStringLiteral("ETIQSEXT.UNI"));

    // 32768 records: one more than the 16-bit count holds. A sparse file costs no disk.
    QFile f(ruta("ETIQS.UNI"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(qint64(32768) * 602));
    f.close();
    FallaNombrando(QStringLiteral("ETIQS.UNI"));
}

TEST_F(CatalogoDanado, AnImpossibleFormatIsLeftOutNamedAndTheRestLoads)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const QList<std::function<void(EtiquetaCatalogo&)>> defectos = {
        [](EtiquetaCatalogo& e) { e.Filas = 0; },
        [](EtiquetaCatalogo& e) { e.Columnas = -3; },
        [](EtiquetaCatalogo& e) { e.Ancho = 0; },
        [](EtiquetaCatalogo& e) { e.Alto = -1; },
        [](EtiquetaCatalogo& e) { e.PasoHorizontal = 0; },
        [](EtiquetaCatalogo& e) { e.PasoVertical = -3.7f; },
        [nan](EtiquetaCatalogo& e) { e.Ancho = nan; },
        [nan](EtiquetaCatalogo& e) { e.MargenSuperior = nan; },
        [](EtiquetaCatalogo& e) { e.PasoVertical = std::numeric_limits<float>::infinity(); },
        [](EtiquetaCatalogo& e) { e.FilasOmitidas = 8; },   // every row empty: no labels
        [](EtiquetaCatalogo& e) { e.ColumnasOmitidas = -1; },
    };
    // Only the bad format goes; the good one keeps its data and takes the first index.
    const auto cargaSinElMalo = [&](const QList<kovel::catalogue::Formato>& fs, int malo, const QString& nombra) {
        QString error;
        ASSERT_TRUE(EscribeCatalogo(dir.path(), fs, CamposEstandar(), error));
        ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, dir.path(), error)) << qPrintable(error);
        const auto& bueno = fs[1 - malo];
        ASSERT_EQ(cat.NumEtiquetas, 1);
        EXPECT_EQ(cat.Etiquetas.size(), 1);
        EXPECT_EQ(cat.EtiquetasExt.size(), 1);
        EXPECT_EQ(cat.EtiquetasMarca.size(), 1);
        EXPECT_EQ(cat.Etiquetas[0].Codigo, bueno.etiqueta.Codigo);
        EXPECT_EQ(cat.EtiquetasExt[0].Sufix, bueno.extension.Sufix);
        const QStringList omitidos = ModTolvWiz::FormatosOmitidos(cat);
        ASSERT_EQ(omitidos.size(), 1);
        EXPECT_TRUE(omitidos[0].contains(nombra)) << qPrintable(omitidos[0]);
        EXPECT_TRUE(omitidos[0].contains(QStringLiteral("record %1").arg(malo + 1))) << qPrintable(omitidos[0]);
    };
    for (const auto& defecto : defectos) {
        auto fs = formatos;
        defecto(fs[0].etiqueta);
        cargaSinElMalo(fs, 0, QStringLiteral("KOVEL 4711"));
    }
    auto fs = formatos;
    fs[1].extension.Sufix = QStringLiteral("../x");
    cargaSinElMalo(fs, 1, QStringLiteral("KOVEL 815"));

    fs = formatos;
    fs[1].etiqueta.Codigo = 0;
    fs[1].etiqueta.Referencia = QStringLiteral("KOVEL 1E99");   // beyond 32 bits
    cargaSinElMalo(fs, 1, QStringLiteral("KOVEL 1E99"));

    // A clean load forgets what the last one left out.
    QString error;
    ASSERT_TRUE(EscribeCatalogo(dir.path(), formatos, CamposEstandar(), error));
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, dir.path(), error));
    EXPECT_EQ(cat.NumEtiquetas, 2);
    EXPECT_TRUE(ModTolvWiz::FormatosOmitidos(cat).isEmpty());
}

class CatalogoEnviado : public ::testing::Test {
protected:
    Cataleg cat;
    void SetUp() override
    {
        QString m;
        ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, QStringLiteral(KOVEL_PROGRAM_DIR), m)) << qPrintable(m);
        ASSERT_TRUE(LeeFormatosCsv(QStringLiteral(KOVEL_SOURCE_DIR "/data/catalogue/formats.csv"), fuente, m))
            << qPrintable(m);
        ASSERT_TRUE(LeeCamposCsv(QStringLiteral(KOVEL_SOURCE_DIR "/data/catalogue/fields.csv"), campos, m))
            << qPrintable(m);
        ASSERT_EQ(cat.NumEtiquetas, fuente.size());
    }
    // Formats of paper type `papel` whose grid is `across` x `down`.
    int Cuenta(int papel, int across, int down) const
    {
        int n = 0;
        for (int i = 0; i < cat.NumEtiquetas; ++i)
            n += cat.Etiquetas[i].TipoPapel == papel && cat.Etiquetas[i].Columnas == across && cat.Etiquetas[i].Filas == down;
        return n;
    }
    int Cuenta(const std::function<bool(const EtiquetaCatalogo&)>& cumple) const
    {
        return int(std::count_if(cat.Etiquetas.begin(), cat.Etiquetas.end(), cumple));
    }

    QList<kovel::catalogue::Formato> fuente;
    QList<CampoCabecera> campos;
};

TEST_F(CatalogoEnviado, EveryFormatLoadsAsWrittenAndIsConsistent)
{
    // What the program reads through the reordered field table is what the source says.
    QList<kovel::catalogue::Formato> leidos;
    for (int i = 0; i < cat.NumEtiquetas; ++i) {
        EtiquetaCatalogo esperado = fuente[i].etiqueta;
        EtiquetaExtendida esperadoExt = fuente[i].extension;
        if (esperado.Codigo == 0)
            esperado.Codigo = ModTolvWiz::CodigoDeReferencia(esperado.Referencia);
        if (esperadoExt.AnchoCom == 0)
            esperadoExt.AnchoCom = esperado.Ancho;
        if (esperadoExt.AltoCom == 0)
            esperadoExt.AltoCom = esperado.Alto;
        EXPECT_EQ(cat.Etiquetas[i], esperado) << qPrintable(esperado.Referencia);
        EXPECT_EQ(cat.EtiquetasExt[i], esperadoExt) << qPrintable(esperado.Referencia);
        leidos.append({cat.Etiquetas[i], cat.EtiquetasExt[i], fuente[i].linea});
    }
    // Labels inside the page, pitch at least the label, margins that add up to the page,
    // the page of the paper type, unique model numbers, suffixes that fit their field.
    EXPECT_EQ(CompruebaCatalogo(leidos, campos), QStringList());

    // Every format turns and turns back to exactly what was loaded.
    for (int i = 0; i < cat.NumEtiquetas; ++i) {
        ModTolvWiz::GirarEtiqueta(cat, i);
        ModTolvWiz::GirarEtiqueta(cat, i);
        EXPECT_EQ(cat.Etiquetas[i], leidos[i].etiqueta) << qPrintable(leidos[i].etiqueta.Referencia);
        EXPECT_EQ(cat.EtiquetasExt[i], leidos[i].extension) << qPrintable(leidos[i].etiqueta.Referencia);
    }
}

TEST_F(CatalogoEnviado, HoldsTheCommonSheetsEveryPaperTypeAndShape)
{
    EXPECT_GE(cat.NumEtiquetas, 150);
    const auto hay = ModTolvWiz::TiposPapelPresentes(cat);
    EXPECT_EQ(std::count(hay.begin(), hay.end(), true), 5);
    EXPECT_GT(Cuenta([](const EtiquetaCatalogo& e) { return e.TipoPapel == PapelA4; }), cat.NumEtiquetas / 2);

    // A4: address and multipurpose grids (across x down), 65-up, full sheet, shipping.
    for (auto [across, down] : {std::pair{2, 7}, {2, 8}, {3, 7}, {3, 8}, {3, 10}, {4, 10}, {5, 13}, {1, 1}, {1, 2}, {2, 2}})
        EXPECT_GT(Cuenta(PapelA4, across, down), 0) << across << " x " << down;
    EXPECT_GT(Cuenta([](const EtiquetaCatalogo& e) {
                  return e.TipoPapel == PapelA4 && (e.Forma == 2 || e.Forma == 8) && e.Ancho == e.Alto;
              }), 0) << "round";
    EXPECT_GT(Cuenta([](const EtiquetaCatalogo& e) { return e.TipoPapel == PapelA4 && e.Forma == 3; }), 0) << "CD/DVD";
    for (auto [across, down] : {std::pair{1, 10}, {2, 10}, {3, 10}})
        EXPECT_GT(Cuenta(PapelLetter, across, down), 0) << "Letter " << across << " x " << down;
    for (int papel : {PapelContinuo, PapelA5, PapelTermico})
        EXPECT_GE(Cuenta([papel](const EtiquetaCatalogo& e) { return e.TipoPapel == papel; }), 10) << papel;

    QSet<int> formas;
    for (const EtiquetaCatalogo& e : cat.Etiquetas)
        formas.insert(e.Forma);
    EXPECT_EQ(formas, QSet<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17}));

    // The loader's fallbacks are exercised by the shipped file too.
    EXPECT_TRUE(std::any_of(fuente.begin(), fuente.end(), [](const auto& f) { return f.etiqueta.Codigo == 0; }));
    EXPECT_TRUE(std::any_of(fuente.begin(), fuente.end(), [](const auto& f) { return f.extension.AnchoCom == 0; }));
    EXPECT_TRUE(std::any_of(fuente.begin(), fuente.end(), [](const auto& f) { return !f.extension.Sufix.isEmpty(); }));

    // Each description ends at a NUL, the rest of its field zeros: no blanks of the padding.
    QFile etiqs(QStringLiteral(KOVEL_PROGRAM_DIR "/ETIQS.UNI"));
    ASSERT_TRUE(etiqs.open(QIODevice::ReadOnly));
    const QByteArray registros = etiqs.readAll();
    for (int i = 0; i < cat.NumEtiquetas; ++i) {
        const QByteArray campo = registros.mid(qsizetype(i) * 602 + 19, 510);
        const qsizetype largo = cat.Etiquetas[i].Descripcion.trimmed().size();
        EXPECT_EQ(campo.mid(2 * largo), QByteArray(510 - 2 * largo, '\0')) << qPrintable(cat.Etiquetas[i].Referencia);
    }

    // The field table is not in the program's order and holds a field the program does not know.
    const QList<CampoCabecera> programa = CamposEstandar();
    EXPECT_GT(campos.size(), programa.size());
    int fueraDeOrden = 0;
    for (qsizetype i = 0; i < programa.size(); ++i)
        fueraDeOrden += i >= campos.size() || campos[i].Nombre != programa[i].Nombre;
    EXPECT_GT(fueraDeOrden, programa.size() / 2);
}

// The printer classes travel from the source's column into the description's tag, where the
// details window reads them; a class the program does not know stops the build.
TEST_F(CatalogoEnviado, DetailsWindowPrinterClassesOfEveryFormat)
{
    for (int i = 0; i < cat.NumEtiquetas; ++i) {
        const auto usos = kovel::catalogue::UsosDeDescripcion(cat.Etiquetas[i].Descripcion);
        EXPECT_TRUE(std::any_of(usos.begin(), usos.end(), [](bool u) { return u; })) << qPrintable(cat.Etiquetas[i].Referencia);
        if (cat.Etiquetas[i].Codigo == 806) {   // "laser and inkjet": inkjet, laser and copiers
            EXPECT_EQ(usos, (std::array<bool, 6>{true, true, true, false, false, false}));
        }
    }

    QTemporaryDir dir;
    QFile fuenteCsv(QStringLiteral(KOVEL_SOURCE_DIR "/data/catalogue/formats.csv"));
    ASSERT_TRUE(fuenteCsv.open(QIODevice::ReadOnly));
    const QByteArray texto = fuenteCsv.readAll();
    for (const auto& [clase, valida] : {std::pair{"LC", true}, std::pair{"IL", false}, std::pair{"", false}, std::pair{"x", false}}) {
        // The first format only, with its class replaced.
        QList<QByteArray> lineas = texto.split('\n');
        qsizetype primera = 0;
        while (lineas[primera].startsWith('#'))
            ++primera;
        ++primera;
        QByteArray linea = lineas[primera];
        linea.truncate(linea.lastIndexOf(',') + 1);
        const QByteArray csv = lineas.mid(0, primera).join('\n') + '\n' + linea + clase + '\n';
        pruebas::Escribe(dir.filePath(QStringLiteral("formats.csv")), csv);
        QList<kovel::catalogue::Formato> leidos;
        QString error;
        EXPECT_EQ(LeeFormatosCsv(dir.filePath(QStringLiteral("formats.csv")), leidos, error), valida) << clase;
        if (valida) {
            ASSERT_EQ(leidos.size(), 1);
            EXPECT_TRUE(leidos[0].etiqueta.Descripcion.trimmed().endsWith(QStringLiteral(" (LC)")));
        } else {
            EXPECT_TRUE(error.contains(QLatin1String("Clases"))) << qPrintable(error);
        }
    }
}

// Two catalogues in one process: each keeps its own formats, omissions, list, turns and unit.
TEST(Catalogo, TwoCataloguesInOneProcessKeepTheirOwnState)
{
    Cataleg a, b;
    kovel::catalogue::Formato malo = UnFormato(903);
    malo.etiqueta.Filas = 0;
    pruebas::CargaCatalogo(a, {UnFormato(801), UnFormato(802)});
    pruebas::CargaCatalogo(b, {UnFormato(901), malo});
    ASSERT_EQ(a.NumEtiquetas, 2);
    ASSERT_EQ(b.NumEtiquetas, 1);
    EXPECT_TRUE(ModTolvWiz::FormatosOmitidos(a).isEmpty());
    EXPECT_EQ(ModTolvWiz::FormatosOmitidos(b).size(), 1);

    ModTolvWiz::Llena_ListaEtiquetas(a, PapelA4, 0, 0, 0);
    ModTolvWiz::SeleccionarFormat(a, 1);
    ModTolvWiz::GirarFormat(a);
    a.Unidades = 2;
    EXPECT_EQ(a.EtiquetasMarca, (QList<bool>{false, true}));
    EXPECT_EQ(b.Lista.ListCount(), 0);
    EXPECT_EQ(ModTolvWiz::FormatSeleccionat(b), -1);
    EXPECT_EQ(b.EtiquetasMarca, QList<bool>{false});
    EXPECT_EQ(b.Etiquetas[0].Codigo, 901);
    EXPECT_EQ(b.Unidades, 1);

    // A failed load of one leaves the other as it was, too.
    QString mensaje;
    EXPECT_FALSE(ModTolvWiz::Carga_CatalogoDe(b, QStringLiteral("/nonexistent-folder"), mensaje));
    EXPECT_EQ(a.NumEtiquetas, 2);
    EXPECT_EQ(ModTolvWiz::FormatSeleccionat(a), 1);
}

TEST(Catalogo, ConsistencyChecksCatchBadFormats)
{
    using Defecto = std::function<void(kovel::catalogue::Formato&)>;
    const auto bueno = UnFormato(806);
    ASSERT_EQ(CompruebaFormato(bueno), QString());
    const QList<std::pair<Defecto, const char*>> defectos = {
        {[](auto& f) { f.etiqueta.PasoHorizontal = 6.9f; }, "pitch"},
        {[](auto& f) { f.etiqueta.Filas = 9; }, "past the page"},
        {[](auto& f) { f.etiqueta.MargenIzquierdo = 0.5f; }, "past the page"},
        {[](auto& f) { f.extension.MargenInferior = 0.3; }, "margin"},
        {[](auto& f) { f.etiqueta.TipoPapel = PapelLetter; }, "paper type"},
        {[](auto& f) { f.extension.AltoPag = 0; }, "page size"},
        {[](auto& f) { f.etiqueta.TipoPapel = PapelContinuo; }, "rows"},
        {[](auto& f) { f.extension.AnchoCom = 6.35; }, "shown size"},
        {[](auto& f) { f.etiqueta.Codigo = 807; }, "model number"},
        {[](auto& f) { f.etiqueta.Referencia = QStringLiteral("LABEL 806"); }, "reference"},
        {[](auto& f) { f.etiqueta.Forma = 12; }, "shape"},
        {[](auto& f) { f.etiqueta.TipoPapel = 5; }, "paper type"},
        {[](auto& f) { f.etiqueta.FilasOmitidas = 8; }, "empty rows"},
        {[](auto& f) { f.etiqueta.Holgura[1] = -0.1f; }, "inset"},
        {[](auto& f) { f.extension.Sufix = QStringLiteral("../T"); }, "suffix"},
    };
    for (const auto& [defecto, dice] : defectos) {
        auto f = bueno;
        defecto(f);
        EXPECT_TRUE(CompruebaFormato(f).contains(QLatin1String(dice))) << dice << ": " << qPrintable(CompruebaFormato(f));
    }

    // What only the whole catalogue shows.
    auto otro = UnFormato(807);
    auto mismoCodigo = UnFormato(806);
    mismoCodigo.etiqueta.Referencia = QStringLiteral("KOVEL 0806");
    auto largo = UnFormato(808);
    largo.extension.Sufix = QStringLiteral("ABCDEFGHIJK");   // 11 characters in a 10-byte field
    const QStringList problemas = CompruebaCatalogo({bueno, otro, mismoCodigo, largo}, CamposEstandar());
    ASSERT_EQ(problemas.size(), 2) << qPrintable(problemas.join('\n'));
    EXPECT_TRUE(problemas[0].startsWith(QLatin1String("KOVEL 0806: the model number 806 is used twice")));
    EXPECT_TRUE(problemas[1].startsWith(QLatin1String("KOVEL 808: the suffix is longer")));
}

TEST(Catalogo, TurningSwapsInPlaceAndTwiceGivesTheRecordBack)
{
    Cataleg cat;
    auto f = UnFormato(50);
    f.etiqueta.MargenIzquierdo = 0.5f;
    f.etiqueta.MargenSuperior = 1.25f;
    f.extension.MargenDerecho = 0.75;
    f.extension.MargenInferior = 0.47;   // not a single-precision value in the file
    f.etiqueta.Holgura = {0.1f, 0.3f};
    Word_espec::Inicialitzar();
    pruebas::CargaCatalogo(cat, {UnFormato(49), f});
    const EtiquetaCatalogo e0 = cat.Etiquetas[1];
    const EtiquetaExtendida x0 = cat.EtiquetasExt[1];

    ModTolvWiz::GirarEtiqueta(cat, 1);
    const EtiquetaCatalogo& e = cat.Etiquetas[1];
    EXPECT_TRUE(cat.EtiquetasMarca[1]);
    EXPECT_EQ(e.Columnas, 8);
    EXPECT_EQ(e.Filas, 3);
    EXPECT_FLOAT_EQ(e.Ancho, 3.7f);
    EXPECT_FLOAT_EQ(e.PasoHorizontal, 3.7f);
    EXPECT_FLOAT_EQ(e.Holgura[0], 0.3f);
    EXPECT_FLOAT_EQ(e.MargenSuperior, 0.5f);      // old left
    EXPECT_FLOAT_EQ(e.MargenIzquierdo, 0.47f);    // old bottom
    EXPECT_DOUBLE_EQ(cat.EtiquetasExt[1].MargenInferior, 0.75);  // old right
    EXPECT_DOUBLE_EQ(cat.EtiquetasExt[1].MargenDerecho, 1.25);   // old top
    EXPECT_NE(e.Girado, 0);
    EXPECT_EQ(cat.Etiquetas[0], cat.Etiquetas[0]);

    ModTolvWiz::GirarEtiqueta(cat, 1);
    EXPECT_FALSE(cat.EtiquetasMarca[1]);
    EXPECT_EQ(cat.Etiquetas[1], e0);
    EXPECT_EQ(cat.EtiquetasExt[1], x0);

    // The selected format is the one turned.
    ModTolvWiz::Llena_ListaEtiquetas(cat, PapelA4, 0, 0, 0);
    ModTolvWiz::SeleccionarFormat(cat, 1);
    ModTolvWiz::GirarFormat(cat);
    EXPECT_TRUE(cat.EtiquetasMarca[1]);
    EXPECT_FALSE(cat.EtiquetasMarca[0]);
    ModTolvWiz::GirarFormat(cat);
    EXPECT_EQ(cat.Etiquetas[1], e0);
}

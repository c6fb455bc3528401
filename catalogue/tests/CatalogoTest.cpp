#include "tests/Ayudas.h"

#include "catalogue/ListaEtiquetas.h"
#include "common/HostProfile.h"

#include <QtEndian>
#include <cmath>
#include <cstring>
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
    void SetUp() override
    {
        pruebas::CargaLiterales();
        ASSERT_TRUE(dir.isValid());
        formatos = {UnFormato(4711), UnFormato(815, PapelLetter)};
        // What is in memory before each damaged load; it must survive every failure.
        pruebas::CargaCatalogo({UnFormato(1), UnFormato(2), UnFormato(3)});
        antes = Etiquetas;
        antesExt = EtiquetasExt;
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
        EXPECT_FALSE(ModTolvWiz::Carga_CatalogoDe(dir.path(), mensaje));
        EXPECT_TRUE(mensaje.contains(nombra)) << qPrintable(mensaje);
        EXPECT_EQ(NumEtiquetas, 3);
        EXPECT_EQ(Etiquetas, antes);
        EXPECT_EQ(EtiquetasExt, antesExt);
        EXPECT_EQ(EtiquetasMarca.size(), 3);
    }

    QTemporaryDir dir;
    QList<kovel::catalogue::Formato> formatos;
    QList<EtiquetaCatalogo> antes;
    QList<EtiquetaExtendida> antesExt;
};

} // namespace

TEST(Catalogo, RecordFieldsAndTheirFallbacks)
{
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
    pruebas::CargaCatalogo({sinCodigo, largo, corto, noAscii, tamanoCero});

    ASSERT_EQ(NumEtiquetas, 5);
    EXPECT_EQ(Etiquetas[0].Codigo, 815);
    EXPECT_EQ(Etiquetas[1].Descripcion, QString(255, QChar(0x00E9)));
    EXPECT_EQ(Etiquetas[2].Descripcion, QStringLiteral("Ten chars!").leftJustified(255));
    EXPECT_EQ(Etiquetas[3].Descripcion.trimmed(), QStringLiteral("Étiquettes – 99,1 × 38,1 mm ✓"));
    EXPECT_EQ(Etiquetas[3].Referencia, QStringLiteral("KOVEL-Ä22").leftJustified(15));
    EXPECT_EQ(Etiquetas[3].Girado, -1);
    EXPECT_EQ(Etiquetas[3].TipoPapel, PapelTermico);
    EXPECT_FLOAT_EQ(Etiquetas[3].Holgura[1], 0.2f);
    EXPECT_DOUBLE_EQ(EtiquetasExt[4].AnchoCom, double(7.0f));
    EXPECT_DOUBLE_EQ(EtiquetasExt[4].AltoCom, double(3.7f));
    EXPECT_EQ(EtiquetasMarca, QList<bool>(5, false));

    const auto hay = ModTolvWiz::TiposPapelPresentes();
    EXPECT_TRUE(hay[PapelA4] && hay[PapelContinuo] && hay[PapelA5] && hay[PapelTermico]);
    EXPECT_FALSE(hay[PapelLetter]);
}

TEST(Catalogo, FieldTableIsReadByNameWhateverItsOrderCaseOrPadding)
{
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
    pruebas::Escribe(dir.path() + "/ETIQSCAP.UNI", Cabecera(lectura));
    pruebas::Escribe(dir.path() + "/ETIQSEXT.UNI", RegistroExtension(f.extension, escritura));
    pruebas::Escribe(dir.path() + "/ETIQS.UNI", RegistroEtiqs(f.etiqueta));
    QString m;
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(dir.path(), m)) << qPrintable(m);
    EXPECT_DOUBLE_EQ(EtiquetasExt[0].AnchoCom, 7.0);
    EXPECT_DOUBLE_EQ(EtiquetasExt[0].AltoPag, 0.0);
    EXPECT_EQ(EtiquetasExt[0].Sufix, QStringLiteral("B"));
    EXPECT_DOUBLE_EQ(EtiquetasExt[0].MargenDerecho, 0.25);
    EXPECT_DOUBLE_EQ(EtiquetasExt[0].AltoCom, double(3.7f));   // absent: the label's height

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
    for (qint32 n : {0, -1, std::numeric_limits<qint32>::min()}) {
        auto f = UnFormato(40);
        f.extension.Sufix = QStringLiteral("X");
        QTemporaryDir dir;
        pruebas::Escribe(dir.path() + "/ETIQSCAP.UNI", Cabecera({}, n, 16));
        pruebas::Escribe(dir.path() + "/ETIQSEXT.UNI", QByteArray(16, '\x7f'));
        pruebas::Escribe(dir.path() + "/ETIQS.UNI", RegistroEtiqs(f.etiqueta));
        QString m;
        ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(dir.path(), m)) << n << qPrintable(m);
        EXPECT_EQ(EtiquetasExt[0].Sufix, QString());
        EXPECT_DOUBLE_EQ(EtiquetasExt[0].AnchoCom, 7.0);
        EXPECT_EQ(EtiquetasExt[0].Categoria, 0);
    }
}

TEST(Catalogo, PartialLastRecordIsLeftOutAndFileNamesIgnoreCase)
{
    QTemporaryDir dir;
    const QList<kovel::catalogue::Formato> fs = {UnFormato(1), UnFormato(2)};
    QString m;
    ASSERT_TRUE(EscribeCatalogo(dir.path(), fs, CamposEstandar(), m));
    QFile::rename(dir.path() + "/ETIQS.UNI", dir.path() + "/etiqs.uni");
    QFile f(dir.path() + "/etiqs.uni");
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(601, '\1'));
    f.close();
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(dir.path(), m)) << qPrintable(m);
    EXPECT_EQ(NumEtiquetas, 2);
}

TEST_F(CatalogoDanado, MissingFilesAreReportedInOrderWithLiteral1)
{
    QFile::remove(ruta("ETIQS.UNI"));
    QString mensaje;
    EXPECT_FALSE(ModTolvWiz::Carga_CatalogoDe(dir.path(), mensaje));
    if (!ModTraduccion::Literal(1, ruta("ETIQS.UNI")).isEmpty()) {
        EXPECT_EQ(mensaje, ModTraduccion::Literal(1, ruta("ETIQS.UNI")));
    }
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

TEST_F(CatalogoDanado, ImpossibleGeometryIsRefusedNamingTheReference)
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
    for (const auto& defecto : defectos) {
        auto fs = formatos;
        defecto(fs[0].etiqueta);
        QString error;
        ASSERT_TRUE(EscribeCatalogo(dir.path(), fs, CamposEstandar(), error));
        FallaNombrando(QStringLiteral("KOVEL 4711"));
    }
    auto fs = formatos;
    fs[1].extension.Sufix = QStringLiteral("../x");
    QString error;
    ASSERT_TRUE(EscribeCatalogo(dir.path(), fs, CamposEstandar(), error));
    FallaNombrando(QStringLiteral("KOVEL 815"));

    fs = formatos;
    fs[1].etiqueta.Codigo = 0;
    fs[1].etiqueta.Referencia = QStringLiteral("KOVEL 1E99");   // beyond 32 bits
    ASSERT_TRUE(EscribeCatalogo(dir.path(), fs, CamposEstandar(), error));
    FallaNombrando(QStringLiteral("KOVEL 1E99"));
}

TEST(Catalogo, ShippedCatalogueHoldsEveryPaperTypeAndShapeAndMatchesItsSource)
{
    QString m;
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(QStringLiteral(KOVEL_PROGRAM_DIR), m)) << qPrintable(m);
    QList<kovel::catalogue::Formato> fuente;
    ASSERT_TRUE(LeeFormatosCsv(QStringLiteral(KOVEL_SOURCE_DIR "/data/catalogue/formats.csv"), fuente, m)) << qPrintable(m);
    ASSERT_EQ(NumEtiquetas, fuente.size());
    EXPECT_GE(NumEtiquetas, 150);
    const auto hay = ModTolvWiz::TiposPapelPresentes();
    EXPECT_EQ(std::count(hay.begin(), hay.end(), true), 5);
    QSet<int> formas;
    int a4 = 0;
    for (int i = 0; i < NumEtiquetas; ++i) {
        formas.insert(Etiquetas[i].Forma);
        a4 += Etiquetas[i].TipoPapel == PapelA4;
        EXPECT_EQ(CompruebaFormato({Etiquetas[i], EtiquetasExt[i], 0}), QString()) << qPrintable(Etiquetas[i].Referencia);
        EXPECT_EQ(EtiquetasExt[i].Sufix, fuente[i].extension.Sufix);
        EXPECT_EQ(EtiquetasExt[i].MargenInferior, fuente[i].extension.MargenInferior);
        EXPECT_EQ(EtiquetasExt[i].Categoria, fuente[i].extension.Categoria);
        if (fuente[i].etiqueta.Codigo != 0) {
            EXPECT_EQ(Etiquetas[i].Codigo, fuente[i].etiqueta.Codigo);
        }
    }
    EXPECT_EQ(formas, QSet<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17}));
    EXPECT_GT(a4, NumEtiquetas / 2);

    // The shipped field table is not in the program's order and holds a field it does not know.
    QList<CampoCabecera> campos;
    ASSERT_TRUE(LeeCamposCsv(QStringLiteral(KOVEL_SOURCE_DIR "/data/catalogue/fields.csv"), campos, m));
    EXPECT_GT(campos.size(), CamposEstandar().size());
    EXPECT_NE(campos.first().Nombre, CamposEstandar().first().Nombre);
}

TEST(Catalogo, TurningSwapsInPlaceAndTwiceGivesTheRecordBack)
{
    auto f = UnFormato(50);
    f.etiqueta.MargenIzquierdo = 0.5f;
    f.etiqueta.MargenSuperior = 1.25f;
    f.extension.MargenDerecho = 0.75;
    f.extension.MargenInferior = 1.5;
    f.etiqueta.Holgura = {0.1f, 0.3f};
    Word_espec::Inicialitzar();
    pruebas::CargaCatalogo({UnFormato(49), f});
    const EtiquetaCatalogo e0 = Etiquetas[1];
    const EtiquetaExtendida x0 = EtiquetasExt[1];

    ModTolvWiz::GirarEtiqueta(1);
    const EtiquetaCatalogo& e = Etiquetas[1];
    EXPECT_TRUE(EtiquetasMarca[1]);
    EXPECT_EQ(e.Columnas, 8);
    EXPECT_EQ(e.Filas, 3);
    EXPECT_FLOAT_EQ(e.Ancho, 3.7f);
    EXPECT_FLOAT_EQ(e.PasoHorizontal, 3.7f);
    EXPECT_FLOAT_EQ(e.Holgura[0], 0.3f);
    EXPECT_FLOAT_EQ(e.MargenSuperior, 0.5f);      // old left
    EXPECT_FLOAT_EQ(e.MargenIzquierdo, 1.5f);     // old bottom
    EXPECT_DOUBLE_EQ(EtiquetasExt[1].MargenInferior, 0.75);  // old right
    EXPECT_DOUBLE_EQ(EtiquetasExt[1].MargenDerecho, 1.25);   // old top
    EXPECT_NE(e.Girado, 0);
    EXPECT_EQ(Etiquetas[0], Etiquetas[0]);

    ModTolvWiz::GirarEtiqueta(1);
    EXPECT_FALSE(EtiquetasMarca[1]);
    EXPECT_EQ(Etiquetas[1], e0);
    EXPECT_EQ(EtiquetasExt[1], x0);

    // The selected format is the one turned, and the design panel is marked for refilling.
    ModTolvWiz::Llena_ListaEtiquetas(PapelA4, 0, 0, 0);
    int marcado = -1;
    ModTolvWiz::PanelEtiquetas().marcarPanelPorLlenar = [&](int p) { marcado = p; };
    ModTolvWiz::SeleccionarFormat(1);
    ModTolvWiz::GirarFormat();
    EXPECT_TRUE(EtiquetasMarca[1]);
    EXPECT_FALSE(EtiquetasMarca[0]);
    EXPECT_EQ(marcado, int(PanelDiseno));
    ModTolvWiz::GirarFormat();
    EXPECT_EQ(Etiquetas[1], e0);
    ModTolvWiz::PanelEtiquetas().marcarPanelPorLlenar = nullptr;
}

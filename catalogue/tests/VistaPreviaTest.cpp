#include "catalogue/tests/Ayudas.h"

#include "catalogue/ColocaVista.h"
#include "catalogue/LienzoGrabador.h"
#include "catalogue/ListaEtiquetas.h"
#include "catalogue/Unidades.h"
#include "catalogue/VistaPrevia.h"
#include "testsupport/Espera.h"

#include <QTemporaryDir>
#include <cmath>

using namespace kovel::catalogue;
using pruebas::UnFormato;

namespace {

const ColorBasic kRojo = ColorBasic::Rgb(200, 0, 0);

LienzoGrabador Forma(std::int16_t forma, float x1, float y1, float x2, float y2, ColorBasic relleno = kRojo,
                     bool horizontal = false)
{
    LienzoGrabador l;
    l.Limpia(QSize(200, 200));
    Dibuja_FormaEtiqueta(l, forma, x1, y1, x2, y2, relleno, horizontal, ColorBlanco);
    return l;
}

} // namespace

TEST(VistaPrevia, ScaleIsAFifthOfRealSizeOnAnyScreen)
{
    for (int tpp : {15, 12, 10}) {
        Visual::TwipsPerPixel e{double(tpp), double(tpp)};
        EXPECT_NEAR(CmAPixelsVista(e, 1, true, false), 7.56, 1e-4) << tpp;
        EXPECT_NEAR(CmAPixelsVista(e, 1, false, false), 7.56, 1e-4) << tpp;
        EXPECT_NEAR(CmAPixelsVista(e, 1, true, true), 189, 1e-3) << tpp;
    }
}

TEST(VistaPrevia, PlainBoxesForRectanglesAndEveryUnknownCode)
{
    for (std::int16_t forma : {0, 6, 10, 11, 12, 13, 14, 15, 18, 99, -1, -32768}) {
        const LienzoGrabador l = Forma(forma, 10, 20, 50, 40);
        ASSERT_EQ(l.trazos.size(), 1) << forma;
        const Trazo& t = l.trazos[0];
        EXPECT_EQ(t.tipo, Trazo::Caja) << forma;
        EXPECT_EQ(t.borde, ColorNegro);
        EXPECT_EQ(t.relleno, kRojo);
        EXPECT_EQ(std::make_tuple(t.x1, t.y1, t.x2, t.y2), std::make_tuple(10.0, 20.0, 50.0, 40.0));
        EXPECT_EQ(l.ColorRelleno(), kRojo);
        EXPECT_EQ(l.ColorDibujo(), ColorNegro);
    }
}

TEST(VistaPrevia, RoundedRectangleIsOneSolidBodyWithABlackOutline)
{
    struct Caso {
        float w, h;
        double radio;
    };
    for (const Caso& c : {Caso{40, 20, 4}, Caso{100, 60, 5}, Caso{10, 8, 1.6}}) {
        for (std::int16_t forma : {1, 7}) {
            const LienzoGrabador l = Forma(forma, 0, 0, c.w, c.h);
            ASSERT_EQ(l.Cuenta(Trazo::Circulo), 4);
            ASSERT_EQ(l.Cuenta(Trazo::Caja), 2);
            ASSERT_EQ(l.Cuenta(Trazo::Arco), 4);
            ASSERT_EQ(l.Cuenta(Trazo::Linea), 4);
            for (const Trazo& t : l.trazos) {
                if (t.tipo == Trazo::Circulo || t.tipo == Trazo::Caja) {
                    EXPECT_EQ(t.borde, kRojo) << "the body is drawn in the fill colour";
                } else {
                    EXPECT_EQ(t.borde, ColorNegro);
                }
                if (t.tipo == Trazo::Circulo || t.tipo == Trazo::Arco) {
                    EXPECT_NEAR(t.radio, c.radio, 1e-6);
                }
            }
            EXPECT_EQ(l.ColorDibujo(), ColorNegro);
        }
    }
}

TEST(VistaPrevia, EllipsesTouchABoxATenthSmaller)
{
    for (std::int16_t forma : {2, 8, 9, 17}) {
        const LienzoGrabador l = Forma(forma, 0, 0, 44, 22);
        ASSERT_EQ(l.trazos.size(), 1);
        EXPECT_EQ(l.trazos[0].tipo, Trazo::Elipse);
        EXPECT_NEAR(l.trazos[0].radio, 44 / 2 / 1.1, 1e-9);
        EXPECT_NEAR(l.trazos[0].inicio, 0.5, 1e-9);
        EXPECT_EQ(l.trazos[0].relleno, kRojo);
        EXPECT_TRUE(Forma(forma, 5, 0, 5, 22).trazos.isEmpty()) << "a label of no width draws nothing";
    }
}

TEST(VistaPrevia, DiscWithHoleOnlyWhenTallEnough)
{
    const LienzoGrabador alto = Forma(3, 0, 0, 88, 88);
    ASSERT_EQ(alto.Cuenta(Trazo::Linea), 4);
    for (const Trazo& t : alto.trazos) {
        if (t.tipo == Trazo::Linea) {
            EXPECT_EQ(t.borde, ColorBlanco) << "the box edges vanish into the window background";
        }
    }
    ASSERT_EQ(alto.Cuenta(Trazo::Circulo), 2);
    EXPECT_NEAR(alto.trazos[4].radio, 40, 1e-9);
    EXPECT_NEAR(alto.trazos[5].radio, 14, 1e-9);
    EXPECT_EQ(alto.trazos[5].relleno, kRojo);

    const LienzoGrabador bajo = Forma(3, 0, 0, 88, 43);
    EXPECT_EQ(bajo.Cuenta(Trazo::Circulo), 0);
    EXPECT_EQ(bajo.Cuenta(Trazo::Linea), 4);
}

TEST(VistaPrevia, TagHasFixedColoursWhateverTheCell)
{
    for (ColorBasic c : {ColorNegro, ColorBlanco, ColorCaraBoton, kRojo}) {
        const LienzoGrabador l = Forma(4, 10, 10, 90, 58, c);
        EXPECT_GT(l.Cuenta(Trazo::Punto), 0);
        for (const Trazo& t : l.trazos) {
            EXPECT_TRUE(t.borde == ColorNegro || t.borde == ColorBlanco);
            if (t.tipo == Trazo::Punto || t.tipo == Trazo::CajaLlena) {
                EXPECT_EQ(t.relleno, ColorBlanco);
            }
        }
        // The hole: a black disc of radius 5 with a white one of radius 2 inside.
        ASSERT_EQ(l.Cuenta(Trazo::Circulo), 2);
        EXPECT_EQ(l.ColorRelleno(), ColorBlanco);
    }
}

TEST(VistaPrevia, BadgeSlotInButtonFace)
{
    const LienzoGrabador l = Forma(5, 0, 0, 90, 42);
    int enCara = 0;
    for (const Trazo& t : l.trazos)
        enCara += t.borde == ColorCaraBoton;
    EXPECT_EQ(enCara, 4);   // two half circles and two lines
    EXPECT_EQ(l.Cuenta(Trazo::Arco), 6);
    EXPECT_EQ(l.ColorDibujo(), ColorNegro);
}

TEST(VistaPrevia, DiscOnABandFollowsTheOrientation)
{
    const LienzoGrabador vertical = Forma(16, 0, 0, 80, 80, kRojo, false);
    ASSERT_EQ(vertical.trazos.size(), 3);
    EXPECT_EQ(vertical.trazos[0].y1, 4);
    EXPECT_EQ(vertical.trazos[1].radio, 40);
    EXPECT_EQ(vertical.trazos[2].borde, ColorNegro.complemento());
    EXPECT_EQ(vertical.trazos[2].borde.rgb(), 0xFFFFFFu) << "the complement of black shows white";
    EXPECT_EQ(vertical.ColorDibujo(), ColorNegro);

    const LienzoGrabador horizontal = Forma(16, 0, 0, 80, 60, kRojo, true);
    EXPECT_EQ(horizontal.trazos[0].x1, 4);
    EXPECT_EQ(horizontal.trazos[0].y1, 0);
    EXPECT_EQ(horizontal.trazos[1].radio, 40);
}

TEST(VistaPrevia, CellColoursOfTheLargePreview)
{
    const auto f = UnFormato(806);
    OpcionesVista o;
    o.indice = 1;
    o.casellaActual = 4;
    o.casellaBuida = [](int celda) { return celda != 7; };
    GeometriaHoja g = CalculaGeometria(f.etiqueta, f.extension, o);
    ASSERT_EQ(g.etiquetas.size(), 24);
    for (const CajaEtiqueta& k : g.etiquetas) {
        EXPECT_EQ(k.celda, k.columna + k.fila * 3);
        const ColorBasic esperado = k.celda == 4 ? ColorNegro : k.celda == 7 ? ColorCaraBoton : ColorBlanco;
        EXPECT_EQ(k.relleno, esperado) << k.celda;
    }
    o.origenDatos1 = true;
    g = CalculaGeometria(f.etiqueta, f.extension, o);
    for (const CajaEtiqueta& k : g.etiquetas)
        EXPECT_EQ(k.relleno, k.celda == 4 ? ColorNegro : ColorBlanco);

    // A design list that does not hold the cell (it throws, or says nothing) draws it empty.
    o.origenDatos1 = false;
    o.casellaBuida = [](int celda) -> bool {
        if (celda > 10)
            throw std::out_of_range("cell");
        return true;
    };
    g = CalculaGeometria(f.etiqueta, f.extension, o);
    for (const CajaEtiqueta& k : g.etiquetas)
        EXPECT_EQ(k.relleno, k.celda == 4 ? ColorNegro : ColorBlanco);
    o.indice = 0;
    g = CalculaGeometria(f.etiqueta, f.extension, o);
    for (const CajaEtiqueta& k : g.etiquetas)
        EXPECT_EQ(k.relleno, ColorBlanco) << "the small preview has no current cell";
}

TEST(VistaPrevia, ThermalRollShowsTheLabelsThatFitOnItsStrip)
{
    auto f = UnFormato(9109, PapelTermico);
    EtiquetaCatalogo& e = f.etiqueta;
    e.Filas = 1;
    e.Columnas = 1;
    e.Ancho = 5;
    e.Alto = 2.5f;
    e.PasoVertical = 2.8f;
    e.MargenSuperior = 0.15f;
    EXPECT_EQ(FilasTermico(e), 10);
    OpcionesVista o;
    GeometriaHoja g = CalculaGeometria(e, f.extension, o);
    EXPECT_EQ(g.filas, 10);
    EXPECT_EQ(g.altoCm, 30);
    for (const CajaEtiqueta& k : g.etiquetas)
        EXPECT_LE(k.y2, P(o.escala, 30) + 1);

    // A height that rounds to nothing still gives a count; no pitch keeps the catalogue's rows.
    e.Alto = 0.3f;
    e.PasoVertical = 0.4f;
    EXPECT_EQ(FilasTermico(e), 74);
    e.PasoVertical = 0;
    EXPECT_EQ(FilasTermico(e), 1);
    e.Alto = 0;
    e.PasoVertical = 0;
    e.Filas = 3;
    EXPECT_EQ(FilasTermico(e), 3);
    EXPECT_NO_THROW(CalculaGeometria(e, f.extension, o));
    EXPECT_EQ(f.etiqueta.Filas, 3) << "the record's rows are never changed";
}

TEST(VistaPrevia, ContinuousMarksDownTheSidesOrAlongTheEdges)
{
    const Visual::TwipsPerPixel s;
    LienzoGrabador l;
    l.Limpia(QSize(100, 60));
    l.setColorRelleno(kRojo);
    Dibuja_MarcasContinuo(l, s, false, ColorBlanco);
    // Holes every 8 pixels from 8 to 56, 3.78 px from the left and 0.9 cm from the right edge.
    ASSERT_EQ(l.Cuenta(Trazo::Circulo), 14);
    for (const Trazo& t : l.trazos) {
        if (t.tipo == Trazo::Circulo) {
            EXPECT_EQ(t.relleno, ColorBlanco);
            EXPECT_NEAR(t.radio, 1.89, 1e-4);
            EXPECT_TRUE(std::abs(t.x1 - 3.78) < 1e-4 || std::abs(t.x1 - (100 - 6.804)) < 1e-4) << t.x1;
            EXPECT_EQ(int(t.y1) % 8, 0);
        } else {
            EXPECT_EQ(t.tipo, Trazo::Linea);
            EXPECT_EQ(t.borde, ColorBlanco);
            EXPECT_EQ(t.x1, t.x2) << "the separating lines run down";
        }
    }
    EXPECT_EQ(l.ColorRelleno(), kRojo);

    l.Limpia(QSize(100, 60));
    Dibuja_MarcasContinuo(l, s, true, ColorBlanco);
    EXPECT_EQ(l.Cuenta(Trazo::Circulo), 24);
    for (const Trazo& t : l.trazos) {
        if (t.tipo == Trazo::Linea) {
            EXPECT_EQ(t.y1, t.y2) << "the separating lines run across";
        }
    }

    l.Limpia(QSize(100, 7));
    Dibuja_MarcasContinuo(l, s, false, ColorBlanco);
    EXPECT_EQ(l.Cuenta(Trazo::Circulo), 0) << "a strip shorter than the hole spacing has no holes";
    EXPECT_EQ(l.Cuenta(Trazo::Linea), 2);
}

TEST(VistaPrevia, SheetPictureNames)
{
    EXPECT_TRUE(TieneImagenHoja(4000));
    EXPECT_TRUE(TieneImagenHoja(91014));
    EXPECT_FALSE(TieneImagenHoja(3999));
    EXPECT_TRUE(TieneImagenHoja(1017)) << "a code that is part of an entry of the list text";
    EXPECT_TRUE(TieneImagenHoja(3269));
    EXPECT_FALSE(TieneImagenHoja(806));

    auto f = UnFormato(2003, PapelA4, QStringLiteral("Labels ii (ilc)  "));
    EXPECT_EQ(NombreImagenHoja(f.etiqueta, f.extension), QStringLiteral("2003b.dat"));
    f.etiqueta.Descripcion = QStringLiteral("Labels (ILC)").leftJustified(255);
    EXPECT_EQ(NombreImagenHoja(f.etiqueta, f.extension), QStringLiteral("2003a.dat"));
    f = UnFormato(10101);
    f.extension.Sufix = QStringLiteral("R");
    EXPECT_EQ(NombreImagenHoja(f.etiqueta, f.extension), QStringLiteral("10101R.dat"));
    f.extension.Sufix = QStringLiteral("/../x");
    QTemporaryDir dir;
    EXPECT_TRUE(FicheroImagenHoja(f.etiqueta, f.extension, dir.path()).isEmpty()) << "a suffix never leaves DATA";

    f.extension.Sufix = QStringLiteral("R");
    EXPECT_TRUE(FicheroImagenHoja(f.etiqueta, f.extension, dir.path()).isEmpty()) << "no DATA folder";
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("data")));
    pruebas::Escribe(dir.path() + QStringLiteral("/data/10101R.dat"), "x");
    const QString fichero = FicheroImagenHoja(f.etiqueta, f.extension, dir.path());
    EXPECT_TRUE(fichero.endsWith(QStringLiteral("/data/10101R.dat"))) << qPrintable(fichero);
}

TEST(VistaPrevia, APictureThatDoesNotLoadIsReplacedByTheDrawing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("DATA")));
    pruebas::Escribe(dir.path() + QStringLiteral("/DATA/10101.dat"), "not a picture");
    const auto f = UnFormato(10101);
    OpcionesVista o;
    LienzoGrabador l;
    ResultadoVista r = Dibuja_HojaEtiquetas(l, f.etiqueta, f.extension, o, dir.path());
    EXPECT_FALSE(r.imagen);
    EXPECT_EQ(l.Cuenta(Trazo::Circulo), 24 * 4) << "every label drawn";
    EXPECT_EQ(l.ColorFondo(), ColorFondoVistaPequena);

    l.cargaImagen = [](const QString&) { return true; };
    r = Dibuja_HojaEtiquetas(l, f.etiqueta, f.extension, o, dir.path());
    EXPECT_TRUE(r.imagen);
    ASSERT_EQ(l.trazos.size(), 1);
    EXPECT_TRUE(l.trazos[0].fichero.endsWith(QStringLiteral("/DATA/10101.dat")));

    o.indice = 1;
    r = Dibuja_HojaEtiquetas(l, f.etiqueta, f.extension, o, dir.path());
    EXPECT_FALSE(r.imagen) << "the large preview is always drawn";
    EXPECT_EQ(l.ColorFondo(), ColorBlanco);
}

TEST(VistaPrevia, BadFormatsDrawWhatTheyCanAndNeverThrow)
{
    const float nan = std::nanf("");
    struct Caso {
        const char* nombre;
        std::function<void(EtiquetaCatalogo&)> cambia;
    };
    const Caso casos[] = {
        {"zero sizes", [](EtiquetaCatalogo& e) { e.Ancho = 0; e.Alto = 0; e.PasoHorizontal = 0; e.PasoVertical = 0; }},
        {"negative sizes", [](EtiquetaCatalogo& e) { e.Ancho = -3; e.Alto = -2; e.MargenIzquierdo = -50; }},
        {"negative counts", [](EtiquetaCatalogo& e) { e.Filas = -4; e.Columnas = -32768; }},
        {"huge counts", [](EtiquetaCatalogo& e) { e.Filas = 32767; e.Columnas = 32767; }},
        {"tiny pitch", [](EtiquetaCatalogo& e) { e.Filas = 32767; e.Columnas = 32767; e.PasoVertical = 1e-6f; e.PasoHorizontal = 1e-6f; }},
        {"pixel pitch", [](EtiquetaCatalogo& e) { e.Filas = 32767; e.Columnas = 32767; e.PasoVertical = 0.14f; e.PasoHorizontal = 0.14f; e.Ancho = 0.1f; e.Alto = 0.1f; }},
        {"not numbers", [nan](EtiquetaCatalogo& e) { e.Ancho = nan; e.MargenSuperior = nan; e.PasoVertical = nan; }},
        {"huge sheet", [](EtiquetaCatalogo& e) { e.Ancho = 3e38f; e.Alto = 3e38f; e.PasoVertical = 3e38f; }},
        {"unknown paper", [](EtiquetaCatalogo& e) { e.TipoPapel = 200; }},
        {"unknown shape", [](EtiquetaCatalogo& e) { e.Forma = 31000; }},
    };
    for (const Caso& c : casos) {
        for (std::uint8_t papel : {PapelA4, PapelContinuo, PapelLetter, PapelA5, PapelTermico}) {
            for (int indice : {0, 1}) {
                auto f = UnFormato(806, papel);
                c.cambia(f.etiqueta);
                OpcionesVista o;
                o.indice = indice;
                LienzoGrabador l;
                const qint64 antes = kovel::test::MsProcessadorProces();
                ResultadoVista r;
                EXPECT_NO_THROW(r = Dibuja_HojaEtiquetas(l, f.etiqueta, f.extension, o, QString())) << c.nombre;
                EXPECT_LT(kovel::test::MsProcessadorProces() - antes, 5000) << c.nombre;
                const QSize t = r.geometria.pixeles;
                EXPECT_TRUE(t.width() >= 1 && t.width() <= 2000 && t.height() >= 1 && t.height() <= 2000) << c.nombre;
                EXPECT_LE(r.geometria.etiquetas.size(), 10000) << c.nombre;
                for (const Trazo& k : l.trazos)
                    EXPECT_TRUE(std::isfinite(k.x1) && std::isfinite(k.y1) && std::isfinite(k.x2) && std::isfinite(k.y2))
                        << c.nombre;
            }
        }
    }
}

// The shipped catalogue, every format in both orientations: each label where the catalogue
// puts it, to the pixel, and inside the sheet.
TEST(VistaPrevia, WholeShippedCatalogueIsExactToScale)
{
    Cataleg cat;
    QString m;
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, QStringLiteral(KOVEL_PROGRAM_DIR), m)) << qPrintable(m);
    ASSERT_GT(cat.NumEtiquetas, 100);
    const Visual::TwipsPerPixel s;
    int comprobadas = 0;
    for (int i = 0; i < cat.NumEtiquetas; ++i) {
        for (bool girado : {false, true}) {
            EtiquetaCatalogo e = cat.Etiquetas[i];
            EtiquetaExtendida x = cat.EtiquetasExt[i];
            bool marca = false;
            if (girado)
                ModTolvWiz::GirarRegistro(e, x, marca);
            for (int indice : {0, 1}) {
                OpcionesVista o;
                o.indice = indice;
                o.horizontal = girado;
                const GeometriaHoja g = CalculaGeometria(e, x, o);
                const QString que = QStringLiteral("%1 %2 %3").arg(e.Referencia.trimmed()).arg(girado).arg(indice);
                const int filas = e.TipoPapel == PapelTermico ? FilasTermico(e) : e.Filas;
                ASSERT_EQ(g.etiquetas.size(), qsizetype(filas) * e.Columnas) << qPrintable(que);
                for (const CajaEtiqueta& k : g.etiquetas) {
                    EXPECT_NEAR(k.x1, P(s, e.MargenIzquierdo + k.columna * double(e.PasoHorizontal)), 1.0) << qPrintable(que);
                    EXPECT_NEAR(k.y1, P(s, e.MargenSuperior + k.fila * double(e.PasoVertical)), 1.0) << qPrintable(que);
                    EXPECT_NEAR(k.x2, P(s, e.MargenIzquierdo + k.columna * double(e.PasoHorizontal) + e.Ancho), 1.0)
                        << qPrintable(que);
                    EXPECT_NEAR(k.y2, P(s, e.MargenSuperior + k.fila * double(e.PasoVertical) + e.Alto), 1.0) << qPrintable(que);
                    EXPECT_GE(k.x1, 0) << qPrintable(que);
                    EXPECT_GE(k.y1, 0) << qPrintable(que);
                    EXPECT_LE(k.x2, P(s, g.anchoCm) + 1) << qPrintable(que) << " right of the sheet";
                    EXPECT_LE(k.y2, P(s, g.altoCm) + 1) << qPrintable(que) << " below the sheet";
                    EXPECT_LE(k.x2, g.pixeles.width());
                    EXPECT_LE(k.y2, g.pixeles.height());
                    ++comprobadas;
                }
            }
        }
    }
    EXPECT_GT(comprobadas, 10000);
}

TEST(VistaPrevia, SmallPreviewShowsATurnedFormatAsStoredAndTouchesNothing)
{
    Cataleg cat;
    pruebas::CargaCatalogo(cat, {UnFormato(806), UnFormato(807)});
    ModTolvWiz::GirarEtiqueta(cat, 1);
    const auto etiquetas = cat.Etiquetas;
    const auto extension = cat.EtiquetasExt;
    const auto marcas = cat.EtiquetasMarca;
    EtiquetaCatalogo e;
    EtiquetaExtendida x;
    ASSERT_TRUE(FormatoParaVista(cat, 1, 0, e, x));
    EXPECT_EQ(e.Columnas, 3);
    EXPECT_EQ(e.Girado, 0);
    ASSERT_TRUE(FormatoParaVista(cat, 1, 1, e, x));
    EXPECT_EQ(e.Columnas, 8);
    EXPECT_NE(e.Girado, 0);
    OpcionesVista o;
    o.indice = 1;
    o.horizontal = true;
    const GeometriaHoja g = CalculaGeometria(e, x, o);
    EXPECT_GT(g.pixeles.width(), g.pixeles.height()) << "a turned A4 format stands on a landscape sheet";
    EXPECT_FALSE(FormatoParaVista(cat, 2, 0, e, x));
    EXPECT_FALSE(FormatoParaVista(cat, -1, 1, e, x));
    EXPECT_EQ(cat.Etiquetas, etiquetas);
    EXPECT_EQ(cat.EtiquetasExt, extension);
    EXPECT_EQ(cat.EtiquetasMarca, marcas);
}

TEST(ColocaVista, SmallPreviewIsLaidOutOncePerFormatKeyedByItsIndex)
{
    ColocadorVista c;
    Visual::TwipsPerPixel s;
    EscenaVista e;
    e.anchoImagen = 2466;
    e.altoImagen = 3432;
    e.marco = {100, 5000, 1000, 1000};
    ClaveVista k;
    k.indiceCatalogo = 3;
    k.codigo = 806;
    AjustaMarco(e, 5800);
    ASSERT_TRUE(c.Coloca_VistaPrevia(k, s, MedidasVistaPreviaEstandar, e));
    EXPECT_EQ(e.marco.width, 2466);
    EXPECT_EQ(e.marco.left, 2900 - 1233);
    EXPECT_EQ(e.marco.height, 3432);
    EXPECT_FALSE(e.barra.visible);

    EscenaVista movida = e;
    movida.marco.left = 0;
    EXPECT_FALSE(c.Coloca_VistaPrevia(k, s, MedidasVistaPreviaEstandar, movida));
    EXPECT_EQ(movida.marco.left, 0) << "the same format again changes nothing";

    k.indiceCatalogo = 4;   // another format with the same model number
    EXPECT_TRUE(c.Coloca_VistaPrevia(k, s, MedidasVistaPreviaEstandar, movida));
    EXPECT_EQ(movida.marco.left, 2900 - 1233);

    // Wider than the available width: the scroll bar takes the overflow.
    e.anchoImagen = 7000;
    k.indiceCatalogo = 5;
    AjustaMarco(e, 5800);
    ASSERT_TRUE(c.Coloca_VistaPrevia(k, s, MedidasVistaPreviaEstandar, e));
    EXPECT_TRUE(e.barra.visible);
    EXPECT_EQ(e.marco.width, 5800);
    EXPECT_EQ(e.barra.maximo, 1200);
    EXPECT_EQ(e.barra.pasoPequeno, 580);
    EXPECT_EQ(e.barra.pasoGrande, 5800);
    EXPECT_EQ(e.barra.rect.top, e.marco.top + e.marco.height + 1);
}

TEST(ColocaVista, LargePreviewFollowsOrientationAndDataSource)
{
    ColocadorVista c;
    Visual::TwipsPerPixel s;
    EscenaVista e;
    e.anchoImagen = 9000;
    e.altoImagen = 3000;
    e.marco = {0, 0, 9000, 3000};
    e.barra.rect.height = 255;
    e.documentoTop = 100;
    e.panelAlto = 6390;
    ClaveVista k;
    k.indiceVista = 1;
    k.indiceCatalogo = 7;
    k.codigo = 3103;
    k.tipoPapel = PapelContinuo;
    ASSERT_TRUE(c.Coloca_VistaPrevia(k, s, MedidasVistaPreviaEstandar, e));
    EXPECT_TRUE(e.barra.visible);
    EXPECT_EQ(e.barra.valor, 0);
    EXPECT_EQ(e.barra.maximo, 9000 - 5820);
    EXPECT_EQ(e.marco.left, 6695 - 5820 / 2);

    k.horizontal = true;
    k.girado = -1;
    e.marco.width = 9000;
    ASSERT_TRUE(c.Coloca_VistaPrevia(k, s, MedidasVistaPreviaEstandar, e));
    EXPECT_FALSE(e.barra.visible);
    EXPECT_EQ(e.marco.width, 9000);
    EXPECT_EQ(e.marco.left, 2900 - 4500);

    // Another paper type in vertical orientation never scrolls; option 0 moves the centre.
    k.horizontal = false;
    k.girado = 0;
    k.tipoPapel = PapelA4;
    k.codigo = 806;
    k.origen0 = true;
    ASSERT_TRUE(c.Coloca_VistaPrevia(k, s, MedidasVistaPreviaEstandar, e));
    EXPECT_FALSE(e.barra.visible);
    EXPECT_EQ(e.marco.left, 2900 - 4500);
    k.origen0 = false;
    k.origenDatos = 2;
    ASSERT_TRUE(c.Coloca_VistaPrevia(k, s, MedidasVistaPreviaEstandar, e));
    EXPECT_EQ(e.marco.left, 6695 - 4500);
    EXPECT_FALSE(c.Coloca_VistaPrevia(k, s, MedidasVistaPreviaEstandar, e));
}

TEST(TextoMedidasVista, EmptyPiecesTakeNoRoomWhateverTheirOldWidth)
{
    ModTolvWiz::TextoMedidas t;
    for (auto& p : t.pieza) {
        p.left = 1000;
        p.width = 900;   // left from an earlier, longer text
    }
    t.pieza[0].caption = QStringLiteral(" 2");
    t.pieza[0].width = 200;
    t.pieza[1].caption.clear();
    t.pieza[2].caption = QStringLiteral(" \" x ");
    t.pieza[2].width = 300;
    t.pieza[3].caption = QStringLiteral(" 1");
    t.pieza[3].width = 200;
    t.pieza[4].caption.clear();
    t.pieza[5].caption = QStringLiteral(" \"");
    t.pieza[5].width = 100;
    ModTolvWiz::Centra_MedidasEtiqueta(2, t);
    EXPECT_FALSE(t.pieza[1].visible);
    EXPECT_FALSE(t.pieza[4].visible);
    EXPECT_EQ(t.pieza[1].width, 0);
    EXPECT_EQ(t.pieza[2].left, t.pieza[0].left + 200) << "pieces close up over the empty one";
    EXPECT_EQ(t.pieza[5].left, t.pieza[3].left + 200);
    EXPECT_EQ(t.pieza[0].left, 2900 - 800 / 2) << "the visible text is centred";
}

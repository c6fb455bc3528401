// The previews and the details window as widgets, over the shipped catalogue. The pictures
// they make are written to <build>/previews/ to be looked at.
#include "catalogue/tests/Ayudas.h"

#include "catalogue/ListaEtiquetas.h"
#include "catalogue/Unidades.h"
#include "catalogue/ui/LienzoPintor.h"
#include "catalogue/ui/VistaPreviaHoja.h"
#include "catalogue/ui/frmOptions.h"
#include "appearance/ui/Aparenca.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ui/BotoImatge.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace kovel::catalogue;

namespace {

const QString kSalida = QStringLiteral(KOVEL_BINARY_DIR "/previews");

// A stand-in for the wizard window: the two frames with their bars, the design panel with
// the document frame, and the size text pieces.
class Ventana : public QWidget {
public:
    explicit Ventana(Cataleg& cat) : vistes(cat)
    {
        setObjectName(QStringLiteral("FrmTolvWiz"));
        resize(1164, 500);
        auto* formato = new QWidget(this);
        formato->setGeometry(0, 0, 390, 500);
        marcoPequeno = new QWidget(formato);
        marcoPequeno->setObjectName(QStringLiteral("Frame_Hoja"));
        marcoPequeno->setGeometry(40, 60, 300, 300);
        barraPequena = new QScrollBar(Qt::Horizontal, formato);
        barraPequena->setObjectName(QStringLiteral("Barra_Horitzontal_Hojas"));
        barraPequena->setGeometry(40, 362, 300, 16);
        barraPequena->hide();
        for (int k = 0; k < 6; ++k) {
            piezas[k] = new QLabel(formato);
            piezas[k]->setObjectName(QStringLiteral("lbl_inf_etiqueta"));
            piezas[k]->setProperty("index", k);
            piezas[k]->setGeometry(20 + k * 40, 420, 60, 20);
        }
        diseno = new QWidget(this);
        diseno->setGeometry(390, 0, 774, 426);
        documento = new QWidget(diseno);
        documento->setObjectName(QStringLiteral("dsoFraWord"));
        documento->setGeometry(0, 10, 774, 100);
        marcoGrande = new QWidget(diseno);
        marcoGrande->setObjectName(QStringLiteral("PnlHoja"));
        marcoGrande->setGeometry(10, 150, 300, 200);
        barraGrande = new QScrollBar(Qt::Horizontal, diseno);
        barraGrande->setObjectName(QStringLiteral("Barra_Hoja_Final"));
        barraGrande->setGeometry(10, 352, 300, 16);
        barraGrande->hide();
        lblHoja = new QLabel(diseno);
        lblHoja->setObjectName(QStringLiteral("LblHoja"));
        lblHoja->setGeometry(10, 120, 60, 20);
        vistes.InstalaVistaPrevia(0, {marcoPequeno, barraPequena, nullptr, nullptr, nullptr});
        vistes.InstalaVistaPrevia(1, {marcoGrande, barraGrande, lblHoja, documento, diseno});
    }
    VistesPrevies vistes;
    QWidget* marcoPequeno;
    QScrollBar* barraPequena;
    QWidget* marcoGrande;
    QScrollBar* barraGrande;
    QWidget* documento;
    QWidget* diseno;
    QLabel* lblHoja;
    std::array<QLabel*, 6> piezas{};
};

class VistaUi : public ::testing::Test {
protected:
    Cataleg cat;
    static void SetUpTestSuite()
    {
        QDir().mkpath(kSalida);
        pruebas::CargaLiterales();
        Word_espec::Inicialitzar();
    }

    void SetUp() override
    {
        QString m;
        ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, QStringLiteral(KOVEL_PROGRAM_DIR), m)) << qPrintable(m);
        ventana = std::make_unique<Ventana>(cat);
        ContextoVistaPrevia& c = ventana->vistes.Contexto;
        c = ContextoVistaPrevia{};
        c.carpetaPrograma = QStringLiteral(KOVEL_PROGRAM_DIR);
        c.casellaActual = [this] { return casellaActual; };
        c.casellaBuida = [this](int celda) { return !disenadas.contains(celda); };
        c.posicionEtiqueta = [] { return 3; };
        c.horizontal = [this] { return horizontal; };
        cat.Unidades = 1;
        ventana->show();
    }

    void TearDown() override
    {
        ventana->vistes.Contexto = ContextoVistaPrevia{};
    }

    // Lists the formats of the paper type of `codigo` and selects that one; its catalogue index.
    int Selecciona(std::int32_t codigo)
    {
        int indice = -1;
        for (int i = 0; i < cat.NumEtiquetas && indice < 0; ++i)
            if (cat.Etiquetas[i].Codigo == codigo)
                indice = i;
        EXPECT_GE(indice, 0) << codigo;
        if (indice < 0)
            return -1;
        ModTolvWiz::Llena_ListaEtiquetas(cat, cat.Etiquetas[indice].TipoPapel, 0, 0, 0);
        ModeloEtiquetas& lista = cat.Lista;
        for (int l = 0; l < lista.ListCount(); ++l)
            if (lista.ItemData(l) == indice)
                lista.setListIndex(l);
        EXPECT_EQ(ModTolvWiz::FormatSeleccionat(cat), indice);
        return indice;
    }

    // Draws both previews, checks the catalogue is untouched, and writes their pictures.
    void DibujaAmbas(const QString& nombre)
    {
        const auto etiquetas = cat.Etiquetas;
        const auto extension = cat.EtiquetasExt;
        const auto marcas = cat.EtiquetasMarca;
        ventana->vistes.Dibuja_HojaEtiquetas(0);
        ventana->vistes.Dibuja_HojaEtiquetas(1);
        EXPECT_EQ(cat.Etiquetas, etiquetas) << qPrintable(nombre);
        EXPECT_EQ(cat.EtiquetasExt, extension) << qPrintable(nombre);
        EXPECT_EQ(cat.EtiquetasMarca, marcas) << qPrintable(nombre);
        EXPECT_TRUE(ventana->vistes.PctHoja(0)->imagen().save(kSalida + QStringLiteral("/%1-small.png").arg(nombre)));
        EXPECT_TRUE(ventana->vistes.PctHoja(1)->imagen().save(kSalida + QStringLiteral("/%1-large.png").arg(nombre)));
        EXPECT_TRUE(ventana->grab().save(kSalida + QStringLiteral("/%1-window.png").arg(nombre)));
    }

    static QRgb Centro(const PctHoja* p, const CajaEtiqueta& k)
    {
        return p->imagen().pixel(int((k.x1 + k.x2) / 2), int((k.y1 + k.y2) / 2)) & 0xFFFFFF;
    }

    std::unique_ptr<Ventana> ventana;
    int casellaActual = -1;
    QSet<int> disenadas;
    bool horizontal = false;   // the orientation the window has chosen
};

} // namespace

TEST_F(VistaUi, RectangularA4SheetWithCurrentAndDesignedCells)
{
    const int i = Selecciona(803);
    casellaActual = 4;
    disenadas = {7};
    DibujaAmbas(QStringLiteral("a4-803"));
    const PctHoja* pequena = ventana->vistes.PctHoja(0);
    const PctHoja* grande = ventana->vistes.PctHoja(1);
    EXPECT_FALSE(pequena->muestraImagen());
    const GeometriaHoja& g = grande->geometria();
    ASSERT_EQ(g.etiquetas.size(), 21);
    for (const CajaEtiqueta& k : g.etiquetas) {
        const QRgb esperado = k.celda == 4 ? 0x000000 : k.celda == 7 ? 0xF0F0F0 : 0xFFFFFF;
        EXPECT_EQ(Centro(grande, k), esperado) << k.celda;
        EXPECT_EQ(Centro(pequena, pequena->geometria().etiquetas[k.columna * 7 + k.fila]), 0xFFFFFFu);
    }
    // The sheet is the box: 21 cm at 7.56 px/cm and a little margin.
    EXPECT_NEAR(grande->width(), 21 * 7.56 + 85 / 15.0, 1);
    EXPECT_EQ(pequena->imagen().pixel(1, 1) & 0xFFFFFF, 0xE7E1DEu) << "the small sheet's own colour";
    EXPECT_EQ(ventana->lblHoja->text(), QStringLiteral("3"));
    EXPECT_EQ(ventana->marcoPequeno->width(), pequena->width());
    EXPECT_EQ(ventana->marcoPequeno->x(), 2900 / 15 - pequena->width() / 2) << "centred on its fixed x";
    EXPECT_FALSE(ventana->barraGrande->isVisible());
    EXPECT_EQ(cat.Etiquetas[i].Codigo, 803);
}

TEST_F(VistaUi, RoundContinuousThermalAndTurnedSheets)
{
    Selecciona(817);
    DibujaAmbas(QStringLiteral("round-817"));
    EXPECT_EQ(ventana->vistes.PctHoja(1)->geometria().etiquetas.size(), 24);

    Selecciona(3103);
    DibujaAmbas(QStringLiteral("continuous-3103"));
    const QImage continuo = ventana->vistes.PctHoja(1)->imagen();
    // A hole of the left strip: white inside a black ring, 0.5 cm from the edge, every cm.
    EXPECT_EQ(continuo.pixel(4, 8) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(continuo.pixel(2, 8) & 0xFFFFFF, 0x000000u);

    Selecciona(9109);
    DibujaAmbas(QStringLiteral("thermal-9109"));
    EXPECT_TRUE(ventana->vistes.PctHoja(0)->muestraImagen()) << "a roll with a prepared picture";
    const QImage fichero(QStringLiteral(KOVEL_PROGRAM_DIR "/DATA/9109.dat"));
    ASSERT_FALSE(fichero.isNull());
    EXPECT_EQ(ventana->vistes.PctHoja(0)->size(), fichero.size());
    EXPECT_FALSE(ventana->vistes.PctHoja(1)->muestraImagen());
    EXPECT_EQ(ventana->vistes.PctHoja(1)->geometria().etiquetas.size(), 10);

    // Turned by the user: the small preview keeps the catalogue's portrait sheet, the large
    // one lies on its side, and the catalogue keeps the turned record.
    const int i = Selecciona(806);
    ModTolvWiz::GirarFormat(cat);
    horizontal = true;
    const EtiquetaCatalogo girado = cat.Etiquetas[i];
    DibujaAmbas(QStringLiteral("turned-806"));
    EXPECT_EQ(cat.Etiquetas[i], girado);
    EXPECT_LT(ventana->vistes.PctHoja(0)->width(), ventana->vistes.PctHoja(0)->height());
    EXPECT_GT(ventana->vistes.PctHoja(1)->width(), ventana->vistes.PctHoja(1)->height());
    EXPECT_EQ(ventana->vistes.PctHoja(1)->geometria().columnas, 8);
    ModTolvWiz::GirarFormat(cat);
}

TEST_F(VistaUi, FailuresWhileDrawingATurnedFormatLeaveTheCatalogueAsItWas)
{
    // A turned format whose sheet picture is damaged, with a design list that fails.
    QTemporaryDir programa;
    ASSERT_TRUE(QDir(programa.path()).mkpath(QStringLiteral("DATA")));
    pruebas::Escribe(programa.filePath(QStringLiteral("DATA/10101R.dat")), "damaged");
    ventana->vistes.Contexto.carpetaPrograma = programa.path();
    ventana->vistes.Contexto.casellaBuida = [](int) -> bool { throw std::runtime_error("no cells"); };
    ventana->vistes.Contexto.casellaActual = []() -> int { throw std::runtime_error("no current cell"); };
    const int i = Selecciona(10101);
    ModTolvWiz::GirarFormat(cat);
    horizontal = true;
    const auto etiquetas = cat.Etiquetas;
    const auto extension = cat.EtiquetasExt;
    const auto marcas = cat.EtiquetasMarca;
    EXPECT_NO_THROW(ventana->vistes.Dibuja_HojaEtiquetas(0));
    EXPECT_NO_THROW(ventana->vistes.Dibuja_HojaEtiquetas(1));
    EXPECT_EQ(cat.Etiquetas, etiquetas);
    EXPECT_EQ(cat.EtiquetasExt, extension);
    EXPECT_EQ(cat.EtiquetasMarca, marcas);
    EXPECT_FALSE(ventana->vistes.PctHoja(0)->muestraImagen()) << "the damaged picture gives way to the drawing";
    EXPECT_EQ(ventana->vistes.PctHoja(0)->geometria().columnas, 2) << "the small preview as stored";
    EXPECT_TRUE(cat.EtiquetasMarca[i]);
    ModTolvWiz::GirarFormat(cat);
}

TEST_F(VistaUi, ContinuousSheetWiderThanItsFrameScrolls)
{
    // 8 across on a 62 cm strip: wider than 5820 twips in the vertical orientation.
    auto ancho = pruebas::UnFormato(3999, PapelContinuo);
    ancho.etiqueta.Columnas = 8;
    ancho.etiqueta.PasoHorizontal = 7.6f;
    ancho.extension.MargenDerecho = 0;
    pruebas::CargaCatalogo(cat, {ancho});
    Selecciona(3999);
    ventana->vistes.Dibuja_HojaEtiquetas(1);
    EXPECT_GT(ventana->vistes.PctHoja(1)->width(), 5820 / 15);
    EXPECT_TRUE(ventana->barraGrande->isVisible());
    EXPECT_EQ(ventana->barraGrande->value(), 0);
    EXPECT_EQ(ventana->marcoGrande->width(), 5820 / 15);
    EXPECT_EQ(ventana->barraGrande->maximum(), ventana->vistes.PctHoja(1)->width() - 5820 / 15);
    ventana->barraGrande->setValue(20);
    EXPECT_EQ(ventana->vistes.PctHoja(1)->x(), -20);
}

TEST_F(VistaUi, ClickOnALabelOfTheLargePreviewReportsItsCell)
{
    Selecciona(806);
    ventana->vistes.Dibuja_HojaEtiquetas(1);
    PctHoja* grande = ventana->vistes.PctHoja(1);
    QSignalSpy pulsadas(grande, &PctHoja::celdaPulsada);
    const GeometriaHoja& g = grande->geometria();
    const CajaEtiqueta* k = nullptr;
    for (const CajaEtiqueta& c : g.etiquetas)
        if (c.fila == 1 && c.columna == 2)
            k = &c;
    ASSERT_NE(k, nullptr);
    QTest::mouseClick(grande, Qt::LeftButton, {}, QPoint(int((k->x1 + k->x2) / 2), int((k->y1 + k->y2) / 2)));
    ASSERT_EQ(pulsadas.size(), 1);
    EXPECT_EQ(pulsadas[0][0].toInt(), 1);
    EXPECT_EQ(pulsadas[0][1].toInt(), 2);
    EXPECT_EQ(pulsadas[0][2].toInt(), 5);
    QTest::mouseClick(grande, Qt::LeftButton, {}, QPoint(grande->width() - 1, grande->height() - 1));
    EXPECT_EQ(pulsadas.size(), 1) << "outside every label nothing is reported";
}

TEST_F(VistaUi, NoSelectionDrawsNothing)
{
    Selecciona(803);
    ventana->vistes.Dibuja_HojaEtiquetas(0);
    const QImage antes = ventana->vistes.PctHoja(0)->imagen();
    cat.Lista.setListIndex(-1);
    ventana->vistes.Dibuja_HojaEtiquetas(0);
    ventana->vistes.Dibuja_HojaEtiquetas(7);
    EXPECT_EQ(ventana->vistes.PctHoja(0)->imagen(), antes);
}

TEST(LeeImagenHoja, RefusesMissingDamagedAndAbsurdPictures)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_TRUE(LeeImagenHoja(dir.filePath(QStringLiteral("none.dat")), &error).isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("none.dat")));
    pruebas::Escribe(dir.filePath(QStringLiteral("text.dat")), "no picture at all");
    EXPECT_TRUE(LeeImagenHoja(dir.filePath(QStringLiteral("text.dat"))).isNull());
    // A PNG whose header claims 100000 x 100000 pixels is refused from its header alone.
    auto trozo = [](const QByteArray& tipoYDatos) {
        QByteArray t;
        const quint32 n = quint32(tipoYDatos.size() - 4);
        for (int s = 24; s >= 0; s -= 8)
            t += char(n >> s & 0xFF);
        t += tipoYDatos;
        quint32 crc = 0xFFFFFFFFu;
        for (char c : tipoYDatos) {
            crc ^= quint8(c);
            for (int b = 0; b < 8; ++b)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        crc = ~crc;
        for (int s = 24; s >= 0; s -= 8)
            t += char(crc >> s & 0xFF);
        return t;
    };
    const QByteArray png = QByteArray::fromHex("89504E470D0A1A0A")
        + trozo(QByteArray::fromHex("49484452000186A0000186A00806000000")) + trozo("IDAT") + trozo("IEND");
    pruebas::Escribe(dir.filePath(QStringLiteral("huge.dat")), png);
    EXPECT_TRUE(LeeImagenHoja(dir.filePath(QStringLiteral("huge.dat")), &error).isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("too large"))) << qPrintable(error);
    QImage buena(20, 30, QImage::Format_RGB32);
    buena.fill(Qt::red);
    ASSERT_TRUE(buena.save(dir.filePath(QStringLiteral("good.dat")), "PNG"));
    EXPECT_EQ(LeeImagenHoja(dir.filePath(QStringLiteral("good.dat"))).size(), QSize(20, 30));

    // In the preview a damaged picture gives way to the drawing.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("DATA")));
    pruebas::Escribe(dir.filePath(QStringLiteral("DATA/10101.dat")), png);
    auto f = pruebas::UnFormato(10101);
    LienzoPintor l;
    OpcionesVista o;
    const ResultadoVista r = Dibuja_HojaEtiquetas(l, f.etiqueta, f.extension, o, dir.path());
    EXPECT_FALSE(r.imagen);
    EXPECT_EQ(l.Resultado().size(), r.geometria.pixeles);
}

TEST_F(VistaUi, SizeTextUnderThePreviewIsCentred)
{
    const int i = Selecciona(806);
    ModTolvWiz::Muestra_MedidasEtiqueta(cat, ventana.get(), i);
    EXPECT_EQ(ventana->piezas[0]->text(), QStringLiteral("70 x 37 mm"));
    const QLabel* p0 = ventana->piezas[0];
    EXPECT_NEAR(p0->x() + p0->width() / 2.0, 2900 / 15.0, 1.5);
    for (int k = 1; k < 6; ++k)
        EXPECT_TRUE(ventana->piezas[k]->isHidden());
    cat.Unidades = 2;
    ModTolvWiz::Muestra_MedidasEtiqueta(cat, ventana.get(), i);
    int izquierda = 10000, derecha = 0;
    for (const QLabel* p : ventana->piezas) {
        if (p->isHidden())
            continue;
        izquierda = std::min(izquierda, p->x());
        derecha = std::max(derecha, p->x() + p->width());
    }
    EXPECT_NEAR((izquierda + derecha) / 2.0, 2900 / 15.0, 1.5);
    EXPECT_TRUE(ventana->grab().save(kSalida + QStringLiteral("/size-text-inches.png")));
    cat.Unidades = 1;
}

TEST_F(VistaUi, DetailsWindowStepsThroughTheListAndSwitchesUnits)
{
    Selecciona(8102);
    frmOptions f(cat, ventana.get());
    f.show();
    QApplication::processEvents();
    EXPECT_EQ(f.txt_descripcion[0]->text(), QStringLiteral("KOVEL 8102"));
    EXPECT_TRUE(f.txt_descripcion[0]->isVisible());
    EXPECT_FALSE(f.txt_medidas[0]->isVisible());
    EXPECT_TRUE(f.Opt_Inch->isEnabled());
    EXPECT_TRUE(f.txt_medidas[8]->text().endsWith(QStringLiteral("(215,9 x 279,4 mm)")));
    EXPECT_TRUE(f.grab().save(kSalida + QStringLiteral("/details-description.png")));

    EXPECT_TRUE(f.lblTab[0]->valor());
    QTest::mouseClick(f.lblTab[1], Qt::LeftButton);
    EXPECT_EQ(f.TabsDetalls.Selected(), 1);
    EXPECT_TRUE(f.lblTab[1]->valor());
    EXPECT_FALSE(f.lblTab[0]->valor()) << "one tab on at a time";
    EXPECT_EQ(f.TabsDetalls.Count(), 2);
    EXPECT_TRUE(f.txt_medidas[0]->isVisible());
    EXPECT_FALSE(f.txt_descripcion[0]->isVisible());
    EXPECT_TRUE(f.txt_medidas[3]->text().endsWith(QStringLiteral(" mm")));

    QTest::mouseClick(f.Opt_Inch, Qt::LeftButton);
    EXPECT_EQ(cat.Unidades, 2);
    EXPECT_TRUE(f.txt_medidas[3]->text().endsWith(QStringLiteral("\""))) << qPrintable(f.txt_medidas[3]->text());
    EXPECT_TRUE(f.txt_medidas[8]->text().contains(QStringLiteral("8.5 x 10.98")));
    EXPECT_TRUE(ventana->piezas[5]->text().contains(QLatin1Char('"'))) << "the wizard's size text follows at once";
    EXPECT_TRUE(f.grab().save(kSalida + QStringLiteral("/details-measures.png")));

    ModeloEtiquetas& lista = cat.Lista;
    f.cmd_mov_Click(3);
    EXPECT_EQ(lista.ListIndex(), lista.ListCount() - 1);
    f.cmd_mov_Click(2);
    EXPECT_EQ(lista.ListIndex(), lista.ListCount() - 1);
    f.cmd_mov_Click(0);
    EXPECT_EQ(lista.ListIndex(), 0);
    f.cmd_mov_Click(1);
    EXPECT_EQ(lista.ListIndex(), 0);
    EXPECT_EQ(f.txt_descripcion[0]->text(), cat.Etiquetas[lista.ItemData(0)].Referencia.trimmed());
    cat.Unidades = 1;

    // The window in the product's look.
    frmOptions::setAparenca([](frmOptions* o) { KOVEL_espec::Carga_ImagenesOpciones(o); });
    frmOptions amb(cat, ventana.get());
    amb.show();
    QApplication::processEvents();
    EXPECT_TRUE(amb.lblTab[0]->teImatges());
    EXPECT_TRUE(amb.grab().save(kSalida + QStringLiteral("/details-look.png")));
    frmOptions::setAparenca({});
}

TEST_F(VistaUi, DetailsWindowOfEveryFormatInTurn)
{
    // A4 formats show millimetres whatever the unit, and their unit options are unavailable.
    Selecciona(806);
    cat.Unidades = 2;
    frmOptions f(cat, ventana.get());
    f.show();
    EXPECT_TRUE(f.Opt_Inch->isChecked());
    EXPECT_FALSE(f.Opt_Inch->isEnabled());
    EXPECT_TRUE(f.txt_medidas[1]->text().endsWith(QStringLiteral(" mm")));
    EXPECT_EQ(f.lbl_descripcion[2]->text(), ModTraduccion::Literal(5001));
    ModeloEtiquetas& lista = cat.Lista;
    for (int l = 0; l < lista.ListCount(); ++l) {
        f.cmd_mov_Click(2);
        EXPECT_FALSE(f.txt_descripcion[0]->text().isEmpty());
    }
    Selecciona(3103);
    f.hide();
    f.show();
    EXPECT_EQ(f.lbl_descripcion[2]->text(), ModTraduccion::Literal(5002));
    cat.Unidades = 1;
}

TEST_F(VistaUi, DetailsWindowMirroredForRightToLeftText)
{
    Selecciona(806);
    const QString clave = ModReg::ClauProducte + QStringLiteral("JocCaracters");
    frmOptions izquierda(cat);
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clave, QString(), 178);
    frmOptions derecha(cat);
    ModReg::EscriureEnter(ModReg::HKEY_LOCAL_MACHINE, clave, QString(), 0);
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(derecha.txt_medidas[k]->x(), izquierda.lbl_medidas[k]->x()) << k;
        EXPECT_EQ(derecha.lbl_medidas[k]->x(), derecha.txt_medidas[k]->x() + derecha.txt_medidas[k]->width() + 4) << k;
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(derecha.txt_descripcion[k]->x(), derecha.txt_medidas[k / 2]->x()) << k;
        EXPECT_GT(derecha.lbl_descripcion[k]->x(), derecha.txt_descripcion[k]->x()) << k;
    }
    EXPECT_EQ(derecha.layoutDirection(), Qt::RightToLeft);
}

TEST_F(VistaUi, EverySheetPictureOfTheCatalogueLoadsInPlaceOfItsDrawing)
{
    int imagenes = 0;
    for (int i = 0; i < cat.NumEtiquetas; ++i) {
        const EtiquetaCatalogo& e = cat.Etiquetas[i];
        if (!TieneImagenHoja(e.Codigo))
            continue;
        const QString fichero = FicheroImagenHoja(e, cat.EtiquetasExt[i], QStringLiteral(KOVEL_PROGRAM_DIR));
        QString error;
        const QImage imagen = LeeImagenHoja(fichero, &error);
        ASSERT_FALSE(imagen.isNull()) << qPrintable(error);
        OpcionesVista o;
        EXPECT_EQ(imagen.size(), CalculaGeometria(e, cat.EtiquetasExt[i], o).pixeles) << qPrintable(fichero);
        ++imagenes;
    }
    EXPECT_GT(imagenes, 80);
}

TEST(CTab, CountsItsTabsAndStoresAnySelection)
{
    kovel::ui::BotoImatge a, b;
    CTab t;
    t.setSelected(1);
    t.Inicialitza({{&a, &b}});
    EXPECT_EQ(t.Count(), 2);
    EXPECT_EQ(t.Selected(), 1) << "setting up does not touch the selection";
    EXPECT_EQ(t.Mostrada(), -1);
    t.setSelected(7);
    EXPECT_EQ(t.Selected(), 7);
    CTab vacio;
    vacio.Inicialitza({});
    EXPECT_EQ(vacio.Count(), 0);
    EXPECT_EQ(vacio.Selected(), 0);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

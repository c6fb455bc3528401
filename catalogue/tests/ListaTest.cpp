#include "catalogue/tests/Ayudas.h"

#include "catalogue/ListaEtiquetas.h"
#include "catalogue/Unidades.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/MsgBox.h"

#include <QLocale>

using namespace ModTolvWiz;
using pruebas::UnFormato;

namespace {

struct Mensaje {
    QString texto;
    int estilo;
    QString titulo;
};

class Lista : public ::testing::Test {
protected:
    Cataleg cat;
    EstadoListaEtiquetas p;   // the controls around the list
    void SetUp() override
    {
        pruebas::CargaLiterales();
        Word_espec::Inicialitzar();
        QLocale::setDefault(QLocale::c());
        auto ancho = UnFormato(1234, PapelA4, QStringLiteral("Wide"));
        ancho.extension.AnchoCom = 10.5;
        ancho.extension.AltoCom = 3.6;
        auto conSufijo = UnFormato(0, PapelA4, QStringLiteral("Suffixed"));
        conSufijo.etiqueta.Referencia = QStringLiteral("kovel 1234A").leftJustified(15);
        conSufijo.extension.AnchoCom = 6.35;
        auto carta = UnFormato(8161, PapelLetter, QStringLiteral("Letter one"));
        carta.extension.AnchoCom = 6.6675;
        carta.extension.AltoCom = 2.54;
        auto termico = UnFormato(13, PapelTermico, QStringLiteral("Thirteen"));
        pruebas::CargaCatalogo(cat, {UnFormato(815, PapelA4, QStringLiteral("Zeta")), ancho, conSufijo,
                                UnFormato(10177, PapelA4, QStringLiteral("alpha")), carta, termico});
        mensajes.clear();
        respuesta = mod_rvtMsgBox::vbNo;
        mod_rvtMsgBox::setAnswerer([this](const QString& t, std::int16_t s, const QString& ti) {
            mensajes.push_back({t, s, ti});
            return respuesta;
        });
        cat.Unidades = 1;
    }
    void TearDown() override { mod_rvtMsgBox::resetAnswerer(); }

    QStringList Lineas() const
    {
        QStringList l;
        for (int i = 0; i < cat.Lista.ListCount(); ++i)
            l << cat.Lista.List(i);
        return l;
    }
    QList<int> Indices() const
    {
        QList<int> l;
        for (int i = 0; i < cat.Lista.ListCount(); ++i)
            l << cat.Lista.ItemData(i);
        return l;
    }
    int Seleccionado() const { return FormatSeleccionat(cat) < 0 ? -1 : cat.Etiquetas[FormatSeleccionat(cat)].Codigo; }

    std::vector<Mensaje> mensajes;
    std::int16_t respuesta = mod_rvtMsgBox::vbNo;
};

} // namespace

TEST_F(Lista, ThreeOrdersNormaliseReferencesAndKeepItemData)
{
    Llena_ListaEtiquetas(cat, PapelA4, 0, 0, 0);
    EXPECT_EQ(Lineas(), QStringList({"KOVEL 00815 - Zeta", "KOVEL 01234 - Wide", "KOVEL 01234A - Suffixed",
                                     "KOVEL 10177 - alpha"}));
    EXPECT_EQ(Indices(), QList<int>({0, 1, 2, 3}));
    EXPECT_EQ(FormatSeleccionat(cat), -1);

    Llena_ListaEtiquetas(cat, PapelA4, 1, 0, 0);
    EXPECT_EQ(Lineas(), QStringList({"alpha - KOVEL 10177", "Suffixed - KOVEL 1234A", "Wide - KOVEL 1234",
                                     "Zeta - KOVEL 815"}));
    EXPECT_EQ(Indices(), QList<int>({3, 2, 1, 0}));

    Llena_ListaEtiquetas(cat, PapelA4, 2, 0, 0);
    EXPECT_EQ(Lineas().first(), QStringLiteral("  63.5 x   37.0 mm - KOVEL 01234A - Suffixed"));
    EXPECT_EQ(Lineas().last(), QStringLiteral("105.0 x   36.0 mm - KOVEL 01234 - Wide"));

    cat.Unidades = 2;
    Llena_ListaEtiquetas(cat, PapelLetter, 2, 0, 0);
    EXPECT_EQ(Lineas(), QStringList({"  1        x   2 5/8\" - KOVEL 8161 - Letter one"}));

    // With only 3- and 4-digit numbers listed, 815 is written 0815 and sorts first.
    cat.Unidades = 1;
    cat.Etiquetas[3].TipoPapel = PapelA5;
    cat.Etiquetas[2].TipoPapel = PapelA5;
    Llena_ListaEtiquetas(cat, PapelA4, 0, 0, 0);
    EXPECT_EQ(Lineas(), QStringList({"KOVEL 0815 - Zeta", "KOVEL 1234 - Wide"}));

    Llena_ListaEtiquetas(cat, PapelA4, 7, 0, 0);
    EXPECT_EQ(cat.Lista.ListCount(), 0);
    Llena_ListaEtiquetas(cat, PapelContinuo, 0, 0, 0);
    EXPECT_EQ(cat.Lista.ListCount(), 0);
    EXPECT_EQ(FormatSeleccionat(cat), -1);
    EXPECT_EQ(IndexFormat(cat), -1);
}

TEST_F(Lista, SizeFilterAndSelection)
{
    Llena_ListaEtiquetas(cat, PapelA4, 0, 70, 37);
    EXPECT_EQ(Indices(), QList<int>({0, 3}));   // 7.0 x 3.7 cm; the 3.6 cm high one is not
    EXPECT_DOUBLE_EQ(cat.Lista.AnchoFiltro(), 70);
    EXPECT_DOUBLE_EQ(cat.Lista.AltoFiltro(), 37);
    Llena_ListaEtiquetas(cat, PapelA4, 0, 0, 37);
    EXPECT_EQ(Indices(), QList<int>({0, 2, 3}));
    Llena_ListaEtiquetas(cat, PapelA4, 0, 63.5, 0);
    EXPECT_EQ(Indices(), QList<int>({2}));

    Llena_ListaEtiquetas(cat, PapelA4, 0, 0, 0);
    SeleccionarFormat(cat, 2);
    EXPECT_EQ(IndexFormat(cat), 2);
    EXPECT_EQ(FormatSeleccionat(cat), 2);
    SeleccionarFormat(cat, 99);
    EXPECT_EQ(IndexFormat(cat), 0);
    SeleccionarFormat(cat, -1);
    EXPECT_EQ(FormatSeleccionat(cat), -1);
    Llena_ListaEtiquetas(cat, PapelContinuo, 0, 0, 0);
    SeleccionarFormat(cat, 3);
    EXPECT_EQ(IndexFormat(cat), -1);
}

TEST_F(Lista, SearchSelectsConvertsAndComplains)
{
    Llena_ListaEtiquetas(cat, PapelA4, 0, 0, 0);
    Busca_EtiquetaReferencia(cat, QStringLiteral("815"), false);
    EXPECT_EQ(Seleccionado(), 815);
    EXPECT_TRUE(mensajes.empty());

    // "12,6" is 12.6, which rounds to 13: only the thermal format has it, and No keeps all.
    QString texto = QStringLiteral("12,6");
    Busca_EtiquetaReferencia(cat, texto, false);
    EXPECT_EQ(texto, QStringLiteral("12.6"));
    ASSERT_EQ(mensajes.size(), 1u);
    EXPECT_EQ(mensajes[0].estilo, 36);
    EXPECT_EQ(mensajes[0].texto, ModTraduccion::Literal(104, 13, QStringLiteral("Thermal"), QStringLiteral("Thermal")));
    EXPECT_EQ(mensajes[0].titulo, ModTraduccion::Literal(105));
    EXPECT_EQ(Seleccionado(), 815);
    EXPECT_EQ(cat.Lista.ListCount(), 4);

    mensajes.clear();
    Busca_EtiquetaReferencia(cat, QStringLiteral("81a"), false);
    ASSERT_EQ(mensajes.size(), 1u);
    EXPECT_EQ(mensajes[0].texto, ModTraduccion::Literal(102, QStringLiteral("81A")));
    EXPECT_EQ(mensajes[0].estilo, 48);
    EXPECT_EQ(mensajes[0].titulo, ModTraduccion::Literal(103));

    mensajes.clear();
    Busca_EtiquetaReferencia(cat, QStringLiteral("ABC"), false);   // the number 0, which nothing has
    ASSERT_EQ(mensajes.size(), 1u);
    EXPECT_EQ(mensajes[0].texto, ModTraduccion::Literal(102, 0));

    mensajes.clear();
    Busca_EtiquetaReferencia(cat, QStringLiteral("99999999999"), false);  // too large for 32 bits
    ASSERT_EQ(mensajes.size(), 1u);
    EXPECT_EQ(mensajes[0].estilo, 48);

    // 12,5 searches 12 (half to even): unknown.
    mensajes.clear();
    Busca_EtiquetaReferencia(cat, QStringLiteral("12,5"), false);
    ASSERT_EQ(mensajes.size(), 1u);
    EXPECT_EQ(mensajes[0].texto, ModTraduccion::Literal(102, 12));

    // Quiet: a number of another paper type selects the first line, without a word.
    mensajes.clear();
    Busca_EtiquetaReferencia(cat, QStringLiteral("8161"), true);
    EXPECT_TRUE(mensajes.empty());
    EXPECT_EQ(IndexFormat(cat), 0);
}

TEST_F(Lista, SearchSwitchesPaperTypeOnYes)
{
    ModReg::DesarSeleccio(QStringLiteral("TipoPag"), QStringLiteral("0"));
    Llena_ListaEtiquetas(cat, PapelA4, 1, 0, 0);
    respuesta = mod_rvtMsgBox::vbYes;
    // The paper type is its owner's: the search turns it and stores none of its own.
    QList<int> papeles;
    Busca_EtiquetaReferencia(cat, QStringLiteral("8161"), false, 1, [&](int t) { papeles << t; });
    ASSERT_EQ(mensajes.size(), 1u);
    EXPECT_EQ(mensajes[0].texto, ModTraduccion::Literal(104, 8161, QStringLiteral("Letter"), QStringLiteral("Letter")));
    EXPECT_EQ(papeles, QList<int>{PapelLetter});
    EXPECT_EQ(ModReg::LlegirSeleccio(QStringLiteral("TipoPag")), QStringLiteral("0"));
    EXPECT_EQ(Lineas(), QStringList({"Letter one - KOVEL 8161"}));
    EXPECT_EQ(Seleccionado(), 8161);

    // The reference box: Enter searches, digits and control keys pass, letters beep.
    int pitidos = 0, focos = 0;
    p.pitido = [&] { ++pitidos; };
    p.focoLista = [&] { ++focos; };
    p.cambioPapel = [&](int t) { papeles << t; };
    p.txtReferencia = QStringLiteral("13");
    mensajes.clear();
    std::int16_t tecla = 13;
    Filtra_TeclaReferencia(cat, p, tecla);
    EXPECT_EQ(tecla, 0);
    EXPECT_EQ(Seleccionado(), 13);
    EXPECT_EQ(papeles, (QList<int>{PapelLetter, PapelTermico}));
    EXPECT_EQ(focos, 1);
    EXPECT_EQ(p.txtReferencia, QStringLiteral("13"));
    for (std::int16_t t : {std::int16_t(8), std::int16_t('0'), std::int16_t('9')}) {
        tecla = t;
        Filtra_TeclaReferencia(cat, p, tecla);
        EXPECT_EQ(tecla, t);
    }
    tecla = 'A';
    Filtra_TeclaReferencia(cat, p, tecla);
    EXPECT_EQ(tecla, 0);
    EXPECT_EQ(pitidos, 1);

    p.txtReferencia.clear();
    Buscar_Referencia(cat, p);
    EXPECT_EQ(focos, 1);
    p.txtReferencia = QStringLiteral("815");
    Selecciona_TextoReferencia(p);
    EXPECT_EQ(p.txtReferenciaSelLength, 3);
}

TEST_F(Lista, OrderCompletionAndSizeFilter)
{
    // Type-ahead completion of the sort box re-sorts and keeps the selected line.
    int papel = PapelA4;
    p.cboOrdenar.entradas = {"Reference", "Description", "Size"};
    Llena_ListaEtiquetas(cat, PapelA4, 0, 0, 0);
    SeleccionarFormat(cat, 1);
    const int elegido = FormatSeleccionat(cat);
    p.cboOrdenar.texto = QStringLiteral("des");
    EXPECT_TRUE(Autocompleta_Orden(cat, p, papel));
    EXPECT_EQ(p.cboOrdenar.listIndex, 1);
    EXPECT_EQ(p.cboOrdenar.texto, QStringLiteral("Description"));
    EXPECT_EQ(p.cboOrdenar.selStart, 3);
    EXPECT_EQ(p.cboOrdenar.selLength, 8);
    EXPECT_EQ(p.optOrden, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(cat.Lista.List(0), QStringLiteral("alpha - KOVEL 10177"));
    // The same format, not the same position, stays selected after the re-sort.
    EXPECT_EQ(FormatSeleccionat(cat), elegido);
    EXPECT_NE(IndexFormat(cat), 1);
    EXPECT_FALSE(p.OrdenEnCurso);
    p.cboOrdenar.listIndex = -1;
    p.cboOrdenar.texto = QStringLiteral("xyz");
    EXPECT_TRUE(Autocompleta_Orden(cat, p, papel));
    EXPECT_EQ(p.cboOrdenar.listIndex, 0);
    EXPECT_EQ(p.optOrden, (std::array<bool, 3>{true, false, false}));
    EstadoListaEtiquetas sinEntradas;
    sinEntradas.cboOrdenar.texto = QStringLiteral("des");
    EXPECT_FALSE(Autocompleta_Orden(cat, sinEntradas, papel));
    EXPECT_EQ(sinEntradas.optOrden, (std::array<bool, 3>{true, false, false}));

    // A nested call while a sort is running only sets the options.
    p.OrdenEnCurso = true;
    Establece_Orden(cat, p, 2, papel);
    EXPECT_EQ(cat.Lista.List(0), QStringLiteral("KOVEL 00815 - Zeta"));
    EXPECT_TRUE(p.optOrden[2]);
    p.OrdenEnCurso = false;
    p.optOrden = {true, false, false};

    // The size box: a whole entry in another case applies it; a partial text does nothing.
    p.cboMides.entradas = {ModTraduccion::Literal(29), "70 x 37 mm", "63.5 x 37 mm"};
    p.MedidasFiltro = {{0, 0}, {70, 37}, {63.5, 37}};
    p.captionBusqueda = QStringLiteral("Search by reference");
    p.cboMides.texto = QStringLiteral("70 x 3");
    Selecciona_Medida(cat, p, papel);
    EXPECT_EQ(cat.Lista.ListCount(), 4);
    p.cboMides.texto = QStringLiteral("70 X 37 MM");
    Selecciona_Medida(cat, p, papel);
    EXPECT_EQ(Indices(), QList<int>({0, 3}));
    EXPECT_EQ(IndexFormat(cat), 0);
    EXPECT_EQ(p.captionBusqueda, QStringLiteral("70 x 37"));
    EXPECT_TRUE(p.captionBusquedaNegrita);
    // A new order keeps the size filter of the list.
    Establece_Orden(cat, p, 1, papel);
    EXPECT_EQ(Indices(), QList<int>({3, 0}));
    Establece_Orden(cat, p, 0, papel);
    p.cboMides.listIndex = 2;   // a second filter in a row must not lose the search caption
    Filtra_PorMedidas(cat, p, papel);
    EXPECT_EQ(p.captionBusqueda, QStringLiteral("63.5 x 37"));
    p.cboMides.listIndex = 0;   // "all sizes"
    Filtra_PorMedidas(cat, p, papel);
    EXPECT_EQ(p.captionBusqueda, QStringLiteral("Search by reference"));
    EXPECT_FALSE(p.captionBusquedaNegrita);
    EXPECT_EQ(p.cboMides.listIndex, -1);
    EXPECT_EQ(p.cboMides.texto, QString());
    EXPECT_EQ(cat.Lista.ListCount(), 4);

    // The size box is filled from the catalogue: every size of the paper type once, and each
    // entry lists the formats of that size.
    Llena_MedidasFiltro(cat, p, PapelA4);
    EXPECT_EQ(p.cboMides.entradas, QStringList({ModTraduccion::Literal(29), "63.5 x 37 mm", "70 x 37 mm", "105 x 36 mm"}));
    ASSERT_EQ(p.MedidasFiltro.size(), 4);
    EXPECT_EQ(p.MedidasFiltro[0], qMakePair(0.0, 0.0));
    p.cboMides.listIndex = 3;
    Selecciona_Medida(cat, p, papel);
    EXPECT_EQ(Indices(), QList<int>({1}));
    EXPECT_EQ(p.captionBusqueda, QStringLiteral("105 x 36"));
    papel = PapelLetter;
    Llena_MedidasFiltro(cat, p, PapelLetter);   // 6.6675 x 2.54 cm
    EXPECT_EQ(p.cboMides.entradas, QStringList({ModTraduccion::Literal(29), "66.7 x 25.4 mm"}));
    EXPECT_EQ(p.cboMides.listIndex, -1);
    p.cboMides.texto = QStringLiteral("66.7 X 25.4 MM");
    Selecciona_Medida(cat, p, papel);
    EXPECT_EQ(Indices(), QList<int>({4}));
    EXPECT_EQ(p.captionBusqueda, QStringLiteral("66.7 x 25.4"));
}

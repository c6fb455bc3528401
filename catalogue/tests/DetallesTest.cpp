#include "catalogue/tests/Ayudas.h"

#include "catalogue/Detalles.h"

#include <QLocale>

using namespace kovel::catalogue;
using pruebas::UnFormato;

namespace {

const std::array<QString, 5> kPapeles{QStringLiteral("A4"), QStringLiteral("Continuous"), QStringLiteral("Letter"),
                                      QStringLiteral("A5"), QStringLiteral("Thermal")};

class Detalles : public ::testing::Test {
protected:
    Cataleg cat;
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        auto continuo = UnFormato(3103, PapelContinuo, QStringLiteral("Continuous (LC)"));
        continuo.etiqueta.Columnas = 3;
        continuo.etiqueta.PasoHorizontal = 9.652f;
        continuo.etiqueta.MargenIzquierdo = 1.143f;
        continuo.etiqueta.Filas = 8;
        continuo.etiqueta.PasoVertical = 3.81f;
        continuo.etiqueta.MargenSuperior = 0.12f;
        auto carta = UnFormato(8102, PapelLetter, QStringLiteral("Letter II (ILC)"));
        carta.etiqueta.MargenSuperior = 1.27f;
        auto termico = UnFormato(9109, PapelTermico, QStringLiteral("Roll (T)"));
        auto raro = UnFormato(77, 9);
        pruebas::CargaCatalogo(cat, {UnFormato(806, PapelA4, QStringLiteral("Sheet (M)")), continuo, carta, termico,
                                UnFormato(5101, PapelA5), raro});
    }
};

} // namespace

TEST_F(Detalles, SheetsAlwaysInMillimetres)
{
    for (bool pulgadas : {false, true}) {
        const DetallesFormato a4 = CalculaDetalles(cat, 0, pulgadas, kPapeles);
        EXPECT_EQ(a4.descripcion[0], QStringLiteral("KOVEL 806"));
        EXPECT_EQ(a4.descripcion[1], QStringLiteral("Sheet (M)"));
        EXPECT_EQ(a4.papel.value(), QStringLiteral("A4 (210 x 297 mm)"));
        EXPECT_EQ(a4.medidas[0], QStringLiteral("0.5 mm"));
        EXPECT_EQ(a4.medidas[1], QStringLiteral("37 mm"));
        EXPECT_EQ(a4.medidas[3], QStringLiteral("70 mm"));
        EXPECT_EQ(a4.medidas[6], QStringLiteral("3"));
        EXPECT_EQ(a4.medidas[7], QStringLiteral("8"));
        EXPECT_FALSE(a4.unidadesDisponibles);
        EXPECT_EQ(a4.usos, (std::array<bool, 6>{false, false, false, false, false, true}));
        EXPECT_EQ(CalculaDetalles(cat, 4, pulgadas, kPapeles).papel.value(), QStringLiteral("A5 (148 x 210 mm)"));
        const DetallesFormato c = CalculaDetalles(cat, 1, pulgadas, kPapeles);
        EXPECT_EQ(c.papel.value(), QStringLiteral("Continuous (312.42 x 307.2 mm)"));
        EXPECT_EQ(c.usos, (std::array<bool, 6>{false, true, true, false, false, false}));
    }
}

TEST_F(Detalles, LetterAndThermalFollowTheUnit)
{
    const DetallesFormato mm = CalculaDetalles(cat, 2, false, kPapeles);
    EXPECT_EQ(mm.papel.value(), QStringLiteral("Letter (215,9 x 279,4 mm)"));
    EXPECT_TRUE(mm.unidadesDisponibles);
    const DetallesFormato in = CalculaDetalles(cat, 2, true, kPapeles);
    EXPECT_EQ(in.papel.value(), QStringLiteral("Letter (8.5 x 10.98 \" )"));
    EXPECT_EQ(in.medidas[0], QStringLiteral("0.5 \""));
    EXPECT_EQ(in.medidas[3], QStringLiteral("2.76 \""));
    EXPECT_EQ(in.usos, (std::array<bool, 6>{true, true, true, false, false, false}));

    const DetallesFormato t = CalculaDetalles(cat, 3, true, kPapeles);
    EXPECT_TRUE(t.papel->endsWith(QStringLiteral(" mm)"))) << "the roll's size stays in millimetres";
    EXPECT_TRUE(t.medidas[1].endsWith(QStringLiteral("\""))) << "its measures take the unit";
    EXPECT_FALSE(t.unidadesDisponibles);
    EXPECT_EQ(t.usos, (std::array<bool, 6>{false, false, false, true, false, false}));
}

TEST_F(Detalles, UnknownPaperAndMissingFormat)
{
    EXPECT_FALSE(CalculaDetalles(cat, 5, false, kPapeles).papel.has_value());
    const DetallesFormato nada = CalculaDetalles(cat, -1, false, kPapeles);
    EXPECT_TRUE(nada.descripcion[0].isEmpty());
    EXPECT_TRUE(CalculaDetalles(cat, 99, false, kPapeles).medidas[0].isEmpty());
    EXPECT_EQ(UsosDeDescripcion(QStringLiteral("x (lc) and (I)")), (std::array<bool, 6>{false, true, true, false, false, false}));
    EXPECT_EQ(UsosDeDescripcion(QStringLiteral("nothing")), (std::array<bool, 6>{}));
}

#include "catalogue/tests/Ayudas.h"

#include "catalogue/ListaEtiquetas.h"
#include "catalogue/Unidades.h"

using namespace ModTolvWiz;

TEST(Unidades, RoundingIsHalfToEvenOnTheStoredValue)
{
    EXPECT_FLOAT_EQ(Redondea(2.5f, 0), 2.0f);
    EXPECT_FLOAT_EQ(Redondea(3.5f, 0), 4.0f);
    EXPECT_FLOAT_EQ(Redondea(-2.5f, 0), -2.0f);
    EXPECT_FLOAT_EQ(Redondea(25.45f, 1), 25.5f);   // 25.45 is slightly above in single precision
    EXPECT_FLOAT_EQ(Redondea(0.125f, 2), 0.12f);
    EXPECT_FLOAT_EQ(Redondea(3e9f, 0), 0.0f);      // beyond 32 bits
    EXPECT_FLOAT_EQ(Redondea(1.0f, 10), 0.0f);
    EXPECT_FLOAT_EQ(Redondea(std::numeric_limits<float>::quiet_NaN(), 1), 0.0f);

    EXPECT_NEAR(CmAPulgadas(7), 2.76, 1e-6);
    EXPECT_NEAR(CmAPulgadas(3.7), 1.46, 1e-6);
    EXPECT_NEAR(CmAPulgadas(2.54), 1.0, 1e-6);     // 0.999998 rounds to 1.00
}

TEST(Unidades, FractionsByMidpointsWithCarry)
{
    struct Caso {
        double f;
        const char* texto;
        bool acarreo;
    };
    const Caso casos[] = {
        {0.0, "", false},       {0.06, "", false},      {0.0625, "1/8", false}, {0.1458, "1/8", false},
        {0.146, "1/6", false},  {0.25, "1/4", false},   {0.33, "1/3", false},   {0.5625, "5/8", false},
        {0.5624, "1/2", false}, {0.7, "2/3", false},    {0.76, "3/4", false},   {0.8, "5/6", false},
        {0.9, "7/8", false},    {0.9375, "", true},     {0.95, "", true},
    };
    for (const Caso& c : casos) {
        bool acarreo = !c.acarreo;
        EXPECT_EQ(QuebradoPulgada(c.f, acarreo), QLatin1String(c.texto)) << c.f;
        EXPECT_EQ(acarreo, c.acarreo) << c.f;
    }
}

TEST(Unidades, OneLineInchTextHeightFirstWithCarry)
{
    // 7 x 3.7 cm = 2.76 x 1.46 in.
    EXPECT_EQ(TextoPulgadas(2.76, 1.46), QStringLiteral("  1 1/2 x   2 3/4\""));
    // 2.95 in carries to 3 with no fraction; 0.5 in wide has a whole part of 0.
    EXPECT_EQ(TextoPulgadas(2.95, 1.0), QStringLiteral("  1        x   3\"      "));
    EXPECT_EQ(TextoPulgadas(2.95, 1.5), QStringLiteral("  1 1/2 x   3\"       "));
    EXPECT_EQ(TextoPulgadas(0.5, 10.0), QStringLiteral("10        x   0 1/2\""));
}

TEST(Unidades, SizeTextPiecesInMillimetresAndInches)
{
    Cataleg cat;
    pruebas::CargaCatalogo(cat, {pruebas::UnFormato(1)});
    auto estrecho = pruebas::UnFormato(2);
    estrecho.extension.AnchoCom = 1.5;    // 0.59 in: no whole inches
    estrecho.extension.AltoCom = 2.545;
    pruebas::CargaCatalogo(cat, {pruebas::UnFormato(1), estrecho});
    Llena_ListaEtiquetas(cat, PapelA4, 0, 0, 0);

    TextoMedidas t;
    t.pieza[0].left = 1000;
    t.pieza[0].top = 500;
    t.anchoDe = [](const QString& s) { return int(s.size()) * 100; };

    // No selection: nothing changes.
    cat.Lista.setListIndex(-1);
    cat.Unidades = 1;
    Muestra_MedidasEtiqueta(cat, 0, t);
    EXPECT_EQ(t.pieza[0].caption, QString());

    SeleccionarFormat(cat, 0);
    Muestra_MedidasEtiqueta(cat, 0, t);
    EXPECT_EQ(t.pieza[0].caption, QStringLiteral("70 x 37 mm"));
    EXPECT_FALSE(t.pieza[3].visible);
    EXPECT_EQ(t.pieza[0].left, 2900 - 1000 / 2);
    Muestra_MedidasEtiqueta(cat, 1, t);
    EXPECT_EQ(t.pieza[0].caption, QStringLiteral("15 x 25.5 mm"));  // 25.45 mm is a little above the half in single precision: up

    cat.Unidades = 2;
    Muestra_MedidasEtiqueta(cat, 0, t);
    EXPECT_EQ(t.pieza[0].caption, QStringLiteral("  2"));
    EXPECT_EQ(t.pieza[1].caption, QStringLiteral("3/4"));
    EXPECT_EQ(t.pieza[2].caption, QStringLiteral(" \" x "));
    EXPECT_EQ(t.pieza[3].caption, QStringLiteral("  1"));
    EXPECT_EQ(t.pieza[4].caption, QStringLiteral("1/2"));
    EXPECT_EQ(t.pieza[5].caption, QStringLiteral(" \""));
    for (int i = 1; i < 6; ++i) {
        EXPECT_EQ(t.pieza[i].left, t.pieza[i - 1].left + t.pieza[i - 1].width) << i;
        EXPECT_EQ(t.pieza[i].top, t.pieza[0].top);
    }
    const int total = t.pieza[5].left + t.pieza[5].width - t.pieza[0].left;
    EXPECT_EQ(t.pieza[0].left, 2900 - total / 2);

    // A label narrower than 15/16 in leaves the whole width empty; its fraction sits lower.
    Muestra_MedidasEtiqueta(cat, 1, t);
    EXPECT_EQ(t.pieza[0].caption, QString());
    EXPECT_EQ(t.pieza[1].caption, QStringLiteral("5/8"));
    EXPECT_EQ(t.pieza[1].top, t.pieza[0].top + 30);
    EXPECT_EQ(t.pieza[1].left, t.pieza[0].left);   // the empty piece is 0 wide here
    EXPECT_TRUE(t.pieza[1].visible);

    cat.Unidades = 7;   // not a unit: nothing changes
    const auto antes = t.pieza;
    Muestra_MedidasEtiqueta(cat, 0, t);
    EXPECT_EQ(t.pieza, antes);
    cat.Unidades = 1;
}

// The generator remakes the field-linked codes for every record: a value that a code
// cannot hold leaves its place empty, the generation goes on, and the collector has it.
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/ValorsNoCodificats.h"
#include "common/Fitxers.h"
#include "documents/CodisPrograma.h"
#include "documents/generar_doc.h"
#include "platform/barcode/tests/Lector.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

struct Registres : generar_doc::RegistresDades {
    std::map<QString, QString> valors;
    bool eof() const override { return false; }
    void moveFirst() override {}
    void moveLast() override {}
    void moveNext() override {}
    std::int32_t recordCount() const override { return 1; }
    QString contingutCamp(const QString& camp) override { return valors[camp]; }
};

QString Llegit(const kovel::word::InlinePicture* p)
{
    QImage img;
    img.loadFromData(p->png(), "PNG");
    const auto r = kovel::proves::Llegir(img);
    return r.ok ? r.text : QStringLiteral("<not read>");
}

TEST(Generacio, UnValorNoCodificableDeixaElLlocBuitIEsComptaUnCop)
{
    QTemporaryDir dir;
    CarpetaDades = dir.path() + QLatin1Char('/');
    ClonsBarres.clear();
    EtiquetesBarres.clear();
    ClonsQR.clear();
    EtiquetesQR.clear();
    PlantillesQR.clear();
    ComptadorPlantillesQR = 0;
    PrefixDadesQR.clear();

    auto disseny = kovel::word::Document::create();
    float h = 0, w = 0;
    kovel::barcode::ActiveBC bc;
    bc.setBarText(QStringLiteral("590123412345"));
    auto& clonBarres = CodiBarres::RegistrarClon(bc, QStringLiteral("EAN"));
    ASSERT_TRUE(CodiBarres::InserirImatgeCodi(disseny->selection(), bc.Tag(), clonBarres, {}, h, w, {}));
    kovel::qr::QRCodeCtrl qr;
    qr.setDataToEncode(QStringLiteral("123"));
    qr.setEncodingMode(kovel::qr::ModeNumeric);
    auto& clonQR = CodiQR::RegistrarClon(qr, QStringLiteral("Num"));
    ASSERT_TRUE(CodiQR::InserirImatgeQR(disseny->selection(), qr.Tag(), clonQR, QStringLiteral("Num"), h, w, {}));
    kovel::qr::QRCodeCtrl text;
    text.setDataToEncode(QStringLiteral("x"));
    auto& clonText = CodiQR::RegistrarClon(text, QStringLiteral("Nom"));
    ASSERT_TRUE(CodiQR::InserirImatgeQR(disseny->selection(), text.Tag(), clonText, QStringLiteral("Nom"), h, w, {}));
    ASSERT_EQ(disseny->inlinePictures().size(), 3u);

    generar_doc::CodisPrograma codis;
    auto& nc = kovel::codes::NoCodificats();
    nc.Comencar();
    Registres r;
    for (int record = 1; record <= 3; ++record) {
        r.valors = {{QStringLiteral("EAN"), record == 2 ? QStringLiteral("ABC") : QStringLiteral("400638133393")},
                    {QStringLiteral("Num"), record == 3 ? QStringLiteral("12x") : QStringLiteral("42")},
                    {QStringLiteral("Nom"), QStringLiteral("Jos\u00e9 %1").arg(record)}};
        nc.EstablirRegistre(record);
        auto copia = disseny->clone();
        generar_doc::ValorsRegistre v;
        v.registres = &r;
        ASSERT_NO_THROW(generar_doc::ReemplacaMarcadors(*copia, v, &codis)) << record;
        const auto pics = copia->inlinePictures();
        // Every place with an encodable value holds its code; the others are empty.
        QStringList alts;
        for (auto* p : pics) alts << p->alternativeText();
        if (record == 1) {
            ASSERT_EQ(pics.size(), 3u);
            EXPECT_EQ(Llegit(pics[0]), QStringLiteral("4006381333931"));
            EXPECT_EQ(Llegit(pics[1]), QStringLiteral("42"));
        } else {
            EXPECT_EQ(pics.size(), 2u) << alts.join(',').toStdString();
        }
        EXPECT_EQ(Llegit(pics.back()), QStringLiteral("Jos\u00e9 %1").arg(record));
    }
    EXPECT_EQ(nc.Nombre(), 2);
    ASSERT_EQ(nc.Primers().size(), 2);
    EXPECT_EQ(nc.Primers()[0].registre, 2);
    EXPECT_EQ(nc.Primers()[0].camp, QStringLiteral("EAN"));
    EXPECT_EQ(nc.Primers()[1].registre, 3);
    EXPECT_TRUE(nc.Resum().contains(QStringLiteral("2, 3")));
}

} // namespace

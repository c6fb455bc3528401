// Field-linked barcodes and QR codes remade for every record: each label's picture reads
// back, with an independent reader, as that record's value.
#include "documents/CodisPrograma.h"
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"

#include "catalogue/Catalogo.h"
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "common/MsgBox.h"
#include "codes/tests/LectorEmf.h"
#include "platform/barcode/tests/Lector.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

using namespace generar_doc;
using namespace kovel::word;

namespace {

struct Opcions : OpcionsGeneracio {
    FullDades* full = nullptr;
    Document* disseny = nullptr;
    CodisPrograma codisPrograma;
    QString dades;
    QString programaOffice() const override { return QStringLiteral("Excel"); }
    std::int16_t formatSeleccionat() const override { return 0; }
    bool horitzontal() const override { return false; }
    bool unaEtiquetaPerRegistre() const override { return true; }
    QString textFilaInicial() const override { return "1"; }
    QString textFilaFinal() const override { return "3"; }
    FullDades* fullDades() override { return full; }
    Document* dissenyAllotjat() override { return disseny; }
    CodisGeneracio* codis() override { return &codisPrograma; }
    QString carpetaPrograma() const override { return dades + "program"; }
    QString carpetaDades() const override { return dades; }
};

QString Llegit(const InlinePicture* p)
{
    QImage img;
    img = kovel::proves::ImatgeDe(p->png());
    return kovel::proves::Llegir(img).text;
}

} // namespace

TEST(DocumentsCodis, EveryLabelReadsAsItsRecord)
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
    EtiquetaCatalogo e;
    e.Codigo = 3;
    e.Ancho = 6; e.Alto = 4; e.PasoHorizontal = 6; e.PasoVertical = 4;
    e.Filas = 2; e.Columnas = 2;
    proves::CatalegDe({e});
    mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });

    // The code dialogs' work: one barcode linked to column A, one QR code to column B, one
    // contact card whose name comes from column B.
    kovel::barcode::ActiveBC barres;
    barres.setBarType(kovel::barcode::Code128);
    barres.setBarText("0");
    CodiBarres::RegistrarClon(barres, "A");
    kovel::qr::QRCodeCtrl qr;
    qr.setDataToEncode("x");
    CodiQR::RegistrarClon(qr, "B");
    CodiQR::RegistrarClonPlantilla(qr, CodiQR::PlantillaVCard("B", "A", "", "", ""), true);

    auto disseny = Document::create();
    for (const QString& alt : {QStringLiteral("TOLV_barres_1_A"), QStringLiteral("TOLV_qr_1_B"), QStringLiteral("TOLV_qr_2_0")}) {
        Range r = disseny->content();
        r.collapse(Collapse::End);
        InlinePicture p = InlinePicture::fromImage(QImage(8, 8, QImage::Format_RGB32));
        p.setAlternativeText(alt);
        r.insertPicture(p);
    }
    FullMemoria full({QStringList{"A-1001", "Ana; Vic"}, QStringList{"B-2002", "Biel"}, QStringList{"", "Cesc"}});
    Opcions o;
    o.full = &full;
    o.disseny = disseny.get();
    o.dades = dir.path() + "/";
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);

    auto pics = [&](int r, int c) {
        std::vector<const InlinePicture*> v;
        for (const Block& b : doc->table(0).cell(r, c).story.blocks)
            if (b.isParagraph())
                for (const Inline& i : b.paragraph().items)
                    if (auto* p = std::get_if<InlinePicture>(&i))
                        v.push_back(p);
        return v;
    };
    auto l1 = pics(0, 0);
    ASSERT_EQ(l1.size(), size_t(3));
    EXPECT_EQ(l1[0]->alternativeText(), "TOLV_barcode_A");
    EXPECT_EQ(Llegit(l1[0]), "A-1001");
    EXPECT_EQ(l1[1]->alternativeText(), "TOLV_QR_B");
    EXPECT_EQ(Llegit(l1[1]), "Ana; Vic");
    const QString card = Llegit(l1[2]);   // the card's values are escaped
    EXPECT_TRUE(card.startsWith("MECARD:N:Ana\\; Vic;TEL:A-1001;")) << qPrintable(card);
    auto l2 = pics(0, 1);
    ASSERT_EQ(l2.size(), size_t(3));
    EXPECT_EQ(Llegit(l2[0]), "B-2002");
    EXPECT_EQ(Llegit(l2[1]), "Biel");
    auto l3 = pics(1, 0);   // an empty cell: no barcode, the QR codes still made
    ASSERT_EQ(l3.size(), size_t(2));
    EXPECT_EQ(Llegit(l3[0]), "Cesc");
    mod_rvtMsgBox::resetAnswerer();
}

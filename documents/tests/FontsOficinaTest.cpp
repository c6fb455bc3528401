// Generation from the real sources: a spreadsheet file through the spreadsheet source and
// its clipboard hand-over, and a database file through the database source.
#include "documents/FontsOficina.h"
#include "documents/generar_doc.h"
#include "documents/tests/CatalegProva.h"

#include "catalogue/Catalogo.h"
#include "common/MsgBox.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <sqlite3.h>

using namespace generar_doc;
using namespace kovel::word;

namespace {

struct Opcions : proves::OpcionsAmbCataleg {
    using OpcionsAmbCataleg::OpcionsAmbCataleg;
    QString host;
    FullDades* full = nullptr;
    ClsAccess* access = nullptr;
    Document* disseny = nullptr;
    QString dades;
    QString programaOffice() const override { return host; }
    std::int16_t formatSeleccionat() const override { return 0; }
    bool horitzontal() const override { return false; }
    bool unaEtiquetaPerRegistre() const override { return true; }
    QString textFilaInicial() const override { return "2"; }
    QString textFilaFinal() const override { return "4"; }
    FullDades* fullDades() override { return full; }
    std::unique_ptr<RegistresDades> obreRegistres() override { return ObreRegistres(*access, "clients"); }
    Document* dissenyAllotjat() override { return disseny; }
    QString carpetaPrograma() const override { return dades + "program"; }
    QString carpetaDades() const override { return dades; }
};

std::unique_ptr<Document> Disseny(const QString& camp)
{
    auto d = Document::create();
    InlinePicture p = InlinePicture::fromImage(QImage(8, 8, QImage::Format_RGB32));
    p.setAlternativeText("TOLV_camp" + camp);
    d->content().insertPicture(p);
    return d;
}

QString Text(const Cell& c)
{
    QString t = c.story.text();
    while (t.endsWith('\r') || t.endsWith('\a'))
        t.chop(1);
    return t;
}

class FontsOficinaTest : public ::testing::Test {
protected:
    Cataleg cat;
    QTemporaryDir dir;
    void SetUp() override
    {
        EtiquetaCatalogo e;
        e.Codigo = 9;
        e.Ancho = 5; e.Alto = 2; e.PasoHorizontal = 5; e.PasoVertical = 2;
        e.Filas = 2; e.Columnas = 2;
        proves::CatalegDe(cat, {e});
        mod_rvtMsgBox::setAnswerer([](const QString&, std::int16_t, const QString&) { return std::int16_t(2); });
    }
    void TearDown() override { mod_rvtMsgBox::resetAnswerer(); }
};

} // namespace

TEST_F(FontsOficinaTest, SpreadsheetRowsThroughTheClipboard)
{
    const QString csv = dir.filePath("clients.csv");
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Name,City\nAna,Vic\nBiel,\nCesc,Olot\n");
    f.close();
    ClsExcel excel;
    auto app = std::make_unique<kovel::excel::Application>();
    QString error;
    ASSERT_TRUE(app->Open(csv, error)) << qPrintable(error);
    excel.setObjApp(std::move(app));
    auto full = FullSeleccionat(excel, 1);
    EXPECT_THROW(FullSeleccionat(excel, 2), GeneracioError);

    auto disseny = Disseny("B");
    Opcions o{cat};
    o.host = "Excel";
    o.full = full.get();
    o.disseny = disseny.get();
    o.dades = dir.path() + "/";
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    EXPECT_EQ(Text(doc->table(0).cell(0, 0)), "Vic");   // no line break after the value
    EXPECT_EQ(Text(doc->table(0).cell(0, 1)), "");      // an empty cell leaves nothing
    EXPECT_EQ(Text(doc->table(0).cell(1, 0)), "Olot");
}

TEST_F(FontsOficinaTest, DatabaseRecordsInOrder)
{
    const QString cami = dir.filePath("clients.sqlite");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(cami.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE clients(Nom TEXT, Lot INTEGER);"
                               "INSERT INTO clients VALUES('Ana',1),('Biel',NULL),('Cesc',3),('Dani',4),('Eva',5);",
                           nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    ClsAccess access;
    auto app = std::make_unique<kovel::access::Application>();
    QString error;
    ASSERT_TRUE(app->OpenCurrentDatabase(cami, error)) << qPrintable(error);
    access.setObjApp(std::move(app));

    auto disseny = Disseny("Nom");
    Opcions o{cat};
    o.host = "Access";
    o.access = &access;
    o.disseny = disseny.get();
    o.dades = dir.path() + "/";
    auto doc = GeneraDocument(0, o);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->tableCount(), 2);
    EXPECT_EQ(Text(doc->table(0).cell(0, 0)), "Ana");
    EXPECT_EQ(Text(doc->table(0).cell(1, 1)), "Dani");
    EXPECT_EQ(Text(doc->table(1).cell(0, 0)), "Eva");

    ClsAccess buit;
    EXPECT_THROW(ObreRegistres(buit, "clients"), GeneracioError);
}

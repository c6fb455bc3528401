// Saved designs on the wizard's state: three designs saved in one run open in the next one
// by their list row and generate the same labels; the name question; a damaged store.
#include "wizard/Guardats.h"
#include "wizard/panels/PasDisseny.h"
#include "wizard/panels/PasEtiqueta.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasGuardats.h"
#include "wizard/panels/PasOrigen.h"
#include "wizard/panels/PasPaper.h"

#include "catalogue/Catalogo.h"
#include "catalogue/Cataleg.h"
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/RegistreCodis.h"
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "documents/CodisDesatsPrograma.h"
#include "documents/CodisPrograma.h"
#include "documents/FontDades.h"
#include "documents/generar_doc.h"
#include "platform/files/EscripturaAtomica.h"
#include "platform/word/Document.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <functional>

using namespace kovel::wizard;
using kovel::word::Document;

namespace {

// A field placeholder put at the end of the design, on a line of its own, as the design
// frame would put it at the user's selection.
void InsereixCamp(kovel::wizard::EstatAssistent& e, const QString& camp)
{
    kovel::word::Document* d = e.dissenyAllotjat();
    ASSERT_NE(d, nullptr);
    QImage imatge(96, 16, QImage::Format_RGB32);
    imatge.fill(QColor(0xE0, 0xE8, 0xF0));
    kovel::word::InlinePicture p = kovel::word::InlinePicture::fromImage(imatge);
    p.setAlternativeText(QStringLiteral("TOLV_camp") + camp);
    kovel::word::Range tot = d->content();
    const bool buit = tot.text().trimmed().isEmpty();
    kovel::word::Range r = tot;
    r.collapse(kovel::word::Collapse::End);
    if (!buit) {
        r.insertAfter(QStringLiteral("\r"));
        r.collapse(kovel::word::Collapse::End);
    }
    r.insertPicture(p);
}


// A workbook of one worksheet or a database of one table, in memory: rows N1 S1 1 ...
class FontMemoria : public FontAssistent {
public:
    FontMemoria(QString fitxer, QStringList llistes) : fitxer_(std::move(fitxer)), llistes_(std::move(llistes))
    {
        for (int r = 1; r <= 6; ++r)
            dades_ << QStringList{QStringLiteral("N%1").arg(r), QStringLiteral("S%1").arg(r), QStringLiteral("%1").arg(r)};
        full_ = std::make_unique<generar_doc::FullMemoria>(dades_);
    }
    QString fitxer() const override { return fitxer_; }
    QStringList llistes(const std::function<void(int, int)>&) override { return llistes_; }
    bool rangUsat(std::int32_t, std::int32_t& r1, std::int32_t& c1, std::int32_t& r2, std::int32_t& c2) override
    {
        r1 = c1 = 1;
        r2 = int(dades_.size());
        c2 = 3;
        return true;
    }
    QString nomColumna(std::int32_t c) const override { return QString(QChar(u'A' + c - 1)); }
    QStringList campsTaula(const QString&, bool& deTaula) override
    {
        deTaula = true;
        return {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    }
    generar_doc::FullDades* full(std::int32_t) override { return full_.get(); }
    std::unique_ptr<generar_doc::RegistresDades> registres(const QString&) override
    {
        return std::make_unique<generar_doc::RegistresMemoria>(QStringList{"A", "B", "C"}, dades_);
    }

private:
    QString fitxer_;
    QStringList llistes_;
    QList<QStringList> dades_;
    std::unique_ptr<generar_doc::FullMemoria> full_;
};

// Every label cell of a generated document: its text, its pictures and what they show.
QStringList Resum(Document& d)
{
    QStringList r;
    for (kovel::word::Block& b : d.body().blocks) {
        if (!b.isTable())
            continue;
        kovel::word::Table& t = b.table();
        for (int f = 0; f < t.rowCount(); ++f)
            for (int c = 0; c < t.columnCount(); ++c) {
                kovel::word::Range cella = d.range(t.cell(f, c).story);
                QString linia = cella.text();
                for (const kovel::word::InlinePicture* p : cella.inlinePictures())
                    linia += QStringLiteral(" [%1 %2]").arg(p->alternativeText(),
                        QString::fromLatin1(QCryptographicHash::hash(p->png(), QCryptographicHash::Md5).toHex().left(8)));
                r << linia;
            }
    }
    return r;
}

kovel::word::InlinePicture Imatge(const QString& alt)
{
    QImage im(40, 12, QImage::Format_RGB32);
    im.fill(Qt::gray);
    auto p = kovel::word::InlinePicture::fromImage(im);
    p.setAlternativeText(alt);
    return p;
}

void Afegeix(Document& d, const QString& text, const QString& alt = {})
{
    kovel::word::Range r = d.content();
    r.collapse(kovel::word::Collapse::End);
    r.insertAfter(text);
    if (!alt.isEmpty()) {
        r.collapse(kovel::word::Collapse::End);
        r.insertPicture(Imatge(alt));
    }
}

// A new run: the code dialogs' collections as a fresh process has them, with one code
// already made so that the restored ones take other numbers than they were saved with.
void NovaExecucio(kovel::codes::RegistreCodis& codis)
{
    codis = {};
    kovel::barcode::ActiveBC altre;
    CodiBarres::RegistrarClon(codis, altre, QStringLiteral("Z"));
}

class Guardar : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        QString m;
        ModTraduccion::CarregarLiteralsDe(QStringLiteral(KOVEL_PROGRAM_DIR "/LITER.UNI"), m);
    }
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        dades = dir.path() + QStringLiteral("/data/");
        qputenv("KOVEL_USER_REGISTRY", dir.filePath(QStringLiteral("user.reg")).toUtf8());
        mod_rvtMsgBox::setAnswerer([this](const QString& text, std::int16_t estil, const QString&) {
            missatges << text;
            return std::int16_t((estil & 0xF) == 4 ? resposta : 1);
        });
    }
    void TearDown() override { mod_rvtMsgBox::resetAnswerer(); }

    // The shipped catalogue in the run's own catalogue, and the order box's entries.
    // Every run answered by the fixture's window: no saved designs offered until Obre.
    void Neteja(EstatAssistent& e)
    {
        entorn.g = nullptr;
        e.setEntorn(&entorn);
        QString error;
        ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(e.cataleg(), QStringLiteral(KOVEL_PROGRAM_DIR), error)) << qPrintable(error);
        ASSERT_GT(e.cataleg().NumEtiquetas, 0);
        EstadoListaEtiquetas& p = e.pasEtiqueta().Llista;
        p.cboOrdenar.entradas = {QStringLiteral("Reference"), QStringLiteral("Description"), QStringLiteral("Size")};
    }

    // Home, paper, format `ref`, on to the data-source panel.
    void FinsOrigen(EstatAssistent& e, int paper, const QString& ref)
    {
        e.Prepara();
        const kovel::NumerosPanel& np = e.numerosPanel();
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        if (e.PanelActual == np.PanelGuardados) {
            e.pasGuardats().cmdCrear = true;
            ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        }
        e.pasPaper().optPapel_Click(paper);
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        ModTolvWiz::Busca_EtiquetaReferencia(e.cataleg(), ref, true);
        const Moviment m = e.MostrarPanel(+1);
        ASSERT_TRUE(m.mogut) << qPrintable(m.avis.text);
        ASSERT_EQ(e.PanelActual, np.PanelOrigenDatos);
    }

    // A new run of the wizard opens the design at row `fila` of its saved-designs panel.
    void Obre(EstatAssistent& e, Guardats& g, int fila, const QString& nom)
    {
        e.setCarpetaDades(dades);
        entorn.g = &g;
        e.Prepara();
        const kovel::NumerosPanel& np = e.numerosPanel();
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        ASSERT_EQ(e.PanelActual, np.PanelGuardados);
        const QStringList linies = g.LlistaGuardats([](const QString& t) { return int(t.size()) * 7; });
        ASSERT_GT(linies.size(), fila);
        EXPECT_TRUE(linies[fila].startsWith(QStringLiteral("  ") + nom)) << qPrintable(linies[fila]);
        g.cmdObrir_CambioValor(true);
        EXPECT_EQ(e.pasGuardats().lstGuardatsIndex, 0);
        e.pasGuardats().lstGuardatsIndex = fila;
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        EXPECT_TRUE(e.DissenyObert);
        EXPECT_TRUE(e.DissenyRestaurat);
        // On through the panels as the user would: each keeps what was restored.
        for (int p : {np.PanelFormato, np.PanelEtiqueta, np.PanelOrigenDatos, np.PanelDiseno}) {
            EXPECT_EQ(e.PanelActual, p);
            const Moviment m = e.MostrarPanel(+1);
            ASSERT_TRUE(m.mogut) << p << ' ' << qPrintable(m.avis.text);
        }
        ASSERT_EQ(e.PanelActual, np.PanelFinal);
    }

    bool Desa(Guardats& g, const QString& nom)
    {
        entorn.nom = [nom](const QString&, const QString&) { return nom; };
        return g.cmdGuardar_Click();
    }

    // The saved-designs store of the run and the name question, as the window answers for them.
    struct EntornGuardats : EntornAssistent {
        Guardats* g = nullptr;
        std::function<QString(const QString&, const QString&)> nom;
        bool hiHaGuardats() override { return g && g->HiHaGuardats(); }
        void recuperaDisseny(int n) override
        {
            if (g)
                g->RecuperaDisseny(n - 1);
        }
        QString demanaNom(const QString& prompt, const QString& titol) override
        {
            return nom ? nom(prompt, titol) : QString();
        }
    } entorn;
    QTemporaryDir dir;
    QString dades;
    QStringList missatges;
    std::int16_t resposta = 6;
    kovel::codes::RegistreCodis codis;
};

} // namespace

TEST_F(Guardar, ThreeDesignsOpenInTheNextRunByTheirRowAndGenerateTheSameLabels)
{
    NovaExecucio(codis);
    generar_doc::CodisPrograma codisPrograma{codis};
    guardar::CodisDesatsPrograma codisDesats{codis};
    QStringList abans[3];

    // 1. Word, the labels differ: four of the cells designed, one with a picture.
    {
        Word_espec::Inicialitzar();
        EstatAssistent e;
        Neteja(e);
        e.setCarpetaDades(dades);
        Guardats& g = e.guardats();
        FinsOrigen(e, PapelA4, QStringLiteral("803"));
        e.pasOrigen().opcOrigDatos_Click(0);
        const Moviment m = e.MostrarPanel(+1);
        ASSERT_TRUE(m.mogut) << qPrintable(m.avis.text);
        ASSERT_TRUE(e.dissenyAllotjat());
        const int idx = ModTolvWiz::FormatSeleccionat(e.cataleg());
        const int n = e.cataleg().Etiquetas[idx].Filas * e.cataleg().Etiquetas[idx].Columnas;
        ASSERT_GE(n, 6);
        QStringList noms(n);
        for (int k : {0, 1, 3, 5}) {
            std::unique_ptr<Document> cella = e.dissenyAllotjat()->clone();
            Afegeix(*cella, QStringLiteral("Cell %1").arg(k), k == 3 ? QStringLiteral("logo") : QString());
            noms[k] = e.pasDisseny().carpetaCaselles() + QString::number(k) + QStringLiteral(".docx");
            cella->saveAs(noms[k]);
        }
        e.pasDisseny().caselles.NomsCaselles = noms;
        e.pasDisseny().caselles.NumCaselles = n;
        abans[0] = Resum(*generar_doc::GeneraDocument(-1, e));
        ASSERT_TRUE(Desa(g, QStringLiteral("Cells"))) << qPrintable(missatges.join(u'\n'));
        // Confirmed by the design's name, without the store's internal path.
        const QString confirmacio = missatges.takeLast();
        EXPECT_TRUE(confirmacio.contains(QStringLiteral("\"Cells\""))) << qPrintable(confirmacio);
        EXPECT_FALSE(confirmacio.contains(QStringLiteral("guardats"))) << qPrintable(confirmacio);
    }
    // 2. Spreadsheet: a field, a field-linked barcode and QR codes of a field and a template.
    {
        Excel_espec::Inicialitzar();
        EstatAssistent e;
        Neteja(e);
        e.setCarpetaDades(dades);
        e.setCodis(&codisPrograma);
        FontMemoria font(QStringLiteral("/data/book.xlsx"), {QStringLiteral("Other"), QStringLiteral("Sheet1")});
        e.setFont(&font);
        Guardats& g = e.guardats();
        g.setCodis(&codisDesats);
        FinsOrigen(e, PapelA4, QStringLiteral("803"));
        e.pasOrigen().LstHojas_Click(1);
        e.pasEtiqueta().Opt_Horizontal_Click();
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        InsereixCamp(e, QStringLiteral("A"));
        kovel::barcode::ActiveBC barres;
        barres.setBarType(kovel::barcode::Code128);
        barres.setShowText(false);
        const QString tb = CodiBarres::RegistrarClon(codis, barres, QStringLiteral("B")).Tag();
        kovel::qr::QRCodeCtrl qr;
        qr.setErrorCorrectionLevel(kovel::qr::NivellH);
        const QString tq = CodiQR::RegistrarClon(codis, qr, QStringLiteral("C")).Tag();
        kovel::qr::QRCodeCtrl sms;
        const QString ts = CodiQR::RegistrarClonPlantilla(codis, sms, CodiQR::PlantillaSMS(codis.OpcionsQR, "C", "A"), true).Tag();
        Afegeix(*e.dissenyAllotjat(), QStringLiteral(" "), QStringLiteral("TOLV_barres_") + tb);
        Afegeix(*e.dissenyAllotjat(), QStringLiteral(" "), QStringLiteral("TOLV_qr_") + tq);
        Afegeix(*e.dissenyAllotjat(), QStringLiteral(" "), QStringLiteral("TOLV_qr_") + ts);
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        e.pasFinal().OpcEtiqpag_Click(0);
        e.pasFinal().txtFila_Change(QStringLiteral("2"), QStringLiteral("5"));
        abans[1] = Resum(*generar_doc::GeneraDocument(-1, e));
        ASSERT_TRUE(Desa(g, QStringLiteral("Codes"))) << qPrintable(missatges.join(u'\n'));
        QFile codis(dades + QStringLiteral("guardats/2/codis.ini"));
        ASSERT_TRUE(codis.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(codis.readAll());
        EXPECT_TRUE(text.contains(QStringLiteral("[barres 1]\ncamp=B\nBarType=7\n"))) << qPrintable(text);
        EXPECT_TRUE(text.contains(QStringLiteral("[qr 2]\ncamp=0\nplantilla=")));
    }
    // 3. Database: one label per record from a query.
    {
        Access_espec::Inicialitzar();
        EstatAssistent e;
        Neteja(e);
        e.setCarpetaDades(dades);
        FontMemoria font(QStringLiteral("/data/base.db"), {QStringLiteral("Table1"), QStringLiteral("Query1")});
        e.setFont(&font);
        Guardats& g = e.guardats();
        FinsOrigen(e, PapelA4, QStringLiteral("803"));
        e.pasOrigen().LstTablas_Click(1);
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        InsereixCamp(e, QStringLiteral("B"));
        Afegeix(*e.dissenyAllotjat(), QStringLiteral(" km"));
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        e.pasFinal().OpcEtiqpag_Click(1);
        abans[2] = Resum(*generar_doc::GeneraDocument(-1, e));
        ASSERT_TRUE(Desa(g, QStringLiteral("Records"))) << qPrintable(missatges.join(u'\n'));
    }
    for (const QStringList& r : abans)
        ASSERT_FALSE(r.isEmpty());

    // The next run: nothing kept in memory but the catalogue.
    NovaExecucio(codis);
    {
        Word_espec::Inicialitzar();
        EstatAssistent e;
        Neteja(e);
        Guardats& g = e.guardats();
        Obre(e, g, 0, QStringLiteral("Cells"));
        EXPECT_TRUE(e.pasOrigen().opcOrigDatos[0]);
        const QStringList noms = e.pasDisseny().caselles.NomsCaselles;
        ASSERT_GE(noms.size(), 6);
        EXPECT_EQ(noms.count(QString()), noms.size() - 4);
        EXPECT_EQ(noms[3], e.pasDisseny().carpetaCaselles() + QStringLiteral("3.docx"));
        EXPECT_EQ(Resum(*generar_doc::GeneraDocument(-1, e)), abans[0]);
    }
    // Then again with its codes file unreadable: said by name, the reason ended as a sentence.
    const QString fitxerCodis = dades + QStringLiteral("guardats/2/") + QLatin1String(guardar::NomFitxerCodis);
    for (const bool llegible : {true, false}) {
        if (!llegible) {
            ASSERT_TRUE(QFile::remove(fitxerCodis));
            ASSERT_TRUE(QDir().mkdir(fitxerCodis));
            missatges.clear();
        }
        Excel_espec::Inicialitzar();
        EstatAssistent e;
        Neteja(e);
        e.setCodis(&codisPrograma);
        FontMemoria font(QStringLiteral("/data/book.xlsx"), {QStringLiteral("Other"), QStringLiteral("Sheet1")});
        e.setFont(&font);
        Guardats& g = e.guardats();
        g.setCodis(&codisDesats);
        Obre(e, g, 0, QStringLiteral("Codes"));
        if (!llegible) {
            ASSERT_EQ(missatges.size(), 1);
            EXPECT_TRUE(missatges[0].contains(fitxerCodis)) << qPrintable(missatges[0]);
            EXPECT_TRUE(missatges[0].endsWith(u'.')) << qPrintable(missatges[0]);
            continue;
        }
        EXPECT_EQ(e.pasOrigen().LstHojasIndex, 1);
        EXPECT_EQ(e.pasFinal().txtFila_inicial, QStringLiteral("2"));
        EXPECT_EQ(e.pasFinal().txtFila_final, QStringLiteral("5"));
        EXPECT_TRUE(e.horitzontal());
        // The run's own code keeps number 1; the design's come after it.
        EXPECT_EQ(codis.EtiquetesBarres, (QStringList{"1_Z", "2_B"}));
        EXPECT_EQ(codis.EtiquetesQR, (QStringList{"1_C", "2_0"}));
        const QStringList despres = Resum(*generar_doc::GeneraDocument(-1, e));
        EXPECT_EQ(despres, abans[1]);
    }
    {
        Access_espec::Inicialitzar();
        EstatAssistent e;
        Neteja(e);
        FontMemoria font(QStringLiteral("/data/base.db"), {QStringLiteral("Table1"), QStringLiteral("Query1")});
        e.setFont(&font);
        Guardats& g = e.guardats();
        Obre(e, g, 0, QStringLiteral("Records"));
        EXPECT_EQ(e.pasOrigen().LstTablasIndex, 1);
        EXPECT_TRUE(e.pasFinal().OpcEtiqpag[1]);
        EXPECT_EQ(Resum(*generar_doc::GeneraDocument(-1, e)), abans[2]);
    }
}

// A save keeps the final panel's choice wherever it is made, and the rows only when the user
// gave them; a design kept without them opens with the panel's default and the worksheet's
// rows, and Finish makes it with no choice asked for.
TEST_F(Guardar, AChoiceIsAlwaysKeptAndADesignKeptWithoutOneOpensWithTheDefault)
{
    Excel_espec::Inicialitzar();
    FontMemoria font(QStringLiteral("/data/book.xlsx"), {QStringLiteral("Sheet1")});
    {
        EstatAssistent e;
        Neteja(e);
        e.setCarpetaDades(dades);
        e.setFont(&font);
        FinsOrigen(e, PapelA4, QStringLiteral("803"));
        e.pasOrigen().LstHojas_Click(0);
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        InsereixCamp(e, QStringLiteral("A"));
        ASSERT_TRUE(Desa(e.guardats(), QStringLiteral("Before")));
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        e.pasFinal().OpcEtiqpag_Click(1);
        e.pasFinal().txtFila_Change(QStringLiteral("3"), QStringLiteral("4"));
        ASSERT_TRUE(Desa(e.guardats(), QStringLiteral("Sheets")));
    }
    const QString ruta = dades + QStringLiteral("guardats/guardatsE.dat");
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    guardar::Lectura l = guardar::LlegeixRegistres(f.readAll(), ruta);
    f.close();
    ASSERT_TRUE(l.error.isEmpty()) << qPrintable(l.error);
    int vistos = 0;
    for (guardar::RegistreGuardat& r : l.registres) {
        if (r.Nom.trimmed() == QLatin1String("Before")) {
            // Saved on the design panel: the default stands chosen, no rows were given.
            EXPECT_EQ(r.Ordre, 'D');
            EXPECT_EQ(r.FilaInicial, 0);
            EXPECT_EQ(r.FilaFinal, 0);
            r.Ordre = 0;
            r.FilaInicial = r.FilaFinal = 0;
            ++vistos;
        } else if (r.Nom.trimmed() == QLatin1String("Sheets")) {
            EXPECT_EQ(r.Ordre, 'I');
            EXPECT_EQ(r.FilaInicial, 3);
            EXPECT_EQ(r.FilaFinal, 4);
            ++vistos;
        }
    }
    ASSERT_EQ(vistos, 2);
    QString error;
    ASSERT_TRUE(guardar::EscriuFitxerSegur(ruta, guardar::CodificaRegistres(l.registres), error)) << qPrintable(error);

    EstatAssistent e;
    Neteja(e);
    e.setFont(&font);
    Guardats& g = e.guardats();
    // The newest first: "Sheets", then the older "Before" in the same run, over its choices.
    Obre(e, g, 0, QStringLiteral("Sheets"));
    EXPECT_EQ(e.pasFinal().OpcEtiqpag, (std::array<bool, 2>{false, true}));
    EXPECT_EQ(e.pasFinal().txtFila_inicial, QStringLiteral("3"));
    Obre(e, g, 1, QStringLiteral("Before"));
    EXPECT_EQ(e.pasFinal().OpcEtiqpag, PasFinal::OpcEtiqpagPerDefecte);
    EXPECT_EQ(e.pasFinal().txtFila_inicial, QStringLiteral("1"));
    EXPECT_EQ(e.pasFinal().txtFila_final, QStringLiteral("6"));
    missatges.clear();
    const Moviment m = e.MostrarPanel(+1);
    EXPECT_TRUE(m.avis.text.isEmpty()) << qPrintable(m.avis.text);
    EXPECT_FALSE(e.pasFinal().documentGenerat().isEmpty());
}

TEST_F(Guardar, NamesAreAskedAgainWhileTheirCutFormIsTakenAndAnEmptyNameSavesNothing)
{
    Word_espec::Inicialitzar();
    EstatAssistent e;
    Neteja(e);
    e.setCarpetaDades(dades);
    Guardats& g = e.guardats();
    FinsOrigen(e, PapelA4, QStringLiteral("803"));
    e.pasOrigen().opcOrigDatos_Click(1);
    ASSERT_TRUE(e.MostrarPanel(+1).mogut);
    ASSERT_TRUE(Desa(g, QStringLiteral("A long name of twenty-five")));
    e.pasEtiqueta().Opt_Horizontal_Click();
    ASSERT_TRUE(Desa(g, QStringLiteral("Short")));
    missatges.clear();

    // Asked again after each taken name, whatever its case or length beyond 20.
    QStringList respostes{QStringLiteral("SHORT"), QStringLiteral("a long name of twentyXYZ"), QStringLiteral("Third")};
    QStringList preguntes;
    entorn.nom = [&](const QString& prompt, const QString& titol) {
        preguntes << prompt + u'|' + titol;
        return respostes.takeFirst();
    };
    ASSERT_TRUE(g.cmdGuardar_Click());
    EXPECT_EQ(preguntes.size(), 3);
    EXPECT_EQ(preguntes[0], ModTraduccion::Literal(7001) + u'|' + ModTraduccion::Literal(7011));
    ASSERT_EQ(missatges.size(), 3);
    EXPECT_EQ(missatges[0], ModTraduccion::Literal(7002));
    EXPECT_EQ(missatges[1], ModTraduccion::Literal(7002));
    EXPECT_EQ(g.LlistaGuardats([](const QString& t) { return int(t.size()); }).size(), 3);
    EXPECT_EQ(g.magatzem().Noms(), (QStringList{"Third", "Short", "A long name of twent"}));

    // Cancelled (empty, or blanks only): nothing saved, nothing said.
    missatges.clear();
    for (const QString& nom : {QString(), QStringLiteral("   ")}) {
        EXPECT_FALSE(Desa(g, nom));
        EXPECT_TRUE(missatges.isEmpty());
    }
    EXPECT_EQ(g.LlistaGuardats([](const QString& t) { return int(t.size()); }).size(), 3);

    // Two designs of one name (a store written elsewhere can hold them): the row picked
    // is the one opened.
    const QString ruta = dades + QStringLiteral("guardats/guardatsW.dat");
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    guardar::Lectura l = guardar::LlegeixRegistres(f.readAll(), ruta);
    f.close();
    ASSERT_EQ(l.registres.size(), 4u);
    for (std::size_t i = 1; i < l.registres.size(); ++i)
        l.registres[i].Nom = QStringLiteral("Same");
    QString error;
    ASSERT_TRUE(guardar::EscriuFitxerSegur(ruta, guardar::CodificaRegistres(l.registres), error)) << qPrintable(error);
    g.LlistaGuardats([](const QString& t) { return int(t.size()); });
    g.RecuperaDisseny(2);   // the oldest: upright
    EXPECT_TRUE(e.pasEtiqueta().opt_Vertical);
    EXPECT_FALSE(e.pasEtiqueta().opt_Horizontal);
    g.RecuperaDisseny(0);   // the newest: turned
    EXPECT_TRUE(e.pasEtiqueta().opt_Horizontal);
    EXPECT_TRUE(e.DissenyObert);
}

TEST_F(Guardar, ADamagedStoreIsToldByNameAndOnlySetAsideWhenTheUserSaysSo)
{
    Word_espec::Inicialitzar();
    EstatAssistent e;
    Neteja(e);
    e.setCarpetaDades(dades);
    Guardats& g = e.guardats();
    FinsOrigen(e, PapelA4, QStringLiteral("803"));
    e.pasOrigen().opcOrigDatos_Click(1);
    ASSERT_TRUE(e.MostrarPanel(+1).mogut);
    ASSERT_TRUE(Desa(g, QStringLiteral("First")));
    const QString ruta = dades + QStringLiteral("guardats/guardatsW.dat");
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray tot = f.readAll();
    f.resize(tot.size() - 3);   // cut short
    f.close();
    const QByteArray danyat = [&] { QFile r(ruta); r.open(QIODevice::ReadOnly); return r.readAll(); }();
    missatges.clear();

    // The road goes on without the panel, telling the file once.
    EXPECT_FALSE(g.HiHaGuardats());
    EXPECT_FALSE(g.HiHaGuardats());
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges[0].contains(ruta)) << qPrintable(missatges[0]);

    // No: nothing written, the file as it was.
    missatges.clear();
    resposta = 7;
    EXPECT_FALSE(Desa(g, QStringLiteral("Second")));
    ASSERT_EQ(missatges.size(), 2);
    EXPECT_TRUE(missatges[0].contains(ruta));
    QFile r(ruta);
    ASSERT_TRUE(r.open(QIODevice::ReadOnly));
    EXPECT_EQ(r.readAll(), danyat);
    r.close();

    // Yes: the damaged file kept aside, a new store with the new design; the old folder is
    // not reused.
    missatges.clear();
    resposta = 6;
    ASSERT_TRUE(Desa(g, QStringLiteral("Second")));
    ASSERT_TRUE(QFile::exists(ruta + QStringLiteral(".damaged")));
    g.LlistaGuardats([](const QString& t) { return int(t.size()); });
    EXPECT_EQ(g.magatzem().Noms(), QStringList{QStringLiteral("Second")});
    EXPECT_EQ(g.magatzem().CarpetaDisseny(0), dades + QStringLiteral("guardats/2/"));
    EXPECT_TRUE(QFile::exists(dades + QStringLiteral("guardats/1/0.docx")));

    // A store that cannot be read at all: the system's reason, ended as a sentence.
    ASSERT_TRUE(QFile::remove(ruta));
    ASSERT_TRUE(QDir().mkdir(ruta));
    missatges.clear();
    resposta = 7;
    EXPECT_FALSE(Desa(g, QStringLiteral("Third")));
    ASSERT_FALSE(missatges.isEmpty());
    EXPECT_TRUE(missatges[0].contains(ruta)) << qPrintable(missatges[0]);
    EXPECT_TRUE(missatges[0].endsWith(u'.')) << qPrintable(missatges[0]);
}

TEST_F(Guardar, DesignsStoreFullIsToldBeforeANameIsAskedAndAFailedSaveLeavesNoFolder)
{
    Word_espec::Inicialitzar();
    EstatAssistent e;
    Neteja(e);
    e.setCarpetaDades(dades);
    Guardats& g = e.guardats();
    FinsOrigen(e, PapelA4, QStringLiteral("803"));
    e.pasOrigen().opcOrigDatos_Click(1);
    ASSERT_TRUE(e.MostrarPanel(+1).mogut);
    ASSERT_TRUE(Desa(g, QStringLiteral("First")));
    const QString guardats = dades + QStringLiteral("guardats/");
    const QString ruta = guardats + QStringLiteral("guardatsW.dat");
    const auto carpetes = [&] { return QDir(guardats).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name); };
    const auto llegeix = [](const QString& cami) {
        QFile f(cami);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };

    // A full disk: the save's failure is told, and the design's folder does not stay.
    missatges.clear();
    kovel::files::LimitaEscripturesPerProva(100);
    EXPECT_FALSE(Desa(g, QStringLiteral("Second")));
    kovel::files::LimitaEscripturesPerProva(-1);
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges[0].startsWith(ModTraduccion::Literal(7004))) << qPrintable(missatges[0]);
    // Told of the design, not of the folder the program was writing it in.
    EXPECT_TRUE(missatges[0].contains(QStringLiteral("\"Second\""))) << qPrintable(missatges[0]);
    EXPECT_FALSE(missatges[0].contains(QStringLiteral(".kovel-"))) << qPrintable(missatges[0]);
    EXPECT_TRUE(missatges[0].endsWith(u'.')) << qPrintable(missatges[0]);
    EXPECT_EQ(carpetes(), (QStringList{"1", "guardatsW.dat"}));

    // A store a few bytes short of what the reader takes: no name is asked, the store and
    // its folders stay as they are, and the user is told what to do.
    std::vector<guardar::RegistreGuardat> r = guardar::LlegeixRegistres(llegeix(ruta), ruta).registres;
    ASSERT_EQ(r.size(), 2u);
    // Records of other designs, each `mida` bytes long.
    const auto afegeix = [&r](qsizetype mida) {
        guardar::RegistreGuardat gran;
        gran.LletraPrograma = 'W';
        gran.Nom = QStringLiteral("filler");
        gran.Llista = QString(int(mida - guardar::CodificaRegistres({gran}).size()), u'x');
        r.push_back(gran);
    };
    const qsizetype objectiu = guardar::MidaMaximaFitxer - 50;
    while (guardar::CodificaRegistres(r).size() + 120000 < objectiu)
        afegeix(60000);
    const qsizetype resta = objectiu - guardar::CodificaRegistres(r).size();
    afegeix(resta / 2);
    afegeix(resta - resta / 2);
    const QByteArray ple = guardar::CodificaRegistres(r);
    ASSERT_EQ(ple.size(), objectiu);
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ple);
    }
    ASSERT_TRUE(g.HiHaGuardats());
    missatges.clear();
    int preguntes = 0;
    entorn.nom = [&](const QString&, const QString&) {
        ++preguntes;
        return QStringLiteral("Third");
    };
    EXPECT_FALSE(g.cmdGuardar_Click());
    EXPECT_EQ(preguntes, 0);
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges[0].contains(QStringLiteral("Delete older designs"))) << qPrintable(missatges[0]);
    EXPECT_TRUE(missatges[0].contains(ruta)) << qPrintable(missatges[0]);
    EXPECT_EQ(llegeix(ruta), ple);
    EXPECT_EQ(carpetes(), (QStringList{"1", "guardatsW.dat"}));
}

TEST(CodisDesats, TheFileReadsBackAndRefusesWhatNoWriterMakes)
{
    guardar::CodisDisseny c;
    c.general = {{QStringLiteral("PrefixDadesQR"), QStringLiteral("\\000026")}};
    guardar::CodiDesat q;
    q.etiqueta = {true, 1, QStringLiteral("0")};
    q.plantilla = QStringLiteral("MECARD:N:[Name];\nTEL:[Tel\\]=;");
    q.propietats = {{QStringLiteral("DataToEncode"), QStringLiteral("a=b\tc")}};
    c.codis << q;
    guardar::CodisDisseny llegit;
    QString error;
    ASSERT_TRUE(guardar::LlegeixCodis(guardar::EscriuCodis(c), QStringLiteral("codis.ini"), llegit, error)) << qPrintable(error);
    EXPECT_EQ(llegit, c);

    for (const char* dolent : {"[qr 1]\ncamp=A\n[qr 1]\ncamp=B\n", "[barres 0]\ncamp=A\n", "[cap 1]\n", "Key=1\n",
                               "[qr 1]\nBarType=1\n", "[general]\nbad key=1\n", "[general]\nK=a\\q\n"}) {
        EXPECT_FALSE(guardar::LlegeixCodis(QByteArray(dolent), QStringLiteral("x/codis.ini"), llegit, error)) << dolent;
        EXPECT_TRUE(error.contains(QStringLiteral("x/codis.ini")));
    }
    QByteArray molts = "[general]\n";
    for (int i = 0; i < guardar::MaximPropietats + 1; ++i)
        molts += "K" + QByteArray::number(i) + "=1\n";
    EXPECT_FALSE(guardar::LlegeixCodis(molts, QStringLiteral("codis.ini"), llegit, error));

    // Tags: what the pictures carry, and the design's own numbering.
    EXPECT_FALSE(guardar::EtiquetaDe(QStringLiteral("TOLV_barres")));
    EXPECT_FALSE(guardar::EtiquetaDe(QStringLiteral("TOLV_barres_x_A")));
    const auto e = guardar::EtiquetaDe(QStringLiteral("TOLV_qr_7_12"));
    ASSERT_TRUE(e);
    EXPECT_TRUE(guardar::EsPlantilla(*e));
    const auto n = guardar::NumeracioDisseny({*guardar::EtiquetaDe(QStringLiteral("TOLV_barres_5_A_B")), *e, *e,
                                              *guardar::EtiquetaDe(QStringLiteral("TOLV_qr_9_A"))});
    ASSERT_EQ(n.size(), 3);
    EXPECT_EQ(guardar::TextAlternatiu(n[0].second), QStringLiteral("TOLV_barres_1_A_B"));
    EXPECT_EQ(guardar::TextAlternatiu(n[1].second), QStringLiteral("TOLV_qr_1_0"));
    EXPECT_EQ(guardar::TextAlternatiu(n[2].second), QStringLiteral("TOLV_qr_2_A"));
}

TEST_F(Guardar, OtherWorkbooksDesignsAreKeptAndAMovedDataFolderStillOpens)
{
    Excel_espec::Inicialitzar();
    auto desa = [&](const QString& llibre, const QString& nom, const QString& text) {
        EstatAssistent e;
        Neteja(e);
        e.setCarpetaDades(dades);
        FontMemoria font(llibre, {QStringLiteral("Sheet1")});
        e.setFont(&font);
        Guardats& g = e.guardats();
        FinsOrigen(e, PapelA4, QStringLiteral("803"));
        ASSERT_TRUE(e.MostrarPanel(+1).mogut);
        InsereixCamp(e, QStringLiteral("A"));
        Afegeix(*e.dissenyAllotjat(), text);
        ASSERT_TRUE(Desa(g, nom)) << qPrintable(missatges.join(u'\n'));
    };
    desa(QStringLiteral("/data/a.xlsx"), QStringLiteral("Of A"), QStringLiteral("first of A"));
    desa(QStringLiteral("/data/b.xlsx"), QStringLiteral("Of B"), QStringLiteral("only of B"));
    desa(QStringLiteral("/data/a.xlsx"), QStringLiteral("Of A too"), QStringLiteral("second of A"));

    // Each workbook lists its own; every design has a folder of its own.
    guardar::Magatzem a(dades, 'E', QStringLiteral("/data/a.xlsx")), b(dades, 'E', QStringLiteral("/data/b.xlsx"));
    QString error;
    ASSERT_TRUE(a.Carrega(error) && b.Carrega(error)) << qPrintable(error);
    EXPECT_EQ(a.Noms(), (QStringList{"Of A too", "Of A"}));
    EXPECT_EQ(b.Noms(), QStringList{QStringLiteral("Of B")});
    EXPECT_NE(a.CarpetaDisseny(0), b.CarpetaDisseny(0));
    EXPECT_NE(a.CarpetaDisseny(1), b.CarpetaDisseny(0));

    // The whole data folder moved: the design is found in its own folder there.
    const QString mogut = dir.path() + QStringLiteral("/moved/");
    ASSERT_TRUE(QDir().rename(dades, mogut));
    dades = mogut;
    EstatAssistent e;
    Neteja(e);
    FontMemoria font(QStringLiteral("/data/b.xlsx"), {QStringLiteral("Sheet1")});
    e.setFont(&font);
    Guardats& g = e.guardats();
    Obre(e, g, 0, QStringLiteral("Of B"));
    ASSERT_TRUE(e.dissenyAllotjat());
    EXPECT_TRUE(e.dissenyAllotjat()->content().text().contains(QStringLiteral("only of B")));
}

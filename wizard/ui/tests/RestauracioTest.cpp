// Saved designs through the real window, on each host: a design saved with the frame's
// button before any final choice opens in a fresh window and state over the same store and
// makes the same document, with the final panel's defaults (one label per record, the rows
// past the header, whose names the code dialogs show), as does one an older program kept
// with no choice; a change of format after the restore starts the design afresh; a choice
// made on the final panel before the save comes back; a design whose document is gone opens
// as the format's blank label, said; rows given for one worksheet go when another is chosen;
// a new design takes nothing of a restored one; a model on two papers opens on the saved
// paper; a save a full disk stops is said of the design. The window waits while a design is
// restored.
#include "wizard/ui/FrmTolvWiz.h"
#include "wizard/panels/PasDisseny.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasOrigen.h"
#include "wizard/panels/PasPaper.h"
#include "wizard/ui/tests/FinestraProva.h"

#include "catalogue/Catalogo.h"
#include "catalogue/Cataleg.h"
#include "common/Fitxers.h"
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/ModTolvWizUi.h"
#include "documents/guardar.h"
#include "platform/access/tests/SqliteFixture.h"
#include "platform/files/EscripturaAtomica.h"
#include "platform/word/Document.h"

#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

#include <xlsxwriter.h>

using kovel::ui::BotoImatge;
using kovel::wizard::FrmTolvWiz;

namespace {

using kovel::proves::Busca;
using kovel::proves::Clica;
using kovel::proves::EscoltaAssistent;

// A window that notes how it stands while a saved design is restored.
struct FinestraRestaura : FrmTolvWiz {
    int restaurats = 0;
    bool habilitada = true;
    bool espera = false;
    void recuperaDisseny(int n) override
    {
        ++restaurats;
        habilitada = isEnabled();
        const QCursor* c = QGuiApplication::overrideCursor();
        espera = c && c->shape() == Qt::WaitCursor;
        FrmTolvWiz::recuperaDisseny(n);
    }
};

// Every label cell of a document: its text, its pictures' texts and what they show.
QStringList Celles(const QString& cami)
{
    QStringList r;
    const std::unique_ptr<kovel::word::Document> d = kovel::word::Document::open(cami);
    for (kovel::word::Block& b : d->body().blocks) {
        if (!b.isTable())
            continue;
        kovel::word::Table& t = b.table();
        for (int f = 0; f < t.rowCount(); ++f)
            for (int c = 0; c < t.columnCount(); ++c) {
                kovel::word::Range cella = d->range(t.cell(f, c).story);
                QString linia = cella.text().trimmed();
                for (const kovel::word::InlinePicture* p : cella.inlinePictures())
                    linia += QStringLiteral(" [%1 %2]").arg(p->alternativeText(),
                        QString::fromLatin1(QCryptographicHash::hash(p->png(), QCryptographicHash::Md5).toHex().left(8)));
                r << linia;
            }
    }
    return r;
}

QString CodiFila(int fila) { return QStringLiteral("4006381%1").arg(fila, 5, 10, QLatin1Char('0')); }

class Restauracio : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        kovel::proves::AppFinestres();
        ASSERT_TRUE(dir.isValid());
        qputenv("KOVEL_USER_REGISTRY", dir.filePath(QStringLiteral("user.reg")).toUtf8());
        qputenv("KOVEL_MACHINE_REGISTRY", dir.filePath(QStringLiteral("machine.reg")).toUtf8());
        dades = dir.path() + QStringLiteral("/data/");
        CarpetaDades = dades;
        QString m;
        ASSERT_TRUE(ModTraduccion::CarregarLiterals(m)) << qPrintable(m);
        EscoltaAssistent(missatges, oberts);
        if (host() == QLatin1String("excel")) {
            Excel_espec::Inicialitzar();
            // Thirty addresses under a header row, their codes in the third column.
            const QString csv = dir.filePath(QStringLiteral("addresses.csv"));
            QFile f(csv);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("NAME,STREET,CODE\r\n");
            for (int r = 1; r <= 30; ++r)
                f.write(QStringLiteral("Person %1,%1 High Street,%2\r\n").arg(r).arg(CodiFila(r)).toUtf8());
            f.close();
            qputenv("KOVEL_ACTIVE_WORKBOOK", csv.toUtf8());
        } else if (host() == QLatin1String("access")) {
            Access_espec::Inicialitzar();
            const QString base = dir.filePath(QStringLiteral("shop.sqlite"));
            QByteArray sql = "CREATE TABLE Customers(Name TEXT, Town TEXT, Code INTEGER); INSERT INTO Customers VALUES ";
            for (int i = 1; i <= 30; ++i)
                sql += QStringLiteral("%1('Customer %2', 'Town %2', %3)").arg(i > 1 ? "," : "").arg(i).arg(5000 + i).toUtf8();
            fixtures::MakeSqlite(base, sql.constData());
            qputenv("KOVEL_CURRENT_DATABASE", base.toUtf8());
        } else {
            Word_espec::Inicialitzar();
        }
    }
    void TearDown() override
    {
        mod_rvtMsgBox::resetAnswerer();
        ModTolvWiz::setObridorShell({});
        CarpetaDades.clear();
    }

    QString host() const { return QString::fromStdString(GetParam()); }
    bool word() const { return host() == QLatin1String("word"); }

    void Carrega(FrmTolvWiz& w)
    {
        w.estat().setCarpetaDades(dades);
        ASSERT_TRUE(w.Cargar()) << qPrintable(missatges.join(u'\n'));
        Clica(w, "CmdSiguiente");
    }

    // A new design: paper, format `format`, the source, on to the design panel.
    void NouDisseny(FrmTolvWiz& w, int format)
    {
        const kovel::NumerosPanel& np = w.estat().numerosPanel();
        Carrega(w);
        if (w.estat().PanelActual == np.PanelGuardados) {
            Clica(w, "cmdCrear");
            Clica(w, "CmdSiguiente");
        }
        Clica(w, "optDinA4");
        Clica(w, "CmdSiguiente");
        TriaFormat(w, format);
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelOrigenDatos) << qPrintable(missatges.join(u'\n'));
        if (word())
            Clica(w, "opcOrigDatos", 1);   // every label alike
        else if (host() == QLatin1String("access"))
            Busca<QListWidget>(w, "LstTablas")->setCurrentRow(0);
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno) << qPrintable(missatges.join(u'\n'));
    }

    void TriaFormat(FrmTolvWiz& w, int format)
    {
        ASSERT_EQ(w.estat().PanelActual, w.estat().numerosPanel().PanelEtiqueta);
        auto* ref = Busca<QLineEdit>(w, "txtReferencia");
        ref->setText(QString::number(format));
        Clica(w, "btn_buscar_ref");
        ASSERT_EQ(w.estat().cataleg().Etiquetas[ModTolvWiz::FormatSeleccionat(w.estat().cataleg())].Codigo, format);
    }

    // What the user puts on the label: text on every host, the source's fields and, on the
    // spreadsheet's host, an EAN-13 of the code column.
    void Dissenya(FrmTolvWiz& w)
    {
        auto* editor = Busca<QTextEdit>(w, "txtDisseny");
        QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(editor, QStringLiteral("To: "));
        if (word())
            return;
        kovel::proves::TriaCamps(w, {w.estat().pasDisseny().mnuCampo.value(0)});
        QTest::keyClick(editor, Qt::Key_Return);
        if (host() == QLatin1String("access")) {
            kovel::proves::TriaCamps(w, {QStringLiteral("Code")});
            return;
        }
        QTimer::singleShot(0, [] {
            QWidget* d = QApplication::activeModalWidget();
            ASSERT_NE(d, nullptr);
            d->findChild<QComboBox*>(QStringLiteral("cboCamp"))->setCurrentIndex(2);
            d->findChild<QRadioButton*>(QStringLiteral("optCamp"))->click();
            d->findChild<QPushButton*>(QStringLiteral("btnAcceptar"))->click();
            if (d->isVisible())
                d->close();
        });
        Clica(w, "btn_barres");
        ASSERT_EQ(w.estat().disseny()->inlinePictures().size(), 2u);
    }

    // The frame's Save button, answering the name box with `nom`; what was said is kept in `dit`.
    void Desa(FrmTolvWiz& w, const QString& nom)
    {
        bool preguntat = false;
        QTimer::singleShot(0, [&preguntat, nom] {
            auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            preguntat = true;
            d->setTextValue(nom);
            d->accept();
        });
        auto* desar = Busca<QToolButton>(w, "btnDesar");
        ASSERT_NE(desar, nullptr);
        QTest::mouseClick(desar, Qt::LeftButton);
        EXPECT_TRUE(preguntat);
        ASSERT_EQ(missatges.size(), 1);
        dit = missatges.takeFirst();
        EXPECT_TRUE(dit.contains(u'"' + nom + u'"')) << qPrintable(dit);
    }

    // A fresh window and state over the same store: the design at row `fila` restored, on to
    // the format panel. `carregat` runs once the program has loaded.
    void Restaura(FinestraRestaura& w, int fila = 0, const std::function<void(FrmTolvWiz&)>& carregat = {})
    {
        const kovel::NumerosPanel& np = w.estat().numerosPanel();
        Carrega(w);
        if (carregat)
            carregat(w);
        ASSERT_EQ(w.estat().PanelActual, np.PanelGuardados);
        Clica(w, "cmdObrir");
        Busca<QListWidget>(w, "lstGuardats")->setCurrentRow(fila);
        Busca<QListWidget>(w, "lstGuardats")->item(fila)->setSelected(true);
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.restaurats, 1);
        EXPECT_FALSE(w.habilitada) << "the window waits while the design is restored";
        EXPECT_TRUE(w.espera) << "with the wait cursor";
        EXPECT_TRUE(w.isEnabled());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        ASSERT_EQ(w.estat().PanelActual, np.PanelFormato) << qPrintable(missatges.join(u'\n'));
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelEtiqueta);
    }

    // From the format panel on to the design panel, as restored.
    void FinsDisseny(FrmTolvWiz& w)
    {
        Clica(w, "CmdSiguiente");
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, w.estat().numerosPanel().PanelDiseno) << qPrintable(missatges.join(u'\n'));
    }

    // From the design panel to the final one.
    void FinsFinal(FrmTolvWiz& w)
    {
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, w.estat().numerosPanel().PanelFinal) << qPrintable(missatges.join(u'\n'));
    }

    // The newest design restored, on through its panels to the final one.
    void RestauraFinsFinal(FinestraRestaura& w)
    {
        Restaura(w);
        FinsDisseny(w);
        FinsFinal(w);
    }

    // Finish as the final panel stands, no option clicked.
    QString Acaba(FrmTolvWiz& w)
    {
        oberts.clear();
        Clica(w, "CmdSiguiente");
        EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
        EXPECT_FALSE(w.isVisible());
        return oberts.value(0);
    }

    // The names the barcode dialog's field list shows, the dialog then closed.
    QStringList CampsBarres(FrmTolvWiz& w)
    {
        QStringList r;
        QTimer::singleShot(0, [&r] {
            QWidget* d = QApplication::activeModalWidget();
            ASSERT_NE(d, nullptr);
            auto* c = d->findChild<QComboBox*>(QStringLiteral("cboCamp"));
            for (int i = 0; c && i < c->count(); ++i)
                r << c->itemText(i);
            d->close();
        });
        Clica(w, "btn_barres");
        return r;
    }
    // The captions of the "Insert a data field" menu.
    QStringList CampsMenu(FrmTolvWiz& w)
    {
        QStringList r;
        QTimer::singleShot(0, [&r] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (const QAction* a : menu->actions())
                r << a->text();
            menu->close();
        });
        Clica(w, "CmdCampos");
        return r;
    }

    // The store's file of this host.
    QString FitxerGuardats() const
    {
        const char lletra = word() ? 'W' : host() == QLatin1String("excel") ? 'E' : 'A';
        return dades + QStringLiteral("guardats/") + guardar::NomFitxerGuardats(lletra);
    }

    // Design `nom` kept with order `ordre` and rows `inicial` to `final_` (0: none).
    void Reescriu(const QString& nom, std::uint8_t ordre, std::int32_t inicial, std::int32_t final_)
    {
        Reescriu(nom, [&](guardar::RegistreGuardat& r) {
            r.Ordre = ordre;
            r.FilaInicial = inicial;
            r.FilaFinal = final_;
        });
    }
    // Design `nom` as `canvi` leaves its record.
    void Reescriu(const QString& nom, const std::function<void(guardar::RegistreGuardat&)>& canvi)
    {
        QFile f(FitxerGuardats());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        guardar::Lectura l = guardar::LlegeixRegistres(f.readAll(), f.fileName());
        f.close();
        ASSERT_TRUE(l.error.isEmpty()) << qPrintable(l.error);
        int canviats = 0;
        for (guardar::RegistreGuardat& r : l.registres)
            if (r.Nom.trimmed() == nom) {
                canvi(r);
                ++canviats;
            }
        ASSERT_EQ(canviats, 1);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(guardar::CodificaRegistres(l.registres));
    }

    // The spreadsheet's thirty addresses, then `mes` more.
    void Adreces(int mes)
    {
        QFile f(dir.filePath(QStringLiteral("addresses.csv")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("NAME,STREET,CODE\r\n");
        for (int r = 1; r <= 30 + mes; ++r)
            f.write(QStringLiteral("Person %1,%1 High Street,%2\r\n").arg(r).arg(CodiFila(r)).toUtf8());
    }

    // A row box typed in as the user does, then left.
    void EscriuFila(FrmTolvWiz& w, const char* caixa, const QString& text)
    {
        auto* e = Busca<QLineEdit>(w, caixa);
        ASSERT_NE(e, nullptr);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }

    // The chosen format's model number and paper as the format panel shows them.
    std::int32_t ModelTriat(FrmTolvWiz& w)
    {
        const Cataleg& cat = w.estat().cataleg();
        const int idx = ModTolvWiz::FormatSeleccionat(cat);
        return idx >= 0 ? cat.Etiquetas[idx].Codigo : -1;
    }

    QTemporaryDir dir;
    QString dades;
    QString dit;
    QStringList missatges;
    QStringList oberts;
};

} // namespace

TEST_P(Restauracio, ASavedDesignOpensAsItWasSavedAndAChangeOfFormatStartsAfresh)
{
    // Designed and saved before the final panel, then made.
    QString primer;
    double ampleDisseny = 0;
    {
        FrmTolvWiz w;
        NouDisseny(w, 806);
        Dissenya(w);
        Desa(w, QStringLiteral("Addresses"));
        ampleDisseny = w.estat().disseny()->pageSetup().pageWidth().value;
        FinsFinal(w);
        primer = Acaba(w);
    }
    ASSERT_FALSE(primer.isEmpty());
    const QStringList abans = Celles(primer);

    // Restored in a fresh window: no whole sheet per record, the rows past the header, and
    // the same document.
    {
        FinestraRestaura w;
        Restaura(w);
        FinsDisseny(w);
        EXPECT_TRUE(w.Marc()->Editor()->toPlainText().contains(QStringLiteral("To: ")));
        if (host() == QLatin1String("excel")) {
            EXPECT_EQ(CampsBarres(w).value(2), QStringLiteral("C \u2014 CODE"));
            EXPECT_EQ(CampsMenu(w), CampsBarres(w)) << "the data-field menu names the columns as the dialogs do";
        }
        FinsFinal(w);
        if (word()) {
            EXPECT_TRUE(w.estat().pasOrigen().opcOrigDatos[1]);
        } else {
            EXPECT_TRUE(Busca<BotoImatge>(w, "OpcEtiqpag", 0)->valor());
            EXPECT_FALSE(Busca<BotoImatge>(w, "OpcEtiqpag", 1)->valor());
        }
        if (host() == QLatin1String("excel")) {
            EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_inicial")->text(), QStringLiteral("2"));
            EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_final")->text(), QStringLiteral("31"));
        }
        const QString segon = Acaba(w);
        ASSERT_FALSE(segon.isEmpty());
        const QStringList despres = Celles(segon);
        EXPECT_EQ(despres, abans);
        if (!word()) {
            // Thirty labels on two sheets of 24, none of them the header.
            EXPECT_EQ(despres.size(), 48);
            EXPECT_EQ(despres.size() - despres.count(QString()), 30);
            EXPECT_TRUE(despres.filter(QStringLiteral("NAME")).isEmpty());
        }
    }

    // Kept with no final choice by an older program: the panel's defaults, the same document.
    Reescriu(QStringLiteral("Addresses"), 0, 0, 0);
    {
        FinestraRestaura w;
        Restaura(w);
        FinsDisseny(w);
        if (host() == QLatin1String("excel")) {
            EXPECT_EQ(CampsBarres(w).value(0), QStringLiteral("A \u2014 NAME"));
        }
        FinsFinal(w);
        if (!word()) {
            EXPECT_TRUE(Busca<BotoImatge>(w, "OpcEtiqpag", 0)->valor());
        }
        if (host() == QLatin1String("excel")) {
            EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_inicial")->text(), QStringLiteral("2"));
            EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_final")->text(), QStringLiteral("31"));
        }
        const QString quart = Acaba(w);
        ASSERT_FALSE(quart.isEmpty());
        EXPECT_EQ(Celles(quart), abans);
    }

    // Restored, then another format: the design starts afresh on it.
    {
        FinestraRestaura w;
        Restaura(w);
        TriaFormat(w, 803);
        FinsDisseny(w);
        kovel::word::Document* d = w.estat().disseny();
        ASSERT_NE(d, nullptr);
        EXPECT_TRUE(d->content().text().trimmed().isEmpty());
        EXPECT_TRUE(d->inlinePictures().empty());
        EXPECT_GT(std::abs(d->pageSetup().pageWidth().value - ampleDisseny), 1.0);
        EXPECT_TRUE(w.Marc()->Editor()->toPlainText().trimmed().isEmpty());
        auto* editor = Busca<QTextEdit>(w, "txtDisseny");
        QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(editor, QStringLiteral("Fresh "));
        if (!word()) {
            kovel::proves::TriaCamps(w, {w.estat().pasDisseny().mnuCampo.value(0)});
        }
        FinsFinal(w);
        const QString tercer = Acaba(w);
        ASSERT_FALSE(tercer.isEmpty());
        const QStringList celles = Celles(tercer);
        EXPECT_FALSE(celles.filter(QStringLiteral("Fresh")).isEmpty());
        EXPECT_TRUE(celles.filter(QStringLiteral("To:")).isEmpty());
    }
}

// The whole sheet for each record, chosen on the final panel before the design is saved
// again, comes back chosen; so do kept rows that print the first row as a record, and then
// the code dialogs name no columns by it.
TEST_P(Restauracio, AChoiceOfTheFinalPanelComesBack)
{
    if (word())
        GTEST_SKIP() << "the word processor's final panel has no labels-per-record choice";
    const bool excel = host() == QLatin1String("excel");
    {
        FrmTolvWiz w;
        NouDisseny(w, 806);
        Dissenya(w);
        FinsFinal(w);
        Clica(w, "OpcEtiqpag", 1);
        Clica(w, "CmdAnterior");
        ASSERT_EQ(w.estat().PanelActual, w.estat().numerosPanel().PanelDiseno);
        Desa(w, QStringLiteral("Sheets"));
    }
    if (excel)
        Reescriu(QStringLiteral("Sheets"), 'I', 1, 30);
    FinestraRestaura w;
    Restaura(w);
    FinsDisseny(w);
    if (excel) {
        EXPECT_EQ(CampsBarres(w), (QStringList{"A", "B", "C"}));
    }
    FinsFinal(w);
    EXPECT_TRUE(Busca<BotoImatge>(w, "OpcEtiqpag", 1)->valor());
    EXPECT_FALSE(Busca<BotoImatge>(w, "OpcEtiqpag", 0)->valor());
    if (excel) {
        EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_inicial")->text(), QStringLiteral("1"));
        EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_final")->text(), QStringLiteral("30"));
    }
}

// A design whose document is gone opens as the blank label of its own format, and says which
// file is missing; the design made before the restore never stands for it.
TEST_P(Restauracio, ADesignWhoseDocumentIsGoneOpensBlankAndSaysSo)
{
    {
        FrmTolvWiz w;
        NouDisseny(w, 806);
        Dissenya(w);
        Desa(w, QStringLiteral("Gone"));
    }
    QDirIterator it(dades + QStringLiteral("guardats"), {QStringLiteral("*.docx")}, QDir::Files, QDirIterator::Subdirectories);
    ASSERT_TRUE(it.hasNext());
    const QString document = it.next();
    ASSERT_FALSE(it.hasNext());
    ASSERT_TRUE(QFile::remove(document));

    // A new design on another format, then back to the saved designs to open the lost one.
    FinestraRestaura w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    NouDisseny(w, 803);
    auto* editor = Busca<QTextEdit>(w, "txtDisseny");
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClicks(editor, QStringLiteral("Stale "));
    const double ampleVell = w.estat().disseny()->pageSetup().pageWidth().value;
    for (int i = 0; i < 8 && w.estat().PanelActual != np.PanelGuardados; ++i)
        Clica(w, "CmdAnterior");
    ASSERT_EQ(w.estat().PanelActual, np.PanelGuardados);
    Clica(w, "cmdObrir");
    Busca<QListWidget>(w, "lstGuardats")->setCurrentRow(0);
    Busca<QListWidget>(w, "lstGuardats")->item(0)->setSelected(true);
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.restaurats, 1);
    ASSERT_EQ(missatges.size(), 1) << qPrintable(missatges.join(u'\n'));
    EXPECT_TRUE(missatges.takeFirst().contains(QDir::toNativeSeparators(document)));
    ASSERT_EQ(w.estat().PanelActual, np.PanelFormato);
    Clica(w, "CmdSiguiente");
    FinsDisseny(w);
    kovel::word::Document* d = w.estat().disseny();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->content().text().trimmed().isEmpty());
    EXPECT_GT(std::abs(d->pageSetup().pageWidth().value - ampleVell), 1.0) << "the restored format's own label";
    EXPECT_TRUE(w.Marc()->Editor()->toPlainText().trimmed().isEmpty());
    if (!word()) {
        // A design needs a field: none is there, so nothing stale is made either.
        Clica(w, "CmdSiguiente");
        EXPECT_EQ(w.estat().PanelActual, np.PanelDiseno);
        return;
    }
    FinsFinal(w);
    const QString fet = Acaba(w);
    ASSERT_FALSE(fet.isEmpty());
    EXPECT_TRUE(Celles(fet).filter(QStringLiteral("Stale")).isEmpty());
}

// A Letter format found by its reference from A4, with Yes to the switch of paper, is saved
// and opens on Letter paper; a design whose format is gone from the catalogue says so by
// name and keeps the user on the format panel until another is chosen, keeping the design.
TEST_P(Restauracio, TheSavedPaperAndFormatComeBackAndAGoneFormatWaitsForAChoice)
{
    {
        FrmTolvWiz w;
        NouDisseny(w, 8101);
        ASSERT_EQ(missatges.size(), 1) << "the question to switch paper";
        EXPECT_TRUE(missatges.takeFirst().contains(QStringLiteral("8101")));
        // The paper panel's option follows the search.
        EXPECT_EQ(w.estat().pasPaper().tipusPapel(), PapelLetter);
        EXPECT_EQ(w.estat().cataleg().Unidades, 2);
        for (int i = 0; i < 3; ++i)
            Clica(w, "CmdAnterior");
        ASSERT_EQ(w.estat().PanelActual, w.estat().numerosPanel().PanelFormato);
        EXPECT_TRUE(Busca<BotoImatge>(w, "optLetter")->valor());
        EXPECT_FALSE(Busca<BotoImatge>(w, "optDinA4")->valor());
        QDir().mkpath(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels"));
        EXPECT_TRUE(w.grab().save(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels/%1-paper-after-search.png").arg(host())));
        for (int i = 0; i < 3; ++i)
            Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, w.estat().numerosPanel().PanelDiseno) << qPrintable(missatges.join(u'\n'));
        EXPECT_EQ(ModelTriat(w), 8101);
        Dissenya(w);
        Desa(w, QStringLiteral("Letter"));
    }
    {
        FinestraRestaura w;
        Restaura(w);
        EXPECT_TRUE(Busca<BotoImatge>(w, "optLetter")->valor());
        EXPECT_EQ(w.estat().cataleg().Unidades, 2);
        EXPECT_EQ(ModelTriat(w), 8101);
        EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
        FinsDisseny(w);
        EXPECT_TRUE(w.Marc()->Editor()->toPlainText().contains(QStringLiteral("To: ")));
    }

    // The format gone from the catalogue.
    Reescriu(QStringLiteral("Letter"), [](guardar::RegistreGuardat& r) { r.Model = 987654; });
    FinestraRestaura w;
    Restaura(w);
    ASSERT_EQ(missatges.size(), 1) << qPrintable(missatges.join(u'\n'));
    const QString dit = missatges.takeFirst();
    EXPECT_TRUE(dit.contains(QStringLiteral("KOVEL 987654"))) << qPrintable(dit);
    EXPECT_TRUE(dit.contains(QStringLiteral("\"Letter\""))) << qPrintable(dit);
    EXPECT_EQ(ModelTriat(w), -1) << "no other format stands for it";
    QDir().mkpath(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels"));
    EXPECT_TRUE(w.grab().save(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels/%1-format-gone.png").arg(host())));
    Clica(w, "CmdSiguiente");
    EXPECT_EQ(w.estat().PanelActual, w.estat().numerosPanel().PanelEtiqueta);
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_EQ(missatges.takeFirst(), dit);
    // Another format chosen: the design comes with it.
    TriaFormat(w, 8101);
    FinsDisseny(w);
    EXPECT_TRUE(w.Marc()->Editor()->toPlainText().contains(QStringLiteral("To: ")));
    FinsFinal(w);
    EXPECT_FALSE(Acaba(w).isEmpty());
}

// A model number the catalogue holds on two papers opens on the paper the design kept.
TEST_P(Restauracio, AModelOnTwoPapersOpensOnTheSavedOne)
{
    {
        FrmTolvWiz w;
        NouDisseny(w, 806);
        Dissenya(w);
        Desa(w, QStringLiteral("Twin"));
    }
    Reescriu(QStringLiteral("Twin"), [](guardar::RegistreGuardat& r) { r.TipusPaper = 'L'; });
    FinestraRestaura w;
    Restaura(w, 0, [](FrmTolvWiz& w) {
        // Format 806 on Letter paper too, after its A4 one.
        Cataleg& cat = w.estat().cataleg();
        for (int i = 0; i < cat.NumEtiquetas; ++i)
            if (cat.Etiquetas[i].Codigo == 806) {
                cat.Etiquetas << cat.Etiquetas[i];
                cat.EtiquetasExt << cat.EtiquetasExt[i];
                cat.EtiquetasMarca << cat.EtiquetasMarca[i];
                cat.Etiquetas.last().TipoPapel = PapelLetter;
                ++cat.NumEtiquetas;
                return;
            }
        ADD_FAILURE() << "no format 806";
    });
    EXPECT_TRUE(Busca<BotoImatge>(w, "optLetter")->valor());
    const Cataleg& cat = w.estat().cataleg();
    const int idx = ModTolvWiz::FormatSeleccionat(cat);
    ASSERT_GE(idx, 0);
    EXPECT_EQ(cat.Etiquetas[idx].Codigo, 806);
    EXPECT_EQ(cat.Etiquetas[idx].TipoPapel, PapelLetter);
    EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
}

// Rows the user never gave are the worksheet's as it is when the design opens; rows the user
// gave come back, and when the worksheet no longer holds them the final panel says so.
TEST_P(Restauracio, OnlyTheRowsTheUserGaveAreKept)
{
    if (host() != QLatin1String("excel"))
        GTEST_SKIP() << "only the spreadsheet's final panel has rows";
    {
        FrmTolvWiz w;
        NouDisseny(w, 806);
        Dissenya(w);
        Desa(w, QStringLiteral("Rows"));
    }
    Adreces(10);
    {
        FinestraRestaura w;
        RestauraFinsFinal(w);
        EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_inicial")->text(), QStringLiteral("2"));
        EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_final")->text(), QStringLiteral("41"));
        // Forty labels on two sheets of 24, the last address among them.
        const QStringList celles = Celles(Acaba(w));
        EXPECT_EQ(celles.size() - celles.count(QString()), 40);
        EXPECT_FALSE(celles.filter(QStringLiteral("Person 40")).isEmpty());
    }

    // Rows typed on the final panel, then saved from the design panel.
    {
        FinestraRestaura w;
        RestauraFinsFinal(w);
        EscriuFila(w, "txtFila_inicial", QStringLiteral("3"));
        EscriuFila(w, "txtFila_final", QStringLiteral("20"));
        Clica(w, "CmdAnterior");
        ASSERT_EQ(w.estat().PanelActual, w.estat().numerosPanel().PanelDiseno);
        missatges.clear();
        Desa(w, QStringLiteral("Chosen"));
    }
    Adreces(20);   // more rows: the chosen ones stand
    {
        FinestraRestaura w;
        RestauraFinsFinal(w);
        EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_inicial")->text(), QStringLiteral("3"));
        EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_final")->text(), QStringLiteral("20"));
        EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
    }
    Adreces(-20);  // ten addresses, the last at row 11
    FinestraRestaura w;
    RestauraFinsFinal(w);
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges[0].contains(QStringLiteral("rows 3 to 20"))) << qPrintable(missatges[0]);
    EXPECT_TRUE(missatges[0].contains(QStringLiteral("row 11"))) << qPrintable(missatges[0]);
    EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_final")->text(), QStringLiteral("20"));
}

// Rows given for one worksheet stay while it stays chosen and are forgotten when another
// is chosen, in a new design and in a restored one: the other worksheet's own rows are
// worked out again, and nothing is said of rows it never had.
TEST_P(Restauracio, RowsGivenForOneWorksheetAreForgottenWhenAnotherIsChosen)
{
    if (host() != QLatin1String("excel"))
        GTEST_SKIP() << "only the spreadsheet's final panel has rows";
    // Thirty addresses on the first worksheet, ten shops on the second, each under a header.
    const QString llibre = dir.filePath(QStringLiteral("two.xlsx"));
    lxw_workbook* wb = workbook_new(llibre.toUtf8().constData());
    const std::pair<const char*, int> fulls[] = {{"Addresses", 30}, {"Shops", 10}};
    for (const auto& [nom, files] : fulls) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, nom);
        worksheet_write_string(ws, 0, 0, "NAME", nullptr);
        worksheet_write_string(ws, 0, 1, "STREET", nullptr);
        worksheet_write_string(ws, 0, 2, "CODE", nullptr);
        for (int r = 1; r <= files; ++r) {
            worksheet_write_string(ws, r, 0, QStringLiteral("%1 %2").arg(QLatin1String(nom)).arg(r).toUtf8().constData(), nullptr);
            worksheet_write_string(ws, r, 1, QStringLiteral("%1 High Street").arg(r).toUtf8().constData(), nullptr);
            worksheet_write_string(ws, r, 2, CodiFila(r).toUtf8().constData(), nullptr);
        }
    }
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    qputenv("KOVEL_ACTIVE_WORKBOOK", llibre.toUtf8());
    const auto files = [](FrmTolvWiz& w) {
        return (Busca<QLineEdit>(w, "txtFila_inicial")->text() + u'-' + Busca<QLineEdit>(w, "txtFila_final")->text())
            .toStdString();
    };
    // Back from the final panel to the source panel, worksheet `full` chosen, on to the final.
    // With `foto`, pictures of the source panel and of the final panel are kept under it.
    const auto altreFull = [this](FrmTolvWiz& w, int full, const char* foto = nullptr) {
        const kovel::NumerosPanel& np = w.estat().numerosPanel();
        const auto fotografia = [&w, foto](const char* panel) {
            if (!foto)
                return;
            QDir().mkpath(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels"));
            EXPECT_TRUE(w.grab().save(QStringLiteral(KOVEL_BINARY_DIR "/wizard-panels/excel-%1-%2.png")
                                          .arg(QLatin1String(foto), QLatin1String(panel))));
        };
        for (int i = 0; i < 2; ++i)
            Clica(w, "CmdAnterior");
        ASSERT_EQ(w.estat().PanelActual, np.PanelOrigenDatos);
        Busca<QListWidget>(w, "LstHojas")->setCurrentRow(full);
        fotografia("source");
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno) << qPrintable(missatges.join(u'\n'));
        FinsFinal(w);
        fotografia("final");
    };
    {
        FrmTolvWiz w;
        NouDisseny(w, 806);
        Dissenya(w);
        FinsFinal(w);
        EXPECT_EQ(files(w), "2-31");
        EscriuFila(w, "txtFila_inicial", QStringLiteral("3"));
        EscriuFila(w, "txtFila_final", QStringLiteral("20"));
        altreFull(w, 0);   // the same worksheet: the rows stand
        EXPECT_EQ(files(w), "3-20");
        Clica(w, "CmdAnterior");
        missatges.clear();
        Desa(w, QStringLiteral("Two sheets"));
        FinsFinal(w);
        altreFull(w, 1);
        EXPECT_EQ(files(w), "2-11");
        EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
    }
    // Restored with its rows of the first worksheet, then the second chosen: its ten shops.
    FinestraRestaura w;
    RestauraFinsFinal(w);
    EXPECT_EQ(files(w), "3-20");
    altreFull(w, 1, "other-worksheet");
    EXPECT_EQ(files(w), "2-11");
    EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
    const QStringList celles = Celles(Acaba(w));
    EXPECT_EQ(celles.size() - celles.count(QString()), 10);
    EXPECT_FALSE(celles.filter(QStringLiteral("Shops 10")).isEmpty());
    EXPECT_TRUE(celles.filter(QStringLiteral("Addresses")).isEmpty());

    // Its worksheet gone from the workbook: the first one stands chosen, with its own rows.
    Reescriu(QStringLiteral("Two sheets"), [](guardar::RegistreGuardat& r) { r.Llista = QStringLiteral("Gone"); });
    FinestraRestaura sensFull;
    RestauraFinsFinal(sensFull);
    EXPECT_EQ(Busca<QListWidget>(sensFull, "LstHojas")->currentRow(), 0);
    EXPECT_EQ(files(sensFull), "2-31");
    EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
}

// A new design chosen after a restore takes nothing of the restored one's choices: no rows
// it kept, and no word of its format that the catalogue lost.
TEST_P(Restauracio, ANewDesignAfterARestoreTakesNotItsRowsNorItsLostFormat)
{
    const bool excel = host() == QLatin1String("excel");
    {
        FrmTolvWiz w;
        NouDisseny(w, 806);
        Dissenya(w);
        if (excel) {
            FinsFinal(w);
            EscriuFila(w, "txtFila_inicial", QStringLiteral("3"));
            EscriuFila(w, "txtFila_final", QStringLiteral("20"));
            Clica(w, "CmdAnterior");
        }
        Desa(w, QStringLiteral("Kept"));
    }
    Reescriu(QStringLiteral("Kept"), [](guardar::RegistreGuardat& r) { r.Model = 987654; });
    FinestraRestaura w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    Restaura(w);
    ASSERT_EQ(missatges.size(), 1) << "the lost format is said";
    missatges.clear();
    for (int i = 0; i < 2; ++i)
        Clica(w, "CmdAnterior");
    ASSERT_EQ(w.estat().PanelActual, np.PanelGuardados);
    Clica(w, "cmdCrear");
    Clica(w, "CmdSiguiente");
    Clica(w, "optDinA4");
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelEtiqueta);
    EXPECT_NE(ModelTriat(w), -1) << "a line of the list stands chosen";
    Clica(w, "CmdSiguiente");
    EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
    ASSERT_EQ(w.estat().PanelActual, np.PanelOrigenDatos);
    if (!excel)
        return;
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno);
    FinsFinal(w);
    EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_inicial")->text(), QStringLiteral("2"));
    EXPECT_EQ(Busca<QLineEdit>(w, "txtFila_final")->text(), QStringLiteral("31"));
    EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
}

// A save that the full disk stops is said of the design by its name, ends as a sentence and
// names none of the program's own working folders; no design is kept.
TEST_P(Restauracio, AFullDiskDuringASaveIsSaidOfTheDesign)
{
    FrmTolvWiz w;
    NouDisseny(w, 806);
    Dissenya(w);
    struct Limit {
        Limit() { kovel::files::LimitaEscripturesPerProva(100); }
        ~Limit() { kovel::files::LimitaEscripturesPerProva(-1); }
    };
    {
        const Limit ple;
        Desa(w, QStringLiteral("Full disk"));
    }
    EXPECT_TRUE(dit.startsWith(ModTraduccion::Literal(7004))) << qPrintable(dit);
    EXPECT_FALSE(dit.contains(QStringLiteral(".kovel-"))) << qPrintable(dit);
    EXPECT_TRUE(dit.endsWith(u'.')) << qPrintable(dit);
    QFile f(FitxerGuardats());
    if (f.open(QIODevice::ReadOnly)) {
        const guardar::Lectura l = guardar::LlegeixRegistres(f.readAll(), f.fileName());
        for (const guardar::RegistreGuardat& r : l.registres)
            EXPECT_NE(r.Nom.trimmed(), QStringLiteral("Full disk"));
    }
}

INSTANTIATE_TEST_SUITE_P(Hosts, Restauracio,
                         ::testing::Values(std::string("word"), std::string("excel"), std::string("access")),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// The label design frame as the user sees it: the label page whole in its frame, codes drawn
// as they print (read back from a grab of the frame), a field-linked code inserted while the
// sample row is a header, the one-page guard's message and the frame's Save button. Pictures
// of each state go to the build folder (design-frame/) to be looked at.
#include "wizard/ui/FrmTolvWiz.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/ui/tests/FinestraProva.h"
#include "testsupport/Espera.h"

#include "catalogue/Catalogo.h"
#include "catalogue/Cataleg.h"
#include "common/Fitxers.h"
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/ModTolvWizUi.h"
#include "common/ui/frm_rvtMsgBox.h"
#include "documents/ui/MarcDisseny.h"
#include "platform/docframe/ui/MarcDocument.h"
#include "platform/word/Document.h"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QToolBar>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <iostream>

using kovel::wizard::FrmTolvWiz;

namespace {

QApplication& App() { return kovel::proves::AppFinestres(); }
using kovel::proves::AmbDigitControl;
using kovel::proves::Busca;
using kovel::proves::Clica;
using kovel::proves::FinestraAmbDesa;

const QString Fotos = QStringLiteral(KOVEL_BINARY_DIR "/design-frame/");

// Every code zxing-cpp finds in a whole picture, as "format:text". This reader returns
// several linear codes of one picture only one at a time: each code read is painted over
// and the picture read again.
QStringList Codis(QImage imatge)
{
    QImage grey = imatge.convertToFormat(QImage::Format_Grayscale8);
    grey.setDevicePixelRatio(1);   // painted over in the reader's pixels
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    hints.setFormats(ZXing::BarcodeFormat::EAN13 | ZXing::BarcodeFormat::QRCode);
    QStringList out;
    for (int i = 0; i < 200; ++i) {
        const ZXing::ImageView vista(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                     int(grey.bytesPerLine()));
        const ZXing::Result r = ZXing::ReadBarcode(vista, hints);
        if (!r.isValid())
            break;
        out << QString::fromStdString(ZXing::ToString(r.format())) + u':' + QString::fromStdString(r.text());
        QPolygonF lloc;
        for (int k = 0; k < 4; ++k)
            lloc << QPointF(r.position()[k].x, r.position()[k].y);
        QRectF tapa = lloc.boundingRect();
        // A linear code is found on one line: its bars stand above and below it.
        if (r.format() == ZXing::BarcodeFormat::EAN13)
            tapa.adjust(-4, -tapa.width() / 2.5, 4, tapa.width() / 2.5);
        QPainter p(&grey);
        p.fillRect(tapa.adjusted(-4, -4, 4, 4), Qt::white);
    }
    out.sort();
    out.removeDuplicates();
    return out;
}

QString CodiFila(int fila) { return QStringLiteral("4006381%1").arg(fila, 5, 10, QLatin1Char('0')); }

class MarcDisseny : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        ASSERT_TRUE(dir.isValid());
        qputenv("KOVEL_USER_REGISTRY", (dir.path() + QStringLiteral("/user.reg")).toUtf8());
        QString m;
        ASSERT_TRUE(ModTraduccion::CarregarLiterals(m)) << qPrintable(m);
        mod_rvtMsgBox::setAnswerer([this](const QString& p, std::int16_t style, const QString&) {
            missatges << p;
            estils << style;
            return mod_rvtMsgBox::BotoPerDefecte(style);
        });
        ModTolvWiz::setObridorShell([this](const QString& cami) {
            oberts << cami;
            return true;
        });
        QDir().mkpath(Fotos);
        // A CSV of addresses with a header row, its codes in the third column.
        Excel_espec::Inicialitzar();
        const QString csv = dir.filePath(QStringLiteral("addresses.csv"));
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("NAME,STREET,CODE\r\n");
        for (int r = 1; r <= files; ++r)
            f.write(QStringLiteral("Person %1,%1 High Street,%2\r\n").arg(r).arg(CodiFila(r)).toUtf8());
        f.close();
        qputenv("KOVEL_ACTIVE_WORKBOOK", csv.toUtf8());
    }
    void TearDown() override
    {
        mod_rvtMsgBox::resetAnswerer();
        ModTolvWiz::setObridorShell({});
    }

    // Home, A4, a format (806: 70 x 37 mm), the CSV's sheet: the design panel.
    void FinsDisseny(FrmTolvWiz& w, int format = 806)
    {
        w.estat().setCarpetaDades(dir.path() + QStringLiteral("/data/"));
        CarpetaDades = dir.path() + QStringLiteral("/data/");
        ASSERT_TRUE(w.Cargar()) << qPrintable(missatges.join(u'\n'));
        const kovel::NumerosPanel& np = w.estat().numerosPanel();
        Clica(w, "CmdSiguiente");
        Clica(w, "optDinA4");
        Clica(w, "CmdSiguiente");
        auto* ref = Busca<QLineEdit>(w, "txtReferencia");
        ref->setText(QString::number(format));
        Clica(w, "btn_buscar_ref");
        ASSERT_GE(ModTolvWiz::FormatSeleccionat(w.estat().cataleg()), 0);
        ASSERT_EQ(w.estat().cataleg().Etiquetas[ModTolvWiz::FormatSeleccionat(w.estat().cataleg())].Codigo, format);
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelOrigenDatos) << qPrintable(missatges.join(u'\n'));
        Clica(w, "CmdSiguiente");
        ASSERT_EQ(w.estat().PanelActual, np.PanelDiseno) << qPrintable(missatges.join(u'\n'));
        w.resize(w.size());
        QApplication::processEvents();
    }

    void Camp(FrmTolvWiz& w, const QString& camp) { kovel::proves::TriaCamps(w, {camp}); }

    // A code dialog linked to field `camp`, then OK. Returns the time from OK to the code
    // shown in the frame, in milliseconds.
    double Codi(FrmTolvWiz& w, const char* boto, const char* acceptar, int camp, QString* avis = nullptr)
    {
        double ms = -1;
        QElapsedTimer t;
        QTimer::singleShot(0, [&, acceptar, camp] {
            QWidget* d = QApplication::activeModalWidget();
            ASSERT_NE(d, nullptr);
            d->findChild<QComboBox*>(QStringLiteral("cboCamp"))->setCurrentIndex(camp);
            d->findChild<QRadioButton*>(QStringLiteral("optCamp"))->click();
            if (avis)
                *avis = d->findChild<QWidget*>(QStringLiteral("pnlInvalid"))->isVisible()
                            ? d->findChild<QLabel*>(QStringLiteral("lblInvalid"))->text()
                            : QString();
            d->grab().save(Fotos + QString::fromLatin1(boto) + QStringLiteral("-dialog.png"));
            t.start();
            d->findChild<QPushButton*>(QLatin1String(acceptar))->click();
            if (d->isVisible())
                d->close();
        });
        Clica(w, boto);
        w.Marc()->repaint();
        if (t.isValid())
            ms = t.nsecsElapsed() / 1e6;
        return ms;
    }

    const int files = 30;
    QTemporaryDir dir;
    QStringList missatges;
    QList<std::int16_t> estils;
    QStringList oberts;
};

} // namespace

// The label fits its frame whole; a field-linked EAN-13 whose sample is the header row goes
// in, and the frame shows both codes as they print; the document has one code per record.
TEST_F(MarcDisseny, CodesShowAsTheyPrintAndAHeaderRowSampleStillInserts)
{
    FrmTolvWiz w;
    const kovel::NumerosPanel& np = w.estat().numerosPanel();
    FinsDisseny(w, 811);   // 99 x 68 mm: room for both codes at their own sizes
    kovel::docframe::MarcDocument* marc = w.Marc();
    auto* editor = Busca<QTextEdit>(w, "txtDisseny");
    QWidget* fons = Busca(w, "fonsPagina");
    ASSERT_TRUE(editor && fons);
    // The page whole and centred, at the largest zoom that leaves a thin edge of desk.
    const QRect pagina = editor->geometry();
    EXPECT_TRUE(fons->rect().contains(pagina));
    EXPECT_LE(std::abs(pagina.left() - (fons->width() - pagina.right() - 1)), 1);
    EXPECT_LE(std::abs(pagina.top() - (fons->height() - pagina.bottom() - 1)), 1);
    EXPECT_TRUE(pagina.width() >= fons->width() - 14 || pagina.height() >= fons->height() - 14);
    EXPECT_GT(marc->Zoom(), 1.0);
    EXPECT_NEAR(pagina.width(), marc->MidaPagina().width() * marc->Zoom(), 1.0);
    // A smaller frame shows the page smaller, still whole and centred.
    const double zoom = marc->Zoom();
    marc->resize(marc->width() - 160, marc->height() - 80);
    QApplication::processEvents();
    EXPECT_LT(marc->Zoom(), zoom);
    EXPECT_TRUE(fons->rect().contains(editor->geometry()));
    EXPECT_LE(std::abs(editor->x() - (fons->width() - editor->geometry().right() - 1)), 1);
    EXPECT_LE(std::abs(editor->y() - (fons->height() - editor->geometry().bottom() - 1)), 1);
    marc->resize(marc->width() + 160, marc->height() + 80);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(marc->Zoom(), zoom);

    // The rows start past the header; the samples are taken from the header row itself.
    EXPECT_EQ(w.estat().pasFinal().txtFila_inicial, QStringLiteral("2"));
    w.estat().pasFinal().txtFila_Change(QStringLiteral("1"), w.estat().pasFinal().txtFila_final);
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClicks(editor, QStringLiteral("To: "));
    Camp(w, QStringLiteral("A"));
    QTest::keyClick(editor, Qt::Key_Return);
    QString avis;
    const double msBarres = Codi(w, "btn_barres", "btnAcceptar", 2, &avis);
    // The header's "CODE" cannot be an EAN-13: warned, and inserted all the same.
    EXPECT_TRUE(avis.contains(ModTraduccion::Literal(8001))) << qPrintable(avis);
    QTest::keyClicks(editor, QStringLiteral(" "));
    const double msQR = Codi(w, "btn_qr", "btnAceptar", 0);
    EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
    std::cout << "[ measure ] code inserted and shown: barcode " << msBarres << " ms, QR " << msQR << " ms\n";
    ASSERT_EQ(w.estat().disseny()->inlinePictures().size(), 3u);
    EXPECT_FALSE(editor->verticalScrollBar()->isVisible());

    // The frame as the user sees it: both codes read back from it.
    QTest::qWait(600);   // a tick of the guard: nothing to undo
    ASSERT_TRUE(marc->EsperaImatges(60000));
    marc->grab().save(Fotos + QStringLiteral("design-codes.png"));
    // Read from the frame as a screen of twice the pixels shows it: at this zoom one screen
    // pixel is less than two modules of the EAN-13, finer than the reader resolves.
    QImage vista(marc->size() * 2, QImage::Format_RGB32);
    vista.setDevicePixelRatio(2);
    ASSERT_TRUE(marc->EsperaImatges(60000, [&] {
        vista.fill(Qt::white);
        marc->render(&vista);
    }));
    vista.save(Fotos + QStringLiteral("design-codes-2x.png"));
    EXPECT_EQ(Codis(vista).join(u' '), QStringLiteral("EAN-13:1234567890128 QRCode:NAME"));
    EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));

    // The document from row 2: one code per record, none for the header.
    Clica(w, "CmdSiguiente");
    ASSERT_EQ(w.estat().PanelActual, np.PanelFinal) << qPrintable(missatges.join(u'\n'));
    Clica(w, "OpcEtiqpag", 0);
    auto* primera = Busca<QLineEdit>(w, "txtFila_inicial");
    QTest::mouseClick(primera, Qt::LeftButton);
    primera->selectAll();
    QTest::keyClicks(primera, QStringLiteral("2"));
    QTest::keyClick(primera, Qt::Key_Tab);
    ASSERT_EQ(primera->text(), QStringLiteral("2"));
    Clica(w, "CmdSiguiente");
    EXPECT_TRUE(missatges.isEmpty()) << qPrintable(missatges.join(u'\n'));
    ASSERT_EQ(oberts.size(), 1);
    const QString pdf = kovel::proves::PdfAmbLibreOffice(oberts[0], dir.path());
    ASSERT_FALSE(pdf.isEmpty());
    QProcess ppm;
    ppm.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("200"), QStringLiteral("-png"), pdf,
                                            dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(ppm.waitForFinished(120000));
    QStringList barres, esperats;
    const QStringList pagines = QDir(dir.path()).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(pagines.isEmpty());
    for (const QString& p : pagines) {
        const QImage img(dir.filePath(p));
        if (p == pagines.first())
            img.save(Fotos + QStringLiteral("document-page1.png"));
        for (const QString& c : Codis(img))
            if (c.startsWith(QLatin1String("EAN-13:")))
                barres << c.mid(7);
    }
    for (int r = 1; r <= files; ++r)
        esperats << AmbDigitControl(CodiFila(r));
    barres.sort();
    esperats.sort();
    EXPECT_EQ(barres, esperats);
}

// A QR code that no longer fits the label is taken out again, with the beep and a message
// that says what was undone and why; the frame's Save button runs the user's save.
TEST_F(MarcDisseny, TheGuardSaysWhatItUndidAndTheSaveButtonSaves)
{
    FinestraAmbDesa w;
    FinsDisseny(w);
    auto* editor = Busca<QTextEdit>(w, "txtDisseny");
    int beeps = 0;
    w.marcDisseny().Beep = [&beeps] { ++beeps; };
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    // A line and a barcode fill the label; a QR code on a line of its own no longer fits:
    // the dialog says so, with the room there is, and puts nothing in.
    Camp(w, QStringLiteral("A"));
    QTest::keyClick(editor, Qt::Key_Return);
    Codi(w, "btn_barres", "btnAcceptar", 2);
    ASSERT_EQ(w.Marc()->NombrePagines(), 1);
    ASSERT_EQ(w.estat().disseny()->inlinePictures().size(), 2u);
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Return);
    // Closing the dialog after that inserts nothing either.
    mod_rvtMsgBox::setAnswerer([this](const QString& p, std::int16_t style, const QString&) {
        missatges << p;
        estils << style;
        const int botons = style & 0x0F;
        return botons == mod_rvtMsgBox::vbYesNoCancel || botons == mod_rvtMsgBox::vbYesNo ? std::int16_t(mod_rvtMsgBox::vbNo)
                                                                                          : std::int16_t(mod_rvtMsgBox::vbOK);
    });
    Codi(w, "btn_qr", "btnAceptar", 0);
    ASSERT_EQ(w.estat().disseny()->inlinePictures().size(), 2u);
    ASSERT_GE(missatges.size(), 1);
    EXPECT_TRUE(missatges[0].contains(QStringLiteral("does not fit")) && missatges[0].contains(QStringLiteral(" mm")))
        << qPrintable(missatges[0]);
    EXPECT_EQ(w.Marc()->NombrePagines(), 1);
    missatges.clear();
    estils.clear();

    // Lines typed past the label's foot are taken out again, and the guard says so.
    for (int i = 0; i < 20 && w.Marc()->NombrePagines() < 2; ++i) {
        QTest::keyClicks(editor, QStringLiteral("more"));
        QTest::keyClick(editor, Qt::Key_Return);
    }
    w.Marc()->grab().save(Fotos + QStringLiteral("guard-before.png"));
    ASSERT_GE(w.Marc()->NombrePagines(), 2);
    kovel::test::EsperaFins([&] { return w.Marc()->NombrePagines() == 1; });
    ASSERT_EQ(w.Marc()->NombrePagines(), 1);
    EXPECT_EQ(beeps, 1);
    ASSERT_EQ(missatges.size(), 1);
    EXPECT_TRUE(missatges[0].contains(QStringLiteral("taken out again"))) << qPrintable(missatges[0]);
    EXPECT_EQ(estils[0] & 0x70, mod_rvtMsgBox::vbExclamation);
    EXPECT_EQ(w.estat().disseny()->inlinePictures().size(), 2u);
    // The message as the user sees it.
    frm_rvtMsgBox* caixa = frm_rvtMsgBox::Instancia();
    caixa->Preparar(missatges[0], mod_rvtMsgBox::vbExclamation, QStringLiteral("KOVEL Videvoviv"));
    caixa->grab().save(Fotos + QStringLiteral("guard-message.png"));
    missatges.clear();

    // The Save button with the frame's tools, the same command as Ctrl+S.
    int desades = 0;
    w.desa = [&desades] { ++desades; };
    auto* desar = Busca<QToolButton>(w, "btnDesar");
    ASSERT_NE(desar, nullptr);
    EXPECT_TRUE(desar->isVisible());
    EXPECT_FALSE(desar->text().isEmpty());
    QTest::mouseClick(desar, Qt::LeftButton);
    EXPECT_EQ(desades, 1);
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(desades, 2);
    // At the window's own size the whole bar shows, Undo and Redo with it.
    for (const char* nom : {"btnDesfer", "btnRefer"}) {
        const QWidget* boto = w.Marc()->BarraFormat()->widgetForAction(w.Marc()->findChild<QAction*>(QLatin1String(nom)));
        EXPECT_TRUE(boto && boto->isVisible()) << nom;
    }
    const QWidget* plegats = w.Marc()->BarraFormat()->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button"));
    EXPECT_TRUE(!plegats || !plegats->isVisible());
    w.grab().save(Fotos + QStringLiteral("design-panel.png"));
}

#include "documents/ui/MarcDisseny.h"

#include "common/Fitxers.h"
#include "common/ModTolvWiz.h"
#include "common/MsgBox.h"
#include "common/ui/Finestres.h"
#include "documents/CampsDisseny.h"
#include "documents/generar_doc.h"
#include "documents/MidaCodiDisseny.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

using kovel::docframe::MarcDocument;

namespace modDsoFraWord {

namespace {
// Puts the guard's timer back as it was when the scope began.
class TimerAturat {
public:
    explicit TimerAturat(QTimer* timer) : timer_(timer), actiu_(timer && timer->isActive())
    {
        if (timer_)
            timer_->stop();
    }
    ~TimerAturat()
    {
        if (timer_ && actiu_)
            timer_->start();
    }
    TimerAturat(const TimerAturat&) = delete;
    TimerAturat& operator=(const TimerAturat&) = delete;

private:
    QTimer* timer_;
    bool actiu_;
};
} // namespace

MarcDisseny::MarcDisseny()
    : Beep([] { QApplication::beep(); }), AvisDesfet([](const QString& text) {
          Portapapers::MissatgePopUp(text, mod_rvtMsgBox::vbExclamation, QStringLiteral("KOVEL Videvoviv"));
      })
{
}

void MarcDisseny::Enllaca(MarcDocument* marc, QTimer* timer)
{
    marc_ = marc;
    timer_ = timer;
    // A field-linked code shows at the size the generation will draw it, beside its line's text.
    if (marc_)
        marc_->setMidaImatge(generar_doc::MidaCodiDisseny);
}

bool MarcDisseny::IniciaMarcDocument(const QString& carpetaPrograma)
{
    if (!marc_)
        return false;
    marc_->setCarpetesProtegides({carpetaPrograma});
    ConfiguraBarres();
    try {
        marc_->Obre(generar_doc::DocumentBlancGeneral(carpetaPrograma));
    } catch (const kovel::word::WordError& e) {
        ModTolvWiz::Mensaje_Error(e.message());
        return false;
    }
    return true;
}

bool MarcDisseny::ObreDocument(const QString& path, bool tancaAnterior)
{
    if (!marc_)
        return false;
    const TimerAturat aturat(timer_);
    try {
        // The open replaces what was shown only once the file has been read whole.
        marc_->Obre(path);
    } catch (const kovel::word::WordError& e) {
        ModTolvWiz::Escribe_Log(e.message());
        return false;
    }
    (void)tancaAnterior;
    return true;
}

void MarcDisseny::DesaDocument(const QString& path)
{
    if (timer_)
        timer_->stop();
    DesantDocument = true;
    struct Restaura {
        MarcDisseny& m;
        ~Restaura()
        {
            m.DesantDocument = false;
            if (m.timer_)
                m.timer_->start();
        }
    } restaura{*this};
    if (marc_ && !marc_->Desa(path))
        throw kovel::word::WordError(QStringLiteral("\"%1\" was not saved.").arg(path));
}

void MarcDisseny::TancaDocument()
{
    if (marc_) {
        marc_->setDesat(true);
        marc_->Tanca();
    }
}

int MarcDisseny::NombrePagines() const { return marc_ ? marc_->NombrePagines() : 0; }

void MarcDisseny::EvitaDuesPagines()
{
    if (!marc_ || !marc_->TeDocument())
        return;
    kovel::docframe::MarcDocument* marc = marc_;
    const GuardUnaPagina::Resultat r =
        guard_.Revisa(marc->pont(), *marc->Editor()->document(), [marc] { return marc->Desfes(); });
    if (r.desfets == 0)
        return;
    if (Beep)
        Beep();
    if (AvisDesfet)
        AvisDesfet(r.missatge);
}

void MarcDisseny::ConfiguraBarres()
{
    if (marc_)
        marc_->BarraFormat()->setVisible(true);
}

bool MarcDisseny::PreparaDocumentBase(const Cataleg& cat, int index, bool horitzontal, bool& prepared,
                                      const QString& carpetaPrograma)
{
    if (!marc_)
        return false;
    try {
        const generar_doc::MidesFull m = generar_doc::MidesDeCatalogo(cat, index);
        if (!generar_doc::CalPrepararDocumentBase(clauBase_, m.codi, m.sufix, horitzontal, prepared))
            return true;
        const TimerAturat aturat(timer_);
        generar_doc::DocumentBase base =
            generar_doc::PreparaDocumentBase(m, horitzontal, carpetaPrograma, directoris::DirectoriTmp());
        marc_->Mostra(*base.document, base.cami);
        return true;
    } catch (const generar_doc::GeneracioError& e) {
        ModTolvWiz::Mensaje_Error(e.message());
    } catch (const kovel::word::WordError& e) {
        ModTolvWiz::Mensaje_Error(e.message());
    }
    // Not prepared: the next call with the same choice tries again.
    clauBase_.lletra.clear();
    return false;
}

void MarcDisseny::AjustaMidaMarc(QWidget* contenidor, const QWidget* pnlHoja, const QWidget* panelDisseny, bool perCasella,
                    double escala)
{
    if (!contenidor)
        return;
    const int vell = contenidor->width();
    int nou;
    if (!perCasella || !pnlHoja || !panelDisseny) {
        contenidor->move(int(std::lround(kovel::ui::Px(150) * escala)), contenidor->y());
        nou = int(std::lround(kovel::ui::Px(KOVEL_AnchoMarcoDocumento()) * escala));
    } else {
        // Beside the sheet of cells, to the panel's inner edge.
        contenidor->move(pnlHoja->x() + pnlHoja->width() + kovel::ui::Px(60), contenidor->y());
        nou = panelDisseny->contentsRect().width() - contenidor->x() - kovel::ui::Px(60);
    }
    contenidor->resize(std::max(1, nou), contenidor->height());
    if (marc_ && marc_->parentWidget() == contenidor)
        marc_->resize(std::max(1, marc_->width() + (contenidor->width() - vell)), marc_->height());
}

void MarcDisseny::InsereixImatgeCamp(const QString& camp)
{
    if (!marc_ || !marc_->TeDocument())
        return;
    marc_->InsereixImatge(CreaImatgeCamp(camp, marc_->MidaLletraSeleccio()));
}

void MarcDisseny::DesaCasellaActual(std::int32_t n)
{
    if (!marc_ || !seleccionador_ABCD::Caselles::CalDesar(marc_->TeDocument(), marc_->Desat(), n))
        return;
    const QString path = seleccionador_ABCD::Caselles::CamiCasella(n);
    DesaDocument(path);
    caselles.Desada(n, path);
}

void MarcDisseny::CanviaCasella(const Cataleg& cat, std::int32_t n, int index, bool horitzontal,
                                const QString& carpetaPrograma)
{
    const QString path = seleccionador_ABCD::Caselles::CamiCasella(n);
    bool obert = QFileInfo::exists(path) && ObreDocument(path, true);
    if (!obert && QFileInfo::exists(path))
        ModTolvWiz::Mensaje_Error(QStringLiteral("The design of this label cannot be read (%1); a blank label is shown instead.").arg(path));
    if (!obert) {
        // Never left showing another cell's document under this cell's number.
        bool prepared = true;
        if (!PreparaDocumentBase(cat, index, horitzontal, prepared, carpetaPrograma))
            return;
    }
    caselles.CasellaActual = n;
}

void MarcDisseny::BuidaCaselles(const Cataleg& cat, int index, bool horitzontal, const QString& carpetaPrograma)
{
    bool prepared = true;
    PreparaDocumentBase(cat, index, horitzontal, prepared, carpetaPrograma);
    caselles.Buida();
}

} // namespace modDsoFraWord

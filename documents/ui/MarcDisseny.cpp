#include "documents/ui/MarcDisseny.h"

#include "common/MsgBox.h"
#include "common/ui/Finestres.h"
#include "documents/CampsDisseny.h"
#include "documents/generar_doc.h"
#include "documents/MidaCodiDisseny.h"

#include <QApplication>
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

void MarcDisseny::Enllaca(MarcDocument* marc, QTimer* timer, const kovel::codes::RegistreCodis* codis)
{
    marc_ = marc;
    timer_ = timer;
    if (marc_) {
        // A field's placeholder shows the room the record's text takes at its font size.
        marc_->setImatgeALaLletra(ImatgeCampALaLletra);
        // A field-linked code shows at the size the generation will draw it, beside its line's text.
        marc_->setMidaImatge([codis](const kovel::word::Document& d, std::size_t i) { return generar_doc::MidaCodiDisseny(d, i, codis); });
    }
}

void MarcDisseny::Mostra(const kovel::word::Document& doc, const QString& cami)
{
    if (!marc_)
        return;
    const TimerAturat aturat(timer_);
    marc_->Mostra(doc, cami);
    marc_->setDesat(true);
}

std::unique_ptr<kovel::word::Document> MarcDisseny::Edicions()
{
    if (!marc_ || !marc_->TeDocument() || marc_->Desat())
        return nullptr;
    std::unique_ptr<kovel::word::Document> d = marc_->Document()->clone();
    marc_->setDesat(true);
    return d;
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

} // namespace modDsoFraWord

#include "documents/ui/MarcDisseny.h"

#include "common/Fitxers.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/Finestres.h"
#include "documents/CampsDisseny.h"
#include "documents/generar_doc.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

using kovel::docframe::MarcDocument;

namespace modDsoFraWord {

std::function<int()> KOVEL_AnchoMarcoDocumento = [] { return 11340; };
bool DesantDocument = false;
bool DesantDisseny = false;
std::function<void()> Beep = [] { QApplication::beep(); };
std::function<void(const QString&)> AvisDesfet = [](const QString& text) {
    Portapapers::MissatgePopUp(text, mod_rvtMsgBox::vbExclamation, QStringLiteral("KOVEL Videvoviv"));
};

namespace {
MarcDocument* marc_ = nullptr;

// What a design holds that the user can tell apart: characters and pictures.
struct Contingut {
    int caracters = 0;
    int imatges = 0;
};

Contingut Compta(const QTextDocument& doc)
{
    Contingut c;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            (f.charFormat().isImageFormat() ? c.imatges : c.caracters) += f.length();
        }
    return c;
}

// The user's words for what the guard took back.
QString TextDesfet(const Contingut& abans, const Contingut& despres)
{
    using ModTraduccion::TextPrograma;
    QStringList parts;
    if (const int n = abans.imatges - despres.imatges; n > 0)
        parts << (n == 1 ? TextPrograma("modDsoFraWord.DesfetImatge", QStringLiteral("the code or field just inserted"))
                         : TextPrograma("modDsoFraWord.DesfetImatges", QStringLiteral("the %1 codes or fields just inserted"))
                               .arg(n));
    if (const int n = abans.caracters - despres.caracters; n > 0)
        parts << TextPrograma("modDsoFraWord.DesfetText", QStringLiteral("the text just typed or pasted"));
    if (parts.isEmpty())
        parts << TextPrograma("modDsoFraWord.DesfetCanvi", QStringLiteral("your last change"));
    return TextPrograma("modDsoFraWord.DissenyPle",
                        QStringLiteral("The design must fit on one label, and it no longer did: %1 has been taken "
                                       "out again. Make room first (smaller text, fewer lines or a smaller code) and "
                                       "then add it again."))
        .arg(parts.join(TextPrograma("modDsoFraWord.I", QStringLiteral(" and "))));
}

QTimer* timer_ = nullptr;
bool guardant_ = false;

// Puts the guard's timer back as it was when the scope began.
class TimerAturat {
public:
    TimerAturat() : actiu_(timer_ && timer_->isActive())
    {
        if (timer_)
            timer_->stop();
    }
    ~TimerAturat()
    {
        if (timer_ && actiu_)
            timer_->start();
    }

private:
    bool actiu_;
};
} // namespace

void Enllaca(MarcDocument* marc, QTimer* timer)
{
    marc_ = marc;
    timer_ = timer;
}

MarcDocument* Marc() { return marc_; }

bool IniciaMarcDocument(const QString& carpetaPrograma)
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

bool ObreDocument(const QString& path, bool tancaAnterior)
{
    if (!marc_)
        return false;
    const TimerAturat aturat;
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

void DesaDocument(const QString& path)
{
    if (timer_)
        timer_->stop();
    DesantDocument = true;
    struct Restaura {
        ~Restaura()
        {
            DesantDocument = false;
            if (timer_)
                timer_->start();
        }
    } restaura;
    if (marc_ && !marc_->Desa(path))
        throw kovel::word::WordError(QStringLiteral("\"%1\" was not saved.").arg(path));
}

void TancaDocument()
{
    if (marc_) {
        marc_->setDesat(true);
        marc_->Tanca();
    }
}

int NombrePagines() { return marc_ ? marc_->NombrePagines() : 0; }

void EvitaDuesPagines()
{
    if (!marc_ || guardant_ || !marc_->TeDocument())
        return;
    QTextDocument* doc = marc_->Editor()->document();
    // A document that undo could not bring back to one page is left alone until it changes.
    static int revisioRenuncia = -1;
    static const QTextDocument* docRenuncia = nullptr;
    if (doc == docRenuncia && doc->revision() == revisioRenuncia)
        return;
    if (NombrePagines() < 2)
        return;
    guardant_ = true;
    const Contingut abans = Compta(*doc);
    int desfets = 0;
    while (NombrePagines() >= 2) {
        const int passos = doc->availableUndoSteps();
        if (passos == 0 || !marc_->Desfes() || doc->availableUndoSteps() >= passos)
            break;
        ++desfets;
    }
    guardant_ = false;
    if (NombrePagines() >= 2) {
        docRenuncia = doc;
        revisioRenuncia = doc->revision();
    }
    if (desfets == 0)
        return;
    if (Beep)
        Beep();
    // Nothing the user did is taken back without a word.
    if (AvisDesfet)
        AvisDesfet(TextDesfet(abans, Compta(*doc)));
}

void ConfiguraBarres()
{
    if (marc_)
        marc_->BarraFormat()->setVisible(true);
}

bool PreparaDocumentBase(int index, bool horitzontal, bool& prepared, const QString& carpetaPrograma)
{
    if (!marc_)
        return false;
    try {
        const generar_doc::MidesFull m = generar_doc::MidesDeCatalogo(index);
        if (!generar_doc::CalPrepararDocumentBase(m.codi, m.sufix, horitzontal, prepared))
            return true;
        const TimerAturat aturat;
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
    generar_doc::ClauDocumentBase.clear();
    return false;
}

void AjustaMidaMarc(QWidget* contenidor, const QWidget* pnlHoja, const QWidget* panelDisseny, bool perCasella,
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

void InsereixImatgeCamp(const QString& camp)
{
    if (!marc_ || !marc_->TeDocument())
        return;
    marc_->InsereixImatge(CreaImatgeCamp(camp, marc_->MidaLletraSeleccio()));
}

} // namespace modDsoFraWord

namespace seleccionador_ABCD {

QStringList NomsCaselles;
std::int32_t CasellaActual = 0;
std::int32_t NumCaselles = 0;

QString CarpetaCaselles()
{
    const QString carpeta = directoris::DirectoriTmp() + QStringLiteral("/caselles/");
    QDir().mkpath(carpeta);
    return carpeta;
}

bool CasellaBuida(std::int32_t n)
{
    return n < 0 || n >= NomsCaselles.size() || NomsCaselles.at(n).isEmpty();
}

void IniciaCaselles(std::int32_t n)
{
    NomsCaselles = QStringList(std::max(0, n), QString());
    CasellaActual = 0;
    NumCaselles = std::max(0, n);
}

void DesaCasellaActual(std::int32_t n)
{
    auto* marc = modDsoFraWord::Marc();
    if (!marc || !marc->TeDocument() || marc->Desat() || n < 0)
        return;
    const QString path = CarpetaCaselles() + QString::number(n) + QStringLiteral(".docx");
    modDsoFraWord::DesaDocument(path);
    if (NumCaselles > 0 && n < NomsCaselles.size())
        NomsCaselles[n] = path;
}

void CanviaCasella(std::int32_t n, int index, bool horitzontal, const QString& carpetaPrograma)
{
    const QString path = CarpetaCaselles() + QString::number(n) + QStringLiteral(".docx");
    bool obert = QFileInfo::exists(path) && modDsoFraWord::ObreDocument(path, true);
    if (!obert && QFileInfo::exists(path))
        ModTolvWiz::Mensaje_Error(QStringLiteral("The design of this label cannot be read (%1); a blank label is shown instead.").arg(path));
    if (!obert) {
        // Never left showing another cell's document under this cell's number.
        bool prepared = true;
        if (!modDsoFraWord::PreparaDocumentBase(index, horitzontal, prepared, carpetaPrograma))
            return;
    }
    CasellaActual = n;
}

void BuidaCaselles(int index, bool horitzontal, const QString& carpetaPrograma)
{
    bool prepared = true;
    modDsoFraWord::PreparaDocumentBase(index, horitzontal, prepared, carpetaPrograma);
    QDir carpeta(CarpetaCaselles());
    for (const QString& f : carpeta.entryList(QDir::Files))
        carpeta.remove(f);
    for (QString& nom : NomsCaselles)
        nom.clear();
    NumCaselles = 0;
}

} // namespace seleccionador_ABCD

#include "documents/ui/MarcDisseny.h"

#include "common/Fitxers.h"
#include "documents/CampsDisseny.h"
#include "documents/generar_doc.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

using kovel::docframe::MarcDocument;

namespace modDsoFraWord {

bool DesantDocument = false;
std::function<void()> Beep = [] { QApplication::beep(); };

namespace {
MarcDocument* marc_ = nullptr;
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

void IniciaMarcDocument(const QString& carpetaPrograma)
{
    if (!marc_)
        return;
    marc_->setCarpetesProtegides({carpetaPrograma});
    marc_->Obre(generar_doc::DocumentBlancGeneral(carpetaPrograma));
    ConfiguraBarres();
}

bool ObreDocument(const QString& path, bool tancaAnterior)
{
    if (!marc_)
        return false;
    const TimerAturat aturat;
    marc_->setDesat(true);
    try {
        // The open replaces what was shown; a file that cannot be read leaves it.
        marc_->Obre(path);
    } catch (const kovel::word::WordError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return false;
    }
    (void)tancaAnterior;
    ConfiguraBarres();
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
    if (!marc_ || guardant_ || NombrePagines() < 2)
        return;
    guardant_ = true;
    QTextDocument* doc = marc_->Editor()->document();
    while (NombrePagines() >= 2) {
        const int passos = doc->availableUndoSteps();
        if (passos == 0 || !marc_->Desfes() || doc->availableUndoSteps() >= passos)
            break;
    }
    guardant_ = false;
    if (Beep)
        Beep();
}

void ConfiguraBarres()
{
    if (marc_)
        marc_->BarraFormat()->setVisible(true);
}

void PreparaDocumentBase(int index, bool horitzontal, bool& prepared, const QString& carpetaPrograma)
{
    if (!marc_)
        return;
    const generar_doc::MidesFull m = generar_doc::MidesDeCatalogo(index);
    if (!generar_doc::CalPrepararDocumentBase(m.codi, m.sufix, horitzontal, prepared))
        return;
    const TimerAturat aturat;
    generar_doc::DocumentBase base =
        generar_doc::PreparaDocumentBase(m, horitzontal, carpetaPrograma, directoris::DirectoriTmp());
    marc_->Mostra(*base.document, base.cami);
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
    if (!QFileInfo::exists(path)) {
        bool prepared = true;
        modDsoFraWord::PreparaDocumentBase(index, horitzontal, prepared, carpetaPrograma);
    } else {
        modDsoFraWord::ObreDocument(path, true);
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

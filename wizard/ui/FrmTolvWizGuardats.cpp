// The saved designs on the wizard window: panel 9's choices and list, the save command with
// its input box, and the restore through the model's glue (wizard/Guardats).
#include "wizard/ui/FrmTolvWiz.h"

#include "catalogue/ListaEtiquetas.h"
#include "common/ModReg.h"
#include "common/ui/BotoImatge.h"
#include "documents/CodisDesatsPrograma.h"
#include "documents/ui/MarcDisseny.h"

#include <QInputDialog>
#include <QListWidget>
#include <QSignalBlocker>

namespace kovel::wizard {

void FrmTolvWiz::connectaGuardats()
{
    guardats_ = std::make_unique<Guardats>(*estat_);
    codisDesats_ = std::make_unique<guardar::CodisDesatsPrograma>();
    guardats_->setCodis(codisDesats_.get());
    CasellesAssistent c;
    c.NomsCaselles = &seleccionador_ABCD::NomsCaselles;
    c.NumCaselles = &seleccionador_ABCD::NumCaselles;
    c.CasellaActual = &seleccionador_ABCD::CasellaActual;
    c.CarpetaCaselles = [] { return seleccionador_ABCD::CarpetaCaselles(); };
    c.BuidaCaselles = [this] {
        seleccionador_ABCD::BuidaCaselles(ModTolvWiz::FormatSeleccionat(), estat_->horitzontal(), ModReg::RutaPrograma());
    };
    c.DesaCasellaActual = [] { seleccionador_ABCD::DesaCasellaActual(seleccionador_ABCD::CasellaActual); };
    guardats_->setCaselles(c);
    guardats_->demanaNom = [this](const QString& prompt, const QString& titol) {
        bool ok = false;
        const QString nom = QInputDialog::getText(this, titol, prompt, QLineEdit::Normal, QString(), &ok);
        return ok ? nom : QString();
    };
    estat_->hiHaGuardats = [this] { return guardats_->HiHaGuardats(); };
    estat_->recuperaDisseny = [this](int n) { guardats_->RecuperaDisseny(n - 1); };

    connect(lstGuardats, &QListWidget::currentRowChanged, this, [this](int r) {
        if (!omplint_)
            estat_->lstGuardatsIndex = r;
    });
    connect(lstGuardats, &QListWidget::itemDoubleClicked, this, [this] { MostrarPanel(+1); });
    connect(cmdCrear, &QAbstractButton::clicked, this, [this] {
        guardats_->cmdCrear_CambioValor(true);
        mostraGuardats();
    });
    connect(cmdObrir, &QAbstractButton::clicked, this, [this] {
        guardats_->cmdObrir_CambioValor(true);
        mostraGuardats();
    });
    connect(cmdGuardar, &QAbstractButton::clicked, this, [this] { cmdGuardar_Click(); });
}

void FrmTolvWiz::mostraGuardats()
{
    const bool abans = omplint_;
    omplint_ = true;
    // Just filled (neither choice made yet): the list is read again from the store.
    if (!estat_->cmdObrir && !estat_->cmdCrear && estat_->lstGuardatsIndex < 0) {
        const QFontMetrics fm(lstGuardats->font());
        const QStringList linies = guardats_->LlistaGuardats([&fm](const QString& t) {
            // A tab stop is eight blanks of the list's font.
            return t == QLatin1String("\t") ? fm.horizontalAdvance(QString(8, u' ')) : fm.horizontalAdvance(t);
        });
        lstGuardats->clear();
        for (int i = 0; i < linies.size(); ++i) {
            auto* item = new QListWidgetItem(linies[i], lstGuardats);
            item->setData(Qt::UserRole, i);
        }
    }
    for (auto [b, v] : {std::pair{cmdObrir, estat_->cmdObrir}, std::pair{cmdCrear, estat_->cmdCrear}}) {
        const QSignalBlocker blocker(b);
        b->setValor(v);
    }
    lstGuardats->setEnabled(!estat_->cmdCrear);
    lstGuardats->setCurrentRow(estat_->lstGuardatsIndex);
    omplint_ = abans;
}

void FrmTolvWiz::cmdGuardar_Click()
{
    guardats_->cmdGuardar_Click();
}

} // namespace kovel::wizard

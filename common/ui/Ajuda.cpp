#include "common/ui/Ajuda.h"

#include "common/HostProfile.h"
#include "common/MsgBox.h"
#include "common/ui/Finestres.h"
#include "common/ui/ModTolvWizUi.h"
#include "platform/paths/Paths.h"

#include <QFileInfo>

namespace ModTolvWiz {

QString PaginaAjuda(const QString& programaOffice)
{
    QString nom = QStringLiteral("Help_word.htm");
    switch (kovel::HostDeNom(programaOffice, Qt::CaseInsensitive)) {
    case kovel::HostOffice::Access: nom = QStringLiteral("Help_access.htm"); break;
    case kovel::HostOffice::Excel: nom = QStringLiteral("Help_excel.htm"); break;
    case kovel::HostOffice::Word:
    case kovel::HostOffice::Cap: break;
    }
    return kovel::paths::programFile(QStringLiteral("Help/") + nom);
}

void MostrarAjuda()
{
    const QString pagina = PaginaAjuda(ProgramaOffice);
    if (QFileInfo(pagina).isFile()) {
        Abre_Documento(pagina);
        return;
    }
    mod_rvtMsgBox::rvtMsgBox(
        kovel::ui::TextFinestra(QStringLiteral("ModTolvWiz.AjudaNoInstallada"),
                                QStringLiteral("Help is not installed on your hard disk. To solve that, you can reinstall this application")),
        mod_rvtMsgBox::vbInformation,
        kovel::ui::TextFinestra(QStringLiteral("ModTolvWiz.AjudaNoInstallada.Titol"), QStringLiteral("Help not installed")));
}

} // namespace ModTolvWiz

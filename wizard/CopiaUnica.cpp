#include "wizard/CopiaUnica.h"

#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "platform/files/Bloqueig.h"
#include "platform/paths/Paths.h"

#include <QDir>

namespace ModTolvWiz {

using ModTraduccion::TextPrograma;

QString CopiaUnica::CarpetaBloqueig() { return kovel::paths::appDataDir() + QStringLiteral("/kovel-videvoviv"); }

std::optional<int> CopiaUnica::Pren(AccioLinia accio, int esperaImpressioMs)
{
    const bool impressio = accio == AccioLinia::Impressio;
    const QString carpeta = CarpetaBloqueig();
    const QString nom = carpeta + (impressio ? QStringLiteral("/KovelAssist.impressio.lock") : QStringLiteral("/KovelAssist.lock"));
    bloqueig_ = std::make_unique<QLockFile>(nom);
    if (QDir().mkpath(carpeta) && kovel::files::PrenBloqueig(*bloqueig_, impressio ? esperaImpressioMs : 0))
        return std::nullopt;
    const QLockFile::LockError error = bloqueig_->error();
    bloqueig_.reset();
    if (error != QLockFile::LockFailedError) {
        Mensaje_Error(TextPrograma("CopiaUnica.CarpetaNoEscrivible",
                                   QStringLiteral("The lock file \"%1\" cannot be made: the folder cannot be written. "
                                                  "The program cannot make sure it runs alone, and ends."))
                          .arg(nom));
        return EstatBloquejat;
    }
    if (!impressio)
        return 0; // the copy that shows the window is the other one
    Mensaje_Error(TextPrograma("CopiaUnica.ImpressioOcupada",
                               QStringLiteral("Another print run has kept the working files busy for %1 seconds; "
                                              "this run ends without writing its label document."))
                      .arg(esperaImpressioMs / 1000));
    return EstatBloquejat;
}

} // namespace ModTolvWiz

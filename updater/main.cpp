// KovelAutoUpdater: the update service and, with any other command line, one update run.
#include "updater/ModAutoUpdate.h"
#include "updater/NTServiceControl.h"

#include <QCoreApplication>
#include <QStringList>

namespace ModAutoUpdate {

// The switches report nothing to the person who runs them; only the update run and the
// service role give an exit status.
int Main(const QString& commandLine)
{
    LlegirConfiguracio();
    switch (NTServiceControl::OrdreDeLinia(commandLine)) {
    case NTServiceControl::Ordre::InstalarServei:
        NTServiceControl::InstallingService();
        return 0;
    case NTServiceControl::Ordre::DesinstalarServei:
        NTServiceControl::UninstallingService();
        return 0;
    case NTServiceControl::Ordre::IniciarServei:
        NTServiceControl::StartingService();
        return 0;
    case NTServiceControl::Ordre::AturarServei:
        NTServiceControl::StoppingService();
        return 0;
    case NTServiceControl::Ordre::ExecutarComServei:
        return NTServiceControl::RunningService();
    case NTServiceControl::Ordre::UnaActualitzacio:
        break;
    }
    return UnaActualitzacio();
}

} // namespace ModAutoUpdate

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    return ModAutoUpdate::Main(NTServiceControl::LiniaDOrdres(application.arguments().mid(1)));
}

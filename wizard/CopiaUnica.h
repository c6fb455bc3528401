#pragma once
// One copy of the wizard's window per user, and print-mode runs one at a time.
//
// The wizard's window is shown by one copy only: a second copy ends at once, as it always
// has. A print-mode run never ends silently: it takes its own lock (print runs share the
// per-user working files), waits its turn for a bounded time, and when it cannot run it says
// why and gives a non-zero exit status. A lock folder that cannot be written is said too.
#include "wizard/LineaComandos.h"

#include <QLockFile>
#include <QString>

#include <memory>
#include <optional>

namespace ModTolvWiz {

class CopiaUnica {
public:
    static constexpr int EsperaImpressioMs = 60000;
    static constexpr int EstatBloquejat = 5; // the exit status of a run that could not take its lock

    // Takes the lock for `accio`. nullopt: go on, the lock is held for this object's life;
    // otherwise the exit status to end the program with (its message given).
    std::optional<int> Pren(AccioLinia accio, int esperaImpressioMs = EsperaImpressioMs);

    // The lock files, in the per-user application-data folder.
    static QString CarpetaBloqueig();

private:
    std::unique_ptr<QLockFile> bloqueig_;
};

} // namespace ModTolvWiz

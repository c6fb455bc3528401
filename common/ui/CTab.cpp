#include "common/ui/CTab.h"

void CTab::Inicialitza(const QList<Etiquetes>& llista)
{
    count_ = llista.isEmpty() ? std::int16_t(0) : std::int16_t(llista.first().size());
    // Sized 0 to Count and left empty, as the row's labels are the window's.
    etiquetes_ = QList<QPointer<QAbstractButton>>(count_ + 1);
    mostrada_ = -1;
}

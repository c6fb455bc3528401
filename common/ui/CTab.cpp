#include "common/ui/CTab.h"

void CTab::Inicialitza(const QList<QTabBar*>& llista)
{
    pestanyes_ = llista.isEmpty() ? nullptr : llista.first();
    count_ = pestanyes_ ? std::int16_t(pestanyes_->count()) : std::int16_t(0);
    etiquetes_ = QList<QString>(count_ + 1);
    mostrada_ = -1;
}

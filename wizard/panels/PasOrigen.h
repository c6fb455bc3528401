#pragma once
// The data-source panel: on the word processor's host the kind of source (opcOrigDatos), on
// the spreadsheet's the worksheet list, on the database's the list of tables and queries.
#include "wizard/panels/Pas.h"

#include <QStringList>

#include <array>

namespace kovel::wizard {

class PasOrigen : public Pas {
public:
    using Pas::Pas;

    // The panel preselects no option; the host's list is read again at every showing.
    void Llenar() override;
    // The word processor's host needs a source option, every host the orientation chosen on
    // the format panel; a source that gives no records is refused here, before anything
    // depends on it; a changed choice makes the later panels fill again.
    bool Validar(Avis& avis) override;
    // The last data-source option set, -1 when none.
    std::int16_t OpcionDatos() const;
    // Whether option `index` is offered. The word processor's host offers the sheet whose
    // labels differ (not on a format of one label a sheet) and the sheet of one label; the
    // two list sources are not offered, as the program keeps no lists to fill them from.
    bool opcioOferta(int index) const;
    // An option not offered is ignored.
    void opcOrigDatos_Click(int index);
    void LstHojas_Click(int index);
    void LstTablas_Click(int index);
    // The labels of the sheet differ: each has its own design (the word processor's host,
    // its first option). The one rule the design, its saving and its showing follow.
    bool EtiquetasDiferentes() const;

    QStringList LstHojas;
    int LstHojasIndex = -1;
    QStringList LstTablas;
    int LstTablasIndex = -1;
    std::int16_t NumHojas = 0;
    std::int16_t NumTablas = 0;
    bool opcOrigDatos0Visible = true;
    // The data-source options: the sheet whose labels differ, the sheet of one label, and the
    // two list sources, which are never set.
    std::array<bool, 4> opcOrigDatos{};
};

} // namespace kovel::wizard

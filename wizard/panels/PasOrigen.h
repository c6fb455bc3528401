#pragma once
// The data-source panel: on the word processor's host the kind of source (opcOrigDatos), on
// the spreadsheet's the worksheet list, on the database's the list of tables and queries.
#include "wizard/panels/Pas.h"

#include <QStringList>

namespace kovel::wizard {

class PasOrigen : public Pas {
public:
    using Pas::Pas;

    // The panel preselects no option; the host's list is read again at every showing.
    void Llenar() override;
    // A source that gives no records is refused here, before anything depends on it; a
    // changed choice makes the later panels fill again.
    bool Validar(Avis& avis) override;
    std::int16_t OpcionDatos() const;
    bool es_lista() const;
    void opcOrigDatos_Click(int index);
    void LstHojas_Click(int index);
    void LstTablas_Click(int index);

    QStringList LstHojas;
    int LstHojasIndex = -1;
    QStringList LstTablas;
    int LstTablasIndex = -1;
    std::int16_t NumHojas = 0;
    std::int16_t NumTablas = 0;
    bool opcOrigDatos0Visible = true;
};

} // namespace kovel::wizard

#include "wizard/PanelOrigenDatos.h"

namespace ModTolvWiz {

bool NomLlistable(const QString& nom)
{
    return !nom.startsWith(u'~') && !nom.startsWith(QLatin1String("MSys"), Qt::CaseInsensitive);
}

QStringList LlistaTaulesConsultes(const kovel::access::TableDefs* taules,
                                  const kovel::access::QueryDefs* consultes)
{
    using namespace kovel::access;
    QStringList noms;
    if (taules)
        for (const TableDef& taula : *taules)
            if (NomLlistable(taula.Name))
                noms << taula.Name;
    if (consultes)
        for (const QueryDef& consulta : *consultes) {
            const bool fonts = consulta.Type == dbQSelect || consulta.Type == dbQCrosstab
                || consulta.Type == dbQSQLPassThrough;
            if (fonts && NomLlistable(consulta.Name))
                noms << consulta.Name;
        }
    return noms;
}

} // namespace ModTolvWiz

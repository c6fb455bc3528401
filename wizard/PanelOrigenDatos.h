#pragma once
// What the data-source panel lists for a database, apart from the list control that shows it.
#include "platform/access/Database.h"

#include <QString>
#include <QStringList>

namespace ModTolvWiz {

// False for a database's system tables ("MSys" at the start, without regard to case) and
// its temporary objects ("~" at the start).
bool NomLlistable(const QString& nom);

// The tables, then the select, crosstab and pass-through queries, each group in the order
// of its collection, without the names NomLlistable leaves out. Action queries are never
// listed: they make no records. Either collection may be missing (no database open).
QStringList LlistaTaulesConsultes(const kovel::access::TableDefs* taules,
                                  const kovel::access::QueryDefs* consultes);

} // namespace ModTolvWiz

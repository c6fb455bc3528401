#pragma once
#include "platform/access/Database.h"

namespace kovel::access {

std::unique_ptr<Database> OpenSqlite(const QString& path, QString& error, const Limits& limits);
std::unique_ptr<Database> OpenMdb(const QString& path, QString& error, const Limits& limits);
// A Double as the runtime's conversion to text writes it (CStr), quickly.
QString TextOfDouble(double x);
// Field type code for a declared column type of SQLite.
std::int16_t TypeFromDeclared(const QString& declared);

} // namespace kovel::access

#pragma once
// The message a data source hands back when its file cannot be opened.
#include <QString>

namespace kovel::datasources {

// `key` is the literal with %1 (the file) and %2 (the fault); English when it is missing.
QString MissatgeNoObert(const QString& key, const QString& fallback, const QString& detail);

} // namespace kovel::datasources

#include "datasources/Missatges.h"

#include "common/ModTraduccion.h"

namespace kovel::datasources {

QString MissatgeNoObert(const QString& key, const QString& fallback, const QString& detail)
{
    // The layers write the fault as "\"<path>\": <reason>".
    QString file, reason = detail;
    if (detail.startsWith(u'"')) {
        const qsizetype end = detail.indexOf(QStringLiteral("\": "), 1);
        if (end > 0) {
            file = detail.mid(1, end - 1);
            reason = detail.mid(end + 3);
        }
    }
    QString text = ModTraduccion::CercarLiteral(key);
    if (text.isEmpty()) text = fallback;
    // One pass: a "%2" in the file's name stays as it is.
    return text.arg(u'"' + file + u'"', reason);
}

} // namespace kovel::datasources

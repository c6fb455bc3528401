#include "catalogue/FicherosPrograma.h"

#include <QDir>
#include <QFileInfo>

namespace kovel::catalogue {

QString RutaFicheroPrograma(const QString& carpeta, const QString& relativa)
{
    QString ruta = carpeta;
    bool existe = QFileInfo(carpeta).isDir();
    const QStringList partes = relativa.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& parte : partes) {
        QString elegido = parte;
        if (existe) {
            const QString exacto = ruta + QLatin1Char('/') + parte;
            if (!QFileInfo::exists(exacto)) {
                existe = false;
                const QStringList hijos = QDir(ruta).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
                for (const QString& h : hijos) {
                    if (h.compare(parte, Qt::CaseInsensitive) == 0) {
                        elegido = h;
                        existe = true;
                        break;
                    }
                }
            }
        }
        ruta += QLatin1Char('/') + elegido;
    }
    return ruta;
}

} // namespace kovel::catalogue

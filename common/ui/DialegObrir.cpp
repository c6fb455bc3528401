#include "common/ui/DialegObrir.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace CommDlg {

namespace {
Contestador g_contestador;
}

void setAnswerer(Contestador contestador)
{
    g_contestador = std::move(contestador);
}

void resetAnswerer()
{
    g_contestador = nullptr;
}

QStringList FiltresQt(const QString& filtre)
{
    QStringList parts = filtre.split(QChar(u'\0'));
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(u';', u' '));
    if (out.isEmpty())
        out << QStringLiteral("*.* (*)");
    return out;
}

bool ObrirFitxer(QString& path, const QString& carpetaInicial, const QString& titol, const QString& filtre,
                 const QString& extensioDefecte, QWidget* propietari)
{
    const Peticio peticio{carpetaInicial, titol, filtre, extensioDefecte, propietari};
    std::optional<QString> chosen;
    if (g_contestador) {
        chosen = g_contestador(peticio);
    } else {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return false;
        QFileDialog dialog(propietari ? propietari : QApplication::activeWindow(), titol, carpetaInicial);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setNameFilters(FiltresQt(filtre));
        if (!extensioDefecte.isEmpty())
            dialog.setDefaultSuffix(extensioDefecte.toLower());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        chosen = dialog.selectedFiles().constFirst();
    }
    // The dialog returns only an existing file whose path fits its 255-character buffer.
    if (!chosen || chosen->isEmpty() || chosen->size() > 254 || !QFileInfo(*chosen).isFile())
        return false;
    path = *chosen;
    return true;
}

} // namespace CommDlg

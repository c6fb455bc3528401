#pragma once
// The open-file dialog with which the user picks a workbook or a database.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace CommDlg {

// What the dialog was asked to show. The filter is in the pair form the callers write:
// description, NUL, pattern, NUL, ... ("*.XLSX\0*.xlsx\0*.XLS\0*.xls").
struct Peticio {
    QString carpetaInicial;
    QString titol;
    QString filtre;
    QString extensioDefecte;
    QWidget* propietari = nullptr;
};

// The filter's pairs as QFileDialog name filters ("*.XLSX (*.xlsx)"); "*.*" when empty.
QStringList FiltresQt(const QString& filtre);

// Shows the dialog. True when the user chose an existing file: `path` then holds it.
// False (path unchanged) when the user cancelled, the dialog failed, or the chosen path is
// longer than 254 characters.
bool ObrirFitxer(QString& path, const QString& carpetaInicial = {}, const QString& titol = {},
                 const QString& filtre = {}, const QString& extensioDefecte = {},
                 QWidget* propietari = nullptr);

// An answerer replaces the dialog (tests, runs without a person): it gets the request and
// returns the chosen path or nullopt for Cancel. An empty function: back to the dialog.
using Contestador = std::function<std::optional<QString>(const Peticio&)>;
void setAnswerer(Contestador contestador);
void resetAnswerer();

} // namespace CommDlg

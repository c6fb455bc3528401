#pragma once
// The saved designs on the wizard, apart from the window: the road's question whether some
// exist, the list of the saved-designs panel, the two choices of that panel, the save
// command with its name question, and the restore of a design through the state's own
// click handlers. The window plugs in the input box, the per-cell designs of its design
// frame and the run's codes; tests give their own.
#include "documents/CodisDesats.h"
#include "documents/guardar.h"
#include "wizard/EstatAssistent.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace kovel::wizard {

// The per-cell designs of the design frame (seleccionador_ABCD). Unset members fall back
// to a list of the model's own and the cells folder "tmp/caselles/" of the data folder.
struct CasellesAssistent {
    QStringList* NomsCaselles = nullptr;
    std::int32_t* NumCaselles = nullptr;
    std::int32_t* CasellaActual = nullptr;
    std::function<QString()> CarpetaCaselles;   // ends with "/"
    std::function<void()> BuidaCaselles;        // a fresh base document and every cell emptied
    std::function<void()> DesaCasellaActual;    // the cell shown now, when it changed
};

class Guardats {
public:
    explicit Guardats(EstatAssistent& estat);

    void setCaselles(const CasellesAssistent& c);
    // The run's field-linked codes; none: designs are saved and opened without codes.
    void setCodis(guardar::CodisExecucio* codis) { codis_ = codis; }
    // The input box: prompt and title; "" when the user cancelled.
    std::function<QString(const QString& prompt, const QString& titol)> demanaNom;

    // guardar.HiHaGuardats: the store of this host and data source lists a design. A store
    // without designs forgets an opened design; a damaged one is told once, naming the file.
    bool HiHaGuardats();
    // The panel's list, loaded afresh: one line per design, newest first.
    QStringList LlistaGuardats(const std::function<int(const QString&)>& amplada, QChar separadorData = u'/');
    const guardar::Magatzem& magatzem() const { return magatzem_; }

    // The panel's two choices.
    void cmdCrear_CambioValor(bool valor);
    void cmdObrir_CambioValor(bool valor);

    // cmdGuardar_Click: asks a name and saves the design under it. The messages are shown
    // here (the wizard's exclamation box); true when a design was saved.
    bool cmdGuardar_Click();

    // guardar.RecuperaDisseny of the design at list row `fila` of the last listing.
    void RecuperaDisseny(int fila);

    // The per-cell designs as they stand (for the generator and tests).
    QStringList nomsCaselles() const { return *cas_.NomsCaselles; }
    std::int32_t numCaselles() const { return *cas_.NumCaselles; }
    QString carpetaCaselles() const { return cas_.CarpetaCaselles(); }

private:
    guardar::Magatzem nouMagatzem() const;
    guardar::DadesDisseny dades() const;
    bool perCasella() const;
    // The cell entries a save records for a design in `carpeta`.
    QStringList casellesDisseny(const QString& carpeta) const;
    bool desaDocuments(const QString& carpeta, QStringList& caselles, QString& error);
    bool desaCodis(const QString& carpeta, const QStringList& documents, QString& error);
    // The design's codes registered in the run: their tags in the design to the run's.
    QList<QPair<guardar::EtiquetaCodi, guardar::EtiquetaCodi>> recuperaCodis(const QString& carpeta);
    bool copiaDocument(const QString& font, const QString& desti,
                       const QList<QPair<guardar::EtiquetaCodi, guardar::EtiquetaCodi>>& codis);

    EstatAssistent& estat_;
    guardar::Magatzem magatzem_;
    guardar::CodisExecucio* codis_ = nullptr;
    CasellesAssistent cas_;
    QStringList noms_;
    std::int32_t num_ = 0;
    std::int32_t actual_ = 0;
    bool avisatDanyat_ = false;
};

} // namespace kovel::wizard

#pragma once
// The saved designs on the wizard, apart from the window: the road's question whether some
// exist, the list of the saved-designs panel, the two choices of that panel, the save
// command with its name question, and the restore of a design through the state's own
// click handlers. The design and its cells are the design panel's (PasDisseny); the input box
// is asked of the state's EntornAssistent; the window plugs in the run's codes. The state owns it.
#include "documents/CodisDesats.h"
#include "documents/guardar.h"
#include "wizard/EstatAssistent.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace kovel::wizard {

class Guardats {
public:
    explicit Guardats(EstatAssistent& estat);

    // The run's field-linked codes; none: designs are saved and opened without codes.
    void setCodis(guardar::CodisExecucio* codis) { codis_ = codis; }

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
    bool avisatDanyat_ = false;
};

} // namespace kovel::wizard

#pragma once
// What the wizard's state asks of whoever shows it: the saved designs, the progress controls,
// the event pump, the desktop's document handler, the hosted design frame and what saving a
// design asks (its name, the frame's cells). The window implements it and hands itself to the
// state once; tests give their own. Every answer has a default: what the state does with
// nobody showing it.
#include <QString>
#include <QStringList>

#include <cstdint>

namespace kovel::word {
class Document;
}

namespace kovel::wizard {

// The design frame's per-cell designs (seleccionador_ABCD) as saved designs save and restore
// them. Unset members fall back to a list the saved designs keep themselves.
struct CasellesAssistent {
    QStringList* NomsCaselles = nullptr;
    std::int32_t* NumCaselles = nullptr;
    std::int32_t* CasellaActual = nullptr;
};

class EntornAssistent {
public:
    virtual ~EntornAssistent() = default;

    // guardar.HiHaGuardats: saved designs for this host.
    virtual bool hiHaGuardats() { return false; }
    // guardar.RecuperaDisseny of record `n` of the store (1: the first design after its header).
    virtual void recuperaDisseny(int /*n*/) {}
    // Shows the finished document (the desktop's handler).
    virtual void obreDocument(const QString& /*cami*/) {}
    // A list or generation step: value and maximum, for the progress controls.
    virtual void progres(int /*valor*/, int /*maxim*/) {}
    // Lets the window repaint during long work (the runtime's event pump); called for every
    // sheet and every record of a generation. Without a pump long saves run in line.
    virtual bool teBomba() const { return false; }
    virtual void bomba() {}

    // ---- The hosted design frame ----
    // With a frame the design is the frame's document, which prepares its own base document;
    // without one the state keeps its own.
    virtual bool teMarc() const { return false; }
    virtual kovel::word::Document* documentMarc() { return nullptr; }
    // Opens a saved document as the design (the frame's ObreDocument). False when it cannot
    // be read.
    virtual bool obreDissenyAlMarc(const QString& /*cami*/) { return false; }
    // The per-cell designs of a sheet whose labels differ (seleccionador_ABCD): how many
    // cells, the document of cell i ("" never designed) and the save of the cell shown.
    virtual std::int32_t nombreCaselles() { return 0; }
    virtual QString documentCasella(std::int32_t /*i*/) { return {}; }
    virtual void desaCasella() {}

    // ---- What saving and restoring a design ask ----
    // The input box: prompt and title; "" when the user cancelled. Nobody to ask: cancelled.
    virtual QString demanaNom(const QString& /*prompt*/, const QString& /*titol*/) { return {}; }
    // The frame's cells a save records and a restore refills.
    virtual CasellesAssistent casellesMarc() { return {}; }
    // The folder of the cells' documents, ending with "/"; "": "tmp/caselles/" of the data folder.
    virtual QString carpetaCaselles() { return {}; }
    // A fresh base document and every cell emptied. False when nobody shows a frame: the
    // saved designs empty the cells folder and the list themselves.
    virtual bool buidaCaselles() { return false; }
    // The cell shown now is saved, when it changed.
    virtual void desaCasellaMostrada() {}
};

} // namespace kovel::wizard

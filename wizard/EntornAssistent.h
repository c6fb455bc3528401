#pragma once
// What the wizard's state asks of whoever shows it: the saved designs, the progress controls,
// the event pump, the desktop's document handler and the hosted design frame. The window
// implements it and hands itself to the state once; tests give their own. Every answer has a
// default: what the state does with nobody showing it.
#include <QString>

#include <cstdint>

namespace kovel::word {
class Document;
}

namespace kovel::wizard {

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
};

} // namespace kovel::wizard

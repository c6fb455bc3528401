#pragma once
// What the wizard's state asks of whoever shows it: the saved designs, the progress controls,
// the event pump, the desktop's document handler, the editor of the design and the name a
// saved design takes. The window implements it and hands itself to the state once; tests give
// their own. Every answer has a default: what the state does with nobody showing it.
#include "platform/word/Document.h"

#include <QString>

#include <memory>

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

    // ---- The design's editor ----
    // The design the state holds, to be shown and edited; `cami` is the file it stands for.
    virtual void mostraDisseny(const kovel::word::Document& /*disseny*/, const QString& /*cami*/) {}
    // The design as edited since it was shown or last taken; nullptr when nothing changed.
    virtual std::unique_ptr<kovel::word::Document> edicionsDisseny() { return nullptr; }

    // ---- What saving a design asks ----
    // The input box: prompt and title; "" when the user cancelled. Nobody to ask: cancelled.
    virtual QString demanaNom(const QString& /*prompt*/, const QString& /*titol*/) { return {}; }
};

} // namespace kovel::wizard

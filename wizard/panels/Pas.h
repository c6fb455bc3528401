#pragma once
// One panel of the wizard as the model sees it: what it fills at every showing and what it
// checks before it is left. EstatAssistent holds one of each kind and finds them by the
// host's panel numbers; each kind keeps its own rules, option handlers and state.
#include <QString>

#include <cstdint>

struct Cataleg;
namespace kovel {
struct NumerosPanel;
}

namespace kovel::wizard {

class EstatAssistent;

// A message the window shows in its exclamation box (Mensaje_Error), or as a plain note
// when `informacio`. Empty: none.
struct Avis {
    int literal = 0;   // the numbered text, 0 when the text is the program's own
    QString text;
    bool informacio = false;   // tells what happened; nothing was refused
    bool buit() const { return text.isEmpty(); }
};

class Pas {
public:
    explicit Pas(EstatAssistent& estat) : estat_(estat) {}
    virtual ~Pas() = default;
    Pas(const Pas&) = delete;
    Pas& operator=(const Pas&) = delete;

    // LlenarPanel: the panel's filling at every showing.
    virtual void Llenar() {}
    // ValidarPanel: the panel's check before it is left forward; false with `avis` saying why.
    virtual bool Validar(Avis& /*avis*/) { return true; }

protected:
    // The numbered text as a message.
    static Avis AvisLiteral(int numero);
    // A stored or typed number: its leading number, to the nearest whole number (half to
    // even), clamped to what a 32-bit row number holds.
    static std::int32_t Enter(const QString& text);
    static QString Numero(std::int32_t n) { return QString::number(n); }
    // A format index inside the loaded catalogue.
    static bool DinsCatalogo(const Cataleg& cat, int idx);
    // The selected format holds one label a sheet.
    bool unaEtiquetaPerFull() const;
    // The panel numbers of the state's host.
    const kovel::NumerosPanel& np() const;

    EstatAssistent& estat_;
};

// The home panel: nothing to fill, nothing to check.
class PasInici : public Pas {
public:
    using Pas::Pas;
};

} // namespace kovel::wizard

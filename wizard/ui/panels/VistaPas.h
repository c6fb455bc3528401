#pragma once
// One panel of the wizard window as the user sees it: its controls, their showing of the
// panel's model (wizard/panels), and the rules of its keys and captions. The window holds one
// of each kind and finds them by the state's panel numbers, like the models.
#include "common/ui/Finestres.h"

#include <QObject>

class QLabel;
class QProgressBar;
class QWidget;

namespace kovel::ui {
class BotoImatge;
}

namespace kovel::wizard {

class EstatAssistent;
class FrmTolvWiz;
class Pas;

class VistaPas : public QObject {
public:
    // The view of `model` on the window's panel number `index` (the panel widget's index).
    VistaPas(FrmTolvWiz& finestra, Pas& model, int index);

    const Pas& model() const { return model_; }

    // Builds the panel's controls.
    virtual void construeix() = 0;
    // The set-up's step once the data source is known, before the texts are translated.
    virtual void prepara() {}
    // The set-up's step after the texts are translated.
    virtual void textos() {}
    // The product look over the panel's own controls.
    virtual void aparenca() {}
    // Shows the model's state in the controls; at every showing of the panel and after each
    // act on it.
    virtual void mostra() {}
    // The panel is left.
    virtual void deixa() {}
    // The window became the active one with this panel shown.
    virtual void activada() {}
    // The work of leaving the panel forward starts (true) or ends (false); true when the
    // window waits for it.
    virtual bool treball(bool /*comenca*/) { return false; }
    // Where a list or generation step shows its progress on this panel; nullptr: nowhere.
    virtual QProgressBar* barraProgres() { return nullptr; }

protected:
    QWidget* panel() const;
    QLabel* titol() const;
    EstatAssistent& estat() const;
    // True while the window writes the state into the controls: their signals are not the
    // user's then.
    bool& omplint() const;

    FrmTolvWiz& w_;
    Pas& model_;
    int index_;
};

// The controls' makers the panels share: named as the window's code names them, placed in
// twips; control arrays carry "index".
namespace controls {

using kovel::ui::BotoImatge;
using kovel::ui::Control;
using kovel::ui::Tw;

// The numbered text of the window's language.
inline QString Lit(int n) { return ModTraduccion::Literal(n); }

template <typename T>
T* Membre(QWidget* parent, const char* name, int index, const QRect& r)
{
    T* c = kovel::ui::Control<T>(parent, name, r);
    c->setProperty("index", index);
    return c;
}

// An option whose group the state keeps: the options of a panel are siblings of several
// groups, so Qt's own exclusivity among siblings would turn off options of other groups.
void FesOpcio(kovel::ui::BotoImatge* b);
kovel::ui::BotoImatge* Opcio(QWidget* parent, const char* name, const QRect& r);
QLabel* Etiqueta(QWidget* parent, const char* name, const QRect& r, const QString& text = {});
// A caption label acts like the control beside it.
void Clicable(QLabel* l, QObject* filtre);
// Sets an option without its click.
void Posa(kovel::ui::BotoImatge* b, bool v);

} // namespace controls

} // namespace kovel::wizard

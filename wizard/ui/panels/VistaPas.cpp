#include "wizard/ui/panels/VistaPas.h"

#include "common/ui/BotoImatge.h"
#include "wizard/ui/FrmTolvWiz.h"

#include <QLabel>
#include <QSignalBlocker>

namespace kovel::wizard {

VistaPas::VistaPas(FrmTolvWiz& finestra, Pas& model, int index) : w_(finestra), model_(model), index_(index) {}

QWidget* VistaPas::panel() const { return w_.Panel(index_); }

QLabel* VistaPas::titol() const { return w_.Titol(index_); }

EstatAssistent& VistaPas::estat() const { return w_.estat(); }

bool& VistaPas::omplint() const { return w_.omplint(); }

namespace controls {



void FesOpcio(BotoImatge* b)
{
    b->setTipus(BotoImatge::Tipus::Opcio);
    b->setAutoExclusive(false);
}

BotoImatge* Opcio(QWidget* parent, const char* name, const QRect& r)
{
    auto* b = kovel::ui::Control<BotoImatge>(parent, name, r);
    FesOpcio(b);
    return b;
}

QLabel* Etiqueta(QWidget* parent, const char* name, const QRect& r, const QString& text)
{
    auto* l = kovel::ui::Control<QLabel>(parent, name, r);
    l->setText(text);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

void Clicable(QLabel* l, QObject* filtre)
{
    l->installEventFilter(filtre);
    l->setCursor(Qt::PointingHandCursor);
}

void Posa(BotoImatge* b, bool v)
{
    const QSignalBlocker blocker(b);
    b->setValor(v);
}

} // namespace controls

} // namespace kovel::wizard

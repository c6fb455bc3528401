#include "wizard/ui/Assistent.h"

#include "wizard/ui/FrmTolvWiz.h"

#include <QApplication>

namespace kovel::wizard {

int ExecutaAssistent()
{
    FrmTolvWiz finestra;
    if (!finestra.Cargar())
        return 1;
    return QApplication::exec();
}

} // namespace kovel::wizard

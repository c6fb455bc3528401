#include "wizard/ui/Assistent.h"

#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "wizard/ui/FrmTolvWiz.h"

#include <QApplication>

namespace kovel::wizard {

int ExecutaAssistent(const ArrencadaAssistent& arrencada)
{
    // The wizard is a window: without a display it would wait for nobody.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        QString text = ModTraduccion::CercarLiteral(QStringLiteral("KovelAssist.SenseAssistent"));
        if (text.isEmpty())
            text = QStringLiteral("The wizard needs a display. Without one, the print mode makes a label sheet: "
                                  "KovelAssist /PV<label number> <folder>");
        ModTolvWiz::Mensaje_Error(text);
        return 2;
    }
    // A line that named no host ("LOG") runs the wizard as the word processor's.
    if (kovel::Host() == kovel::HostOffice::Cap)
        Word_espec::Inicialitzar();
    FrmTolvWiz finestra;
    if (!finestra.Cargar())
        return 1;
    if (arrencada.finestraCarregada) {
        const FontAssistent* font = finestra.estat().font();
        arrencada.finestraCarregada(&finestra, ModTolvWiz::FormatosOmitidos(finestra.estat().cataleg()),
                                    font ? font->fitxer() : QString());
    }
    return QApplication::exec();
}

} // namespace kovel::wizard

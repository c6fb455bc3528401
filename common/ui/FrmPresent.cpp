#include "common/ui/FrmPresent.h"

#include "common/ModReg.h"
#include "common/ui/Finestres.h"
#include "common/ui/VisualUi.h"
#include "platform/paths/Paths.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPointer>

namespace {
QPointer<FrmPresent> g_finestra;

// Above the other windows; the offscreen platform has no stacking to change.
void alDavant(QWidget* w)
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        w->raise();
}
// The designed size when there is no picture to take it from (twips).
constexpr int kAmpladaTw = 7500;
constexpr int kAlcadaTw = 4500;
} // namespace

FrmPresent::FrmPresent(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FrmPresent"));
    setAttribute(Qt::WA_DeleteOnClose);
    Imagen_Inicio = kovel::ui::Control<QLabel>(this, "Imagen_Inicio", kovel::ui::Tw(0, 0, kAmpladaTw, kAlcadaTw));
    Imagen_Inicio->setAlignment(Qt::AlignCenter);
    resize(Imagen_Inicio->size());

    const QString ruta = kovel::paths::findCaseInsensitive(ModReg::RutaPrograma(), QStringLiteral("Data/inicio.dat"));
    QPixmap imatge;
    if (imatge.load(ruta)) {
        Imagen_Inicio->setPixmap(imatge);
        Imagen_Inicio->resize(imatge.size());
        resize(imatge.size());
    } else {
        // A missing or unreadable picture must not stop the program from starting.
        setStyleSheet(QStringLiteral("FrmPresent { background: white; border: 1px solid #1f5fa8; }"));
        Imagen_Inicio->setStyleSheet(QStringLiteral("color: #1f5fa8; font-size: 20pt; font-weight: bold"));
        Imagen_Inicio->setText(QStringLiteral("KOVEL Videvoviv"));
        setAttribute(Qt::WA_StyledBackground);
    }
}

void FrmPresent::Cargar()
{
    if (!g_finestra) {
        g_finestra = new FrmPresent;
        Visual::AdaptarDPI(g_finestra);
        Visual::CentrarFormulari(g_finestra);
    }
    g_finestra->show();
    alDavant(g_finestra);
    g_finestra->repaint();
}

void FrmPresent::DesCargar()
{
    if (g_finestra) {
        g_finestra->hide();
        delete g_finestra.data();
    }
}

void FrmPresent::Amagar()
{
    if (g_finestra)
        g_finestra->hide();
}

void FrmPresent::Mostrar()
{
    if (g_finestra) {
        g_finestra->show();
        alDavant(g_finestra);
    }
}

FrmPresent* FrmPresent::Instancia() { return g_finestra; }

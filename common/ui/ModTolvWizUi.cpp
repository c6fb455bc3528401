#include "common/ui/ModTolvWizUi.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace ModTolvWiz {

namespace {
bool g_wait = false;

ObridorShell& opener()
{
    static ObridorShell o;
    return o;
}

QUrl urlOf(const QString& target)
{
    const QString t = target.trimmed();
    if (t.startsWith(u"mailto:", Qt::CaseInsensitive) || t.contains(u"://"))
        return QUrl(t);
    if (t.startsWith(u"www.", Qt::CaseInsensitive))
        return QUrl(QStringLiteral("http://") + t);
    return QUrl::fromLocalFile(QString(t).replace(u'\\', u'/'));
}
} // namespace

void Puntero_Espera(bool espera)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (espera && !g_wait) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        g_wait = true;
    } else if (espera) {
        QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
    } else if (g_wait) {
        QGuiApplication::restoreOverrideCursor();
        g_wait = false;
    }
}

bool PunteroEsperaActivo() { return g_wait; }

void Abre_Documento(const QString& target)
{
    if (opener())
        opener()(target);
    else
        QDesktopServices::openUrl(urlOf(target));
}

void setObridorShell(ObridorShell o) { opener() = std::move(o); }

} // namespace ModTolvWiz

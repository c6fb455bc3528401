#include "common/ui/ModTolvWizUi.h"

#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
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

} // namespace

QUrl AdrecaDocument(const QString& target)
{
    const QString t = target.trimmed();
    if (t.startsWith(u"mailto:", Qt::CaseInsensitive) || t.contains(u"://"))
        return QUrl(t);
    if (t.startsWith(u"www.", Qt::CaseInsensitive))
        return QUrl(QStringLiteral("http://") + t);
    // A file: relative paths are taken from the current folder, as the shell does.
    return QUrl::fromLocalFile(QFileInfo(QString(t).replace(u'\\', u'/')).absoluteFilePath());
}

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
        QDesktopServices::openUrl(AdrecaDocument(target));
}

void setObridorShell(ObridorShell o) { opener() = std::move(o); }

} // namespace ModTolvWiz

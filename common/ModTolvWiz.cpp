#include "common/ModTolvWiz.h"

#include "common/ModReg.h"
#include "common/MsgBox.h"
#include "platform/files/EscripturaAtomica.h"
#include "platform/paths/Paths.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include <cstdio>

bool ModoLog = false;

namespace ModTolvWiz {

namespace {
void (*g_beforeMessage)() = nullptr;
const QString kTitle = QStringLiteral("KOVEL Videvoviv");
} // namespace

void setAbansDeMissatge(void (*hook)()) { g_beforeMessage = hook; }

void Mensaje_Error(const QString& text)
{
    if (g_beforeMessage)
        g_beforeMessage();
    mod_rvtMsgBox::rvtMsgBox(text, mod_rvtMsgBox::vbExclamation + mod_rvtMsgBox::vbOKOnly, kTitle);
}

bool Pregunta_SiNo(const QString& text)
{
    if (g_beforeMessage)
        g_beforeMessage();
    return mod_rvtMsgBox::rvtMsgBox(text, mod_rvtMsgBox::vbQuestion + mod_rvtMsgBox::vbYesNo, kTitle)
        == mod_rvtMsgBox::vbYes;
}

QString Carpeta_Programa()
{
    const QString dir = ModReg::RutaPrograma();
    return dir.endsWith(u'/') || dir.endsWith(u'\\') ? dir : dir + u'/';
}

QString LlegirVersio(const QString& carpeta)
{
    const QString dir = carpeta.isEmpty() ? ModReg::RutaPrograma() : carpeta;
    QFile f(kovel::paths::findCaseInsensitive(dir, QStringLiteral("versio.txt")));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QString linia = QString::fromUtf8(f.readLine(1024));
    while (linia.endsWith(u'\n') || linia.endsWith(u'\r'))
        linia.chop(1);
    return linia.left(255);
}

void Escribe_Log(const QString& message)
{
    if (!ModoLog)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    const QString line = locale.toString(now.date(), QLocale::ShortFormat) + u' '
        + now.time().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(": ") + message + u'\n';
    // A line that cannot be added (a full disk) leaves the log as it was.
    QString error;
    if (!kovel::files::AfegeixSegur(ModReg::RutaPrograma() + QStringLiteral("/Runtime.log"), line.toUtf8(), &error))
        std::fprintf(stderr, "%s\nRuntime.log: %s", qPrintable(error), qPrintable(line));
}

} // namespace ModTolvWiz

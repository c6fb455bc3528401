// KovelAssist: the program's entry. Start-up order: a second copy ends at once, the literals
// are loaded, the command line picks the host or runs the print mode.
#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "platform/paths/Paths.h"
#include "wizard/LineaComandos.h"
#include "wizard/ui/Assistent.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QStringList>

#include <cstdio>

namespace {

// Without a window every message goes to standard error; a question that may repeat an
// attempt (OK and Cancel) is answered Cancel so that nothing waits for a person.
std::int16_t RespostaSenseFinestra(const QString& prompt, std::int16_t style, const QString& title)
{
    std::fprintf(stderr, "%s%s%s\n", qPrintable(title), title.isEmpty() ? "" : ": ",
                 qPrintable(QString(prompt).replace(u'\r', u'\n')));
    switch (style & 0x0F) {
    case mod_rvtMsgBox::vbOKCancel: return mod_rvtMsgBox::vbCancel;
    case mod_rvtMsgBox::vbYesNo:
    case mod_rvtMsgBox::vbYesNoCancel: return mod_rvtMsgBox::vbNo;
    default: return mod_rvtMsgBox::vbOK;
    }
}

} // namespace

int main(int argc, char** argv)
{
    // The command line as one text, as the program has always read it.
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts << QString::fromLocal8Bit(argv[i]);
    const QString linia = parts.join(QLatin1Char(' '));
    const ModTolvWiz::AccioLinia accio = ModTolvWiz::ClassificaLinia(linia);

    const bool senseDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if ((accio == ModTolvWiz::AccioLinia::Impressio || senseDisplay) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString carpetaActual = QDir::currentPath();
    if (accio == ModTolvWiz::AccioLinia::Impressio || QGuiApplication::platformName() == QLatin1String("offscreen"))
        mod_rvtMsgBox::setAnswerer(RespostaSenseFinestra);

    // One copy per user.
    const QString carpetaBloqueig = kovel::paths::appDataDir() + QStringLiteral("/kovel-videvoviv");
    QDir().mkpath(carpetaBloqueig);
    QLockFile bloqueig(carpetaBloqueig + QStringLiteral("/KovelAssist.lock"));
    if (!bloqueig.tryLock(0))
        return 0;

    QString missatge;
    if (!ModTraduccion::CarregarLiterals(missatge)) {
        ModTolvWiz::Mensaje_Error(missatge);
        return 1;
    }
    if (const std::optional<int> estat = ModTolvWiz::Lee_LineaComandos(linia, carpetaActual))
        return *estat;
    ModoLog = linia.compare(QLatin1String("LOG"), Qt::CaseInsensitive) == 0;
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
    if (ProgramaOffice.isEmpty())
        Word_espec::Inicialitzar();
    return kovel::wizard::ExecutaAssistent();
}

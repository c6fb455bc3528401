#include "platform/office/Office.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>

namespace kovel::office {

QString Profile::url() const
{
    return QUrl::fromLocalFile(dir).toString(QUrl::FullyEncoded);
}

QString Profile::templatesDir() const
{
    return dir + QStringLiteral("/user/template");
}

Profile profile()
{
    QString named = qEnvironmentVariable("KOVEL_OFFICE_PROFILE");
    if (named.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        named = QUrl(named).toLocalFile();
    if (named.isEmpty())
        named = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/libreoffice/4");
    QString dir = QDir::cleanPath(QDir(named).absolutePath());
    return Profile{dir};
}

const HostNames& names(Host host)
{
    static const HostNames writer{"com.kovelsystems.videvoviv.writer", "KovelAssistant", "KovelAssistant",
                                  "KovelAssistant", "com.sun.star.text.TextDocument", "/W"};
    static const HostNames calc{"com.kovelsystems.videvoviv.calc", "KovelAssistantE", "KovelAss", "Macro_KOVEL",
                                "com.sun.star.sheet.SpreadsheetDocument", "/E"};
    static const HostNames base{"com.kovelsystems.videvoviv.base", "KovelAssistantA", "KovelAssistant",
                                "KovelAssistant", "com.sun.star.sdb.OfficeDatabaseDocument", "/A"};
    switch (host) {
    case Host::Writer: return writer;
    case Host::Calc: return calc;
    case Host::Base: return base;
    }
    return writer;
}

QString scriptUrl(Host host)
{
    const HostNames& n = names(host);
    return QStringLiteral("vnd.sun.star.script:%1.%2.%3?language=Basic&location=application")
        .arg(QLatin1String(n.library), QLatin1String(n.module), QLatin1String(n.macro));
}

Placement placement(Host host)
{
    // The word processor's command went before a fixed command of its Tools menu, else at
    // its end, and its button before the zoom box; the spreadsheet's and the database's
    // were added at the end of the Tools menu and towards the end of the bar.
    Placement p;
    p.menuFallback = QStringLiteral("AddPath");   // the Tools menu is there: append to it
    p.toolbarFallback = QStringLiteral("AddLast");
    switch (host) {
    case Host::Writer:
        p.menuPoint = QStringLiteral(".uno:ToolsMenu\\.uno:MacrosMenu");
        p.menuCommand = QStringLiteral("AddBefore");
        p.toolbar = QStringLiteral("standardbar");
        p.toolbarPoint = QStringLiteral(".uno:Zoom");
        p.toolbarCommand = QStringLiteral("AddBefore");
        break;
    case Host::Calc:
        p.menuPoint = QStringLiteral(".uno:ToolsMenu\\.uno:OptionsTreeDialog");
        p.menuCommand = QStringLiteral("AddAfter");
        p.toolbar = QStringLiteral("standardbar");
        p.toolbarPoint = QStringLiteral(".uno:Zoom");
        p.toolbarCommand = QStringLiteral("AddBefore");
        break;
    case Host::Base:
        p.menuPoint = QStringLiteral(".uno:ToolsMenu\\.uno:OptionsTreeDialog");
        p.menuCommand = QStringLiteral("AddAfter");
        p.toolbar = QStringLiteral("toolbar");
        p.toolbarPoint = QStringLiteral(".uno:HelpIndex");
        p.toolbarCommand = QStringLiteral("AddBefore");
        break;
    }
    return p;
}

} // namespace kovel::office

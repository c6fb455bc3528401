#include "platform/paths/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace kovel::paths {

namespace {

QString envPath(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString() : withoutTrailingSlash(QDir::cleanPath(value));
}

QString homeSub(const QString& sub)
{
    return withoutTrailingSlash(QDir::homePath() + u'/' + sub);
}

} // namespace

QString withoutTrailingSlash(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}

QString programDir()
{
    if (QString dir = envPath("KOVEL_PROGRAM_DIR"); !dir.isEmpty())
        return dir;
    if (QCoreApplication::instance())
        return withoutTrailingSlash(QCoreApplication::applicationDirPath());
    // Without an application object (tools, early start-up) the executable's link says it.
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    return withoutTrailingSlash(QFileInfo(self.symLinkTarget()).absolutePath());
}

QString appDataDir()
{
    QString dir = envPath("XDG_DATA_HOME");
    if (dir.isEmpty())
        dir = homeSub(QStringLiteral(".local/share"));
    QDir().mkpath(dir);
    return dir;
}

QString configDir()
{
    QString dir = envPath("XDG_CONFIG_HOME");
    return dir.isEmpty() ? homeSub(QStringLiteral(".config")) : dir;
}

QString documentsDir()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return dir.isEmpty() ? homeSub(QStringLiteral("Documents")) : withoutTrailingSlash(dir);
}

QString machineRegistryFile()
{
    if (QString f = envPath("KOVEL_MACHINE_REGISTRY"); !f.isEmpty())
        return f;
    return programDir() + QStringLiteral("/machine.reg");
}

QString userRegistryFile()
{
    if (QString f = envPath("KOVEL_USER_REGISTRY"); !f.isEmpty())
        return f;
    return configDir() + QStringLiteral("/kovel-videvoviv/user.reg");
}

QString findCaseInsensitive(const QString& base, const QString& relative)
{
    QString rel = relative;
    rel.replace(u'\\', u'/');
    const QStringList parts = rel.split(u'/', Qt::SkipEmptyParts);
    QString current = withoutTrailingSlash(base);
    const QString naive = QDir::cleanPath(current + u'/' + parts.join(u'/'));
    for (const QString& part : parts) {
        const QString sep = current.endsWith(u'/') ? QString() : QStringLiteral("/");
        if (part == u"." || part == u".." || QFileInfo::exists(current + sep + part)) {
            current += sep + part;
            continue;
        }
        const QStringList entries = QDir(current).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        auto it = std::find_if(entries.begin(), entries.end(), [&](const QString& e) {
            return e.compare(part, Qt::CaseInsensitive) == 0;
        });
        if (it == entries.end())
            return naive;
        current += sep + *it;
    }
    return QDir::cleanPath(current);
}

QString programFile(const QString& relative)
{
    return findCaseInsensitive(programDir(), relative);
}

} // namespace kovel::paths

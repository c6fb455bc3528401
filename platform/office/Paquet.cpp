#include "platform/office/Paquet.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <zip.h>

namespace kovel::office {

namespace {

// A button picture is small: anything larger is not what the option means.
constexpr qint64 MidaMaximaImatge = 8 * 1024 * 1024;
constexpr int CostatMaximImatge = 4096;
constexpr int CostatPetit = 16;
constexpr int CostatGran = 26;

QString xml(const QString& text)
{
    return text.toHtmlEscaped();
}

QByteArray png(const QImage& image, int side)
{
    const QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_ARGB32);
    // Centred on a transparent square, so that a picture that is not square keeps its shape.
    QImage square(side, side, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    QPainter p(&square);
    p.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    square.save(&buffer, "PNG");
    return bytes;
}

QString descriptionXml(const HostNames& n)
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<description xmlns=\"http://openoffice.org/extensions/description/2006\"\n"
               "             xmlns:xlink=\"http://www.w3.org/1999/xlink\">\n"
               "  <identifier value=\"%1\"/>\n"
               "  <version value=\"6.0\"/>\n"
               "  <display-name><name lang=\"en\">KOVEL Videvoviv label assistant</name></display-name>\n"
               "  <publisher><name xlink:href=\"about:blank\" lang=\"en\">KOVEL Systems</name></publisher>\n"
               "</description>\n")
        .arg(QLatin1String(n.identifier));
}

QString manifestXml(const HostNames& n)
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<manifest:manifest xmlns:manifest=\"http://openoffice.org/2001/manifest\">\n"
               "  <manifest:file-entry manifest:full-path=\"%1/\" "
               "manifest:media-type=\"application/vnd.sun.star.basic-library\"/>\n"
               "  <manifest:file-entry manifest:full-path=\"Addons.xcu\" "
               "manifest:media-type=\"application/vnd.sun.star.configuration-data\"/>\n"
               "</manifest:manifest>\n")
        .arg(QLatin1String(n.library));
}

QString libraryXml(const HostNames& n, bool withModule)
{
    const QString head = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE library:library PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" \"library.dtd\">\n"
        "<library:library xmlns:library=\"http://openoffice.org/2000/library\" library:name=\"%1\" "
        "library:readonly=\"true\" library:passwordprotected=\"false\"")
                             .arg(QLatin1String(n.library));
    if (!withModule)
        return head + QStringLiteral("/>\n");
    return head + QStringLiteral(">\n <library:element library:name=\"%1\"/>\n</library:library>\n").arg(QLatin1String(n.module));
}

QString moduleXml(const HostNames& n, const QString& source)
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<!DOCTYPE script:module PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" \"module.dtd\">\n"
               "<script:module xmlns:script=\"http://openoffice.org/2000/script\" script:name=\"%1\" "
               "script:language=\"StarBasic\">%2</script:module>\n")
        .arg(QLatin1String(n.module), xml(source));
}

QString prop(const char* name, const QString& value, bool localised = false)
{
    return QStringLiteral("<prop oor:name=\"%1\" oor:type=\"xs:string\"><value%2>%3</value></prop>")
        .arg(QLatin1String(name), localised ? QStringLiteral(" xml:lang=\"en-US\"") : QString(), xml(value));
}

QString addonsXcu(const EntryPoint& e)
{
    const HostNames& n = names(e.host);
    const Placement p = placement(e.host);
    const QString url = scriptUrl(e.host);
    const QString id = QLatin1String(n.identifier);
    const QString context = QLatin1String(n.context);
    QString out = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<oor:component-data xmlns:oor=\"http://openoffice.org/2001/registry\" "
        "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" oor:name=\"Addons\" oor:package=\"org.openoffice.Office\">\n"
        "<node oor:name=\"AddonUI\">\n");
    out += QStringLiteral("<node oor:name=\"OfficeMenuBarMerging\"><node oor:name=\"%1\" oor:op=\"replace\">"
                          "<node oor:name=\"ToolsCommand\" oor:op=\"replace\">\n")
               .arg(xml(id));
    out += prop("MergePoint", p.menuPoint) + prop("MergeCommand", p.menuCommand) + prop("MergeFallback", p.menuFallback)
        + prop("MergeContext", context) + u'\n';
    out += QStringLiteral("<node oor:name=\"MenuItems\"><node oor:name=\"KovelAssistant\" oor:op=\"replace\">");
    out += prop("URL", url) + prop("Title", e.menuText, true) + prop("Target", QStringLiteral("_self")) + prop("Context", context);
    out += QStringLiteral("</node></node>\n</node></node></node>\n");

    out += QStringLiteral("<node oor:name=\"OfficeToolbarMerging\"><node oor:name=\"%1\" oor:op=\"replace\">"
                          "<node oor:name=\"StandardButton\" oor:op=\"replace\">\n")
               .arg(xml(id));
    out += prop("MergeToolBar", p.toolbar) + prop("MergePoint", p.toolbarPoint) + prop("MergeCommand", p.toolbarCommand)
        + prop("MergeFallback", p.toolbarFallback) + prop("MergeContext", context) + u'\n';
    out += QStringLiteral("<node oor:name=\"ToolBarItems\"><node oor:name=\"BtnKovelAssistant\" oor:op=\"replace\">");
    out += prop("URL", url) + prop("Title", e.tooltip, true) + prop("Target", QStringLiteral("_self")) + prop("Context", context);
    out += QStringLiteral("</node></node>\n</node></node></node>\n");

    // The picture of both, found by the command's URL.
    out += QStringLiteral("<node oor:name=\"Images\"><node oor:name=\"%1.face\" oor:op=\"replace\">").arg(xml(id));
    out += prop("URL", url);
    out += QStringLiteral("<node oor:name=\"UserDefinedImages\">");
    out += prop("ImageSmallURL", QStringLiteral("%origin%/images/face16.png"));
    out += prop("ImageBigURL", QStringLiteral("%origin%/images/face26.png"));
    out += QStringLiteral("</node></node></node>\n</node>\n</oor:component-data>\n");
    return out;
}

} // namespace

QString basicLiteral(const QString& text)
{
    QString doubled = text;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

QString macroSource(const EntryPoint& e)
{
    const HostNames& n = names(e.host);
    const QString program = basicLiteral(e.program);
    const QString hostSwitch = basicLiteral(QLatin1String(n.hostSwitch));
    if (e.host != Host::Calc) {
        // Shell splits its whole command line at blanks outside double quotes: the path is
        // quoted, so that a folder with blanks in its name stays one word.
        return QStringLiteral("\n' Starts the label assistant with its host switch.\n"
                              "Sub %1\n"
                              "    Shell(%2, 1, %3)\n"
                              "End Sub\n")
            .arg(QLatin1String(n.macro), basicLiteral(u'"' + e.program + u'"'), hostSwitch);
    }
    // The assistant opens the workbook the command was given in: its file goes in
    // KOVEL_ACTIVE_WORKBOOK; a workbook never saved names none, and none is inherited.
    return QStringLiteral(
               "\n' Starts the label assistant for the workbook the command was given in.\n"
               "Sub %1\n"
               "    KovelPerLlibre(ThisComponent)\n"
               "End Sub\n"
               "\n"
               "Sub KovelPerLlibre(oDoc As Variant)\n"
               "    Dim sLlibre As String\n"
               "    Dim sUrl As String\n"
               "    On Error Resume Next\n"
               "    If oDoc.supportsService(\"com.sun.star.sheet.SpreadsheetDocument\") Then\n"
               "        If oDoc.hasLocation() Then sUrl = oDoc.getLocation()\n"
               "    End If\n"
               "    On Error GoTo 0\n"
               "    If Left(sUrl, 8) = \"file:///\" Then sLlibre = ConvertFromURL(sUrl)\n"
               "    If sLlibre = \"\" Or InStr(sLlibre, Chr(34)) > 0 Then\n"
               "        Shell(\"/usr/bin/env\", 1, \"-u KOVEL_ACTIVE_WORKBOOK \" & Cometes(%2) & \" \" & %3)\n"
               "    Else\n"
               "        Shell(\"/usr/bin/env\", 1, Cometes(\"KOVEL_ACTIVE_WORKBOOK=\" & sLlibre) & \" \" & Cometes(%2) & \" \" & %3)\n"
               "    End If\n"
               "End Sub\n"
               "\n"
               "Function Cometes(s As String) As String\n"
               "    Cometes = Chr(34) & s & Chr(34)\n"
               "End Function\n")
        .arg(QLatin1String(n.macro), program, hostSwitch);
}

Fitxers packageFiles(const EntryPoint& e)
{
    const HostNames& n = names(e.host);
    const QString lib = QLatin1String(n.library);
    const QImage face = e.face.isNull() ? defaultFace(CostatGran) : e.face;
    return {
        {QStringLiteral("META-INF/manifest.xml"), manifestXml(n).toUtf8()},
        {QStringLiteral("description.xml"), descriptionXml(n).toUtf8()},
        {QStringLiteral("Addons.xcu"), addonsXcu(e).toUtf8()},
        {lib + QStringLiteral("/script.xlb"), libraryXml(n, true).toUtf8()},
        {lib + QStringLiteral("/dialog.xlb"), libraryXml(n, false).toUtf8()},
        {lib + u'/' + QLatin1String(n.module) + QStringLiteral(".xba"), moduleXml(n, macroSource(e)).toUtf8()},
        {QStringLiteral("images/face16.png"), png(face, CostatPetit)},
        {QStringLiteral("images/face26.png"), png(face, CostatGran)},
    };
}

QImage faceFromFile(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || info.size() > MidaMaximaImatge)
        return {};
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > CostatMaximImatge || size.height() > CostatMaximImatge)
        return {};
    return reader.read();
}

QImage defaultFace(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // A label: white with a blue edge, a text line and a bar code.
    const QColor blau(0, 118, 196);
    p.setPen(QPen(blau, qMax<qreal>(1.0, s / 16.0)));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(s * 0.06, s * 0.16, s * 0.88, s * 0.68), s * 0.1, s * 0.1);
    p.setPen(Qt::NoPen);
    p.setBrush(blau);
    p.drawRect(QRectF(s * 0.2, s * 0.27, s * 0.6, s * 0.1));
    p.setBrush(Qt::black);
    const int widths[] = {1, 2, 1, 1, 2, 1, 2, 1};
    qreal x = s * 0.2;
    const qreal unit = s * 0.6 / 14.0;
    for (int i = 0; i < 8; ++i) {
        if (i % 2 == 0)
            p.drawRect(QRectF(x, s * 0.45, unit * widths[i], s * 0.28));
        x += unit * widths[i] + (i % 2 == 0 ? 0 : unit * 0.5);
    }
    p.end();
    return image;
}

bool writeZip(const QString& path, const Fitxers& files, QString* error)
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    };
    QFile::remove(path);
    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!za) {
        zip_error_t err;
        zip_error_init_with_code(&err, code);
        const QString why = QString::fromUtf8(zip_error_strerror(&err));
        zip_error_fini(&err);
        return fail(why);
    }
    for (const auto& [name, data] : files) {
        // The archive reads the bytes when it is closed; `files` outlives that.
        zip_source_t* s = zip_source_buffer(za, data.constData(), static_cast<zip_uint64_t>(data.size()), 0);
        if (!s || zip_file_add(za, name.toUtf8().constData(), s, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            if (s)
                zip_source_free(s);
            const QString why = QString::fromUtf8(zip_strerror(za));
            zip_discard(za);
            QFile::remove(path);
            return fail(why);
        }
    }
    if (zip_close(za) < 0) {
        const QString why = QString::fromUtf8(zip_strerror(za));
        zip_discard(za);
        QFile::remove(path);
        return fail(why);
    }
    return true;
}

} // namespace kovel::office

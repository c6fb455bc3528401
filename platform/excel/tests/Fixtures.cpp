#include "Fixtures.h"
#include "platform/excel/WorkbookImpl.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <xlsxwriter.h>
#include <zip.h>

namespace fixtures {

void WriteZip(const QString& path, const std::vector<std::pair<QString, QByteArray>>& parts)
{
    int err = 0;
    QFile::remove(path);
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) throw std::runtime_error("cannot create zip");
    // libzip reads the buffers when it closes the archive: keep them alive until then.
    std::vector<QByteArray> keep;
    keep.reserve(parts.size());
    for (const auto& [name, bytes] : parts) {
        keep.push_back(bytes);
        zip_source_t* src = zip_source_buffer(z, keep.back().constData(), zip_uint64_t(keep.back().size()), 0);
        if (!src || zip_file_add(z, name.toUtf8().constData(), src, ZIP_FL_OVERWRITE) < 0)
            throw std::runtime_error("cannot add zip part");
    }
    if (zip_close(z) != 0) throw std::runtime_error("cannot write zip");
}

void WriteXlsx(const QString& path, const Package& p)
{
    std::vector<std::pair<QString, QByteArray>> parts;
    QByteArray types = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
    parts.push_back({"[Content_Types].xml", types});
    parts.push_back({"_rels/.rels",
                     "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                     "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
                     "</Relationships>"});
    QByteArray wb = "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    wb += p.date1904 ? "<workbookPr date1904=\"1\"/>" : "<workbookPr/>";
    wb += "<sheets>";
    QByteArray rels = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    int n = 0;
    for (const Sheet& s : p.sheets) {
        ++n;
        const QByteArray id = "rId" + QByteArray::number(n);
        wb += "<sheet name=\"" + s.name.toHtmlEscaped().toUtf8() + "\" sheetId=\"" + QByteArray::number(n) + "\" r:id=\"" + id + "\"";
        if (!s.state.isEmpty()) wb += " state=\"" + s.state.toUtf8() + "\"";
        wb += "/>";
        const QByteArray kind = s.chart ? "chartsheet" : "worksheet";
        const QByteArray target = s.chart ? "chartsheets/sheet" + QByteArray::number(n) + ".xml"
                                          : "worksheets/sheet" + QByteArray::number(n) + ".xml";
        rels += "<Relationship Id=\"" + id + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" +
                kind + "\" Target=\"" + target + "\"/>";
        QByteArray xml = s.chart ? QByteArray("<?xml version=\"1.0\"?><chartsheet/>")
                                 : "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
                                       s.sheetDataXml + "</sheetData></worksheet>";
        parts.push_back({"xl/" + QString::fromUtf8(target), xml});
    }
    wb += "</sheets></workbook>";
    if (!p.sharedStringsXml.isEmpty()) {
        rels += "<Relationship Id=\"rIdS\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts.push_back({"xl/sharedStrings.xml",
                         "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                             p.sharedStringsXml + "</sst>"});
    }
    if (!p.cellXfNumFmts.isEmpty()) {
        rels += "<Relationship Id=\"rIdT\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>";
        QByteArray st = "<?xml version=\"1.0\"?><styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
        if (!p.numFmtsXml.isEmpty()) st += "<numFmts>" + p.numFmtsXml + "</numFmts>";
        st += "<cellStyleXfs count=\"1\"><xf numFmtId=\"9\"/></cellStyleXfs><cellXfs>";
        for (int id : p.cellXfNumFmts) st += "<xf numFmtId=\"" + QByteArray::number(id) + "\"/>";
        st += "</cellXfs></styleSheet>";
        parts.push_back({"xl/styles.xml", st});
    }
    rels += "</Relationships>";
    parts.push_back({"xl/workbook.xml", wb});
    parts.push_back({"xl/_rels/workbook.xml.rels", rels});
    WriteZip(path, parts);
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read fixture");
    return f.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write fixture");
}

QByteArray LegacyXls(const std::vector<XlsCell>& cells, bool date1904, bool password)
{
    QByteArray out;
    auto u16 = [](int v) { return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF); };
    auto record = [&](int type, const QByteArray& data) { out += u16(type) + u16(int(data.size())) + data; };
    // Row, column and the three attribute bytes, whose first holds the cell's style.
    auto cell = [&](const XlsCell& c, int style) { return u16(c.row) + u16(c.column) + char(style) + '\0' + '\0'; };
    record(0x0009, u16(2) + u16(0x10));            // BOF of a worksheet
    if (password) record(0x002F, u16(0));          // FILEPASS
    record(0x0042, u16(1252));                      // CODEPAGE
    record(0x0022, u16(date1904 ? 1 : 0));          // DATEMODE
    record(0x001E, "\x07General");                  // FORMAT 0
    record(0x001E, "\x08" "d/m/yyyy");              // FORMAT 1
    record(0x0043, QByteArray("\0\0\0\0", 4));        // style 0: General
    record(0x0043, QByteArray("\0\0\x01\0", 4));      // style 1: the date
    int rows = 0, cols = 0;
    for (const XlsCell& c : cells) { rows = std::max(rows, c.row + 1); cols = std::max(cols, c.column + 1); }
    record(0x0000, u16(0) + u16(rows) + u16(0) + u16(cols));   // DIMENSIONS
    for (const XlsCell& c : cells) {
        switch (c.kind) {
        case XlsCell::Text: record(0x0004, cell(c, 0) + char(c.text.size()) + c.text); break;
        case XlsCell::Whole: record(0x0002, cell(c, 0) + u16(int(c.number))); break;
        case XlsCell::Number:
        case XlsCell::Date: {
            QByteArray d(8, '\0');
            std::memcpy(d.data(), &c.number, 8);
            record(0x0003, cell(c, c.kind == XlsCell::Date ? 1 : 0) + d);
            break;
        }
        case XlsCell::Formula: {
            QByteArray d(8, '\0');
            std::memcpy(d.data(), &c.number, 8);
            // The result, no flags, and the formula: one whole-number token.
            record(0x0006, cell(c, 0) + d + '\0' + '\x03' + '\x1E' + u16(int(c.number)));
            break;
        }
        }
    }
    record(0x000A, {});                             // EOF
    return out;
}

void WriteGridXlsx(const QString& path, int rows, int cols)
{
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "d/m/yyyy");
    lxw_format* money = workbook_add_format(wb);
    format_set_num_format(money, "#,##0.00");
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            if (c == 0) {
                const QByteArray s = "R" + QByteArray::number(r + 1);
                worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), s.constData(), nullptr);
            } else if (c == 1) {
                worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), r + 1, nullptr);
            } else if (c == 2) {
                worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), 40000 + r % 3000, date);
            } else {
                worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), (r + 1) * c * 1.25, money);
            }
        }
    }
    if (workbook_close(wb) != LXW_NO_ERROR) throw std::runtime_error("cannot write xlsx");
}


QByteArray OdsContent(const QByteArray& tablesXml, const QByteArray& stylesXml)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\" office:version=\"1.3\">"
           "<office:automatic-styles>" + stylesXml + "</office:automatic-styles>"
           "<office:body><office:spreadsheet>" + tablesXml + "</office:spreadsheet></office:body></office:document-content>";
}

void WriteOds(const QString& path, const QByteArray& tablesXml, const QByteArray& stylesXml, const QByteArray& manifest)
{
    WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                    {"META-INF/manifest.xml",
                     manifest.isEmpty() ? QByteArray("<?xml version=\"1.0\"?><manifest:manifest "
                                                     "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.3\">"
                                                     "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.3\" "
                                                     "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
                                                     "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
                                                     "</manifest:manifest>")
                                        : manifest},
                    {"content.xml", OdsContent(tablesXml, stylesXml)}});
}

QString Office()
{
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

bool Convert(const QString& source, const QString& to, const QString& outDir, const QString& profileDir)
{
    kovel::excel::PrepareOfficeProfile(profileDir);
    QProcess p;
    p.setProgram(Office());
    p.setArguments({QStringLiteral("--headless"), QStringLiteral("--norestore"),
                    QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profileDir).toString(),
                    QStringLiteral("--convert-to"), to, QStringLiteral("--outdir"), outDir, source});
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start();
    return p.waitForFinished(120'000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace fixtures

// .xlsx / .xlsm: a zip package of XML parts, read with libzip and QXmlStreamReader.
#include "platform/excel/WorkbookImpl.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>
#include <QHash>
#include <QXmlStreamReader>
#include <zip.h>

#include <cmath>

namespace kovel::excel {

namespace {

struct Package {
    zip_t* zip = nullptr;
    const Limits& limits;
    std::int64_t unpacked = 0;
    QString error;

    explicit Package(const Limits& l) : limits(l) {}
    ~Package() { if (zip) zip_discard(zip); }

    bool open(const QString& path, const QByteArray* bytes)
    {
        int code = 0;
        if (bytes) {
            zip_error_t err;
            zip_error_init(&err);
            zip_source_t* src = zip_source_buffer_create(bytes->constData(), zip_uint64_t(bytes->size()), 0, &err);
            if (src) {
                zip = zip_open_from_source(src, ZIP_RDONLY, &err);
                if (!zip) zip_source_free(src);
            }
            code = zip_error_code_zip(&err);
            zip_error_fini(&err);
        } else {
            zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
        }
        if (!zip) {
            error = code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS
                        ? QStringLiteral("the file is truncated or is not a valid workbook package")
                        : QStringLiteral("the workbook package cannot be read (zip error %1)").arg(code);
            return false;
        }
        return true;
    }

    // The part's bytes; false with `error` when it is missing (and `required`), encrypted,
    // corrupt, or larger than the caps allow.
    bool read(QString name, QByteArray& out, bool required)
    {
        out.clear();
        while (name.startsWith(u'/')) name.remove(0, 1);
        const zip_int64_t index = zip_name_locate(zip, name.toUtf8().constData(), ZIP_FL_NOCASE);
        if (index < 0) {
            if (required) error = QStringLiteral("the workbook package has no part \"%1\"").arg(name);
            return !required;
        }
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip, zip_uint64_t(index), 0, &st) != 0) {
            error = QStringLiteral("the part \"%1\" cannot be read").arg(name);
            return false;
        }
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
            error = QStringLiteral("the workbook is encrypted");
            return false;
        }
        if ((st.valid & ZIP_STAT_SIZE) && (std::int64_t(st.size) > limits.maxPartBytes ||
                                           unpacked + std::int64_t(st.size) > limits.maxUnpackedBytes)) {
            error = QStringLiteral("the workbook unpacks to more than the allowed size");
            return false;
        }
        zip_file_t* f = zip_fopen_index(zip, zip_uint64_t(index), 0);
        if (!f) {
            error = QStringLiteral("the part \"%1\" cannot be unpacked").arg(name);
            return false;
        }
        if (st.valid & ZIP_STAT_SIZE) out.reserve(qsizetype(st.size));
        char buf[65536];
        for (;;) {
            const zip_int64_t got = zip_fread(f, buf, sizeof buf);
            if (got < 0) {
                zip_fclose(f);
                error = QStringLiteral("the workbook is truncated or corrupt (part \"%1\")").arg(name);
                return false;
            }
            if (got == 0) break;
            // The declared size may lie: count what really comes out.
            unpacked += got;
            if (out.size() + got > limits.maxPartBytes || unpacked > limits.maxUnpackedBytes) {
                zip_fclose(f);
                error = QStringLiteral("the workbook unpacks to more than the allowed size");
                return false;
            }
            out.append(buf, qsizetype(got));
        }
        zip_fclose(f);
        return true;
    }
};

// A reader that refuses document type declarations (no entity expansion at all) and
// nesting deeper than the cap.
class Xml {
public:
    Xml(const QByteArray& bytes, const Limits& limits) : r(bytes), maxDepth(limits.maxXmlDepth) {}

    // Next start or end element (text is read by text()); false at the end or on error.
    bool next()
    {
        while (!r.atEnd()) {
            const auto t = r.readNext();
            if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference) {
                fail(QStringLiteral("document type declarations are not allowed"));
                return false;
            }
            if (t == QXmlStreamReader::StartElement) {
                if (++depth > maxDepth) {
                    fail(QStringLiteral("the XML nests deeper than %1 levels").arg(maxDepth));
                    return false;
                }
                return true;
            }
            if (t == QXmlStreamReader::EndElement) {
                --depth;
                return true;
            }
        }
        return false;
    }
    bool isStart() const { return r.isStartElement(); }
    bool isEnd() const { return r.isEndElement(); }
    QStringView name() const { return r.name(); }
    QXmlStreamAttributes attributes() const { return r.attributes(); }
    int level() const { return depth; }
    // Text of the current element up to its end (child elements are not expected).
    QString text()
    {
        QString s;
        while (!r.atEnd()) {
            const auto t = r.readNext();
            if (t == QXmlStreamReader::Characters) s += r.text();
            else if (t == QXmlStreamReader::EndElement) { --depth; break; }
            else if (t == QXmlStreamReader::StartElement) {
                if (++depth > maxDepth) { fail(QStringLiteral("the XML nests too deep")); break; }
            } else if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference) {
                fail(QStringLiteral("document type declarations are not allowed"));
                break;
            }
        }
        return s;
    }
    bool ok() const { return m_error.isEmpty() && (!r.hasError() || r.error() == QXmlStreamReader::NoError); }
    QString error() const
    {
        if (!m_error.isEmpty()) return m_error;
        return QStringLiteral("malformed XML at line %1: %2").arg(r.lineNumber()).arg(r.errorString());
    }
    void fail(const QString& e) { if (m_error.isEmpty()) m_error = e; r.raiseError(e); }

private:
    QXmlStreamReader r;
    int maxDepth;
    int depth = 0;
    QString m_error;
};

// OOXML writes characters XML cannot hold as _xHHHH_.
QString decodeEscapes(QString s)
{
    if (!s.contains(u"_x")) return s;
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'_' && i + 6 < s.size() && s[i + 1] == u'x' && s[i + 6] == u'_') {
            bool ok = false;
            const uint code = QStringView(s).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// The text of an <si> or <is>: its <t>, or the <t> of each run; phonetic runs left out.
QString richText(Xml& x)
{
    QString s;
    const int base = x.level();
    while (x.next()) {
        if (x.isEnd() && x.level() < base) break;
        if (!x.isStart()) continue;
        if (x.name() == u"t") {
            s += x.text();
        } else if (x.name() == u"rPh") {
            const int lvl = x.level();
            while (x.next() && !(x.isEnd() && x.level() < lvl)) {}
        }
    }
    return decodeEscapes(s);
}

QString joinPath(const QString& base, const QString& target)
{
    QString path = target.startsWith(u'/') ? target.mid(1) : base + target;
    QStringList parts;
    for (const QString& p : path.split(u'/')) {
        if (p == u"..") { if (!parts.isEmpty()) parts.removeLast(); }
        else if (!p.isEmpty() && p != u".") parts << p;
    }
    return parts.join(u'/');
}

struct Rel { QString type, target; };

bool readRels(Package& pkg, const QString& partName, QHash<QString, Rel>& rels, QString& error)
{
    QByteArray bytes;
    if (!pkg.read(partName, bytes, false)) { error = pkg.error; return false; }
    if (bytes.isEmpty()) return true;
    Xml x(bytes, pkg.limits);
    while (x.next()) {
        if (x.isStart() && x.name() == u"Relationship") {
            const auto a = x.attributes();
            rels.insert(a.value(QLatin1StringView("Id")).toString(), {a.value(QLatin1StringView("Type")).toString(), a.value(QLatin1StringView("Target")).toString()});
        }
    }
    if (!x.ok()) { error = QStringLiteral("%1: %2").arg(partName, x.error()); return false; }
    return true;
}

// Parses "AB12" into column and row; false when it is not a cell reference.
bool parseRef(QStringView ref, std::int64_t& row, std::int64_t& column)
{
    qsizetype i = 0;
    column = 0;
    while (i < ref.size() && ref[i].isLetter()) {
        const char16_t u = ref[i].toUpper().unicode();
        if (u < u'A' || u > u'Z' || i >= 4) return false;
        column = column * 26 + (u - u'A' + 1);
        ++i;
    }
    if (i == 0 || i == ref.size()) return false;
    row = 0;
    for (; i < ref.size(); ++i) {
        if (!ref[i].isDigit() || row > MaxRows) return false;
        row = row * 10 + (ref[i].unicode() - u'0');
    }
    return true;
}

double isoToSerial(const QString& text, bool date1904, bool& ok)
{
    QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dt.isValid()) dt = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
    if (!dt.isValid()) { ok = false; return 0; }
    dt.setTimeZone(QTimeZone::utc());
    const QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const double days = double(base.daysTo(dt.date()));
    const double frac = double(dt.time().msecsSinceStartOfDay()) / 86400000.0;
    ok = true;
    return days + frac;
}

bool readSheet(Package& pkg, Workbook& book, Worksheet& sheet, const QString& partName, QString& error)
{
    QByteArray bytes;
    if (!pkg.read(partName, bytes, true)) { error = pkg.error; return false; }
    Workbook::Shared& sh = book.shared();
    Worksheet::Impl& w = sheet.impl();
    const Limits& lim = pkg.limits;
    const auto nShared = std::uint32_t(sh.sharedStrings.size());
    Xml x(bytes, lim);
    std::int64_t rowNum = 0, colNum = 0;
    bool inData = false;
    while (x.next()) {
        if (!x.isStart()) {
            if (x.isEnd() && x.name() == u"sheetData") inData = false;
            continue;
        }
        const QStringView nm = x.name();
        if (nm == u"sheetData") { inData = true; continue; }
        if (!inData) continue;
        if (nm == u"row") {
            const auto a = x.attributes();
            const QStringView r = a.value(QLatin1StringView("r"));
            if (r.isEmpty()) ++rowNum;
            else {
                bool ok = false;
                rowNum = r.toLongLong(&ok);
                if (!ok) { error = QStringLiteral("a row number is not a number"); return false; }
            }
            if (rowNum < 1 || rowNum > MaxRows) {
                error = QStringLiteral("row %1 lies outside the worksheet \"%2\"").arg(rowNum).arg(sheet.Name());
                return false;
            }
            colNum = 0;
            continue;
        }
        if (nm != u"c") continue;
        const auto a = x.attributes();
        const QStringView ref = a.value(QLatin1StringView("r"));
        std::int64_t row = rowNum, col = colNum + 1;
        if (!ref.isEmpty() && !parseRef(ref, row, col)) {
            error = QStringLiteral("the cell reference \"%1\" of worksheet \"%2\" is not valid").arg(ref.toString(), sheet.Name());
            return false;
        }
        if (row < 1 || row > MaxRows || col < 1 || col > MaxColumns) {
            error = QStringLiteral("the cell reference \"%1\" lies outside worksheet \"%2\"").arg(ref.toString(), sheet.Name());
            return false;
        }
        rowNum = row;
        colNum = col;
        const QStringView t = a.value(QLatin1StringView("t"));
        std::uint32_t style = 0;
        if (const QStringView s = a.value(QLatin1StringView("s")); !s.isEmpty()) style = s.toUInt();
        QString value, inlineText;
        bool haveValue = false, haveInline = false;
        const int lvl = x.level();
        while (x.next()) {
            if (x.isEnd() && x.level() < lvl) break;
            if (!x.isStart()) continue;
            if (x.name() == u"v") { value = x.text(); haveValue = true; }
            else if (x.name() == u"is") { inlineText = richText(x); haveInline = true; }
            else if (x.name() == u"f") { x.text(); }
        }
        if (!x.ok()) break;
        if (++sh.cells > lim.maxCells) {
            error = QStringLiteral("the workbook has more than %1 cells").arg(lim.maxCells);
            return false;
        }
        CellData c{};
        c.row = std::uint32_t(row);
        c.column = std::uint16_t(col);
        c.style = style;
        c.kind = Kind::Blank;
        if (t == u"s") {
            if (haveValue) {
                bool ok = false;
                const uint idx = QStringView(value).trimmed().toUInt(&ok);
                if (!ok || idx >= nShared) {
                    error = QStringLiteral("cell %1 of worksheet \"%2\" names a shared text that does not exist")
                                .arg(ref.toString(), sheet.Name());
                    return false;
                }
                c.kind = Kind::Shared;
                c.shared = idx;
            }
        } else if (t == u"inlineStr") {
            if (haveInline || haveValue) {
                const QString s = haveInline ? inlineText : decodeEscapes(value);
                if (s.size() > lim.maxCellTextChars) { error = QStringLiteral("a cell text is too long"); return false; }
                c.kind = Kind::Text;
                c.text.offset = w.addText(s, c.text.length);
            }
        } else if (t == u"str") {
            if (haveValue) {
                if (value.size() > lim.maxCellTextChars) { error = QStringLiteral("a cell text is too long"); return false; }
                c.kind = Kind::Text;
                c.text.offset = w.addText(decodeEscapes(value), c.text.length);
            }
        } else if (t == u"b") {
            if (haveValue) { c.kind = Kind::Boolean; c.boolean = value.trimmed() == u"1" || value.trimmed() == u"true"; }
        } else if (t == u"e") {
            if (haveValue) {
                c.kind = Kind::Error;
                c.text.offset = w.addText(QStringView(value).left(64), c.text.length);
            }
        } else if (t == u"d") {
            if (haveValue) {
                bool ok = false;
                const double serial = isoToSerial(value.trimmed(), sh.date1904, ok);
                if (ok) { c.kind = Kind::Number; c.number = serial; }
            }
        } else if (haveValue && !value.isEmpty()) {
            bool ok = false;
            const double d = QStringView(value).trimmed().toDouble(&ok);
            if (!ok || !std::isfinite(d)) {
                error = QStringLiteral("cell %1 of worksheet \"%2\" holds \"%3\", which is not a number")
                            .arg(ref.toString(), sheet.Name(), value.left(40));
                return false;
            }
            c.kind = Kind::Number;
            c.number = d;
        }
        w.add(c);
    }
    if (!x.ok()) { error = QStringLiteral("worksheet \"%1\": %2").arg(sheet.Name(), x.error()); return false; }
    w.finish();
    return true;
}

} // namespace

bool ReadXlsx(Workbook& book, const QString& path, const QByteArray* bytes, QString& error, const Limits& limits)
{
    Package pkg(limits);
    if (!pkg.open(path, bytes)) { error = pkg.error; return false; }

    // The workbook part, from the package relationships.
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    {
        QHash<QString, Rel> rels;
        if (!readRels(pkg, QStringLiteral("_rels/.rels"), rels, error)) return false;
        for (const Rel& r : std::as_const(rels))
            if (r.type.endsWith(u"/officeDocument")) workbookPart = joinPath(QString(), r.target);
    }
    const qsizetype slash = workbookPart.lastIndexOf(u'/');
    const QString base = slash < 0 ? QString() : workbookPart.left(slash + 1);
    QHash<QString, Rel> rels;
    if (!readRels(pkg, base + QStringLiteral("_rels/") + workbookPart.mid(slash + 1) + QStringLiteral(".rels"), rels, error))
        return false;

    struct SheetRef { QString name, part; bool hidden; };
    std::vector<SheetRef> sheets;
    {
        QByteArray bytes2;
        if (!pkg.read(workbookPart, bytes2, true)) { error = pkg.error; return false; }
        Xml x(bytes2, limits);
        while (x.next()) {
            if (!x.isStart()) continue;
            if (x.name() == u"workbookPr") {
                const QStringView d = x.attributes().value(QLatin1StringView("date1904"));
                book.SetDate1904(d == u"1" || d == u"true");
            } else if (x.name() == u"sheet") {
                const auto a = x.attributes();
                QString rid;
                for (const auto& at : a)
                    if (at.name() == u"id") rid = at.value().toString();
                const Rel rel = rels.value(rid);
                // Only worksheets: chart, dialog and macro sheets are not in the collection.
                if (!rel.type.endsWith(u"/worksheet")) continue;
                if (qsizetype(sheets.size()) >= limits.maxSheets) {
                    error = QStringLiteral("the workbook has more than %1 worksheets").arg(limits.maxSheets);
                    return false;
                }
                const QStringView state = a.value(QLatin1StringView("state"));
                sheets.push_back(SheetRef{a.value(QLatin1StringView("name")).toString(), joinPath(base, rel.target), !state.isEmpty() && state != u"visible"});
            }
        }
        if (!x.ok()) { error = QStringLiteral("workbook part: %1").arg(x.error()); return false; }
    }
    Workbook::Shared& sh = book.shared();
    sh.date1904 = book.Date1904();

    // Shared strings and styles.
    for (const Rel& r : std::as_const(rels)) {
        if (r.type.endsWith(u"/sharedStrings")) {
            QByteArray b;
            if (!pkg.read(joinPath(base, r.target), b, true)) { error = pkg.error; return false; }
            Xml x(b, limits);
            while (x.next()) {
                if (x.isStart() && x.name() == u"si") {
                    if (sh.sharedStrings.size() >= limits.maxSharedStrings) {
                        error = QStringLiteral("the workbook has more than %1 shared texts").arg(limits.maxSharedStrings);
                        return false;
                    }
                    QString s = richText(x);
                    if (s.size() > limits.maxCellTextChars) { error = QStringLiteral("a shared text is too long"); return false; }
                    sh.sharedStrings << s;
                }
            }
            if (!x.ok()) { error = QStringLiteral("shared texts: %1").arg(x.error()); return false; }
        } else if (r.type.endsWith(u"/styles")) {
            QByteArray b;
            if (!pkg.read(joinPath(base, r.target), b, true)) { error = pkg.error; return false; }
            QHash<int, QString> custom;
            Xml x(b, limits);
            bool inCellXfs = false;
            while (x.next()) {
                if (x.isEnd() && x.name() == u"cellXfs") inCellXfs = false;
                if (!x.isStart()) continue;
                if (x.name() == u"numFmt") {
                    const auto a = x.attributes();
                    custom.insert(a.value(QLatin1StringView("numFmtId")).toInt(), a.value(QLatin1StringView("formatCode")).toString());
                } else if (x.name() == u"cellXfs") {
                    inCellXfs = true;
                } else if (inCellXfs && x.name() == u"xf") {
                    if (qsizetype(sh.styleFormats.size()) > 1'000'000) {
                        error = QStringLiteral("the workbook has too many cell styles");
                        return false;
                    }
                    const int id = x.attributes().value(QLatin1StringView("numFmtId")).toInt();
                    sh.styleFormats.push_back(custom.contains(id) ? custom.value(id) : NumberFormat::BuiltIn(id));
                }
            }
            if (!x.ok()) { error = QStringLiteral("styles: %1").arg(x.error()); return false; }
        }
    }

    for (const SheetRef& s : sheets) {
        Worksheet& ws = book.AddSheet(s.name, s.hidden);
        if (!readSheet(pkg, book, ws, s.part, error)) return false;
    }
    return true;
}

} // namespace kovel::excel

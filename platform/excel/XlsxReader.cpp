// .xlsx / .xlsm: a zip package of XML parts, read with libzip and the reader of Xml.h.
#include "platform/excel/WorkbookImpl.h"
#include "platform/excel/Xml.h"

#include <QDate>
#include <QTime>
#include <QFile>
#include <QHash>
#include <zip.h>

#include <charconv>
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
        if (x.name() == "t") {
            s += x.text();
        } else if (x.name() == "rPh") {
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
    Xml x(bytes, pkg.limits.maxXmlDepth);
    while (x.next()) {
        if (x.isStart() && x.name() == "Relationship")
            rels.insert(x.attributeText("Id"), {x.attributeText("Type"), x.attributeText("Target")});
    }
    if (!x.ok()) { error = QStringLiteral("%1: %2").arg(partName, x.error()); return false; }
    return true;
}

std::string_view trimmed(std::string_view v)
{
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t' || v.front() == '\n' || v.front() == '\r')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\n' || v.back() == '\r')) v.remove_suffix(1);
    return v;
}

QString toQString(std::string_view v) { return QString::fromUtf8(v.data(), qsizetype(v.size())); }

// A whole unsigned decimal number no greater than `max`; false otherwise.
bool parseUnsigned(std::string_view v, std::uint64_t max, std::uint64_t& out)
{
    v = trimmed(v);
    if (v.empty() || v.size() > 20) return false;
    out = 0;
    for (char c : v) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + std::uint64_t(c - '0');
        if (out > max) return false;
    }
    return true;
}

// Parses "AB12" into column and row; false when it is not a cell reference.
bool parseRef(std::string_view ref, std::int64_t& row, std::int64_t& column)
{
    std::size_t i = 0;
    column = 0;
    while (i < ref.size() && ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z'))) {
        if (i >= 3) return false;
        column = column * 26 + ((ref[i] & ~0x20) - 'A' + 1);
        ++i;
    }
    if (i == 0 || i == ref.size() || ref.size() - i > 7) return false;
    row = 0;
    for (; i < ref.size(); ++i) {
        if (ref[i] < '0' || ref[i] > '9') return false;
        row = row * 10 + (ref[i] - '0');
    }
    return true;
}

bool parseDouble(std::string_view v, double& out)
{
    v = trimmed(v);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty()) return false;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    return ec == std::errc() && end == v.data() + v.size() && std::isfinite(out);
}

double isoToSerial(const QString& text, bool date1904, bool& ok)
{
    // Date and time are read as they stand: through the local time zone a time could move,
    // or vanish in a daylight-saving gap.
    QString t = text.trimmed();
    if (t.endsWith(u'Z')) t.chop(1);
    const qsizetype sep = t.indexOf(u'T');
    const QDate date = QDate::fromString(sep < 0 ? t : t.left(sep), Qt::ISODate);
    const QTime time = sep < 0 ? QTime(0, 0) : QTime::fromString(t.mid(sep + 1), Qt::ISODateWithMs);
    if (!date.isValid() || !time.isValid()) { ok = false; return 0; }
    const QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const double days = double(base.daysTo(date));
    const double frac = double(time.msecsSinceStartOfDay()) / 86400000.0;
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
    const auto nShared = std::uint64_t(sh.sharedStrings.size());
    const auto nStyles = std::uint64_t(sh.styleFormats.size());
    Xml x(bytes, lim.maxXmlDepth);
    std::int64_t rowNum = 0, colNum = 0;
    bool inData = false;
    QByteArray scratch;
    // A stored cell takes some 24 bytes of XML or more: sizing the store from the part avoids regrowing it.
    w.cells.reserve(std::size_t(std::min<qsizetype>(bytes.size() / 24, 4'000'000)));
    while (x.next()) {
        if (!x.isStart()) {
            if (x.isEnd() && x.name() == "sheetData") inData = false;
            continue;
        }
        const std::string_view nm = x.name();
        if (nm == "sheetData") { inData = true; continue; }
        if (!inData) continue;
        if (nm == "row") {
            const std::string_view r = x.attribute("r");
            if (r.empty()) {
                ++rowNum;
            } else {
                std::uint64_t n = 0;
                if (!parseUnsigned(r, std::uint64_t(MaxRows) + 1, n)) {
                    error = QStringLiteral("the row number \"%1\" of worksheet \"%2\" is not valid")
                                .arg(toQString(r.substr(0, 20)), sheet.Name());
                    return false;
                }
                rowNum = std::int64_t(n);
            }
            if (rowNum < 1 || rowNum > MaxRows) {
                error = QStringLiteral("row %1 lies outside the worksheet \"%2\"").arg(rowNum).arg(sheet.Name());
                return false;
            }
            colNum = 0;
            continue;
        }
        if (nm != "c") continue;
        const std::string_view ref = x.attribute("r");
        std::int64_t row = rowNum, col = colNum + 1;
        if (!ref.empty() && !parseRef(ref, row, col)) {
            error = QStringLiteral("the cell reference \"%1\" of worksheet \"%2\" is not valid")
                        .arg(toQString(ref.substr(0, 20)), sheet.Name());
            return false;
        }
        if (row < 1 || row > MaxRows || col < 1 || col > MaxColumns) {
            error = QStringLiteral("the cell reference \"%1\" lies outside worksheet \"%2\"")
                        .arg(ref.empty() ? QString::number(col) : toQString(ref), sheet.Name());
            return false;
        }
        rowNum = row;
        colNum = col;
        const std::string_view t = x.attribute("t");
        std::uint64_t style = 0;
        // A style the workbook does not define shows as General.
        if (!parseUnsigned(x.attribute("s"), nStyles, style) || style >= nStyles) style = 0;
        std::string_view value;
        QString inlineText;
        bool haveValue = false, haveInline = false;
        const int lvl = x.level();
        while (x.next()) {
            if (x.isEnd() && x.level() < lvl) break;
            if (!x.isStart()) continue;
            if (x.name() == "v") { value = x.rawText(scratch); haveValue = true; }
            else if (x.name() == "is") { inlineText = richText(x); haveInline = true; }
            else if (x.name() == "f") { QByteArray skip; x.rawText(skip); }
        }
        if (!x.ok()) break;
        if (++sh.cells > lim.maxCells) {
            error = QStringLiteral("the workbook has more than %1 cells").arg(lim.maxCells);
            return false;
        }
        CellData c{};
        c.row = std::uint32_t(row);
        c.column = std::uint16_t(col);
        c.style = std::uint32_t(style);
        c.kind = Kind::Blank;
        if (t == "s") {
            if (haveValue) {
                std::uint64_t idx = 0;
                if (!parseUnsigned(value, nShared, idx) || idx >= nShared) {
                    error = QStringLiteral("cell %1 of worksheet \"%2\" names a shared text that does not exist")
                                .arg(ColumnName(std::int32_t(col)) + QString::number(row), sheet.Name());
                    return false;
                }
                c.kind = Kind::Shared;
                c.shared = std::uint32_t(idx);
            }
        } else if (t == "inlineStr" || t == "str") {
            if (haveInline || haveValue) {
                const QString s = haveInline ? inlineText : decodeEscapes(toQString(value));
                if (s.size() > lim.maxCellTextChars) { error = QStringLiteral("a cell text is too long"); return false; }
                c.kind = Kind::Text;
                c.text.offset = w.addText(s, c.text.length);
            }
        } else if (t == "b") {
            if (haveValue) {
                const std::string_view b = trimmed(value);
                c.kind = Kind::Boolean;
                c.boolean = b == "1" || b == "true";
            }
        } else if (t == "e") {
            if (haveValue) {
                c.kind = Kind::Error;
                c.text.offset = w.addText(toQString(trimmed(value).substr(0, 64)), c.text.length);
            }
        } else if (t == "d") {
            if (haveValue) {
                bool ok = false;
                const double serial = isoToSerial(toQString(trimmed(value).substr(0, 64)), sh.date1904, ok);
                if (ok) { c.kind = Kind::Number; c.number = serial; }
            }
        } else if (haveValue && !value.empty()) {
            double d = 0;
            if (!parseDouble(value, d)) {
                error = QStringLiteral("cell %1 of worksheet \"%2\" holds \"%3\", which is not a number")
                            .arg(ColumnName(std::int32_t(col)) + QString::number(row), sheet.Name(),
                                 toQString(value.substr(0, 40)));
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
        Xml x(bytes2, limits.maxXmlDepth);
        while (x.next()) {
            if (!x.isStart()) continue;
            if (x.name() == "workbookPr") {
                const std::string_view d = trimmed(x.attribute("date1904"));
                book.SetDate1904(d == "1" || d == "true");
            } else if (x.name() == "sheet") {
                const Rel rel = rels.value(x.attributeLocalText("id"));
                // Only worksheets: chart, dialog and macro sheets are not in the collection.
                if (!rel.type.endsWith(u"/worksheet")) continue;
                if (qsizetype(sheets.size()) >= limits.maxSheets) {
                    error = QStringLiteral("the workbook has more than %1 worksheets").arg(limits.maxSheets);
                    return false;
                }
                const std::string_view state = x.attribute("state");
                sheets.push_back(SheetRef{x.attributeText("name"), joinPath(base, rel.target),
                                          !state.empty() && state != "visible"});
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
            Xml x(b, limits.maxXmlDepth);
            while (x.next()) {
                if (x.isStart() && x.name() == "si") {
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
            Xml x(b, limits.maxXmlDepth);
            bool inCellXfs = false;
            auto number = [](std::string_view v) {
                std::uint64_t n = 0;
                return parseUnsigned(v, 1'000'000, n) ? int(n) : -1;
            };
            while (x.next()) {
                if (x.isEnd() && x.name() == "cellXfs") inCellXfs = false;
                if (!x.isStart()) continue;
                if (x.name() == "numFmt") {
                    const int id = number(x.attribute("numFmtId"));
                    const QString code = x.attributeText("formatCode");
                    if (code.size() > 1024) { error = QStringLiteral("a number format is too long"); return false; }
                    if (id >= 0) custom.insert(id, code);
                } else if (x.name() == "cellXfs") {
                    inCellXfs = true;
                } else if (inCellXfs && x.name() == "xf") {
                    if (qsizetype(sh.styleFormats.size()) > 1'000'000) {
                        error = QStringLiteral("the workbook has too many cell styles");
                        return false;
                    }
                    const int id = number(x.attribute("numFmtId"));
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

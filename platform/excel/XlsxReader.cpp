// .xlsx / .xlsm: a zip package of XML parts, read with libzip and QXmlStreamReader (through Xml.h).
#include "platform/excel/Package.h"
#include "platform/excel/WorkbookImpl.h"
#include "platform/excel/Xml.h"

#include <QDate>
#include <QTime>
#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QVarLengthArray>
#include <zip.h>

#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <new>
#include <thread>

namespace kovel::excel {

using namespace Qt::Literals::StringLiterals;

namespace {

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
    const auto stream = pkg.part(partName, false);
    if (!stream) { error = pkg.error; return error.isEmpty(); }
    Xml x(stream.get(), pkg.limits.maxXmlDepth);
    while (x.next()) {
        if (x.isStart() && x.name() == u"Relationship")
            rels.insert(x.attribute("Id"_L1).toString(),
                        {x.attribute("Type"_L1).toString(), x.attribute("Target"_L1).toString()});
    }
    if (!x.ok()) { error = pkg.failure(partName, x); return false; }
    return true;
}


// Parses "AB12" into column and row; false when it is not a cell reference.
bool parseRef(QStringView ref, std::int64_t& row, std::int64_t& column)
{
    qsizetype i = 0;
    column = 0;
    while (i < ref.size() && ((ref[i] >= u'A' && ref[i] <= u'Z') || (ref[i] >= u'a' && ref[i] <= u'z'))) {
        if (i >= 3) return false;
        column = column * 26 + ((ref[i].unicode() & ~0x20) - u'A' + 1);
        ++i;
    }
    if (i == 0 || i == ref.size() || ref.size() - i > 7) return false;
    row = 0;
    for (; i < ref.size(); ++i) {
        if (ref[i] < u'0' || ref[i] > u'9') return false;
        row = row * 10 + (ref[i].unicode() - u'0');
    }
    return true;
}

// Bytes served from a few spans in turn, so a piece of a part is read with a wrapper around it
// without copying it (the spans must outlive the device).
class SpansDevice : public QIODevice {
public:
    explicit SpansDevice(std::initializer_list<QByteArrayView> spans) : m_spans(spans)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        qint64 n = 0;
        while (n < max && m_span < m_spans.size()) {
            const QByteArrayView s = m_spans[m_span];
            const qint64 k = std::min<qint64>(max - n, s.size() - m_at);
            std::memcpy(data + n, s.data() + m_at, std::size_t(k));
            n += k;
            m_at += k;
            if (m_at == s.size()) { ++m_span; m_at = 0; }
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::vector<QByteArrayView> m_spans;
    std::size_t m_span = 0;
    qsizetype m_at = 0;
};

// What reading cells met that matters when a sheet is read in pieces.
struct CellsSeen {
    int sheetDataStarts = 0;
    // A row or cell without a number of its own came before any that has one, so its place
    // follows from the rows before this piece.
    bool leansOnBefore = false;
};

// Reads the cells of the <sheetData> elements `x` meets into `w`, counting them in `cells`
// against the cap. False with `error` set on a fault of the data; the caller checks the XML.
bool readCells(Xml& x, const Workbook::Shared& sh, const Limits& lim, const QString& sheetName,
               std::int64_t& cells, Worksheet::Impl& w, CellsSeen& seen, QString& error)
{
    const auto nShared = std::uint64_t(sh.sharedStrings.size());
    const auto nStyles = std::uint64_t(sh.styleFormats.size());
    std::int64_t rowNum = 0, colNum = 0;
    bool placed = false;    // rowNum and colNum come from this reader's own data
    bool inData = false;
    QString value, skip;    // reused for every cell
    while (x.next()) {
        if (!x.isStart()) {
            if (x.isEnd() && x.name() == u"sheetData") inData = false;
            continue;
        }
        const QStringView nm = x.name();
        if (nm == u"sheetData") { inData = true; ++seen.sheetDataStarts; continue; }
        if (!inData) continue;
        if (nm == u"row") {
            const QStringView r = x.attribute("r"_L1);
            if (r.isEmpty()) {
                if (!placed) seen.leansOnBefore = true;
                ++rowNum;
            } else {
                std::uint64_t n = 0;
                if (!parseUnsigned(r, std::uint64_t(MaxRows) + 1, n)) {
                    error = QStringLiteral("the row number \"%1\" of worksheet \"%2\" is not valid")
                                .arg(r.left(20), sheetName);
                    return false;
                }
                rowNum = std::int64_t(n);
            }
            placed = true;
            if (rowNum < 1 || rowNum > MaxRows) {
                error = QStringLiteral("row %1 lies outside the worksheet \"%2\"").arg(rowNum).arg(sheetName);
                return false;
            }
            colNum = 0;
            continue;
        }
        if (nm != u"c") continue;
        std::int64_t row = rowNum, col = colNum + 1;
        enum { Number, SharedText, InlineText, Bool, Err, Date } kind = Number;
        std::uint64_t style = 0;
        {
            // One pass over the attributes, let go before the reader moves on: a copy held
            // longer makes the reader copy its buffer at every step.
            const QXmlStreamAttributes attributes = x.attributes();
            QStringView ref, t, s;
            for (const QXmlStreamAttribute& a : attributes) {
                const QStringView name = a.qualifiedName();
                if (name.size() != 1) continue;
                if (name[0] == u'r') ref = a.value();
                else if (name[0] == u't') t = a.value();
                else if (name[0] == u's') s = a.value();
            }
            if (ref.isEmpty() && !placed) seen.leansOnBefore = true;
            if (!ref.isEmpty() && !parseRef(ref, row, col)) {
                error = QStringLiteral("the cell reference \"%1\" of worksheet \"%2\" is not valid")
                            .arg(ref.left(20), sheetName);
                return false;
            }
            if (row < 1 || row > MaxRows || col < 1 || col > MaxColumns) {
                error = QStringLiteral("the cell reference \"%1\" lies outside worksheet \"%2\"")
                            .arg(ref.isEmpty() ? QString::number(col) : ref.toString(), sheetName);
                return false;
            }
            if (t == u"s") kind = SharedText;
            else if (t == u"inlineStr" || t == u"str") kind = InlineText;
            else if (t == u"b") kind = Bool;
            else if (t == u"e") kind = Err;
            else if (t == u"d") kind = Date;
            // A style the workbook does not define shows as General.
            if (!parseUnsigned(s, nStyles, style) || style >= nStyles) style = 0;
        }
        rowNum = row;
        colNum = col;
        placed = true;
        value.resize(0);
        QString inlineText;
        bool haveValue = false, haveInline = false;
        const int lvl = x.level();
        while (x.next()) {
            if (x.isEnd() && x.level() < lvl) break;
            if (!x.isStart()) continue;
            if (x.name() == u"v") { x.text(value); haveValue = true; }
            else if (x.name() == u"is") { inlineText = richText(x); haveInline = true; }
            else if (x.name() == u"f") x.text(skip);
        }
        if (!x.ok()) break;
        if (++cells > lim.maxCells) {
            error = QStringLiteral("the workbook has more than %1 cells").arg(lim.maxCells);
            return false;
        }
        CellData c{};
        c.row = std::uint32_t(row);
        c.column = std::uint16_t(col);
        c.style = std::uint32_t(style);
        c.kind = Kind::Blank;
        if (kind == SharedText) {
            if (haveValue) {
                std::uint64_t idx = 0;
                if (!parseUnsigned(value, nShared, idx) || idx >= nShared) {
                    error = QStringLiteral("cell %1 of worksheet \"%2\" names a shared text that does not exist")
                                .arg(ColumnName(std::int32_t(col)) + QString::number(row), sheetName);
                    return false;
                }
                c.kind = Kind::Shared;
                c.shared = std::uint32_t(idx);
            }
        } else if (kind == InlineText) {
            if (haveInline || haveValue) {
                const QString s = haveInline ? inlineText : decodeEscapes(value);
                if (s.size() > lim.maxCellTextChars) { error = QStringLiteral("a cell text is too long"); return false; }
                c.kind = Kind::Text;
                c.text.offset = w.addText(s, c.text.length);
            }
        } else if (kind == Bool) {
            if (haveValue) {
                const QStringView b = trimmed(value);
                c.kind = Kind::Boolean;
                c.boolean = b == u"1" || b == u"true";
            }
        } else if (kind == Err) {
            if (haveValue) {
                c.kind = Kind::Error;
                c.text.offset = w.addText(trimmed(value).left(64), c.text.length);
            }
        } else if (kind == Date) {
            if (haveValue) {
                bool ok = false;
                const double serial = isoToSerial(trimmed(value).left(64).toString(), sh.date1904, ok);
                if (ok) { c.kind = Kind::Number; c.number = serial; }
            }
        } else if (haveValue && !value.isEmpty()) {
            double d = 0;
            if (!parseDouble(value, d)) {
                error = QStringLiteral("cell %1 of worksheet \"%2\" holds \"%3\", which is not a number")
                            .arg(ColumnName(std::int32_t(col)) + QString::number(row), sheetName,
                                 QStringView(value).left(40));
                return false;
            }
            c.kind = Kind::Number;
            c.number = d;
        }
        w.add(c);
    }
    return true;
}

} // namespace

// Reads a whole worksheet part held in `bytes` by several readers at once, each over a piece
// of <sheetData>'s content cut just after a "</row>" and wrapped in a <sheetData> of its own;
// the part around it is read by one more. The byte search only picks places to cut: every
// byte is still read and checked by an XML reader under the same rules, and the pieces join
// into the part one reader would read. False, with nothing stored, when the part does not lend
// itself to that or any piece fails: one reader then reads it whole and names the fault.
bool ReadSheetInPieces(const QByteArray& bytes, const Workbook::Shared& sh, const Limits& lim,
                       const QString& sheetName, Worksheet::Impl& w)
{
    const QByteArrayView all(bytes);
    const QByteArrayView open("<sheetData"), close("</sheetData"), rowEnd("</row>");
    const qsizetype at = all.indexOf(open);
    if (at < 0 || at + open.size() >= all.size()) return false;
    const char after = all[at + open.size()];
    if (after != '>' && after != ' ' && after != '\t' && after != '\n' && after != '\r') return false;
    const qsizetype gt = all.indexOf('>', at + open.size());
    if (gt < 0 || all[gt - 1] == '/') return false;
    const qsizetype from = gt + 1;
    const qsizetype to = all.indexOf(close, from);
    if (to < 0) return false;

    // The part before the content must end with sheetData's start tag: then the first
    // "<sheetData" was that tag and not the text of a comment, and nothing before it is at fault.
    int level = 0;
    {
        SpansDevice d{all.first(from)};
        Xml x(&d, lim.maxXmlDepth);
        while (x.next() && !(x.isStart() && x.name() == u"sheetData")) {}
        if (!x.ok() || !x.isStart() || x.qualifiedName() != u"sheetData") return false;
        // The pieces are read as UTF-8, as a part without a declared encoding is.
        if (!x.encoding().isEmpty() && x.encoding().compare(u"UTF-8", Qt::CaseInsensitive) != 0) return false;
        level = x.level();
    }

    int threads = lim.sheetThreads > 0 ? lim.sheetThreads : int(std::min(8u, std::thread::hardware_concurrency()));
    threads = std::max(threads, 1);
    std::vector<QByteArrayView> pieces;
    qsizetype cut = from;
    for (int k = 1; k < threads; ++k) {
        const qsizetype target = from + qsizetype(double(to - from) * k / threads);
        const qsizetype end = all.indexOf(rowEnd, std::max(target, cut));
        if (end < 0 || end + rowEnd.size() >= to) break;
        pieces.push_back(all.sliced(cut, end + rowEnd.size() - cut));
        cut = end + rowEnd.size();
    }
    pieces.push_back(all.sliced(cut, to - cut));

    struct Piece {
        Worksheet::Impl cells;
        std::int64_t count = 0;
        CellsSeen seen;
        bool ok = false;
    };
    std::vector<Piece> read(pieces.size());
    auto readPiece = [&](std::size_t i) {
        static const QByteArrayView start("<sheetData>"), end("</sheetData>");
        SpansDevice d{start, pieces[i], end};
        // Nested as deep as sheetData itself is, for the same cap.
        Xml x(&d, lim.maxXmlDepth - (level - 1));
        Piece& p = read[i];
        p.cells.cells.reserve(std::size_t(std::min<qsizetype>(pieces[i].size() / 24, 4'000'000)));
        p.count = sh.cells;
        QString error;
        // Out of memory on a thread of its own leaves the part to the single reader, which
        // lets it reach the caller.
        try {
            p.ok = readCells(x, sh, lim, sheetName, p.count, p.cells, p.seen, error) && x.ok() &&
                   p.seen.sheetDataStarts == 1 && (i == 0 || !p.seen.leansOnBefore);
        } catch (const std::bad_alloc&) {
            p.ok = false;
        }
    };
    std::vector<std::thread> running;
    running.reserve(pieces.size() - 1);
    for (std::size_t i = 1; i < pieces.size(); ++i) running.emplace_back(readPiece, i);
    readPiece(0);
    // What follows the content: with the part before it, a part whose sheetData is empty, so
    // that a fault or a second sheetData after it is seen.
    bool restOk = false;
    {
        SpansDevice d{all.first(from), all.sliced(to)};
        Xml x(&d, lim.maxXmlDepth);
        int sheetDatas = 0;
        while (x.next())
            if (x.isStart() && x.name() == u"sheetData") ++sheetDatas;
        restOk = x.ok() && sheetDatas == 1;
    }
    for (std::thread& t : running) t.join();
    if (!restOk) return false;

    std::int64_t total = 0;
    qsizetype poolSize = 0;
    for (const Piece& p : read) {
        if (!p.ok) return false;
        total += p.count - sh.cells;
        poolSize += p.cells.pool.size();
    }
    if (sh.cells + total > lim.maxCells) return false;
    w.cells.reserve(std::size_t(total));
    w.pool.reserve(poolSize);
    for (Piece& p : read) {
        const auto base = std::uint32_t(w.pool.size());
        w.pool += p.cells.pool;
        p.cells.pool = QString();
        for (CellData c : p.cells.cells) {
            if (c.kind == Kind::Text || c.kind == Kind::Error) c.text.offset += base;
            w.add(c);
        }
        std::vector<CellData>().swap(p.cells.cells);
    }
    return true;
}

namespace {

bool readSheet(Package& pkg, Workbook& book, Worksheet& sheet, const QString& partName, QString& error)
{
    auto stream = pkg.part(partName, true);
    if (!stream) { error = pkg.error; return false; }
    Workbook::Shared& sh = book.shared();
    Worksheet::Impl& w = sheet.impl();
    const Limits& lim = pkg.limits;
    const QString name = sheet.Name();
    const std::int64_t declared = stream->declaredSize();
    // One reader over the whole part.
    auto readWhole = [&](QIODevice* device, std::int64_t size) {
        Xml x(device, lim.maxXmlDepth);
        // A stored cell takes some 24 bytes of XML or more: sizing the store from the part avoids regrowing it.
        w.cells.reserve(std::size_t(std::min<std::int64_t>(size / 24, 4'000'000)));
        CellsSeen seen;
        if (!readCells(x, sh, lim, name, sh.cells, w, seen, error)) return false;
        if (!x.ok()) { error = pkg.failure(QStringLiteral("worksheet \"%1\"").arg(name), x); return false; }
        w.finish();
        return true;
    };
    if (declared <= 0 || declared < lim.splitSheetFromBytes) return readWhole(stream.get(), declared);

    // A large part is inflated whole (under the same caps) to be read in pieces.
    QByteArray bytes(qsizetype(declared) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size()) bytes.resize(size + std::max<qsizetype>(size / 4, 1 << 20));
        const qint64 got = stream->read(bytes.data() + size, bytes.size() - size);
        if (got < 0) {
            error = pkg.error.isEmpty() ? QStringLiteral("the part \"%1\" cannot be unpacked").arg(partName) : pkg.error;
            return false;
        }
        if (got == 0) break;
        size += qsizetype(got);
    }
    bytes.truncate(size);
    stream.reset();
    if (ReadSheetInPieces(bytes, sh, lim, name, w)) {
        sh.cells += std::int64_t(w.cells.size());
        w.finish();
        return true;
    }
    SpansDevice d{QByteArrayView(bytes)};
    return readWhole(&d, size);
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
        const auto stream = pkg.part(workbookPart, true);
        if (!stream) { error = pkg.error; return false; }
        Xml x(stream.get(), limits.maxXmlDepth);
        while (x.next()) {
            if (!x.isStart()) continue;
            if (x.name() == u"workbookPr") {
                const QStringView d = trimmed(x.attribute("date1904"_L1));
                book.SetDate1904(d == u"1" || d == u"true");
            } else if (x.name() == u"sheet") {
                const Rel rel = rels.value(x.attributeLocal("id"_L1).toString());
                // Only worksheets: chart, dialog and macro sheets are not in the collection.
                if (!rel.type.endsWith(u"/worksheet")) continue;
                if (qsizetype(sheets.size()) >= limits.maxSheets) {
                    error = QStringLiteral("the workbook has more than %1 worksheets").arg(limits.maxSheets);
                    return false;
                }
                const QStringView state = x.attribute("state"_L1);
                sheets.push_back(SheetRef{x.attribute("name"_L1).toString(), joinPath(base, rel.target),
                                          !state.isEmpty() && state != u"visible"});
            }
        }
        if (!x.ok()) { error = pkg.failure(QStringLiteral("workbook part"), x); return false; }
    }
    Workbook::Shared& sh = book.shared();
    sh.date1904 = book.Date1904();

    // Shared strings and styles.
    for (const Rel& r : std::as_const(rels)) {
        if (r.type.endsWith(u"/sharedStrings")) {
            const auto stream = pkg.part(joinPath(base, r.target), true);
            if (!stream) { error = pkg.error; return false; }
            Xml x(stream.get(), limits.maxXmlDepth);
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
            if (!x.ok()) { error = pkg.failure(QStringLiteral("shared texts"), x); return false; }
        } else if (r.type.endsWith(u"/styles")) {
            const auto stream = pkg.part(joinPath(base, r.target), true);
            if (!stream) { error = pkg.error; return false; }
            QHash<int, QString> custom;
            Xml x(stream.get(), limits.maxXmlDepth);
            bool inCellXfs = false;
            auto number = [](QStringView v) {
                std::uint64_t n = 0;
                return parseUnsigned(v, 1'000'000, n) ? int(n) : -1;
            };
            while (x.next()) {
                if (x.isEnd() && x.name() == u"cellXfs") inCellXfs = false;
                if (!x.isStart()) continue;
                if (x.name() == u"numFmt") {
                    const int id = number(x.attribute("numFmtId"_L1));
                    const QString code = x.attribute("formatCode"_L1).toString();
                    if (code.size() > 1024) { error = QStringLiteral("a number format is too long"); return false; }
                    if (id >= 0) custom.insert(id, code);
                } else if (x.name() == u"cellXfs") {
                    inCellXfs = true;
                } else if (inCellXfs && x.name() == u"xf") {
                    if (qsizetype(sh.styleFormats.size()) > 1'000'000) {
                        error = QStringLiteral("the workbook has too many cell styles");
                        return false;
                    }
                    const int id = number(x.attribute("numFmtId"_L1));
                    sh.styleFormats.push_back(custom.contains(id) ? custom.value(id) : NumberFormat::BuiltIn(id));
                }
            }
            if (!x.ok()) { error = pkg.failure(QStringLiteral("styles"), x); return false; }
        }
    }

    for (const SheetRef& s : sheets) {
        Worksheet& ws = book.AddSheet(s.name, s.hidden);
        if (!readSheet(pkg, book, ws, s.part, error)) return false;
    }
    // A part can be found corrupt only at its end, after its XML was read whole.
    if (!pkg.error.isEmpty()) { error = pkg.error; return false; }
    return true;
}

} // namespace kovel::excel

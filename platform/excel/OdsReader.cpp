// .ods: an OpenDocument package whose content.xml holds every sheet, read with libzip and
// QXmlStreamReader (through Package.h and Xml.h). Each cell carries its value and the text the
// spreadsheet shows (its text:p), so no number format is applied here. Rows and cells that
// repeat are counted, not expanded, unless they hold a value.
#include "platform/excel/Package.h"
#include "platform/excel/WorkbookImpl.h"
#include "platform/excel/Xml.h"

#include <QDate>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace kovel::excel {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr std::uint64_t kMaxRepeat = std::uint64_t(1) << 31;
constexpr qsizetype kMaxSpaces = 1 << 16;

// "PT13H05M09.5S", "-PT36H00M00S", "P1DT2H": a time of day or a duration as a fraction of days.
bool parseDuration(QStringView v, double& days)
{
    v = trimmed(v);
    bool negative = false;
    if (v.startsWith(u'-')) { negative = true; v = v.sliced(1); }
    if (!v.startsWith(u'P') || v.size() > 64) return false;
    v = v.sliced(1);
    double total = 0;
    bool inTime = false, any = false;
    while (!v.isEmpty()) {
        if (v.front() == u'T') { inTime = true; v = v.sliced(1); continue; }
        qsizetype n = 0;
        while (n < v.size() && (v[n].isDigit() || v[n] == u'.')) ++n;
        if (n == 0 || n == v.size()) return false;
        double number = 0;
        if (!parseDouble(v.first(n), number)) return false;
        const QChar unit = v[n];
        if (!inTime && unit == u'D') total += number;
        else if (inTime && unit == u'H') total += number / 24;
        else if (inTime && unit == u'M') total += number / 1440;
        else if (inTime && unit == u'S') total += number / 86400;
        else return false;
        any = true;
        v = v.sliced(n + 1);
    }
    days = negative ? -total : total;
    return any;
}

// Repeat and span counts: absent is 1, anything that is not a positive whole number is 1 too
// (as the spreadsheet reads it), and a count is held to 2^31.
std::uint64_t count(QStringView v)
{
    if (v.isNull()) return 1;
    std::uint64_t n = 0;
    if (!parseUnsigned(v, ~std::uint64_t(0) >> 4, n) || n == 0) return 1;
    return std::min(n, kMaxRepeat);
}

// The text of a cell's paragraphs, as the spreadsheet shows it: paragraphs one to a line,
// runs of white space as one space, <text:s> spaces, tabs and line breaks as written, the text
// of runs, links and fields; annotations, notes and drawings left out.
class CellText {
public:
    explicit CellText(std::int32_t maxChars) : m_max(maxChars) {}

    // Reads from the cell's start to its end. False when the text is longer than allowed.
    bool read(Xml& x, QString& out)
    {
        out.resize(0);
        m_out = &out;
        m_paragraphs = 0;
        const int cell = x.level();
        while (x.next()) {
            if (x.isEnd() && x.level() < cell) break;
            if (!x.isStart()) continue;
            const QStringView nm = x.name();
            if (nm == u"p" || nm == u"h") {
                if (m_paragraphs++ > 0) out += u'\n';
                if (!paragraph(x)) return false;
            } else {
                skip(x);
            }
        }
        return true;
    }
    bool hasParagraphs() const { return m_paragraphs > 0; }

private:
    // What a cell does not show in its text: comments, notes, drawings and controls.
    static bool hidden(QStringView q)
    {
        return q == u"office:annotation" || q == u"text:note" || q == u"text:ruby-text" || q == u"text:tracked-changes" ||
               q.startsWith(u"draw:") || q.startsWith(u"dr3d:") || q.startsWith(u"form:") || q.startsWith(u"chart:");
    }

    static void skip(Xml& x)
    {
        const int lvl = x.level();
        while (x.next() && !(x.isEnd() && x.level() < lvl)) {}
    }

    bool put(QStringView s)
    {
        if (m_pending) { *m_out += u' '; m_pending = false; }
        *m_out += s;
        return m_out->size() <= m_max;
    }

    bool paragraph(Xml& x)
    {
        const int lvl = x.level();
        m_pending = false;
        bool started = false;
        while (x.nextToken()) {
            if (x.isEnd() && x.level() < lvl) break;
            if (x.isCharacters()) {
                const QStringView t = x.characters();
                qsizetype i = 0;
                while (i < t.size()) {
                    if (isBlank(t[i])) {
                        if (started) m_pending = true;
                        ++i;
                        continue;
                    }
                    qsizetype j = i;
                    while (j < t.size() && !isBlank(t[j])) ++j;
                    if (!put(t.sliced(i, j - i))) return false;
                    started = true;
                    i = j;
                }
                continue;
            }
            if (!x.isStart()) continue;
            const QStringView nm = x.name();
            if (nm == u"s") {
                const qsizetype n = qsizetype(std::min<std::uint64_t>(count(x.attribute("text:c"_L1)), kMaxSpaces));
                if (!put(QString(n, u' '))) return false;
                started = true;
            } else if (nm == u"tab") {
                if (!put(u"\t")) return false;
                started = true;
            } else if (nm == u"line-break") {
                if (!put(u"\n")) return false;
                started = false;
            } else if (hidden(x.qualifiedName())) {
                skip(x);
            }
            // Anything else (runs, links, fields) shows its text as the paragraph's own.
        }
        m_pending = false;
        return true;
    }

    std::int32_t m_max;
    QString* m_out = nullptr;
    int m_paragraphs = 0;
    bool m_pending = false;
};

// The cell being read, from its attributes.
struct CellAttributes {
    std::uint64_t repeat = 1, columnsSpanned = 1, rowsSpanned = 1;
    QString valueType, calcType, value, dateValue, timeValue, booleanValue, stringValue;
    bool hasStringValue = false;

    void read(const Xml& x)
    {
        *this = CellAttributes();
        const QXmlStreamAttributes attributes = x.attributes();
        for (const QXmlStreamAttribute& a : attributes) {
            const QStringView q = a.qualifiedName();
            const QStringView v = a.value();
            if (q == u"table:number-columns-repeated") repeat = count(v);
            else if (q == u"table:number-columns-spanned") columnsSpanned = count(v);
            else if (q == u"table:number-rows-spanned") rowsSpanned = count(v);
            else if (q == u"office:value-type") valueType = v.left(32).toString();
            else if (q == u"calcext:value-type") calcType = v.left(32).toString();
            else if (q == u"office:value") value = v.left(1024).toString();
            else if (q == u"office:date-value") dateValue = v.left(64).toString();
            else if (q == u"office:time-value") timeValue = v.left(64).toString();
            else if (q == u"office:boolean-value") booleanValue = v.left(16).toString();
            else if (q == u"office:string-value") { stringValue = v.toString(); hasStringValue = true; }
        }
    }
};

class SheetReader {
public:
    SheetReader(Workbook::Shared& sh, const Limits& lim, Worksheet::Impl& w, QString name)
        : m_sh(sh), m_lim(lim), m_w(w), m_name(std::move(name)), m_text(lim.maxCellTextChars)
    {
        m_w.ownTexts = true;
    }

    // Reads from the <table:table> start to its end.
    bool read(Xml& x, QString& error)
    {
        const int table = x.level();
        while (x.next()) {
            if (x.isEnd() && x.level() < table) break;
            if (!x.isStart()) continue;
            const QStringView nm = x.name();
            if (nm == u"table-row") {
                if (!row(x, error)) return false;
            } else if (nm == u"table-row-group" || nm == u"table-header-rows" || nm == u"table-rows") {
                // Rows grouped or repeated on each page: still rows of the sheet, in order.
            } else {
                skipElement(x);
            }
        }
        return x.ok();
    }

private:
    static void skipElement(Xml& x)
    {
        const int lvl = x.level();
        while (x.next() && !(x.isEnd() && x.level() < lvl)) {}
    }

    QString at(std::int64_t row, std::int64_t column) const
    {
        return ColumnName(std::int32_t(std::min<std::int64_t>(column, MaxColumns))) + QString::number(row);
    }

    bool tooMany(std::uint64_t more, QString& error)
    {
        if (std::uint64_t(m_sh.cells) + more > std::uint64_t(m_lim.maxCells)) {
            error = QStringLiteral("the workbook has more than %1 cells").arg(m_lim.maxCells);
            return true;
        }
        return false;
    }

    bool row(Xml& x, QString& error)
    {
        const std::uint64_t repeat = count(x.attribute("table:number-rows-repeated"_L1));
        const std::size_t first = m_w.cells.size();
        const int lvl = x.level();
        std::int64_t column = 1;
        while (x.next()) {
            if (x.isEnd() && x.level() < lvl) break;
            if (!x.isStart()) continue;
            const QStringView nm = x.name();
            if (nm == u"covered-table-cell") {
                // Hidden under a merged cell: what it may still hold is not shown.
                column += std::int64_t(count(x.attribute("table:number-columns-repeated"_L1)));
                skipElement(x);
            } else if (nm == u"table-cell") {
                if (!cell(x, column, error)) return false;
            } else {
                skipElement(x);
            }
        }
        if (!x.ok()) return true;   // the caller names the XML fault
        const std::size_t inRow = m_w.cells.size() - first;
        if (inRow > 0 && repeat > 1) {
            // A row of values repeated: each copy is stored (sharing its texts), within the caps.
            if (m_row + std::int64_t(repeat) - 1 > MaxRows) {
                error = QStringLiteral("row %1 lies outside the worksheet \"%2\"").arg(MaxRows + 1).arg(m_name);
                return false;
            }
            if (tooMany(std::uint64_t(inRow) * (repeat - 1), error)) return false;
            m_w.cells.reserve(m_w.cells.size() + inRow * (repeat - 1));
            for (std::uint64_t k = 1; k < repeat; ++k) {
                for (std::size_t i = first; i < first + inRow; ++i) {
                    CellData c = m_w.cells[i];
                    c.row = std::uint32_t(m_row + std::int64_t(k));
                    m_w.cells.push_back(c);
                }
            }
            m_sh.cells += std::int64_t(inRow * (repeat - 1));
        }
        m_row += std::int64_t(repeat);
        return true;
    }

    bool cell(Xml& x, std::int64_t& column, QString& error)
    {
        m_attributes.read(x);
        const CellAttributes& a = m_attributes;
        if (!m_text.read(x, m_shown)) {
            error = QStringLiteral("a cell text of worksheet \"%1\" is longer than %2 characters")
                        .arg(m_name).arg(m_lim.maxCellTextChars);
            return false;
        }
        if (!x.ok()) return true;
        const std::int64_t col = column;
        column += std::int64_t(a.repeat);
        CellData c{};
        QString valueText;
        if (!value(a, c, valueText)) {
            error = QStringLiteral("cell %1 of worksheet \"%2\" holds a %3 value that cannot be read")
                        .arg(at(m_row, col), m_name, a.valueType.left(20));
            return false;
        }
        if (c.kind == Kind::Blank && !m_text.hasParagraphs()) return true;
        if (c.kind == Kind::Blank) {
            // Text without a declared type: a text cell.
            c.kind = Kind::Text;
            c.type = CellType::Text;
            valueText = m_shown;
        }
        if (!m_text.hasParagraphs()) m_shown = fallbackText(c, a, valueText);
        else if (c.kind == Kind::Text && !a.hasStringValue) valueText = m_shown;

        const std::int64_t lastCol = col + std::int64_t(a.repeat) - 1;
        if (m_row > MaxRows || lastCol > MaxColumns) {
            error = QStringLiteral("cell %1 lies outside the worksheet \"%2\"")
                        .arg(m_row > MaxRows ? QStringLiteral("in row %1").arg(m_row) : at(m_row, lastCol), m_name);
            return false;
        }
        if (tooMany(a.repeat, error)) return false;
        m_sh.cells += std::int64_t(a.repeat);

        // The shown text once, and the value text where it differs.
        std::uint32_t length = 0;
        const std::uint32_t offset = m_w.addText(m_shown, length);
        if (m_w.shown.size() >= std::size_t(UINT32_MAX)) { error = QStringLiteral("the worksheet is too large"); return false; }
        c.style = std::uint32_t(m_w.shown.size());
        m_w.shown.emplace_back(offset, length);
        if (c.kind == Kind::Text || c.kind == Kind::Error) {
            if (valueText == m_shown) {
                c.text.offset = offset;
                c.text.length = length;
            } else {
                c.text.offset = m_w.addText(valueText, c.text.length);
            }
        }
        c.row = std::uint32_t(m_row);
        for (std::int64_t k = col; k <= lastCol; ++k) {
            c.column = std::uint16_t(k);
            m_w.add(c);
        }
        if ((a.columnsSpanned > 1 || a.rowsSpanned > 1) && a.repeat == 1) {
            if (m_w.merged.size() >= std::size_t(m_lim.maxCells)) {
                error = QStringLiteral("worksheet \"%1\" has too many merged cells").arg(m_name);
                return false;
            }
            m_w.merged.push_back({std::int32_t(m_row), std::int32_t(col),
                                  std::int32_t(std::min<std::int64_t>(m_row + std::int64_t(a.rowsSpanned) - 1, MaxRows)),
                                  std::int32_t(std::min<std::int64_t>(col + std::int64_t(a.columnsSpanned) - 1, MaxColumns))});
        }
        return true;
    }

    // The cell's value into `c` (kind Blank when it declares none); false when it declares a
    // value it does not give in a readable form.
    static bool value(const CellAttributes& a, CellData& c, QString& text)
    {
        c.kind = Kind::Blank;
        const QString& t = a.valueType;
        if (t.isEmpty()) return true;
        if (a.calcType == u"error") {
            c.kind = Kind::Error;
            c.type = CellType::Error;
            return true;   // its text is the shown one
        }
        if (t == u"float" || t == u"percentage" || t == u"currency") {
            double d = 0;
            if (!parseDouble(a.value, d)) return false;
            c.kind = Kind::Number;
            c.number = d;
            c.type = t == u"float" ? CellType::Number : t == u"percentage" ? CellType::Percentage : CellType::Currency;
            return true;
        }
        if (t == u"date") {
            bool ok = false;
            const double serial = isoToSerial(a.dateValue, false, ok);
            if (!ok) return false;
            c.kind = Kind::Number;
            c.type = CellType::Date;
            c.number = serial;
            return true;
        }
        if (t == u"time") {
            double days = 0;
            if (!parseDuration(a.timeValue, days)) return false;
            c.kind = Kind::Number;
            c.type = CellType::Time;
            c.number = days;
            return true;
        }
        if (t == u"boolean") {
            const QStringView b = trimmed(a.booleanValue);
            if (b != u"true" && b != u"false") return false;
            c.kind = Kind::Boolean;
            c.type = CellType::Boolean;
            c.boolean = b == u"true";
            return true;
        }
        if (t == u"string") {
            c.kind = Kind::Text;
            c.type = CellType::Text;
            text = a.hasStringValue ? a.stringValue : QString();
            return true;
        }
        // A value type of another kind ("void"): no value.
        return true;
    }

    // A cell that gives a value without the text to show: the value in its plain form.
    QString fallbackText(const CellData& c, const CellAttributes& a, const QString& valueText) const
    {
        switch (c.type) {
        case CellType::Text: return valueText;
        case CellType::Boolean: return c.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        case CellType::Date: return trimmed(a.dateValue).toString();
        case CellType::Time: return trimmed(a.timeValue).toString();
        case CellType::Error: return QString();
        default: return NumberFormat::General(c.number);
        }
    }

    Workbook::Shared& m_sh;
    const Limits& m_lim;
    Worksheet::Impl& m_w;
    QString m_name;
    CellText m_text;
    CellAttributes m_attributes;
    QString m_shown;
    std::int64_t m_row = 1;
};

// The first bytes of the part, for the mimetype.
QByteArray head(PartStream& s, qint64 max)
{
    QByteArray out(max, Qt::Uninitialized);
    qint64 n = 0;
    while (n < max) {
        const qint64 got = s.read(out.data() + n, max - n);
        if (got <= 0) break;
        n += got;
    }
    out.truncate(n);
    return out;
}

} // namespace

bool ReadOds(Workbook& book, const QString& path, const QByteArray* bytes, QString& error, const Limits& limits)
{
    Package pkg(limits);
    if (!pkg.open(path, bytes)) { error = pkg.error; return false; }

    if (const auto s = pkg.part(QStringLiteral("mimetype"), false)) {
        const QByteArray type = head(*s, 128).trimmed();
        if (!type.startsWith("application/vnd.oasis.opendocument.spreadsheet")) {
            error = QStringLiteral("the file is not a spreadsheet (it is of the type \"%1\")")
                        .arg(QString::fromUtf8(type.left(80)));
            return false;
        }
    } else if (!pkg.error.isEmpty()) {
        error = pkg.error;
        return false;
    }
    // A password-protected workbook keeps its parts encrypted and says so in its manifest.
    if (const auto s = pkg.part(QStringLiteral("META-INF/manifest.xml"), false)) {
        Xml x(s.get(), limits.maxXmlDepth);
        while (x.next()) {
            if (x.isStart() && x.name() == u"encryption-data") {
                error = QStringLiteral("the workbook is encrypted (password-protected)");
                return false;
            }
        }
        if (!x.ok()) { error = pkg.failure(QStringLiteral("manifest"), x); return false; }
    } else if (!pkg.error.isEmpty()) {
        error = pkg.error;
        return false;
    }

    const auto content = pkg.part(QStringLiteral("content.xml"), true);
    if (!content) { error = pkg.error; return false; }
    Workbook::Shared& sh = book.shared();
    QSet<QString> hiddenStyles;
    QString styleName;          // the table style being read
    bool inBody = false;
    int bodyLevel = 0;
    Xml x(content.get(), limits.maxXmlDepth);
    while (x.next()) {
        if (!x.isStart()) continue;
        const QStringView nm = x.name();
        if (!inBody) {
            if (nm == u"style") {
                styleName = x.attribute("style:family"_L1) == u"table" ? x.attribute("style:name"_L1).toString() : QString();
            } else if (nm == u"table-properties" && !styleName.isEmpty()) {
                if (x.attribute("table:display"_L1) == u"false") hiddenStyles.insert(styleName);
            } else if (nm == u"spreadsheet") {
                inBody = true;
                bodyLevel = x.level();
            }
            continue;
        }
        // Sheets are the spreadsheet's own tables (the tables of DDE links are not).
        if (nm != u"table" || x.level() != bodyLevel + 1) continue;
        if (book.Count() >= limits.maxSheets) {
            error = QStringLiteral("the workbook has more than %1 worksheets").arg(limits.maxSheets);
            return false;
        }
        const QString name = x.attribute("table:name"_L1).left(1024).toString();
        const bool hidden = hiddenStyles.contains(x.attribute("table:style-name"_L1).toString());
        Worksheet& ws = book.AddSheet(name, hidden);
        SheetReader reader(sh, limits, ws.impl(), name);
        if (!reader.read(x, error)) {
            if (error.isEmpty()) error = pkg.failure(QStringLiteral("worksheet \"%1\"").arg(name), x);
            return false;
        }
        ws.impl().finish();
    }
    if (!x.ok()) { error = pkg.failure(QStringLiteral("content"), x); return false; }
    if (!pkg.error.isEmpty()) { error = pkg.error; return false; }
    if (!inBody) {
        error = QStringLiteral("the file holds no spreadsheet");
        return false;
    }
    return true;
}

} // namespace kovel::excel

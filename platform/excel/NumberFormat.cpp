#include "platform/excel/NumberFormat.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace kovel::excel {

namespace {

enum class T {
    Literal, Zero, Hash, Question, Point, Comma, Percent, Exp, Slash, At, General,
    Year, Month, Day, Hour, Minute, Second, AmPm, ElapsedHour, ElapsedMinute, ElapsedSecond, SubSecond
};

struct Token {
    T type;
    QString text;     // Literal text; for Exp the sign ("+" or "-"); for AmPm the pattern
    int count = 1;    // letters of a date part, digits of a fraction of seconds
};

const char* const kMonths[] = {"January", "February", "March", "April", "May", "June", "July",
                               "August", "September", "October", "November", "December"};
const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

bool isDatePart(T t)
{
    switch (t) {
    case T::Year: case T::Month: case T::Day: case T::Hour: case T::Minute: case T::Second:
    case T::AmPm: case T::ElapsedHour: case T::ElapsedMinute: case T::ElapsedSecond: case T::SubSecond:
        return true;
    default:
        return false;
    }
}

} // namespace

struct NumberFormat::Section {
    std::vector<Token> tokens;
    std::optional<QLocale> names;   // language of month and day names given in the code
    std::optional<std::pair<QString, double>> condition;
    bool isDate = false, isText = false, isGeneral = false, hasExp = false, hasSlash = false;
    bool thousands = false;
    int percent = 0, scale = 0;   // scale: trailing commas, each divides by 1000
    int decimals = 0;             // placeholders after the point
    int intZeros = 0;             // '0' placeholders before the point
    int intPlaces = 0;            // all placeholders before the point (or before E)
    // Digits and separators only ("0", "0.00", "#,##0.00"): '#' before '0' in the integer
    // part, '0' alone after the point. Such a format is written without the general path.
    bool plain = false, hasPoint = false;

    bool matches(double v) const
    {
        const auto& [op, x] = *condition;
        if (op == u"<") return v < x;
        if (op == u"<=") return v <= x;
        if (op == u">") return v > x;
        if (op == u">=") return v >= x;
        if (op == u"<>") return v != x;
        return v == x;
    }
};

namespace {

// Splits a code at ';' outside quotes, brackets and escapes.
QStringList splitSections(const QString& code)
{
    QStringList parts;
    QString cur;
    bool quote = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quote) {
            cur += c;
            if (c == u'"') quote = false;
            continue;
        }
        if (c == u'\\' && i + 1 < code.size()) {
            cur += c;
            cur += code[++i];
            continue;
        }
        if (c == u'"') quote = true;
        else if (c == u'[') ++bracket;
        else if (c == u']' && bracket > 0) --bracket;
        else if (c == u';' && bracket == 0) {
            parts << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    parts << cur;
    return parts;
}

// The language after the '-' of a "[$-C0A]" or "[$€-es-ES]": a Windows locale number
// (its low 16 bits; the rest choose calendars) or a language tag. None when unknown.
std::optional<QLocale> localeOf(const QString& tag)
{
    bool hex = false;
    const uint lcid = tag.toUInt(&hex, 16) & 0xFFFF;
    if (hex) {
        static const std::pair<uint, const char*> known[] = {
            {0x0409, "en_US"}, {0x0809, "en_GB"}, {0x040A, "es_ES"}, {0x0C0A, "es_ES"}, {0x080A, "es_MX"},
            {0x0403, "ca_ES"}, {0x040C, "fr_FR"}, {0x0407, "de_DE"}, {0x0410, "it_IT"}, {0x0816, "pt_PT"},
            {0x0416, "pt_BR"}, {0x0413, "nl_NL"}, {0x042D, "eu_ES"}, {0x0456, "gl_ES"}};
        for (const auto& [id, name] : known)
            if (id == lcid) return QLocale(QString::fromLatin1(name));
        return std::nullopt;
    }
    const QLocale l(tag);
    if (tag.size() < 2 || l.language() == QLocale::C) return std::nullopt;
    return l;
}

void addLiteral(std::vector<Token>& out, const QString& text)
{
    if (!out.empty() && out.back().type == T::Literal)
        out.back().text += text;
    else
        out.push_back({T::Literal, text});
}

} // namespace

NumberFormat::NumberFormat(const QString& code)
{
    const QStringList parts = splitSections(code.trimmed().isEmpty() ? QStringLiteral("General") : code);
    for (const QString& part : parts) {
        auto sec = std::make_unique<Section>();
        std::vector<Token>& tk = sec->tokens;
        const QString p = part;
        const qsizetype n = p.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = p[i];
            const char16_t u = c.toLower().unicode();
            if (c == u'"') {
                const qsizetype end = p.indexOf(u'"', i + 1);
                addLiteral(tk, p.mid(i + 1, (end < 0 ? n : end) - i - 1));
                i = end < 0 ? n : end;
            } else if (c == u'\\') {
                if (i + 1 < n) addLiteral(tk, QString(p[++i]));
            } else if (c == u'_') {
                ++i;
                addLiteral(tk, QStringLiteral(" "));
            } else if (c == u'*') {
                ++i;   // fill to the column width: nothing to fill here
            } else if (c == u'[') {
                const qsizetype end = p.indexOf(u']', i + 1);
                const QString inner = p.mid(i + 1, (end < 0 ? n : end) - i - 1);
                i = end < 0 ? n : end;
                const QString low = inner.toLower();
                if (!inner.isEmpty() && (inner[0] == u'<' || inner[0] == u'>' || inner[0] == u'=')) {
                    qsizetype k = 0;
                    while (k < inner.size() && QStringView(u"<>=").contains(inner[k])) ++k;
                    bool ok = false;
                    const double x = inner.mid(k).trimmed().toDouble(&ok);
                    if (ok) sec->condition = std::make_pair(inner.left(k), x);
                } else if (inner.startsWith(u'$')) {
                    // Currency and locale: the text before '-' is shown.
                    const qsizetype dash = inner.indexOf(u'-');
                    addLiteral(tk, inner.mid(1, dash < 0 ? -1 : dash - 1));
                    if (dash >= 0) sec->names = localeOf(inner.mid(dash + 1));
                } else if (!low.isEmpty() && low.count(low[0]) == low.size() &&
                           (low[0] == u'h' || low[0] == u'm' || low[0] == u's')) {
                    tk.push_back({low[0] == u'h' ? T::ElapsedHour : low[0] == u'm' ? T::ElapsedMinute : T::ElapsedSecond,
                                  {}, int(low.size())});
                }
                // Colours and other bracketed codes show nothing.
            } else if (p.mid(i, 7).compare(u"General", Qt::CaseInsensitive) == 0) {
                tk.push_back({T::General, {}});
                i += 6;
            } else if (p.mid(i, 5).compare(u"AM/PM", Qt::CaseInsensitive) == 0) {
                tk.push_back({T::AmPm, p.mid(i, 5)});
                i += 4;
            } else if (p.mid(i, 3).compare(u"A/P", Qt::CaseInsensitive) == 0) {
                tk.push_back({T::AmPm, p.mid(i, 3)});
                i += 2;
            } else if (u == u'y' || u == u'm' || u == u'd' || u == u'h' || u == u's') {
                qsizetype k = i;
                while (k < n && p[k].toLower() == c.toLower()) ++k;
                const int count = int(k - i);
                T t = u == u'y' ? T::Year : u == u'm' ? T::Month : u == u'd' ? T::Day
                    : u == u'h' ? T::Hour : T::Second;
                tk.push_back({t, {}, count});
                i = k - 1;
            } else if (c == u'0') {
                tk.push_back({T::Zero, {}});
            } else if (c == u'#') {
                tk.push_back({T::Hash, {}});
            } else if (c == u'?') {
                tk.push_back({T::Question, {}});
            } else if (c == u'.') {
                tk.push_back({T::Point, {}});
            } else if (c == u',') {
                tk.push_back({T::Comma, {}});
            } else if (c == u'%') {
                tk.push_back({T::Percent, {}});
            } else if ((u == u'e') && i + 1 < n && (p[i + 1] == u'+' || p[i + 1] == u'-')) {
                tk.push_back({T::Exp, QString(p[i + 1])});
                ++i;
            } else if (c == u'/') {
                tk.push_back({T::Slash, {}});
            } else if (c == u'@') {
                tk.push_back({T::At, {}});
            } else {
                addLiteral(tk, QString(c));
            }
        }
        // "E+" was taken as a year above when it stood as 'E' followed by a sign: mend that.
        for (std::size_t k = 0; k + 1 < tk.size(); ++k) {
            if (tk[k].type == T::Year && tk[k].count == 1 && tk[k + 1].type == T::Literal &&
                (tk[k + 1].text.startsWith(u'+') || tk[k + 1].text.startsWith(u'-')) && k > 0 &&
                (tk[k - 1].type == T::Zero || tk[k - 1].type == T::Hash || tk[k - 1].type == T::Question ||
                 tk[k - 1].type == T::Point)) {
                tk[k] = {T::Exp, tk[k + 1].text.left(1)};
                tk[k + 1].text.remove(0, 1);
                if (tk[k + 1].text.isEmpty()) tk.erase(tk.begin() + qsizetype(k + 1));
            }
        }
        // Minutes: an 'm' right after an hour or right before a second.
        for (std::size_t k = 0; k < tk.size(); ++k) {
            if (tk[k].type != T::Month || tk[k].count > 2) continue;
            bool minute = false;
            for (std::size_t b = k; b-- > 0;) {
                if (tk[b].type == T::Literal) continue;
                minute = tk[b].type == T::Hour || tk[b].type == T::ElapsedHour;
                break;
            }
            for (std::size_t a = k + 1; !minute && a < tk.size(); ++a) {
                if (tk[a].type == T::Literal) continue;
                minute = tk[a].type == T::Second || tk[a].type == T::ElapsedSecond;
                break;
            }
            if (minute) tk[k].type = T::Minute;
        }
        for (const Token& t : tk) {
            if (isDatePart(t.type)) sec->isDate = true;
            if (t.type == T::At) sec->isText = true;
            if (t.type == T::General) sec->isGeneral = true;
            if (t.type == T::Exp) sec->hasExp = true;
            if (t.type == T::Slash) sec->hasSlash = true;
            if (t.type == T::Percent) ++sec->percent;
        }
        if (sec->isDate) {
            // Fractions of seconds: digits after a point that follows seconds.
            for (std::size_t k = 0; k + 1 < tk.size(); ++k) {
                if (tk[k].type == T::Point && tk[k + 1].type == T::Zero && k > 0 &&
                    (tk[k - 1].type == T::Second || tk[k - 1].type == T::ElapsedSecond)) {
                    int digits = 0;
                    std::size_t z = k + 1;
                    while (z < tk.size() && tk[z].type == T::Zero) { ++digits; ++z; }
                    tk.erase(tk.begin() + qsizetype(k), tk.begin() + qsizetype(z));
                    tk.insert(tk.begin() + qsizetype(k), Token{T::SubSecond, {}, digits});
                }
            }
        } else if (!sec->isText && !sec->isGeneral) {
            bool afterPoint = false, seenDigit = false;
            int lastDigit = -1;
            for (std::size_t k = 0; k < tk.size(); ++k) {
                const T t = tk[k].type;
                if (t == T::Zero || t == T::Hash || t == T::Question) lastDigit = int(k);
                if (t == T::Exp || t == T::Slash) break;
                if (t == T::Point) afterPoint = true;
                if (t == T::Zero || t == T::Hash || t == T::Question) {
                    seenDigit = true;
                    if (afterPoint) ++sec->decimals;
                    else { ++sec->intPlaces; if (t == T::Zero) ++sec->intZeros; }
                }
                if (t == T::Comma && seenDigit && !afterPoint && k + 1 < tk.size() &&
                    (tk[k + 1].type == T::Zero || tk[k + 1].type == T::Hash || tk[k + 1].type == T::Question))
                    sec->thousands = true;
            }
            // Commas right after the last digit placeholder scale by thousands.
            if (!sec->hasExp && !sec->hasSlash)
                for (std::size_t k = std::size_t(lastDigit + 1); lastDigit >= 0 && k < tk.size() && tk[k].type == T::Comma; ++k)
                    ++sec->scale;
            bool plain = lastDigit >= 0 && !sec->hasExp && !sec->hasSlash && sec->percent == 0 && sec->scale == 0;
            bool point = false, zero = false;
            for (std::size_t k = 0; plain && k < tk.size(); ++k) {
                const T t = tk[k].type;
                if (t == T::Point) {
                    plain = !point;
                    point = true;
                } else if (point) {
                    plain = t == T::Zero;
                }
                else if (t == T::Hash) plain = !zero;
                else if (t == T::Zero) zero = true;
                else plain = t == T::Comma;
            }
            sec->plain = plain;
            sec->hasPoint = point;
        }
        m_sections.push_back(std::move(sec));
    }
    m_general = m_sections.size() == 1 && m_sections[0]->isGeneral && m_sections[0]->tokens.size() == 1;
}

NumberFormat::~NumberFormat() = default;

QString NumberFormat::BuiltIn(int id)
{
    switch (id) {
    case 1: return QStringLiteral("0");
    case 2: return QStringLiteral("0.00");
    case 3: return QStringLiteral("#,##0");
    case 4: return QStringLiteral("#,##0.00");
    case 5: return QStringLiteral("$#,##0_);($#,##0)");
    case 6: return QStringLiteral("$#,##0_);[Red]($#,##0)");
    case 7: return QStringLiteral("$#,##0.00_);($#,##0.00)");
    case 8: return QStringLiteral("$#,##0.00_);[Red]($#,##0.00)");
    case 9: return QStringLiteral("0%");
    case 10: return QStringLiteral("0.00%");
    case 11: return QStringLiteral("0.00E+00");
    case 12: return QStringLiteral("# ?/?");
    case 13: return QStringLiteral("# ?\?/??");
    case 14: return QStringLiteral("m/d/yyyy");
    case 15: return QStringLiteral("d-mmm-yy");
    case 16: return QStringLiteral("d-mmm");
    case 17: return QStringLiteral("mmm-yy");
    case 18: return QStringLiteral("h:mm AM/PM");
    case 19: return QStringLiteral("h:mm:ss AM/PM");
    case 20: return QStringLiteral("h:mm");
    case 21: return QStringLiteral("h:mm:ss");
    case 22: return QStringLiteral("m/d/yyyy h:mm");
    // Dates and times of the East Asian versions show as the local date and time here.
    case 27: case 28: case 29: case 30: case 31: case 36:
    case 50: case 51: case 52: case 53: case 54: case 55: case 56: case 57: case 58:
        return QStringLiteral("m/d/yyyy");
    case 32: case 33: case 34: case 35: return QStringLiteral("h:mm:ss");
    case 37: return QStringLiteral("#,##0 ;(#,##0)");
    case 38: return QStringLiteral("#,##0 ;[Red](#,##0)");
    case 39: return QStringLiteral("#,##0.00;(#,##0.00)");
    case 40: return QStringLiteral("#,##0.00;[Red](#,##0.00)");
    // The accounting formats (the Comma and Currency cell styles), which files use without
    // writing their codes.
    case 41: return QStringLiteral("_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)");
    case 42: return QStringLiteral("_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)");
    case 43: return QStringLiteral("_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"?\?_);_(@_)");
    case 44: return QStringLiteral("_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"?\?_);_(@_)");
    case 45: return QStringLiteral("mm:ss");
    case 46: return QStringLiteral("[h]:mm:ss");
    case 47: return QStringLiteral("mmss.0");
    case 48: return QStringLiteral("##0.0E+0");
    case 49: return QStringLiteral("@");
    default: return QStringLiteral("General");
    }
}

namespace {

// Digits of |x| rounded half away from zero at `decimals` places, from its first 15
// significant digits as the spreadsheet keeps them (so 2.675 gives 2.68, and a 13-digit
// article number stays as it is). The integer digits are empty when they are "0".
void fixedDigits(double x, int decimals, std::string& intDigits, std::string& fracDigits)
{
    x = std::fabs(x);
    decimals = std::clamp(decimals, 0, 30);
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
    std::string digits(1, buf[0]);
    digits.append(buf + 2, 14);
    int exp = 0;
    const char* e = std::find(buf, r.ptr, 'e');
    if (e != r.ptr) std::from_chars(e + 1 + (e[1] == '+'), r.ptr, exp);
    if (r.ec != std::errc() || x == 0 || !std::isfinite(x)) { digits.assign(15, '0'); exp = 0; }
    // digits[0] stands at 10^exp; keep the ones down to 10^-decimals.
    int intCount = exp + 1;
    const int keep = intCount + decimals;
    if (keep < 0) {
        digits.clear();
    } else if (keep < 15) {
        const bool up = digits[std::size_t(keep)] >= '5';
        digits.resize(std::size_t(keep));
        for (std::size_t k = digits.size(); up; ) {
            if (k == 0) { digits.insert(digits.begin(), '1'); ++intCount; break; }
            if (digits[--k] == '9') digits[k] = '0';
            else { ++digits[k]; break; }
        }
    } else {
        digits.append(std::size_t(keep - 15), '0');
    }
    // Now digits holds the places from 10^(intCount-1) down to 10^-decimals.
    if (intCount > 0) {
        intDigits.assign(digits, 0, std::min<std::size_t>(digits.size(), std::size_t(intCount)));
        fracDigits.assign(digits, intDigits.size());
    } else {
        intDigits.clear();
        fracDigits.assign(std::size_t(-intCount), '0');
        fracDigits += digits;
    }
    fracDigits.resize(std::size_t(decimals), '0');
    const std::size_t lead = std::min(intDigits.find_first_not_of('0'), intDigits.size());
    intDigits.erase(0, lead);
}

void fixedDigits(double x, int decimals, QString& intDigits, QString& fracDigits)
{
    std::string ip, fp;
    fixedDigits(x, decimals, ip, fp);
    intDigits = QString::fromLatin1(ip.data(), qsizetype(ip.size()));
    fracDigits = QString::fromLatin1(fp.data(), qsizetype(fp.size()));
}

QString group(const QString& digits)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += u',';
        out += digits[i];
    }
    return out;
}

QString trimZeros(QString s)
{
    if (!s.contains(u'.')) return s;
    while (s.endsWith(u'0')) s.chop(1);
    if (s.endsWith(u'.')) s.chop(1);
    return s;
}

} // namespace

QString NumberFormat::General(double v)
{
    if (!std::isfinite(v)) return QStringLiteral("#NUM!");
    if (v == 0) return QStringLiteral("0");
    const double a = std::fabs(v);
    const QString sign = v < 0 ? QStringLiteral("-") : QString();
    if (a < 1e11 && a >= 1e-9) {
        // Up to 11 characters: the digits that fit beside the integer part.
        const int intDigits = a < 1 ? 1 : int(std::floor(std::log10(a))) + 1;
        std::string ip, fp;
        fixedDigits(a, std::max(0, 10 - intDigits), ip, fp);
        while (!fp.empty() && fp.back() == '0') fp.pop_back();
        // Rounding up may have carried into a twelfth digit (99999999999.5): no longer fits.
        if (ip.size() <= 11) {
            if (ip.empty() && fp.empty()) return QStringLiteral("0");
            std::string out = v < 0 ? "-" : "";
            out += ip.empty() ? "0" : ip;
            if (!fp.empty()) (out += '.') += fp;
            return QString::fromLatin1(out.data(), qsizetype(out.size()));
        }
    }
    // Scientific with up to five decimals: 1.23457E+11.
    QString s = QString::number(a, 'E', 5);
    const qsizetype e = s.indexOf(u'E');
    QString mant = trimZeros(s.left(e));
    int exp = s.mid(e + 1).toInt();
    QString es = QString::number(std::abs(exp)).rightJustified(2, u'0');
    return sign + mant + (exp < 0 ? QStringLiteral("E-") : QStringLiteral("E+")) + es;
}

NumberFormat::Date NumberFormat::SerialToDate(long long serial, bool date1904)
{
    if (date1904) {
        const QDate d = QDate(1904, 1, 1).addDays(serial);
        return {d.year(), d.month(), d.day()};
    }
    if (serial == 0) return {1900, 1, 0};
    if (serial == 60) return {1900, 2, 29};
    const QDate d = serial < 60 ? QDate(1899, 12, 31).addDays(serial) : QDate(1899, 12, 30).addDays(serial);
    return {d.year(), d.month(), d.day()};
}

namespace {

QString formatDate(const NumberFormat::Section& sec, double v, bool date1904);
QString formatNumber(const NumberFormat::Section& sec, double v, bool withSign);

} // namespace

QString NumberFormat::Format(double v, bool date1904) const
{
    // An infinity or NaN (an .xls may hold one) is no number to show.
    if (m_general || m_sections.empty() || !std::isfinite(v)) return General(v);
    const Section* sec = nullptr;
    bool withSign = true;
    const std::size_t n = m_sections.size();
    const bool conditional = m_sections[0]->condition.has_value() || (n > 1 && m_sections[1]->condition.has_value());
    if (conditional) {
        if (m_sections[0]->condition && m_sections[0]->matches(v)) sec = m_sections[0].get();
        else if (n > 1 && m_sections[1]->condition && m_sections[1]->matches(v)) sec = m_sections[1].get();
        else if (n > 2 && !m_sections[2]->isText) sec = m_sections[2].get();
        else if (n > 1 && !m_sections[1]->condition) sec = m_sections[1].get();
        else return General(v);
        withSign = !(sec != m_sections[0].get() && v < 0 && !m_sections[0]->condition);
    } else {
        if (n == 1 || (n >= 2 && m_sections[1]->isText)) sec = m_sections[0].get();
        else if (v > 0 || (v == 0 && n == 2)) sec = m_sections[0].get();
        else if (v < 0) { sec = m_sections[1].get(); withSign = false; }
        else sec = n >= 3 && !m_sections[2]->isText ? m_sections[2].get() : m_sections[0].get();
        if (n >= 2 && v < 0 && sec == m_sections[0].get()) withSign = true;
    }
    if (sec->isText && !sec->isDate) {
        // A number shown through a text section: the section with the General text in it.
        QString out;
        for (const Token& t : sec->tokens)
            out += t.type == T::Literal ? t.text : t.type == T::At ? General(v) : QString();
        return out;
    }
    if (sec->isDate) return formatDate(*sec, v, date1904);
    if (sec->isGeneral) {
        QString out;
        for (const Token& t : sec->tokens)
            out += t.type == T::Literal ? t.text : t.type == T::General ? General(withSign ? v : std::fabs(v)) : QString();
        return out;
    }
    return formatNumber(*sec, v, withSign);
}

QString NumberFormat::FormatText(const QString& text) const
{
    const Section* sec = nullptr;
    if (m_sections.size() >= 4) sec = m_sections[3].get();
    else
        for (const auto& s : m_sections)
            if (s->isText) { sec = s.get(); break; }
    if (!sec) return text;
    QString out;
    for (const Token& t : sec->tokens)
        out += t.type == T::Literal ? t.text : t.type == T::At ? text : QString();
    return out;
}

namespace {

// Appends the decimal digits of `v`, zeros in front up to `width` characters, without a
// text of its own (a sheet of dates calls this millions of times).
void appendNumber(QString& out, long long v, int width = 1)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    const auto n = int(r.ptr - buf);
    for (int i = n; i < width; ++i) out += u'0';
    out += QLatin1StringView(buf, n);
}

QString formatDate(const NumberFormat::Section& sec, double v, bool date1904)
{
    if (v < 0 || v > 2958465.999999) return NumberFormat::General(v);   // outside 9999-12-31
    int subDigits = 0;
    bool ampm = false;
    for (const Token& t : sec.tokens) {
        if (t.type == T::SubSecond) subDigits = std::max(subDigits, t.count);
        if (t.type == T::AmPm) ampm = true;
    }
    // Fractions of a second go to thousandths; further places show zeros.
    subDigits = std::min(subDigits, 3);
    // Round to the shown fraction of a second.
    const double unit = std::pow(10.0, subDigits);
    const double totalUnits = std::round(v * 86400.0 * unit);
    const long long days = (long long)std::floor(totalUnits / (86400.0 * unit));
    double rest = totalUnits - double(days) * 86400.0 * unit;
    const long long secsOfDay = (long long)std::floor(rest / unit);
    const long long sub = (long long)(rest - double(secsOfDay) * unit);
    const int hour = int(secsOfDay / 3600), minute = int(secsOfDay / 60 % 60), second = int(secsOfDay % 60);
    const NumberFormat::Date d = NumberFormat::SerialToDate(days, date1904);
    int weekday = 0;
    {
        // Serial 1 (1900-01-01) was a Sunday by the spreadsheet's count.
        const long long s = date1904 ? days + 1462 : days;
        weekday = int(((s % 7) + 6) % 7);
    }
    const double totalSeconds = totalUnits / unit;
    QString out;
    out.reserve(32);
    for (const Token& t : sec.tokens) {
        switch (t.type) {
        case T::Literal: out += t.text; break;
        case T::Year: appendNumber(out, t.count <= 2 ? d.year % 100 : d.year, t.count <= 2 ? 2 : 1); break;
        case T::Month:
            if (t.count <= 2) appendNumber(out, d.month, t.count);
            else if (sec.names && t.count == 3) out += sec.names->standaloneMonthName(d.month, QLocale::ShortFormat);
            else if (sec.names && t.count == 5) out += sec.names->standaloneMonthName(d.month).left(1);
            else if (sec.names) out += sec.names->standaloneMonthName(d.month);
            else if (t.count == 3) out += QString::fromLatin1(kMonths[d.month - 1]).left(3);
            else if (t.count == 5) out += QString::fromLatin1(kMonths[d.month - 1]).left(1);
            else out += QString::fromLatin1(kMonths[d.month - 1]);
            break;
        case T::Day:
            if (t.count <= 2) appendNumber(out, d.day, t.count);
            else if (sec.names)
                out += sec.names->standaloneDayName(weekday == 0 ? 7 : weekday,
                                                    t.count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            else if (t.count == 3) out += QString::fromLatin1(kDays[weekday]).left(3);
            else out += QString::fromLatin1(kDays[weekday]);
            break;
        case T::Hour: {
            int h = hour;
            if (ampm) { h %= 12; if (h == 0) h = 12; }
            appendNumber(out, h, t.count >= 2 ? 2 : 1);
            break;
        }
        case T::Minute: appendNumber(out, minute, t.count >= 2 ? 2 : 1); break;
        case T::Second: appendNumber(out, second, t.count >= 2 ? 2 : 1); break;
        case T::ElapsedHour:
            out += QString::number((long long)std::floor(totalSeconds / 3600)).rightJustified(t.count, u'0');
            break;
        case T::ElapsedMinute:
            out += QString::number((long long)std::floor(totalSeconds / 60)).rightJustified(t.count, u'0');
            break;
        case T::ElapsedSecond:
            out += QString::number((long long)std::floor(totalSeconds)).rightJustified(t.count, u'0');
            break;
        case T::SubSecond:
            out += u'.';
            out += QString::number(sub).rightJustified(subDigits, u'0').left(t.count).leftJustified(t.count, u'0');
            break;
        case T::AmPm: {
            const bool pm = hour >= 12;
            if (t.text.size() == 5) out += pm ? QStringLiteral("PM") : QStringLiteral("AM");
            else {
                const QChar c = pm ? t.text[2] : t.text[0];
                out += c;
            }
            break;
        }
        case T::Point: out += u'.'; break;
        case T::Zero: out += u'0'; break;
        case T::Comma: out += u','; break;
        case T::Slash: out += u'/'; break;
        default: break;
        }
    }
    return out;
}

// Best fraction p/q of x with q up to maxDen.
void bestFraction(double x, int maxDen, long long& num, long long& den)
{
    num = (long long)std::llround(x);
    den = 1;
    double best = std::fabs(x - double(num));
    for (int q = 2; q <= maxDen && best > 0; ++q) {
        const long long p = (long long)std::llround(x * q);
        const double err = std::fabs(x - double(p) / q);
        if (err < best - 1e-12) { best = err; num = p; den = q; }
    }
}

QString slotDigits(const std::vector<Token>& tokens, std::size_t from, std::size_t to, QString digits,
                   bool rightAlign)
{
    // Places `digits` into the placeholders of tokens[from, to), literals kept where they stand.
    if (to <= from) return digits;
    std::vector<QString> parts(to - from);
    int places = 0;
    for (std::size_t k = from; k < to; ++k)
        if (tokens[k].type == T::Zero || tokens[k].type == T::Hash || tokens[k].type == T::Question) ++places;
    QString out;
    if (rightAlign) {
        qsizetype di = digits.size();
        int seen = 0;
        for (std::size_t k = to; k-- > from;) {
            const Token& t = tokens[k];
            QString piece;
            if (t.type == T::Zero || t.type == T::Hash || t.type == T::Question) {
                ++seen;
                if (di > 0) piece = digits[--di];
                else piece = t.type == T::Zero ? QStringLiteral("0") : t.type == T::Question ? QStringLiteral(" ") : QString();
                if (seen == places && di > 0) piece = digits.left(di) + piece;
            } else if (t.type == T::Literal) {
                piece = t.text;
            }
            parts[k - from] = piece;
        }
    } else {
        qsizetype di = 0;
        for (std::size_t k = from; k < to; ++k) {
            const Token& t = tokens[k];
            QString piece;
            if (t.type == T::Zero || t.type == T::Hash || t.type == T::Question) {
                if (di < digits.size()) piece = digits[di++];
                else piece = t.type == T::Zero ? QStringLiteral("0") : t.type == T::Question ? QStringLiteral(" ") : QString();
            } else if (t.type == T::Literal) {
                piece = t.text;
            }
            parts[k - from] = piece;
        }
    }
    for (const QString& p : parts) out += p;
    if (places == 0) out.prepend(digits);
    return out;
}

QString formatNumber(const NumberFormat::Section& sec, double v, bool withSign)
{
    const std::vector<Token>& tk = sec.tokens;
    double x = v;
    for (int i = 0; i < sec.percent; ++i) x *= 100.0;
    for (int i = 0; i < sec.scale; ++i) x /= 1000.0;
    const bool negative = x < 0;
    x = std::fabs(x);
    if (sec.plain) {
        // The common shapes, written straight into one buffer.
        std::string ip, fp;
        fixedDigits(x, sec.decimals, ip, fp);
        const std::size_t pad = ip.size() < std::size_t(sec.intZeros) ? std::size_t(sec.intZeros) - ip.size() : 0;
        const std::size_t len = pad + ip.size();
        std::string out;
        out.reserve(len + len / 3 + fp.size() + 2);
        if (negative && withSign) out += '-';
        for (std::size_t i = 0; i < len; ++i) {
            if (sec.thousands && i > 0 && (len - i) % 3 == 0) out += ',';
            out += i < pad ? '0' : ip[i - pad];
        }
        if (sec.hasPoint) (out += '.') += fp;
        return QString::fromLatin1(out.data(), qsizetype(out.size()));
    }
    QString sign = negative && withSign ? QStringLiteral("-") : QString();

    // Index of the first and one past the last placeholder, and of the point / E / slash.
    std::size_t first = tk.size(), last = 0, point = tk.size(), expAt = tk.size(), slashAt = tk.size();
    for (std::size_t k = 0; k < tk.size(); ++k) {
        const T t = tk[k].type;
        if (t == T::Zero || t == T::Hash || t == T::Question) { first = std::min(first, k); last = k + 1; }
        if (t == T::Point && point == tk.size() && expAt == tk.size()) point = k;
        if (t == T::Exp && expAt == tk.size()) expAt = k;
        if (t == T::Slash && slashAt == tk.size()) slashAt = k;
    }
    auto literalRange = [&](std::size_t a, std::size_t b) {
        QString s;
        for (std::size_t k = a; k < b && k < tk.size(); ++k) {
            if (tk[k].type == T::Literal) s += tk[k].text;
            else if (tk[k].type == T::Percent) s += u'%';
        }
        return s;
    };
    if (first == tk.size()) {
        // No placeholder: the literal text alone (a minus sign for negatives).
        return sign + literalRange(0, tk.size());
    }

    if (sec.hasSlash && slashAt > first) {
        // Fraction: [integer part] numerator/denominator.
        std::size_t numStart = first;
        // An integer part stands before a literal blank that precedes the numerator.
        std::size_t intEnd = first;
        for (std::size_t k = slashAt; k-- > first;) {
            if (tk[k].type == T::Literal) { intEnd = k; break; }
        }
        bool hasInt = intEnd > first;
        if (hasInt) {
            numStart = intEnd + 1;
            while (numStart < slashAt && tk[numStart].type == T::Literal) ++numStart;
        }
        int denPlaces = 0;
        long long fixedDen = 0;
        std::size_t denEnd = slashAt + 1;
        QString fixedText;
        for (; denEnd < tk.size(); ++denEnd) {
            const T t = tk[denEnd].type;
            if (t == T::Zero || t == T::Hash || t == T::Question) ++denPlaces;
            else if (t == T::Literal && !tk[denEnd].text.isEmpty() && tk[denEnd].text[0].isDigit() && denPlaces == 0) {
                fixedText = tk[denEnd].text;
                break;
            } else break;
        }
        if (!fixedText.isEmpty()) {
            qsizetype k = 0;
            while (k < fixedText.size() && fixedText[k].isDigit()) ++k;
            fixedDen = fixedText.left(k).toLongLong();
        }
        // Beyond the digits a double holds there is no fraction to show.
        if (x >= 1e15) return sign + literalRange(0, first) + QString::number(x, 'f', 0);
        if (fixedDen > 1'000'000'000) fixedDen = 0;
        long long whole = hasInt ? (long long)std::floor(x) : 0;
        double frac = x - double(whole);
        long long num = 0, den = 1;
        if (fixedDen > 0) { den = fixedDen; num = std::llround(frac * double(den)); }
        else bestFraction(frac, int(std::pow(10, std::clamp(denPlaces, 1, 4))) - 1, num, den);
        if (hasInt && num == den) { ++whole; num = 0; }
        QString out = sign + literalRange(0, first);
        if (hasInt) {
            out += slotDigits(tk, first, intEnd, whole == 0 ? QString() : QString::number(whole), true);
            if (num == 0) {
                // Whole number: the fraction is left blank.
                if (whole == 0) out += u'0';
                return out + literalRange(denEnd, tk.size());
            }
            out += literalRange(intEnd, numStart);
        }
        out += slotDigits(tk, numStart, slashAt, QString::number(num), true);
        out += u'/';
        if (fixedDen > 0) out += fixedText;
        else out += slotDigits(tk, slashAt + 1, denEnd, QString::number(den), false);
        return out + literalRange(denEnd + (fixedDen > 0 ? 1 : 0), tk.size());
    }

    if (sec.hasExp && expAt > first) {
        int exp = 0;
        const int intPlaces = std::max(1, sec.intPlaces);
        double mant = x;
        if (x != 0) {
            exp = int(std::floor(std::log10(x)));
            if (sec.intPlaces > 1 && sec.intZeros < sec.intPlaces) {
                // Engineering steps: exponent a multiple of the integer placeholders.
                exp = int(std::floor(double(exp) / intPlaces)) * intPlaces;
            } else {
                exp -= intPlaces - 1;
            }
            mant = x / std::pow(10.0, exp);
            QString ip, fp;
            fixedDigits(mant, sec.decimals, ip, fp);
            if (ip.size() > intPlaces && sec.intZeros == sec.intPlaces) {
                ++exp;
                mant = x / std::pow(10.0, exp);
            }
        }
        QString ip, fp;
        fixedDigits(mant, sec.decimals, ip, fp);
        const std::size_t intEnd = point < expAt ? point : expAt;
        QString out = sign + literalRange(0, first) + slotDigits(tk, first, intEnd, ip, true);
        if (point < expAt) {
            out += u'.';
            QString dec = slotDigits(tk, point + 1, expAt, fp, false);
            out += dec;
        }
        out += u'E';
        int expPlaces = 0;
        std::size_t k = expAt + 1;
        for (; k < tk.size() && (tk[k].type == T::Zero || tk[k].type == T::Hash || tk[k].type == T::Question); ++k)
            ++expPlaces;
        out += exp < 0 ? QStringLiteral("-") : tk[expAt].text == u"+" ? QStringLiteral("+") : QString();
        out += QString::number(std::abs(exp)).rightJustified(std::max(1, expPlaces), u'0');
        return out + literalRange(k, tk.size());
    }

    QString ip, fp;
    fixedDigits(x, sec.decimals, ip, fp);
    const std::size_t intEnd = point < tk.size() ? point : last;
    QString intText;
    if (sec.thousands) {
        QString digits = ip;
        if (digits.size() < sec.intZeros) digits = digits.rightJustified(sec.intZeros, u'0');
        intText = literalRange(first, first) + group(digits);
        // Literals among the integer placeholders are kept after the number.
        intText += literalRange(first, intEnd);
    } else {
        intText = slotDigits(tk, first, intEnd, ip, true);
    }
    QString out = sign + literalRange(0, first) + intText;
    if (point < tk.size()) {
        // Trailing zeros of '#' places are dropped; '?' places become blanks.
        QString dec;
        std::vector<const Token*> places;
        for (std::size_t k = point + 1; k < tk.size(); ++k)
            if (tk[k].type == T::Zero || tk[k].type == T::Hash || tk[k].type == T::Question) places.push_back(&tk[k]);
        qsizetype keep = fp.size();
        while (keep > 0 && fp[keep - 1] == u'0' && std::size_t(keep - 1) < places.size() &&
               places[std::size_t(keep - 1)]->type != T::Zero)
            --keep;
        QString shown = fp.left(keep);
        for (qsizetype k = keep; k < fp.size(); ++k)
            if (std::size_t(k) < places.size() && places[std::size_t(k)]->type == T::Question) shown += u' ';
        out += u'.';
        std::size_t end = last > point ? last : point + 1;
        // Digits and the literals between the decimal places, in order.
        qsizetype di = 0;
        for (std::size_t k = point + 1; k < end; ++k) {
            const Token& t = tk[k];
            if (t.type == T::Zero || t.type == T::Hash || t.type == T::Question) {
                if (di < shown.size()) out += shown[di];
                ++di;
            } else if (t.type == T::Literal) {
                out += t.text;
            } else if (t.type == T::Percent) {
                out += u'%';
            }
        }
        out += literalRange(end, tk.size());
    } else {
        out += literalRange(last, tk.size());
    }
    return out;
}

} // namespace

} // namespace kovel::excel

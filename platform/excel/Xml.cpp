#include "platform/excel/Xml.h"

#include <QStringDecoder>
#include <cstring>

namespace kovel::excel {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view localPart(std::string_view q)
{
    const std::size_t colon = q.rfind(':');
    return colon == std::string_view::npos ? q : q.substr(colon + 1);
}

void appendUtf8(QByteArray& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool xmlChar(char32_t cp)
{
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
           (cp >= 0x10000 && cp <= 0x10FFFF);
}

} // namespace

Xml::Xml(const QByteArray& bytes, int maxDepth) : m_own(bytes), m_maxDepth(maxDepth)
{
    if (m_own.startsWith("\xFF\xFE") || m_own.startsWith("\xFE\xFF")) {
        // UTF-16 parts are rare: read them through a UTF-8 copy.
        QStringDecoder d(m_own.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        const QString s = d.decode(QByteArrayView(m_own.constData() + 2, m_own.size() - 2));
        m_own = s.toUtf8();
    } else if (m_own.startsWith("\xEF\xBB\xBF")) {
        m_pos = 3;
    }
    m_p = m_own.constData();
    m_n = std::size_t(m_own.size());
}

void Xml::fail(const QString& e)
{
    if (m_error.isEmpty())
        m_error = e;
    m_type = Eof;
}

bool Xml::skipPast(std::size_t from, std::string_view marker, const char* what)
{
    const std::string_view rest(m_p + std::min(from, m_n), m_n - std::min(from, m_n));
    const std::size_t at = rest.find(marker);
    if (at == std::string_view::npos) {
        fail(QStringLiteral("the XML ends inside a %1").arg(QLatin1StringView(what)));
        return false;
    }
    m_pos = std::min(from, m_n) + at + marker.size();
    return true;
}

Xml::Type Xml::token()
{
    for (;;) {
        if (!m_error.isEmpty())
            return m_type = Eof;
        if (m_pendingEnd) {
            m_pendingEnd = false;
            m_open.pop_back();
            --m_depth;
            return m_type = End;
        }
        if (m_pos >= m_n) {
            if (!m_open.empty())
                fail(QStringLiteral("the XML ends before its elements are closed"));
            else if (!m_rootSeen)
                fail(QStringLiteral("the part holds no XML element"));
            return m_type = Eof;
        }
        if (m_p[m_pos] != '<') {
            const void* lt = std::memchr(m_p + m_pos, '<', m_n - m_pos);
            const std::size_t end = lt ? std::size_t(static_cast<const char*>(lt) - m_p) : m_n;
            m_text = std::string_view(m_p + m_pos, end - m_pos);
            m_pos = end;
            if (m_open.empty()) {
                for (char c : m_text)
                    if (!isSpace(c)) {
                        fail(QStringLiteral("the XML has text outside its root element"));
                        return m_type = Eof;
                    }
                continue;
            }
            m_textPlain = m_text.find_first_of("&\r") == std::string_view::npos;
            return m_type = Text;
        }
        if (m_pos + 1 >= m_n) {
            fail(QStringLiteral("the XML ends inside a tag"));
            return m_type = Eof;
        }
        const char c = m_p[m_pos + 1];
        if (c == '/')
            return parseEndTag(m_pos) ? (m_type = End) : (m_type = Eof);
        if (c == '?') {
            if (!skipPast(m_pos + 2, "?>", "processing instruction")) return m_type = Eof;
            continue;
        }
        if (c == '!') {
            const std::string_view rest(m_p + m_pos, m_n - m_pos);
            if (rest.substr(0, 4) == "<!--") {
                if (!skipPast(m_pos + 4, "-->", "comment")) return m_type = Eof;
                continue;
            }
            if (rest.substr(0, 9) == "<![CDATA[") {
                if (m_open.empty()) {
                    fail(QStringLiteral("the XML has text outside its root element"));
                    return m_type = Eof;
                }
                const std::size_t start = m_pos + 9;
                if (!skipPast(start, "]]>", "CDATA section")) return m_type = Eof;
                m_text = std::string_view(m_p + start, m_pos - 3 - start);
                m_textPlain = true;
                return m_type = Text;
            }
            fail(QStringLiteral("document type declarations are not allowed"));
            return m_type = Eof;
        }
        return parseStartTag(m_pos) ? (m_type = Start) : (m_type = Eof);
    }
}

bool Xml::parseStartTag(std::size_t lt)
{
    if (m_rootSeen && m_open.empty()) {
        fail(QStringLiteral("the XML has content after its root element"));
        return false;
    }
    std::size_t i = lt + 1;
    while (i < m_n && !isSpace(m_p[i]) && m_p[i] != '/' && m_p[i] != '>' && m_p[i] != '<') ++i;
    if (i == lt + 1 || i >= m_n || m_p[i] == '<') {
        fail(QStringLiteral("the XML has a malformed tag"));
        return false;
    }
    m_qname = std::string_view(m_p + lt + 1, i - lt - 1);
    m_local = localPart(m_qname);
    m_attributes.clear();
    bool empty = false;
    for (;;) {
        while (i < m_n && isSpace(m_p[i])) ++i;
        if (i >= m_n) {
            fail(QStringLiteral("the XML ends inside a tag"));
            return false;
        }
        if (m_p[i] == '>') { ++i; break; }
        if (m_p[i] == '/') {
            if (i + 1 < m_n && m_p[i + 1] == '>') { i += 2; empty = true; break; }
            fail(QStringLiteral("the XML has a malformed tag"));
            return false;
        }
        const std::size_t nameStart = i;
        while (i < m_n && !isSpace(m_p[i]) && m_p[i] != '=' && m_p[i] != '>' && m_p[i] != '/' && m_p[i] != '<') ++i;
        const std::string_view attr(m_p + nameStart, i - nameStart);
        while (i < m_n && isSpace(m_p[i])) ++i;
        if (attr.empty() || i >= m_n || m_p[i] != '=') {
            fail(QStringLiteral("the XML has a malformed attribute"));
            return false;
        }
        ++i;
        while (i < m_n && isSpace(m_p[i])) ++i;
        if (i >= m_n || (m_p[i] != '"' && m_p[i] != '\'')) {
            fail(QStringLiteral("the XML has a malformed attribute"));
            return false;
        }
        const char quote = m_p[i++];
        const void* close = std::memchr(m_p + i, quote, m_n - i);
        if (!close) {
            fail(QStringLiteral("the XML ends inside a tag"));
            return false;
        }
        const std::size_t end = std::size_t(static_cast<const char*>(close) - m_p);
        const std::string_view value(m_p + i, end - i);
        if (value.find('<') != std::string_view::npos) {
            fail(QStringLiteral("the XML has '<' in an attribute value"));
            return false;
        }
        i = end + 1;
        if (i < m_n && !isSpace(m_p[i]) && m_p[i] != '>' && m_p[i] != '/') {
            fail(QStringLiteral("the XML has a malformed attribute"));
            return false;
        }
        // Namespace declarations are not attributes.
        if (attr == "xmlns" || attr.substr(0, 6) == "xmlns:") continue;
        if (m_attributes.size() >= 1024) {
            fail(QStringLiteral("an XML element has too many attributes"));
            return false;
        }
        m_attributes.emplace_back(attr, value);
    }
    if (++m_depth > m_maxDepth) {
        fail(QStringLiteral("the XML nests deeper than %1 levels").arg(m_maxDepth));
        return false;
    }
    m_open.push_back(m_qname);
    m_rootSeen = true;
    m_pendingEnd = empty;
    m_pos = i;
    return true;
}

bool Xml::parseEndTag(std::size_t lt)
{
    std::size_t i = lt + 2;
    while (i < m_n && !isSpace(m_p[i]) && m_p[i] != '>' && m_p[i] != '<') ++i;
    const std::string_view name(m_p + lt + 2, i - lt - 2);
    while (i < m_n && isSpace(m_p[i])) ++i;
    if (i >= m_n || m_p[i] != '>') {
        fail(QStringLiteral("the XML has a malformed end tag"));
        return false;
    }
    if (m_open.empty() || m_open.back() != name) {
        fail(QStringLiteral("the XML end tag </%1> does not match its start tag")
                 .arg(QString::fromUtf8(name.data(), qsizetype(std::min<std::size_t>(name.size(), 40)))));
        return false;
    }
    m_open.pop_back();
    m_qname = name;
    m_local = localPart(name);
    --m_depth;
    m_pos = i + 1;
    return true;
}

bool Xml::next()
{
    for (;;) {
        const Type t = token();
        if (t == Start || t == End) return true;
        if (t == Eof) return false;
    }
}

std::string_view Xml::attribute(std::string_view qualified) const
{
    for (const auto& [n, v] : m_attributes)
        if (n == qualified) return v;
    return {};
}

std::string_view Xml::attributeLocal(std::string_view local) const
{
    for (const auto& [n, v] : m_attributes)
        if (localPart(n) == local) return v;
    return {};
}

QString Xml::decoded(std::string_view raw)
{
    if (raw.find_first_of("&\r\n\t") == std::string_view::npos)
        return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
    QByteArray utf8;
    QString e;
    if (!decode(raw, utf8, e, true)) {
        fail(e);
        return {};
    }
    return QString::fromUtf8(utf8);
}

QString Xml::attributeText(std::string_view qualified) { return decoded(attribute(qualified)); }
QString Xml::attributeLocalText(std::string_view local) { return decoded(attributeLocal(local)); }

bool Xml::decode(std::string_view raw, QByteArray& out, QString& error, bool attribute)
{
    std::size_t i = 0;
    while (i < raw.size()) {
        const std::size_t at = raw.find_first_of(attribute ? "&\r\n\t" : "&\r", i);
        if (at == std::string_view::npos) {
            out.append(raw.data() + i, qsizetype(raw.size() - i));
            break;
        }
        out.append(raw.data() + i, qsizetype(at - i));
        if (raw[at] != '&') {
            // Line ends are read as line feeds, as XML says; in an attribute value they and
            // tabs are blanks.
            out += attribute ? ' ' : '\n';
            i = raw[at] == '\r' && at + 1 < raw.size() && raw[at + 1] == '\n' ? at + 2 : at + 1;
            continue;
        }
        const std::size_t semi = raw.find(';', at);
        const std::string_view ent = semi == std::string_view::npos || semi - at > 12 ? std::string_view()
                                                                                      : raw.substr(at + 1, semi - at - 1);
        char32_t cp = 0;
        bool ok = !ent.empty();
        if (ent == "amp") cp = '&';
        else if (ent == "lt") cp = '<';
        else if (ent == "gt") cp = '>';
        else if (ent == "quot") cp = '"';
        else if (ent == "apos") cp = '\'';
        else if (ok && ent[0] == '#') {
            const bool hex = ent.size() > 1 && ent[1] == 'x';
            const std::string_view digits = ent.substr(hex ? 2 : 1);
            ok = !digits.empty();
            for (char c : digits) {
                int d = c >= '0' && c <= '9' ? c - '0' : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                       : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
                if (d < 0 || cp > 0x10FFFF) { ok = false; break; }
                cp = cp * (hex ? 16 : 10) + char32_t(d);
            }
            ok = ok && xmlChar(cp);
        } else {
            ok = false;
        }
        if (!ok) {
            error = QStringLiteral("malformed XML: the entity \"&%1;\" is undefined or invalid")
                        .arg(QString::fromUtf8(ent.data(), qsizetype(ent.size())));
            return false;
        }
        appendUtf8(out, cp);
        i = semi + 1;
    }
    return true;
}

std::string_view Xml::rawText(QByteArray& scratch)
{
    if (m_type != Start) return {};
    const int base = m_depth;
    std::string_view only;
    int pieces = 0;
    for (;;) {
        const Type t = token();
        if (t == Text) {
            if (pieces == 0 && m_textPlain) {
                only = m_text;
                pieces = 1;
                continue;
            }
            if (pieces < 2) {
                scratch.clear();
                scratch.append(only.data(), qsizetype(only.size()));
                pieces = 2;
            }
            if (m_textPlain) {
                scratch.append(m_text.data(), qsizetype(m_text.size()));
            } else {
                QString e;
                if (!decode(m_text, scratch, e)) { fail(e); return {}; }
            }
        } else if (t == End) {
            if (m_depth < base) break;
        } else if (t == Eof) {
            return {};
        }
    }
    return pieces < 2 ? only : std::string_view(scratch.constData(), std::size_t(scratch.size()));
}

QString Xml::text()
{
    QByteArray scratch;
    const std::string_view raw = rawText(scratch);
    return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
}

} // namespace kovel::excel

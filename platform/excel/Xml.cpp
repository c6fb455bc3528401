#include "platform/excel/Xml.h"

#include <QDate>
#include <QTime>
#include <QVarLengthArray>
#include <charconv>
#include <cmath>

namespace kovel::excel {

namespace {

void setUp(QXmlStreamReader& r)
{
    // Namespaces are not needed (names are matched without their prefix) and resolving
    // them costs a third of the reading.
    r.setNamespaceProcessing(false);
    // No entity is ever declared (a document type declaration is refused), so none may grow.
    r.setEntityExpansionLimit(0);
}

} // namespace

Xml::Xml(const QByteArray& bytes, int maxDepth) : m_r(bytes), m_maxDepth(maxDepth) { setUp(m_r); }

Xml::Xml(QIODevice* device, int maxDepth) : m_r(device), m_maxDepth(maxDepth) { setUp(m_r); }

void Xml::fail(const QString& e)
{
    if (m_error.isEmpty())
        m_error = e;
    m_r.raiseError(e);
}

QString Xml::error() const
{
    if (!m_error.isEmpty())
        return m_error;
    if (!m_r.hasError())
        return {};
    return QStringLiteral("malformed XML at line %1, column %2: %3")
        .arg(m_r.lineNumber())
        .arg(m_r.columnNumber())
        .arg(m_r.errorString());
}

bool Xml::step(QXmlStreamReader::TokenType& t)
{
    if (!ok() || m_r.atEnd())
        return false;
    t = m_r.readNext();
    switch (t) {
    case QXmlStreamReader::StartElement:
        if (++m_depth > m_maxDepth) {
            fail(QStringLiteral("the XML nests deeper than %1 levels").arg(m_maxDepth));
            return false;
        }
        return true;
    case QXmlStreamReader::EndElement:
        --m_depth;
        return true;
    case QXmlStreamReader::DTD:
        fail(QStringLiteral("document type declarations are not allowed"));
        return false;
    case QXmlStreamReader::EntityReference:
        fail(QStringLiteral("malformed XML: the entity \"&%1;\" is not allowed").arg(m_r.name().left(40)));
        return false;
    case QXmlStreamReader::Invalid:
        return false;
    default:
        return true;
    }
}

bool Xml::next()
{
    QXmlStreamReader::TokenType t;
    while (step(t))
        if (t == QXmlStreamReader::StartElement || t == QXmlStreamReader::EndElement)
            return true;
    return false;
}

bool Xml::nextToken()
{
    QXmlStreamReader::TokenType t;
    while (step(t))
        if (t == QXmlStreamReader::StartElement || t == QXmlStreamReader::EndElement || t == QXmlStreamReader::Characters)
            return true;
    return false;
}

QStringView Xml::attribute(QLatin1StringView qualified) const
{
    const QXmlStreamAttributes attributes = m_r.attributes();
    for (const QXmlStreamAttribute& a : attributes) {
        const QStringView name = a.qualifiedName();
        if (name.size() == qualified.size() && name == qualified)
            return a.value();
    }
    return {};
}

QStringView Xml::attributeLocal(QLatin1StringView local) const
{
    const QXmlStreamAttributes attributes = m_r.attributes();
    for (const QXmlStreamAttribute& a : attributes) {
        // Namespace declarations are not attributes.
        if (a.name() == local && !a.qualifiedName().startsWith(QLatin1StringView("xmlns")))
            return a.value();
    }
    return {};
}

void Xml::text(QString& out)
{
    out.resize(0);
    if (!isStart())
        return;
    const int base = m_depth;
    QXmlStreamReader::TokenType t;
    while (step(t)) {
        if (t == QXmlStreamReader::Characters)
            out += m_r.text();
        else if (t == QXmlStreamReader::EndElement && m_depth < base)
            return;
    }
}

QString Xml::text()
{
    QString s;
    text(s);
    return s;
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

QStringView trimmed(QStringView v)
{
    while (!v.isEmpty() && isBlank(v.front())) v = v.sliced(1);
    while (!v.isEmpty() && isBlank(v.back())) v.chop(1);
    return v;
}

bool parseUnsigned(QStringView v, std::uint64_t max, std::uint64_t& out)
{
    v = trimmed(v);
    if (v.isEmpty() || v.size() > 20) return false;
    out = 0;
    for (QChar c : v) {
        if (c < u'0' || c > u'9') return false;
        out = out * 10 + std::uint64_t(c.unicode() - u'0');
        if (out > max) return false;
    }
    return true;
}

bool parseDouble(QStringView v, double& out)
{
    v = trimmed(v);
    if (!v.isEmpty() && v.front() == u'+') v = v.sliced(1);
    if (v.isEmpty() || v.size() > 1024) return false;
    // from_chars reads bytes: a number is ASCII, anything else is not one.
    QVarLengthArray<char, 64> ascii(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i].unicode() > 0x7F) return false;
        ascii[i] = char(v[i].unicode());
    }
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), out);
    return ec == std::errc() && end == ascii.data() + ascii.size() && std::isfinite(out);
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

} // namespace kovel::excel

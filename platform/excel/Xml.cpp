#include "platform/excel/Xml.h"

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

} // namespace kovel::excel

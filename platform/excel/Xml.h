#pragma once
// The XML parts of a workbook package, read with QXmlStreamReader under the bounds a file
// from outside needs: no document type declaration (so no entity is ever declared or
// expanded), nesting no deeper than the cap, and the reader's own well-formedness checks
// (matching end tags, complete content, valid references) reported as an error.
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QXmlStreamReader>
#include <cstdint>

namespace kovel::excel {

class Xml {
public:
    Xml(const QByteArray& bytes, int maxDepth);
    // Reads from `device` as it goes (the device must outlive the reader).
    Xml(QIODevice* device, int maxDepth);

    // Next start or end element (an empty element gives both); false at the end or on error.
    bool next();
    // The same, stopping at character data too (see characters()).
    bool nextToken();
    bool isCharacters() const { return m_r.tokenType() == QXmlStreamReader::Characters; }
    QStringView characters() const { return m_r.text(); }
    bool isStart() const { return m_r.tokenType() == QXmlStreamReader::StartElement; }
    bool isEnd() const { return m_r.tokenType() == QXmlStreamReader::EndElement; }
    // Name of the current element without its namespace prefix.
    QStringView name() const { return m_r.name(); }
    QStringView qualifiedName() const { return m_r.qualifiedName(); }
    // The encoding the XML declaration names; empty when it names none.
    QStringView encoding() const { return m_r.documentEncoding(); }
    // Depth of the current element (1 for the root); after its end, one less.
    int level() const { return m_depth; }

    // Value of an attribute of the current start element (normalised as XML says) by its
    // qualified name ("r", "r:id"), or by its name without prefix; null when absent. The view
    // holds until the next move of the reader.
    QStringView attribute(QLatin1StringView qualified) const;
    QStringView attributeLocal(QLatin1StringView local) const;
    // All of them, for one pass over many; a copy kept past the next move slows the reader.
    QXmlStreamAttributes attributes() const { return m_r.attributes(); }

    // The text of the current start element up to its end, texts of child elements included;
    // the reader then stands on that end. The second form reuses `out`'s room.
    QString text();
    void text(QString& out);

    bool ok() const { return m_error.isEmpty() && !m_r.hasError(); }
    QString error() const;

private:
    bool step(QXmlStreamReader::TokenType& t);   // one token; false at the end or on error
    void fail(const QString& e);

    QXmlStreamReader m_r;
    int m_maxDepth;
    int m_depth = 0;
    QString m_error;
};

// Parsing of attribute and element values, as the readers need them.
bool isBlank(QChar c);
QStringView trimmed(QStringView v);
// A whole unsigned decimal number no greater than `max`; false otherwise.
bool parseUnsigned(QStringView v, std::uint64_t max, std::uint64_t& out);
// A finite decimal number ("1.5", "-2E+3"); false otherwise.
bool parseDouble(QStringView v, double& out);
// An ISO date or date and time ("2024-02-29", "2024-02-29T13:05:09.5") as a serial day number.
double isoToSerial(const QString& text, bool date1904, bool& ok);

} // namespace kovel::excel

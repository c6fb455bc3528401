#pragma once
// A small pull reader for the XML parts of a workbook package, straight over the UTF-8 bytes.
// It reads what spreadsheets write (elements, attributes, text, CDATA, comments, processing
// instructions, the five predefined entities and character references) and refuses the
// rest: document type declarations (so no entity can expand), other entities, nesting
// deeper than the cap, tags that do not match, and content that ends too early.
#include <QByteArray>
#include <QString>
#include <string_view>
#include <vector>

namespace kovel::excel {

class Xml {
public:
    Xml(const QByteArray& bytes, int maxDepth);

    // Next start or end element (an empty element gives both); false at the end or on error.
    bool next();
    bool isStart() const { return m_type == Start; }
    bool isEnd() const { return m_type == End; }
    // Name of the current element without its namespace prefix.
    std::string_view name() const { return m_local; }
    // Depth of the current element (1 for the root); after its end, one less.
    int level() const { return m_depth; }

    // Raw value of an attribute of the current start element by its qualified name ("r",
    // "r:id"), or by its name without prefix; null view when absent.
    std::string_view attribute(std::string_view qualified) const;
    std::string_view attributeLocal(std::string_view local) const;
    // The same decoded (entities and character references replaced).
    QString attributeText(std::string_view qualified);
    QString attributeLocalText(std::string_view local);

    // The text of the current start element up to its end, texts of child elements included;
    // the reader then stands on that end.
    QString text();
    // The same as raw bytes when the element holds plain text only (no child, entity, CDATA
    // or comment), which is what a cell value almost always is; else decoded into `scratch`.
    std::string_view rawText(QByteArray& scratch);

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    void fail(const QString& e);

    // Appends `raw` with its entities and character references replaced; false when one is
    // not valid. An attribute value also has its literal tabs and line ends read as blanks.
    static bool decode(std::string_view raw, QByteArray& utf8, QString& error, bool attribute = false);

private:
    enum Type { None, Start, End, Text, Eof };
    Type token();                  // the next token of any kind
    bool parseStartTag(std::size_t lt);
    bool parseEndTag(std::size_t lt);
    bool skipPast(std::size_t from, std::string_view marker, const char* what);
    QString decoded(std::string_view raw);

    QByteArray m_own;              // the bytes re-encoded when they were not UTF-8
    const char* m_p = nullptr;
    std::size_t m_n = 0, m_pos = 0;
    int m_maxDepth;
    int m_depth = 0;
    bool m_rootSeen = false;
    bool m_pendingEnd = false;
    Type m_type = None;
    std::string_view m_qname, m_local, m_text;
    bool m_textPlain = true;       // m_text has no entity
    std::vector<std::pair<std::string_view, std::string_view>> m_attributes;
    std::vector<std::string_view> m_open;   // qualified names of the open elements
    QString m_error;
};

} // namespace kovel::excel

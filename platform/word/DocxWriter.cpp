// Writes the model as a WordprocessingML package. Elements are written in the order the
// schema's sequences give them, because Word refuses (or "repairs") a file where they are not.
#include "platform/word/Document.h"
#include "platform/word/FontsDePictures.h"
#include "platform/word/ModelOps.h"
#include "platform/files/EscripturaAtomica.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QXmlStreamWriter>

#include <zip.h>

#include <cmath>
#include <functional>
#include <utility>

namespace kovel::word {

namespace {

const QString W = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString R = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString WP = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
const QString A = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString PIC = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");
const QString WPS = QStringLiteral("http://schemas.microsoft.com/office/word/2010/wordprocessingShape");
const QString MC = QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");

// Characters XML 1.0 cannot carry are left out rather than written as a broken file.
QString xmlSafe(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        const ushort u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out += c;
            out += s[++i];
            continue;
        }
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF) continue;
        if (u < 0x20 && u != 0x09 && u != 0x0A && u != 0x0D) continue;
        out += c;
    }
    return out;
}

QString num(int v) { return QString::number(v); }
QString num64(std::int64_t v) { return QString::number(v); }

struct Media {
    QString target;   // media/imageN.png or .emf
    QString relId;
};

// The body's markup, written straight into UTF-8 with the calls of QXmlStreamWriter that
// the body needs. A sheet of thousands of labels is millions of elements and attributes;
// the stream writer's per-call encoding and device writes made the save several times
// slower than building the document. Every namespace is declared on the root element.
class BodyXml {
public:
    void setDevice(QByteArray* out) { out_ = out; }
    void writeNamespace(const QString& uri, const QString& prefix) { ns_.emplace_back(uri, prefix); }
    void writeStartElement(const QString& ns, const QString& name) { start(ns, name, false); }
    void writeEmptyElement(const QString& ns, const QString& name) { start(ns, name, true); }
    void writeAttribute(const QString& ns, const QString& name, const QString& value) {
        out_->append(' ');
        appendPrefix(ns);
        ascii(name);
        attributeValue(value);
    }
    void writeAttribute(const QString& qualifiedName, const QString& value) {
        out_->append(' ');
        ascii(qualifiedName);
        attributeValue(value);
    }
    void writeCharacters(const QString& text) {
        closeTag();
        escaped(text, false);
    }
    void writeTextElement(const QString& ns, const QString& name, const QString& text) {
        writeStartElement(ns, name);
        writeCharacters(text);
        writeEndElement();
    }
    void writeEndElement() {
        if (emptyOpen_) {
            out_->append("/>");
            emptyOpen_ = false;
        }
        if (open_.empty()) return;
        if (tagOpen_) {
            out_->append("/>");
            tagOpen_ = false;
        } else {
            out_->append("</");
            out_->append(open_.back());
            out_->append('>');
        }
        open_.pop_back();
    }
    void writeEndDocument() {
        closeTag();
        while (!open_.empty()) writeEndElement();
    }

private:
    void start(const QString& ns, const QString& name, bool empty) {
        closeTag();
        out_->append('<');
        const qsizetype from = out_->size();
        appendPrefix(ns);
        ascii(name);
        if (!empty) {
            open_.push_back(out_->mid(from));
            tagOpen_ = true;
        }
        emptyOpen_ = empty;
        if (!rootWritten_) {
            rootWritten_ = true;
            for (const auto& [uri, prefix] : ns_) {
                out_->append(" xmlns:");
                ascii(prefix);
                attributeValue(uri);
            }
        }
    }
    // Ends a start tag still open for attributes: "/>" for an empty element, ">" otherwise.
    void closeTag() {
        if (emptyOpen_) {
            out_->append("/>");
            emptyOpen_ = false;
        } else if (tagOpen_) {
            out_->append('>');
            tagOpen_ = false;
        }
    }
    void appendPrefix(const QString& ns) {
        for (const auto& [uri, prefix] : ns_)
            if (uri.constData() == ns.constData() || uri == ns) {
                ascii(prefix);
                out_->append(':');
                return;
            }
        throw WordError(QStringLiteral("The document cannot be written: undeclared namespace %1.").arg(ns));
    }
    void ascii(const QString& name) {
        char* p = room(name.size());
        for (QChar c : name) *p++ = static_cast<char>(c.unicode());
        done(p);
    }
    void attributeValue(const QString& value) {
        out_->append("=\"");
        escaped(value, true);
        out_->append('"');
    }
    // Writes go through a pointer into room made beforehand (the array grows
    // geometrically), not one append call per character.
    char* room(qsizetype most) {
        const qsizetype used = out_->size();
        out_->resize(used + most);
        return out_->data() + used;
    }
    void done(const char* end) { out_->resize(end - out_->constData()); }
    static char* put(char* p, const char* text) {
        while (*text) *p++ = *text++;
        return p;
    }
    void escaped(const QString& s, bool attribute) {
        const qsizetype n = s.size();
        char* p = room(6 * n);   // "&quot;" is the longest a UTF-16 unit becomes
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t u = s[i].unicode();
            if (u < 0x80) {
                switch (u) {
                case '<': p = put(p, "&lt;"); break;
                case '>': p = put(p, "&gt;"); break;
                case '&': p = put(p, "&amp;"); break;
                case '"': p = put(p, "&quot;"); break;
                case '\t': p = put(p, attribute ? "&#9;" : "\t"); break;
                case '\n': p = put(p, attribute ? "&#10;" : "\n"); break;
                case '\r': p = put(p, "&#13;"); break;
                default: *p++ = static_cast<char>(u);
                }
            } else if (u < 0x800) {
                *p++ = static_cast<char>(0xC0 | (u >> 6));
                *p++ = static_cast<char>(0x80 | (u & 0x3F));
            } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s[i + 1].unicode())) {
                const char32_t cp = QChar::surrogateToUcs4(u, s[++i].unicode());
                *p++ = static_cast<char>(0xF0 | (cp >> 18));
                *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                *p++ = static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                const char16_t c = QChar::isSurrogate(u) ? char16_t(0xFFFD) : u;
                *p++ = static_cast<char>(0xE0 | (c >> 12));
                *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                *p++ = static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        done(p);
    }

    QByteArray* out_ = nullptr;
    std::vector<std::pair<QString, QString>> ns_;
    std::vector<QByteArray> open_;   // qualified names of the open elements
    bool tagOpen_ = false;           // a start tag waits for its attributes
    bool emptyOpen_ = false;         // an empty element waits for its attributes
    bool rootWritten_ = false;
};

class Writer {
public:
    explicit Writer(const Document& d) : doc_(d) {}

    QByteArray documentXml();
    QByteArray relsXml() const;
    QByteArray stylesXml() const;
    QByteArray settingsXml() const;
    QByteArray contentTypesXml() const;
    const std::vector<std::pair<QString, QByteArray>>& mediaFiles() const { return files_; }
    // After documentXml: the fonts of the pictures written as characters, and their table.
    void fontFiles(std::vector<std::pair<QString, QByteArray>>& entries,
                   std::vector<std::pair<QString, std::vector<QByteArray>>>& inPieces);

private:
    void story(const Story& s, bool body);
    void paragraph(const Paragraph& p, const Section* sectionEnd);
    void runProperties(const RunFormat& f);
    void textRun(const TextRun& r);
    void picture(const InlinePicture& p);
    bool glyph(const InlinePicture& p);
    void line(const FloatingLine& l);
    void table(const Table& t);
    void sectPr(const Section& s);
    void onOff(const QString& name, const std::optional<bool>& v);
    void widthElement(const QString& name, int twips);
    void paddings(const QString& name, const Paddings& p);
    const Media& media(const QByteArray& png);

    const Document& doc_;
    BodyXml x_;
    QHash<QByteArray, Media> media_;
    QSet<QString> altresFormats_;   // extensions of the pictures kept in their own format
    std::vector<std::pair<QString, QByteArray>> files_;
    int drawingId_ = 1;
    int sectionIndex_ = 0;
    FontsDePictures glyphs_;
};

const Media& Writer::media(const QByteArray& png) {
    const QByteArray key = QCryptographicHash::hash(png, QCryptographicHash::Sha1);
    auto it = media_.find(key);
    if (it != media_.end()) return *it;
    const int n = static_cast<int>(media_.size()) + 1;
    // A picture read in another format and kept as it was (too costly to convert) keeps its
    // own name and type.
    QString ext = QStringLiteral("png");
    if (InlinePicture::isEmf(png))
        ext = QStringLiteral("emf");
    else if (png.startsWith("\xFF\xD8\xFF"))
        ext = QStringLiteral("jpeg");
    else if (png.startsWith("GIF8"))
        ext = QStringLiteral("gif");
    else if (png.startsWith("BM"))
        ext = QStringLiteral("bmp");
    else if (!png.startsWith("\x89PNG\r\n\x1a\n"))
        ext = QStringLiteral("bin");
    if (ext != QLatin1String("png") && ext != QLatin1String("emf"))
        altresFormats_.insert(ext);
    Media m{QStringLiteral("media/image%1.%2").arg(n).arg(ext), QStringLiteral("rIdImg%1").arg(n)};
    files_.emplace_back(QStringLiteral("word/") + m.target, png);
    return *media_.insert(key, m);
}

void Writer::onOff(const QString& name, const std::optional<bool>& v) {
    if (!v) return;
    x_.writeEmptyElement(W, name);
    if (!*v) x_.writeAttribute(W, QStringLiteral("val"), QStringLiteral("0"));
}

void Writer::runProperties(const RunFormat& given) {
    // What the document's defaults already give is left out: "off" for the toggles (no style
    // this writer writes turns one on), and the default font and size. A merge repeats a
    // label's resolved format in every run; the page comes out the same with less to write
    // and to read.
    RunFormat f = given;
    const RunFormat& d = doc_.defaultRunFormat();
    for (std::optional<bool>* t : {&f.bold, &f.italic, &f.underline, &f.hidden})
        if (*t == false) t->reset();
    if (f.fontName && *f.fontName == d.fontName.value_or(QStringLiteral("Times New Roman"))) f.fontName.reset();
    if (f.size && std::lround(f.size->value * 2.0) == std::lround(d.size.value_or(Points(12)).value * 2.0)) f.size.reset();
    if (!f.fontName && !f.size && !f.bold && !f.italic && !f.underline && !f.hidden && !f.colour) return;
    x_.writeStartElement(W, QStringLiteral("rPr"));
    if (f.fontName) {
        x_.writeEmptyElement(W, QStringLiteral("rFonts"));
        const QString n = xmlSafe(*f.fontName);
        x_.writeAttribute(W, QStringLiteral("ascii"), n);
        x_.writeAttribute(W, QStringLiteral("hAnsi"), n);
        x_.writeAttribute(W, QStringLiteral("cs"), n);
    }
    onOff(QStringLiteral("b"), f.bold);
    onOff(QStringLiteral("bCs"), f.bold);
    onOff(QStringLiteral("i"), f.italic);
    onOff(QStringLiteral("iCs"), f.italic);
    onOff(QStringLiteral("vanish"), f.hidden);
    if (f.colour) {
        x_.writeEmptyElement(W, QStringLiteral("color"));
        x_.writeAttribute(W, QStringLiteral("val"), QStringLiteral("%1").arg(*f.colour & 0xFFFFFFu, 6, 16, QChar('0')).toUpper());
    }
    if (f.size) {
        const int half = std::max(2, static_cast<int>(std::lround(f.size->value * 2.0)));
        x_.writeEmptyElement(W, QStringLiteral("sz"));
        x_.writeAttribute(W, QStringLiteral("val"), num(half));
        x_.writeEmptyElement(W, QStringLiteral("szCs"));
        x_.writeAttribute(W, QStringLiteral("val"), num(half));
    }
    if (f.underline) {
        x_.writeEmptyElement(W, QStringLiteral("u"));
        x_.writeAttribute(W, QStringLiteral("val"), *f.underline ? QStringLiteral("single") : QStringLiteral("none"));
    }
    x_.writeEndElement();
}

void Writer::textRun(const TextRun& r) {
    const QString text = r.text;
    x_.writeStartElement(W, QStringLiteral("r"));
    runProperties(r.format);
    QString pending;
    auto flush = [&] {
        if (pending.isEmpty()) return;
        x_.writeStartElement(W, QStringLiteral("t"));
        x_.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        x_.writeCharacters(xmlSafe(pending));
        x_.writeEndElement();
        pending.clear();
    };
    for (QChar c : text) {
        if (c == QChar('\t')) {
            flush();
            x_.writeEmptyElement(W, QStringLiteral("tab"));
        } else if (c == QChar(0x0B) || c == QChar('\n') || c == QChar('\r')) {
            flush();
            x_.writeEmptyElement(W, QStringLiteral("br"));
        } else if (c == QChar(0x0C)) {
            flush();
            x_.writeEmptyElement(W, QStringLiteral("br"));
            x_.writeAttribute(W, QStringLiteral("type"), QStringLiteral("page"));
        } else {
            pending += c;
        }
    }
    flush();
    x_.writeEndElement();
}

// The picture as one character of a font of the document. The run's own format follows it
// in a zero-width space: the line takes that font's height and depth, as it does around a
// picture.
bool Writer::glyph(const InlinePicture& p) {
    InlinePicture& m = const_cast<InlinePicture&>(p);
    const auto c = glyphs_.Afegeix(*p.glyphOutline(), DocxAccess::cx(m), DocxAccess::cy(m));
    if (!c) return false;
    x_.writeStartElement(W, QStringLiteral("r"));
    x_.writeStartElement(W, QStringLiteral("rPr"));
    x_.writeEmptyElement(W, QStringLiteral("rFonts"));
    for (const char* a : {"ascii", "hAnsi", "eastAsia", "cs"}) x_.writeAttribute(W, QString::fromLatin1(a), c->familia);
    if (p.format().hidden.value_or(false)) x_.writeEmptyElement(W, QStringLiteral("vanish"));
    x_.writeEmptyElement(W, QStringLiteral("color"));
    x_.writeAttribute(W, QStringLiteral("val"), QStringLiteral("%1").arg(p.glyphOutline()->colour & 0xFFFFFFu, 6, 16, QChar('0')).toUpper());
    for (const char* e : {"sz", "szCs"}) {
        x_.writeEmptyElement(W, QString::fromLatin1(e));
        x_.writeAttribute(W, QStringLiteral("val"), num(c->mitjosPunts));
    }
    x_.writeEndElement();
    x_.writeTextElement(W, QStringLiteral("t"), QString(QChar(c->codi)));
    x_.writeEndElement();
    textRun(TextRun{QString(QChar(0x200B)), p.format()});
    return true;
}

void Writer::picture(const InlinePicture& p) {
    InlinePicture& m = const_cast<InlinePicture&>(p);
    if (DocxAccess::png(m).isEmpty()) return;
    if (doc_.picturesAsGlyphs() && p.glyphOutline() && glyph(p)) return;
    const Media& md = media(DocxAccess::png(m));
    const int id = drawingId_++;
    const QString cx = num64(std::max<std::int64_t>(0, DocxAccess::cx(m).value));
    const QString cy = num64(std::max<std::int64_t>(0, DocxAccess::cy(m).value));
    x_.writeStartElement(W, QStringLiteral("r"));
    runProperties(p.format());
    x_.writeStartElement(W, QStringLiteral("drawing"));
    x_.writeStartElement(WP, QStringLiteral("inline"));
    for (const char* a : {"distT", "distB", "distL", "distR"}) x_.writeAttribute(QString::fromLatin1(a), QStringLiteral("0"));
    x_.writeEmptyElement(WP, QStringLiteral("extent"));
    x_.writeAttribute(QStringLiteral("cx"), cx);
    x_.writeAttribute(QStringLiteral("cy"), cy);
    x_.writeEmptyElement(WP, QStringLiteral("effectExtent"));
    for (const char* a : {"l", "t", "r", "b"}) x_.writeAttribute(QString::fromLatin1(a), QStringLiteral("0"));
    x_.writeEmptyElement(WP, QStringLiteral("docPr"));
    x_.writeAttribute(QStringLiteral("id"), num(id));
    x_.writeAttribute(QStringLiteral("name"), QStringLiteral("Picture %1").arg(id));
    if (!p.alternativeText().isEmpty()) x_.writeAttribute(QStringLiteral("descr"), xmlSafe(p.alternativeText()));
    x_.writeStartElement(WP, QStringLiteral("cNvGraphicFramePr"));
    x_.writeEmptyElement(A, QStringLiteral("graphicFrameLocks"));
    x_.writeAttribute(QStringLiteral("noChangeAspect"), QStringLiteral("1"));
    x_.writeEndElement();
    x_.writeStartElement(A, QStringLiteral("graphic"));
    x_.writeStartElement(A, QStringLiteral("graphicData"));
    x_.writeAttribute(QStringLiteral("uri"), PIC);
    x_.writeStartElement(PIC, QStringLiteral("pic"));
    x_.writeStartElement(PIC, QStringLiteral("nvPicPr"));
    x_.writeEmptyElement(PIC, QStringLiteral("cNvPr"));
    x_.writeAttribute(QStringLiteral("id"), num(id));
    x_.writeAttribute(QStringLiteral("name"), md.target.section('/', -1));
    x_.writeEmptyElement(PIC, QStringLiteral("cNvPicPr"));
    x_.writeEndElement();
    x_.writeStartElement(PIC, QStringLiteral("blipFill"));
    x_.writeEmptyElement(A, QStringLiteral("blip"));
    x_.writeAttribute(R, QStringLiteral("embed"), md.relId);
    x_.writeStartElement(A, QStringLiteral("stretch"));
    x_.writeEmptyElement(A, QStringLiteral("fillRect"));
    x_.writeEndElement();
    x_.writeEndElement();
    x_.writeStartElement(PIC, QStringLiteral("spPr"));
    x_.writeStartElement(A, QStringLiteral("xfrm"));
    x_.writeEmptyElement(A, QStringLiteral("off"));
    x_.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
    x_.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
    x_.writeEmptyElement(A, QStringLiteral("ext"));
    x_.writeAttribute(QStringLiteral("cx"), cx);
    x_.writeAttribute(QStringLiteral("cy"), cy);
    x_.writeEndElement();
    x_.writeStartElement(A, QStringLiteral("prstGeom"));
    x_.writeAttribute(QStringLiteral("prst"), QStringLiteral("rect"));
    x_.writeEmptyElement(A, QStringLiteral("avLst"));
    x_.writeEndElement();
    x_.writeEndElement(); // spPr
    x_.writeEndElement(); // pic
    x_.writeEndElement(); // graphicData
    x_.writeEndElement(); // graphic
    x_.writeEndElement(); // inline
    x_.writeEndElement(); // drawing
    x_.writeEndElement(); // r
}

void Writer::line(const FloatingLine& l) {
    const int id = drawingId_++;
    const double x0 = std::min(l.beginX.value, l.endX.value), y0 = std::min(l.beginY.value, l.endY.value);
    const std::int64_t cx = toEmu(Points(std::fabs(l.endX.value - l.beginX.value))).value;
    const std::int64_t cy = toEmu(Points(std::fabs(l.endY.value - l.beginY.value))).value;
    auto dist = [](Points p) { return num64(std::max<std::int64_t>(0, toEmu(p).value)); };
    x_.writeStartElement(W, QStringLiteral("r"));
    x_.writeStartElement(MC, QStringLiteral("AlternateContent"));
    x_.writeStartElement(MC, QStringLiteral("Choice"));
    x_.writeAttribute(QStringLiteral("Requires"), QStringLiteral("wps"));
    x_.writeStartElement(W, QStringLiteral("drawing"));
    x_.writeStartElement(WP, QStringLiteral("anchor"));
    x_.writeAttribute(QStringLiteral("distT"), dist(l.distanceTop));
    x_.writeAttribute(QStringLiteral("distB"), dist(l.distanceBottom));
    x_.writeAttribute(QStringLiteral("distL"), dist(l.distanceLeft));
    x_.writeAttribute(QStringLiteral("distR"), dist(l.distanceRight));
    x_.writeAttribute(QStringLiteral("simplePos"), QStringLiteral("0"));
    x_.writeAttribute(QStringLiteral("relativeHeight"), num(251658240 + id));
    x_.writeAttribute(QStringLiteral("behindDoc"), QStringLiteral("0"));
    x_.writeAttribute(QStringLiteral("locked"), QStringLiteral("0"));
    x_.writeAttribute(QStringLiteral("layoutInCell"), QStringLiteral("1"));
    x_.writeAttribute(QStringLiteral("allowOverlap"), l.allowOverlap ? QStringLiteral("1") : QStringLiteral("0"));
    x_.writeEmptyElement(WP, QStringLiteral("simplePos"));
    x_.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
    x_.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
    x_.writeStartElement(WP, QStringLiteral("positionH"));
    x_.writeAttribute(QStringLiteral("relativeFrom"), QStringLiteral("column"));
    x_.writeTextElement(WP, QStringLiteral("posOffset"), num64(toEmu(Points(x0)).value));
    x_.writeEndElement();
    x_.writeStartElement(WP, QStringLiteral("positionV"));
    x_.writeAttribute(QStringLiteral("relativeFrom"), QStringLiteral("paragraph"));
    x_.writeTextElement(WP, QStringLiteral("posOffset"), num64(toEmu(Points(y0)).value));
    x_.writeEndElement();
    x_.writeEmptyElement(WP, QStringLiteral("extent"));
    x_.writeAttribute(QStringLiteral("cx"), num64(cx));
    x_.writeAttribute(QStringLiteral("cy"), num64(cy));
    x_.writeEmptyElement(WP, QStringLiteral("effectExtent"));
    for (const char* a : {"l", "t", "r", "b"}) x_.writeAttribute(QString::fromLatin1(a), QStringLiteral("0"));
    switch (l.wrap) {
    case WrapType::Square:
        x_.writeEmptyElement(WP, QStringLiteral("wrapSquare"));
        x_.writeAttribute(QStringLiteral("wrapText"), QStringLiteral("bothSides"));
        break;
    case WrapType::Tight:
        x_.writeStartElement(WP, QStringLiteral("wrapTight"));
        x_.writeAttribute(QStringLiteral("wrapText"), QStringLiteral("bothSides"));
        x_.writeStartElement(WP, QStringLiteral("wrapPolygon"));
        x_.writeAttribute(QStringLiteral("edited"), QStringLiteral("0"));
        x_.writeEmptyElement(WP, QStringLiteral("start"));
        x_.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
        x_.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
        for (auto [px, py] : {std::pair{"0", "21600"}, {"21600", "21600"}, {"21600", "0"}, {"0", "0"}}) {
            x_.writeEmptyElement(WP, QStringLiteral("lineTo"));
            x_.writeAttribute(QStringLiteral("x"), QString::fromLatin1(px));
            x_.writeAttribute(QStringLiteral("y"), QString::fromLatin1(py));
        }
        x_.writeEndElement();
        x_.writeEndElement();
        break;
    case WrapType::TopAndBottom:
        x_.writeEmptyElement(WP, QStringLiteral("wrapTopAndBottom"));
        break;
    }
    x_.writeEmptyElement(WP, QStringLiteral("docPr"));
    x_.writeAttribute(QStringLiteral("id"), num(id));
    x_.writeAttribute(QStringLiteral("name"), QStringLiteral("Line %1").arg(id));
    x_.writeEmptyElement(WP, QStringLiteral("cNvGraphicFramePr"));
    x_.writeStartElement(A, QStringLiteral("graphic"));
    x_.writeStartElement(A, QStringLiteral("graphicData"));
    x_.writeAttribute(QStringLiteral("uri"), WPS);
    x_.writeStartElement(WPS, QStringLiteral("wsp"));
    x_.writeStartElement(WPS, QStringLiteral("cNvCnPr"));
    x_.writeEndElement();
    x_.writeStartElement(WPS, QStringLiteral("spPr"));
    x_.writeStartElement(A, QStringLiteral("xfrm"));
    if ((l.endX.value < l.beginX.value)) x_.writeAttribute(QStringLiteral("flipH"), QStringLiteral("1"));
    if ((l.endY.value < l.beginY.value)) x_.writeAttribute(QStringLiteral("flipV"), QStringLiteral("1"));
    x_.writeEmptyElement(A, QStringLiteral("off"));
    x_.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
    x_.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
    x_.writeEmptyElement(A, QStringLiteral("ext"));
    x_.writeAttribute(QStringLiteral("cx"), num64(cx));
    x_.writeAttribute(QStringLiteral("cy"), num64(cy));
    x_.writeEndElement();
    x_.writeStartElement(A, QStringLiteral("prstGeom"));
    x_.writeAttribute(QStringLiteral("prst"), QStringLiteral("line"));
    x_.writeEmptyElement(A, QStringLiteral("avLst"));
    x_.writeEndElement();
    x_.writeStartElement(A, QStringLiteral("ln"));
    x_.writeAttribute(QStringLiteral("w"), QStringLiteral("9525"));
    x_.writeStartElement(A, QStringLiteral("solidFill"));
    x_.writeStartElement(A, QStringLiteral("srgbClr"));
    x_.writeAttribute(QStringLiteral("val"), QStringLiteral("000000"));
    const int alpha = static_cast<int>(std::lround((1.0 - std::clamp(l.transparency, 0.0, 1.0)) * 100000));
    x_.writeEmptyElement(A, QStringLiteral("alpha"));
    x_.writeAttribute(QStringLiteral("val"), num(alpha));
    x_.writeEndElement();
    x_.writeEndElement();
    x_.writeEndElement(); // ln
    x_.writeEndElement(); // spPr
    x_.writeEmptyElement(WPS, QStringLiteral("bodyPr"));
    x_.writeEndElement(); // wsp
    x_.writeEndElement(); // graphicData
    x_.writeEndElement(); // graphic
    x_.writeEndElement(); // anchor
    x_.writeEndElement(); // drawing
    x_.writeEndElement(); // Choice
    x_.writeEndElement(); // AlternateContent
    x_.writeEndElement(); // r
}

void Writer::paragraph(const Paragraph& p, const Section* sectionEnd) {
    x_.writeStartElement(W, QStringLiteral("p"));
    const ParagraphFormat& f = p.format;
    const bool markFmt = p.markFormat.fontName || p.markFormat.size || p.markFormat.bold || p.markFormat.italic
        || p.markFormat.underline || p.markFormat.hidden || p.markFormat.colour;
    if (f.spaceBefore || f.spaceAfter || f.alignment || markFmt || sectionEnd) {
        x_.writeStartElement(W, QStringLiteral("pPr"));
        if (f.spaceBefore || f.spaceAfter) {
            x_.writeEmptyElement(W, QStringLiteral("spacing"));
            if (f.spaceBefore) x_.writeAttribute(W, QStringLiteral("before"), num(std::max(0, toTwips(*f.spaceBefore).value)));
            if (f.spaceAfter) x_.writeAttribute(W, QStringLiteral("after"), num(std::max(0, toTwips(*f.spaceAfter).value)));
        }
        if (f.alignment) {
            static const char* names[] = {"left", "center", "right", "both"};
            x_.writeEmptyElement(W, QStringLiteral("jc"));
            x_.writeAttribute(W, QStringLiteral("val"), QString::fromLatin1(names[static_cast<int>(*f.alignment)]));
        }
        runProperties(p.markFormat);
        if (sectionEnd) sectPr(*sectionEnd);
        x_.writeEndElement();
    }
    for (const Inline& it : p.items) {
        if (auto* r = std::get_if<TextRun>(&it)) textRun(*r);
        else if (auto* pic = std::get_if<InlinePicture>(&it)) picture(*pic);
        else line(std::get<FloatingLine>(it));
    }
    x_.writeEndElement();
}

void Writer::widthElement(const QString& name, int twips) {
    x_.writeEmptyElement(W, name);
    x_.writeAttribute(W, QStringLiteral("w"), num(std::max(0, twips)));
    x_.writeAttribute(W, QStringLiteral("type"), QStringLiteral("dxa"));
}

// Only the sides that were set; nothing at all when none was.
void Writer::paddings(const QString& name, const Paddings& p) {
    if (!p.top && !p.left && !p.bottom && !p.right) return;
    x_.writeStartElement(W, name);
    if (p.top) widthElement(QStringLiteral("top"), p.top->value);
    if (p.left) widthElement(QStringLiteral("left"), p.left->value);
    if (p.bottom) widthElement(QStringLiteral("bottom"), p.bottom->value);
    if (p.right) widthElement(QStringLiteral("right"), p.right->value);
    x_.writeEndElement();
}

void Writer::table(const Table& t) {
    if (t.rows.empty() || t.columnCount() == 0) return;
    x_.writeStartElement(W, QStringLiteral("tbl"));
    x_.writeStartElement(W, QStringLiteral("tblPr"));
    x_.writeEmptyElement(W, QStringLiteral("tblW"));
    x_.writeAttribute(W, QStringLiteral("w"), QStringLiteral("0"));
    x_.writeAttribute(W, QStringLiteral("type"), QStringLiteral("auto"));
    x_.writeStartElement(W, QStringLiteral("tblBorders"));
    for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"}) {
        const bool inside = side[0] == 'i';
        const LineStyle ls = inside ? t.insideBorder : t.outsideBorder;
        x_.writeEmptyElement(W, QString::fromLatin1(side));
        if (ls == LineStyle::None) {
            x_.writeAttribute(W, QStringLiteral("val"), QStringLiteral("nil"));
        } else {
            x_.writeAttribute(W, QStringLiteral("val"), QStringLiteral("single"));
            x_.writeAttribute(W, QStringLiteral("sz"), QStringLiteral("4"));
            x_.writeAttribute(W, QStringLiteral("space"), QStringLiteral("0"));
            x_.writeAttribute(W, QStringLiteral("color"), QStringLiteral("auto"));
        }
    }
    x_.writeEndElement();
    x_.writeEmptyElement(W, QStringLiteral("tblLayout"));
    x_.writeAttribute(W, QStringLiteral("type"), t.allowAutoFit ? QStringLiteral("autofit") : QStringLiteral("fixed"));
    paddings(QStringLiteral("tblCellMar"), t.defaultPaddings);
    x_.writeEndElement(); // tblPr
    // The grid: the widest row's cells give the columns.
    const Row* gridRow = &t.rows.front();
    for (const Row& r : t.rows)
        if (r.cells.size() > gridRow->cells.size()) gridRow = &r;
    x_.writeStartElement(W, QStringLiteral("tblGrid"));
    for (const Cell& c : gridRow->cells) {
        x_.writeEmptyElement(W, QStringLiteral("gridCol"));
        x_.writeAttribute(W, QStringLiteral("w"), num(std::max(0, toTwips(c.width()).value)));
    }
    x_.writeEndElement();
    for (const Row& r : t.rows) {
        x_.writeStartElement(W, QStringLiteral("tr"));
        if (!r.allowBreakAcrossPages || r.heightRule() != HeightRule::Auto) {
            x_.writeStartElement(W, QStringLiteral("trPr"));
            if (!r.allowBreakAcrossPages) x_.writeEmptyElement(W, QStringLiteral("cantSplit"));
            if (r.heightRule() != HeightRule::Auto) {
                x_.writeEmptyElement(W, QStringLiteral("trHeight"));
                x_.writeAttribute(W, QStringLiteral("val"), num(std::max(0, toTwips(r.height()).value)));
                x_.writeAttribute(W, QStringLiteral("hRule"), r.heightRule() == HeightRule::Exactly ? QStringLiteral("exact") : QStringLiteral("atLeast"));
            }
            x_.writeEndElement();
        }
        const size_t n = r.cells.size();
        for (size_t ci = 0; ci < n; ++ci) {
            const Cell& c = r.cells[ci];
            x_.writeStartElement(W, QStringLiteral("tc"));
            x_.writeStartElement(W, QStringLiteral("tcPr"));
            widthElement(QStringLiteral("tcW"), toTwips(c.width()).value);
            // A row shorter than the grid: its last cell spans the rest.
            if (ci + 1 == n && n < gridRow->cells.size()) {
                x_.writeEmptyElement(W, QStringLiteral("gridSpan"));
                x_.writeAttribute(W, QStringLiteral("val"), num(static_cast<int>(gridRow->cells.size() - n + 1)));
            }
            paddings(QStringLiteral("tcMar"), c.paddings);
            x_.writeEndElement(); // tcPr
            story(c.story, false);
            x_.writeEndElement(); // tc
        }
        x_.writeEndElement(); // tr
    }
    x_.writeEndElement(); // tbl
}

void Writer::story(const Story& s, bool body) {
    const std::vector<Section>& sections = DocxAccess::sections(const_cast<Document&>(doc_));
    for (const Block& b : s.blocks) {
        if (b.isTable()) {
            table(b.table());
            continue;
        }
        const Paragraph& p = b.paragraph();
        const Section* end = nullptr;
        if (body && p.endsSection() && sectionIndex_ + 1 < static_cast<int>(sections.size()))
            end = &sections[static_cast<size_t>(sectionIndex_++)];
        paragraph(p, end);
    }
    // A cell, like the body, must end with a paragraph.
    if (s.blocks.empty() || !s.blocks.back().isParagraph()) {
        x_.writeEmptyElement(W, QStringLiteral("p"));
    }
}

void Writer::sectPr(const Section& s) {
    PageSetup ps = s.pageSetup;
    Twips* f = DocxAccess::pageFields(ps);
    x_.writeStartElement(W, QStringLiteral("sectPr"));
    static const char* types[] = {"nextPage", "continuous", "evenPage", "oddPage"};
    x_.writeEmptyElement(W, QStringLiteral("type"));
    x_.writeAttribute(W, QStringLiteral("val"), QString::fromLatin1(types[static_cast<int>(s.start)]));
    x_.writeEmptyElement(W, QStringLiteral("pgSz"));
    x_.writeAttribute(W, QStringLiteral("w"), num(std::max(1, f[0].value)));
    x_.writeAttribute(W, QStringLiteral("h"), num(std::max(1, f[1].value)));
    if (ps.orientation() == Orientation::Landscape) x_.writeAttribute(W, QStringLiteral("orient"), QStringLiteral("landscape"));
    x_.writeEmptyElement(W, QStringLiteral("pgMar"));
    x_.writeAttribute(W, QStringLiteral("top"), num(f[2].value));
    x_.writeAttribute(W, QStringLiteral("right"), num(std::max(0, f[5].value)));
    x_.writeAttribute(W, QStringLiteral("bottom"), num(f[3].value));
    x_.writeAttribute(W, QStringLiteral("left"), num(std::max(0, f[4].value)));
    x_.writeAttribute(W, QStringLiteral("header"), num(std::max(0, f[6].value)));
    x_.writeAttribute(W, QStringLiteral("footer"), num(std::max(0, f[7].value)));
    x_.writeAttribute(W, QStringLiteral("gutter"), num(std::max(0, f[8].value)));
    x_.writeEmptyElement(W, QStringLiteral("cols"));
    x_.writeAttribute(W, QStringLiteral("space"), QStringLiteral("708"));
    if (ps.differentFirstPageHeaderFooter()) x_.writeEmptyElement(W, QStringLiteral("titlePg"));
    x_.writeEndElement();
}

QByteArray Writer::documentXml() {
    QByteArray out("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");
    out.reserve(1 << 16);
    BodyXml& x = x_;
    x.setDevice(&out);
    x.writeNamespace(W, QStringLiteral("w"));
    x.writeNamespace(R, QStringLiteral("r"));
    x.writeNamespace(WP, QStringLiteral("wp"));
    x.writeNamespace(A, QStringLiteral("a"));
    x.writeNamespace(PIC, QStringLiteral("pic"));
    x.writeNamespace(WPS, QStringLiteral("wps"));
    x.writeNamespace(MC, QStringLiteral("mc"));
    x.writeStartElement(W, QStringLiteral("document"));
    x.writeStartElement(W, QStringLiteral("body"));
    sectionIndex_ = 0;
    story(doc_.body(), true);
    const std::vector<Section>& sections = DocxAccess::sections(const_cast<Document&>(doc_));
    sectPr(sections.back());
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndDocument();
    x.setDevice(nullptr);
    return out;
}

QByteArray Writer::relsXml() const {
    QByteArray out;
    QXmlStreamWriter x(&out);
    const QString ns = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
    const QString base = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeDefaultNamespace(ns);
    x.writeStartElement(ns, QStringLiteral("Relationships"));
    auto rel = [&](const QString& id, const QString& type, const QString& target) {
        x.writeEmptyElement(ns, QStringLiteral("Relationship"));
        x.writeAttribute(QStringLiteral("Id"), id);
        x.writeAttribute(QStringLiteral("Type"), base + type);
        x.writeAttribute(QStringLiteral("Target"), target);
    };
    rel(QStringLiteral("rIdStyles"), QStringLiteral("styles"), QStringLiteral("styles.xml"));
    rel(QStringLiteral("rIdSettings"), QStringLiteral("settings"), QStringLiteral("settings.xml"));
    std::vector<Media> all(media_.begin(), media_.end());
    std::sort(all.begin(), all.end(), [](const Media& a, const Media& b) { return a.relId < b.relId; });
    for (const Media& m : all) rel(m.relId, QStringLiteral("image"), m.target);
    if (!glyphs_.Buit()) rel(QStringLiteral("rIdFontTable"), QStringLiteral("fontTable"), QStringLiteral("fontTable.xml"));
    x.writeEndElement();
    x.writeEndDocument();
    return out;
}

QByteArray Writer::stylesXml() const {
    QByteArray out;
    QXmlStreamWriter x(&out);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeNamespace(W, QStringLiteral("w"));
    x.writeStartElement(W, QStringLiteral("styles"));
    x.writeStartElement(W, QStringLiteral("docDefaults"));
    x.writeStartElement(W, QStringLiteral("rPrDefault"));
    x.writeStartElement(W, QStringLiteral("rPr"));
    const RunFormat& d = doc_.defaultRunFormat();
    const QString font = xmlSafe(d.fontName.value_or(QStringLiteral("Times New Roman")));
    x.writeEmptyElement(W, QStringLiteral("rFonts"));
    x.writeAttribute(W, QStringLiteral("ascii"), font);
    x.writeAttribute(W, QStringLiteral("eastAsia"), font);
    x.writeAttribute(W, QStringLiteral("hAnsi"), font);
    x.writeAttribute(W, QStringLiteral("cs"), font);
    const int half = std::max(2, static_cast<int>(std::lround(d.size.value_or(Points(12)).value * 2)));
    x.writeEmptyElement(W, QStringLiteral("sz"));
    x.writeAttribute(W, QStringLiteral("val"), num(half));
    x.writeEmptyElement(W, QStringLiteral("szCs"));
    x.writeAttribute(W, QStringLiteral("val"), num(half));
    x.writeEmptyElement(W, QStringLiteral("lang"));
    x.writeAttribute(W, QStringLiteral("val"), QStringLiteral("en-GB"));
    x.writeAttribute(W, QStringLiteral("eastAsia"), QStringLiteral("en-US"));
    x.writeAttribute(W, QStringLiteral("bidi"), QStringLiteral("ar-SA"));
    x.writeEndElement();
    x.writeEndElement();
    x.writeStartElement(W, QStringLiteral("pPrDefault"));
    x.writeStartElement(W, QStringLiteral("pPr"));
    x.writeEmptyElement(W, QStringLiteral("spacing"));
    x.writeAttribute(W, QStringLiteral("after"), QStringLiteral("0"));
    x.writeAttribute(W, QStringLiteral("line"), QStringLiteral("240"));
    x.writeAttribute(W, QStringLiteral("lineRule"), QStringLiteral("auto"));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement(); // docDefaults
    auto style = [&](const char* type, const char* id, const char* name, bool hidden) {
        x.writeStartElement(W, QStringLiteral("style"));
        x.writeAttribute(W, QStringLiteral("type"), QString::fromLatin1(type));
        x.writeAttribute(W, QStringLiteral("default"), QStringLiteral("1"));
        x.writeAttribute(W, QStringLiteral("styleId"), QString::fromLatin1(id));
        x.writeEmptyElement(W, QStringLiteral("name"));
        x.writeAttribute(W, QStringLiteral("val"), QString::fromLatin1(name));
        if (hidden) {
            x.writeEmptyElement(W, QStringLiteral("uiPriority"));
            x.writeAttribute(W, QStringLiteral("val"), QStringLiteral("99"));
            x.writeEmptyElement(W, QStringLiteral("semiHidden"));
            x.writeEmptyElement(W, QStringLiteral("unhideWhenUsed"));
        } else {
            x.writeEmptyElement(W, QStringLiteral("qFormat"));
        }
    };
    style("paragraph", "Normal", "Normal", false);
    x.writeEndElement();
    style("character", "DefaultParagraphFont", "Default Paragraph Font", true);
    x.writeEndElement();
    style("table", "TableNormal", "Normal Table", true);
    x.writeStartElement(W, QStringLiteral("tblPr"));
    x.writeEmptyElement(W, QStringLiteral("tblInd"));
    x.writeAttribute(W, QStringLiteral("w"), QStringLiteral("0"));
    x.writeAttribute(W, QStringLiteral("type"), QStringLiteral("dxa"));
    x.writeStartElement(W, QStringLiteral("tblCellMar"));
    for (auto [side, v] : {std::pair{"top", "0"}, {"left", "108"}, {"bottom", "0"}, {"right", "108"}}) {
        x.writeEmptyElement(W, QString::fromLatin1(side));
        x.writeAttribute(W, QStringLiteral("w"), QString::fromLatin1(v));
        x.writeAttribute(W, QStringLiteral("type"), QStringLiteral("dxa"));
    }
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement(); // style
    x.writeEndElement(); // styles
    x.writeEndDocument();
    return out;
}

QByteArray Writer::settingsXml() const {
    QByteArray out;
    QXmlStreamWriter x(&out);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeNamespace(W, QStringLiteral("w"));
    x.writeStartElement(W, QStringLiteral("settings"));
    if (!glyphs_.Buit()) x.writeEmptyElement(W, QStringLiteral("embedTrueTypeFonts"));
    if (doc_.mirrorMargins()) x.writeEmptyElement(W, QStringLiteral("mirrorMargins"));
    x.writeEmptyElement(W, QStringLiteral("defaultTabStop"));
    x.writeAttribute(W, QStringLiteral("val"), QStringLiteral("708"));
    x.writeEmptyElement(W, QStringLiteral("characterSpacingControl"));
    x.writeAttribute(W, QStringLiteral("val"), QStringLiteral("doNotCompress"));
    x.writeStartElement(W, QStringLiteral("compat"));
    x.writeEmptyElement(W, QStringLiteral("compatSetting"));
    x.writeAttribute(W, QStringLiteral("name"), QStringLiteral("compatibilityMode"));
    x.writeAttribute(W, QStringLiteral("uri"), QStringLiteral("http://schemas.microsoft.com/office/word"));
    x.writeAttribute(W, QStringLiteral("val"), QStringLiteral("15"));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndDocument();
    return out;
}

QByteArray Writer::contentTypesXml() const {
    QByteArray out;
    QXmlStreamWriter x(&out);
    const QString ns = QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeDefaultNamespace(ns);
    x.writeStartElement(ns, QStringLiteral("Types"));
    auto def = [&](const char* ext, const char* type) {
        x.writeEmptyElement(ns, QStringLiteral("Default"));
        x.writeAttribute(QStringLiteral("Extension"), QString::fromLatin1(ext));
        x.writeAttribute(QStringLiteral("ContentType"), QString::fromLatin1(type));
    };
    auto over = [&](const char* part, const char* type) {
        x.writeEmptyElement(ns, QStringLiteral("Override"));
        x.writeAttribute(QStringLiteral("PartName"), QString::fromLatin1(part));
        x.writeAttribute(QStringLiteral("ContentType"), QString::fromLatin1(type));
    };
    def("rels", "application/vnd.openxmlformats-package.relationships+xml");
    def("xml", "application/xml");
    def("png", "image/png");
    def("emf", "image/x-emf");
    for (const auto& [ext, tipus] : {std::pair{"jpeg", "image/jpeg"}, std::pair{"gif", "image/gif"},
                                     std::pair{"bmp", "image/bmp"}, std::pair{"bin", "application/octet-stream"}})
        if (altresFormats_.contains(QLatin1String(ext)))
            def(ext, tipus);
    if (!glyphs_.Buit()) {
        def("odttf", "application/vnd.openxmlformats-officedocument.obfuscatedFont");
        over("/word/fontTable.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml");
    }
    over("/word/document.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
    over("/word/styles.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml");
    over("/word/settings.xml", "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml");
    x.writeEndElement();
    x.writeEndDocument();
    return out;
}

void Writer::fontFiles(std::vector<std::pair<QString, QByteArray>>& entries,
                       std::vector<std::pair<QString, std::vector<QByteArray>>>& inPieces) {
    if (glyphs_.Buit()) return;
    std::vector<FontsDePictures::Font> fonts = glyphs_.Fonts();
    QByteArray table, rels;
    QXmlStreamWriter t(&table), r(&rels);
    const QString ns = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
    t.writeStartDocument(QStringLiteral("1.0"), true);
    t.writeNamespace(W, QStringLiteral("w"));
    t.writeNamespace(R, QStringLiteral("r"));
    t.writeStartElement(W, QStringLiteral("fonts"));
    r.writeStartDocument(QStringLiteral("1.0"), true);
    r.writeDefaultNamespace(ns);
    r.writeStartElement(ns, QStringLiteral("Relationships"));
    int n = 0;
    for (FontsDePictures::Font& f : fonts) {
        const QString id = QStringLiteral("rIdFont%1").arg(++n);
        const QString part = QStringLiteral("fonts/font%1.odttf").arg(n);
        t.writeStartElement(W, QStringLiteral("font"));
        t.writeAttribute(W, QStringLiteral("name"), f.familia);
        t.writeEmptyElement(W, QStringLiteral("charset"));
        t.writeAttribute(W, QStringLiteral("val"), QStringLiteral("00"));
        t.writeEmptyElement(W, QStringLiteral("family"));
        t.writeAttribute(W, QStringLiteral("val"), QStringLiteral("auto"));
        t.writeEmptyElement(W, QStringLiteral("pitch"));
        t.writeAttribute(W, QStringLiteral("val"), QStringLiteral("variable"));
        t.writeEmptyElement(W, QStringLiteral("embedRegular"));
        t.writeAttribute(R, QStringLiteral("id"), id);
        t.writeAttribute(W, QStringLiteral("fontKey"), f.clau.toString(QUuid::WithBraces).toUpper());
        t.writeEndElement();
        r.writeEmptyElement(ns, QStringLiteral("Relationship"));
        r.writeAttribute(QStringLiteral("Id"), id);
        r.writeAttribute(QStringLiteral("Type"), QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/font"));
        r.writeAttribute(QStringLiteral("Target"), part);
        inPieces.emplace_back(QStringLiteral("word/") + part, std::move(f.ofuscada));
    }
    t.writeEndElement();
    t.writeEndDocument();
    r.writeEndElement();
    r.writeEndDocument();
    entries.emplace_back(QStringLiteral("word/fontTable.xml"), table);
    entries.emplace_back(QStringLiteral("word/_rels/fontTable.xml.rels"), rels);
}

QByteArray packageRels() {
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"word/document.xml\"/>"
        "</Relationships>");
}

// Builds the zip in memory (a save must not leave a partial file) and hands it to `sink`
// piece by piece: a big merge's package is never copied whole once more.
void zipEntries(std::vector<std::pair<QString, QByteArray>>& entries,
                std::vector<std::pair<QString, std::vector<QByteArray>>>& inPieces,
                const std::function<bool(const char*, qint64)>& sink) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
    if (!src) throw WordError(QStringLiteral("The document cannot be packed: %1").arg(QString::fromUtf8(zip_error_strerror(&err))));
    zip_t* za = zip_open_from_source(src, ZIP_TRUNCATE, &err);
    if (!za) {
        zip_source_free(src);
        throw WordError(QStringLiteral("The document cannot be packed: %1").arg(QString::fromUtf8(zip_error_strerror(&err))));
    }
    zip_source_keep(src);
    auto add = [&](const QString& name, zip_source_t* s) {
        const zip_int64_t index = s ? zip_file_add(za, name.toUtf8().constData(), s, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
        if (index < 0 && s) zip_source_free(s);   // once added, the archive owns it
        // The fastest deflate: a sheet's body repeats the same markup label after label;
        // the file comes out about twice the default's size in less than half the time.
        // Pictures are stored as they are: a PNG is compressed already, and a merge's
        // thousands of small code pictures would each pay for a compressor of their own.
        // The fonts of a merge's codes likewise: their outlines barely compress, at a cost
        // of a third of the merge's time.
        const bool picture = name.startsWith(QLatin1String("word/media/")) || name.startsWith(QLatin1String("word/fonts/"));
        if (index < 0 || zip_set_file_compression(za, static_cast<zip_uint64_t>(index), picture ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                                  picture ? 0 : 1) < 0) {
            const QString m = QString::fromUtf8(zip_strerror(za));
            zip_discard(za);
            zip_source_free(src);
            throw WordError(QStringLiteral("The document cannot be packed: %1").arg(m));
        }
    };
    for (const auto& [name, data] : entries)
        add(name, zip_source_buffer(za, data.constData(), static_cast<zip_uint64_t>(data.size()), 0));
    // Parts made in pieces (a merge's fonts) go in as they are, never put together first.
    for (const auto& [name, pieces] : inPieces) {
        std::vector<zip_buffer_fragment_t> f;
        for (const QByteArray& p : pieces)
            if (!p.isEmpty()) f.push_back({reinterpret_cast<zip_uint8_t*>(const_cast<char*>(p.constData())), zip_uint64_t(p.size())});
        add(name, zip_source_buffer_fragment(za, f.data(), f.size(), 0));
    }
    if (zip_close(za) < 0) {
        const QString m = QString::fromUtf8(zip_strerror(za));
        zip_discard(za);
        zip_source_free(src);
        throw WordError(QStringLiteral("The document cannot be packed: %1").arg(m));
    }
    // The archive holds its own copy now: the parts go before the archive is copied out, so
    // that a big merge never holds its body's markup, the archive and the file at once.
    entries.clear();
    entries.shrink_to_fit();
    inPieces.clear();
    inPieces.shrink_to_fit();
    bool ok = false;
    if (zip_source_open(src) == 0) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_source_stat(src, &st) == 0 && (st.valid & ZIP_STAT_SIZE) && st.size > 0) {
            QByteArray piece(1 << 20, Qt::Uninitialized);
            zip_uint64_t left = st.size;
            ok = true;
            while (ok && left > 0) {
                const zip_int64_t n = zip_source_read(src, piece.data(), std::min<zip_uint64_t>(left, zip_uint64_t(piece.size())));
                ok = n > 0 && sink(piece.constData(), n);
                if (ok) left -= zip_uint64_t(n);
            }
        }
        zip_source_close(src);
    }
    zip_source_free(src);
    if (!ok) throw WordError(QStringLiteral("The document cannot be packed."));
}

} // namespace

QByteArray Document::toBytes() const {
    QByteArray out;
    pack([&out](const char* data, qint64 size) {
        out.append(data, size);
        return true;
    });
    return out;
}

void Document::pack(const std::function<bool(const char*, qint64)>& sink) const {
    const_cast<Document*>(this)->syncSections();
    Writer w(*this);
    std::vector<std::pair<QString, QByteArray>> entries;
    entries.emplace_back(QStringLiteral("word/document.xml"), w.documentXml());
    entries.insert(entries.begin(), {QStringLiteral("[Content_Types].xml"), w.contentTypesXml()});
    entries.insert(entries.begin() + 1, {QStringLiteral("_rels/.rels"), packageRels()});
    entries.emplace_back(QStringLiteral("word/_rels/document.xml.rels"), w.relsXml());
    entries.emplace_back(QStringLiteral("word/styles.xml"), w.stylesXml());
    entries.emplace_back(QStringLiteral("word/settings.xml"), w.settingsXml());
    for (const auto& f : w.mediaFiles()) entries.push_back(f);
    std::vector<std::pair<QString, std::vector<QByteArray>>> inPieces;
    w.fontFiles(entries, inPieces);
    zipEntries(entries, inPieces, sink);
}

void Document::saveAs(const QString& path) {
    // Through the shared writer: a full disk keeps the old document, and a name that is a
    // symbolic link is replaced, never what it points to.
    kovel::files::EscripturaAtomica f(path);
    try {
        pack([&f](const char* data, qint64 size) { return f.escriu(data, size); });
    } catch (const WordError&) {
        // A write that failed is the reason, not the packing.
        if (f.error().isEmpty()) throw;
    }
    if (!f.error().isEmpty() || !f.confirma())
        throw WordError(QStringLiteral("The document \"%1\" cannot be written: %2").arg(path, f.error()));
    fullName_ = QFileInfo(path).absoluteFilePath();
    saved_ = true;
}

} // namespace kovel::word

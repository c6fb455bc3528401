// Reads a WordprocessingML package into the model. A document comes from outside the program
// (a template, a saved design, a user's file): every size, count and nesting level is bounded
// and anything malformed is refused with a message that names the file.
#include "platform/word/Document.h"
#include "platform/word/ModelOps.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QXmlStreamReader>

#include <zip.h>

#include <cmath>

namespace kovel::word {

namespace {

constexpr qint64 kMaxPackageSize = 256LL * 1024 * 1024;
constexpr qint64 kMaxXmlPartSize = 64LL * 1024 * 1024;
constexpr qint64 kMaxMediaSize = 32LL * 1024 * 1024;
constexpr qint64 kMaxTotalUnpacked = 512LL * 1024 * 1024;
constexpr zip_int64_t kMaxEntries = 10000;
constexpr int kMaxDepth = 256;
constexpr int kMaxPictures = 100000;
// Bounds on what the model holds, so a small part of tiny elements cannot take the memory.
constexpr int kMaxParagraphs = 1000000;
constexpr int kMaxInlineItems = 4000000;

const QString W = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString R = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString MC = QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");

struct Failure {
    QString why;
};

[[noreturn]] void fail(const QString& why) { throw Failure{why}; }

// ---------------------------------------------------------------------------------------

class Package {
public:
    explicit Package(const QByteArray& bytes) : bytes_(bytes) {
        zip_error_t err;
        zip_error_init(&err);
        zip_source_t* src = zip_source_buffer_create(bytes_.constData(), static_cast<zip_uint64_t>(bytes_.size()), 0, &err);
        if (!src) fail(QStringLiteral("it cannot be unpacked"));
        za_ = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
        if (!za_) {
            zip_source_free(src);
            fail(QStringLiteral("it is not a valid document package (%1)").arg(QString::fromUtf8(zip_error_strerror(&err))));
        }
        const zip_int64_t n = zip_get_num_entries(za_, 0);
        if (n < 0 || n > kMaxEntries) fail(QStringLiteral("it holds too many parts"));
    }
    ~Package() {
        if (za_) zip_discard(za_);
    }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    bool has(const QString& name) const { return locate(name) >= 0; }

    QByteArray read(const QString& name, qint64 limit) {
        const zip_int64_t idx = locate(name);
        if (idx < 0) fail(QStringLiteral("the part \"%1\" is missing").arg(name));
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za_, static_cast<zip_uint64_t>(idx), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
            fail(QStringLiteral("the part \"%1\" cannot be read").arg(name));
        if (st.size > static_cast<zip_uint64_t>(limit) || total_ + static_cast<qint64>(st.size) > kMaxTotalUnpacked)
            fail(QStringLiteral("the part \"%1\" is too large").arg(name));
        zip_file_t* f = zip_fopen_index(za_, static_cast<zip_uint64_t>(idx), 0);
        if (!f) fail(QStringLiteral("the part \"%1\" cannot be read").arg(name));
        QByteArray out;
        out.resize(static_cast<qsizetype>(st.size));
        // The size in the header is checked against what really comes out.
        const zip_int64_t got = zip_fread(f, out.data(), st.size);
        char extra;
        const zip_int64_t more = got == static_cast<zip_int64_t>(st.size) ? zip_fread(f, &extra, 1) : 0;
        zip_fclose(f);
        if (got != static_cast<zip_int64_t>(st.size) || more != 0)
            fail(QStringLiteral("the part \"%1\" is damaged").arg(name));
        total_ += static_cast<qint64>(st.size);
        return out;
    }

private:
    zip_int64_t locate(const QString& name) const {
        zip_int64_t i = zip_name_locate(za_, name.toUtf8().constData(), ZIP_FL_ENC_GUESS);
        if (i < 0) i = zip_name_locate(za_, name.toUtf8().constData(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS);
        return i;
    }
    QByteArray bytes_;
    zip_t* za_ = nullptr;
    qint64 total_ = 0;
};

// ---------------------------------------------------------------------------------------
// Value parsing.

bool parseDouble(QStringView s, double& v) {
    bool ok = false;
    v = s.toDouble(&ok);
    return ok && std::isfinite(v);
}

// Twips, also given as a universal measure ("2.5cm", "12pt").
int twipsOf(QStringView s, int fallback = 0) {
    static const std::pair<const char*, double> units[] = {{"mm", 56.692913}, {"cm", 566.92913}, {"in", 1440.0},
                                                           {"pt", 20.0},      {"pc", 240.0},     {"pi", 240.0}};
    double v = 0, k = 1.0;
    QStringView body = s.trimmed();
    for (auto [u, f] : units)
        if (body.endsWith(QLatin1String(u))) {
            body.chop(2);
            k = f;
            break;
        }
    if (!parseDouble(body, v)) return fallback;
    return static_cast<int>(std::clamp(std::round(v * k), -2.0e6, 2.0e6));
}

bool onOffOf(const QXmlStreamAttributes& a) {
    const QStringView v = a.value(W, QStringLiteral("val"));
    if (v.isNull()) return true;
    return !(v == u"0" || v == u"false" || v == u"off" || v == u"none");
}

std::int64_t emuOf(QStringView s) {
    double v = 0;
    if (!parseDouble(s, v)) return 0;
    return static_cast<std::int64_t>(std::clamp(v, 0.0, 2.0e11));
}

// Width and height of a PNG from its header, without decoding it.
// An EMF's size from its header's bounds (device units); invalid when out of reason.
QSize emfSize(const QByteArray& emf) {
    if (emf.size() < 88) return {};
    auto i32 = [&emf](int at) {
        return qint32(quint32(uchar(emf[at])) | (quint32(uchar(emf[at + 1])) << 8) | (quint32(uchar(emf[at + 2])) << 16)
                      | (quint32(uchar(emf[at + 3])) << 24));
    };
    const qint64 w = qint64(i32(16)) - i32(8) + 1, h = qint64(i32(20)) - i32(12) + 1;
    if (w < 1 || h < 1 || w > 20000 || h > 20000) return {};
    return QSize(int(w), int(h));
}

QSize pngSize(const QByteArray& png) {
    if (png.size() < 24 || !png.startsWith("\x89PNG\r\n\x1a\n")) return {};
    auto be = [&](int at) {
        return (static_cast<quint32>(static_cast<uchar>(png[at])) << 24) | (static_cast<quint32>(static_cast<uchar>(png[at + 1])) << 16)
            | (static_cast<quint32>(static_cast<uchar>(png[at + 2])) << 8) | static_cast<quint32>(static_cast<uchar>(png[at + 3]));
    };
    const quint32 w = be(16), h = be(20);
    if (w == 0 || h == 0 || w > 100000 || h > 100000) return {};
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

QString resolveTarget(const QString& baseDir, QString target) {
    if (target.startsWith('/')) return target.mid(1);
    QStringList parts = baseDir.isEmpty() ? QStringList() : baseDir.split('/', Qt::SkipEmptyParts);
    for (const QString& p : target.split('/', Qt::SkipEmptyParts)) {
        if (p == QLatin1String(".")) continue;
        if (p == QLatin1String("..")) {
            if (!parts.isEmpty()) parts.removeLast();
        } else
            parts << p;
    }
    return parts.join('/');
}

// ---------------------------------------------------------------------------------------

class Xml {
public:
    explicit Xml(const QByteArray& data) : r_(data) {}
    QXmlStreamReader& r() { return r_; }

    // Next start element inside the current one; false at its end.
    bool child() {
        while (true) {
            const auto t = r_.readNext();
            if (t == QXmlStreamReader::StartElement) {
                if (++depth_ > kMaxDepth) fail(QStringLiteral("its content is nested too deeply"));
                return true;
            }
            if (t == QXmlStreamReader::EndElement) {
                --depth_;
                return false;
            }
            if (t == QXmlStreamReader::DTD) fail(QStringLiteral("it declares a document type, which is not allowed"));
            if (t == QXmlStreamReader::Invalid) fail(QStringLiteral("its XML is malformed (%1)").arg(r_.errorString()));
            if (t == QXmlStreamReader::EndDocument) fail(QStringLiteral("its XML ends too early"));
        }
    }
    // Moves to the root element.
    void root() {
        while (!r_.atEnd()) {
            const auto t = r_.readNext();
            if (t == QXmlStreamReader::StartElement) {
                depth_ = 1;
                return;
            }
            if (t == QXmlStreamReader::DTD) fail(QStringLiteral("it declares a document type, which is not allowed"));
        }
        fail(QStringLiteral("its XML is malformed (%1)").arg(r_.errorString()));
    }
    void skip() {
        int level = 1;
        while (level > 0) {
            const auto t = r_.readNext();
            if (t == QXmlStreamReader::StartElement) {
                ++level;
                if (depth_ + level > kMaxDepth) fail(QStringLiteral("its content is nested too deeply"));
            } else if (t == QXmlStreamReader::EndElement)
                --level;
            else if (t == QXmlStreamReader::Invalid)
                fail(QStringLiteral("its XML is malformed (%1)").arg(r_.errorString()));
            else if (t == QXmlStreamReader::EndDocument)
                fail(QStringLiteral("its XML ends too early"));
        }
        --depth_;
    }
    // After a caller has read an element's subtree itself, up to and including its end.
    void endOfSkipped() { --depth_; }
    QString text() {
        QString out;
        while (true) {
            const auto t = r_.readNext();
            if (t == QXmlStreamReader::Characters) out += r_.text();
            else if (t == QXmlStreamReader::StartElement) {
                ++depth_;
                skip();
            } else if (t == QXmlStreamReader::EndElement) {
                --depth_;
                return out;
            } else if (t == QXmlStreamReader::Invalid)
                fail(QStringLiteral("its XML is malformed (%1)").arg(r_.errorString()));
            else if (t == QXmlStreamReader::EndDocument)
                fail(QStringLiteral("its XML ends too early"));
        }
    }
    bool is(const QString& ns, const char* name) const {
        return r_.namespaceUri() == ns && r_.name() == QLatin1String(name);
    }
    bool isW(const char* name) const { return is(W, name); }
    QStringView attrW(const char* name) const { return r_.attributes().value(W, QLatin1String(name)); }
    QStringView attr(const char* name) const { return r_.attributes().value(QLatin1String(name)); }

private:
    QXmlStreamReader r_;
    int depth_ = 0;
};

class DocReader {
public:
    DocReader(Package& pkg, QString partDir, QHash<QString, QString> rels)
        : pkg_(pkg), dir_(std::move(partDir)), rels_(std::move(rels)) {}

    void parse(const QByteArray& xml, Story& body, std::vector<Section>& sections) {
        Xml x(xml);
        x.root();
        if (!x.isW("document")) fail(QStringLiteral("its main part is not a word-processor document"));
        bool sawBody = false;
        while (x.child()) {
            if (x.isW("body")) {
                sawBody = true;
                body.blocks.clear();
                blocks(x, body, true);
            } else
                x.skip();
        }
        if (!sawBody) fail(QStringLiteral("it has no body"));
        ops::ensureTrailingParagraph(body);
        sections = std::move(sections_);
        sections.push_back(finalSection_);
    }

private:
    void blocks(Xml& x, Story& s, bool body) {
        while (x.child()) {
            if (x.isW("p")) {
                s.blocks.push_back(Block{paragraph(x, body)});
            } else if (x.isW("tbl")) {
                std::optional<Table> t = table(x);
                if (t) s.blocks.push_back(Block{std::move(*t)});
            } else if (x.isW("sectPr") && body) {
                finalSection_ = section(x);
            } else if (x.isW("sdt")) {
                while (x.child()) {
                    if (x.isW("sdtContent")) blocks(x, s, body);
                    else x.skip();
                }
            } else if (x.isW("customXml")) {
                blocks(x, s, body);
            } else {
                x.skip();
            }
        }
    }

    Section section(Xml& x) {
        Section sec;
        PageSetup& ps = sec.pageSetup;
        Twips* f = DocxAccess::pageFields(ps);
        while (x.child()) {
            if (x.isW("type")) {
                const QStringView v = x.attrW("val");
                sec.start = v == u"continuous" ? SectionStart::Continuous
                    : v == u"evenPage"         ? SectionStart::EvenPage
                    : v == u"oddPage"          ? SectionStart::OddPage
                                               : SectionStart::NextPage;
                x.skip();
            } else if (x.isW("pgSz")) {
                f[0] = Twips(std::max(1, twipsOf(x.attrW("w"), f[0].value)));
                f[1] = Twips(std::max(1, twipsOf(x.attrW("h"), f[1].value)));
                DocxAccess::orientation(ps) = x.attrW("orient") == u"landscape" ? Orientation::Landscape : Orientation::Portrait;
                x.skip();
            } else if (x.isW("pgMar")) {
                f[2] = Twips(twipsOf(x.attrW("top"), f[2].value));
                f[3] = Twips(twipsOf(x.attrW("bottom"), f[3].value));
                f[4] = Twips(twipsOf(x.attrW("left"), f[4].value));
                f[5] = Twips(twipsOf(x.attrW("right"), f[5].value));
                f[6] = Twips(twipsOf(x.attrW("header"), f[6].value));
                f[7] = Twips(twipsOf(x.attrW("footer"), f[7].value));
                f[8] = Twips(twipsOf(x.attrW("gutter"), f[8].value));
                x.skip();
            } else if (x.isW("titlePg")) {
                DocxAccess::titlePage(ps) = onOffOf(x.r().attributes());
                x.skip();
            } else {
                x.skip();
            }
        }
        return sec;
    }

    RunFormat runFormat(Xml& x) {
        RunFormat f;
        while (x.child()) {
            if (x.isW("rFonts")) {
                QStringView n = x.attrW("ascii");
                if (n.isEmpty()) n = x.attrW("hAnsi");
                if (!n.isEmpty()) f.fontName = n.left(200).toString();
            } else if (x.isW("b")) {
                f.bold = onOffOf(x.r().attributes());
            } else if (x.isW("i")) {
                f.italic = onOffOf(x.r().attributes());
            } else if (x.isW("vanish")) {
                f.hidden = onOffOf(x.r().attributes());
            } else if (x.isW("u")) {
                const QStringView v = x.attrW("val");
                f.underline = !(v == u"none" || v == u"0");
            } else if (x.isW("color")) {
                bool ok = false;
                const uint c = x.attrW("val").toUInt(&ok, 16);
                if (ok) f.colour = c & 0xFFFFFFu;
            } else if (x.isW("sz")) {
                const QStringView v = x.attrW("val");
                double half = 0;
                if (v.endsWith(u"pt")) {
                    if (parseDouble(v.chopped(2), half)) half *= 2;
                } else if (!parseDouble(v, half))
                    half = 0;
                if (half >= 1 && half <= 3276) f.size = Points(std::round(half) / 2.0);
            }
            x.skip();
        }
        return f;
    }

    Paragraph paragraph(Xml& x, bool body) {
        if (++paragraphs_ > kMaxParagraphs) fail(QStringLiteral("it holds too many paragraphs"));
        Paragraph p;
        while (x.child()) {
            if (x.isW("pPr")) {
                while (x.child()) {
                    if (x.isW("spacing")) {
                        if (!x.attrW("before").isNull()) p.format.spaceBefore = toPoints(Twips(std::max(0, twipsOf(x.attrW("before")))));
                        if (!x.attrW("after").isNull()) p.format.spaceAfter = toPoints(Twips(std::max(0, twipsOf(x.attrW("after")))));
                        x.skip();
                    } else if (x.isW("jc")) {
                        const QStringView v = x.attrW("val");
                        if (v == u"center") p.format.alignment = Alignment::Centre;
                        else if (v == u"right" || v == u"end") p.format.alignment = Alignment::Right;
                        else if (v == u"both" || v == u"distribute") p.format.alignment = Alignment::Justify;
                        else if (v == u"left" || v == u"start") p.format.alignment = Alignment::Left;
                        x.skip();
                    } else if (x.isW("rPr")) {
                        p.markFormat = runFormat(x);
                    } else if (x.isW("sectPr") && body) {
                        sections_.push_back(section(x));
                        DocxAccess::endsSection(p) = true;
                    } else {
                        x.skip();
                    }
                }
            } else {
                inlineContent(x, p);
            }
        }
        return p;
    }

    // Runs and the containers that hold runs (links, fields, revisions, content controls).
    void inlineContent(Xml& x, Paragraph& p) {
        if (x.isW("r")) {
            run(x, p);
        } else if (x.isW("hyperlink") || x.isW("smartTag") || x.isW("ins") || x.isW("fldSimple")
                   || x.isW("customXml") || x.isW("sdtContent") || x.isW("sdt") || x.isW("dir") || x.isW("bdo")) {
            while (x.child()) {
                if (x.isW("sdtPr") || x.isW("sdtEndPr") || x.isW("smartTagPr") || x.isW("customXmlPr")) x.skip();
                else inlineContent(x, p);
            }
        } else if (x.is(MC, "AlternateContent")) {
            alternate(x, [&] { inlineContent(x, p); });
        } else {
            x.skip();
        }
    }

    template <typename F>
    void alternate(Xml& x, F&& onChild) {
        bool taken = false;
        while (x.child()) {
            if (x.is(MC, "Choice") && !taken) {
                const QStringView req = x.attr("Requires");
                if (req == u"wps" || req == u"wpg" || req == u"wp14") {
                    taken = true;
                    while (x.child()) onChild();
                } else
                    x.skip();
            } else if (x.is(MC, "Fallback") && !taken) {
                taken = true;
                while (x.child()) onChild();
            } else {
                x.skip();
            }
        }
    }

    void run(Xml& x, Paragraph& p) {
        RunFormat fmt;
        QString text;
        auto flush = [&] {
            if (text.isEmpty()) return;
            if (!p.items.empty()) {
                if (auto* last = std::get_if<TextRun>(&p.items.back()); last && last->format == fmt) {
                    last->text += text;
                    text.clear();
                    return;
                }
            }
            p.items.push_back(Inline{TextRun{text, fmt}});
            text.clear();
        };
        std::function<void()> content = [&] {
            if (x.isW("rPr")) {
                fmt = runFormat(x);
            } else if (x.isW("t")) {
                text += x.text();
            } else if (x.isW("tab")) {
                text += QChar('\t');
                x.skip();
            } else if (x.isW("br")) {
                text += x.attrW("type") == u"page" ? QChar(0x0C) : QChar(0x0B);
                x.skip();
            } else if (x.isW("cr")) {
                text += QChar(0x0B);
                x.skip();
            } else if (x.isW("noBreakHyphen")) {
                text += QChar('-');
                x.skip();
            } else if (x.isW("drawing")) {
                flush();
                drawing(x, p, fmt);
            } else if (x.is(MC, "AlternateContent")) {
                alternate(x, content);
            } else {
                x.skip();
            }
            if (text.size() > 10'000'000) fail(QStringLiteral("a paragraph is too long"));
        };
        while (x.child()) content();
        flush();
        if (p.items.size() > static_cast<size_t>(kMaxInlineItems) || (items_ += 1) > kMaxInlineItems)
            fail(QStringLiteral("it holds too many runs"));
    }

    void drawing(Xml& x, Paragraph& p, const RunFormat& fmt) {
        // The drawing's parts are gathered from its subtree, whatever wraps them.
        struct Found {
            bool inlineKind = false, anchor = false, line = false;
            std::int64_t cx = 0, cy = 0, offX = 0, offY = 0;
            QString descr, embed;
            QString wrap;
            std::int64_t distT = 0, distB = 0, distL = 0, distR = 0;
            bool allowOverlap = true, flipH = false, flipV = false;
            int alpha = 100000;
        } f;
        int level = 1;
        QString inPos;
        bool sawExtent = false;
        QXmlStreamReader& r = x.r();
        while (level > 0) {
            const auto t = r.readNext();
            if (t == QXmlStreamReader::StartElement) {
                ++level;
                if (level > kMaxDepth) fail(QStringLiteral("its content is nested too deeply"));
                const QStringView n = r.name();
                const QXmlStreamAttributes a = r.attributes();
                if (n == u"inline") f.inlineKind = true;
                else if (n == u"anchor") {
                    f.anchor = true;
                    f.distT = emuOf(a.value(QLatin1String("distT")));
                    f.distB = emuOf(a.value(QLatin1String("distB")));
                    f.distL = emuOf(a.value(QLatin1String("distL")));
                    f.distR = emuOf(a.value(QLatin1String("distR")));
                    f.allowOverlap = a.value(QLatin1String("allowOverlap")) != u"0";
                } else if (n == u"extent" && !sawExtent) {
                    sawExtent = true;
                    f.cx = emuOf(a.value(QLatin1String("cx")));
                    f.cy = emuOf(a.value(QLatin1String("cy")));
                } else if (n == u"docPr") {
                    f.descr = a.value(QLatin1String("descr")).left(100000).toString();
                } else if (n == u"blip") {
                    f.embed = a.value(R, QLatin1String("embed")).toString();
                } else if (n == u"prstGeom" && a.value(QLatin1String("prst")) == u"line") {
                    f.line = true;
                } else if (n == u"positionH" || n == u"positionV") {
                    inPos = n.toString();
                } else if (n == u"posOffset") {
                    double v = 0;
                    const QString txt = r.readElementText();
                    --level;
                    if (parseDouble(txt, v)) (inPos == u"positionH" ? f.offX : f.offY) = static_cast<std::int64_t>(std::clamp(v, -2.0e11, 2.0e11));
                } else if (n == u"wrapSquare" || n == u"wrapTight" || n == u"wrapThrough" || n == u"wrapTopAndBottom" || n == u"wrapNone") {
                    f.wrap = n.toString();
                } else if (n == u"xfrm") {
                    f.flipH = a.value(QLatin1String("flipH")) == u"1";
                    f.flipV = a.value(QLatin1String("flipV")) == u"1";
                } else if (n == u"alpha") {
                    double v = 100000;
                    if (parseDouble(a.value(QLatin1String("val")), v)) f.alpha = static_cast<int>(std::clamp(v, 0.0, 100000.0));
                }
            } else if (t == QXmlStreamReader::EndElement) {
                --level;
            } else if (t == QXmlStreamReader::Invalid) {
                fail(QStringLiteral("its XML is malformed (%1)").arg(r.errorString()));
            } else if (t == QXmlStreamReader::EndDocument) {
                fail(QStringLiteral("its XML ends too early"));
            }
        }
        x.endOfSkipped();
        if (f.anchor && f.line && f.embed.isEmpty()) {
            FloatingLine l;
            const Points x0 = toPoints(Emu(f.offX)), y0 = toPoints(Emu(f.offY));
            const Points w = toPoints(Emu(f.cx)), h = toPoints(Emu(f.cy));
            l.beginX = f.flipH ? x0 + w : x0;
            l.endX = f.flipH ? x0 : x0 + w;
            l.beginY = f.flipV ? y0 + h : y0;
            l.endY = f.flipV ? y0 : y0 + h;
            l.transparency = 1.0 - f.alpha / 100000.0;
            l.wrap = f.wrap == u"wrapTight" || f.wrap == u"wrapThrough" ? WrapType::Tight
                : f.wrap == u"wrapTopAndBottom"                           ? WrapType::TopAndBottom
                                                                          : WrapType::Square;
            l.allowOverlap = f.allowOverlap;
            l.distanceTop = toPoints(Emu(f.distT));
            l.distanceBottom = toPoints(Emu(f.distB));
            l.distanceLeft = toPoints(Emu(f.distL));
            l.distanceRight = toPoints(Emu(f.distR));
            p.items.push_back(Inline{l});
            return;
        }
        if (f.embed.isEmpty()) return;   // a drawing without a picture of its own: not kept
        QByteArray png = media(f.embed);
        if (png.isEmpty()) return;
        if (++pictures_ > kMaxPictures) fail(QStringLiteral("it holds too many pictures"));
        QSize mida = InlinePicture::isEmf(png) ? emfSize(png) : pngSize(png);
        if (!mida.isValid())
            mida = midesMedia_.value(rels_.value(f.embed));
        InlinePicture pic = ops::makePicture(png, mida);
        pic.setAlternativeText(f.descr);
        DocxAccess::cx(pic) = Emu(f.cx);
        DocxAccess::cy(pic) = Emu(f.cy);
        pic.format() = fmt;
        p.items.push_back(Inline{std::move(pic)});
    }

    // The picture of a relationship as PNG; other formats are converted when that is cheap,
    // else kept as they are.
    QByteArray media(const QString& relId) {
        auto rel = rels_.constFind(relId);
        if (rel == rels_.constEnd()) return {};
        auto cached = media_.constFind(*rel);
        if (cached != media_.constEnd()) return *cached;
        QByteArray data;
        if (pkg_.has(*rel)) {
            data = pkg_.read(*rel, kMaxMediaSize);
            // An EMF picture is kept as it is (the program's own vector codes).
            if (!pngSize(data).isValid() && !(InlinePicture::isEmf(data) && emfSize(data).isValid())) {
                // Decoded only once its structure says what it costs (a JPEG of thousands of
                // scans is minutes of decoding in a few kilobytes); one that asks too much is
                // kept as it is, for the frame to show as a box and a save to keep.
                const imatges::Examen e = imatges::Examina(data, ops::PressupostConversio());
                QByteArray png;
                if (const QImage img = imatges::Decodifica(e); !img.isNull()) {
                    QBuffer buf(&png);
                    buf.open(QIODevice::WriteOnly);
                    img.save(&buf, "PNG");
                } else {
                    // Not converted (too costly, or a format not decoded here): the user's
                    // picture stays as it was, shown as a box and saved back unchanged.
                    png = data;
                    if (e.mida.isValid())
                        midesMedia_.insert(*rel, e.mida);
                }
                data = png;
            }
        }
        media_.insert(*rel, data);
        return data;
    }

    std::optional<Table> table(Xml& x) {
        Table t;
        t.outsideBorder = LineStyle::None;
        t.insideBorder = LineStyle::None;
        std::vector<int> grid;
        while (x.child()) {
            if (x.isW("tblPr")) {
                while (x.child()) {
                    if (x.isW("tblBorders")) {
                        while (x.child()) {
                            const QStringView v = x.attrW("val");
                            const bool on = !(v.isEmpty() || v == u"nil" || v == u"none");
                            const QStringView n = x.r().name();
                            if (n == u"insideH" || n == u"insideV") {
                                if (on) t.insideBorder = LineStyle::Single;
                            } else if (on)
                                t.outsideBorder = LineStyle::Single;
                            x.skip();
                        }
                    } else if (x.isW("tblLayout")) {
                        t.allowAutoFit = x.attrW("type") != u"fixed";
                        x.skip();
                    } else if (x.isW("tblCellMar")) {
                        t.defaultPaddings = paddings(x);
                    } else {
                        x.skip();
                    }
                }
            } else if (x.isW("tblGrid")) {
                while (x.child()) {
                    if (x.isW("gridCol") && grid.size() < ops::kMaxTableColumns)
                        grid.push_back(std::max(0, twipsOf(x.attrW("w"))));
                    x.skip();
                }
            } else if (x.isW("tr")) {
                if (t.rowCount() >= ops::kMaxTableRows) fail(QStringLiteral("a table has too many rows"));
                Row row = tableRow(x, grid);
                if (!row.cells.empty()) t.rows.push_back(std::move(row));
            } else {
                x.skip();
            }
        }
        if (t.rows.empty()) return std::nullopt;
        return t;
    }

    Paddings paddings(Xml& x) {
        Paddings p;
        while (x.child()) {
            const QStringView n = x.r().name();
            const Twips v(std::max(0, twipsOf(x.attrW("w"))));
            if (n == u"top") p.top = v;
            else if (n == u"bottom") p.bottom = v;
            else if (n == u"left" || n == u"start") p.left = v;
            else if (n == u"right" || n == u"end") p.right = v;
            x.skip();
        }
        return p;
    }

    Row tableRow(Xml& x, const std::vector<int>& grid) {
        Row row;
        size_t gridAt = 0;
        while (x.child()) {
            if (x.isW("trPr")) {
                while (x.child()) {
                    if (x.isW("trHeight")) {
                        const QStringView rule = x.attrW("hRule");
                        const int h = std::max(0, twipsOf(x.attrW("val")));
                        const HeightRule hr = rule == u"exact" ? HeightRule::Exactly
                            : rule == u"auto"                  ? HeightRule::Auto
                                                               : HeightRule::AtLeast;
                        DocxAccess::height(row) = Twips(h);
                        DocxAccess::rule(row) = h == 0 && hr == HeightRule::AtLeast ? HeightRule::Auto : hr;
                    } else if (x.isW("cantSplit")) {
                        row.allowBreakAcrossPages = !onOffOf(x.r().attributes());
                    }
                    x.skip();
                }
            } else if (x.isW("tc")) {
                if (row.cells.size() >= ops::kMaxTableColumns) fail(QStringLiteral("a table has too many columns"));
                if (++paragraphs_ > kMaxParagraphs) fail(QStringLiteral("it holds too many table cells"));
                Cell c;
                c.story.blocks.clear();
                std::optional<int> width;
                int span = 1;
                while (x.child()) {
                    if (x.isW("tcPr")) {
                        while (x.child()) {
                            if (x.isW("tcW")) {
                                const QStringView type = x.attrW("type");
                                if (type.isEmpty() || type == u"dxa") width = std::max(0, twipsOf(x.attrW("w")));
                                x.skip();
                            } else if (x.isW("gridSpan")) {
                                span = std::clamp(x.attrW("val").toInt(), 1, ops::kMaxTableColumns);
                                x.skip();
                            } else if (x.isW("tcMar")) {
                                c.paddings = paddings(x);
                            } else {
                                x.skip();
                            }
                        }
                    } else if (x.isW("p")) {
                        c.story.blocks.push_back(Block{paragraph(x, false)});
                    } else if (x.isW("tbl")) {
                        if (auto inner = table(x)) c.story.blocks.push_back(Block{std::move(*inner)});
                    } else if (x.isW("sdt") || x.isW("customXml")) {
                        blocksInto(x, c.story);
                    } else {
                        x.skip();
                    }
                }
                if (!width) {
                    int w = 0;
                    for (size_t g = gridAt; g < gridAt + static_cast<size_t>(span) && g < grid.size(); ++g) w += grid[g];
                    width = w;
                }
                gridAt += static_cast<size_t>(span);
                DocxAccess::width(c) = Twips(*width);
                ops::ensureTrailingParagraph(c.story);
                row.cells.push_back(std::move(c));
            } else {
                x.skip();
            }
        }
        return row;
    }

    void blocksInto(Xml& x, Story& s) {
        while (x.child()) {
            if (x.isW("sdtContent")) blocks(x, s, false);
            else if (x.isW("p")) s.blocks.push_back(Block{paragraph(x, false)});
            else x.skip();
        }
    }

    Package& pkg_;
    QString dir_;
    QHash<QString, QString> rels_;
    QHash<QString, QByteArray> media_;
    QHash<QString, QSize> midesMedia_;   // of the pictures kept in their own format
    std::vector<Section> sections_;
    Section finalSection_;
    int pictures_ = 0;
    int paragraphs_ = 0;
    int items_ = 0;
};

QHash<QString, QString> readRels(Package& pkg, const QString& relsName, const QString& baseDir) {
    QHash<QString, QString> out;
    if (!pkg.has(relsName)) return out;
    Xml x(pkg.read(relsName, kMaxXmlPartSize));
    x.root();
    while (x.child()) {
        if (x.r().name() == u"Relationship" && x.attr("TargetMode") != u"External")
            out.insert(x.attr("Id").toString(), resolveTarget(baseDir, x.attr("Target").toString()));
        x.skip();
        if (out.size() > kMaxEntries) fail(QStringLiteral("it holds too many relationships"));
    }
    return out;
}

QString mainPart(Package& pkg) {
    const QString officeDocument = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument");
    if (pkg.has(QStringLiteral("_rels/.rels"))) {
        Xml x(pkg.read(QStringLiteral("_rels/.rels"), kMaxXmlPartSize));
        x.root();
        while (x.child()) {
            if (x.r().name() == u"Relationship" && x.attr("Type") == officeDocument) {
                const QString target = resolveTarget(QString(), x.attr("Target").toString());
                x.skip();
                if (pkg.has(target)) return target;
                continue;
            }
            x.skip();
        }
    }
    if (pkg.has(QStringLiteral("word/document.xml"))) return QStringLiteral("word/document.xml");
    fail(QStringLiteral("it is not a word-processor document"));
}

void readStyles(Package& pkg, const QString& name, RunFormat& defaults) {
    if (!pkg.has(name)) return;
    Xml x(pkg.read(name, kMaxXmlPartSize));
    x.root();
    while (x.child()) {
        if (x.isW("docDefaults")) {
            while (x.child()) {
                if (x.isW("rPrDefault")) {
                    while (x.child()) {
                        if (x.isW("rPr")) {
                            while (x.child()) {
                                if (x.isW("rFonts")) {
                                    const QStringView n = x.attrW("ascii");
                                    if (!n.isEmpty()) defaults.fontName = n.left(200).toString();
                                } else if (x.isW("sz")) {
                                    const int half = x.attrW("val").toInt();
                                    if (half >= 1 && half <= 3276) defaults.size = Points(half / 2.0);
                                }
                                x.skip();
                            }
                        } else
                            x.skip();
                    }
                } else
                    x.skip();
            }
        } else {
            x.skip();
        }
    }
}

bool readMirrorMargins(Package& pkg, const QString& name) {
    if (!pkg.has(name)) return false;
    Xml x(pkg.read(name, kMaxXmlPartSize));
    x.root();
    bool on = false;
    while (x.child()) {
        if (x.isW("mirrorMargins")) on = onOffOf(x.r().attributes());
        x.skip();
    }
    return on;
}

} // namespace

std::unique_ptr<Document> Document::fromBytes(const QByteArray& docx, const QString& name) {
    std::unique_ptr<Document> d(new Document());
    try {
        if (docx.size() > kMaxPackageSize) fail(QStringLiteral("it is too large"));
        Package pkg(docx);
        const QString main = mainPart(pkg);
        const QString dir = main.contains('/') ? main.section('/', 0, -2) : QString();
        const QString relsName = (dir.isEmpty() ? QString() : dir + '/') + QStringLiteral("_rels/") + main.section('/', -1) + QStringLiteral(".rels");
        QHash<QString, QString> rels = readRels(pkg, relsName, dir);
        const QString styleType = QStringLiteral("styles.xml");
        readStyles(pkg, resolveTarget(dir, styleType), d->defaults_);
        d->mirrorMargins_ = readMirrorMargins(pkg, resolveTarget(dir, QStringLiteral("settings.xml")));
        DocReader reader(pkg, dir, std::move(rels));
        reader.parse(pkg.read(main, kMaxXmlPartSize), d->body_, d->sections_);
    } catch (const Failure& f) {
        throw WordError(QStringLiteral("The document \"%1\" cannot be read: %2.").arg(name, f.why));
    } catch (const std::bad_alloc&) {
        throw WordError(QStringLiteral("The document \"%1\" cannot be read: it is too large.").arg(name));
    }
    d->assignIds(d->body_);
    d->syncSections();
    d->selection_ = Range(*d, d->body_, {}, {});
    d->saved_ = true;
    return d;
}

std::unique_ptr<Document> Document::open(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw WordError(QStringLiteral("The document \"%1\" cannot be opened: %2").arg(path, f.errorString()));
    if (f.size() > kMaxPackageSize)
        throw WordError(QStringLiteral("The document \"%1\" cannot be read: it is too large.").arg(path));
    const QByteArray bytes = f.read(kMaxPackageSize + 1);
    std::unique_ptr<Document> d = fromBytes(bytes, path);
    d->fullName_ = QFileInfo(path).absoluteFilePath();
    return d;
}

} // namespace kovel::word

#pragma once
// Internal helpers of the document model shared by the model, ranges and the .docx codec.
#include "platform/word/Document.h"
#include "platform/imatges/LecturaImatge.h"

#include <functional>

namespace kovel::word {

// The codec and the helpers reach the private parts through here.
struct DocxAccess {
    static std::uint64_t& id(InlinePicture& p) { return p.id_; }
    static QByteArray& png(InlinePicture& p) { return p.png_; }
    static QSize& pixels(InlinePicture& p) { return p.pixelSize_; }
    static Emu& cx(InlinePicture& p) { return p.cx_; }
    static Emu& cy(InlinePicture& p) { return p.cy_; }
    static bool& endsSection(Paragraph& p) { return p.endsSection_; }
    static Twips& width(Cell& c) { return c.width_; }
    static Twips& height(Row& r) { return r.height_; }
    static HeightRule& rule(Row& r) { return r.rule_; }
    static Twips* pageFields(PageSetup& s) { return &s.pageWidth_; } // pageWidth .. gutter, 9 fields
    static Orientation& orientation(PageSetup& s) { return s.orientation_; }
    static bool& titlePage(PageSetup& s) { return s.titlePage_; }
    static std::vector<Section>& sections(Document& d) { return d.sections_; }
    static std::uint64_t& nextId(Document& d) { return d.nextId_; }
    static void assignIds(Document& d, Story& s) { d.assignIds(s); }
    static void setFullName(Document& d, const QString& n) { d.fullName_ = n; }
};

namespace ops {

// A picture of another format read into the model (kept as PNG) is decoded only when its
// structure asks for no more than this.
inline imatges::Pressupost PressupostConversio()
{
    imatges::Pressupost p;
    p.costatMaxim = 20000;
    p.pixels = 32 << 20;
    return p;
}
inline QImage LlegeixImatge(const QByteArray& bytes) { return imatges::Llegeix(bytes, PressupostConversio()); }

constexpr int kMaxTableRows = 100000;
constexpr int kMaxTableColumns = 63;

inline int itemLength(const Inline& it) {
    if (auto* r = std::get_if<TextRun>(&it)) return static_cast<int>(r->text.size());
    if (std::holds_alternative<InlinePicture>(it)) return 1;
    return 0;
}

inline InlinePicture makePicture(QByteArray png, QSize pixels) {
    InlinePicture p;
    DocxAccess::png(p) = std::move(png);
    DocxAccess::pixels(p) = pixels;
    return p;
}

// A story always ends with a paragraph.
inline void ensureTrailingParagraph(Story& s) {
    if (s.blocks.empty() || !s.blocks.back().isParagraph()) s.blocks.push_back(Block{Paragraph{}});
}

// Makes an item boundary at `offset` and returns the index of the first item at or after it.
int splitItems(Paragraph& p, int offset);

// Splits the paragraph block at the offset: the block keeps the left part, a new block after
// it takes the right part, the paragraph mark (its section end) and the same format.
void splitParagraphBlock(Story& s, int block, int offset);

// Joins the paragraph after `block` into it (the mark of `block` goes away).
void joinWithNext(Story& s, int block);

// Removes [from, to) of a paragraph's positions.
void eraseRange(Paragraph& p, int from, int to);

// Format in force at a position: the run before it, else the run after it, else the mark.
RunFormat formatAt(const Paragraph& p, int offset);

// Inserts a text run at the offset, merged into a neighbouring run of the same format.
void insertRun(Paragraph& p, int offset, const QString& text, const RunFormat& format);

const Cell* findCellOf(const Story& root, const Story* target);

void forEachParagraph(Story& s, const std::function<void(Paragraph&)>& f);

std::optional<Range> locatePicture(Document& d, Story& s, std::uint64_t id);

// Height a row takes: exact rows their height, the others at least their content.
inline double rowLayoutHeight(const Row& r, double content) {
    switch (r.heightRule()) {
    case HeightRule::Exactly: return r.height().value;
    case HeightRule::AtLeast: return std::max(r.height().value, content);
    case HeightRule::Auto: break;
    }
    return content;
}

} // namespace ops
} // namespace kovel::word

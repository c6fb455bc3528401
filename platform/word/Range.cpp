#include "platform/word/Document.h"
#include "platform/word/ModelOps.h"

#include <QRegularExpression>

#include <algorithm>

namespace kovel::word {
namespace ops {

int splitItems(Paragraph& p, int offset) {
    int pos = 0;
    for (size_t i = 0; i < p.items.size(); ++i) {
        if (pos >= offset) return static_cast<int>(i);
        const int len = itemLength(p.items[i]);
        if (offset < pos + len) {
            auto& run = std::get<TextRun>(p.items[i]);
            TextRun right{run.text.mid(offset - pos), run.format};
            run.text.truncate(offset - pos);
            p.items.insert(p.items.begin() + static_cast<long>(i) + 1, Inline{std::move(right)});
            return static_cast<int>(i) + 1;
        }
        pos += len;
    }
    return static_cast<int>(p.items.size());
}

void splitParagraphBlock(Story& s, int block, int offset) {
    Paragraph& left = s.blocks[static_cast<size_t>(block)].paragraph();
    Paragraph right;
    right.format = left.format;
    right.markFormat = left.markFormat;
    DocxAccess::endsSection(right) = left.endsSection();
    DocxAccess::endsSection(left) = false;
    const int idx = splitItems(left, offset);
    right.items.assign(std::make_move_iterator(left.items.begin() + idx), std::make_move_iterator(left.items.end()));
    left.items.erase(left.items.begin() + idx, left.items.end());
    s.blocks.insert(s.blocks.begin() + block + 1, Block{std::move(right)});
}

void joinWithNext(Story& s, int block) {
    Paragraph& p = s.blocks[static_cast<size_t>(block)].paragraph();
    Paragraph& n = s.blocks[static_cast<size_t>(block) + 1].paragraph();
    for (Inline& it : n.items) p.items.push_back(std::move(it));
    DocxAccess::endsSection(p) = n.endsSection();
    s.blocks.erase(s.blocks.begin() + block + 1);
}

void eraseRange(Paragraph& p, int from, int to) {
    if (to <= from) return;
    const int a = splitItems(p, from);
    const int b = splitItems(p, to);
    // Anchored shapes take no position and stay with the paragraph.
    p.items.erase(std::remove_if(p.items.begin() + a, p.items.begin() + b,
                                 [](const Inline& it) { return itemLength(it) > 0; }),
                  p.items.begin() + b);
}

RunFormat formatAt(const Paragraph& p, int offset) {
    int pos = 0;
    const RunFormat* before = nullptr;
    const RunFormat* after = nullptr;
    for (const Inline& it : p.items) {
        const int len = itemLength(it);
        if (len == 0) continue;
        const RunFormat* f = nullptr;
        if (auto* r = std::get_if<TextRun>(&it)) f = &r->format;
        else f = &std::get<InlinePicture>(it).format();
        if (pos < offset) before = f;
        else if (!after) after = f;
        pos += len;
        if (pos >= offset && before && pos > offset) break;
    }
    if (before) return *before;
    if (after) return *after;
    return p.markFormat;
}

void insertRun(Paragraph& p, int offset, const QString& text, const RunFormat& format) {
    if (text.isEmpty()) return;
    const int idx = splitItems(p, offset);
    if (idx > 0) {
        if (auto* r = std::get_if<TextRun>(&p.items[static_cast<size_t>(idx) - 1]); r && r->format == format) {
            r->text += text;
            return;
        }
    }
    p.items.insert(p.items.begin() + idx, Inline{TextRun{text, format}});
}

const Cell* findCellOf(const Story& root, const Story* target) {
    for (const Block& b : root.blocks) {
        if (!b.isTable()) continue;
        for (const Row& r : b.table().rows)
            for (const Cell& c : r.cells) {
                if (&c.story == target) return &c;
                if (const Cell* inner = findCellOf(c.story, target)) return inner;
            }
    }
    return nullptr;
}

void forEachParagraph(Story& s, const std::function<void(Paragraph&)>& f) {
    for (Block& b : s.blocks) {
        if (b.isParagraph()) f(b.paragraph());
        else
            for (Row& r : b.table().rows)
                for (Cell& c : r.cells) forEachParagraph(c.story, f);
    }
}

std::optional<Range> locatePicture(Document& d, Story& s, std::uint64_t id) {
    for (size_t b = 0; b < s.blocks.size(); ++b) {
        Block& blk = s.blocks[b];
        if (blk.isParagraph()) {
            int pos = 0;
            for (Inline& it : blk.paragraph().items) {
                if (auto* p = std::get_if<InlinePicture>(&it); p && p->id() == id)
                    return Range(d, s, {static_cast<int>(b), pos}, {static_cast<int>(b), pos + 1});
                pos += itemLength(it);
            }
        } else {
            for (Row& r : blk.table().rows)
                for (Cell& c : r.cells)
                    if (auto found = locatePicture(d, c.story, id)) return found;
        }
    }
    return std::nullopt;
}

} // namespace ops

// ---------------------------------------------------------------------------------------

namespace {

Position clampIn(const Story& s, Position p) {
    const int n = static_cast<int>(s.blocks.size());
    p.block = std::clamp(p.block, 0, std::max(0, n - 1));
    if (n == 0) return {0, 0};
    const Block& b = s.blocks[static_cast<size_t>(p.block)];
    p.offset = b.isParagraph() ? std::clamp(p.offset, 0, b.paragraph().length()) : 0;
    return p;
}

// Where text goes at `p`: a place before a table gets an empty paragraph of its own.
Position paragraphAt(Story& s, Position p) {
    if (s.blocks[static_cast<size_t>(p.block)].isTable()) {
        s.blocks.insert(s.blocks.begin() + p.block, Block{Paragraph{}});
        p.offset = 0;
    }
    return p;
}

Paragraph slice(const Paragraph& p, int from, int to) {
    Paragraph out = p;
    DocxAccess::endsSection(out) = false;
    ops::eraseRange(out, to, out.length());
    ops::eraseRange(out, 0, from);
    return out;
}

void stripSections(Story& s) {
    for (Block& b : s.blocks)
        if (b.isParagraph()) DocxAccess::endsSection(b.paragraph()) = false;
}

void collectPictures(Story& s, std::vector<InlinePicture*>& out) {
    ops::forEachParagraph(s, [&](Paragraph& p) {
        for (Inline& it : p.items)
            if (auto* pic = std::get_if<InlinePicture>(&it)) out.push_back(pic);
    });
}

void formatRuns(Paragraph& p, int from, int to, const RunFormat& changes, bool mark) {
    const int a = ops::splitItems(p, from);
    const int b = ops::splitItems(p, to);
    for (int i = a; i < b; ++i) {
        Inline& it = p.items[static_cast<size_t>(i)];
        if (auto* r = std::get_if<TextRun>(&it)) r->format.merge(changes);
        else if (auto* pic = std::get_if<InlinePicture>(&it)) pic->format().merge(changes);
    }
    if (mark) p.markFormat.merge(changes);
}

void formatStory(Story& s, const RunFormat& changes) {
    ops::forEachParagraph(s, [&](Paragraph& p) { formatRuns(p, 0, p.length(), changes, true); });
}

} // namespace

Range::Range(Document& doc, Story& story, Position start, Position end)
    : doc_(&doc), story_(&story), start_(start), end_(end) {
    ops::ensureTrailingParagraph(story);
    normalise();
}

void Range::normalise() {
    if (!story_) throw WordError(QStringLiteral("The range is not in a document."));
    ops::ensureTrailingParagraph(*story_);
    start_ = clampIn(*story_, start_);
    end_ = clampIn(*story_, end_);
    if (end_ < start_) end_ = start_;
}

bool Range::coversWholeStory() const {
    if (!story_) return false;
    const int last = static_cast<int>(story_->blocks.size()) - 1;
    return start_ == Position{0, 0} && last >= 0 && story_->blocks.back().isParagraph()
        && end_ == Position{last, story_->blocks.back().paragraph().length()};
}

void Range::collapse(Collapse direction) {
    if (direction == Collapse::Start) end_ = start_;
    else {
        // The end of a table lies at the paragraph after it.
        normalise();
        if (story_->blocks[static_cast<size_t>(end_.block)].isTable()) end_ = {end_.block + 1, 0};
        start_ = end_;
    }
    normalise();
}

QString Range::text() const {
    const_cast<Range*>(this)->normalise();
    QString out;
    for (int b = start_.block; b <= end_.block; ++b) {
        const Block& blk = story_->blocks[static_cast<size_t>(b)];
        if (blk.isTable()) {
            Story one;
            one.blocks = {blk};
            out += one.text();
            continue;
        }
        const QString t = blk.paragraph().text();
        const int from = b == start_.block ? start_.offset : 0;
        const int to = b == end_.block ? end_.offset : static_cast<int>(t.size());
        out += t.mid(from, to - from);
        if (b != end_.block) out += QChar('\r');
    }
    if (coversWholeStory()) out += QChar('\r');
    return out;
}

Story Range::formattedText() const {
    const_cast<Range*>(this)->normalise();
    Story out;
    if (coversWholeStory()) {
        out = *story_;
        stripSections(out);
        return out;
    }
    out.blocks.clear();
    for (int b = start_.block; b <= end_.block; ++b) {
        const Block& blk = story_->blocks[static_cast<size_t>(b)];
        if (blk.isTable()) {
            out.blocks.push_back(blk);
            continue;
        }
        const Paragraph& p = blk.paragraph();
        const int from = b == start_.block ? start_.offset : 0;
        const int to = b == end_.block ? end_.offset : p.length();
        out.blocks.push_back(Block{slice(p, from, to)});
    }
    ops::ensureTrailingParagraph(out);
    stripSections(out);
    return out;
}

void Range::deleteContent() {
    normalise();
    if (isCollapsed()) return;
    Story& s = *story_;
    const bool isBody = story_ == &doc_->body();
    std::vector<Section>& sections = DocxAccess::sections(*doc_);
    if (isBody) doc_->syncSections();
    if (coversWholeStory()) {
        Paragraph keep;
        const Block& first = s.blocks.front();
        if (first.isParagraph()) {
            keep.format = first.paragraph().format;
            keep.markFormat = first.paragraph().markFormat;
        }
        s.blocks.clear();
        s.blocks.push_back(Block{std::move(keep)});
        if (isBody) sections.erase(sections.begin(), sections.end() - 1);
        start_ = end_ = {0, 0};
        doc_->setSaved(false);
        return;
    }
    const int sb = start_.block, eb = end_.block;
    if (sb == eb) {
        if (s.blocks[static_cast<size_t>(sb)].isParagraph())
            ops::eraseRange(s.blocks[static_cast<size_t>(sb)].paragraph(), start_.offset, end_.offset);
        end_ = start_;
        doc_->setSaved(false);
        return;
    }
    const bool startPara = s.blocks[static_cast<size_t>(sb)].isParagraph();
    const bool endPara = s.blocks[static_cast<size_t>(eb)].isParagraph();
    // Section ends removed with their paragraph marks: the text before them joins the
    // section after, as the word processor does.
    std::vector<int> goneSections;
    if (isBody) {
        int k = 0;
        for (int b = 0; b < eb; ++b) {
            const Block& blk = s.blocks[static_cast<size_t>(b)];
            if (!blk.isParagraph() || !blk.paragraph().endsSection()) continue;
            if (b > sb || (b == sb && endPara)) goneSections.push_back(k);
            ++k;
        }
    }
    if (startPara) {
        Paragraph& p = s.blocks[static_cast<size_t>(sb)].paragraph();
        ops::eraseRange(p, start_.offset, p.length());
    }
    if (endPara) ops::eraseRange(s.blocks[static_cast<size_t>(eb)].paragraph(), 0, end_.offset);
    int last = eb;
    if (!endPara) ++last;   // a table at the end goes with the span
    s.blocks.erase(s.blocks.begin() + sb + 1, s.blocks.begin() + std::min<int>(last, static_cast<int>(s.blocks.size())));
    if (startPara && endPara) ops::joinWithNext(s, sb);
    else if (!startPara) s.blocks.erase(s.blocks.begin() + sb);
    ops::ensureTrailingParagraph(s);
    for (auto it = goneSections.rbegin(); it != goneSections.rend(); ++it)
        if (*it + 1 < static_cast<int>(sections.size())) sections.erase(sections.begin() + *it);
    end_ = start_ = clampIn(s, start_);
    doc_->setSaved(false);
}

void Range::setFormattedText(const Story& content) {
    normalise();
    Story c = content;
    stripSections(c);
    ops::ensureTrailingParagraph(c);
    DocxAccess::assignIds(*doc_, c);
    Story& s = *story_;
    if (coversWholeStory()) {
        deleteContent();
        s.blocks = std::move(c.blocks);
        doc_->setSaved(false);
        *this = doc_->range(s);
        return;
    }
    deleteContent();
    Position p = start_;
    if (s.blocks[static_cast<size_t>(p.block)].isTable()) {
        const int n = static_cast<int>(c.blocks.size());
        s.blocks.insert(s.blocks.begin() + p.block, std::make_move_iterator(c.blocks.begin()),
                        std::make_move_iterator(c.blocks.end()));
        start_ = p;
        end_ = {p.block + n, 0};
        doc_->setSaved(false);
        return;
    }
    if (c.blocks.size() == 1) {
        // One paragraph goes into the line at the position.
        Paragraph& target = s.blocks[static_cast<size_t>(p.block)].paragraph();
        Paragraph& src = c.blocks.front().paragraph();
        const int len = src.length();
        int idx = ops::splitItems(target, p.offset);
        for (Inline& it : src.items) target.items.insert(target.items.begin() + idx++, std::move(it));
        if (target.length() == len) {
            target.format = src.format;
            target.markFormat = src.markFormat;
        }
        end_ = {p.block, p.offset + len};
        doc_->setSaved(false);
        return;
    }
    ops::splitParagraphBlock(s, p.block, p.offset);
    Paragraph& left = s.blocks[static_cast<size_t>(p.block)].paragraph();
    size_t from = 0;
    if (c.blocks.front().isParagraph()) {
        Paragraph& src = c.blocks.front().paragraph();
        if (left.length() == 0) {
            left.format = src.format;
            left.markFormat = src.markFormat;
        }
        for (Inline& it : src.items) left.items.push_back(std::move(it));
        from = 1;
    } else if (p.offset == 0 && left.items.empty()) {
        s.blocks.erase(s.blocks.begin() + p.block);
        --p.block;
    }
    const int n = static_cast<int>(c.blocks.size() - from);
    s.blocks.insert(s.blocks.begin() + p.block + 1, std::make_move_iterator(c.blocks.begin() + static_cast<long>(from)),
                    std::make_move_iterator(c.blocks.end()));
    end_ = clampIn(s, {p.block + 1 + n, 0});
    start_ = clampIn(s, start_);
    doc_->setSaved(false);
}

void Range::setText(const QString& text) {
    normalise();
    Story& s = *story_;
    RunFormat fmt;
    if (s.blocks[static_cast<size_t>(start_.block)].isParagraph())
        fmt = ops::formatAt(s.blocks[static_cast<size_t>(start_.block)].paragraph(), start_.offset);
    deleteContent();
    Position p = paragraphAt(s, start_);
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(breaks);
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            ops::splitParagraphBlock(s, p.block, p.offset);
            p = {p.block + 1, 0};
        }
        ops::insertRun(s.blocks[static_cast<size_t>(p.block)].paragraph(), p.offset, lines[i], fmt);
        p.offset += static_cast<int>(lines[i].size());
    }
    end_ = p;
    doc_->setSaved(false);
}

void Range::insertAfter(const QString& text) {
    normalise();
    Range tail = *this;
    tail.collapse(Collapse::End);
    const Position begin = start_;
    tail.setText(text);
    start_ = begin;
    end_ = tail.end_;
    if (isCollapsed() && !text.isEmpty()) start_ = tail.start_;
}

InlinePicture& Range::insertPicture(InlinePicture picture) {
    deleteContent();
    Story& s = *story_;
    Position p = paragraphAt(s, start_);
    Paragraph& para = s.blocks[static_cast<size_t>(p.block)].paragraph();
    if (!picture.format().fontName && !picture.format().size) picture.format() = ops::formatAt(para, p.offset);
    DocxAccess::id(picture) = DocxAccess::nextId(*doc_)++;
    const int idx = ops::splitItems(para, p.offset);
    auto it = para.items.insert(para.items.begin() + idx, Inline{std::move(picture)});
    start_ = p;
    end_ = {p.block, p.offset + 1};
    doc_->setSaved(false);
    return std::get<InlinePicture>(*it);
}

void Range::insertBreak(BreakType type) {
    deleteContent();
    Story& s = *story_;
    Position p = paragraphAt(s, start_);
    Paragraph& para = s.blocks[static_cast<size_t>(p.block)].paragraph();
    switch (type) {
    case BreakType::Line:
    case BreakType::Page: {
        const QChar ch = type == BreakType::Line ? QChar(0x0B) : QChar(0x0C);
        ops::insertRun(para, p.offset, QString(ch), ops::formatAt(para, p.offset));
        start_ = end_ = {p.block, p.offset + 1};
        break;
    }
    case BreakType::SectionNextPage:
    case BreakType::SectionContinuous: {
        if (story_ != &doc_->body())
            throw WordError(QStringLiteral("A section break cannot be put inside a table cell."));
        doc_->syncSections();
        int k = 0;
        for (int b = 0; b < p.block; ++b) {
            const Block& blk = s.blocks[static_cast<size_t>(b)];
            if (blk.isParagraph() && blk.paragraph().endsSection()) ++k;
        }
        ops::splitParagraphBlock(s, p.block, p.offset);
        DocxAccess::endsSection(s.blocks[static_cast<size_t>(p.block)].paragraph()) = true;
        std::vector<Section>& sections = DocxAccess::sections(*doc_);
        Section next = sections[static_cast<size_t>(k)];
        next.start = type == BreakType::SectionNextPage ? SectionStart::NextPage : SectionStart::Continuous;
        sections.insert(sections.begin() + k + 1, next);
        start_ = end_ = {p.block + 1, 0};
        break;
    }
    }
    doc_->setSaved(false);
}

RunFormat Range::font() const {
    const_cast<Range*>(this)->normalise();
    RunFormat f = doc_->defaultRunFormat();
    const Block& b = story_->blocks[static_cast<size_t>(start_.block)];
    if (b.isParagraph()) f.merge(ops::formatAt(b.paragraph(), start_.offset));
    return f;
}

void Range::setFont(const RunFormat& changes) {
    normalise();
    Story& s = *story_;
    if (coversWholeStory()) {
        formatStory(s, changes);
    } else {
        for (int b = start_.block; b <= end_.block; ++b) {
            Block& blk = s.blocks[static_cast<size_t>(b)];
            if (blk.isTable()) {
                for (Row& r : blk.table().rows)
                    for (Cell& c : r.cells) formatStory(c.story, changes);
                continue;
            }
            Paragraph& p = blk.paragraph();
            const int from = b == start_.block ? start_.offset : 0;
            const int to = b == end_.block ? end_.offset : p.length();
            formatRuns(p, from, to, changes, b != end_.block || p.length() == 0);
        }
    }
    doc_->setSaved(false);
}

void Range::setParagraphFormat(const ParagraphFormat& changes) {
    normalise();
    Story& s = *story_;
    for (int b = start_.block; b <= end_.block; ++b) {
        Block& blk = s.blocks[static_cast<size_t>(b)];
        if (blk.isParagraph()) blk.paragraph().format.merge(changes);
        else
            for (Row& r : blk.table().rows)
                for (Cell& c : r.cells)
                    ops::forEachParagraph(c.story, [&](Paragraph& p) { p.format.merge(changes); });
    }
    doc_->setSaved(false);
}

std::vector<InlinePicture*> Range::inlinePictures() const {
    const_cast<Range*>(this)->normalise();
    std::vector<InlinePicture*> out;
    Story& s = *story_;
    for (int b = start_.block; b <= end_.block; ++b) {
        Block& blk = s.blocks[static_cast<size_t>(b)];
        if (blk.isTable()) {
            for (Row& r : blk.table().rows)
                for (Cell& c : r.cells) collectPictures(c.story, out);
            continue;
        }
        const int from = b == start_.block ? start_.offset : 0;
        const int to = b == end_.block && !coversWholeStory() ? end_.offset : blk.paragraph().length();
        int pos = 0;
        for (Inline& it : blk.paragraph().items) {
            const int len = ops::itemLength(it);
            if (auto* pic = std::get_if<InlinePicture>(&it); pic && pos >= from && pos < to) out.push_back(pic);
            pos += len;
        }
    }
    return out;
}

} // namespace kovel::word

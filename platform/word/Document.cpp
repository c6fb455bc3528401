#include "platform/word/Document.h"
#include "platform/word/ModelOps.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace kovel::word {

WordError::WordError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

// ---------------------------------------------------------------------------------------

void RunFormat::merge(const RunFormat& c) {
    if (c.fontName) fontName = c.fontName;
    if (c.size) size = Points(std::round(c.size->value * 2.0) / 2.0);
    if (c.bold) bold = c.bold;
    if (c.italic) italic = c.italic;
    if (c.underline) underline = c.underline;
    if (c.hidden) hidden = c.hidden;
    if (c.colour) colour = *c.colour & 0xFFFFFFu;
}

void ParagraphFormat::merge(const ParagraphFormat& c) {
    if (c.spaceBefore) spaceBefore = toPoints(toTwips(*c.spaceBefore));
    if (c.spaceAfter) spaceAfter = toPoints(toTwips(*c.spaceAfter));
    if (c.alignment) alignment = c.alignment;
}

// ---------------------------------------------------------------------------------------

namespace {

constexpr int kMaxPictureSide = 20000;

InlinePicture pictureFromImage(const QImage& image, QByteArray png) {
    if (image.isNull())
        throw WordError(QStringLiteral("The picture is empty or cannot be read."));
    if (image.width() > kMaxPictureSide || image.height() > kMaxPictureSide)
        throw WordError(QStringLiteral("The picture is too large (%1 × %2 pixels).")
                            .arg(image.width()).arg(image.height()));
    if (png.isEmpty()) {
        QBuffer buf(&png);
        buf.open(QIODevice::WriteOnly);
        if (!image.save(&buf, "PNG"))
            throw WordError(QStringLiteral("The picture cannot be converted to PNG."));
    }
    // Shown size: the picture at its own resolution, 96 dpi when it gives none.
    double dpmX = image.dotsPerMeterX(), dpmY = image.dotsPerMeterY();
    double dpiX = dpmX > 0 ? dpmX * 0.0254 : 96.0, dpiY = dpmY > 0 ? dpmY * 0.0254 : 96.0;
    if (dpiX < 10 || dpiX > 10000) dpiX = 96.0;
    if (dpiY < 10 || dpiY > 10000) dpiY = 96.0;
    InlinePicture p = ops::makePicture(std::move(png), image.size());
    p.setWidth(Points(image.width() * 72.0 / dpiX));
    p.setHeight(Points(image.height() * 72.0 / dpiY));
    return p;
}

} // namespace

InlinePicture InlinePicture::fromImage(const QImage& image) { return pictureFromImage(image, {}); }

InlinePicture InlinePicture::fromFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw WordError(QStringLiteral("The picture \"%1\" cannot be opened: %2").arg(path, f.errorString()));
    if (f.size() > 64 * 1024 * 1024)
        throw WordError(QStringLiteral("The picture \"%1\" is too large.").arg(path));
    const QByteArray bytes = f.readAll();
    const QImage image = ops::LlegeixImatge(bytes);
    if (image.isNull())
        throw WordError(QStringLiteral("The picture \"%1\" cannot be read.").arg(path));
    try {
        return pictureFromImage(image, bytes.startsWith("\x89PNG\r\n\x1a\n") ? bytes : QByteArray());
    } catch (const WordError& e) {
        throw WordError(QStringLiteral("\"%1\": %2").arg(path, e.message()));
    }
}

InlinePicture InlinePicture::fromPng(const QByteArray& png) {
    if (!png.startsWith("\x89PNG\r\n\x1a\n"))
        throw WordError(QStringLiteral("The picture is not a PNG picture."));
    const QImage image = ops::LlegeixImatge(png);
    if (image.isNull())
        throw WordError(QStringLiteral("The PNG picture cannot be read."));
    return pictureFromImage(image, png);
}

bool InlinePicture::isEmf(const QByteArray& bytes) {
    // EMR_HEADER (type 1) first, the " EMF" signature at byte 40.
    return bytes.size() >= 88 && bytes.startsWith(QByteArray("\x01\x00\x00\x00", 4)) && bytes.mid(40, 4) == " EMF";
}

InlinePicture InlinePicture::fromEncoded(const QByteArray& bytes, QSize pixels) {
    if (pixels.width() < 1 || pixels.height() < 1 || pixels.width() > kMaxPictureSide || pixels.height() > kMaxPictureSide)
        throw WordError(QStringLiteral("The picture's size %1 × %2 is out of bounds.").arg(pixels.width()).arg(pixels.height()));
    if (!isEmf(bytes)) {
        // Signature, then the IHDR chunk: length 13, type, width and height big-endian.
        auto u32 = [&bytes](int at) {
            return (quint32(uchar(bytes[at])) << 24) | (quint32(uchar(bytes[at + 1])) << 16)
                 | (quint32(uchar(bytes[at + 2])) << 8) | quint32(uchar(bytes[at + 3]));
        };
        if (bytes.size() < 33 || !bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.mid(12, 4) != "IHDR")
            throw WordError(QStringLiteral("The picture is neither a PNG nor an EMF picture."));
        if (u32(16) != quint32(pixels.width()) || u32(20) != quint32(pixels.height()))
            throw WordError(QStringLiteral("The PNG picture is not of %1 × %2 pixels.").arg(pixels.width()).arg(pixels.height()));
    }
    InlinePicture p = ops::makePicture(bytes, pixels);
    p.setWidth(Points(pixels.width() * 0.75));
    p.setHeight(Points(pixels.height() * 0.75));
    return p;
}

// ---------------------------------------------------------------------------------------

QString Paragraph::text() const {
    QString out;
    for (const Inline& it : items) {
        if (auto* r = std::get_if<TextRun>(&it)) out += r->text;
        else if (std::holds_alternative<InlinePicture>(it)) out += QChar(0xFFFC);
    }
    return out;
}

int Paragraph::length() const {
    int n = 0;
    for (const Inline& it : items) n += ops::itemLength(it);
    return n;
}

Story::Story() { blocks.push_back(Block{Paragraph{}}); }

int Story::paragraphCount() const {
    return static_cast<int>(std::count_if(blocks.begin(), blocks.end(),
                                          [](const Block& b) { return b.isParagraph(); }));
}

int Story::tableCount() const {
    return static_cast<int>(std::count_if(blocks.begin(), blocks.end(),
                                          [](const Block& b) { return b.isTable(); }));
}

QString Story::text() const {
    QString out;
    for (const Block& b : blocks) {
        if (b.isParagraph()) {
            out += b.paragraph().text();
            out += QChar('\r');
        } else {
            for (const Row& r : b.table().rows) {
                for (const Cell& c : r.cells) {
                    QString t = c.story.text();
                    if (t.endsWith(QChar('\r'))) t.chop(1);
                    out += t;
                    out += QChar('\a');
                }
                out += QChar('\a');
            }
        }
    }
    return out;
}

bool Story::operator==(const Story& o) const { return blocks == o.blocks; }

// ---------------------------------------------------------------------------------------

Table::Table(int rowCount, int columnCount, Points columnWidth) {
    if (rowCount < 1 || columnCount < 1 || rowCount > ops::kMaxTableRows || columnCount > ops::kMaxTableColumns)
        throw WordError(QStringLiteral("A table of %1 rows and %2 columns cannot be made.")
                            .arg(rowCount).arg(columnCount));
    Row row;
    Cell cell;
    cell.setWidth(columnWidth);
    row.cells.assign(static_cast<size_t>(columnCount), cell);
    rows.assign(static_cast<size_t>(rowCount), row);
    defaultPaddings.left = Twips(108);
    defaultPaddings.right = Twips(108);
    defaultPaddings.top = Twips(0);
    defaultPaddings.bottom = Twips(0);
}

int Table::columnCount() const { return rows.empty() ? 0 : static_cast<int>(rows.front().cells.size()); }

Cell& Table::cell(int row, int column) {
    return const_cast<Cell&>(static_cast<const Table*>(this)->cell(row, column));
}

const Cell& Table::cell(int row, int column) const {
    if (row < 0 || row >= rowCount())
        throw std::out_of_range("table row out of range");
    const Row& r = rows[static_cast<size_t>(row)];
    if (column < 0 || column >= static_cast<int>(r.cells.size()))
        throw std::out_of_range("table column out of range");
    return r.cells[static_cast<size_t>(column)];
}

void Table::setColumnWidth(int column, Points w) {
    for (Row& r : rows)
        if (column >= 0 && column < static_cast<int>(r.cells.size()))
            r.cells[static_cast<size_t>(column)].setWidth(w);
}

// ---------------------------------------------------------------------------------------

void PageSetup::setOrientation(Orientation o) {
    if (o == orientation_) return;
    orientation_ = o;
    std::swap(pageWidth_, pageHeight_);
}

Points PageSetup::usableHeight() const { return toPoints(Twips(pageHeight_.value - top_.value - bottom_.value)); }
Points PageSetup::usableWidth() const {
    return toPoints(Twips(pageWidth_.value - left_.value - right_.value - gutter_.value));
}

// ---------------------------------------------------------------------------------------

Document::Document() {
    sections_.push_back(Section{});
    defaults_.fontName = QStringLiteral("Times New Roman");
    defaults_.size = Points(12);
    defaults_.bold = false;
    defaults_.italic = false;
    defaults_.underline = false;
    defaults_.hidden = false;
    defaults_.colour = 0;
    selection_ = Range(*this, body_, {}, {});
}

Document::~Document() = default;

std::unique_ptr<Document> Document::create() {
    std::unique_ptr<Document> d(new Document());
    d->saved_ = false;
    return d;
}

namespace {

// Polygons (points, and one past each one's last point) to a shape at the finest sub-unit
// that holds them in 16 bits; repeated points and polygons of less than three go.
std::shared_ptr<const GlyphOutline::Shape> forma(const std::vector<QPointF>& punts, const std::vector<std::uint32_t>& finals) {
    auto s = std::make_shared<GlyphOutline::Shape>();
    qreal maxim = 0;
    for (const QPointF& p : punts) maxim = std::max({maxim, std::abs(p.x()), std::abs(p.y())});
    while (s->subunits > 1 && maxim * s->subunits > 32767) s->subunits /= 2;
    if (maxim * s->subunits > 32767) return s;
    s->xy.reserve(2 * punts.size());
    size_t inici = 0;
    for (const std::uint32_t fi : finals) {
        const size_t primer = s->xy.size() / 2;
        for (size_t i = inici; i < fi; ++i) {
            const auto x = std::int16_t(std::lround(punts[i].x() * s->subunits)), y = std::int16_t(std::lround(punts[i].y() * s->subunits));
            const size_t n = s->xy.size() / 2;
            if (n > primer && s->xy[2 * n - 2] == x && s->xy[2 * n - 1] == y) continue;
            s->xy.push_back(x);
            s->xy.push_back(y);
        }
        inici = fi;
        const size_t n = s->xy.size() / 2;
        if (n > primer + 1 && s->xy[2 * n - 2] == s->xy[2 * primer] && s->xy[2 * n - 1] == s->xy[2 * primer + 1])
            s->xy.resize(s->xy.size() - 2);   // the closing point
        if (s->xy.size() / 2 >= primer + 3) s->ends.push_back(std::uint32_t(s->xy.size() / 2));
        else s->xy.resize(2 * primer);
    }
    return s;
}

} // namespace

// The working vectors of a shape being made, kept from one to the next: a merge makes
// thousands of shapes, and fresh memory for each costs more than the shapes.
static std::vector<QPointF>& puntsTreball() {
    thread_local std::vector<QPointF> punts;
    punts.clear();
    return punts;
}
static std::vector<std::uint32_t>& finalsTreball() {
    thread_local std::vector<std::uint32_t> finals;
    finals.clear();
    return finals;
}

std::shared_ptr<const GlyphOutline::Shape> GlyphOutline::shapeOf(const std::vector<QRectF>& rectangles) {
    // Straight to the sub-units: a QR code's hundreds of rectangles, thousands of times.
    auto s = std::make_shared<Shape>();
    qreal maxim = 0;
    for (const QRectF& r : rectangles)
        maxim = std::max({maxim, std::abs(r.left()), std::abs(r.right()), std::abs(r.top()), std::abs(r.bottom())});
    while (s->subunits > 1 && maxim * s->subunits > 32767) s->subunits /= 2;
    if (maxim * s->subunits > 32767) return s;
    s->rectangles.reserve(4 * rectangles.size());
    const qreal k = s->subunits;
    // Rounded to the nearest sub-unit (a cast rounds toward zero: offset to stay positive).
    const auto a = [k](qreal v) { return std::int16_t(int(v * k + 32768.5) - 32768); };
    for (const QRectF& r : rectangles) {
        const std::int16_t x0 = a(r.left()), x1 = a(r.right()), y0 = a(r.top()), y1 = a(r.bottom());
        if (x0 == x1 || y0 == y1) continue;
        s->rectangles.insert(s->rectangles.end(), {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)});
    }
    return s;
}

std::shared_ptr<const GlyphOutline::Shape> GlyphOutline::shapeOf(const QPainterPath& path) {
    std::vector<QPointF>& punts = puntsTreball();
    std::vector<std::uint32_t>& finals = finalsTreball();
    bool corbes = false;
    for (int i = 0; i < path.elementCount() && !corbes; ++i) corbes = path.elementAt(i).isCurveTo();
    if (corbes) {
        for (const QPolygonF& pol : path.toSubpathPolygons()) {
            punts.insert(punts.end(), pol.begin(), pol.end());
            finals.push_back(std::uint32_t(punts.size()));
        }
    } else {
        // Straight lines only (a code's bars): read as they are, many times faster than
        // flattening.
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            if (e.isMoveTo() && i > 0) finals.push_back(std::uint32_t(punts.size()));
            punts.emplace_back(e.x, e.y);
        }
        finals.push_back(std::uint32_t(punts.size()));
    }
    return forma(punts, finals);
}

std::unique_ptr<Document> Document::clone() const {
    std::unique_ptr<Document> d(new Document());
    d->nextId_ = nextId_;
    d->body_ = body_;
    d->sections_ = sections_;
    d->mirrorMargins_ = mirrorMargins_;
    d->picturesAsGlyphs_ = picturesAsGlyphs_;
    d->defaults_ = defaults_;
    d->fullName_ = fullName_;
    d->saved_ = saved_;
    d->selection_ = Range(*d, d->body_, {}, {});
    return d;
}

void Document::assignIds(Story& story) {
    for (Block& b : story.blocks) {
        if (b.isParagraph()) {
            for (Inline& it : b.paragraph().items)
                if (auto* p = std::get_if<InlinePicture>(&it)) p->id_ = nextId_++;
        } else {
            for (Row& r : b.table().rows)
                for (Cell& c : r.cells) assignIds(c.story);
        }
    }
}

void Document::syncSections() {
    int marks = 0;
    for (const Block& b : body_.blocks)
        if (b.isParagraph() && b.paragraph().endsSection_) ++marks;
    const size_t want = static_cast<size_t>(marks) + 1;
    while (sections_.size() < want) sections_.insert(sections_.end() - 1, sections_.back());
    while (sections_.size() > want) sections_.erase(sections_.end() - 2);
}

Section& Document::section(int index) {
    syncSections();
    if (index < 0 || index >= static_cast<int>(sections_.size()))
        throw std::out_of_range("section out of range");
    return sections_[static_cast<size_t>(index)];
}

const Section& Document::section(int index) const { return const_cast<Document*>(this)->section(index); }

int Document::sectionCount() const {
    const_cast<Document*>(this)->syncSections();
    return static_cast<int>(sections_.size());
}

void Document::setPageSetup(const PageSetup& setup) {
    syncSections();
    for (Section& s : sections_) s.pageSetup = setup;
}

Range Document::content() { return range(body_); }

Range Document::range(Story& story) {
    ops::ensureTrailingParagraph(story);
    const int last = static_cast<int>(story.blocks.size()) - 1;
    return Range(*this, story, {0, 0}, {last, story.blocks.back().paragraph().length()});
}

Range Document::sectionRange(int index) {
    syncSections();
    if (index < 0 || index >= static_cast<int>(sections_.size()))
        throw std::out_of_range("section out of range");
    int first = 0, seen = 0;
    const int n = static_cast<int>(body_.blocks.size());
    for (int b = 0; b < n; ++b) {
        const Block& blk = body_.blocks[static_cast<size_t>(b)];
        if (blk.isParagraph() && blk.paragraph().endsSection_) {
            if (seen == index) return Range(*this, body_, {first, 0}, {b, blk.paragraph().length()});
            ++seen;
            first = b + 1;
        }
    }
    return Range(*this, body_, {first, 0}, {n - 1, body_.blocks.back().paragraph().length()});
}

static int tableBlock(const Story& s, int index) {
    int seen = 0;
    for (size_t b = 0; b < s.blocks.size(); ++b)
        if (s.blocks[b].isTable() && seen++ == index) return static_cast<int>(b);
    throw std::out_of_range("table out of range");
}

Table& Document::table(int index) { return body_.blocks[static_cast<size_t>(tableBlock(body_, index))].table(); }

Range Document::tableRange(int index) {
    const int b = tableBlock(body_, index);
    return Range(*this, body_, {b, 0}, {b, 0});
}

Range Document::cellRange(int tableIndex, int row, int column) {
    return range(table(tableIndex).cell(row, column).story);
}

Table& Document::addTable(const Range& at, int rows, int columns) {
    if (at.document() != this || !at.story())
        throw WordError(QStringLiteral("The place for the table is not in this document."));
    Range r = at;
    r.deleteContent();
    Story& s = *r.story();
    Position p = r.start();
    // Width to share: the page's text width in the body, else the cell's own.
    Points text = pageSetup().usableWidth();
    if (&s != &body_) {
        if (const Cell* c = ops::findCellOf(body_, &s)) text = c->width();
    }
    Table t(rows, columns, Points(text.value / columns));
    if (s.blocks[static_cast<size_t>(p.block)].isParagraph() && p.offset > 0) {
        ops::splitParagraphBlock(s, p.block, p.offset);
        ++p.block;
    }
    auto it = s.blocks.insert(s.blocks.begin() + p.block, Block{std::move(t)});
    saved_ = false;
    return it->table();
}

void Document::deleteTable(int index) {
    const int b = tableBlock(body_, index);
    body_.blocks.erase(body_.blocks.begin() + b);
    ops::ensureTrailingParagraph(body_);
    saved_ = false;
}

std::vector<InlinePicture*> Document::inlinePictures() { return content().inlinePictures(); }

std::vector<std::uint64_t> Document::pictureIds() {
    std::vector<std::uint64_t> ids;
    for (InlinePicture* p : inlinePictures()) ids.push_back(p->id());
    return ids;
}

InlinePicture* Document::picture(std::uint64_t id) {
    for (InlinePicture* p : inlinePictures())
        if (p->id() == id) return p;
    return nullptr;
}

Range Document::pictureRange(std::uint64_t id) {
    std::optional<Range> r = ops::locatePicture(*this, body_, id);
    if (!r) throw std::out_of_range("picture not in the document");
    return *r;
}

FloatingLine& Document::addLine(Points beginX, Points beginY, Points endX, Points endY) {
    ops::ensureTrailingParagraph(body_);
    auto first = std::find_if(body_.blocks.begin(), body_.blocks.end(), [](const Block& b) { return b.isParagraph(); });
    FloatingLine l;
    l.beginX = beginX;
    l.beginY = beginY;
    l.endX = endX;
    l.endY = endY;
    auto& items = first->paragraph().items;
    items.insert(items.begin(), Inline{l});
    saved_ = false;
    return std::get<FloatingLine>(items.front());
}

std::vector<FloatingLine*> Document::floatingLines() {
    std::vector<FloatingLine*> out;
    ops::forEachParagraph(body_, [&](Paragraph& p) {
        for (Inline& it : p.items)
            if (auto* l = std::get_if<FloatingLine>(&it)) out.push_back(l);
    });
    return out;
}

std::optional<Range> Document::find(const QString& needle, const Range& within) {
    if (needle.isEmpty() || !within.story()) return std::nullopt;
    Story& s = *within.story();
    const int n = static_cast<int>(s.blocks.size());
    for (int b = std::max(0, within.start().block); b < n && b <= within.end().block; ++b) {
        Block& blk = s.blocks[static_cast<size_t>(b)];
        if (blk.isTable()) {
            for (Row& row : blk.table().rows)
                for (Cell& c : row.cells)
                    if (auto r = find(needle, range(c.story))) return r;
            continue;
        }
        const QString t = blk.paragraph().text();
        int from = b == within.start().block ? within.start().offset : 0;
        int idx = t.indexOf(needle, from);
        if (idx < 0) continue;
        if (b == within.end().block && idx + needle.size() > within.end().offset
            && !(within.coversWholeStory()))
            continue;
        return Range(*this, s, {b, idx}, {b, idx + static_cast<int>(needle.size())});
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------
// Layout from the document's own geometry.

namespace {

double lineHeight(const RunFormat& f, const RunFormat& defaults) {
    const double size = f.size ? f.size->value : (defaults.size ? defaults.size->value : 12.0);
    return size * 1.15;
}

double paragraphHeight(const Paragraph& p, const RunFormat& defaults, double width, int& pageBreaks);

double storyHeight(const Story& s, const RunFormat& defaults, double width);

// A row of exact height is its height whatever it holds, so its cells are not measured.
double rowHeight(const Table& t, const Row& r, const RunFormat& defaults) {
    if (r.heightRule() == HeightRule::Exactly) return r.height().value;
    double content = 0;
    for (const Cell& c : r.cells) {
        const Paddings& d = t.defaultPaddings;
        const double top = toPoints(c.paddings.top.value_or(d.top.value_or(Twips(0)))).value;
        const double bottom = toPoints(c.paddings.bottom.value_or(d.bottom.value_or(Twips(0)))).value;
        content = std::max(content, top + bottom + storyHeight(c.story, defaults, c.width().value));
    }
    return ops::rowLayoutHeight(r, content);
}

double storyHeight(const Story& s, const RunFormat& defaults, double width) {
    double h = 0;
    int breaks = 0;
    for (const Block& b : s.blocks) {
        if (b.isParagraph()) {
            h += paragraphHeight(b.paragraph(), defaults, width, breaks);
        } else {
            for (const Row& r : b.table().rows) h += rowHeight(b.table(), r, defaults);
        }
    }
    return h;
}

// Lines are broken by an estimated character width (half the font size), so a long text
// counts the lines it would take.
double paragraphHeight(const Paragraph& p, const RunFormat& defaults, double width, int& pageBreaks) {
    RunFormat mark = defaults;
    mark.merge(p.markFormat);
    double total = 0, lineH = 0, lineW = 0;
    bool any = false;
    auto endLine = [&] {
        total += any ? lineH : lineHeight(mark, defaults);
        lineH = 0;
        lineW = 0;
        any = false;
    };
    for (const Inline& it : p.items) {
        if (auto* r = std::get_if<TextRun>(&it)) {
            RunFormat f = defaults;
            f.merge(r->format);
            const double size = f.size ? f.size->value : 12.0;
            for (QChar ch : r->text) {
                if (ch == QChar(0x0B) || ch == QChar(0x0C)) {
                    if (!any) { lineH = lineHeight(f, defaults); any = true; }
                    endLine();
                    if (ch == QChar(0x0C)) ++pageBreaks;
                    continue;
                }
                const double cw = size * 0.5;
                if (width > 0 && lineW + cw > width && any) endLine();
                lineW += cw;
                lineH = std::max(lineH, lineHeight(f, defaults));
                any = true;
            }
        } else if (auto* pic = std::get_if<InlinePicture>(&it)) {
            const double w = pic->width().value;
            if (width > 0 && lineW + w > width && any) endLine();
            lineW += w;
            lineH = std::max(lineH, pic->height().value);
            any = true;
        }
    }
    endLine();
    total += p.format.spaceBefore.value_or(Points(0)).value + p.format.spaceAfter.value_or(Points(0)).value;
    return total;
}

struct Flow {
    int page = 1;
    double y = 0;
    double usable = 0;
    void place(double h) {
        constexpr double eps = 0.01;
        if (y > 0 && y + h > usable + eps) {
            ++page;
            y = 0;
        }
        y += h;
        while (usable > 0 && y > usable + eps && h > usable) {
            ++page;
            y -= usable;
            h -= usable;
        }
    }
};

} // namespace

// Start page of every section and the last page of the document.
static void layout(const std::vector<Block>& blocks, const std::vector<Section>& sections,
                   const RunFormat& defaults, std::vector<int>& starts, int& lastPage) {
    Flow flow;
    size_t s = 0;
    starts.assign(1, 1);
    flow.usable = sections[0].pageSetup.usableHeight().value;
    double width = sections[0].pageSetup.usableWidth().value;
    for (const Block& b : blocks) {
        if (b.isParagraph()) {
            int breaks = 0;
            const Paragraph& p = b.paragraph();
            double h = paragraphHeight(p, defaults, width, breaks);
            if (breaks > 0) {
                // Text after the last page break starts a page of its own.
                flow.page += breaks;
                flow.y = 0;
                h = lineHeight(p.markFormat, defaults);
            }
            flow.place(h);
            if (p.endsSection() && s + 1 < sections.size()) {
                ++s;
                const Section& next = sections[s];
                flow.usable = next.pageSetup.usableHeight().value;
                width = next.pageSetup.usableWidth().value;
                if (next.start != SectionStart::Continuous) {
                    ++flow.page;
                    if ((next.start == SectionStart::EvenPage && flow.page % 2 == 1)
                        || (next.start == SectionStart::OddPage && flow.page % 2 == 0))
                        ++flow.page;
                    flow.y = 0;
                }
                starts.push_back(flow.page);
            }
        } else {
            const Table& t = b.table();
            for (const Row& r : t.rows) flow.place(rowHeight(t, r, defaults));
        }
    }
    lastPage = flow.page;
}

std::vector<int> Document::sectionEndPages() const {
    const_cast<Document*>(this)->syncSections();
    std::vector<int> starts;
    int last = 1;
    layout(body_.blocks, sections_, defaults_, starts, last);
    std::vector<int> ends(starts.begin() + 1, starts.end());
    ends.push_back(last);
    return ends;
}

int Document::pageCount() const { return sectionEndPages().back(); }

int Document::pagesOfLastSection() const {
    const_cast<Document*>(this)->syncSections();
    std::vector<int> starts;
    int last = 1;
    layout(body_.blocks, sections_, defaults_, starts, last);
    return last - starts.back() + 1;
}

} // namespace kovel::word

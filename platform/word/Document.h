#pragma once
// In-memory word-processor document: the label sheets, the label designs and the cell
// designs are all documents of this model, read from and written to .docx.
//
// Structure: a Document owns its main Story (the body); a Story is a list of Blocks, each a
// Paragraph or a Table; a Table has Rows of Cells, each Cell a Story of its own. A Paragraph
// holds inline items: text runs, inline pictures and floating line shapes anchored to it.
// Sections: the document has sectionCount() sections; a paragraph with endsSection() closes
// one (as the file format stores it), the last section closes at the end of the body.
//
// Indices are 0-based everywhere. References to blocks, rows, cells and inline items stay
// valid until the list that holds them changes (insertions, deletions, pastes); Ranges keep a
// pointer to their Story and re-check their positions on every use.
#include "platform/word/Units.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <variant>
#include <vector>

namespace kovel::word {

// Every failure of the layer: a message for the user that names the file where one is
// involved.
class WordError : public std::runtime_error {
public:
    explicit WordError(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};

// ---------------------------------------------------------------------------------------
// Formatting. Unset fields inherit (from the paragraph's mark or the document defaults).

struct RunFormat {
    std::optional<QString> fontName;
    std::optional<Points> size;          // stored in half-points: set rounds to 0.5 pt
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;       // single underline
    std::optional<bool> hidden;
    std::optional<std::uint32_t> colour; // 0xRRGGBB

    // The fields set in `changes` replace those here.
    void merge(const RunFormat& changes);
    bool operator==(const RunFormat&) const = default;
};

enum class Alignment { Left, Centre, Right, Justify };

struct ParagraphFormat {
    std::optional<Points> spaceBefore;   // stored in twips
    std::optional<Points> spaceAfter;    // stored in twips
    std::optional<Alignment> alignment;

    void merge(const ParagraphFormat& changes);
    bool operator==(const ParagraphFormat&) const = default;
};

// ---------------------------------------------------------------------------------------
// Inline content.

// Text of one format. Inside the text, '\t' is a tab, QChar(0x0B) a manual line break and
// QChar(0x0C) a page break (the word processor's own characters for them).
struct TextRun {
    QString text;
    RunFormat format;
    bool operator==(const TextRun&) const = default;
};

// A picture in the line of text. Its content is kept as PNG; its size is its shown size.
// A picture made by the program drawn as outlines of one colour, so that a document can
// carry it as one character of a font made for it: word processors lay out thousands of
// characters far faster than thousands of pictures. Shapes are closed polygons in the
// units of `size` (y down; 16-bit, at the finest of 1/64 of a unit that fits) and fill the
// picture's extent; pieces with the same key are the same shape (a code's digits), which
// the font then holds once.
struct GlyphOutline {
    struct Shape {
        int subunits = 64;                 // a unit of `size` is this many (a power of two)
        std::vector<std::int16_t> xy;      // x, y of each point, in sub-units
        std::vector<std::uint32_t> ends;   // one past each polygon's last point
        // Besides the polygons, axis-aligned rectangles as x0, y0, x1, y1 (x0 < x1, y0 < y1):
        // half the room of their corners as points, for a QR code's hundreds.
        std::vector<std::int16_t> rectangles;
    };
    // The path's polygons (curves flattened); empty when the path reaches beyond 32,767 units.
    static std::shared_ptr<const Shape> shapeOf(const QPainterPath& path);
    static std::shared_ptr<const Shape> shapeOf(const std::vector<QRectF>& rectangles);
    struct Piece {
        QString key;          // empty: a shape of this picture alone
        std::shared_ptr<const Shape> shape;
        QPointF offset;       // in the units of `size`
    };
    QSizeF size;
    std::vector<Piece> pieces;
    std::uint32_t colour = 0;   // 0xRRGGBB
};

class InlinePicture {
public:
    InlinePicture() = default;
    // Image content: any picture Qt reads (PNG, BMP...) is kept as PNG. Shown size starts
    // at the picture's own size at its resolution (96 dpi when it has none).
    static InlinePicture fromImage(const QImage& image);
    static InlinePicture fromFile(const QString& path); // WordError naming the file
    static InlinePicture fromPng(const QByteArray& png);  // WordError when not a PNG
    // A picture the program has just made, of `pixels`: a PNG, or an EMF vector picture
    // (which the word processors draw at the printer's resolution). Kept as it is, without
    // decoding it again: only its header is checked (WordError when it is neither, or a PNG
    // of another size). Shown at 96 dpi until sized.
    static InlinePicture fromEncoded(const QByteArray& bytes, QSize pixels);
    // Whether bytes hold an EMF picture (its header record and signature).
    static bool isEmf(const QByteArray& bytes);

    std::uint64_t id() const { return id_; }           // unique in its document, 0 = not placed yet
    // The picture's bytes: PNG, or EMF for a vector picture made by the program; a picture
    // read in another format that asks too much to convert keeps its own bytes.
    const QByteArray& png() const { return png_; }
    bool isVector() const { return isEmf(png_); }
    QSize pixelSize() const { return pixelSize_; }
    QString alternativeText() const { return altText_; }
    void setAlternativeText(const QString& text) { altText_ = text; }
    Points width() const { return toPoints(cx_); }
    Points height() const { return toPoints(cy_); }
    void setWidth(Points w) { cx_ = toEmu(w); }
    void setHeight(Points h) { cy_ = toEmu(h); }
    const RunFormat& format() const { return format_; }
    RunFormat& format() { return format_; }
    // The same picture as outlines (kept with the picture, not compared: it is made from it).
    const std::shared_ptr<const GlyphOutline>& glyphOutline() const { return glyph_; }
    void setGlyphOutline(std::shared_ptr<const GlyphOutline> g) { glyph_ = std::move(g); }

    bool operator==(const InlinePicture& o) const {
        return png_ == o.png_ && pixelSize_ == o.pixelSize_ && altText_ == o.altText_
            && cx_ == o.cx_ && cy_ == o.cy_ && format_ == o.format_;
    }

private:
    friend class Document;
    friend class Story;
    friend struct DocxAccess;
    std::uint64_t id_ = 0;
    QByteArray png_;
    QSize pixelSize_;
    QString altText_;
    Emu cx_, cy_;
    RunFormat format_;
    std::shared_ptr<const GlyphOutline> glyph_;
};

enum class WrapType { Square = 0, Tight = 1, TopAndBottom = 4 };

// A straight line floating over the text, anchored to its paragraph; positions are from the
// anchor's column (the cell, inside a table). Used as an invisible spacer that keeps text
// away from an edge by its wrap distance.
struct FloatingLine {
    Points beginX, beginY, endX, endY;
    double transparency = 0.0;          // 0 opaque … 1 invisible
    WrapType wrap = WrapType::Square;
    bool allowOverlap = true;
    Points distanceLeft, distanceRight, distanceTop, distanceBottom;
    bool operator==(const FloatingLine&) const = default;
};

using Inline = std::variant<TextRun, InlinePicture, FloatingLine>;

class Paragraph {
public:
    std::vector<Inline> items;
    ParagraphFormat format;
    RunFormat markFormat;               // format of the paragraph mark (an empty paragraph's font)

    // Text with one U+FFFC for each picture; length() counts the same positions.
    QString text() const;
    int length() const;
    bool endsSection() const { return endsSection_; }
    bool operator==(const Paragraph& o) const {
        return items == o.items && format == o.format && markFormat == o.markFormat
            && endsSection_ == o.endsSection_;
    }

private:
    friend class Document;
    friend class Story;
    friend class Range;
    friend struct DocxAccess;
    bool endsSection_ = false;
};

// ---------------------------------------------------------------------------------------
// Stories and tables.

struct Block;

// A sequence of blocks: the body of a document, or the content of a table cell. Never empty
// in a document: it always ends with a paragraph (the file format requires it).
class Story {
public:
    Story();                            // one empty paragraph
    std::vector<Block> blocks;

    int paragraphCount() const;         // top-level paragraphs
    int tableCount() const;             // top-level tables
    QString text() const;               // paragraphs separated by '\r', cells by '\a'
    bool operator==(const Story&) const;
};

enum class HeightRule { Auto = 0, AtLeast = 1, Exactly = 2 };
enum class LineStyle { None = 0, Single = 1 };

// Cell paddings (margins between the cell edge and its text); unset inherits the table's.
struct Paddings {
    std::optional<Twips> left, top, right, bottom;
    bool operator==(const Paddings&) const = default;
};

class Cell {
public:
    Story story;
    Points width() const { return toPoints(width_); }
    void setWidth(Points w) { width_ = toTwips(w); }      // rounds to the twip grid
    Paddings paddings;
    void setLeftPadding(Points p) { paddings.left = toTwips(p); }
    void setTopPadding(Points p) { paddings.top = toTwips(p); }
    void setRightPadding(Points p) { paddings.right = toTwips(p); }
    void setBottomPadding(Points p) { paddings.bottom = toTwips(p); }
    bool operator==(const Cell&) const = default;

private:
    friend class Table;
    friend struct DocxAccess;
    Twips width_{0};
};

class Row {
public:
    std::vector<Cell> cells;
    Points height() const { return toPoints(height_); }
    HeightRule heightRule() const { return rule_; }
    // Height rounded to the twip grid; Auto ignores the height.
    void setHeight(Points h, HeightRule rule) { height_ = toTwips(h); rule_ = rule; }
    bool allowBreakAcrossPages = true;
    bool operator==(const Row&) const = default;

private:
    friend struct DocxAccess;
    Twips height_{0};
    HeightRule rule_ = HeightRule::Auto;
};

class Table {
public:
    // rows × columns of empty cells, each column `columnWidth` wide.
    Table(int rows, int columns, Points columnWidth);
    Table() = default;

    std::vector<Row> rows;
    int rowCount() const { return static_cast<int>(rows.size()); }
    int columnCount() const;            // cells of the first row
    Cell& cell(int row, int column);    // std::out_of_range when outside
    const Cell& cell(int row, int column) const;

    void setColumnWidth(int column, Points w);   // every cell of that column
    // Table-wide cell paddings (default: 5.4 pt left and right, 0 top and bottom).
    Paddings defaultPaddings;
    void setLeftPadding(Points p) { defaultPaddings.left = toTwips(p); }
    void setTopPadding(Points p) { defaultPaddings.top = toTwips(p); }
    void setRightPadding(Points p) { defaultPaddings.right = toTwips(p); }
    void setBottomPadding(Points p) { defaultPaddings.bottom = toTwips(p); }
    LineStyle outsideBorder = LineStyle::Single;
    LineStyle insideBorder = LineStyle::Single;
    // False: fixed layout, the columns keep the widths set.
    bool allowAutoFit = true;
    bool operator==(const Table&) const = default;
};

struct Block {
    std::variant<Paragraph, Table> content;
    bool isParagraph() const { return std::holds_alternative<Paragraph>(content); }
    bool isTable() const { return std::holds_alternative<Table>(content); }
    Paragraph& paragraph() { return std::get<Paragraph>(content); }
    const Paragraph& paragraph() const { return std::get<Paragraph>(content); }
    Table& table() { return std::get<Table>(content); }
    const Table& table() const { return std::get<Table>(content); }
    bool operator==(const Block&) const = default;
};

// ---------------------------------------------------------------------------------------
// Page set-up and sections.

enum class Orientation { Portrait = 0, Landscape = 1 };

class PageSetup {
public:
    Points pageWidth() const { return toPoints(pageWidth_); }
    Points pageHeight() const { return toPoints(pageHeight_); }
    Points topMargin() const { return toPoints(top_); }
    Points bottomMargin() const { return toPoints(bottom_); }
    Points leftMargin() const { return toPoints(left_); }
    Points rightMargin() const { return toPoints(right_); }
    Points headerDistance() const { return toPoints(header_); }
    Points footerDistance() const { return toPoints(footer_); }
    Points gutter() const { return toPoints(gutter_); }
    Orientation orientation() const { return orientation_; }
    bool differentFirstPageHeaderFooter() const { return titlePage_; }

    // Every size is rounded to the twip grid; read back what the file will hold.
    void setPageWidth(Points v) { pageWidth_ = toTwips(v); }
    void setPageHeight(Points v) { pageHeight_ = toTwips(v); }
    void setTopMargin(Points v) { top_ = toTwips(v); }
    void setBottomMargin(Points v) { bottom_ = toTwips(v); }
    void setLeftMargin(Points v) { left_ = toTwips(v); }
    void setRightMargin(Points v) { right_ = toTwips(v); }
    void setHeaderDistance(Points v) { header_ = toTwips(v); }
    void setFooterDistance(Points v) { footer_ = toTwips(v); }
    void setGutter(Points v) { gutter_ = toTwips(v); }
    // A change of orientation exchanges page width and height, as the word processor does.
    void setOrientation(Orientation o);
    void setDifferentFirstPageHeaderFooter(bool v) { titlePage_ = v; }

    // Height and width left for the text: page less margins (and the gutter on the left).
    Points usableHeight() const;
    Points usableWidth() const;
    bool operator==(const PageSetup&) const = default;

private:
    friend struct DocxAccess;
    // A4 with the word processor's usual margins.
    Twips pageWidth_{11906}, pageHeight_{16838};
    Twips top_{1417}, bottom_{1417}, left_{1701}, right_{1701};
    Twips header_{708}, footer_{708}, gutter_{0};
    Orientation orientation_ = Orientation::Portrait;
    bool titlePage_ = false;
};

// How a section begins relative to the one before it.
enum class SectionStart { NextPage, Continuous, EvenPage, OddPage };

struct Section {
    PageSetup pageSetup;
    SectionStart start = SectionStart::NextPage;
    bool operator==(const Section&) const = default;
};

enum class BreakType { SectionNextPage = 2, SectionContinuous = 3, Line = 6, Page = 7 };
enum class Collapse { Start, End };

// ---------------------------------------------------------------------------------------
// Ranges: a span of one story, from a start to an end position. A position is a block and an
// offset into that paragraph (a picture counts one; a table block has offset 0 only, and a
// span that reaches a table's block covers the whole table).

struct Position {
    int block = 0;
    int offset = 0;
    friend constexpr bool operator==(Position, Position) = default;
    friend constexpr auto operator<=>(Position, Position) = default;
};

class Document;

class Range {
public:
    Range() = default;
    Range(Document& doc, Story& story, Position start, Position end);

    Document* document() const { return doc_; }
    Story* story() const { return story_; }
    Position start() const { return start_; }
    Position end() const { return end_; }
    bool isCollapsed() const { return start_ == end_; }
    bool coversWholeStory() const;
    void collapse(Collapse direction = Collapse::Start);

    QString text() const;
    // Copy of the content, as a story of its own (section ends are dropped).
    Story formattedText() const;
    // Replaces the content by a copy of `content` (a paste); the range then covers what was
    // put in. Pictures get fresh ids in this document; section ends are dropped.
    void setFormattedText(const Story& content);
    // Replaces the content by unformatted text in the format found at the start (the
    // paste of unformatted text); the range then covers the text.
    void setText(const QString& text);
    // Adds text at the end in the format found there and extends the range over it.
    void insertAfter(const QString& text);
    // Removes the content; the range collapses where it was. Deleting a whole story leaves
    // one empty paragraph with the first paragraph's mark format.
    void deleteContent();
    // Replaces the content by the picture; the range then covers the picture. Returns the
    // picture as placed (with its id).
    InlinePicture& insertPicture(InlinePicture picture);
    // Inserts a break at the start of the range (which collapses after the break). Section
    // breaks are refused inside a table cell.
    void insertBreak(BreakType type);

    // Effective format at the start (document defaults filled in).
    RunFormat font() const;
    void setFont(const RunFormat& changes);            // runs and paragraph marks of the range
    void setParagraphFormat(const ParagraphFormat& changes);

    // Inline pictures of the range, in document order (cells included).
    std::vector<InlinePicture*> inlinePictures() const;

private:
    friend class Document;
    void normalise();                  // positions brought back inside the story
    Document* doc_ = nullptr;
    Story* story_ = nullptr;
    Position start_, end_;
};

// ---------------------------------------------------------------------------------------

class Document {
public:
    // A new document: one empty paragraph, one section of A4 portrait (Documents.Add).
    static std::unique_ptr<Document> create();
    // Reads a .docx. The file is untrusted: sizes, counts and depth are bounded, and a
    // malformed package is refused with a WordError that names the file.
    static std::unique_ptr<Document> open(const QString& path);
    static std::unique_ptr<Document> fromBytes(const QByteArray& docx, const QString& nameForMessages);
    // Deep copy (same picture ids), e.g. a template read once and copied per label.
    std::unique_ptr<Document> clone() const;

    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document();

    // Writes the document as .docx through a temporary file renamed into place, so a failed
    // save leaves no half-written file. Sets fullName() and the saved flag.
    void saveAs(const QString& path);
    QByteArray toBytes() const;
    // The package handed to `sink` piece by piece, in order; a sink that returns false stops
    // it with a WordError.
    void pack(const std::function<bool(const char*, qint64)>& sink) const;

    QString fullName() const { return fullName_; }
    bool saved() const { return saved_; }
    void setSaved(bool s) { saved_ = s; }

    Story& body() { return body_; }
    const Story& body() const { return body_; }
    Range content();                     // the whole main story
    Range range(Story& story);           // the whole of a story of this document
    Range& selection() { return selection_; }   // the caret, at the start of a new document

    // Sections, in order; the page set-up of the whole document is that of every section.
    int sectionCount() const;
    Section& section(int index);
    const Section& section(int index) const;
    const PageSetup& pageSetup() const { return sections_.front().pageSetup; }
    void setPageSetup(const PageSetup& setup);   // every section
    Range sectionRange(int index);
    bool mirrorMargins() const { return mirrorMargins_; }
    void setMirrorMargins(bool on) { mirrorMargins_ = on; }
    // On: pictures with a glyph outline are saved as characters of fonts embedded in the
    // document, the same on paper. For documents made to be printed (a merge's sheets):
    // the word processor then shows them as text, not as pictures to resize.
    bool picturesAsGlyphs() const { return picturesAsGlyphs_; }
    void setPicturesAsGlyphs(bool on) { picturesAsGlyphs_ = on; }

    // Top-level tables of the body, in order.
    int tableCount() const { return body_.tableCount(); }
    Table& table(int index);             // std::out_of_range when outside
    Range tableRange(int index);         // covers the table's block
    Range cellRange(int table, int row, int column);
    // Adds a table at the range (Tables.Add): an empty paragraph at the range's start takes
    // the table before it; otherwise the paragraph is split there. The range's content is
    // replaced. Columns share the text width; single borders, auto-fit on.
    Table& addTable(const Range& at, int rows, int columns);
    void deleteTable(int index);

    // Every inline picture of the body, cells included, in document order. The pointers
    // last until the document changes; to replace pictures one after another, walk
    // pictureIds() and look each one up with pictureRange().
    std::vector<InlinePicture*> inlinePictures();
    std::vector<std::uint64_t> pictureIds();
    InlinePicture* picture(std::uint64_t id);
    Range pictureRange(std::uint64_t id);        // covers the picture; std::out_of_range when gone
    // Floating lines anchored in the body's first paragraph (where Shapes.AddLine puts them).
    FloatingLine& addLine(Points beginX, Points beginY, Points endX, Points endY);
    std::vector<FloatingLine*> floatingLines();

    // First occurrence of `text` inside one paragraph of the range, or an empty optional.
    std::optional<Range> find(const QString& text, const Range& within);

    // Layout from the document's own geometry: paragraphs take their line height (1.15 ×
    // their largest font size, plus spacing), rows of exact height their height, rows of
    // other rules the larger of their height and their content; a block that does not fit
    // what is left of the page starts the next one; a next-page section starts a page.
    int pageCount() const;
    // 1-based page number at the end of each section's range, as the word processor's
    // Information reports it: for every section but the last that is the page on which the
    // next section starts (the end lies after the section break); for the last, the last page.
    std::vector<int> sectionEndPages() const;
    // Pages spanned by the last section (from the page it starts on to the last page).
    int pagesOfLastSection() const;

    // Format that unset run fields inherit (styles.xml defaults).
    const RunFormat& defaultRunFormat() const { return defaults_; }
    void setDefaultRunFormat(const RunFormat& f) { defaults_ = f; }

private:
    Document();
    friend class Range;
    friend struct DocxAccess;
    void assignIds(Story& story);
    void syncSections();               // one section per section end, plus the last
    std::uint64_t nextId_ = 1;
    Story body_;
    std::vector<Section> sections_;
    bool mirrorMargins_ = false;
    bool picturesAsGlyphs_ = false;
    RunFormat defaults_;
    Range selection_;
    QString fullName_;
    bool saved_ = true;
};

} // namespace kovel::word

#include "platform/word/Document.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <zip.h>

using namespace kovel::word;

namespace {

InlinePicture redSquare(int side = 12) {
    QImage img(side, side, QImage::Format_RGB32);
    img.fill(Qt::red);
    return InlinePicture::fromImage(img);
}

std::unique_ptr<Document> roundTrip(const Document& d) { return Document::fromBytes(d.toBytes(), QStringLiteral("memory.docx")); }

// A package whose parts are given here, for the reader's refusals.
QByteArray makeZip(const std::vector<std::pair<const char*, QByteArray>>& parts) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_t* za = zip_open_from_source(src, ZIP_TRUNCATE, &err);
    zip_source_keep(src);
    for (const auto& [name, data] : parts) {
        zip_source_t* s = zip_source_buffer(za, data.constData(), static_cast<zip_uint64_t>(data.size()), 0);
        zip_file_add(za, name, s, ZIP_FL_OVERWRITE);
    }
    zip_close(za);
    zip_source_open(src);
    zip_stat_t st;
    zip_source_stat(src, &st);
    QByteArray out(static_cast<qsizetype>(st.size), '\0');
    zip_source_read(src, out.data(), st.size);
    zip_source_close(src);
    zip_source_free(src);
    return out;
}

const QByteArray kRels = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>";

} // namespace

TEST(PlatformWordModel, PageSetupAndSizesReadBackOnTheTwipGrid) {
    auto d = Document::create();
    PageSetup ps = d->pageSetup();
    ps.setOrientation(Orientation::Landscape);      // exchanges A4's sides
    EXPECT_EQ(ps.pageWidth(), Points(841.9));
    ps.setPageWidth(Points(500.0));
    ps.setPageHeight(centimetresToPoints(Centimetres(29.7)));
    ps.setLeftMargin(Points(12.34));                // 246.8 twips → 247
    ps.setTopMargin(centimetresToPoints(Centimetres(1.3)));
    ps.setRightMargin(Points(0));
    ps.setBottomMargin(Points(0));
    ps.setHeaderDistance(Points(0));
    ps.setFooterDistance(Points(0));
    ps.setGutter(Points(0));
    ps.setDifferentFirstPageHeaderFooter(false);
    d->setPageSetup(ps);
    EXPECT_DOUBLE_EQ(d->pageSetup().leftMargin().value, 12.35);
    EXPECT_DOUBLE_EQ(d->pageSetup().topMargin().value, 737 / 20.0);

    Table& t = d->addTable(d->content(), 2, 2);
    t.rows[0].setHeight(Points(28.3), HeightRule::Exactly);   // 566 twips
    t.rows[1].setHeight(Points(28.33), HeightRule::Exactly);  // 566.6 → 567
    t.setColumnWidth(0, Points(100.01));
    t.setColumnWidth(1, Points(8));
    EXPECT_DOUBLE_EQ(t.rows[1].height().value, 28.35);
    EXPECT_DOUBLE_EQ(t.cell(0, 0).width().value, 100.0);

    auto back = roundTrip(*d);
    EXPECT_EQ(back->pageSetup(), d->pageSetup());
    EXPECT_EQ(back->pageSetup().orientation(), Orientation::Landscape);
    ASSERT_EQ(back->tableCount(), 1);
    const Table& bt = back->table(0);
    EXPECT_EQ(bt.rows[0].heightRule(), HeightRule::Exactly);
    EXPECT_DOUBLE_EQ(bt.rows[0].height().value, 28.3);
    EXPECT_DOUBLE_EQ(bt.rows[1].height().value, 28.35);
    EXPECT_DOUBLE_EQ(bt.cell(1, 0).width().value, 100.0);
    EXPECT_DOUBLE_EQ(bt.cell(1, 1).width().value, 8.0);
}

TEST(PlatformWordModel, RoundTripKeepsTheWholeModel) {
    auto d = Document::create();
    d->setMirrorMargins(true);
    Range r = d->content();
    r.setText(QStringLiteral("Label\tone"));
    RunFormat bold;
    bold.bold = true;
    bold.fontName = QStringLiteral("Arial");
    bold.size = Points(10.5);
    bold.colour = 0x0076C4;
    r.setFont(bold);
    ParagraphFormat pf;
    pf.spaceBefore = Points(0);
    pf.spaceAfter = Points(3);
    pf.alignment = Alignment::Centre;
    r.setParagraphFormat(pf);
    Range end = d->content();
    end.collapse(Collapse::End);
    end.insertBreak(BreakType::SectionContinuous);
    Table& t = d->addTable(end, 3, 2);
    t.outsideBorder = LineStyle::None;
    t.insideBorder = LineStyle::None;
    t.allowAutoFit = false;
    t.setLeftPadding(Points(0));
    t.setTopPadding(Points(1));
    t.cell(0, 0).setBottomPadding(Points(2));
    t.rows[2].setHeight(Points(40), HeightRule::AtLeast);
    t.rows[1].allowBreakAcrossPages = false;
    Range cell = d->cellRange(0, 1, 1);
    InlinePicture& pic = cell.insertPicture(redSquare());
    pic.setAlternativeText(QStringLiteral("TOLV_campNom & <co> \"\u00E9\""));
    pic.setWidth(Points(30));
    pic.setHeight(Points(15));
    Range after = d->content();
    after.collapse(Collapse::End);
    after.insertBreak(BreakType::SectionNextPage);
    // Markup characters and text beyond ASCII (two, three and four UTF-8 bytes) survive.
    after.insertAfter(QStringLiteral("last  page \"q\" & <x> 'a' \u00D1\u20AC") + QString::fromUcs4(U"\U0001F600"));

    auto back = roundTrip(*d);
    EXPECT_TRUE(back->mirrorMargins());
    EXPECT_EQ(back->body(), d->body());
    ASSERT_EQ(back->sectionCount(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(back->section(i), d->section(i)) << i;
    EXPECT_EQ(back->section(1).start, SectionStart::Continuous);
    EXPECT_EQ(back->section(2).start, SectionStart::NextPage);
    auto pics = back->inlinePictures();
    ASSERT_EQ(pics.size(), 1u);
    EXPECT_EQ(pics[0]->alternativeText(), QStringLiteral("TOLV_campNom & <co> \"\u00E9\""));
    EXPECT_EQ(pics[0]->pixelSize(), QSize(12, 12));
    EXPECT_DOUBLE_EQ(pics[0]->width().value, 30.0);
    // Written again, the same bytes of model.
    EXPECT_EQ(roundTrip(*back)->body(), back->body());
}

TEST(PlatformWordModel, SavesThroughAFileAndRefusesUnwritableFolders) {
    QTemporaryDir dir;
    auto d = Document::create();
    d->content().setText(QStringLiteral("x"));
    EXPECT_FALSE(d->saved());
    const QString path = dir.filePath(QStringLiteral("a.docx"));
    d->saveAs(path);
    EXPECT_TRUE(d->saved());
    EXPECT_EQ(d->fullName(), path);
    auto back = Document::open(path);
    EXPECT_EQ(back->content().text(), QStringLiteral("x\r"));
    EXPECT_THROW(d->saveAs(dir.filePath(QStringLiteral("missing/b.docx"))), WordError);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing/b.docx"))));
}

TEST(PlatformWordModel, PicturePlaceholdersAreFoundReplacedAndDeleted) {
    auto d = Document::create();
    Range r = d->content();
    r.setText(QStringLiteral("Name: "));
    RunFormat big;
    big.size = Points(20);
    r.setFont(big);
    Range at = d->content();
    at.collapse(Collapse::End);
    at.insertPicture(redSquare()).setAlternativeText(QStringLiteral("TOLV_campNom"));
    at.collapse(Collapse::End);
    at.insertAfter(QStringLiteral(" / "));
    at.collapse(Collapse::End);
    at.insertPicture(redSquare()).setAlternativeText(QStringLiteral("TOLV_barres_1_Codi"));
    EXPECT_DOUBLE_EQ(at.font().size->value, 20.0);   // a picture takes the format around it

    const auto pics = d->inlinePictures();
    ASSERT_EQ(pics.size(), 2u);
    const std::uint64_t field = pics[0]->id(), code = pics[1]->id();
    EXPECT_NE(field, code);

    Range sel = d->pictureRange(field);
    sel.deleteContent();
    sel.setText(QStringLiteral("Anna\r\n"));           // a cell's text ends a paragraph
    EXPECT_EQ(d->body().paragraphCount(), 2);
    Range c = d->pictureRange(code);
    c.deleteContent();
    InlinePicture& made = c.insertPicture(redSquare(30));
    made.setAlternativeText(QStringLiteral("TOLV_barcode_Codi"));
    EXPECT_EQ(d->content().text(), QStringLiteral("Name: Anna\r / ") + QChar(0xFFFC) + QStringLiteral("\r"));
    EXPECT_EQ(d->picture(code), nullptr);
    EXPECT_THROW(d->pictureRange(code), std::out_of_range);
    EXPECT_DOUBLE_EQ(d->content().font().size->value, 20.0);

    auto found = d->find(QStringLiteral("Anna"), d->content());
    ASSERT_TRUE(found);
    found->setText(QStringLiteral("Bo"));
    EXPECT_TRUE(d->content().text().startsWith(QStringLiteral("Name: Bo\r")));
}

// Pictures the program has just made go in without being decoded again: a PNG of the size
// said, or an EMF vector picture, which the package carries as such and reads back whole.
TEST(PlatformWordModel, EncodedPicturesKeptAsTheyAre) {
    QImage img(7, 3, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QByteArray png;
    {
        QBuffer b(&png);
        b.open(QIODevice::WriteOnly);
        img.save(&b, "PNG");
    }
    EXPECT_EQ(InlinePicture::fromEncoded(png, QSize(7, 3)).png(), png);
    EXPECT_THROW(InlinePicture::fromEncoded(png, QSize(8, 3)), WordError);
    EXPECT_THROW(InlinePicture::fromEncoded(QByteArray("not a picture at all, not at all, not at all"), QSize(7, 3)), WordError);

    // The smallest EMF: header (bounds 0..9 x 0..4) and the end record.
    QByteArray emf(88, '\0');
    auto put = [&emf](int at, qint32 v) { qToLittleEndian(v, emf.data() + at); };
    put(0, 1), put(4, 88), put(16, 9), put(20, 4), put(32, 999), put(36, 499);
    emf.replace(40, 4, " EMF");
    put(44, 0x10000), put(48, 88 + 20), put(52, 2), put(56, 1);
    put(72, 10), put(76, 5), put(80, 10), put(84, 5);
    emf += QByteArray::fromHex("0e000000140000000000000010000000" "14000000");
    ASSERT_TRUE(InlinePicture::isEmf(emf));
    auto d = Document::create();
    InlinePicture& p = d->content().insertPicture(InlinePicture::fromEncoded(emf, QSize(10, 5)));
    p.setAlternativeText(QStringLiteral("TOLV_barcode_A"));
    EXPECT_TRUE(p.isVector());
    const QByteArray bytes = d->toBytes();
    EXPECT_TRUE(bytes.contains("word/media/image1.emf"));
    auto back = Document::fromBytes(bytes, QStringLiteral("memory.docx"));
    ASSERT_EQ(back->inlinePictures().size(), 1u);
    EXPECT_EQ(back->inlinePictures()[0]->png(), emf);
    EXPECT_EQ(back->inlinePictures()[0]->pixelSize(), QSize(10, 5));
}

TEST(PlatformWordModel, StoryCopiedIntoCellsAndDocuments) {
    auto design = Document::create();
    design->content().setText(QStringLiteral("Line 1\rLine 2"));
    Range end = design->content();
    end.collapse(Collapse::End);
    end.insertPicture(redSquare()).setAlternativeText(QStringLiteral("TOLV_qr"));
    design->addLine(Points(0), Points(0), Points(0), Points(50)).transparency = 1.0;
    const Story story = design->content().formattedText();

    auto out = Document::create();
    Table& t = out->addTable(out->content(), 2, 2);
    (void)t;
    out->cellRange(0, 0, 0).setFormattedText(story);
    out->cellRange(0, 1, 1).setFormattedText(story);
    EXPECT_EQ(out->table(0).cell(0, 0).story, story);
    const auto pics = out->inlinePictures();
    ASSERT_EQ(pics.size(), 2u);
    EXPECT_NE(pics[0]->id(), pics[1]->id());        // each paste is a picture of its own
    EXPECT_EQ(out->floatingLines().size(), 2u);
    auto back = roundTrip(*out);
    EXPECT_EQ(back->table(0).cell(1, 1).story, story);
    EXPECT_EQ(back->floatingLines().front()->transparency, 1.0);

    // A paste into a whole main story keeps the target's page set-up.
    auto copy = Document::create();
    PageSetup small;
    small.setPageWidth(Points(100));
    copy->setPageSetup(small);
    copy->content().setFormattedText(story);
    EXPECT_EQ(copy->content().text(), design->content().text());
    EXPECT_EQ(copy->pageSetup().pageWidth(), Points(100));
    // Section ends do not travel into cells.
    Range e = copy->content();
    e.collapse(Collapse::End);
    e.insertBreak(BreakType::SectionNextPage);
    out->cellRange(0, 1, 0).setFormattedText(copy->content().formattedText());
    EXPECT_EQ(roundTrip(*out)->sectionCount(), 1);
    EXPECT_THROW(out->cellRange(0, 0, 0).insertBreak(BreakType::SectionNextPage), WordError);

    auto twin = out->clone();
    EXPECT_EQ(twin->body(), out->body());
}

TEST(PlatformWordModel, DeletingAWholeStoryKeepsItsFont) {
    auto d = Document::create();
    Range all = d->content();
    all.setText(QStringLiteral("abc"));
    RunFormat f;
    f.fontName = QStringLiteral("Arial");
    f.size = Points(9);
    all.setFont(f);
    Range again = d->content();
    const RunFormat before = again.font();
    again.deleteContent();
    again.setFont(before);
    EXPECT_EQ(d->content().text(), QStringLiteral("\r"));
    EXPECT_EQ(d->content().font().fontName, QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(d->content().font().size->value, 9.0);
}

TEST(PlatformWordModel, PageCountFollowsRowsBreaksAndSections) {
    auto d = Document::create();
    PageSetup ps;
    ps.setPageHeight(Points(300));
    ps.setTopMargin(Points(10));
    ps.setBottomMargin(Points(0));
    d->setPageSetup(ps);
    RunFormat tiny;
    tiny.size = Points(1);
    d->content().setFont(tiny);                    // the paragraph after each table: 1.15 pt
    Table& t = d->addTable(d->content(), 4, 2);
    for (Row& r : t.rows) r.setHeight(Points(72), HeightRule::Exactly);
    EXPECT_EQ(d->pageCount(), 1);                  // 288 + 1.15 of 290
    EXPECT_EQ(d->pagesOfLastSection(), 1);
    t.rows[3].setHeight(Points(74), HeightRule::Exactly);
    EXPECT_EQ(d->pageCount(), 2);                  // the trailing paragraph moves on

    // Page 2 after a continuous break starts where page 1's trailing paragraph went.
    Range r = d->tableRange(0);
    r.collapse(Collapse::End);
    r.insertBreak(BreakType::SectionContinuous);
    Table& t2 = d->addTable(r, 4, 2);
    for (Row& row : t2.rows) row.setHeight(Points(72), HeightRule::Exactly);
    EXPECT_EQ(d->sectionCount(), 2);
    EXPECT_EQ(d->sectionEndPages(), (std::vector<int>{2, 3}));
    EXPECT_EQ(d->pagesOfLastSection(), 2);
    EXPECT_EQ(d->pageCount(), 3);

    auto n = Document::create();
    n->setPageSetup(ps);
    n->content().setFont(tiny);
    Table& a = n->addTable(n->content(), 1, 1);
    a.rows[0].setHeight(Points(100), HeightRule::Exactly);
    Range e = n->tableRange(0);
    e.collapse(Collapse::End);
    e.insertBreak(BreakType::SectionNextPage);
    n->addTable(e, 1, 1).rows[0].setHeight(Points(100), HeightRule::Exactly);
    EXPECT_EQ(n->sectionEndPages(), (std::vector<int>{2, 2}));
    EXPECT_EQ(n->pagesOfLastSection(), 1);
    e = n->content();
    e.collapse(Collapse::End);
    e.insertBreak(BreakType::Page);
    EXPECT_EQ(n->pageCount(), 3);
    EXPECT_EQ(roundTrip(*n)->pageCount(), 3);
}

TEST(PlatformWordReader, RefusesMalformedPackagesNamingTheFile) {
    const QString name = QStringLiteral("bad.docx");
    auto message = [&](const QByteArray& bytes) {
        try {
            Document::fromBytes(bytes, name);
        } catch (const WordError& e) {
            return e.message();
        }
        return QString();
    };
    EXPECT_TRUE(message("not a zip").contains(name));
    EXPECT_TRUE(message(makeZip({{"hello.txt", "x"}})).contains(QStringLiteral("not a word-processor document")));
    const QByteArray doc = "<?xml version=\"1.0\"?><w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body><w:p>";
    EXPECT_TRUE(message(makeZip({{"_rels/.rels", kRels}, {"word/document.xml", doc}})).contains(QStringLiteral("XML")));
    const QByteArray dtd = "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"aaaa\">]><w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body/></w:document>";
    EXPECT_TRUE(message(makeZip({{"_rels/.rels", kRels}, {"word/document.xml", dtd}})).contains(QStringLiteral("document type")));
    QByteArray deep = "<?xml version=\"1.0\"?><w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";
    for (int i = 0; i < 400; ++i) deep += "<w:sdt><w:sdtContent>";
    EXPECT_TRUE(message(makeZip({{"_rels/.rels", kRels}, {"word/document.xml", deep}})).contains(QStringLiteral("nested")));
    EXPECT_THROW(Document::open(QStringLiteral("/nonexistent/x.docx")), WordError);

    // Tolerated: a file with no styles, settings or relationships, unknown elements and a
    // picture whose part is missing.
    const QByteArray lean = "<?xml version=\"1.0\"?><w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
                            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><w:body><w:p><w:r><w:t>hi</w:t></w:r>"
                            "<w:bookmarkStart w:id=\"0\"/><w:r><w:drawing><a:blip xmlns:a=\"x\" r:embed=\"rId9\"/></w:drawing></w:r></w:p>"
                            "<w:sectPr><w:pgSz w:w=\"5cm\" w:h=\"2000\"/></w:sectPr></w:body></w:document>";
    auto d = Document::fromBytes(makeZip({{"_rels/.rels", kRels}, {"word/document.xml", lean}}), name);
    EXPECT_EQ(d->content().text(), QStringLiteral("hi\r"));
    EXPECT_EQ(d->pageSetup().pageWidth(), Points(2835 / 20.0));
}

// A package cut short or damaged in transit is refused, naming the file, never read in part.
TEST(PlatformWordReader, RefusesTruncatedAndDamagedPackages) {
    auto d = Document::create();
    QString text;
    for (int i = 0; i < 400; ++i) text += QString::number(i * 7919) + QLatin1Char(' ');
    d->content().setText(text);
    const QByteArray whole = d->toBytes();
    const QString name = QStringLiteral("cut.docx");
    auto message = [&](const QByteArray& bytes) {
        try {
            Document::fromBytes(bytes, name);
        } catch (const WordError& e) {
            return e.message();
        }
        return QString();
    };
    for (qsizetype cut : {qsizetype(10), whole.size() / 2, whole.size() - 1}) {
        const QString m = message(whole.left(cut));
        EXPECT_TRUE(m.contains(name)) << cut << qPrintable(m);
    }
    QByteArray damaged = whole;
    const qsizetype at = damaged.indexOf("word/document.xml");
    ASSERT_GT(at, 0);
    for (qsizetype i = at + 60; i < at + 90; ++i) damaged[i] = char(damaged[i] ^ 0x5a);
    const QString m = message(damaged);
    EXPECT_TRUE(m.contains(name) && m.contains(QStringLiteral("word/document.xml"))) << qPrintable(m);
}

// A package written by another word processor from one of ours (styles of its own, font
// table, document properties, its own twip rounding): the parts the layer uses come back.
TEST(PlatformWordReader, ReadsAPackageWrittenElsewhere) {
    auto d = Document::open(QStringLiteral(KOVEL_SOURCE_DIR "/platform/word/tests/data/written-elsewhere.docx"));
    EXPECT_TRUE(d->saved());
    ASSERT_EQ(d->sectionCount(), 2);
    EXPECT_EQ(d->section(1).start, SectionStart::NextPage);
    EXPECT_EQ(d->pageCount(), 2);
    const auto pics = d->inlinePictures();
    ASSERT_EQ(pics.size(), 1u);
    EXPECT_EQ(pics[0]->alternativeText(), QStringLiteral("TOLV_campNom"));
    EXPECT_EQ(pics[0]->pixelSize(), QSize(20, 10));
    ASSERT_EQ(d->tableCount(), 1);
    const Table& t = d->table(0);
    ASSERT_EQ(t.rowCount(), 3);
    ASSERT_EQ(t.columnCount(), 2);
    EXPECT_FALSE(t.allowAutoFit);
    EXPECT_EQ(t.outsideBorder, LineStyle::None);
    for (const Row& r : t.rows) {
        EXPECT_EQ(r.heightRule(), HeightRule::Exactly);
        EXPECT_DOUBLE_EQ(r.height().value, 50.35);
    }
    EXPECT_NEAR(t.cell(0, 0).width().value, 120.5, 0.1);
    EXPECT_EQ(d->content().text(), QStringLiteral("Before ") + QChar(0xFFFC) + QStringLiteral("\r\a\a\a\acell\a\a\a\a\a\r"));
    // Written by us it reads back the same.
    EXPECT_EQ(roundTrip(*d)->body(), d->body());
}

// Editing spans of several blocks, as a rich-text editor over the model does.
TEST(PlatformWordModel, SpansAcrossParagraphsTablesAndSections) {
    auto d = Document::create();
    d->content().setText(QStringLiteral("abcdef\rghi"));
    Story two;
    two.blocks.clear();
    Paragraph p1, p2;
    p1.items.push_back(TextRun{QStringLiteral("X"), {}});
    p2.items.push_back(TextRun{QStringLiteral("Y"), {}});
    two.blocks = {Block{p1}, Block{p2}};
    Range mid(*d, d->body(), {0, 3}, {0, 3});
    mid.setFormattedText(two);                       // each pasted mark ends a paragraph
    EXPECT_EQ(d->content().text(), QStringLiteral("abcX\rY\rdef\rghi\r"));

    Range across(*d, d->body(), {0, 2}, {2, 1});     // "cX|Y|d"
    EXPECT_EQ(across.text(), QStringLiteral("cX\rY\rd"));
    across.deleteContent();
    EXPECT_EQ(d->content().text(), QStringLiteral("abef\rghi\r"));
    EXPECT_TRUE(across.isCollapsed());

    // Deleting a section end joins the sections; the text takes the following set-up.
    Range br(*d, d->body(), {0, 2}, {0, 2});
    br.insertBreak(BreakType::SectionNextPage);
    ASSERT_EQ(d->sectionCount(), 2);
    PageSetup narrow = d->section(1).pageSetup;
    narrow.setPageWidth(Points(300));
    d->section(1).pageSetup = narrow;
    Range join(*d, d->body(), {0, 2}, {1, 0});
    join.deleteContent();
    EXPECT_EQ(d->sectionCount(), 1);
    EXPECT_EQ(d->pageSetup().pageWidth(), Points(300));
    EXPECT_EQ(d->content().text(), QStringLiteral("abef\rghi\r"));

    // A span that reaches a table takes all of it.
    Range after(*d, d->body(), {1, 3}, {1, 3});
    d->addTable(after, 2, 2);
    ASSERT_EQ(d->tableCount(), 1);
    Range overTable(*d, d->body(), {1, 1}, {2, 0});
    overTable.deleteContent();
    EXPECT_EQ(d->tableCount(), 0);
    EXPECT_EQ(d->content().text(), QStringLiteral("abef\rg\r\r"));   // the paragraph after the table stays

    // Stale ranges are brought back inside the story, never past it.
    Range stale(*d, d->body(), {9, 40}, {12, 3});
    stale.insertAfter(QStringLiteral("!"));
    EXPECT_EQ(d->content().text(), QStringLiteral("abef\rg\r!\r"));
}

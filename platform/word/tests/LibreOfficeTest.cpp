// Files the layer writes must open in an independent word processor and lay out where the
// model says. One conversion run handles every file, with a private profile.
#include "platform/word/Document.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <map>

using namespace kovel::word;

namespace {

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
};

struct PdfText {
    std::vector<std::pair<double, double>> pages;   // width, height in points
    std::map<QString, std::vector<Word>> words;
};

PdfText readBoxes(const QString& pdf) {
    PdfText out;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression token(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            out.pages.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
        } else {
            out.words[m.captured(7)].push_back(Word{static_cast<int>(out.pages.size()), m.captured(3).toDouble(),
                                                    m.captured(4).toDouble(), m.captured(5).toDouble(), m.captured(6).toDouble()});
        }
    }
    return out;
}

constexpr double kTolerance = 72.0 / 25.4 * 0.3;   // 0.3 mm

RunFormat markerFont() {
    RunFormat f;
    f.fontName = QStringLiteral("DejaVu Sans");
    f.size = Points(8);
    return f;
}

InlinePicture square(Points side) {
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::blue);
    InlinePicture p = InlinePicture::fromImage(img);
    p.setWidth(side);
    p.setHeight(side);
    return p;
}

// A sheet as the label generator lays it: the page cut to the label grid, one table, label
// cells with gaps, exact rows, no paddings, no borders, fixed columns.
struct Sheet {
    double left, top, width, height, pitchX, pitchY;
    int across, down;
};

void labelTable(Document& d, const Range& at, const Sheet& s, int page, std::vector<std::pair<double, double>>& expected) {
    const bool gapX = s.pitchX > s.width, gapY = s.pitchY > s.height;
    const int cols = gapX ? 2 * s.across - 1 : s.across;
    const int rows = gapY ? 2 * s.down - 1 : s.down;
    Table& t = d.addTable(at, rows, cols);
    t.outsideBorder = LineStyle::None;
    t.insideBorder = LineStyle::None;
    t.allowAutoFit = false;
    t.setLeftPadding(Points(0));
    t.setRightPadding(Points(0));
    t.setTopPadding(Points(0));
    t.setBottomPadding(Points(0));
    for (int r = 0; r < rows; ++r) {
        const bool label = !gapY || r % 2 == 0;
        t.rows[static_cast<size_t>(r)].setHeight(centimetresToPoints(Centimetres(label ? s.height : s.pitchY - s.height)),
                                                 HeightRule::Exactly);
    }
    for (int c = 0; c < cols; ++c) {
        const bool label = !gapX || c % 2 == 0;
        t.setColumnWidth(c, centimetresToPoints(Centimetres(label ? s.width : s.pitchX - s.width)));
    }
    double y = d.pageSetup().topMargin().value;
    for (int r = 0; r < rows; ++r) {
        double x = d.pageSetup().leftMargin().value;
        for (int c = 0; c < cols; ++c) {
            const Cell& cell = t.cell(r, c);
            if ((!gapY || r % 2 == 0) && (!gapX || c % 2 == 0)) {
                expected.emplace_back(x, y);
                const QString marker = QStringLiteral("P%1R%2C%3").arg(page).arg(r).arg(c);
                Range cr = d.cellRange(d.tableCount() - 1, r, c);
                cr.setText(marker);
                cr.setFont(markerFont());
            }
            x += cell.width().value;
        }
        y += t.rows[static_cast<size_t>(r)].height().value;
    }
}

} // namespace

TEST(PlatformWordLibreOffice, OpensWrittenFilesAndPlacesTheirContent) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed: install libreoffice-writer-nogui (scripts/deps.sh)";
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        << "pdftotext is not installed: install poppler-utils (scripts/deps.sh)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    // 1. A sheet of 3 × 4 labels with gaps both ways, two pages in two sections.
    const Sheet s{0.72, 1.51, 6.35, 3.81, 6.6, 4.0, 3, 4};
    auto sheet = Document::create();
    PageSetup ps;
    ps.setHeaderDistance(Points(0));
    ps.setFooterDistance(Points(0));
    ps.setPageWidth(centimetresToPoints(Centimetres((s.across - 1) * s.pitchX + s.left + s.width + s.left + 0.05)));
    ps.setPageHeight(centimetresToPoints(Centimetres((s.down - 1) * s.pitchY + s.top + s.height + s.top + 0.05)));
    ps.setLeftMargin(centimetresToPoints(Centimetres(s.left)));
    ps.setTopMargin(centimetresToPoints(Centimetres(s.top)));
    ps.setRightMargin(Points(0));
    ps.setBottomMargin(Points(0));
    sheet->setPageSetup(ps);
    RunFormat tiny;
    tiny.size = Points(1);
    sheet->content().setFont(tiny);
    std::vector<std::pair<double, double>> expected1, expected2;
    labelTable(*sheet, sheet->content(), s, 1, expected1);
    Range after = sheet->tableRange(0);
    after.collapse(Collapse::End);
    after.insertBreak(BreakType::SectionNextPage);
    labelTable(*sheet, after, s, 2, expected2);
    EXPECT_EQ(sheet->pageCount(), 2);
    sheet->saveAs(dir.filePath(QStringLiteral("sheet.docx")));

    // 2. Pictures with alternative text in a line of text, landscape page.
    auto pics = Document::create();
    PageSetup land;
    land.setOrientation(Orientation::Landscape);
    land.setLeftMargin(Points(72));
    land.setTopMargin(Points(72));
    pics->setPageSetup(land);
    Range line = pics->content();
    line.insertPicture(square(Points(36))).setAlternativeText(QStringLiteral("TOLV_campNom"));
    line.collapse(Collapse::End);
    line.insertAfter(QStringLiteral("AfterPicture"));
    line.setFont(markerFont());
    pics->saveAs(dir.filePath(QStringLiteral("pictures.docx")));

    // 3. A design's margins as invisible spacer lines, pasted into a cell: the text keeps
    // its distance from the cell's edges.
    auto design = Document::create();
    design->content().setText(QStringLiteral("Spaced"));
    design->content().setFont(markerFont());
    FloatingLine& left = design->addLine(Points(0), Points(0), Points(0), Points(100));
    left.transparency = 1.0;
    left.wrap = WrapType::Square;
    left.distanceRight = Points(20);
    FloatingLine& top = design->addLine(Points(0), Points(0), Points(150), Points(0));
    top.transparency = 1.0;
    top.wrap = WrapType::TopAndBottom;
    top.distanceBottom = Points(15);
    auto spaced = Document::create();
    PageSetup inch;
    inch.setLeftMargin(Points(72));
    inch.setTopMargin(Points(72));
    spaced->setPageSetup(inch);
    Table& one = spaced->addTable(spaced->content(), 1, 1);
    one.setLeftPadding(Points(0));
    one.setRightPadding(Points(0));
    one.allowAutoFit = false;
    one.setColumnWidth(0, Points(150));
    one.rows[0].setHeight(Points(100), HeightRule::Exactly);
    spaced->cellRange(0, 0, 0).setFormattedText(design->content().formattedText());
    spaced->saveAs(dir.filePath(QStringLiteral("spaced.docx")));

    QProcess lo;
    lo.setWorkingDirectory(dir.path());
    lo.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                       QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                       QStringLiteral("--outdir"), dir.path(), dir.filePath(QStringLiteral("sheet.docx")),
                       dir.filePath(QStringLiteral("pictures.docx")), dir.filePath(QStringLiteral("spaced.docx"))});
    ASSERT_TRUE(lo.waitForFinished(120000)) << "LibreOffice did not finish";
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("sheet.pdf")))) << lo.readAllStandardError().toStdString();
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("pictures.pdf"))));

    const PdfText a = readBoxes(dir.filePath(QStringLiteral("sheet.pdf")));
    ASSERT_EQ(a.pages.size(), 2u);
    EXPECT_NEAR(a.pages[0].first, ps.pageWidth().value, 0.5);
    EXPECT_NEAR(a.pages[0].second, ps.pageHeight().value, 0.5);
    int checked = 0;
    for (int page = 1; page <= 2; ++page) {
        const auto& exp = page == 1 ? expected1 : expected2;
        int k = 0;
        for (int r = 0; r < 7; r += 2)
            for (int c = 0; c < 5; c += 2) {
                const QString marker = QStringLiteral("P%1R%2C%3").arg(page).arg(r).arg(c);
                auto it = a.words.find(marker);
                ASSERT_NE(it, a.words.end()) << marker.toStdString();
                ASSERT_EQ(it->second.size(), 1u);
                const Word& w = it->second.front();
                EXPECT_EQ(w.page, page) << marker.toStdString();
                EXPECT_NEAR(w.xMin, exp[static_cast<size_t>(k)].first, kTolerance) << marker.toStdString();
                EXPECT_NEAR(w.yMin, exp[static_cast<size_t>(k)].second, kTolerance) << marker.toStdString();
                ++k;
                ++checked;
            }
    }
    EXPECT_EQ(checked, 24);

    const PdfText b = readBoxes(dir.filePath(QStringLiteral("pictures.pdf")));
    ASSERT_EQ(b.pages.size(), 1u);
    EXPECT_NEAR(b.pages[0].first, 841.9, 0.5);   // landscape A4
    auto w = b.words.find(QStringLiteral("AfterPicture"));
    ASSERT_NE(w, b.words.end());
    EXPECT_NEAR(w->second.front().xMin, 72 + 36, kTolerance);

    const PdfText c = readBoxes(dir.filePath(QStringLiteral("spaced.pdf")));
    auto sp = c.words.find(QStringLiteral("Spaced"));
    ASSERT_NE(sp, c.words.end());
    EXPECT_NEAR(sp->second.front().xMin, 72 + 20, kTolerance);
    EXPECT_NEAR(sp->second.front().yMin, 72 + 15, kTolerance);
}

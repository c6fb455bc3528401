// The layer's share of a generation: a design with three field placeholders filled and copied
// into every label cell of 3 × 8 sheets, then the whole document packed as .docx.
#include "platform/word/Document.h"

#include <benchmark/benchmark.h>

#include <QImage>

using namespace kovel::word;

namespace {

std::unique_ptr<Document> design() {
    auto d = Document::create();
    QImage img(60, 14, QImage::Format_RGB32);
    img.fill(Qt::white);
    Range r = d->content();
    for (const char* field : {"Name", "Street", "Town"}) {
        r.collapse(Collapse::End);
        r.insertPicture(InlinePicture::fromImage(img)).setAlternativeText(QStringLiteral("TOLV_camp") + QLatin1String(field));
        r.collapse(Collapse::End);
        r.insertBreak(BreakType::Line);
    }
    return d;
}

void fill(benchmark::State& state, int labels, bool sheetPerRecord) {
    auto base = design();
    const Story designStory = base->content().formattedText();
    for (auto _ : state) {
        auto out = Document::create();
        const int perPage = 24;
        const int pages = sheetPerRecord ? labels : (labels + perPage - 1) / perPage;
        int label = 0;
        for (int p = 0; p < pages; ++p) {
            Range at = out->content();
            if (p > 0) {
                at = out->tableRange(out->tableCount() - 1);
                at.collapse(Collapse::End);
                at.insertBreak(out->pagesOfLastSection() < p + 1 ? BreakType::SectionNextPage : BreakType::SectionContinuous);
            }
            Table& t = out->addTable(at, 8, 3);
            for (Row& row : t.rows) row.setHeight(Points(96), HeightRule::Exactly);
            for (int c = 0; c < 3; ++c) t.setColumnWidth(c, Points(198));
            const int tableIndex = out->tableCount() - 1;
            for (int r = 0; r < 8; ++r)
                for (int c = 0; c < 3; ++c) {
                    if (!sheetPerRecord && label >= labels) break;
                    auto working = Document::create();
                    working->content().setFormattedText(designStory);
                    for (std::uint64_t id : working->pictureIds()) {
                        Range sel = working->pictureRange(id);
                        sel.deleteContent();
                        sel.insertAfter(QStringLiteral("Record %1 value").arg(label));
                    }
                    out->cellRange(tableIndex, r, c).setFormattedText(working->content().formattedText());
                    ++label;
                }
        }
        benchmark::DoNotOptimize(out->pageCount());
        const QByteArray bytes = out->toBytes();
        state.counters["bytes"] = static_cast<double>(bytes.size());
    }
}

void BM_TenThousandLabels(benchmark::State& s) { fill(s, 10000, false); }
void BM_ThousandSheetsOneRecordEach(benchmark::State& s) { fill(s, 1000, true); }

} // namespace

BENCHMARK(BM_TenThousandLabels)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ThousandSheetsOneRecordEach)->Unit(benchmark::kMillisecond)->Iterations(1);

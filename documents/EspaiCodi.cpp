#include "documents/EspaiCodi.h"

#include "documents/MetricaLletra.h"
#include "platform/word/ModelOps.h"

#include <algorithm>
#include <cmath>
#include <utility>

using namespace kovel::word;

namespace generar_doc {

QSizeF CaixaEtiqueta(const MidesFull& m, const Document* disseny)
{
    const MidesTaulaPt t = CalculaMidesTaula(m);
    return CaixaEtiqueta(QSizeF(t.columnaEtiqueta, t.filaEtiqueta), disseny);
}

QSizeF CaixaEtiqueta(const QSizeF& cella, const Document* disseny)
{
    double ample = cella.width(), alt = cella.height();
    if (disseny) {
        const PageSetup& ps = disseny->pageSetup();
        ample = std::min(ample, ps.pageWidth().value) - ps.leftMargin().value - ps.rightMargin().value;
        alt = std::min(alt, ps.pageHeight().value) - ps.topMargin().value - ps.bottomMargin().value;
    }
    return QSizeF(std::max(0.0, ample), std::max(0.0, alt));
}

namespace {

using kovel::word::RunFormat;

// A run's format as the word processor takes it: the document's defaults under its own.
RunFormat Efectiu(const RunFormat& f, const RunFormat& defecte)
{
    RunFormat e = defecte;
    e.merge(f);
    return e;
}

// What one paragraph holds, for its lines: its words (each with the spaces after it) and
// pictures between manual line breaks, its line's height and foot, and its tallest picture.
struct Element {
    enum Tipus { Text, Imatge, Lloc } tipus = Text;
    double ample = 0;
};
struct Contingut {
    double linia = 0;
    double descens = 0;
    double alcadaImatges = 0;
    double espais = 0;   // space before and after
    bool visible = false;
    std::vector<std::vector<Element>> trossos{{}};
    int trosCodi = 0;   // the piece that holds the code's place
};

// `lloc`: the code's place in the paragraph (an offset), marked among its elements; or -1.
Contingut Mesura(const Paragraph& p, const RunFormat& defecte, int lloc = -1)
{
    Contingut c;
    const auto linia = [&](const RunFormat& f) {
        const RunFormat e = Efectiu(f, defecte);
        const MetriquesLinia m = MetricaLletra::Linia(e);
        c.linia = std::max(c.linia, m.linia * MidaDe(e));
        c.descens = std::max(c.descens, m.descens * MidaDe(e));
        return e;
    };
    linia(p.markFormat);
    c.espais = p.format.spaceBefore.value_or(Points(0)).value + p.format.spaceAfter.value_or(Points(0)).value;
    bool enParaula = false;   // the last word of the piece may go on with this item
    bool marcat = false;
    const auto marca = [&] {
        if (std::exchange(marcat, true))
            return;
        c.trosCodi = int(c.trossos.size()) - 1;
        c.trossos.back().push_back({Element::Lloc, 0});
        enParaula = false;
    };
    int pos = 0;
    for (const Inline& item : p.items) {
        if (pos == lloc)
            marca();
        if (const auto* run = std::get_if<TextRun>(&item)) {
            const int inici = pos;
            pos += int(run->text.size());
            if (run->format.hidden.value_or(false))
                continue;
            const RunFormat e = linia(run->format);
            // Words break after their spaces; a word of two runs is one.
            qsizetype i = 0;
            while (i < run->text.size()) {
                if (run->text[i] == QChar(0x0B)) {
                    c.trossos.emplace_back();
                    enParaula = false;
                    ++i;
                    if (inici + i == lloc)
                        marca();
                    continue;
                }
                // A word ends at the code's place too.
                const qsizetype fi = lloc > inici + i && lloc < inici + run->text.size() ? lloc - inici : run->text.size();
                qsizetype j = i;
                while (j < fi && run->text[j] != QChar(0x0B) && !run->text[j].isSpace())
                    ++j;
                while (j < fi && run->text[j] != QChar(0x0B) && run->text[j].isSpace())
                    ++j;
                const QString paraula = run->text.mid(i, j - i);
                if (!paraula.trimmed().isEmpty())
                    c.visible = true;
                const double ample = MetricaLletra::Ample(paraula, e);
                if (enParaula && !c.trossos.back().empty() && c.trossos.back().back().tipus == Element::Text)
                    c.trossos.back().back().ample += ample;
                else
                    c.trossos.back().push_back({Element::Text, ample});
                enParaula = !paraula.back().isSpace();
                i = j;
                if (inici + i == lloc && i < run->text.size())
                    marca();
            }
        } else if (const auto* pic = std::get_if<InlinePicture>(&item)) {
            ++pos;
            c.visible = true;
            enParaula = false;
            // A data field's placeholder is the record's text in the print, as wide as it
            // shows: a word of the line, not a picture that moves to a line of its own.
            if (pic->alternativeText().startsWith(QLatin1String("TOLV_camp"))) {
                c.trossos.back().push_back({Element::Text, pic->width().value});
                continue;
            }
            c.trossos.back().push_back({Element::Imatge, pic->width().value});
            c.alcadaImatges = std::max(c.alcadaImatges, pic->height().value);
        } else {
            pos += kovel::word::ops::itemLength(item);
        }
    }
    if (pos == lloc)
        marca();
    return c;
}

// The lines a piece takes when they are `ample` wide: word by word, a word wider than a line
// on lines of its own.
int Linies(const std::vector<Element>& elements, double ample)
{
    ample = std::max(1.0, ample);
    int linies = 1;
    double ocupat = 0;
    for (const Element& e : elements) {
        const double p = e.ample;
        if (ocupat > 0 && ocupat + p > ample) {
            ++linies;
            ocupat = 0;
        }
        if (p > ample) {
            const int n = int(std::ceil(p / ample));
            linies += n - 1;
            ocupat = p - (n - 1) * ample;
        } else {
            ocupat += p;
        }
    }
    return linies;
}

// The height of a paragraph whose lines are `ample` wide.
double Alcada(const Contingut& c, double ample)
{
    int linies = 0;
    for (const auto& t : c.trossos)
        linies += Linies(t, ample);
    return std::max(c.linia, c.alcadaImatges + c.descens) + (linies - 1) * c.linia + c.espais;
}

} // namespace

std::optional<kovel::codes::EspaiLinia> EspaisCodi(const Document& copia, const Range& lloc, const std::optional<QSizeF>& caixa)
{
    if (!caixa || lloc.story() != &copia.body())
        return caixa;   // a code in a table of the design: its label's room at most
    const std::vector<Block>& blocs = copia.body().blocks;
    const int propi = lloc.start().block;
    if (propi < 0 || propi >= int(blocs.size()) || !blocs[size_t(propi)].isParagraph())
        return caixa;
    const RunFormat& defecte = copia.defaultRunFormat();
    const double W = caixa->width(), H = caixa->height();
    // Lines after the last that shows something stand below the label's foot: they take no room.
    int darrer = propi;
    for (int i = propi + 1; i < int(blocs.size()); ++i)
        if (!blocs[size_t(i)].isParagraph() || Mesura(blocs[size_t(i)].paragraph(), defecte).visible)
            darrer = i;
    // What stands above the code's line and what below it.
    double dalt = 0, baix = 0;
    for (int i = 0; i <= darrer; ++i) {
        if (i == propi)
            continue;
        const Block& b = blocs[size_t(i)];
        double h = 0;
        if (b.isParagraph()) {
            h = Alcada(Mesura(b.paragraph(), defecte), W);
        } else {
            for (const Row& row : b.table().rows)
                h += row.heightRule() == HeightRule::Auto ? 1.2 * MidaDe(defecte) : row.height().value;
        }
        (i < propi ? dalt : baix) += h;
    }
    // The code's own line (its placeholder already gone): the text next to it, up to a picture
    // or a manual break, stays beside it on that one line, so the code has the line less that
    // text. The paragraph's other lines, and any other picture of the code's with the text
    // next to it, stand above or below it (the word processor moves a picture to another line
    // as it does a word). On a line of its own, the text before it goes above and the text
    // after it below.
    const Contingut c = Mesura(blocs[size_t(propi)].paragraph(), defecte, lloc.start().offset);
    double costat = 0, abans = 0, despres = 0;
    const auto linies = [&](auto de, auto fins) {
        return de == fins ? 0.0 : Linies(std::vector<Element>(de, fins), W) * c.linia;
    };
    for (int t = 0; t < int(c.trossos.size()); ++t) {
        const std::vector<Element>& tros = c.trossos[size_t(t)];
        if (t != c.trosCodi) {
            (t < c.trosCodi ? dalt : baix) += Linies(tros, W) * c.linia;
            continue;
        }
        const auto lloc = std::find_if(tros.begin(), tros.end(), [](const Element& e) { return e.tipus == Element::Lloc; });
        auto inici = lloc, fi = lloc;
        while (inici != tros.begin() && std::prev(inici)->tipus == Element::Text)
            --inici;
        while (fi != tros.end() && fi->tipus != Element::Imatge)
            ++fi;
        for (auto e = inici; e != fi; ++e)
            costat += e->ample;
        dalt += linies(tros.begin(), inici);
        baix += linies(fi, tros.end());
        abans = linies(inici, lloc);
        despres = lloc == tros.end() ? 0.0 : linies(std::next(lloc), fi);
    }
    const double peu = c.descens + c.espais;
    kovel::codes::EspaiLinia e;
    e.costat = QSizeF(std::max(0.0, W - costat), std::max(0.0, H - dalt - baix - peu));
    e.sol = costat > 0 ? QSizeF(W, std::max(0.0, H - dalt - baix - abans - despres - peu)) : e.costat;
    e.sencer = QSizeF(W, std::max(0.0, H - dalt - abans - peu));
    return e;
}

std::optional<QSizeF> EspaiCodi(const Document& copia, const Range& lloc, const std::optional<QSizeF>& caixa)
{
    const std::optional<kovel::codes::EspaiLinia> e = EspaisCodi(copia, lloc, caixa);
    return e ? std::optional<QSizeF>(e->costat) : std::nullopt;
}

} // namespace generar_doc

#include "documents/EspaiCodi.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

using namespace kovel::word;

namespace generar_doc {

QSizeF CaixaEtiqueta(const MidesFull& m, const Document* disseny)
{
    const MidesTaulaPt t = CalculaMidesTaula(m);
    double ample = t.columnaEtiqueta, alt = t.filaEtiqueta;
    if (disseny) {
        const PageSetup& ps = disseny->pageSetup();
        ample = std::min(ample, ps.pageWidth().value) - ps.leftMargin().value - ps.rightMargin().value;
        alt = std::min(alt, ps.pageHeight().value) - ps.topMargin().value - ps.bottomMargin().value;
    }
    return QSizeF(std::max(0.0, ample), std::max(0.0, alt));
}

namespace {

// The word processor's layout, estimated on the safe side for the usual fonts: a line is
// 1.2 times its largest font, and the text beside a code hangs a quarter of its size below
// the code's foot. Text is measured in its own font when a font system is there; else a
// character counts 0.6 of its size.
constexpr double LiniaPerMida = 1.2;
constexpr double DescensPerMida = 0.25;
constexpr double AmpleCaracterPerMida = 0.6;

double MidaDe(const RunFormat& f) { return f.size ? f.size->value : 12.0; }

double AmpleText(const QString& text, const RunFormat& f)
{
    const double mida = MidaDe(f);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return text.size() * AmpleCaracterPerMida * mida;
    // Each character's advance at 100 points, measured once a font: a merge measures the same
    // few dozen characters over and over. Kerning left out, which only narrows a text.
    struct Font {
        std::unique_ptr<QFontMetricsF> mesura;
        double punts = 0;   // points a pixel of the measure
        QHash<char16_t, double> avancos;
    };
    thread_local std::map<QString, Font> fonts;
    const QString clau = f.fontName.value_or(QString()) + (f.bold.value_or(false) ? QStringLiteral("/b") : QString())
                       + (f.italic.value_or(false) ? QStringLiteral("/i") : QString());
    Font& font = fonts[clau];
    if (!font.mesura) {
        QFont q(f.fontName.value_or(QString()));
        q.setPointSizeF(100);
        q.setBold(f.bold.value_or(false));
        q.setItalic(f.italic.value_or(false));
        font.mesura = std::make_unique<QFontMetricsF>(q);
        font.punts = 72.0 / font.mesura->fontDpi();
    }
    double ample = 0;
    for (const QChar c : text) {
        auto it = font.avancos.constFind(c.unicode());
        if (it == font.avancos.cend())
            it = font.avancos.insert(c.unicode(), font.mesura->horizontalAdvance(c) * font.punts);
        ample += *it;
    }
    // 5 % more for another rendering of the same font.
    return ample * mida / 100.0 * 1.05;
}

// What one paragraph holds, for its lines: its text's width, its largest font and its
// tallest picture.
struct Contingut {
    double ampleText = 0;
    double mida = 0;
    double alcadaImatges = 0;
    bool visible = false;
    std::vector<double> trossos;   // widths between manual line breaks
};

Contingut Mesura(const Paragraph& p)
{
    Contingut c;
    c.mida = MidaDe(p.markFormat);
    double tros = 0;
    for (const Inline& item : p.items) {
        if (const auto* run = std::get_if<TextRun>(&item)) {
            if (run->format.hidden.value_or(false))
                continue;
            c.mida = std::max(c.mida, MidaDe(run->format));
            const QStringList linies = run->text.split(QChar(0x0B));
            for (qsizetype i = 0; i < linies.size(); ++i) {
                if (i > 0) {
                    c.trossos.push_back(tros);
                    tros = 0;
                }
                if (!linies[i].trimmed().isEmpty())
                    c.visible = true;
                tros += AmpleText(linies[i], run->format);
            }
        } else if (const auto* pic = std::get_if<InlinePicture>(&item)) {
            c.visible = true;
            tros += pic->width().value;
            c.alcadaImatges = std::max(c.alcadaImatges, pic->height().value);
        }
    }
    c.trossos.push_back(tros);
    for (double t : c.trossos)
        c.ampleText += t;
    return c;
}

// The height of a paragraph whose lines are `ample` wide.
double Alcada(const Contingut& c, double ample)
{
    int linies = 0;
    for (double t : c.trossos)
        linies += std::max(1, int(std::ceil(t / std::max(1.0, ample))));
    const double linia = LiniaPerMida * c.mida;
    return std::max(linia, c.alcadaImatges + DescensPerMida * c.mida) + (linies - 1) * linia;
}

} // namespace

std::optional<QSizeF> EspaiCodi(const Document& copia, const Range& lloc, const std::optional<QSizeF>& caixa)
{
    if (!caixa || lloc.story() != &copia.body())
        return caixa;   // a code in a table of the design: its label's room at most
    const std::vector<Block>& blocs = copia.body().blocks;
    const int propi = lloc.start().block;
    if (propi < 0 || propi >= int(blocs.size()) || !blocs[size_t(propi)].isParagraph())
        return caixa;
    const double W = caixa->width(), H = caixa->height();
    // Lines after the last that shows something stand below the label's foot: they take no room.
    int darrer = propi;
    for (int i = propi + 1; i < int(blocs.size()); ++i)
        if (!blocs[size_t(i)].isParagraph() || Mesura(blocs[size_t(i)].paragraph()).visible)
            darrer = i;
    double altres = 0;
    for (int i = 0; i <= darrer; ++i) {
        if (i == propi)
            continue;
        const Block& b = blocs[size_t(i)];
        if (b.isParagraph()) {
            altres += Alcada(Mesura(b.paragraph()), W);
        } else {
            for (const Row& row : b.table().rows)
                altres += row.heightRule() == HeightRule::Auto ? LiniaPerMida * 12.0 : row.height().value;
        }
    }
    // The code's own line (its placeholder already gone): beside it what else the paragraph
    // holds, as the design has it; only a text too long to stand beside the code (leaving it
    // less than a third of the line) wraps below it, when that leaves the code more room.
    const Contingut c = Mesura(blocs[size_t(propi)].paragraph());
    const double peu = DescensPerMida * c.mida;
    const double alt = H - altres - peu;
    QSizeF costat(std::max(0.0, W - c.ampleText), alt);
    if (c.ampleText > 0 && costat.width() < W / 3) {
        double sota = 0;
        for (double t : c.trossos)
            sota += std::ceil(t / std::max(1.0, W)) * LiniaPerMida * c.mida;
        const QSizeF avall(W, alt - sota);
        if (std::min(avall.width(), avall.height()) > std::min(costat.width(), costat.height()))
            costat = avall;
    }
    return QSizeF(std::max(0.0, costat.width()), std::max(0.0, costat.height()));
}

} // namespace generar_doc

#include "codes/GlifCodi.h"

#include <QHash>
#include <QMutex>

namespace kovel::codes {

namespace {

bool Blanc(QRgb c) { return (c & 0xFFFFFFu) == 0xFFFFFFu; }

// The shapes of a font's characters at their baseline origin, made once per font and
// character; a character's key is shared by every code that draws it.
class Lletres {
public:
    explicit Lletres(const QFont& font) : font_(font)
    {
        static QHash<QString, QHash<QChar, kovel::word::GlyphOutline::Piece>> perFont;
        static QMutex mutex;
        lock_.emplace(&mutex);   // held while this code's characters are looked up
        // A merge draws every code in one font: its key is made once.
        static QFont darrera;
        static QString clauDarrera;
        if (clauDarrera.isEmpty() || !(font == darrera)) darrera = font, clauDarrera = font.key() + QLatin1Char('/');
        clau_ = clauDarrera;
        fetes_ = &perFont[clau_];
    }
    kovel::word::GlyphOutline::Piece operator()(QChar c)
    {
        auto it = fetes_->find(c);
        if (it == fetes_->end()) {
            QPainterPath p;
            p.addText(QPointF(0, 0), font_, QString(c));
            it = fetes_->insert(c, {clau_ + c, kovel::word::GlyphOutline::shapeOf(p), QPointF()});
        }
        return *it;
    }

private:
    const QFont& font_;
    QString clau_;
    QHash<QChar, kovel::word::GlyphOutline::Piece>* fetes_ = nullptr;
    std::optional<QMutexLocker<QMutex>> lock_;
};

} // namespace

std::shared_ptr<const kovel::word::GlyphOutline> Glif(QSize pixels, std::optional<QRgb> fons,
                                                       const std::vector<std::pair<QRgb, QPainterPath>>& capes,
                                                       const TextsEmf* texts)
{
    if (pixels.isEmpty() || (fons && !Blanc(*fons))) return nullptr;
    std::optional<QRgb> color;
    const auto mateix = [&color](QRgb c) {
        if (!color) color = c;
        return (*color & 0xFFFFFFu) == (c & 0xFFFFFFu);
    };
    auto g = std::make_shared<kovel::word::GlyphOutline>();
    g->size = QSizeF(pixels);
    for (const auto& [c, cami] : capes) {
        if (cami.isEmpty()) continue;
        if (!mateix(c)) return nullptr;
        g->pieces.push_back({QString(), kovel::word::GlyphOutline::shapeOf(cami), QPointF()});
    }
    if (texts && !texts->peces.empty()) {
        if (!mateix(texts->color)) return nullptr;
        Lletres lletra(texts->font);
        for (const TextsEmf::Peca& p : texts->peces) {
            if (p.avancos.size() != size_t(p.text.size())) return nullptr;
            qreal x = p.base.x();
            for (qsizetype i = 0; i < p.text.size(); ++i) {
                if (!p.text[i].isSpace()) {
                    kovel::word::GlyphOutline::Piece peca = lletra(p.text[i]);
                    peca.offset = QPointF(x, p.base.y());
                    g->pieces.push_back(std::move(peca));
                }
                x += p.avancos[size_t(i)];
            }
        }
    }
    if (!color || g->pieces.empty()) return nullptr;
    g->colour = *color & 0xFFFFFFu;
    return g;
}

std::shared_ptr<const kovel::word::GlyphOutline> Glif(QSize pixels, std::optional<QRgb> fons, QRgb color,
                                                       const std::vector<QRectF>& rectangles)
{
    if (pixels.isEmpty() || (fons && !Blanc(*fons)) || rectangles.empty()) return nullptr;
    auto g = std::make_shared<kovel::word::GlyphOutline>();
    g->size = QSizeF(pixels);
    g->colour = color & 0xFFFFFFu;
    g->pieces.push_back({QString(), kovel::word::GlyphOutline::shapeOf(rectangles), QPointF()});
    return g;
}

} // namespace kovel::codes

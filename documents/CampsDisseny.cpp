#include "documents/CampsDisseny.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cmath>

namespace modDsoFraWord {

kovel::word::InlinePicture CreaImatgeCamp(const QString& camp, double midaPunts)
{
    // A size the word processor cannot hold is drawn at its nearest bounds.
    const double mida = std::isfinite(midaPunts) ? std::clamp(midaPunts, 1.0, 409.0) : 10.0;
    const QString text = u'<' + camp + u'>';
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(mida);
    font.setBold(true);
    font.setItalic(true);
    // Drawn at the screen's 96 dpi, the resolution the picture's shown size is read at.
    QImage mostra(1, 1, QImage::Format_RGB32);
    mostra.setDotsPerMeterX(3780);
    mostra.setDotsPerMeterY(3780);
    const QFontMetricsF fm(font, &mostra);
    const int ample = std::max(1, int(std::ceil(fm.horizontalAdvance(text))));
    const int alt = std::max(1, int(std::ceil(fm.height())));
    QImage img(std::min(ample, 8000), alt, QImage::Format_RGB32);
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPointF(0, fm.ascent()), text);
    }
    kovel::word::InlinePicture pic = kovel::word::InlinePicture::fromImage(img);
    pic.setAlternativeText(PrefixCamp + camp);
    return pic;
}

std::optional<kovel::word::InlinePicture> ImatgeCampALaLletra(const kovel::word::InlinePicture& imatge, double midaPunts)
{
    const QString alt = imatge.alternativeText();
    if (!alt.startsWith(PrefixCamp))
        return std::nullopt;
    kovel::word::InlinePicture nova = CreaImatgeCamp(alt.mid(PrefixCamp.size()), midaPunts);
    if (std::abs(nova.width().value - imatge.width().value) < 0.01 && std::abs(nova.height().value - imatge.height().value) < 0.01)
        return std::nullopt;
    return nova;
}

} // namespace modDsoFraWord

#include "common/ui/VisualUi.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <cmath>

namespace Visual {

namespace {

QScreen* pantallaDe(const QWidget* finestra)
{
    if (finestra && finestra->screen())
        return finestra->screen();
    return QGuiApplication::primaryScreen();
}

bool esImatge(const QWidget* w)
{
    // A window may say either way; a picture shown centred in its frame scales like a frame.
    const QVariant marcat = w->property("imatge");
    if (marcat.isValid())
        return marcat.toBool();
    const auto* label = qobject_cast<const QLabel*>(w);
    return label && !label->pixmap().isNull();
}

bool contenidorEnTwips(const QWidget* contenidor)
{
    const QVariant mode = contenidor->property("ScaleMode");
    return !mode.isValid() || mode.toInt() == 1;
}

RectTwips aTwips(const QRect& r)
{
    return {r.x() * TwipsPixelDisseny, r.y() * TwipsPixelDisseny, r.width() * TwipsPixelDisseny,
            r.height() * TwipsPixelDisseny};
}

QRect aPixels(const RectTwips& r, const TwipsPerPixel& tpp)
{
    return QRect(int(std::lround(r.left / tpp.x)), int(std::lround(r.top / tpp.y)),
                 int(std::lround(r.width / tpp.x)), int(std::lround(r.height / tpp.y)));
}

void escalaFills(QWidget* contenidor, const TwipsPerPixel& tpp)
{
    const bool enTwips = contenidorEnTwips(contenidor);
    for (QObject* o : contenidor->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow())
            continue;
        if (enTwips)
            w->setGeometry(aPixels(EscalaControl(aTwips(w->geometry()), esImatge(w)), tpp));
        escalaFills(w, tpp);
    }
}

} // namespace

TwipsPerPixel TwipsPerPixelPantalla(const QWidget* finestra)
{
    if (const auto fixat = TwipsPerPixelFixat())
        return *fixat;
    const QScreen* pantalla = pantallaDe(finestra);
    if (!pantalla)
        return {};
    return TwipsDeDpi(pantalla->logicalDotsPerInchX(), pantalla->logicalDotsPerInchY());
}

void AdaptarDPI(QWidget* finestra)
{
    if (!finestra)
        return;
    const TwipsPerPixel tpp = TwipsPerPixelPantalla(finestra);
    CalculaEscala(tpp);
    const RectTwips f = EscalaFinestra(aTwips(QRect(QPoint(), finestra->size())));
    finestra->resize(int(std::lround(f.width / tpp.x)), int(std::lround(f.height / tpp.y)));
    escalaFills(finestra, tpp);
}

void CentrarFormulari(QWidget* finestra)
{
    if (!finestra)
        return;
    const QScreen* pantalla = pantallaDe(finestra);
    if (!pantalla)
        return;
    const TwipsPerPixel tpp = TwipsPerPixelPantalla(finestra);
    const QRect s = pantalla->geometry();
    const QSize mida = finestra->frameGeometry().size();
    const RectTwips f{0, 0, mida.width() * tpp.x, mida.height() * tpp.y};
    const RectTwips c = Centrat(f, s.width() * tpp.x, s.height() * tpp.y, tpp.y);
    finestra->move(s.x() + int(std::lround(c.left / tpp.x)), s.y() + int(std::lround(c.top / tpp.y)));
}

} // namespace Visual

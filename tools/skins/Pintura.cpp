#include "Pintura.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace kovel::skins {

using namespace paleta;

namespace {

enum class Estat { Normal, Actiu, Sobre };

QColor Alfa(QColor c, int a)
{
    c.setAlpha(a);
    return c;
}

QPainterPath Arrodonit(const QRectF& r, double radi)
{
    QPainterPath p;
    p.addRoundedRect(r, radi, radi);
    return p;
}

// A button face: white with a fine border; under the pointer a pale blue; chosen or
// pressed the highlight blue (the control writes its caption white then).
void Cara(QPainter& p, QSizeF m, Estat e, double radi = 4)
{
    const QRectF r(0.5, 0.5, m.width() - 1, m.height() - 1);
    QLinearGradient g(0, 0, 0, m.height());
    QColor vora;
    switch (e) {
    case Estat::Normal:
        g.setColorAt(0, Qt::white);
        g.setColorAt(1, QColor(230, 238, 246));
        vora = Vora;
        break;
    case Estat::Sobre:
        g.setColorAt(0, QColor(246, 251, 255));
        g.setColorAt(1, QColor(213, 231, 247));
        vora = Destacat;
        break;
    case Estat::Actiu:
        g.setColorAt(0, Destacat.lighter(112));
        g.setColorAt(1, Destacat.darker(118));
        vora = Destacat.darker(140);
        break;
    }
    p.setPen(QPen(vora, 1));
    p.setBrush(g);
    p.drawPath(Arrodonit(r, radi));
    // A soft highlight along the top edge.
    p.setPen(QPen(Alfa(Qt::white, e == Estat::Actiu ? 70 : 200), 1));
    p.drawLine(QPointF(radi, 1.5), QPointF(m.width() - radi, 1.5));
}

// A neutral face for cancelling.
void CaraNeutra(QPainter& p, QSizeF m, Estat e)
{
    const QRectF r(0.5, 0.5, m.width() - 1, m.height() - 1);
    QLinearGradient g(0, 0, 0, m.height());
    g.setColorAt(0, e == Estat::Actiu ? QColor(214, 221, 229) : QColor(250, 251, 252));
    g.setColorAt(1, e == Estat::Actiu ? QColor(190, 200, 211) : QColor(226, 231, 237));
    p.setPen(QPen(e == Estat::Actiu ? Gris : Vora, 1));
    p.setBrush(g);
    p.drawPath(Arrodonit(r, 4));
}

// A round icon button: a disc with a white symbol drawn by `simbol`.
void Disc(QPainter& p, QSizeF m, Estat e, const std::function<void(QPainter&, QRectF)>& simbol)
{
    const QRectF r(0.5, 0.5, m.width() - 1, m.height() - 1);
    p.setPen(Qt::NoPen);
    p.setBrush(e == Estat::Actiu ? Cel : Destacat);
    p.drawEllipse(r);
    p.setPen(QPen(Qt::white, std::max(1.2, m.width() / 10.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    simbol(p, r);
}

// A small square icon button with a symbol in the highlight colour (white when chosen).
void Quadret(QPainter& p, QSizeF m, Estat e, const std::function<void(QPainter&, QRectF)>& simbol)
{
    Cara(p, m, e, 3);
    const QColor c = e == Estat::Actiu ? QColor(Qt::white) : Destacat;
    p.setPen(QPen(c, std::max(1.3, m.width() / 12.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c);
    simbol(p, QRectF(QPointF(0, 0), m));
}

void Triangle(QPainter& p, QPointF punta, double ample, double alt, bool dreta)
{
    const double d = dreta ? -ample : ample;
    QPolygonF t{punta, QPointF(punta.x() + d, punta.y() - alt / 2), QPointF(punta.x() + d, punta.y() + alt / 2)};
    p.drawPolygon(t);
}

void Xebro(QPainter& p, QPointF centre, double mida, bool dreta)
{
    const double s = dreta ? 1 : -1;
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{QPointF(centre.x() - s * mida / 3, centre.y() - mida / 2),
                             QPointF(centre.x() + s * mida / 4, centre.y()),
                             QPointF(centre.x() - s * mida / 3, centre.y() + mida / 2)});
}

// A sheet of labels: paper with a shadow and a grid of rounded labels.
void Full(QPainter& p, QRectF full, int columnes, int files, QColor etiqueta, double marge)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Alfa(Qt::black, 40));
    p.drawRect(full.translated(1.2, 1.2));
    p.setBrush(Qt::white);
    p.setPen(QPen(Vora, 0.8));
    p.drawRect(full);
    const QRectF dins = full.adjusted(marge, marge, -marge, -marge);
    const double w = dins.width() / columnes, h = dins.height() / files;
    p.setPen(Qt::NoPen);
    p.setBrush(etiqueta);
    for (int c = 0; c < columnes; ++c)
        for (int f = 0; f < files; ++f)
            p.drawRoundedRect(QRectF(dins.left() + c * w + w * 0.08, dins.top() + f * h + h * 0.1, w * 0.84, h * 0.8),
                              std::min(w, h) * 0.2, std::min(w, h) * 0.2);
}

void TextCentrat(QPainter& p, const QRectF& r, const QString& text, double mida, bool negreta, QColor c)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(1, int(std::lround(mida))));
    f.setBold(negreta);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

// The panels' background: a calm navy-to-blue gradient, with faint label outlines.
void Fons(QPainter& p, QSizeF m, double llum, bool etiquetes)
{
    QLinearGradient g(0, 0, m.width(), m.height());
    g.setColorAt(0, Nit.lighter(int(100 + llum)));
    g.setColorAt(1, Destacat.darker(int(150 - llum)));
    p.fillRect(QRectF(QPointF(0, 0), m), g);
    QRadialGradient brill(QPointF(m.width() * 0.85, m.height() * 0.1), m.width() * 0.6);
    brill.setColorAt(0, Alfa(Cel, 60));
    brill.setColorAt(1, Alfa(Cel, 0));
    p.fillRect(QRectF(QPointF(0, 0), m), brill);
    if (!etiquetes)
        return;
    p.setPen(QPen(Alfa(Qt::white, 22), 1.2));
    p.setBrush(Qt::NoBrush);
    const double w = 70, h = 34, x0 = m.width() - 4 * (w + 10), y0 = m.height() - 5 * (h + 10);
    for (int c = 0; c < 4; ++c)
        for (int f = 0; f < 5; ++f)
            p.drawRoundedRect(QRectF(x0 + c * (w + 10), y0 + f * (h + 10), w, h), 6, 6);
}

void Ombra(QPainter& p, QSizeF m) { p.fillRect(QRectF(0, 0, m.width(), m.height()), Boira); }

// A message icon: a coloured shape with its white sign.
void Icona(QPainter& p, QSizeF m, QColor c, const QString& signe, bool triangle)
{
    const QRectF r(1, 1, m.width() - 2, m.height() - 2);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    if (triangle)
        p.drawPolygon(QPolygonF{QPointF(r.center().x(), r.top()), r.bottomRight(), r.bottomLeft()});
    else
        p.drawEllipse(r);
    TextCentrat(p, r.adjusted(0, triangle ? r.height() * 0.25 : 0, 0, 0), signe, m.height() * (triangle ? 0.55 : 0.62),
                true, Qt::white);
}

// The options of a data source or of labels per page: a small sheet, whose labels are all
// alike or all different, or a symbol; chosen, a blue ring around it.
void Opcio(QPainter& p, QSizeF m, bool actiu, const std::function<void(QPainter&, QRectF)>& dibuix)
{
    const QRectF r(1, 1, m.width() - 2, m.height() - 2);
    p.setPen(QPen(actiu ? QColor(Qt::white) : Alfa(Qt::white, 150), actiu ? 2 : 1));
    p.setBrush(actiu ? Destacat : Alfa(Qt::white, 30));
    p.drawRoundedRect(r, 6, 6);
    dibuix(p, r.adjusted(m.width() * 0.2, m.height() * 0.15, -m.width() * 0.2, -m.height() * 0.15));
}

void FullEtiquetes(QPainter& p, QRectF r, bool iguals)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(r);
    const QColor colors[] = {Destacat, Ambre, Verd, Vermell};
    const double w = r.width() / 2, h = r.height() / 3;
    int i = 0;
    for (int c = 0; c < 2; ++c)
        for (int f = 0; f < 3; ++f) {
            p.setBrush(iguals ? Destacat : colors[i++ % 4]);
            p.drawRoundedRect(QRectF(r.left() + c * w + w * 0.12, r.top() + f * h + h * 0.15, w * 0.76, h * 0.7), 1.5,
                              1.5);
        }
}

void Afegeix(std::vector<Imatge>& v, QString nom, QSize mida, std::function<void(QPainter&, QSizeF)> f)
{
    v.push_back({std::move(nom), mida, std::move(f)});
}

// A face in its three states: base + ".dat" or "_of.dat", "_on.dat", "_over.dat".
void TresEstats(std::vector<Imatge>& v, const QString& base, const QString& normal, QSize mida,
                const std::function<void(QPainter&, QSizeF, Estat)>& f, bool ambSobre = true)
{
    Afegeix(v, base + normal, mida, [f](QPainter& p, QSizeF m) { f(p, m, Estat::Normal); });
    Afegeix(v, base + QStringLiteral("_on.dat"), mida, [f](QPainter& p, QSizeF m) { f(p, m, Estat::Actiu); });
    if (ambSobre)
        Afegeix(v, base + QStringLiteral("_over.dat"), mida, [f](QPainter& p, QSizeF m) { f(p, m, Estat::Sobre); });
}

std::vector<Imatge> Construeix()
{
    std::vector<Imatge> v;
    const QString dat = QStringLiteral(".dat"), of = QStringLiteral("_of.dat");

    // Button faces shared by many controls; the size is in the name.
    for (QSize s : {QSize(83, 23), QSize(105, 23), QSize(150, 23)})
        TresEstats(v, QStringLiteral("boto_%1x%2").arg(s.width()).arg(s.height()), dat, s,
                   [](QPainter& p, QSizeF m, Estat e) { Cara(p, m, e); });
    TresEstats(v, QStringLiteral("botons_48x23"), dat, QSize(48, 23),
               [](QPainter& p, QSizeF m, Estat e) { Cara(p, m, e); });
    TresEstats(v, QStringLiteral("boto_sel_format"), dat, QSize(160, 30),
               [](QPainter& p, QSizeF m, Estat e) { Cara(p, m, e, 6); });
    TresEstats(v, QStringLiteral("boto_orientacio"), dat, QSize(93, 28),
               [](QPainter& p, QSizeF m, Estat e) { Cara(p, m, e, 6); });
    Afegeix(v, QStringLiteral("cancelar.dat"), QSize(83, 23), [](QPainter& p, QSizeF m) { CaraNeutra(p, m, Estat::Normal); });
    Afegeix(v, QStringLiteral("cancelar_on.dat"), QSize(83, 23), [](QPainter& p, QSizeF m) { CaraNeutra(p, m, Estat::Actiu); });

    // Round buttons of the window's top and bottom bars.
    const auto rodo = [&](const QString& base, std::function<void(QPainter&, QRectF)> s) {
        Afegeix(v, base + dat, QSize(14, 14), [s](QPainter& p, QSizeF m) { Disc(p, m, Estat::Normal, s); });
        Afegeix(v, base + QStringLiteral("_on.dat"), QSize(14, 14), [s](QPainter& p, QSizeF m) { Disc(p, m, Estat::Actiu, s); });
    };
    rodo(QStringLiteral("anterior"), [](QPainter& p, QRectF r) { Xebro(p, r.center() + QPointF(-0.5, 0), r.width() * 0.45, false); });
    rodo(QStringLiteral("avanzar"), [](QPainter& p, QRectF r) { Xebro(p, r.center() + QPointF(0.5, 0), r.width() * 0.45, true); });
    rodo(QStringLiteral("ajuda"), [](QPainter& p, QRectF r) { TextCentrat(p, r, QStringLiteral("?"), r.height() * 0.8, true, Qt::white); });
    rodo(QStringLiteral("email"), [](QPainter& p, QRectF r) {
        const QRectF s = r.adjusted(r.width() * 0.24, r.height() * 0.32, -r.width() * 0.24, -r.height() * 0.32);
        p.setPen(QPen(Qt::white, r.width() / 14.0));
        p.drawRect(s);
        p.drawPolyline(QPolygonF{s.topLeft(), QPointF(s.center().x(), s.center().y() + s.height() * 0.1), s.topRight()});
    });

    // Moving fields between the two lists, and stepping through sheets and formats.
    const auto fletxes = [&](const QString& base, const QString& normal, QSize mida, int n, bool dreta, bool topall) {
        TresEstats(v, base, normal, mida, [n, dreta, topall](QPainter& p, QSizeF m, Estat e) {
            Quadret(p, m, e, [n, dreta, topall](QPainter& p, QRectF r) {
                const double a = r.height() * 0.36, w = r.width() * 0.22;
                double x = r.center().x() + (dreta ? 1 : -1) * (n == 2 ? w : w / 2);
                for (int i = 0; i < n; ++i, x -= (dreta ? 1 : -1) * w)
                    Triangle(p, QPointF(x, r.center().y()), w, a, dreta);
                if (topall) {
                    const double xb = r.center().x() + (dreta ? 1 : -1) * (w * 0.5 + 1.5);
                    p.drawLine(QPointF(xb, r.center().y() - a / 2), QPointF(xb, r.center().y() + a / 2));
                }
            });
        });
    };
    fletxes(QStringLiteral("boto_fi_right"), dat, QSize(24, 24), 2, true, false);
    fletxes(QStringLiteral("boto_right"), dat, QSize(24, 24), 1, true, false);
    fletxes(QStringLiteral("boto_left"), dat, QSize(24, 24), 1, false, false);
    fletxes(QStringLiteral("boto_fi_left"), dat, QSize(24, 24), 2, false, false);
    fletxes(QStringLiteral("todo_izquierda"), of, QSize(20, 20), 1, false, true);
    fletxes(QStringLiteral("izquierda"), of, QSize(20, 20), 1, false, false);
    fletxes(QStringLiteral("derecha"), of, QSize(20, 20), 1, true, false);
    fletxes(QStringLiteral("todo_derecha"), of, QSize(20, 20), 1, true, true);
    TresEstats(v, QStringLiteral("guardar"), of, QSize(24, 24), [](QPainter& p, QSizeF m, Estat e) {
        Quadret(p, m, e, [](QPainter& p, QRectF r) {
            const QRectF d = r.adjusted(r.width() * 0.25, r.height() * 0.25, -r.width() * 0.25, -r.height() * 0.25);
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(d, 1.5, 1.5);
            p.drawRect(QRectF(d.left() + d.width() * 0.25, d.top(), d.width() * 0.5, d.height() * 0.3));
            p.drawRect(QRectF(d.left() + d.width() * 0.2, d.center().y() + 1, d.width() * 0.6, d.height() * 0.35));
        });
    });

    // The option pairs: labels that differ or are alike; browse for a source or start anew.
    const auto opcio = [&](const QString& base, std::function<void(QPainter&, QRectF)> d, bool ambSobre, bool invers) {
        const QString norm = invers ? QStringLiteral("_on.dat") : of, act = invers ? of : QStringLiteral("_on.dat");
        Afegeix(v, base + norm, QSize(40, 40), [d, invers](QPainter& p, QSizeF m) { Opcio(p, m, invers, d); });
        Afegeix(v, base + act, QSize(40, 40), [d, invers](QPainter& p, QSizeF m) { Opcio(p, m, !invers, d); });
        if (ambSobre)
            Afegeix(v, base + QStringLiteral("_over.dat"), QSize(40, 40), [d](QPainter& p, QSizeF m) {
                Opcio(p, m, false, d);
                p.setPen(QPen(Qt::white, 2));
                p.setBrush(Qt::NoBrush);
                p.drawRoundedRect(QRectF(1, 1, m.width() - 2, m.height() - 2), 6, 6);
            });
    };
    opcio(QStringLiteral("diferente"), [](QPainter& p, QRectF r) { FullEtiquetes(p, r, false); }, true, false);
    opcio(QStringLiteral("igual"), [](QPainter& p, QRectF r) { FullEtiquetes(p, r, true); }, true, false);
    // The browse and new options come with their two files the other way round.
    opcio(QStringLiteral("explorar"), [](QPainter& p, QRectF r) {
        p.setPen(QPen(Qt::white, 1.6));
        p.setBrush(Alfa(Qt::white, 60));
        p.drawRoundedRect(QRectF(r.left(), r.top() + r.height() * 0.2, r.width() * 0.8, r.height() * 0.65), 2, 2);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(r.left() + r.width() * 0.45, r.top() + r.height() * 0.45, r.width() * 0.35, r.width() * 0.35));
        p.drawLine(QPointF(r.right() - r.width() * 0.12, r.bottom() - r.height() * 0.05), QPointF(r.right(), r.bottom() + 2));
    }, false, true);
    opcio(QStringLiteral("nuevo"), [](QPainter& p, QRectF r) {
        p.setPen(QPen(Qt::white, 1.6));
        p.setBrush(Alfa(Qt::white, 60));
        p.drawRect(QRectF(r.left() + r.width() * 0.1, r.top(), r.width() * 0.65, r.height()));
        p.drawLine(QPointF(r.right() - r.width() * 0.1, r.center().y() - 5), QPointF(r.right() - r.width() * 0.1, r.center().y() + 5));
        p.drawLine(QPointF(r.right() - r.width() * 0.1 - 5, r.center().y()), QPointF(r.right() - r.width() * 0.1 + 5, r.center().y()));
    }, false, true);

    // The paper types, as the user knows them, drawn to scale in the paper panel's picture.
    const QSize paper(200, 250);
    const auto full = [&](const char* nom, double amplMm, double altMm, int columnes, int files) {
        Afegeix(v, QString::fromLatin1(nom), paper, [=](QPainter& p, QSizeF m) {
            // 297 mm fill the height less a margin; the others keep their size against it.
            const double k = (m.height() - 30) / 297.0;
            const QRectF r((m.width() - amplMm * k) / 2, (m.height() - altMm * k) / 2, amplMm * k, altMm * k);
            Full(p, r, columnes, files, Alfa(Destacat, 170), 6);
        });
    };
    full("DinA4.dat", 210, 297, 3, 8);
    full("DinA5.dat", 148, 210, 2, 4);
    full("Letter.dat", 215.9, 279.4, 3, 10);
    Afegeix(v, QStringLiteral("Continuo.dat"), paper, [](QPainter& p, QSizeF m) {
        const double w = 110, x0 = (m.width() - w) / 2;
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(x0, 0, w, m.height()));
        p.setBrush(Nit);
        for (double y = 6; y < m.height(); y += 12.7) {
            p.drawEllipse(QPointF(x0 + 8, y), 2.5, 2.5);
            p.drawEllipse(QPointF(x0 + w - 8, y), 2.5, 2.5);
        }
        p.setBrush(Alfa(Destacat, 170));
        for (double y = 5; y < m.height(); y += 40)
            p.drawRoundedRect(QRectF(x0 + 20, y, w - 40, 30), 5, 5);
        p.setPen(QPen(Vora, 1, Qt::DashLine));
        for (double y = 0; y < m.height(); y += 40)
            p.drawLine(QPointF(x0, y), QPointF(x0 + w, y));
    });
    Afegeix(v, QStringLiteral("Termic.dat"), paper, [](QPainter& p, QSizeF m) {
        const double cx = m.width() / 2 - 20;
        p.setPen(QPen(Vora, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(cx - 30, 90, 80, m.height() - 95));
        p.setPen(Qt::NoPen);
        p.setBrush(Alfa(Destacat, 170));
        for (double y = 100; y < m.height() - 30; y += 42)
            p.drawRoundedRect(QRectF(cx - 20, y, 60, 32), 5, 5);
        QRadialGradient g(QPointF(cx - 10, 60), 70);
        g.setColorAt(0, Qt::white);
        g.setColorAt(1, Pal.darker(112));
        p.setBrush(g);
        p.setPen(QPen(Vora, 1));
        p.drawEllipse(QPointF(cx, 70), 62, 62);
        p.setBrush(Nit);
        p.drawEllipse(QPointF(cx, 70), 16, 16);
    });
    // Orientation pictures of the paper panel.
    for (const auto& [nom, mida, c, f] : {std::tuple{"a4_vertical.dat", QSize(44, 56), 3, 8},
                                          std::tuple{"a4_horitzontal.dat", QSize(56, 44), 8, 3},
                                          std::tuple{"a5_vertical.dat", QSize(44, 56), 2, 4},
                                          std::tuple{"a5_horitzontal.dat", QSize(56, 44), 4, 2}}) {
        const int columnes = c, files = f;
        Afegeix(v, QString::fromLatin1(nom), mida, [columnes, files](QPainter& p, QSizeF m) {
            Full(p, QRectF(4, 4, m.width() - 9, m.height() - 9), columnes, files, Alfa(Destacat, 170), 2.5);
        });
    }

    // Backgrounds of the wizard's panels (774 x 426) and its bottom bar.
    Afegeix(v, QStringLiteral("FONSHOME.DAT"), QSize(774, 426), [](QPainter& p, QSizeF m) { Fons(p, m, 10, true); });
    Afegeix(v, QStringLiteral("FONSEGONA_DALT.DAT"), QSize(774, 426), [](QPainter& p, QSizeF m) {
        Fons(p, m, 0, false);
        p.fillRect(QRectF(0, 0, m.width(), 50), Alfa(Nit, 90));
        p.fillRect(QRectF(0, 50, m.width(), 1), Alfa(Qt::white, 40));
    });
    Afegeix(v, QStringLiteral("FONSEGONA_DALT2.DAT"), QSize(774, 426), [](QPainter& p, QSizeF m) {
        Fons(p, m, 20, false);
        p.fillRect(QRectF(0, 0, m.width(), 50), Alfa(Nit, 90));
        p.fillRect(QRectF(0, 50, m.width(), 1), Alfa(Qt::white, 40));
    });
    Afegeix(v, QStringLiteral("FONSEGONA_BAIX.DAT"), QSize(774, 42), [](QPainter& p, QSizeF m) {
        Ombra(p, m);
        p.fillRect(QRectF(0, 0, m.width(), 2), Destacat);
    });
    Afegeix(v, QStringLiteral("fons_dreta.dat"), QSize(220, 426), [](QPainter& p, QSizeF m) {
        Fons(p, m, 5, false);
        p.setPen(QPen(Alfa(Qt::white, 45), 1));
        for (int c = 0; c <= 4; ++c)
            p.drawLine(QPointF(30 + c * 40, 120), QPointF(30 + c * 40, 320));
        for (int f = 0; f <= 8; ++f)
            p.drawLine(QPointF(30, 120 + f * 25), QPointF(190, 120 + f * 25));
        p.fillRect(QRectF(30, 120, 160, 25), Alfa(Qt::white, 35));
    });
    Afegeix(v, QStringLiteral("fonsfinal_comu.dat"), QSize(774, 426), [](QPainter& p, QSizeF m) {
        Fons(p, m, 10, false);
        p.setPen(QPen(Alfa(Qt::white, 40), 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(120, 220), QPointF(200, 300), QPointF(360, 130)});
    });
    Afegeix(v, QStringLiteral("banda.dat"), QSize(774, 6), [](QPainter& p, QSizeF m) {
        QLinearGradient g(0, 0, m.width(), 0);
        g.setColorAt(0, Destacat);
        g.setColorAt(1, Cel);
        p.fillRect(QRectF(QPointF(0, 0), m), g);
    });

    // The message box and the details window.
    Afegeix(v, QStringLiteral("fons_rvtMsgBox_357x120.dat"), QSize(357, 120), [](QPainter& p, QSizeF m) {
        Ombra(p, m);
        p.fillRect(QRectF(0, 0, 4, m.height()), Destacat);
    });
    Afegeix(v, QStringLiteral("fons_detalles_416x220.dat"), QSize(416, 220), [](QPainter& p, QSizeF m) {
        Ombra(p, m);
        QLinearGradient g(0, 0, m.width(), 0);
        g.setColorAt(0, Nit);
        g.setColorAt(1, Destacat);
        p.fillRect(QRectF(0, 0, m.width(), 30), g);
    });
    Afegeix(v, QStringLiteral("critical.dat"), QSize(32, 32), [](QPainter& p, QSizeF m) { Icona(p, m, Vermell, QStringLiteral("\u00d7"), false); });
    Afegeix(v, QStringLiteral("exclamat.dat"), QSize(32, 32), [](QPainter& p, QSizeF m) { Icona(p, m, Ambre, QStringLiteral("!"), true); });
    Afegeix(v, QStringLiteral("informat.dat"), QSize(32, 32), [](QPainter& p, QSizeF m) { Icona(p, m, Blau, QStringLiteral("i"), false); });
    Afegeix(v, QStringLiteral("question.dat"), QSize(32, 32), [](QPainter& p, QSizeF m) { Icona(p, m, Verd, QStringLiteral("?"), false); });

    // The splash.
    Afegeix(v, QStringLiteral("inicio.dat"), QSize(480, 300), [](QPainter& p, QSizeF m) {
        Fons(p, m, 10, false);
        p.save();
        p.translate(300, 60);
        p.rotate(-8);
        Full(p, QRectF(0, 0, 130, 180), 3, 7, Alfa(Destacat, 200), 8);
        p.restore();
        TextCentrat(p, QRectF(30, 90, 260, 50), QStringLiteral("KOVEL"), 40, true, Qt::white);
        TextCentrat(p, QRectF(30, 140, 260, 30), QStringLiteral("Videvoviv"), 24, false, Qt::white);
        TextCentrat(p, QRectF(30, 180, 260, 20), QStringLiteral("Label design and printing"), 12, false, Alfa(Qt::white, 200));
    });
    return v;
}

} // namespace

const std::vector<Imatge>& Imatges()
{
    static const std::vector<Imatge> v = Construeix();
    return v;
}

} // namespace kovel::skins

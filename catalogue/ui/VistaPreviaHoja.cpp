#include "catalogue/ui/VistaPreviaHoja.h"

#include "catalogue/Cataleg.h"
#include "catalogue/Unidades.h"
#include "catalogue/ui/LienzoPintor.h"
#include "common/ModTolvWiz.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <array>
#include <cmath>

namespace kovel::catalogue {

PctHoja::PctHoja(int indice, QWidget* parent) : QWidget(parent), indice_(indice)
{
    setObjectName(QStringLiteral("PctHoja"));
    setProperty("index", indice);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PctHoja::Muestra(const QImage& imagen, const GeometriaHoja& geometria, bool esImagen)
{
    imagen_ = imagen;
    geometria_ = esImagen ? GeometriaHoja{} : geometria;
    esImagen_ = esImagen;
    resize(imagen_.size());
    update();
}

void PctHoja::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, imagen_);
}

void PctHoja::mousePressEvent(QMouseEvent* event)
{
    const QPointF punto = event->position();
    if (const CajaEtiqueta* k = EtiquetaEn(geometria_, punto.x(), punto.y()))
        emit celdaPulsada(k->fila, k->columna, k->celda);
    QWidget::mousePressEvent(event);
}

namespace {

int Tw(int pixeles, double tpp) { return int(std::lround(pixeles * tpp)); }
int Px(int twips, double tpp) { return tpp > 0 ? int(std::lround(twips / tpp)) : twips; }

RectTwips ATwips(const QRect& r, const Visual::TwipsPerPixel& s)
{
    return {Tw(r.x(), s.x), Tw(r.y(), s.y), Tw(r.width(), s.x), Tw(r.height(), s.y)};
}

QRect APixeles(const RectTwips& r, const Visual::TwipsPerPixel& s)
{
    return QRect(Px(r.left, s.x), Px(r.top, s.y), Px(r.width, s.x), Px(r.height, s.y));
}

// What another part of the program answers, or `siNo` when it cannot say.
template <typename T>
T Pregunta(const std::function<T()>& f, T siNo)
{
    if (!f)
        return siNo;
    try {
        return f();
    } catch (...) {
        return siNo;
    }
}

// The last data-source option set, 0 when none.
int OrigenDatos(const std::array<bool, 4>& opciones)
{
    for (int i = 3; i >= 0; --i)
        if (opciones[std::size_t(i)])
            return i;
    return 0;
}


} // namespace

// Sizes the frame to the picture box and lays it out on its panel.
void VistesPrevies::ColocaVista(Vista& v, const EtiquetaCatalogo& e, int indiceCatalogo, int anchoMaximoMarco)
{
    // The frame and the box are the wizard's controls, which keep their design pixels.
    const Visual::TwipsPerPixel& s = Visual::EscalaDisseny;
    QWidget* marco = v.entorno.marco;
    if (!marco || !v.caja)
        return;
    EscenaVista escena;
    escena.marco = ATwips(marco->geometry(), s);
    if (QScrollBar* barra = v.entorno.barra) {
        escena.barra.rect = ATwips(barra->geometry(), s);
        escena.barra.visible = !barra->isHidden();
        escena.barra.valor = barra->value();
        escena.barra.maximo = barra->maximum();
        escena.barra.pasoPequeno = barra->singleStep();
        escena.barra.pasoGrande = barra->pageStep();
    }
    escena.anchoImagen = Tw(v.caja->width(), s.x);
    escena.altoImagen = Tw(v.caja->height(), s.y);
    if (v.entorno.documento)
        escena.documentoTop = Tw(v.entorno.documento->y(), s.y);
    if (v.entorno.panelDiseno)
        escena.panelAlto = Tw(v.entorno.panelDiseno->height(), s.y);

    AjustaMarco(escena, anchoMaximoMarco);
    const std::array<bool, 4> origen = Pregunta(Contexto.origenDatos, std::array<bool, 4>{});
    ClaveVista clave;
    clave.indiceVista = v.caja->indice();
    clave.indiceCatalogo = indiceCatalogo;
    clave.codigo = e.Codigo;
    clave.girado = e.Girado;
    clave.tipoPapel = e.TipoPapel;
    clave.horizontal = Pregunta(Contexto.horizontal, false);
    clave.origenDatos = OrigenDatos(origen);
    clave.origen0 = origen[0];
    colocador_.Coloca_VistaPrevia(clave, s, Contexto.medidas, escena);

    QRect r = APixeles(escena.marco, s);
    if (!v.entorno.barra && v.caja->width() > r.width()) {
        // Without a scroll bar nothing of the picture may lie past its frame: a pixel more of
        // picture than the frame's rounded width widens the frame about its centre.
        r.adjust(-(v.caja->width() - r.width()) / 2, 0, 0, 0);
        r.setWidth(v.caja->width());
    }
    marco->setGeometry(r);
    v.caja->move(0, 0);
    if (QScrollBar* barra = v.entorno.barra) {
        barra->setGeometry(APixeles(escena.barra.rect, s));
        barra->setRange(0, std::max(0, Px(escena.barra.maximo, s.x)));
        barra->setSingleStep(std::max(1, Px(escena.barra.pasoPequeno, s.x)));
        barra->setPageStep(std::max(1, Px(escena.barra.pasoGrande, s.x)));
        barra->setValue(escena.barra.valor);
        barra->setVisible(escena.barra.visible);
    }
}

PctHoja* VistesPrevies::InstalaVistaPrevia(int indice, const EntornoVistaPrevia& entorno)
{
    if (indice < 0 || indice > 1 || !entorno.marco)
        return nullptr;
    Vista& v = vistas_[std::size_t(indice)];
    delete v.caja.data();
    v.entorno = entorno;
    v.caja = new kovel::catalogue::PctHoja(indice, entorno.marco);
    v.caja->move(0, 0);
    v.caja->show();
    if (QScrollBar* barra = entorno.barra) {
        QPointer<kovel::catalogue::PctHoja> caja = v.caja;
        QObject::connect(barra, &QScrollBar::valueChanged, v.caja, [caja](int valor) {
            if (caja)
                caja->move(-valor, 0);
        });
    }
    colocador_.Olvida();
    return v.caja;
}

PctHoja* VistesPrevies::PctHoja(int indice) const
{
    if (indice < 0 || indice > 1)
        return nullptr;
    return vistas_[std::size_t(indice)].caja;
}

void VistesPrevies::Dibuja_HojaEtiquetas(std::int16_t indice)
{
    try {
        const int i = ModTolvWiz::FormatSeleccionat(cat_);
        if (i < 0 || indice < 0 || indice > 1)
            return;
        Vista& v = vistas_[std::size_t(indice)];
        if (!v.caja)
            return;
        // Drawn from a copy: the catalogue record is never turned or changed for the drawing.
        EtiquetaCatalogo e;
        EtiquetaExtendida x;
        if (!FormatoParaVista(cat_, i, indice, e, x))
            return;
        const ContextoVistaPrevia& c = Contexto;
        OpcionesVista o;
        o.indice = indice;
        o.horizontal = Pregunta(c.horizontal, false);
        o.origenDatos1 = Pregunta(c.origenDatos, std::array<bool, 4>{})[1];
        o.casellaActual = Pregunta(c.casellaActual, -1);
        o.casellaBuida = c.casellaBuida;
        o.medidas = c.medidas;
        o.fondoVentana = c.fondoVentana;
        LienzoPintor lienzo;
        const ResultadoVista r = kovel::catalogue::Dibuja_HojaEtiquetas(
            lienzo, e, x, o, c.carpetaPrograma.isEmpty() ? ModTolvWiz::Carpeta_Programa() : c.carpetaPrograma);
        v.caja->Muestra(lienzo.Resultado(), r.geometria, r.imagen);

        if (indice > 0 && v.entorno.lblHoja) {
            const int posicion = Pregunta(c.posicionEtiqueta, 0);
            if (posicion >= 1)
                v.entorno.lblHoja->setText(QString::number(posicion));
        }
        ColocaVista(v, e, i, r.geometria.anchoMaximoMarco);
    } catch (...) {
        // The preview stands as far as it got; the window never sees a failure.
    }
}

} // namespace kovel::catalogue

namespace ModTolvWiz {

using namespace kovel::catalogue;

void Muestra_MedidasEtiqueta(const Cataleg& cat, QWidget* ventana, int indice)
{
    if (!ventana)
        return;
    std::array<QLabel*, 6> piezas{};
    const auto etiquetas = ventana->findChildren<QLabel*>(QStringLiteral("lbl_inf_etiqueta"));
    for (QLabel* l : etiquetas) {
        const int k = l->property("index").toInt();
        if (k >= 0 && k < 6)
            piezas[std::size_t(k)] = l;
    }
    for (QLabel* l : piezas)
        if (!l)
            return;
    constexpr int tpp = 15;
    TextoMedidas t;
    for (std::size_t k = 0; k < 6; ++k) {
        QLabel* l = piezas[k];
        t.pieza[k] = {l->text(), l->x() * tpp, l->y() * tpp, l->width() * tpp, !l->isHidden()};
    }
    const QFontMetrics medidas = piezas[0]->fontMetrics();
    t.anchoDe = [medidas](const QString& s) { return s.isEmpty() ? 0 : (medidas.horizontalAdvance(s) + 2) * tpp; };
    ModTolvWiz::Muestra_MedidasEtiqueta(cat, indice, t);
    for (std::size_t k = 0; k < 6; ++k) {
        QLabel* l = piezas[k];
        const PiezaTexto& p = t.pieza[k];
        l->setText(p.caption);
        l->setGeometry(p.left / tpp, p.top / tpp, p.width / tpp, l->height());
        l->setVisible(p.visible);
    }
}

} // namespace ModTolvWiz

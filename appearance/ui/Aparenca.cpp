#include "appearance/ui/Aparenca.h"

#include "common/HostProfile.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/Finestres.h"
#include "common/ui/VisualUi.h"
#include "common/ui/frm_rvtMsgBox.h"
#include "platform/paths/Paths.h"

#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QScreen>
#include <QApplication>
#include <QGuiApplication>

#include <cmath>

namespace KOVEL_espec {

namespace {

using kovel::ui::Px;

void Anota(Informe& inf, const QString& linia)
{
    inf << linia;
    ModTolvWiz::Escribe_Log(QStringLiteral("Look: ") + linia);
}

QList<QWidget*> ControlsDe(QWidget* finestra, const char* nom, int index, Informe& inf)
{
    if (!nom || !*nom)
        return {finestra};
    QList<QWidget*> c = Controls(finestra, QString::fromLatin1(nom), index);
    if (c.isEmpty())
        Anota(inf, QStringLiteral("%1: no control %2%3")
                       .arg(finestra->objectName(), QString::fromLatin1(nom),
                            index >= 0 ? QStringLiteral("(%1)").arg(index) : QString()));
    return c;
}

QPixmap Imatge(const char* fitxer, Informe& inf)
{
    if (!fitxer)
        return {};
    QPixmap p = CarregaImatge(QString::fromLatin1(fitxer));
    if (p.isNull())
        Anota(inf, QStringLiteral("picture DATA/%1 is missing or unreadable").arg(QString::fromLatin1(fitxer)));
    return p;
}

void Verdana(QWidget* w, std::optional<bool> negreta)
{
    static const bool substitut = [] {
        // The product's font where the desktop has it, else a sans face of the same build.
        QFont::insertSubstitutions(QStringLiteral("Verdana"), {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
        return true;
    }();
    (void)substitut;
    QFont f = w->font();
    f.setFamily(QStringLiteral("Verdana"));
    if (negreta)
        f.setBold(*negreta);
    w->setFont(f);
}

void TextBlanc(QWidget* w)
{
    if (auto* b = qobject_cast<kovel::ui::BotoImatge*>(w)) {
        b->setColorText(Qt::white);
        return;
    }
    QPalette p = w->palette();
    for (auto rol : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(rol, Qt::white);
    w->setPalette(p);
}

void Alinea(QWidget* w, int a)
{
    if (auto* l = qobject_cast<QLabel*>(w))
        l->setAlignment((a == 1 ? Qt::AlignRight : Qt::AlignLeft) | (l->alignment() & Qt::AlignVertical_Mask));
}

// A design length in twips, in the window's pixels: the design's, whatever the screen.
int PxDe(double twips) { return int(std::lround(twips / Visual::EscalaDisseny.x)); }

// Keeps a background picture stretched over its widget whatever size the widget takes,
// rather than tiled.
class FonsEscalat : public QObject {
public:
    FonsEscalat(QWidget* w, QPixmap p) : QObject(w), imatge_(std::move(p))
    {
        setObjectName(QStringLiteral("kovel-fons"));
        aplica(w);
    }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Resize)
            aplica(static_cast<QWidget*>(o));
        return false;
    }
    void setImatge(QWidget* w, QPixmap p)
    {
        imatge_ = std::move(p);
        aplica(w);
    }

private:
    void aplica(QWidget* w)
    {
        QPalette pal = w->palette();
        const QSize mida = w->size().isEmpty() ? imatge_.deviceIndependentSize().toSize() : w->size();
        QPixmap escalada = imatge_.deviceIndependentSize().toSize() == mida
                               ? imatge_
                               : imatge_.scaled(mida * imatge_.devicePixelRatio(), Qt::IgnoreAspectRatio,
                                                Qt::SmoothTransformation);
        escalada.setDevicePixelRatio(imatge_.devicePixelRatio());
        pal.setBrush(QPalette::Window, QBrush(escalada));
        w->setPalette(pal);
        w->setAutoFillBackground(true);
    }
    QPixmap imatge_;
};

} // namespace

QList<QWidget*> Controls(QWidget* finestra, const QString& nom, int index)
{
    QList<QWidget*> res;
    if (!finestra)
        return res;
    for (QWidget* w : finestra->findChildren<QWidget*>(nom)) {
        const QVariant i = w->property("index");
        if (index < 0 || (i.isValid() && i.toInt() == index))
            res << w;
    }
    return res;
}

QPixmap CarregaImatge(const QString& fitxer)
{
    const auto llegeix = [](const QString& nom) -> QPixmap {
        const QString cami = kovel::paths::findCaseInsensitive(kovel::paths::programDir(), QStringLiteral("DATA/") + nom);
        QPixmap p;
        // A picture of absurd size is not one of the product's.
        if (cami.isEmpty() || !QFileInfo(cami).isFile() || QFileInfo(cami).size() > 16 * 1024 * 1024 || !p.load(cami))
            return {};
        return p;
    };
    // On a screen at 200% the picture drawn at twice the size, when there is one.
    if (qApp && qApp->devicePixelRatio() > 1.0) {
        const int punt = fitxer.lastIndexOf(u'.');
        QPixmap doble = llegeix(punt < 0 ? fitxer + QStringLiteral("@2x") : QString(fitxer).insert(punt, QStringLiteral("@2x")));
        if (!doble.isNull()) {
            doble.setDevicePixelRatio(2.0);
            return doble;
        }
    }
    return llegeix(fitxer);
}

bool PosaFons(QWidget* w, const QString& fitxer)
{
    const QPixmap p = CarregaImatge(fitxer);
    if (!w || p.isNull())
        return false;
    if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setPixmap(p);
        return true;
    }
    // Found by name: the filter has no meta-object of its own to be found by type.
    if (auto* f = w->findChild<QObject*>(QStringLiteral("kovel-fons"), Qt::FindDirectChildrenOnly)) {
        static_cast<FonsEscalat*>(f)->setImatge(w, p);
    } else {
        auto* nou = new FonsEscalat(w, p);
        w->installEventFilter(nou);
    }
    return true;
}

Informe AplicaPells(QWidget* finestra, const std::vector<Pell>& pells, bool esWord)
{
    Informe inf;
    for (const Pell& pell : pells) {
        if (pell.nomesWord && !esWord)
            continue;
        for (QWidget* w : ControlsDe(finestra, pell.control, pell.index, inf)) {
            if (pell.dalt >= 0)
                w->move(w->x(), PxDe(pell.dalt));
            if (pell.normal) {
                const QPixmap normal = Imatge(pell.normal, inf);
                if (auto* b = qobject_cast<kovel::ui::BotoImatge*>(w)) {
                    // A face whose normal picture is missing keeps its plain look whole.
                    // A state the table gives no picture for keeps the one the control has.
                    if (!normal.isNull()) {
                        b->setImatgeNormal(normal);
                        if (pell.actiu)
                            b->setImatgePremuda(Imatge(pell.actiu, inf));
                        if (pell.sobre)
                            b->setImatgeSobre(Imatge(pell.sobre, inf));
                    }
                } else if (auto* l = qobject_cast<QLabel*>(w)) {
                    if (!normal.isNull())
                        l->setPixmap(normal);
                } else if (!normal.isNull()) {
                    PosaFons(w, QString::fromLatin1(pell.normal));
                }
            }
            if (pell.ample >= 0 || pell.alt >= 0)
                w->resize(pell.ample >= 0 ? PxDe(pell.ample) : w->width(), pell.alt >= 0 ? PxDe(pell.alt) : w->height());
            if (pell.visible >= 0)
                w->setVisible(pell.visible == 1);
        }
    }
    return inf;
}

Informe Carga_ImagenesWizard(QWidget* frm)
{
    return AplicaPells(frm, PellsAssistent(), kovel::Host() == kovel::HostOffice::Word);
}

Informe Carga_ImagenesMsgBox(frm_rvtMsgBox* box) { return AplicaPells(box, PellsMissatge(), false); }

Informe Carga_ImagenesOpciones(QWidget* frm)
{
    Informe inf = AplicaPells(frm, PellsOpcions(), false);
    for (QWidget* w : ControlsDe(frm, "Opt_Inch", -1, inf))
        w->setStyleSheet(QStringLiteral("background-color: %1").arg(kovel::ui::ColorDeBasic(0xE0C8C0).name()));
    for (QWidget* w : ControlsDe(frm, "Opt_mm", -1, inf))
        w->setStyleSheet(QStringLiteral("background-color: %1").arg(kovel::ui::ColorDeBasic(0xE8D0C8).name()));
    // 83 times the screen's twips per pixel, in twips: 83 pixels, the width of the tab's face,
    // at any screen scale.
    for (int i = 0; i < 2; ++i)
        for (QWidget* w : ControlsDe(frm, "lblTab", i, inf))
            w->resize(83, w->height());
    inf << EstilOpcions(frm);
    return inf;
}

Informe EstilFormulari(QWidget* frm, kovel::HostOffice host)
{
    Informe inf;
    const QColor destacat = kovel::ui::ColorDeBasic(ColorDestacado);
    const Visual::TwipsPerPixel pantalla = Visual::TwipsPerPixelPantalla(frm);
    const double tx = pantalla.x, ty = pantalla.y;
    for (const Estil& e : EstilsFormulari(host)) {
        QList<QWidget*> ws;
        if (e.primer < 0)
            ws = ControlsDe(frm, e.control, -1, inf);
        else
            for (int i = e.primer; i <= e.darrer; ++i)
                ws << ControlsDe(frm, e.control, i, inf);
        for (QWidget* w : ws) {
            if (e.verdana || e.negreta)
                Verdana(w, e.negreta);
            if (e.textBlanc)
                TextBlanc(w);
            if (e.alineacio)
                Alinea(w, *e.alineacio);
            if (e.esquerraPx) {
                int esquerra = PxDe(*e.esquerraPx * tx);
                if (e.ancoraDretaPx)
                    esquerra -= w->width();
                w->move(esquerra, w->y());
            }
            if (e.daltPx)
                w->move(w->x(), PxDe(*e.daltPx * ty));
            if (e.colorsBoto)
                if (auto* b = qobject_cast<kovel::ui::BotoImatge*>(w)) {
                    b->setColorTextActiu(Qt::white);
                    b->setColorText(destacat);
                    if (e.colorSobre)
                        b->setColorTextSobre(destacat);
                }
            if (e.visible)
                w->setVisible(*e.visible);
        }
    }
    // The sort heading stands on the label-format panel.
    const QList<QWidget*> panel2 = Controls(frm, QStringLiteral("Panel"), 2);
    for (QWidget* w : Controls(frm, QStringLiteral("fra_Ordenar")))
        if (!panel2.isEmpty() && w->parentWidget() != panel2.front()) {
            const QPoint p = w->pos();
            const bool visible = !w->isHidden();
            w->setParent(panel2.front());
            w->move(p);
            w->setVisible(visible);
        }
    return inf;
}

Informe EstilOpcions(QWidget* frm)
{
    Informe inf;
    const double escalaY = Visual::TwipsPerPixelPantalla(frm).EscalaY();
    for (QWidget* w : ControlsDe(frm, "lbl_TitDetalles", -1, inf)) {
        Verdana(w, {});
        TextBlanc(w);
    }
    for (int i = 0; i <= 2; ++i)
        for (QWidget* w : ControlsDe(frm, "lbl_descripcion", i, inf)) {
            Verdana(w, {});
            if (i == 2)
                w->move(w->x(), PxDe(990 * escalaY));
        }
    for (int i = 0; i <= 8; ++i)
        for (QWidget* w : ControlsDe(frm, "lbl_medidas", i, inf))
            Verdana(w, {});
    for (int i = 0; i <= 5; ++i)
        for (QWidget* w : ControlsDe(frm, "lbl_tipo", i, inf))
            Verdana(w, {});
    for (QWidget* w : ControlsDe(frm, "lbl_tipo_aux", -1, inf))
        Verdana(w, {});
    for (int i = 0; i <= 1; ++i)
        for (QWidget* w : ControlsDe(frm, "lblTab", i, inf)) {
            Verdana(w, {});
            w->move(w->x(), PxDe(210 * escalaY));
        }
    return inf;
}

Informe DimensionaFormulari(QWidget* frm)
{
    Informe inf;
    frm->resize(PxDe(AmpleClient), PxDe(AltClient));
    for (int i = 0; i < PanelsDimensionats; ++i)
        for (QWidget* w : ControlsDe(frm, "Panel", i, inf))
            w->resize(PxDe(AmplePanel), PxDe(AltPanel));
    for (QWidget* w : ControlsDe(frm, "PanelBaix", -1, inf)) {
        w->setGeometry(w->x(), PxDe(DaltPanelBaix), PxDe(AmplePanel), PxDe(AltPanelBaix));
        w->raise();
    }
    QPalette p = frm->palette();
    p.setColor(QPalette::Window, Qt::white);
    frm->setPalette(p);
    frm->setAutoFillBackground(true);
    return inf;
}

Informe AlineaOpcionsPaper(QWidget* frm)
{
    Informe inf;
    static const std::array<std::pair<const char*, const char*>, 5> tipus{{{"lblDescrDinA5", "optDinA5"},
                                                                           {"lblDescrDinA4", "optDinA4"},
                                                                           {"lblDescrContinuo", "optContinuo"},
                                                                           {"lblDescrLetter", "optLetter"},
                                                                           {"lblDescrTermic", "optTermic"}}};
    std::array<bool, 5> visibles{};
    for (std::size_t i = 0; i < tipus.size(); ++i) {
        const QList<QWidget*> l = ControlsDe(frm, tipus[i].first, -1, inf);
        visibles[i] = !l.isEmpty() && !l.front()->isHidden();
    }
    const auto tops = KOVEL_espec::AlineaOpcionsPaper(visibles);
    for (std::size_t i = 0; i < tipus.size(); ++i) {
        if (!tops[i])
            continue;
        for (const char* nom : {tipus[i].first, tipus[i].second})
            for (QWidget* w : ControlsDe(frm, nom, -1, inf))
                w->move(w->x(), PxDe(*tops[i]));
    }
    return inf;
}

namespace {
Informe Col_loca(QWidget* frm, const std::vector<Lloc>& llocs)
{
    Informe inf;
    const Visual::TwipsPerPixel pantalla = Visual::TwipsPerPixelPantalla(frm);
    const double ex = pantalla.EscalaX(), ey = pantalla.EscalaY();
    for (const Lloc& l : llocs)
        for (QWidget* w : ControlsDe(frm, l.control, l.index, inf))
            w->setGeometry(PxDe(l.esquerra * ex), PxDe(l.dalt * ey), l.ample >= 0 ? PxDe(l.ample * ex) : w->width(),
                           l.alt >= 0 ? PxDe(l.alt * ey) : w->height());
    return inf;
}

void Presentacio(QWidget* frm, const QString& text, Informe& inf)
{
    for (QWidget* w : ControlsDe(frm, "LblPresentacion2", -1, inf)) {
        if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(text);
            l->setWordWrap(true);
        }
        w->show();
    }
}
} // namespace

Informe AjustaTitolPanel(QWidget* frm)
{
    Informe inf = Col_loca(frm, LlocsTitolPanel());
    Presentacio(frm, ModTraduccion::Literal(504), inf);
    return inf;
}

Informe AjustaPanelDistribucio(QWidget* frm, kovel::HostOffice host)
{
    Informe inf = Col_loca(frm, LlocsPanelDistribucio());
    Presentacio(frm, ModTraduccion::Literal(504) + QStringLiteral("\r\n") + ModTraduccion::Literal(506), inf);
    for (QWidget* w : Controls(frm, QStringLiteral("LblPresentacion2")))
        Verdana(w, {});
    for (QWidget* w : Controls(frm, QStringLiteral("LblDistribucion")))
        Verdana(w, {});
    for (int i = 0; i < 2; ++i)
        for (QWidget* w : Controls(frm, QStringLiteral("lblEtiqpag"), i))
            Verdana(w, true);
    for (const char* c : {"lblFila_final", "lblFila_inicial"})
        for (QWidget* w : Controls(frm, QString::fromLatin1(c)))
            TextBlanc(w);
    const char* progres = host == kovel::HostOffice::Excel ? "lblProgresoHojas" : host == kovel::HostOffice::Access ? "lblProgresoTablas" : nullptr;
    if (progres)
        for (QWidget* w : Controls(frm, QString::fromLatin1(progres))) {
            Verdana(w, {});
            TextBlanc(w);
        }
    return inf;
}

void InstallaAparencaMissatges()
{
    frm_rvtMsgBox::setAparenca([](frm_rvtMsgBox* box) { Carga_ImagenesMsgBox(box); });
}

} // namespace KOVEL_espec

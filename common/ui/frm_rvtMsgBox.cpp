#include "common/ui/frm_rvtMsgBox.h"

#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/ui/BotoImatge.h"
#include "common/ui/Finestres.h"
#include "common/ui/ModTolvWizUi.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

using kovel::ui::Control;
using kovel::ui::Px;
using kovel::ui::PxATwips;
using kovel::ui::Tw;

void (*g_look)(frm_rvtMsgBox*) = nullptr;
QPointer<frm_rvtMsgBox> g_instance;

// Designed layout, twips.
constexpr int kWidth = 6600, kHeight = 2800;
constexpr int kTextLeft = 1200, kTextWidth = 5100;
constexpr int kTitleTop = 300, kTitleHeight = 330;
constexpr int kMessageHeight = 1250;
constexpr int kIconLeft = 300, kIconTop = 700, kIconSize = 480;
constexpr int kButtonTop = 2160, kButtonWidth = 1200, kButtonHeight = 420;
constexpr int kLeftFirst = 3600, kLeftSecond = 5100;

QLabel* icon(QWidget* parent, const char* name, QStyle::StandardPixmap which)
{
    auto* l = Control<QLabel>(parent, name, Tw(kIconLeft, kIconTop, kIconSize, kIconSize));
    l->setPixmap(parent->style()->standardIcon(which).pixmap(Px(kIconSize), Px(kIconSize)));
    return l;
}

kovel::ui::BotoImatge* button(QWidget* parent, const char* name, const QString& caption, int left)
{
    auto* b = Control<kovel::ui::BotoImatge>(parent, name, Tw(left, kButtonTop, kButtonWidth, kButtonHeight));
    b->setText(caption);
    b->setFocusPolicy(Qt::NoFocus); // the window takes the keys before its controls
    return b;
}

std::int16_t showMessageBox(const QString& prompt, std::int16_t style, const QString& title)
{
    return frm_rvtMsgBox::Instancia()->Mostrar(prompt, style, title);
}

std::int16_t showPopUp(const QString& text, std::int16_t style, const QString& title)
{
    QMessageBox box;
    box.setText(QString(text).replace(u'\r', u'\n'));
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("KOVEL Videvoviv") : title);
    switch (style & 0xF0) {
    case 16: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case 48: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (style & 0x0F) {
    case 1: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); box.setDefaultButton(QMessageBox::Ok); break;
    case 3: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); box.setDefaultButton(QMessageBox::Yes); break;
    case 4: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); box.setDefaultButton(QMessageBox::Yes); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return mod_rvtMsgBox::vbOK;
    case QMessageBox::Yes: return mod_rvtMsgBox::vbYes;
    case QMessageBox::No: return mod_rvtMsgBox::vbNo;
    default: return mod_rvtMsgBox::vbCancel;
    }
}

} // namespace

namespace kovel::ui {
void InstalarFinestresMissatge() { mod_rvtMsgBox::setFinestres(&showMessageBox, &showPopUp); }
} // namespace kovel::ui

frm_rvtMsgBox::frm_rvtMsgBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_rvtMsgBox"));
    setModal(true);
    setFixedSize(Px(kWidth), Px(kHeight));

    lbl_titol = Control<QLabel>(this, "lbl_titol", Tw(kTextLeft, kTitleTop, kTextWidth, kTitleHeight));
    QFont bold = lbl_titol->font();
    bold.setBold(true);
    lbl_titol->setFont(bold);

    lbl_missatge = Control<QLabel>(this, "lbl_missatge", Tw(kTextLeft, kTitleTop, kTextWidth, kMessageHeight));
    lbl_missatge->setWordWrap(true);
    lbl_missatge->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdAceptar = button(this, "cmdAceptar", QStringLiteral("OK"), kLeftFirst);
    cmdCancel = button(this, "cmdCancel", QStringLiteral("Cancel"), kLeftSecond);
    cmdSi = button(this, "cmdSi", QStringLiteral("Yes"), kLeftFirst);
    cmdNo = button(this, "cmdNo", QStringLiteral("No"), kLeftSecond);
    connect(cmdAceptar, &QAbstractButton::clicked, this, [this] { prem(mod_rvtMsgBox::vbOK); });
    connect(cmdCancel, &QAbstractButton::clicked, this, [this] { prem(mod_rvtMsgBox::vbCancel); });
    connect(cmdSi, &QAbstractButton::clicked, this, [this] { prem(mod_rvtMsgBox::vbYes); });
    connect(cmdNo, &QAbstractButton::clicked, this, [this] { prem(mod_rvtMsgBox::vbNo); });

    img_Critical = icon(this, "img_Critical", QStyle::SP_MessageBoxCritical);
    img_Question = icon(this, "img_Question", QStyle::SP_MessageBoxQuestion);
    img_Exclamation = icon(this, "img_Exclamation", QStyle::SP_MessageBoxWarning);
    img_Information = icon(this, "img_Information", QStyle::SP_MessageBoxInformation);

    ModTraduccion::TraduirFormulari(this);
    if (g_look)
        g_look(this);
    if (ModReg::LlegirJocCaracters() == 178) {
        // Right to left: the texts right-aligned from 120 twips, the icons after them.
        for (QLabel* l : {lbl_titol, lbl_missatge}) {
            l->move(Px(120), l->y());
            l->setAlignment(Qt::AlignRight | Qt::AlignTop);
        }
        for (QLabel* i : {img_Critical, img_Question, img_Exclamation, img_Information})
            i->move(Px(PxATwips(lbl_missatge->width()) + 120), i->y());
    }
}

frm_rvtMsgBox::~frm_rvtMsgBox()
{
    if (savedCursor_ >= 0 && QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(QCursor(Qt::CursorShape(savedCursor_)));
}

void frm_rvtMsgBox::setAparenca(void (*look)(frm_rvtMsgBox*)) { g_look = look; }

frm_rvtMsgBox* frm_rvtMsgBox::Instancia()
{
    if (!g_instance) {
        g_instance = new frm_rvtMsgBox;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, g_instance.data(), [] { delete g_instance.data(); });
    }
    return g_instance;
}

void frm_rvtMsgBox::Preparar(const QString& message, std::int16_t style, const QString& title)
{
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        w->hide();
    lbl_missatge->setText(message);
    lbl_missatge->show();
    lbl_titol->setText(title);

    switch (style & 0xF0) {
    case 16: img_Critical->show(); break;
    case 32: img_Question->show(); break;
    case 48: img_Exclamation->show(); break;
    case 64: img_Information->show(); break;
    default: break;
    }
    switch (style & 0x0F) {
    case 1:
        BotoDefecte = cmdAceptar; BotoCancel = cmdCancel;
        cmdAceptar->show(); cmdCancel->show();
        break;
    case 3:
        BotoDefecte = cmdSi; BotoCancel = cmdCancel;
        cmdCancel->move(cmdSi->x() - int(std::lround(1.5 * cmdCancel->width())), cmdCancel->y());
        cmdSi->show(); cmdNo->show(); cmdCancel->show();
        break;
    case 4:
        BotoDefecte = cmdSi; BotoCancel = cmdNo;
        cmdSi->show(); cmdNo->show();
        break;
    default:
        BotoDefecte = cmdAceptar; BotoCancel = cmdAceptar;
        cmdAceptar->show();
        break;
    }
    Activar();
}

void frm_rvtMsgBox::Activar()
{
    // Estimated height of the wrapped message: its width times its height over the width
    // of the label; a short message is centred about 800 twips under the title line.
    const QFontMetrics fm(lbl_missatge->font());
    const QStringList lines = lbl_missatge->text().split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    int widest = 0;
    for (const QString& l : lines)
        widest = std::max(widest, fm.horizontalAdvance(l));
    const double h = double(PxATwips(widest)) * PxATwips(fm.height() * int(lines.size())) / PxATwips(std::max(1, lbl_missatge->width()));
    const long half = std::lround(h / 2);
    int top;
    if (half < 351) {
        top = 800 - int(half);
        lbl_titol->show();
    } else {
        top = PxATwips(lbl_titol->y());
        lbl_titol->hide();
    }
    if (top < 500)
        lbl_titol->hide();
    // A message of a few lines starts under the title it is shown with, never over it.
    const int sotaTitol = lbl_titol->isHidden() ? 0 : PxATwips(lbl_titol->y() + lbl_titol->height());
    lbl_missatge->move(lbl_missatge->x(), Px(std::max(top, sotaTitol)));
}

std::int16_t frm_rvtMsgBox::Mostrar(const QString& message, std::int16_t style, const QString& title)
{
    Preparar(message, style, title);
    Resultat = mod_rvtMsgBox::vbCancel;
    exec();
    return Resultat;
}

void frm_rvtMsgBox::showEvent(QShowEvent* event)
{
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    if (const QCursor* c = QGuiApplication::overrideCursor()) {
        if (savedCursor_ < 0)
            savedCursor_ = int(c->shape());
        QGuiApplication::changeOverrideCursor(Qt::ArrowCursor);
    }
    QDialog::showEvent(event);
}

void frm_rvtMsgBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (BotoDefecte == cmdSi || BotoDefecte == cmdAceptar)) {
        BotoDefecte->click();
    } else if (event->key() == Qt::Key_Escape && (BotoCancel == cmdNo || BotoCancel == cmdCancel)) {
        BotoCancel->click();
    } else if (event->key() == Qt::Key_Escape && BotoCancel == cmdAceptar) {
        cmdAceptar->click(); // style 0: Esc answers OK too
    }
    event->accept();
}

void frm_rvtMsgBox::closeEvent(QCloseEvent* event)
{
    // Closed from the title bar: taken as Cancel.
    Resultat = mod_rvtMsgBox::vbCancel;
    QDialog::closeEvent(event);
}

void frm_rvtMsgBox::prem(std::int16_t result)
{
    Resultat = result;
    done(result);
}

#include "installers/ui/FrmEspera.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

FrmEspera::FrmEspera(QString titolInstal_lar, QString titolDesinstal_lar, int charset, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , titolInstal_lar_(std::move(titolInstal_lar))
    , titolDesinstal_lar_(std::move(titolDesinstal_lar))
{
    setObjectName(QStringLiteral("FrmEspera"));
    setWindowTitle(QStringLiteral("KOVEL Videvoviv"));
    setFixedSize(420, 110);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    LblTitulo = new QLabel(this);
    LblTitulo->setObjectName(QStringLiteral("LblTitulo"));
    LblTitulo->setAlignment(Qt::AlignCenter);
    LblTitulo->setWordWrap(true);
    QFont font = LblTitulo->font();
    font.setBold(true);
    font.setPointSize(11);
    LblTitulo->setFont(font);
    LblTitulo->setProperty("charset", charset);
    // The right-to-left character set reads from the right, as the program's other windows do.
    LblTitulo->setLayoutDirection(charset == 178 ? Qt::RightToLeft : Qt::LeftToRight);
    QPalette lp = LblTitulo->palette();
    lp.setColor(QPalette::WindowText, QColor(0, 118, 196));
    LblTitulo->setPalette(lp);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(LblTitulo);
}

void FrmEspera::Cargar(bool instal_lant)
{
    LblTitulo->setText(instal_lant ? titolInstal_lar_ : titolDesinstal_lar_);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    showNormal();
    repaint();
    QApplication::processEvents();
}

void FrmEspera::DesCargar()
{
    close();
    QApplication::processEvents();
}

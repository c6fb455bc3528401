#pragma once
// The waiting window the installers show while they work: one label with the title.
#include <QString>
#include <QWidget>

class QLabel;

class FrmEspera : public QWidget {
    Q_OBJECT
public:
    // The installing and the removing titles of the calling installer; `charset` is the
    // character set of the title's font (from "[JOCCARACTERS]").
    FrmEspera(QString titolInstal_lar, QString titolDesinstal_lar, int charset, QWidget* parent = nullptr);

    // Sets the title, shows the window (not modal) and paints it at once.
    void Cargar(bool instal_lant);
    // Closes the window.
    void DesCargar();

    QLabel* LblTitulo = nullptr;

private:
    QString titolInstal_lar_;
    QString titolDesinstal_lar_;
};

#pragma once
// The splash window shown while the program starts: one picture ("Data/inicio.dat" in the
// program folder), above every other window, until the wizard window has loaded or the
// first message box of start-up closes it.
#include <QWidget>

class QLabel;

class FrmPresent : public QWidget {
    Q_OBJECT
public:
    // Shows the splash window (made on first use). Without its picture the window still
    // shows, at its designed size, with the program's name in place of the picture.
    static void Cargar();
    // Closes it; harmless when it is not shown.
    static void DesCargar();
    // Hides and shows it again around a dialog of start-up (the data sources' file choice).
    static void Amagar();
    static void Mostrar();
    // The window while it is loaded, nullptr otherwise (tests, the pictures of the look).
    static FrmPresent* Instancia();

    QLabel* Imagen_Inicio = nullptr;

private:
    explicit FrmPresent(QWidget* parent = nullptr);
};

#pragma once
// One installer's pass with its window: the waiting window while it works, then the
// message of a failure.
#include "installers/Instalador.h"
#include "installers/Literales_Instalador.h"

namespace Instalador {

struct Titols {
    QString instal_lar;
    QString desinstal_lar;
};

// Without a display the window is drawn offscreen: call before the application is made.
void TriaPlataforma();

// The joined command line of the program (as the installers have always read it).
QString LiniaDe(int argc, char** argv);

// Installs or removes the entry point into the office profile; returns the exit status
// (0 done, 1 failed, after its message).
int Executa(Accio accio, const kovel::office::EntryPoint& entry, const Titols& titols, int charset);

// The whole program of the host's installer: reads the command line and the texts, then
// installs, removes or does nothing. Returns the exit status.
int Main(kovel::office::Host host, int argc, char** argv);

// Shows the waiting window with the install title and closes it again: what the
// spreadsheet and database installers do for a command line they do not know.
void MostraIEsborra(const Titols& titols, int charset);

} // namespace Instalador

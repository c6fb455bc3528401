// InstKovelA00: puts the database's entry point (a Tools-menu command and a toolbar button
// running a macro that starts the program with "/A") into LibreOffice Base, or takes it
// out. The program's path after "/PATH_EXE:" is used whole.
// "/PATH_EXE:<program> /BITMAP:<picture>" installs; " ", "Automatic" or "Custom" removes.
#include "installers/ui/Execucio.h"

int main(int argc, char** argv)
{
    return Instalador::Main(kovel::office::Host::Base, argc, argv);
}

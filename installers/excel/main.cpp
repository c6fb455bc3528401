// InstKovelE00: puts the spreadsheet's entry point (a Tools-menu command and a Standard-bar
// button running the macro Macro_KOVEL, which starts the program with "/E" for the workbook
// it was given in) into LibreOffice Calc, with "kovel_ruta.dat" in the office's templates
// folder, or takes them out.
// "/PATH_EXE:<program> /BITMAP:<picture>" installs; " ", "Automatic" or "Custom" removes.
#include "installers/ui/Execucio.h"

int main(int argc, char** argv)
{
    return Instalador::Main(kovel::office::Host::Calc, argc, argv);
}

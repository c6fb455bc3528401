// InstKovel00: puts the word processor's entry point (a Tools-menu command and a
// Standard-bar button running the macro KovelAssistant.KovelAssistant, which starts the
// program with "/W") into LibreOffice Writer, or takes it out.
// "/I" installs; "/U", "AUTOMATIC", "CUSTOM" or nothing removes; anything else does nothing.
#include "installers/ui/Execucio.h"

int main(int argc, char** argv)
{
    return Instalador::Main(kovel::office::Host::Writer, argc, argv);
}

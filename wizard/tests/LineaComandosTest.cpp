// The command line: host switches, the print mode's fields and the output file's name.
#include "wizard/LineaComandos.h"
#include "wizard/ModoImpresion.h"

#include "common/HostProfile.h"

#include <gtest/gtest.h>

using namespace ModTolvWiz;

TEST(WizardLineaComandos, HostSwitchesAreTheWholeLine)
{
    EXPECT_EQ(ClassificaLinia("/W"), AccioLinia::Word);
    EXPECT_EQ(ClassificaLinia("/w"), AccioLinia::Word);
    EXPECT_EQ(ClassificaLinia("/e"), AccioLinia::Excel);
    EXPECT_EQ(ClassificaLinia("/A"), AccioLinia::Access);
    EXPECT_EQ(ClassificaLinia("/W "), AccioLinia::Cap);
    EXPECT_EQ(ClassificaLinia("/W LOG"), AccioLinia::Cap);
    EXPECT_EQ(ClassificaLinia("LOG"), AccioLinia::Cap);
    EXPECT_EQ(ClassificaLinia(""), AccioLinia::Cap);
    EXPECT_EQ(ClassificaLinia("/pv1234 out"), AccioLinia::Impressio);
    EXPECT_EQ(ClassificaLinia("/P"), AccioLinia::Impressio);

    // A host switch sets the host and lets the wizard go on; any other text sets nothing.
    kovel::EstablirHost(kovel::HostOffice::Cap);
    EXPECT_EQ(Procesa_LineaComandos("/e", "."), std::nullopt);
    EXPECT_EQ(ProgramaOffice, "Excel");
    kovel::EstablirHost(kovel::HostOffice::Cap);
    EXPECT_EQ(Lee_LineaComandos("/W LOG", "."), std::nullopt);
    EXPECT_TRUE(ProgramaOffice.isEmpty());
}

TEST(WizardLineaComandos, PrintModeFields)
{
    ComandaImpressio c = LlegeixComandaImpressio("/PH1234 /tmp/Out");
    EXPECT_EQ(c.modeOrientacio, 2);
    EXPECT_TRUE(c.horitzontal());
    EXPECT_EQ(c.numeroEtiqueta, 1234);
    EXPECT_EQ(c.carpeta, "/tmp/Out");

    c = LlegeixComandaImpressio("/PX1234 out");   // any other letter acts as vertical
    EXPECT_EQ(c.modeOrientacio, 0);
    EXPECT_FALSE(c.horitzontal());

    c = LlegeixComandaImpressio("/PV5 my labels");   // the folder may hold blanks
    EXPECT_EQ(c.numeroEtiqueta, 5);
    EXPECT_EQ(c.carpeta, "my labels");

    c = LlegeixComandaImpressio("/PV1234 2024");   // a numeric folder does not lengthen the number
    EXPECT_EQ(c.numeroEtiqueta, 1234);
    EXPECT_EQ(c.carpeta, "2024");

    c = LlegeixComandaImpressio("/PV1234");
    EXPECT_TRUE(c.carpeta.isEmpty());
    c = LlegeixComandaImpressio("/PVabc out");
    EXPECT_EQ(c.numeroEtiqueta, 0);
    c = LlegeixComandaImpressio("/PV-3 out");
    EXPECT_EQ(c.numeroEtiqueta, -3);
    c = LlegeixComandaImpressio("/PV99999999999 out");   // does not fit: no label
    EXPECT_EQ(c.numeroEtiqueta, 0);
}

TEST(WizardLineaComandos, OutputName)
{
    EXPECT_EQ(NomFitxerImpressio("out", 1234, false), "out/wp_001234.docx");
    EXPECT_EQ(NomFitxerImpressio("/tmp/Out", 5, false), "/tmp/Out/wp_000005.docx");
    EXPECT_EQ(NomFitxerImpressio("/", 123456, true), "/wp_123456H.docx");
    EXPECT_EQ(NomFitxerImpressio("d/", 12345, true), "d/wp_012345H.docx");
    EXPECT_EQ(NomFitxerImpressio("d", 1234567, false), "d/wp_1234567.docx");
}

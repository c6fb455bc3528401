#pragma once
// The program never empties the collections of codes made for data fields nor the QR
// options: each test starts from a fresh run.
#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"

inline void BuidaEstatCodis()
{
    ClonsBarres.clear();
    EtiquetesBarres.clear();
    ClonsQR.clear();
    EtiquetesQR.clear();
    PlantillesQR.clear();
    OpcionsQR.clear();
    ComptadorPlantillesQR = 0;
    PrefixDadesQR.clear();
    CodiQR::ECIActiu = false;
    CodiQR::UTF8Actiu = false;
    CodiQR::IndexECI = 3;
}

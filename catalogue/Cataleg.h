#pragma once
// The label catalogue of a run as one object: the formats loaded, their extension records,
// which of them are turned, the display unit, and the format list.
// Whoever needs a catalogue owns one (the wizard's state, the print mode, a tool, a test);
// the catalogue routines (Catalogo.h, ListaEtiquetas.h, Unidades.h ...) are given it.
#include "catalogue/Catalogo.h"
#include "catalogue/ListaEtiquetas.h"

#include <QList>
#include <QStringList>
#include <cstdint>

struct Cataleg {
    // Parallel arrays, same indices, from 0 to NumEtiquetas − 1.
    QList<EtiquetaCatalogo> Etiquetas;
    QList<EtiquetaExtendida> EtiquetasExt;
    QList<bool> EtiquetasMarca;   // true while the format is turned to horizontal
    std::int16_t NumEtiquetas = 0;

    // Display unit shared by the list, the size texts and the details window: 1 metric, 2 inches.
    std::int16_t Unidades = 1;

    // One line per format the last successful load left out (ModTolvWiz::FormatosOmitidos).
    QStringList Omitidos;

    // The list of formats ("LstEtiquetas").
    ModeloEtiquetas Lista;
};

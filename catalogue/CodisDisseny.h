#pragma once
// The one-letter codes and the number that a saved design records of the wizard's choices.
// Each reads the options given, or the catalogue's selected format.
#include "catalogue/ListaEtiquetas.h"

#include <array>
#include <cstdint>

namespace directoris {

// The character code of the paper type: the first option set of A4 "4", A5 "5", Letter "L",
// thermal "T", continuous "C" (tested in that order); 0 when none is set. `optPapel` is
// indexed by paper code (PapelA4 ...).
std::uint8_t CodiTipusPaper(const std::array<bool, 5>& optPapel);

// "H" when opt_Horizontal is set, else "V" when opt_Vertical is set, else 0.
std::uint8_t CodiOrientacio(bool optHorizontal, bool optVertical);

// "D" when the order option is set, else "I". The order option is opcOrigDatos(0) on the
// Word host and OpcEtiqpag(0) on the others.
std::int16_t CodiOrdre(bool opcioOrdre);
std::int16_t CodiOrdre(bool opcOrigDatos0, bool opcEtiqpag0);

// The number in the reference of the selected format (FormatSeleccionat): the leading number
// of the reference from its sixth character on, rounded to 32 bits; 0 when no format is
// selected, the reference holds no number or the number does not fit.
std::int32_t NumeroEtiqueta(const Cataleg& cat, std::int16_t indice);
std::int32_t NumeroEtiqueta(const Cataleg& cat);

} // namespace directoris

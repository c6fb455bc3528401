#pragma once
// The one-letter codes and the number that a saved design records of the wizard's choices,
// and their reading back: each code is written and read by the one table here.
#include "catalogue/ListaEtiquetas.h"
#include "common/HostProfile.h"

#include <array>
#include <cstdint>
#include <optional>

namespace directoris {

// The character code of the paper type: the first option set of A4 "4", A5 "5", Letter "L",
// thermal "T", continuous "C" (tested in that order); 0 when none is set. `optPapel` is
// indexed by paper code (PapelA4 ...).
std::uint8_t CodiTipusPaper(const std::array<bool, 5>& optPapel);
// The paper code (PapelA4 ...) a stored character code stands for; -1 for any other.
int TipusPaperDeCodi(std::uint8_t codi);

// "H" when opt_Horizontal is set, else "V" when opt_Vertical is set, else 0.
std::uint8_t CodiOrientacio(bool optHorizontal, bool optVertical);
// Horizontal for "H", vertical for "V"; none for any other code.
std::optional<bool> HoritzontalDeCodi(std::uint8_t codi);

// The order option of host `host`: opcOrigDatos(0) on the word processor's (the labels of
// the sheet differ), OpcEtiqpag(0) on the others (one label per record).
bool OpcioOrdre(kovel::HostOffice host, bool opcOrigDatos0, bool opcEtiqpag0);
// "D" when the order option is set, else "I".
std::uint8_t CodiOrdre(bool opcioOrdre);
// The order option a stored code sets: on for "D", off for "I"; none for any other code
// (a design that kept no choice).
std::optional<bool> OpcioOrdreDeCodi(std::uint8_t codi);

// The model number of format `indice` of the catalogue (its Codigo, which the loader takes
// from the reference when the record holds none): what a search by reference finds and a
// restore looks up. 0 outside the catalogue.
std::int32_t NumeroEtiqueta(const Cataleg& cat, std::int16_t indice);

} // namespace directoris

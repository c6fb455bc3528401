#pragma once
// The field-linked codes of a design's run and the QR dialog's character-set options: what
// the code dialogs register, the generator remakes for every record and saved designs store.
// Its owner passes it to each of them; two registries never share a code or an option.
#include "codes/CodiQR.h"

#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace kovel::codes {

struct RegistreCodis {
    // Field-linked barcodes: one configured control and one tag ("n_field") each, item n-1
    // for the tag's n. Only appended to.
    std::vector<std::unique_ptr<kovel::barcode::ActiveBC>> ClonsBarres;
    QStringList EtiquetesBarres;

    // Field-linked QR codes likewise; the data templates of SMS and contact-card codes (item k
    // for the tag "n_k") and their count; each code's options as it was registered.
    std::vector<std::unique_ptr<kovel::qr::QRCodeCtrl>> ClonsQR;
    QStringList EtiquetesQR;
    QStringList PlantillesQR;
    std::int32_t ComptadorPlantillesQR = 0;
    std::vector<CodiQR::OpcionsCodi> OpcionsClonsQR;

    // The character-set options the QR dialog shows now (its `plantilla` unused): a code
    // registered takes a copy, data built now are encoded and prefixed with them.
    CodiQR::OpcionsCodi OpcionsQR;
};

} // namespace kovel::codes

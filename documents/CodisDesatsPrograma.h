#pragma once
// The run's field-linked codes (a registry's barcode and QR clones, QR templates and the QR
// character set) as saved designs store and restore them.
#include "documents/CodisDesats.h"

namespace kovel::codes { struct RegistreCodis; }

namespace guardar {

class CodisDesatsPrograma : public CodisExecucio {
public:
    // The codes of `registre`, which outlives this object.
    explicit CodisDesatsPrograma(kovel::codes::RegistreCodis& registre) : registre_(registre) {}

    std::optional<CodiDesat> exporta(const EtiquetaCodi& e) override;
    std::optional<EtiquetaCodi> importa(const CodiDesat& c, QString& error) override;
    Propietats general() override;
    void setGeneral(const Propietats& p) override;

private:
    kovel::codes::RegistreCodis& registre_;
};

} // namespace guardar

#pragma once
// The run's field-linked codes (the code dialogs' ClonsBarres, ClonsQR, PlantillesQR and the
// QR character set) as saved designs store and restore them.
#include "documents/CodisDesats.h"

namespace guardar {

class CodisDesatsPrograma : public CodisExecucio {
public:
    std::optional<CodiDesat> exporta(const EtiquetaCodi& e) override;
    std::optional<EtiquetaCodi> importa(const CodiDesat& c, QString& error) override;
    Propietats general() override;
    void setGeneral(const Propietats& p) override;
};

} // namespace guardar

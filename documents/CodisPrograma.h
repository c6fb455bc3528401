#pragma once
// The field-linked barcodes and QR codes made by the code dialogs in this run, as the
// generator remakes them for every record.
#include "codes/CodiQR.h"
#include "documents/OpcionsGeneracio.h"

namespace generar_doc {

class CodisPrograma : public CodisGeneracio {
public:
    // The codes of `registre`, which outlives this object.
    explicit CodisPrograma(kovel::codes::RegistreCodis& registre) : registre_(registre) {}

    void inserirCodiBarres(kovel::word::Range& lloc, std::int32_t n, const QString& camp, const QString& valor,
                           const QString& textAlternatiu) override;
    void inserirCodiQR(kovel::word::Range& lloc, std::int32_t n, const QString& s, const QString& dades,
                       const QString& textAlternatiu) override;
    QString codificarText(const QString& text) override;
    // The value's backslashes are data, never the QR control's escapes.
    QString codificarValorQR(const QString& valor) override;
    QString prefixDadesQR() override;
    // Each QR code's values are encoded with the character-set options it was made with;
    // its registration tells a field named like a number from a template.
    void codiQRActual(std::int32_t n) override { qrActual_ = n; }
    bool esPlantillaQR(std::int32_t n, const QString& s) override;
    QString plantillaQR(std::int32_t index) override;
    // Contact-card templates escape the values they take, as the QR dialog's own cards do.
    QString omplirPlantillaQR(const QString& plantilla, const std::function<QString(const QString&)>& valor) override;
    void espaiCodi(const std::optional<kovel::codes::EspaiLinia>& punts) override { espai_ = punts; }
    // Record values that a code could not hold, and codes that did not keep their line as
    // designed: counted during the run, told once at its end, each kind in its own message.
    void iniciGeneracio() override;
    void registreActual(std::int32_t registre, bool filaFull = false, std::int32_t full = 0, std::int32_t etiqueta = 0) override;
    void finalGeneracio() override;

private:
    // The options of the QR code being encoded: its own, or the dialog's for a code the
    // registry does not hold.
    const CodiQR::OpcionsCodi& opcionsActuals() const;

    kovel::codes::RegistreCodis& registre_;
    // The pictures of this generation: a value met again is not drawn again.
    kovel::codes::MemoriaImatges imatges_;
    std::int32_t qrActual_ = 0;
    std::optional<kovel::codes::EspaiLinia> espai_;   // the next code's rooms, taken by its insertion
};

} // namespace generar_doc

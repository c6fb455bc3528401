#include "documents/CodisPrograma.h"

#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/RegistreCodis.h"
#include "codes/ValorsNoCodificats.h"
#include "common/MsgBox.h"
#include "documents/generar_doc.h"

#include <array>
#include <utility>

namespace generar_doc {

void CodisPrograma::inserirCodiBarres(kovel::word::Range& lloc, std::int32_t n, const QString& camp,
                                      const QString& valor, const QString& textAlternatiu)
{
    kovel::barcode::ActiveBC* clon = CodiBarres::Clon(registre_, n);
    if (!clon || n < 1 || n > registre_.EtiquetesBarres.size())
        throw GeneracioError(QStringLiteral("The design names barcode %1, which this run did not make.").arg(n));
    clon->setBarText(valor);
    // The code's own size. A value the bar type cannot encode leaves the label without its
    // code, as an empty one.
    CodiBarres::InserirImatgeRegistre(lloc, registre_.EtiquetesBarres.at(n - 1), *clon, camp, textAlternatiu, imatges_, nullptr,
                                      std::exchange(espai_, std::nullopt));
}

void CodisPrograma::inserirCodiQR(kovel::word::Range& lloc, std::int32_t n, const QString& s, const QString& dades,
                                  const QString& textAlternatiu)
{
    kovel::qr::QRCodeCtrl* clon = CodiQR::Clon(registre_, n);
    if (!clon || n < 1 || n > registre_.EtiquetesQR.size())
        throw GeneracioError(QStringLiteral("The design names QR code %1, which this run did not make.").arg(n));
    clon->setDataToEncode(dades);
    CodiQR::InserirImatgeRegistre(lloc, registre_.EtiquetesQR.at(n - 1), *clon, s, textAlternatiu, imatges_, nullptr,
                                  std::exchange(espai_, std::nullopt));
}

const CodiQR::OpcionsCodi& CodisPrograma::opcionsActuals() const
{
    const CodiQR::OpcionsCodi* o = CodiQR::Opcions(registre_, qrActual_);
    return o ? *o : registre_.OpcionsQR;
}

QString CodisPrograma::codificarText(const QString& text) { return CodiQR::CodificarText(opcionsActuals(), text); }

QString CodisPrograma::codificarValorQR(const QString& valor)
{
    return CodiQR::CodificarText(opcionsActuals(), CodiQR::ValorLiteral(valor));
}

QString CodisPrograma::prefixDadesQR() { return opcionsActuals().prefix; }

bool CodisPrograma::esPlantillaQR(std::int32_t n, const QString& s)
{
    if (const CodiQR::OpcionsCodi* o = CodiQR::Opcions(registre_, n))
        return o->plantilla;
    return CodisGeneracio::esPlantillaQR(n, s);
}

QString CodisPrograma::plantillaQR(std::int32_t index)
{
    const QString* p = CodiQR::Plantilla(registre_, index);
    if (!p)
        throw GeneracioError(QStringLiteral("The design names QR data template %1, which this run did not make.").arg(index));
    return *p;
}

QString CodisPrograma::omplirPlantillaQR(const QString& plantilla, const std::function<QString(const QString&)>& valor)
{
    QString resultat, error;
    if (!CodiQR::OmplirPlantilla(plantilla, valor, resultat, &error))
        throw GeneracioError(error.isEmpty() ? QStringLiteral("The QR data template \"%1\" cannot be filled.").arg(plantilla) : error);
    return resultat;
}

namespace {

// Every collector of the closing messages, in the order they are told.
std::array<kovel::codes::ValorsNoCodificats*, 4> Collectors()
{
    return {&kovel::codes::NoCodificats(), &kovel::codes::NoLlegibles(), &kovel::codes::LiniesFora(),
            &kovel::codes::TextsMoguts()};
}

} // namespace

void CodisPrograma::iniciGeneracio()
{
    for (auto* c : Collectors())
        c->Comencar();
    imatges_.Buida();
    espai_.reset();
}

void CodisPrograma::registreActual(std::int32_t registre, bool filaFull, std::int32_t full, std::int32_t etiqueta)
{
    const kovel::codes::ValorsNoCodificats::Lloc lloc{registre, filaFull, full, etiqueta};
    for (auto* c : Collectors())
        c->EstablirLloc(lloc);
}

void CodisPrograma::finalGeneracio()
{
    imatges_.Buida();
    for (const auto* c : Collectors())
        if (!c->Buit())
            Portapapers::MissatgePopUp(c->Resum(), mod_rvtMsgBox::vbExclamation, QStringLiteral("KOVEL Videvoviv"));
}

} // namespace generar_doc

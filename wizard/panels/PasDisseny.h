#pragma once
// The design panel: the label's design document over the format's base document, the fields
// of the chosen source and, on the spreadsheet's host, the worksheet's rows.
#include "wizard/panels/Pas.h"

#include <QStringList>

#include <memory>

namespace kovel::word {
class Document;
}

namespace kovel::wizard {

class PasDisseny : public Pas {
public:
    explicit PasDisseny(EstatAssistent& estat);
    ~PasDisseny() override;

    // The base document (unless a hosted frame prepares its own) and the source's fields.
    void Llenar() override;
    // Away from the word processor's host the design needs a field.
    bool Validar(Avis& avis) override;
    // The state's own design document, made afresh when the format or its orientation changed.
    void preparaDisseny();
    // Reads a saved document as the design: into the hosted frame when there is one, into
    // the state's own document otherwise. False when it cannot be read.
    bool ObreDisseny(const QString& cami);
    // The design: the hosted frame's document, or the state's own.
    kovel::word::Document* disseny() const;
    // The design panel's title: the first caption, a blank and the format's reference.
    QString TitolDisseny(const QString& titolBase);

    std::int32_t NumColumnasHoja = 0;
    std::int32_t NumFilasHoja = 0;
    std::int32_t UltimaFilaHoja = 0;
    std::int16_t TotalCampos = 0;
    bool CamposDeTabla = false;
    QStringList mnuCampo;
    QString TituloDiseno;
    std::int32_t IndexDocumentBase = -1;
    QString ClauDocumentBase;

private:
    std::unique_ptr<kovel::word::Document> disseny_;
};

} // namespace kovel::wizard

#pragma once
// Record values that a field-linked code could not encode during one generation: the
// place stays empty, the generation goes on, and one message at the end says how many
// and which records. The same for codes that did not fit their label even at the
// narrowest printable module: drawn at their own size, cut, and told the same way.
#include <QList>
#include <QString>

#include <cstdint>
#include <utility>

namespace kovel::codes {

class ValorsNoCodificats {
public:
    // The closing message: the literal of `clau`, else `text` (%1 the count, %2 the records);
    // for a single case the literal of `clauU`, else `textU`.
    ValorsNoCodificats(QString clau, QString text, QString clauU, QString textU)
        : clau_(std::move(clau)), text_(std::move(text)), clauU_(std::move(clauU)), textU_(std::move(textU))
    {
    }

    struct Cas {
        std::int32_t registre = 0;   // record (source row or record number) as the caller counts it
        QString camp;                // field name, or the QR template for a filled template
        QString valor;               // the value (cut to 60 characters)
        QString motiu;               // why the code refused it
    };

    // Forgets the cases of the previous generation.
    void Comencar();
    // The record being filled, for the cases that the code pictures add themselves (a
    // field-linked code whose value its type cannot encode); 0 = not told.
    void EstablirRegistre(std::int32_t registre) { registre_ = registre; }
    std::int32_t Registre() const { return registre_; }
    void Afegir(std::int32_t registre, const QString& camp, const QString& valor, const QString& motiu);
    int Nombre() const { return nombre_; }
    bool Buit() const { return nombre_ == 0; }
    // The first cases, at most MaxGuardats, in the order they came.
    const QList<Cas>& Primers() const { return primers_; }
    // One text for the closing message: the count and the first `maxRegistres` records
    // affected, or their values when no record was told ("" when there was none).
    QString Resum(int maxRegistres = 5) const;

    static constexpr int MaxGuardats = 20;

private:
    QString clau_, text_, clauU_, textU_;
    int nombre_ = 0;
    std::int32_t registre_ = 0;
    QList<Cas> primers_;
};

// The collectors of the running generation.
ValorsNoCodificats& NoCodificats();
ValorsNoCodificats& NoLlegibles();

} // namespace kovel::codes

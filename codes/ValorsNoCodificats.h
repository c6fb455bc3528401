#pragma once
// Record values that a field-linked code could not encode during one generation: the
// place stays empty, the generation goes on, and one message at the end says how many
// and which labels, by their place on the sheet and the worksheet row or record they
// took. The same for codes that did not keep their line as designed: cut at the label's
// edge, whole with the text beside them moved to the next line, or whole with the lines
// under them past the label's foot, each told apart.
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

    // A label of the document and the record it took.
    struct Lloc {
        std::int32_t registre = 0;   // worksheet row or record number from 1; 0 = not told
        bool filaFull = false;       // `registre` is a worksheet row
        std::int32_t full = 0;       // the sheet of the document, from 1; 0 = not told
        std::int32_t etiqueta = 0;   // the label on that sheet, from 1, row by row; 0 = the whole sheet
    };
    // How a user finds `l` on the printed sheets and in the source: "label 2 of sheet 1
    // (worksheet row 3)", "sheet 4 (record 4)"; "" when nothing is told.
    static QString Nom(const Lloc& l);

    struct Cas {
        Lloc lloc;
        QString camp;                // field name, or the QR template for a filled template
        QString valor;               // the value (cut to 60 characters)
        QString motiu;               // why the code refused it
    };

    // Forgets the cases of the previous generation.
    void Comencar();
    // The label being filled, for the cases that the code pictures add themselves (a
    // field-linked code whose value its type cannot encode).
    void EstablirLloc(const Lloc& lloc) { lloc_ = lloc; }
    void EstablirRegistre(std::int32_t registre) { lloc_ = Lloc{registre}; }
    std::int32_t Registre() const { return lloc_.registre; }
    // A case of record `registre`: at the label being filled when it is that label's record.
    void Afegir(std::int32_t registre, const QString& camp, const QString& valor, const QString& motiu);
    int Nombre() const { return nombre_; }
    bool Buit() const { return nombre_ == 0; }
    // The first cases, at most MaxGuardats, in the order they came.
    const QList<Cas>& Primers() const { return primers_; }
    // One text for the closing message: the count and the first `maxRegistres` labels
    // affected (Nom), or their values when no record was told ("" when there was none).
    QString Resum(int maxRegistres = 5) const;

    static constexpr int MaxGuardats = 20;

private:
    QString clau_, text_, clauU_, textU_;
    int nombre_ = 0;
    Lloc lloc_;
    QList<Cas> primers_;
};

// The collectors of the running generation: values no code holds; codes cut at the label's
// edge; codes whose text beside them went to the next line; codes whose lines under them
// fall past the label's foot.
ValorsNoCodificats& NoCodificats();
ValorsNoCodificats& NoLlegibles();
ValorsNoCodificats& TextsMoguts();
ValorsNoCodificats& LiniesFora();

} // namespace kovel::codes

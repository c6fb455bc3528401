#pragma once
// The final panel: labels per record or sheets per record, the rows of a worksheet, and the
// generation of the label document when it is left (or on cmdPresentacion). The word
// processor's host makes one sheet: it offers no number of copies (the word processor's
// Print dialog gives them).
#include "wizard/panels/Pas.h"

#include <array>

namespace kovel::word {
class Document;
}

namespace kovel::wizard {

// The outcome of leaving a row box (txtFila_inicial / txtFila_final).
struct ValidacioFila {
    QString text;           // what the box holds afterwards
    bool beep = false;
    bool cancel = false;    // the focus stays in the box
    bool canviaAltre = false;
    QString textAltre;      // the other box's new text, when canviaAltre
    bool focusAltre = false;
};

// The final panel's controls whose showing depends on the host, the source and the format.
struct ControlsFinal {
    bool OpcEtiqpag0 = true;
    bool OpcEtiqpag1 = true;
    bool LblPresentacion2 = false;
    bool img_final1 = false;
    bool files = false;   // the row boxes and their captions (spreadsheet host)
};

class PasFinal : public Pas {
public:
    using Pas::Pas;

    void Llenar() override;
    // The choice and the row range checked, the document generated unless it is already;
    // when it is, a note says that the document made stands.
    bool Validar(Avis& avis) override;
    void OpcEtiqpag_Click(int index);
    // The row boxes typed in: the rows are the user's, and the next Finish makes the document
    // again.
    void txtFila_Change(const QString& inicial, const QString& final_);
    // A row box left (the first-row box when `inicial`) holding `text`, the other `altre`:
    // checked against the worksheet's last row, and what the boxes then hold kept.
    ValidacioFila txtFila_Validate(bool inicial, const QString& text, const QString& altre);

    // ---- The rows: this panel alone sets them ----
    // The worksheet as the design panel read it: its first row `primera`, last row `ultima`
    // and whether the first heads the columns. Rows the user never chose become all rows
    // after a header row; rows the user chose stay.
    void filesDeLaFulla(std::int32_t primera, std::int32_t ultima, bool capcalera);
    // Rows a saved design kept (`inicial` below 1: none, the worksheet's gives them). Kept
    // rows the worksheet no longer holds are said when the panel is shown.
    void restauraFiles(std::int32_t inicial, std::int32_t final_);
    // Rows given for another worksheet: forgotten, the worksheet's own are worked out again.
    void oblidaFiles() { restauraFiles(0, 0); }
    // The rows are the user's (typed, or kept by a restored design), not the worksheet's.
    bool filesTriades() const { return filesTriades_; }
    ControlsFinal controls() const { return controls_; }

    // The row boxes' rules. The number is the leading number of the text, rounded half to
    // even (0 when the text starts with none). With `ultimaFila` below 1 (a worksheet without
    // rows) the box never keeps the focus: it is set to 1 and the user may go on.
    static ValidacioFila Valida_FilaInicial(const QString& inicial, const QString& final_, std::int32_t ultimaFila);
    static ValidacioFila Valida_FilaFinal(const QString& final_, const QString& inicial, std::int32_t ultimaFila);
    // Whether the range is one the generator can use: 1 <= first <= last <= ultimaFila.
    static bool RangFilesValid(const QString& inicial, const QString& final_, std::int32_t ultimaFila);

    // One step of the generation's progress.
    void avancaProgres();
    // The last document made, "" before any.
    QString documentGenerat() const { return documentGenerat_; }

    // One label for each record until the user chooses otherwise; a restored design that
    // kept no choice opens with it too.
    static constexpr std::array<bool, 2> OpcEtiqpagPerDefecte{true, false};
    std::array<bool, 2> OpcEtiqpag = OpcEtiqpagPerDefecte;
    // What the row boxes hold; set only through the members above.
    const QString& txtFila_inicial = filaInicial_;
    const QString& txtFila_final = filaFinal_;

private:
    QString filaInicial_;
    QString filaFinal_;
    bool filesTriades_ = false;
    // Rows a restored design kept are to be checked against the worksheet at the next showing.
    bool revisaFiles_ = false;

    bool genera(Avis& avis);
    void desa(kovel::word::Document& doc, const QString& cami);

    ControlsFinal controls_;
    QString documentGenerat_;
    int pasProgres_ = 0;
    int maxProgres_ = 0;
};

} // namespace kovel::wizard

#pragma once
// The barcode dialog: a live preview of the barcode; Accept inserts it into the design
// (fixed text or a data field). Its rules are codes/ModelCodiBarres's: the window forwards
// the user's actions there and shows the model's state.
#include "codes/ModelCodiBarres.h"
#include "common/ui/Finestres.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace kovel::codes { struct CaixesMida; }

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;
class QFrame;

class frmCodiBarres : public kovel::ui::DialegTancable {
    Q_OBJECT
    kovel::codes::ModelCodiBarres model_;

public:
    // A code linked to a field is registered in `registre`.
    explicit frmCodiBarres(kovel::codes::RegistreCodis& registre, QWidget* parent = nullptr);
    ~frmCodiBarres() override;

    kovel::codes::ModelCodiBarres& Model() { return model_; }
    int& Modificat = model_.Modificat;   // closing asks whether to insert
    int& Inserint = model_.Inserint;     // an insertion is under way

    // Inserts the dialog's barcode into the design. False (with the dialog still usable
    // and the reason shown) when it could not.
    bool InserirCodi();

    kovel::barcode::ActiveBC& ActiveBC1() { return model_.Codi(); }
    bool AvancatVisible() const { return avancatVisible_; }
    // Runs the activation steps (also done on the first showEvent).
    void Activar();
    QString TextFixBarres() const { return model_.TextFix(); }

    // Controls (objectName = control name).
    QRadioButton *optMateix, *optCamp;
    QLineEdit* txtCodi;
    QComboBox *cboCamp, *cboTipusCodi, *cboAliniacioCodi, *cboOrientacio, *cboTextAlign, *cboPosText,
        *cboCodCaracters;
    QLabel* lblInvalid;
    QLabel* lblAvisMida;   // shown with a field-linked code, in the warning's place
    QLabel* lblPreview;   // where ActiveBC1 shows its symbol: named "ActiveBC1"
    QCheckBox *chkMostrarText, *chkTransparent, *chkCaractEspecials, *chkCalcCheck, *chkMostrarCheck,
        *chkMostrarStSt, *chkMostrarQuietZone, *chkGuard, *chkTxtEANFull;
    QGroupBox *fraTextProps, *fraComplex;
    QPushButton *btnFont, *btnColor, *btnColorBarres, *btnColorEspais, *btnComplex, *btnAcceptar,
        *btnCancelar;
    QLineEdit *txtPercReduccio, *txtWide2Narrow;
    // The code's size on the label, millimetres; the other side follows the one typed.
    QLabel* lblMida;
    QLineEdit *txtAmple, *txtAlt;
    QFrame* pnlInvalid;

    // Actions of the controls, callable by tests as the user's clicks run them.
    void txtPercReduccio_Validate();
    void optCamp_Click();
    void optMateix_Click();
    void btnComplex_Click();
    void OmplirCamps();

    // Colour and font choosers (tests replace them; default: the Qt dialogs).
    std::function<bool(std::uint32_t& colour)> triarColor;
    std::function<bool(kovel::barcode::FontCodi& font)> triarFont;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Shows the model's state; the widgets' own signals meanwhile are not the user's.
    void Mostrar();
    void MostrarOpcions();
    void actualitzarPreview();
    bool potTancar() override;
    std::unique_ptr<kovel::codes::CaixesMida> mida_;
    bool avancatVisible_ = false;
    bool mostrant_ = false;
    int ompliments_ = 0;
    int revisio_ = 0;
    int refusos_ = 0;
};

#pragma once
// The barcode dialog: one live barcode control is the preview and the store of the
// settings; Accept inserts the barcode into the design (fixed text or a data field).
#include "common/ui/Finestres.h"
#include "platform/barcode/ActiveBC.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

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
public:
    explicit frmCodiBarres(QWidget* parent = nullptr);
    ~frmCodiBarres() override;

    int Modificat = 0;    // closing asks whether to insert
    int Inserint = 0;     // an insertion is under way

    // Inserts the dialog's barcode into the design. False (with the dialog still usable
    // and the reason shown) when it could not.
    bool InserirCodi();

    kovel::barcode::ActiveBC& ActiveBC1() { return *bc_; }
    bool AvancatVisible() const { return avancatVisible_; }
    // Runs the activation steps (also done on the first showEvent).
    void Activar();
    QString TextFixBarres() const { return textFix_; }

    // Controls (objectName = control name).
    QRadioButton *optMateix, *optCamp;
    QLineEdit* txtCodi;
    QComboBox *cboCamp, *cboTipusCodi, *cboAliniacioCodi, *cboOrientacio, *cboTextAlign, *cboPosText,
        *cboCodCaracters;
    QLabel *lblField, *lblInvalid;
    QLabel* lblPreview;   // where ActiveBC1 shows its symbol: named "ActiveBC1"
    QCheckBox *chkMostrarText, *chkTransparent, *chkCaractEspecials, *chkCalcCheck, *chkMostrarCheck,
        *chkMostrarStSt, *chkMostrarQuietZone, *chkGuard, *chkTxtEANFull;
    QGroupBox *fraTextProps, *fraComplex;
    QPushButton *btnFont, *btnColor, *btnColorBarres, *btnColorEspais, *btnComplex, *btnAcceptar,
        *btnCancelar;
    QLineEdit *txtPercReduccio, *txtWide2Narrow;
    QFrame* pnlInvalid;

    // Handlers of the controls, callable by tests as the user's actions run them.
    void cboTipusCodi_Click();
    void cboOrientacio_Click();
    void txtCodi_Change();
    void txtPercReduccio_Change();
    void txtPercReduccio_Validate();
    void txtWide2Narrow_Change();
    void optCamp_Click();
    void optMateix_Click();
    void btnComplex_Click();
    void chkMostrarText_Click();
    void chkTransparent_Click();
    void RefrescaControls();
    void OmplirCamps();

    // Colour and font choosers (tests replace them; default: the Qt dialogs).
    std::function<bool(std::uint32_t& colour)> triarColor;
    std::function<bool(kovel::barcode::FontCodi& font)> triarFont;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ActiveBC1_Canviat();
    void OmplirAliniacioText();
    void LimitarText();
    void actualitzarPreview();
    // The text the design's picture is drawn with while the control's own cannot be drawn.
    QString TextDibuixable() const;
    bool potTancar() override;
    std::unique_ptr<kovel::barcode::ActiveBC> bc_;
    bool avancatVisible_ = false;
    bool activat_ = false;
    bool refrescant_ = false;
    QString textFix_;
    QString ultimValid_;   // the last text the control could draw
};

#pragma once
// The QR-code dialog: four contents (text, web address, SMS, contact card), each fixed or
// from data fields, and a live preview. Its rules are codes/ModelCodiQR's: the window
// forwards the user's actions there and shows the model's state.
#include "codes/ModelCodiQR.h"
#include "common/ui/Finestres.h"

#include <QString>
#include <QStringList>

#include <array>
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
class QTabBar;

class frmCodiQR : public kovel::ui::DialegTancable {
    Q_OBJECT
    kovel::codes::ModelCodiQR model_;

public:
    // A code linked to fields is registered in `registre`, with its character-set options.
    explicit frmCodiQR(kovel::codes::RegistreCodis& registre, QWidget* parent = nullptr);
    ~frmCodiQR() override;

    kovel::codes::ModelCodiQR& Model() { return model_; }
    int& Modificat = model_.Modificat;
    int& Inserint = model_.Inserint;
    int& DadesInvalides = model_.DadesInvalides;

    // Inserts the dialog's QR code into the design. False (dialog usable, reason shown)
    // when it could not; never inserts fixed data the control refuses.
    bool InserirQR();
    void Activar();

    kovel::qr::QRCodeCtrl& QRCodeCtrl1() { return model_.Qr(); }
    bool AvancatVisible() const { return avancatVisible_; }
    int TabActual() const;
    void SeleccionarTab(int tab);   // as the user's click: runs the tab-change step

    QTabBar* SSTab1;
    // Text tab
    QRadioButton *optMateix, *optCamp;
    QLineEdit* txtCodi;
    QComboBox* cboCamp;
    QGroupBox* fraVincular;
    // URL tab
    QRadioButton *optMateixURL, *optCampURL;
    QLineEdit* txtCodiURL;
    QComboBox* cboCampURL;
    QGroupBox* fraVincularURL;
    // SMS tab
    QRadioButton *optMateixSMS, *optCampSMS;
    QLineEdit *txtNumeroSMS, *txtMissatgeSMS;
    QComboBox *cboCampNumSMS, *cboCampMissatgeSMS;
    QGroupBox* fraVincularSMS;
    // Contact-card tab
    QRadioButton *optMateixvCard, *optCampvCard;
    QLineEdit *txt_vcard_nom, *txt_vcard_telf, *txt_vcard_web, *txt_vcard_email, *txt_vcard_adressa;
    QComboBox *cbo_vCard_nom, *cbo_vcard_telf, *cbo_vcard_web, *cbo_vcard_email, *cbo_vcard_adressa;
    QGroupBox* fraVincularvCard;
    // Common
    QLabel *lblTit, *lblInvalid, *lblPreview;
    QLabel* lblAvisMida;   // shown with a field-linked code
    // In its place with fixed data: what a reader gets when typed escapes change the text,
    // and a character set that could not hold it.
    QLabel* lblCodificat;
    // The code's size on the label, millimetres; the other side follows the one typed.
    QLabel* lblMida;
    QLineEdit *txtAmple, *txtAlt;
    QPushButton *btnColorBarres, *btnColorEspais, *btnComplex, *btnAceptar, *btnCancelar;
    QCheckBox *chkTransparent, *chkMostrarQuietZone, *ChechkECI, *chkUTF8, *chkBOM;
    QComboBox *cboOrientacio, *cboPreferredVersion, *cboEncodingMode, *cboErrorCorrectionLevel, *cboECI;
    QGroupBox* fraComplex;
    QFrame* pnlInvalid;

    void btnComplex_Click();
    void RefrescarValidesa();   // the paint step: preview, warning panel, Accept
    void OmplirCamps();

    std::function<bool(std::uint32_t& colour)> triarColor;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool potTancar() override;
    // Shows the model's state; the widgets' own signals meanwhile are not the user's.
    void Mostrar();
    std::unique_ptr<kovel::codes::CaixesMida> mida_;
    bool avancatVisible_ = false;
    bool mostrant_ = false;
    int ompliments_ = 0;
    std::array<std::array<QLineEdit*, 5>, 4> caselles_{};
    std::array<std::array<QComboBox*, 5>, 4> llistes_{};
    std::array<QRadioButton*, 4> fixos_{}, opcionsCamp_{};
};

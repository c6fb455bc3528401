#pragma once
// The QR-code dialog: four contents (text, web address, SMS, contact card), each fixed or
// from data fields, one live QR control as preview and store of the settings.
#include "common/ui/Finestres.h"
#include "platform/qr/QRCodeCtrl.h"

#include <QString>
#include <QStringList>

#include <array>
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
class QTabBar;

class frmCodiQR : public kovel::ui::DialegTancable {
    Q_OBJECT
public:
    explicit frmCodiQR(QWidget* parent = nullptr);
    ~frmCodiQR() override;

    int Modificat = 0;
    int Inserint = 0;
    int DadesInvalides = -1;

    // Inserts the dialog's QR code into the design. False (dialog usable, reason shown)
    // when it could not; never inserts fixed data the control refuses.
    bool InserirQR();
    void Activar();

    kovel::qr::QRCodeCtrl& QRCodeCtrl1() { return *qr_; }
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
    QLabel *lblField, *lblTit, *lblInvalid, *lblPreview;
    QLabel* lblAvisMida;   // shown with a field-linked code
    QPushButton *btnColorBarres, *btnColorEspais, *btnComplex, *btnAceptar, *btnCancelar;
    QCheckBox *chkTransparent, *chkMostrarQuietZone, *ChechkECI, *chkUTF8, *chkBOM;
    QComboBox *cboOrientacio, *cboPreferredVersion, *cboEncodingMode, *cboErrorCorrectionLevel, *cboECI;
    QGroupBox* fraComplex;
    QFrame* pnlInvalid;

    // Handlers, callable by tests as the user's actions run them.
    void txtCodi_Change();
    void txtCodiURL_Change();
    void txtNumeroSMS_Change();
    void txt_vcard_nom_Change();
    void ChechkECI_Click();
    void chkUTF8_Click();
    void chkBOM_Click();
    void cboPreferredVersion_Change();
    void cboEncodingMode_Change();
    void cboErrorCorrectionLevel_Change();
    void cboOrientacio_Click();
    void chkTransparent_Click();
    void btnComplex_Click();
    void optCamp_Click(int tab);
    void optMateix_Click(int tab);
    void SSTab1_Canvi(int anterior);
    void RefrescarValidesa();   // the paint step: preview, warning panel, Accept
    void OmplirCamps();

    std::function<bool(std::uint32_t& colour)> triarColor;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void provarCanvi(const std::function<void()>& canvi);
    void posarDades(const QString& data, bool marcarModificat);
    void construirTab(int tab);
    bool potTancar() override;
    // Whether the shown tab takes its content from data fields.
    bool DeCamp() const;
    // The data the design's picture is drawn with while the control's own cannot be drawn.
    QString DadesDibuixables() const;
    std::unique_ptr<kovel::qr::QRCodeCtrl> qr_;
    bool avancatVisible_ = false;
    bool activat_ = false;
    bool enPrefix_ = false;
    int tabAnterior_ = 0;
    QString textFixQR_, numeroFixSMS_, missatgeFixSMS_;
    std::array<QString, 5> campsFixVCard_;
    QString ultimesDades_;   // the last data the control took
};

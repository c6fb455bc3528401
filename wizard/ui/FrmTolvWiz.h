#pragma once
// The wizard window: ten panels shown one at a time over the bottom bar with Back, Next and
// Cancel. It shows the state of EstatAssistent and forwards the user's acts to it; every
// control is named as the window's code names it (control arrays carry "index").
#include "catalogue/ui/VistaPreviaHoja.h"
#include "documents/ui/MarcDisseny.h"
#include "wizard/EstatAssistent.h"
#include "wizard/Guardats.h"

#include <QElapsedTimer>
#include <QList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QComboBox;
class QProgressBar;
class QScrollBar;
class QMenu;

namespace kovel::docframe {
class MarcDocument;
}
class QTimer;

namespace kovel::ui {
class BotoImatge;
}

namespace kovel::wizard {

class FrmTolvWiz : public QWidget {
    Q_OBJECT
public:
    explicit FrmTolvWiz(QWidget* parent = nullptr);
    ~FrmTolvWiz() override;

    // Loads the catalogue and the host's data source, sets the panels up and shows the
    // home panel. False (after the step's message) when the wizard cannot run.
    bool Cargar();

    EstatAssistent& estat() { return *estat_; }
    // The sheet previews beside the format list and on the design panel.
    kovel::catalogue::VistesPrevies& vistes() { return vistes_; }
    QWidget* Panel(int i) const { return panels_.at(i); }

    // The moves of the bottom bar and of double-clicks.
    void MostrarPanel(int dir);
    void cmdPresentacion_Click();
    // MostrarAjuda: the help page of the shown panel with the desktop's handler.
    void MostrarAjuda();

    void Adaptaciones_para_Access();
    void Adaptaciones_para_Excel();

    // What the restoring of a saved design runs after setting a choice (same as a click).
    void optDinA4_Click() { paper(0); }
    void optContinuo_Click() { paper(1); }
    void optLetter_Click() { paper(2); }
    void optDinA5_Click() { paper(3); }
    void optTermic_Click() { paper(4); }
    void LstEtiquetas_Click();
    void Opt_Vertical_Click();
    void Opt_Horizontal_Click();
    // The saved designs: the store, the name question (guardats().demanaNom) and the
    // restore (FrmTolvWizGuardats.cpp). cmdGuardar_Click is also the design frame's save.
    Guardats& guardats() { return *guardats_; }
    void cmdGuardar_Click();
    // The design document shown in the design panel (the design frame's document).
    kovel::word::Document* MYdoc() const { return estat_->disseny(); }
    // modDsoFraWord.EvitaDuesPagines: run every 500 ms while the design frame has the focus.
    std::function<void()> evitaDuesPagines;

    // ---- The design panel (FrmTolvWizDisseny.cpp) ----
    kovel::docframe::MarcDocument* Marc() const { return dsoFraWord; }
    // The frame's routines, its one-page guard and the per-cell designs of this window.
    modDsoFraWord::MarcDisseny& marcDisseny() { return marcDisseny_; }
    // The save-design command (cmdGuardar_Click) that a save asked inside the frame runs,
    // unless the program itself is saving; set by the saved-designs code. Unset: such a
    // save is refused and the frame's file is left as it was.
    std::function<void()> desaDissenyAmbNom;
    // Opens a saved design in the frame; one that cannot be read leaves the format's blank
    // label in its place, after the message naming the file.
    bool ObreDissenyAlMarc(const QString& cami);
    void mnuCampo_Click(int index);
    void CmdPasa_Click(int index);
    void btn_barres_Click();
    void btn_qr_Click();
    void cmd_tipo_informacion_Click();
    // The cell chooser of a sheet whose labels differ.
    void PctHoja_MouseDown(int celda);
    void SeleccionaCasella(std::int32_t n);
    void ActualitzaHojaEtiquetas();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void construeix();
    void construeixInici();
    void construeixPaper();
    void construeixEtiqueta();
    void construeixOrigen();
    void construeixDisseny();
    void connectaMarc();
    void preparaMarc();
    void AjustaMarc();
    void colocaNavegacioHoja();
    void dsoFraWord_BeforeDocumentSaved(const QString& cami, bool* cancel);
    void insereixCodi(const std::function<void()>& dialeg);
    void construeixFinal();
    void construeixGuardats();
    void Prepara_Asistente();
    void AplicaAparenca();
    void Prepara_Textos();
    void AlineaOpcionsPaper();
    void AjustaTitolPanel();
    void AjustaPanelDistribucio();
    // Shows the model's state in the controls of the shown panel.
    void mostra();
    void mostraPaper();
    void mostraEtiqueta();
    void mostraOrigen();
    void mostraDisseny();
    void mostraFinal();
    void mouEnllacos(int panel);
    void avisa(const Avis& avis);
    void modoEspera(bool espera);
    void progres(int valor, int maxim);
    void txtFila_Validate(bool inicial);
    void paper(int tipus);
    void connectaGuardats();
    void mostraGuardats();

    std::unique_ptr<EstatAssistent> estat_;
    kovel::catalogue::VistesPrevies vistes_{estat_->cataleg()};
    std::unique_ptr<FontAssistent> font_;
    std::unique_ptr<generar_doc::CodisGeneracio> codis_;
    std::unique_ptr<guardar::CodisExecucio> codisDesats_;
    std::unique_ptr<Guardats> guardats_;
    bool omplint_ = false;
    QElapsedTimer darrerBomba_;
    bool filaEnCurs_ = false;
    QTimer* TimerEvitar2pags = nullptr;
    bool evitantDuesPagines_ = false;

    std::array<QWidget*, 10> panels_{};
    std::array<QLabel*, 10> lblTit{};
    QLabel* lblTit4 = nullptr;
    QWidget* PanelBaix = nullptr;
    kovel::ui::BotoImatge *CmdAnterior = nullptr, *CmdSiguiente = nullptr, *cmdCancelar = nullptr;
    QLabel *lblAnterior = nullptr, *lblSiguiente = nullptr, *lblCancelar = nullptr;
    kovel::ui::BotoImatge *cmd_ayuda = nullptr, *cmd_email = nullptr;
    QLabel *lbl_ayuda = nullptr, *lbl_email = nullptr, *img_web = nullptr;
    QLabel* lbl_version = nullptr;

    // Paper types, by paper code (0 A4, 1 continuous, 2 Letter, 3 A5, 4 thermal).
    std::array<kovel::ui::BotoImatge*, 5> optPapel{};
    std::array<QLabel*, 5> lblDescrPapel{};
    std::array<QLabel*, 5> ImgPapel{};
    std::array<QLabel*, 6> lblMides{};   // A4, Letter, A5: width then length

    QListView* LstEtiquetas = nullptr;
    std::array<kovel::ui::BotoImatge*, 3> optOrden{};
    QComboBox* cboOrdenar = nullptr;
    QComboBox* cboMides = nullptr;
    QLineEdit* txtReferencia = nullptr;
    kovel::ui::BotoImatge *btn_buscar_ref = nullptr, *btn_no_buscar = nullptr;
    QLabel* lbl_buscar_ref = nullptr;
    kovel::ui::BotoImatge *opt_Horizontal = nullptr, *opt_Vertical = nullptr;
    QLabel *img_vertical = nullptr, *img_horitzontal = nullptr;
    std::array<QLabel*, 6> lbl_inf_etiqueta{};
    QWidget* Frame_Hoja = nullptr;

    std::array<kovel::ui::BotoImatge*, 4> opcOrigDatos{};
    std::array<QLabel*, 4> Label_opcDatos{};
    QListWidget* LstHojas = nullptr;
    QListWidget* LstTablas = nullptr;
    QProgressBar *PctProgressBarHojas = nullptr, *pctProgressBarTablas = nullptr;
    QLabel *lblProgresoHojas = nullptr, *lblProgresoTablas = nullptr;
    QLabel *pctExcelPanel3 = nullptr, *pctAccessPanel3 = nullptr;

    QWidget* pctDsoContenidor = nullptr;
    kovel::docframe::MarcDocument* dsoFraWord = nullptr;
    kovel::ui::BotoImatge *btn_barres = nullptr, *btn_qr = nullptr, *cmd_tipo_informacion = nullptr;
    QMenu* mnuListaCampos = nullptr;
    std::array<QListWidget*, 2> LstCampos{};
    std::array<kovel::ui::BotoImatge*, 4> CmdPasa{};
    bool OcupadoHoja = false;
    class EntornCodis;
    modDsoFraWord::MarcDisseny marcDisseny_;
    std::shared_ptr<EntornCodis> entornCodis_;   // its release also unhooks the frame
    kovel::ui::BotoImatge* CmdCampos = nullptr;
    kovel::ui::BotoImatge* CmdEditarDatos = nullptr;
    QWidget* PnlHoja = nullptr;
    std::array<kovel::ui::BotoImatge*, 4> cmdHoja{};
    QLabel* LblHoja = nullptr;
    kovel::ui::BotoImatge* CmdBorrar = nullptr;
    QCheckBox* Check_Formato = nullptr;
    QLabel* lbl_check_formato = nullptr;

    std::array<kovel::ui::BotoImatge*, 2> OpcEtiqpag{};
    std::array<QLabel*, 2> lblEtiqpag{};
    QLabel *LblDistribucion = nullptr, *LblPresentacion = nullptr, *LblPresentacion2 = nullptr;
    QLineEdit *txtFila_inicial = nullptr, *txtFila_final = nullptr;
    QLabel *lblFila_inicial = nullptr, *lblFila_final = nullptr;
    QCheckBox* Check_Copias = nullptr;
    QLabel *lbl_copias = nullptr, *lbl_NumCopias = nullptr;
    QLineEdit* txt_copias = nullptr;
    QScrollBar* ScrollCopias = nullptr;
    kovel::ui::BotoImatge* cmdPresentacion = nullptr;
    QProgressBar* PctProgressBar = nullptr;
    QLabel* LblProgreso = nullptr;
    QLabel *img_final1 = nullptr, *img_final2 = nullptr;

    kovel::ui::BotoImatge *cmdObrir = nullptr, *cmdCrear = nullptr, *cmdGuardar = nullptr;
    QListWidget* lstGuardats = nullptr;
    QLabel* lblDissenysTrobats = nullptr;
};

} // namespace kovel::wizard

#pragma once
// The details window of the label format selected in the wizard's list: its reference,
// description and additional number, the kinds of use, every measure in millimetres or
// inches and the paper. The move buttons step through the wizard's list (the list of the
// catalogue given) without closing it.
// Lengths are designed in twips (15 a pixel).
#include "catalogue/Detalles.h"
#include "common/ui/CTab.h"

#include <QDialog>
#include <QPixmap>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QRadioButton;
struct Cataleg;
namespace kovel::ui {
class BotoImatge;
}

class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(Cataleg& cat, QWidget* parent = nullptr);

    std::array<kovel::ui::BotoImatge*, 2> lblTab{};   // the two tabs: description, measures
    std::array<QLineEdit*, 3> txt_descripcion{};
    std::array<QLabel*, 3> lbl_descripcion{};
    std::array<QLabel*, 6> Imatge_Activat{};
    std::array<QLabel*, 6> lbl_tipo{};
    QLabel* lbl_tipo_aux;
    QLabel* Image_Checked;
    QLabel* Image_Unchecked;
    std::array<QLineEdit*, 9> txt_medidas{};
    std::array<QLabel*, 9> lbl_medidas{};
    QRadioButton* Opt_mm;
    QRadioButton* Opt_Inch;
    std::array<kovel::ui::BotoImatge*, 4> cmd_mov{};
    kovel::ui::BotoImatge* cmdOK;
    QLabel* pctBanda;
    QLabel* lbl_TitDetalles;

    CTab TabsDetalls;
    bool DisposicionAncha = false;
    // The wizard's own list click, run after the arrows move the selection, so that its list,
    // preview, size text and orientation follow; none: nothing else follows.
    std::function<void()> clicLista;

    // Fills every box for the format selected in the wizard's list.
    void MostrarDetalls();
    void lblTab_Click(int index);
    void cmd_mov_Click(int index);
    void Opt_Inch_Click();
    void Opt_mm_Click();

    // The product look, applied each time the window is made (background, band, button
    // pictures, fonts).
    static void setAparenca(std::function<void(frmOptions*)> look);
    // What redraws the wizard's size text after a change of unit; by default the labels
    // "lbl_inf_etiqueta" of the top-level window "FrmTolvWiz", when there is one.
    static void setRedibujaMedidas(std::function<void(int indice)> redibuja);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void canviaUnitat(std::int16_t unitat);
    void marca(int k, bool activada);

    Cataleg& cat_;
};

#pragma once
// The program's own message box. Lengths are designed in twips (15 a pixel).
#include <QDialog>
#include <cstdint>

class QLabel;
class QAbstractButton;
namespace kovel::ui { class BotoImatge; }

class frm_rvtMsgBox : public QDialog {
    Q_OBJECT
public:
    explicit frm_rvtMsgBox(QWidget* parent = nullptr);
    ~frm_rvtMsgBox() override;

    // Sets the box up for one showing (every control hidden, then the message, title, icon
    // and buttons of the style) and lays it out; Mostrar also runs it modally.
    void Preparar(const QString& message, std::int16_t style, const QString& title);
    std::int16_t Mostrar(const QString& message, std::int16_t style, const QString& title);

    std::int16_t Resultat = 2;        // 1 OK, 2 Cancel, 6 Yes, 7 No
    QAbstractButton* BotoDefecte = nullptr;
    QAbstractButton* BotoCancel = nullptr;

    QLabel* lbl_titol;
    QLabel* lbl_missatge;
    kovel::ui::BotoImatge* cmdAceptar;
    kovel::ui::BotoImatge* cmdCancel;
    kovel::ui::BotoImatge* cmdSi;
    kovel::ui::BotoImatge* cmdNo;
    QLabel* img_Critical;
    QLabel* img_Question;
    QLabel* img_Exclamation;
    QLabel* img_Information;

    // Applied once when the box is made: the product look (background and button pictures).
    static void setAparenca(void (*look)(frm_rvtMsgBox*));

    // The box in use (made on first use, kept hidden between uses).
    static frm_rvtMsgBox* Instancia();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Activar();
    void prem(std::int16_t result);
    int savedCursor_ = -1; // the pointer shape found on activation, put back on unloading
};

#pragma once
// The skinned button and option control of the windows: three pictures (normal, pressed,
// hovered), an on/off value and its caption. Without pictures it draws a plain button or
// option box, so a missing skin never hides a control.
#include <QAbstractButton>
#include <QPixmap>

namespace kovel::ui {

class BotoImatge : public QAbstractButton {
    Q_OBJECT
public:
    enum class Tipus { Boto, Opcio };

    explicit BotoImatge(QWidget* parent = nullptr, Tipus tipus = Tipus::Boto);

    Tipus tipus() const { return tipus_; }
    void setTipus(Tipus t);

    void setImatgeNormal(const QPixmap& p);
    void setImatgePremuda(const QPixmap& p);
    void setImatgeSobre(const QPixmap& p);
    const QPixmap& imatgeNormal() const { return normal_; }
    const QPixmap& imatgePremuda() const { return premuda_; }
    const QPixmap& imatgeSobre() const { return sobre_; }
    bool teImatges() const { return !normal_.isNull(); }

    // The on/off value (an option's Value). Setting it from code fires valorCanviat too.
    bool valor() const { return isChecked(); }
    void setValor(bool v);

    // Caption colours: normal, under the pointer, and on or pressed. An invalid colour
    // falls back to the normal one.
    void setColorText(const QColor& c);
    void setColorTextSobre(const QColor& c);
    void setColorTextActiu(const QColor& c);

    QSize sizeHint() const override;

signals:
    // Every change of the value, from the user or from code.
    void valorCanviat(bool valor);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void nextCheckState() override;

private:
    const QPixmap& imatgeActual() const;

    Tipus tipus_;
    QPixmap normal_, premuda_, sobre_;
    QColor colorText_, colorSobre_, colorActiu_;
    bool sobreCursor_ = false;
};

} // namespace kovel::ui
